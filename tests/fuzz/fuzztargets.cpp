#include "fuzztargets.h"

#include "app/actionlog.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "subtitles/tags.h"
#include "subtitles/textfile.h"
#include "subtitles/writer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QTextCodec>

#include <cstdlib>

namespace fuzz {

namespace {

// Reads the input front to back: a few control bytes, then the payload.
class Input
{
public:
    Input(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    int number(int lo, int hi)
    {
        const int raw = (byte() << 8) | byte();
        return lo + raw % (hi - lo + 1);
    }
    qint32 time()
    {
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return qint32(v);
    }
    QByteArray rest()
    {
        const QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), int(m_size - m_pos));
        m_pos = m_size;
        return out;
    }
    QByteArray chunk(int max)
    {
        const int n = qMin<int>(byte() % (max + 1), int(m_size - m_pos));
        const QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), n);
        m_pos += size_t(n);
        return out;
    }
    bool done() const { return m_pos >= m_size; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

QTextCodec *codecFor(uint8_t selector)
{
    static const char *const names[]
        = {"UTF-8", "Windows-1250", "UTF-16LE", "ISO-8859-1", "GB18030", "Shift_JIS", "UTF-32", "KOI8-R"};
    const size_t n = sizeof(names) / sizeof(names[0]);
    if (selector % (n + 1) == n)
        return nullptr; // the local coding
    return QTextCodec::codecForName(names[selector % (n + 1)]);
}

[[noreturn]] void broken(const char *what)
{
    fprintf(stderr, "invariant broken: %s\n", what);
    abort();
}

void checkSet(const SubtitleSet &set, int maxCount = SubtitleSet::Capacity)
{
    if (set.count < 0 || set.count > maxCount)
        broken("count out of range");
    if (set.current < 0 || set.current >= SubtitleSet::SlotCount)
        broken("current out of range");
    if (int(set.records.size()) != SubtitleSet::SlotCount)
        broken("slots reallocated");
}

// Writing both formats to memory, as a save would.
void writeBoth(SubtitleSet &set, QTextCodec *codec)
{
    int bad = 0;
    encodeText(formatSet(set, true), codec, &bad);
    encodeText(formatSet(set, false), codec, &bad);
}

void reader(const uint8_t *data, size_t size, bool srt)
{
    Input in(data, size);
    QTextCodec *codec = codecFor(in.byte());
    const uint8_t flags = in.byte();
    static const int rates[] = {23976, 24000, 25000, 29970};
    SubtitleSet &set = workspace().upper;
    set.reset();
    set.frameRate = rates[flags & 3];
    const QString text = decodeText(in.rest(), codec);
    set.readContent(text, srt, false, QStringLiteral("fuzz"));
    checkSet(set);
    if (flags & 4) {
        set.readContent(text, srt, true, QStringLiteral("fuzz"));
        checkSet(set);
    }
    writeBoth(set, codec);
}

} // namespace

void setUp()
{
    static QApplication *app = nullptr;
    if (app)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    workspace();
    preferences();
    actionLog().list = nullptr;
    actionLog().listener = nullptr;
    setPrompts(nullptr);
}

void srtReader(const uint8_t *data, size_t size)
{
    reader(data, size, true);
}

void subReader(const uint8_t *data, size_t size)
{
    reader(data, size, false);
}

void tags(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const bool toSrt = in.byte() & 1;
    QString text = QString::fromUtf8(in.rest());
    convertTags(text, toSrt);
    convertTags(text, !toSrt);
}

void strip(const uint8_t *data, size_t size)
{
    static const char *const patterns[] = {"\\([^\\)]*\\)", "\\[[^\\]]*\\]", "\\{[^\\}]*\\}", "<[^>]*>"};
    Input in(data, size);
    const uint8_t chosen = in.byte();
    Subtitle s;
    s.angleTags = chosen & 16;
    s.text = QString::fromUtf8(in.rest());
    for (int k = 0; k < 4; ++k)
        if (chosen & (1 << k))
            s.removeMatches(QLatin1String(patterns[k]));
    s.normalize();
    if (s.visibleLength < 0 || s.visibleLength > s.text.size())
        broken("visible length");
}

namespace {

// The processing controls, with the ranges of the window's widgets.
struct Controls
{
    QSpinBox cps, gap, snap, lines;
    QCheckBox join, colorTags;
    QComboBox last;
    Controls()
    {
        cps.setRange(10, 50);
        gap.setRange(0, 50);
        snap.setRange(50, 1000);
        lines.setRange(0, 30);
        last.addItems(
            {QStringLiteral("Last Line Normal"), QStringLiteral("Last is Dot"), QStringLiteral("Last is Doubled")});
        Preferences &p = preferences();
        p.spinBox_cps = &cps;
        p.spinBox_gap = &gap;
        p.spinBox_snp = &snap;
        p.spinBox_lin = &lines;
        p.checkBox_join = &join;
        p.checkBox_coltag = &colorTags;
        p.comboBox_last = &last;
    }
};

void fillSet(SubtitleSet &set, Input &in, bool normalizeTexts)
{
    set.reset();
    const int n = in.byte() % 48;
    for (int i = 0; i < n && !in.done(); ++i) {
        Subtitle &s = set.records[size_t(i)];
        s.start = in.time();
        s.end = (in.byte() & 1) ? in.time() : clampToInt32(qint64(s.start) + in.number(-500, 8000));
        s.angleTags = in.byte() & 1;
        s.text = QString::fromUtf8(in.chunk(40));
        if (normalizeTexts)
            s.normalize();
        else
            s.visibleLength = s.text.size();
        set.count = i + 1;
    }
}

} // namespace

void merge(const uint8_t *data, size_t size)
{
    static Controls controls;
    Input in(data, size);
    Preferences &p = preferences();
    controls.cps.setValue(in.number(0, 60));
    controls.gap.setValue(in.number(-5, 60));
    controls.snap.setValue(in.number(0, 1100));
    controls.lines.setValue(in.number(0, 31));
    const uint8_t flags = in.byte();
    controls.join.setChecked(flags & 1);
    controls.colorTags.setChecked(flags & 2);
    controls.last.setCurrentIndex((flags >> 2) % 3);
    p.addHeader = flags & 16;
    p.upperColor = in.time() & 0xffffff;
    p.lowerColor = in.time() & 0xffffff;
    MergeWorkspace &ws = workspace();
    ws.merged.file.setFileName((flags & 32) ? QStringLiteral("out.srt") : QStringLiteral("out.sub"));
    ws.merged.frameRate = (flags & 64) ? 23976 : 25000;
    fillSet(ws.upper, in, flags & 128);
    fillSet(ws.lower, in, flags & 128);

    ws.processMerge();
    checkSet(ws.upper);
    checkSet(ws.lower);
    checkSet(ws.merged, SubtitleSet::Capacity + 1); // frames and the header
    writeBoth(ws.merged, QTextCodec::codecForName("UTF-8"));
}

const Target targets[5]
    = {{"srt_reader", srtReader}, {"sub_reader", subReader}, {"tags", tags}, {"strip", strip}, {"merge", merge}};

} // namespace fuzz
