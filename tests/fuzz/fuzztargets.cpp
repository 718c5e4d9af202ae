#include "fuzztargets.h"

#include "core/codings.h"
#include "core/logsink.h"
#include "core/merge.h"
#include "core/session.h"
#include "core/strip.h"
#include "core/tags.h"

#include <algorithm>
#include <cstdio>
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

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Every line needs a known level and says something.
class CheckingLog : public LogSink
{
public:
    void write(int level, const QString &line) override
    {
        if (level < LogError || level > LogDebug || line.isEmpty())
            broken("log line");
    }
};

QString codingFor(uint8_t selector)
{
    static const char *const names[]
        = {"UTF-8", "Windows-1250", "UTF-16LE", "ISO-8859-1", "GB18030", "Shift_JIS", "UTF-32", "KOI8-R"};
    const size_t n = sizeof(names) / sizeof(names[0]);
    if (selector % (n + 1) == n)
        return Codings::autoLocal();
    return QLatin1String(names[selector % (n + 1)]);
}

void checkCount(const SubtitleSet &set, int maxCount)
{
    if (set.count < 0 || set.count > maxCount)
        broken("count out of range");
}

// What the readers promise about every subtitle they keep.
void checkRead(const SubtitleSet &set, bool srt)
{
    checkCount(set, SubtitleSet::Capacity);
    for (int i = 0; i < set.count; ++i) {
        const Subtitle &s = set.at(i);
        if (qint64(s.start) > qint64(s.end) + 100)
            broken("kept a subtitle that ends before it starts");
        if (i > 0 && qint64(s.start) < qint64(set.at(i - 1).start) + 100)
            broken("kept a subtitle out of sequence");
        if (srt && s.text.isEmpty())
            broken("kept a SubRip subtitle without text");
    }
}

// Both formats, encoded, as a save would write them.
void writeBoth(const SubtitleSet &set, const QString &coding)
{
    const TextCodec codec = TextCodec::named(coding);
    for (SubtitleFormat format : {SubtitleFormat::SubRip, SubtitleFormat::MicroDvd}) {
        const FormattedSet formatted = formatSubtitles(set, format, set.frameRate);
        if (formatted.written < 0 || formatted.written > set.count || formatted.cutAtZero > set.count)
            broken("written count");
        int unrepresentable = 0;
        codec.encode(formatted.text, &unrepresentable);
    }
}

void reader(const uint8_t *data, size_t size, bool srt)
{
    Input in(data, size);
    const QString coding = codingFor(in.byte());
    const uint8_t flags = in.byte();
    const int rate = microDvdFrameRates[flags & 3];
    const QByteArray bytes = in.rest();
    const QString name = srt ? QStringLiteral("fuzz.srt") : QStringLiteral("fuzz.sub");
    CheckingLog log;
    Session session(log);
    session.loadBytes(session.upper, bytes, name, coding, rate, false);
    checkRead(session.upper, srt);
    if (flags & 4) {
        session.options.gap = flags >> 3;
        session.loadBytes(session.upper, bytes, name, coding, rate, true);
        checkRead(session.upper, srt);
    }
    writeBoth(session.upper, coding);
}

// A set from the input, in no particular order; texts as the readers leave
// them, or raw with their whole length counted as visible.
void fillSet(SubtitleSet &set, Input &in, bool normalizeTexts)
{
    set.clear();
    const int n = in.byte() % 48;
    for (int i = 0; i < n && !in.done(); ++i) {
        const qint32 start = in.time();
        const qint32 end = (in.byte() & 1) ? in.time() : clampToInt32(qint64(start) + in.number(-500, 8000));
        const bool angleTags = in.byte() & 1;
        const QString text = QString::fromUtf8(in.chunk(40));
        Subtitle &s = set.append(start, end, text, angleTags);
        if (!normalizeTexts) {
            s.text = text;
            s.visibleLength = text.size();
        }
    }
}

int within(int value, const NumberRange &range)
{
    return qBound(range.minimum, value, range.maximum);
}

} // namespace

void srtReader(const uint8_t *data, size_t size)
{
    reader(data, size, true);
}

void subReader(const uint8_t *data, size_t size)
{
    reader(data, size, false);
}

// No tag of the other style survives a conversion.
void tags(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const bool toSrt = in.byte() & 1;
    QString text = QString::fromUtf8(in.rest());
    int length = 0;
    for (bool srt : {toSrt, !toSrt}) {
        convertTags(text, srt);
        if (findBracketed(text, srt ? Bracket::Curly : Bracket::Angle, 0, &length) >= 0)
            broken("tag of the other style left");
    }
}

// Nothing of a chosen kind is left, and the counts add up.
void strip(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const uint8_t chosen = in.byte();
    QVector<Bracket> kinds;
    for (int k = 0; k < 4; ++k)
        if (chosen & (1 << k))
            kinds << Bracket(k);
    if (chosen & 32)
        std::reverse(kinds.begin(), kinds.end());
    SubtitleSet set(QStringLiteral("Up: "));
    const QList<QByteArray> texts = in.rest().split('\n');
    for (const QByteArray &text : texts) {
        Subtitle &s = set.append(0, 1000, QString(), chosen & 16);
        s.text = QString::fromUtf8(text); // raw, as a reader may not have cleaned it
    }
    const StripResult result = stripBrackets(set, kinds);
    if (result.leftEmpty < 0 || result.leftEmpty > result.changed || result.changed > set.count)
        broken("strip counts");
    int length = 0;
    for (int i = 0; i < set.count; ++i) {
        const Subtitle &s = set.at(i);
        for (Bracket kind : kinds)
            if (findBracketed(s.text, kind, 0, &length) >= 0)
                broken("bracket left");
        if (s.visibleLength < 0 || s.visibleLength > s.text.size())
            broken("visible length");
    }
}

void merge(const uint8_t *data, size_t size)
{
    Input in(data, size);
    CheckingLog log;
    Session session(log);
    ProcessingOptions &o = session.options;
    o.cps = within(in.number(0, 60), cpsRange);
    o.gap = within(in.number(-5, 60), gapRange);
    o.snap = within(in.number(0, 1100), snapRange);
    o.bottomLines = within(in.number(0, 31), bottomLinesRange);
    const uint8_t flags = in.byte();
    o.joinLines = flags & 1;
    o.colorTags = flags & 2;
    o.lastLine = LastLineStyle((flags >> 2) % 3);
    o.header = flags & 16;
    o.upperColor = in.time() & 0xffffff;
    o.lowerColor = in.time() & 0xffffff;
    const SubtitleFormat format = (flags & 32) ? SubtitleFormat::SubRip : SubtitleFormat::MicroDvd;
    session.merged.frameRate = (flags & 64) ? 23976 : 25000;
    fillSet(session.upper, in, flags & 128);
    fillSet(session.lower, in, flags & 128);

    session.process(format);
    checkCount(session.upper, SubtitleSet::Capacity);
    checkCount(session.lower, SubtitleSet::Capacity);
    // Two sets cut each other into at most four frames a subtitle, and the header.
    checkCount(session.merged, 4 * SubtitleSet::Capacity + 1);
    writeBoth(session.merged, QStringLiteral("UTF-8"));
}

const Target targets[5]
    = {{"srt_reader", srtReader}, {"sub_reader", subReader}, {"tags", tags}, {"strip", strip}, {"merge", merge}};

} // namespace fuzz
