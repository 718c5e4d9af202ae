#include "fuzztargets.h"

#include "core/codings.h"
#include "core/formats.h"
#include "core/formats/advancedsubstation.h"
#include "core/logsink.h"
#include "core/merge.h"
#include "core/session.h"
#include "core/strip.h"
#include "core/tags.h"
#include "media/videofile.h"

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
    if (selector % (n + 2) == n)
        return Codings::autoLocal();
    if (selector % (n + 2) == n + 1)
        return Codings::autoDetect();
    return QLatin1String(names[selector % (n + 2)]);
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

// What decodeFile promises for any bytes under any choice: a byte-order mark
// decides (a UTF-8 one only before bytes that are not all UTF-8 may be
// ignored), a choice is taken, valid UTF-8 is UTF-8 to "Auto Detect", and each
// character counted as undecodable left a U+FFFD.
DecodedText checkDecoded(const QByteArray &bytes, const QString &coding)
{
    using Source = DecodedText::Source;
    const DecodedText decoded = decodeFile(bytes, coding);
    const QString utf8 = QString::fromUtf8(bytes.constData(), bytes.size()); // past NUL bytes too
    const bool marked = bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")
        || bytes.startsWith(QByteArray("\0\0\xFE\xFF", 4));
    const bool detecting = coding == Codings::autoDetect();
    const bool ignored = !decoded.ignoredMark.isEmpty();
    if (ignored
        && (!bytes.startsWith("\xEF\xBB\xBF") || decoded.ignoredMark != QLatin1String("UTF-8")
            || utf8.toUtf8() == bytes))
        broken("a byte-order mark ignored that is no UTF-8 mark, or before UTF-8");
    if ((decoded.source == Source::ByteOrderMark) != (marked && !ignored))
        broken("a byte-order mark did not decide");
    if ((!marked || ignored) && (decoded.source == Source::Chosen) == detecting)
        broken("a chosen coding not taken, or \"Auto Detect\" taken as one");
    if (decoded.source == Source::Utf8 && (decoded.undecodable != 0 || decoded.text != utf8))
        broken("UTF-8 not read as UTF-8");
    // Zero bytes may tell UTF-16 or UTF-32 instead.
    if (detecting && !marked && decoded.source != Source::Utf8 && !bytes.contains('\0') && utf8.toUtf8() == bytes)
        broken("valid UTF-8 not taken as UTF-8");
    if (decoded.source == Source::Fallback && decoded.coding != QLatin1String("Windows-1252"))
        broken("a fallback other than Windows-1252");
    if (decoded.coding.isEmpty())
        broken("no coding named");
    if (decoded.undecodable < 0 || decoded.undecodable > decoded.text.count(QChar(QChar::ReplacementCharacter)))
        broken("more characters undecodable than replaced");
    if (decoded.undecodable == 0 && !decoded.likely.isEmpty())
        broken("a likelier coding for a clean text");
    return decoded;
}

// A load's log: the format it read the file in (its name's, unless the log
// says "fuzz.srt read as MPL2"), and its lines about the coding, which must be
// what decodeFile found.
class LoadLog : public CheckingLog
{
public:
    QString readAs;
    QStringList codingLines;
    void write(int level, const QString &line) override
    {
        CheckingLog::write(level, line);
        const int at = line.indexOf(QLatin1String(" read as "));
        if (at >= 0)
            readAs = line.mid(at + 9);
        if (line.startsWith(QLatin1String("Up: coding ")) || line.contains(QLatin1String(" not decodable as "))
            || line.startsWith(QLatin1String("Up: byte-order mark "))) {
            if (level != LogWarning)
                broken("a coding line not at level 1");
            codingLines << line;
        }
    }
    bool readAsSubRip(bool srtName)
    {
        const bool srt = readAs.isEmpty() ? srtName : readAs == formatName(SubtitleFormat::SubRip);
        readAs.clear();
        return srt;
    }
    void checkCodingLines(const DecodedText &decoded)
    {
        QStringList expected;
        if (!decoded.ignoredMark.isEmpty())
            expected << QStringLiteral("Up: byte-order mark says UTF-8, but the text is not: mark ignored");
        if (decoded.source == DecodedText::Source::Detected)
            expected << QStringLiteral("Up: coding detected: ") + decoded.coding;
        else if (decoded.source == DecodedText::Source::Fallback)
            expected << QStringLiteral("Up: coding not detected, Windows-1252 used");
        if (decoded.undecodable > 0)
            expected << QStringLiteral("Up: %1 characters not decodable as %2%3")
                            .arg(decoded.undecodable)
                            .arg(decoded.coding, decoded.likely.isEmpty() ? QString() : "; try " + decoded.likely);
        if (codingLines != expected)
            broken("the coding lines of a load are not what decodeFile found");
        codingLines.clear();
    }
};

// A load reads the text decodeFile gives, in the format sniffFormat names, at
// the rate given or else the declared one or 23.976; a text without subtitles
// is no load.
void checkSessionRead(const SubtitleSet &read, bool loaded, const QString &text, int rate, const QString &name)
{
    const std::optional<SubtitleFormat> format = sniffFormat(text);
    if (loaded != format.has_value())
        broken("a load and the sniffer disagree");
    SubtitleSet expected(QStringLiteral("Up: "));
    if (format) {
        const int declared = declaredFrameRate(text);
        const int used = rate > 0 ? rate : declared > 0 ? declared : microDvdFrameRates[0];
        CheckingLog quiet;
        ReadRequest request;
        request.frameRate = used;
        request.fileName = name;
        readSubtitles(expected, text, *format, request, quiet);
    }
    bool same = read.count == expected.count && read.frameRate == expected.frameRate;
    for (int i = 0; same && i < read.count; ++i) {
        const Subtitle &a = read.at(i), &b = expected.at(i);
        same = a.start == b.start && a.end == b.end && a.text == b.text && a.angleTags == b.angleTags;
    }
    if (!same)
        broken("a load read other subtitles than its reader");
}

// Each kind of log line at most once a load, and no declared rate but from a
// MicroDVD text.
class ReadingLog : public CheckingLog
{
public:
    QStringList once;
    void write(int level, const QString &line) override
    {
        CheckingLog::write(level, line);
        if (line.contains(QLatin1String(" time lines repaired ("))
            || line.contains(QLatin1String(" declared by the file")) || line.endsWith(QLatin1String(" left out"))
            || line.contains(QLatin1String(" joined with the one before"))) {
            const QString kind = line.section(QLatin1Char(' '), 2);
            if (once.contains(kind))
                broken("a repair or declaration logged twice");
            once << kind;
        }
    }
};

// Every reader on the decoded text, whatever the name says: what they keep,
// and that a text the sniffer calls no subtitles gives none.
void readEveryFormat(const QString &text, int rate, bool append, int gap)
{
    const std::optional<SubtitleFormat> sniffed = sniffFormat(text);
    const int declared = declaredFrameRate(text);
    if (declared != 0
        && std::find(std::begin(microDvdFrameRates), std::end(microDvdFrameRates), declared)
            == std::end(microDvdFrameRates))
        broken("declared a rate the prompt does not offer");
    for (const FormatInfo &info : formatTable()) {
        if (!info.read)
            continue;
        const SubtitleFormat format = info.format;
        // Block formats keep no subtitle without text; one-line formats may.
        // SubStation reads Dialogue lines wherever they are, also where the
        // first lines do not tell a script.
        const bool script = format == SubtitleFormat::Ass;
        const bool blocks = format == SubtitleFormat::SubRip || format == SubtitleFormat::SubViewer
            || format == SubtitleFormat::WebVtt || script;
        SubtitleSet set(QStringLiteral("Up: "));
        for (bool again : {false, true}) {
            if (again && !append)
                break;
            ReadingLog log;
            const bool full = again && set.count >= SubtitleSet::Capacity; // then no line is read
            ReadRequest request;
            request.frameRate = rate;
            request.append = again;
            request.gap = gap;
            request.fileName = QStringLiteral("fuzz");
            readSubtitles(set, text, format, request, log);
            checkRead(set, blocks);
            if (!sniffed && set.count > 0 && !script)
                broken("read subtitles from a text sniffed as none");
            for (int i = 0; script && i < set.count; ++i)
                if (set.at(i).start >= set.at(i).end || !set.at(i).angleTags)
                    broken("a SubStation subtitle without duration or in other tags");
            const bool declaredLine = log.once.filter(QLatin1String("declared by the file")).size() == 1;
            if (!full && declaredLine != (format == SubtitleFormat::MicroDvd && declared > 0))
                broken("declared rate and its log line disagree");
        }
    }
}

// The first byte picks the coding, and with its top bit no frame rate (a
// MicroDVD file then reads at its own rate, else at 23.976).
void reader(const uint8_t *data, size_t size, bool srt)
{
    Input in(data, size);
    const uint8_t selector = in.byte();
    const QString coding = codingFor(selector & 0x7f);
    const uint8_t flags = in.byte();
    const int rate = (selector & 0x80) ? 0 : microDvdFrameRates[flags & 3];
    const QByteArray bytes = in.rest();
    const QString name = srt ? QStringLiteral("fuzz.srt") : QStringLiteral("fuzz.sub");
    const DecodedText decoded = checkDecoded(bytes, coding);
    if (coding != Codings::autoDetect())
        checkDecoded(bytes, Codings::autoDetect());
    LoadLog log;
    Session session(log);
    const bool loaded = session.loadBytes(session.upper, bytes, name, coding, rate, false);
    log.checkCodingLines(decoded);
    checkRead(session.upper, log.readAsSubRip(srt));
    checkSessionRead(session.upper, loaded, decoded.text, rate, name);
    if (flags & 4) {
        session.options.gap = flags >> 3;
        session.loadBytes(session.upper, bytes, name, coding, rate, true);
        log.checkCodingLines(decoded);
        checkRead(session.upper, log.readAsSubRip(srt));
    }
    writeBoth(session.upper, coding);
    readEveryFormat(decoded.text, rate > 0 ? rate : microDvdFrameRates[0], flags & 4, flags >> 3);
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
        convertTags(text, srt ? TagStyle::SubRip : TagStyle::MicroDvd);
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
    // Automatic links join subtitles that exist, never cross, and the lower
    // set synchronized through them still merges.
    session.autoLink();
    for (int k = 0; k < session.links.count(); ++k) {
        const SyncLinks::Link &link = session.links.at(k);
        if (link.upperRow < 0 || link.upperRow >= session.upper.count || link.lowerRow < 0
            || link.lowerRow >= session.lower.count)
            broken("auto link beyond a set");
        const SyncLinks::Link *previous = k > 0 ? &session.links.at(k - 1) : nullptr;
        if (previous && (link.upperRow <= previous->upperRow || link.lowerRow <= previous->lowerRow))
            broken("auto links cross");
    }
    session.synchronize(session.lower);

    session.process(format);
    checkCount(session.upper, SubtitleSet::Capacity);
    checkCount(session.lower, SubtitleSet::Capacity);
    // Two sets cut each other into at most four frames a subtitle, and the header.
    checkCount(session.merged, 4 * SubtitleSet::Capacity + 1);
    writeBoth(session.merged, QStringLiteral("UTF-8"));

    // The same sets as .ass: one line per event counted, whatever the texts hold.
    o.upperPosition = (o.upperColor & 1) ? UpperPosition::Top : UpperPosition::Above;
    session.process(SubtitleFormat::Ass);
    QString script;
    const FormattedSet ass
        = formatAssPair(session.upper, session.lower, o, [&script](const QString &piece) { script += piece; });
    if (script.count(QLatin1String("\nDialogue: ")) != ass.written || ass.written > 2 * SubtitleSet::Capacity + 1)
        broken("ass events");
}

void container(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    media::VideoFile video;
    QString error;
    if (!video.openBytes(bytes, &error)) {
        if (error.isEmpty())
            broken("refused without a reason");
        return;
    }
    CheckingLog log;
    Session session(log);
    for (const media::Track &track : video.tracks()) {
        if (!track.description().startsWith(QLatin1Char('#')) || track.tabLine().count(QLatin1Char('\t')) != 5)
            broken("track line");
        if (track.kind != media::TrackKind::Text)
            continue;
        // Each text track reads into a document that loads as a set's file.
        media::TrackDocument document;
        if (video.read(track.number, &document, &error) != media::VideoFile::ReadResult::Ok) {
            if (error.isEmpty())
                broken("read failed without a reason");
            continue;
        }
        // A script or WebVTT file has its header also without a cue.
        if (document.count < 0 || (document.bytes.isEmpty() && document.count != 0))
            broken("document count");
        Session::PreparedLoad load;
        load.path = QStringLiteral("fuzz.mkv");
        load.text = session.decode(session.upper, document.bytes, Codings::autoDetect()).text;
        load.format = document.format;
        load.track = track.number;
        session.loadPrepared(session.upper, load, 0, false);
        checkCount(session.upper, SubtitleSet::Capacity);
    }
}

const Target targets[6] = {{"srt_reader", srtReader}, {"sub_reader", subReader}, {"tags", tags},
                           {"strip", strip},          {"merge", merge},          {"container", container}};

} // namespace fuzz
