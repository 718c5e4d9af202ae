// Reading SubRip, MicroDVD, MPL2 and SubViewer 2.0 text into a set, and
// telling which of them a text is in.

#include "core/formats.h"
#include "core/formats/substation.h"
#include "core/logsink.h"
#include "core/subtitleset.h"
#include "core/textfile.h"

#include <QFileInfo>

namespace {

constexpr int maxLineLength = 1024;

// The readers' margin in ms: a subtitle that starts less than this after the
// previous one is out of sequence, and one that ends more than this before
// its own start is refused as too short.
constexpr int timeToleranceMs = 100;

const char timeTemplate[] = "00:00:00,000 --> 00:00:00,000";
constexpr int timeTemplateLength = 29;

qint64 digitsAt(const QString &line, int from, int n)
{
    qint64 v = 0;
    for (int i = from; i < from + n; ++i)
        v = v * 10 + (line.at(i).unicode() - '0');
    return v;
}

qint64 timeAt(const QString &line, int from)
{
    return digitsAt(line, from, 2) * 3600000 + digitsAt(line, from + 3, 2) * 60000 + digitsAt(line, from + 6, 2) * 1000
        + digitsAt(line, from + 9, 3);
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool isBlank(QChar c)
{
    return c.unicode() == ' ' || c.unicode() == '\t';
}

// What a SubRip time line needed to be read, counted per load by kind.
enum Repair { BrokenArrow, ShortFraction, NoFraction, ShortField, NoBlankLine, RepairKinds };
const char *const repairNames[RepairKinds]
    = {"broken arrow", "short fraction", "no fraction", "short field", "no blank line"};

// "h:m:s" with one to three digits a field, then a fraction of one to three
// digits after a "." (or, with `commaToo`, a ","), a decimal fraction of a
// second: ",5" is 500 ms. Sets the Repair bits of what differs from the
// two-digit fields and three-digit fraction of SubRip. A fourth digit is left
// for the caller, whom it never suits.
bool readClockTime(const QChar *c, int n, int *at, bool commaToo, bool fractionNeeded, qint64 *ms, unsigned *repairs)
{
    int i = *at;
    qint64 fields[3] = {0, 0, 0};
    for (int f = 0; f < 3; ++f) {
        if (f > 0) {
            if (i >= n || c[i] != QLatin1Char(':'))
                return false;
            ++i;
        }
        int digits = 0;
        for (; i < n && isDigit(c[i]) && digits < 3; ++i, ++digits)
            fields[f] = fields[f] * 10 + (c[i].unicode() - '0');
        if (digits == 0)
            return false;
        if (digits != 2)
            *repairs |= 1u << ShortField;
    }
    qint64 fraction = 0;
    const bool separator
        = i + 1 < n && (c[i] == QLatin1Char('.') || (commaToo && c[i] == QLatin1Char(','))) && isDigit(c[i + 1]);
    if (separator) {
        ++i;
        static const int scale[] = {100, 10, 1};
        int digits = 0;
        for (; i < n && isDigit(c[i]) && digits < 3; ++i, ++digits)
            fraction += (c[i].unicode() - '0') * scale[digits];
        if (digits < 3)
            *repairs |= 1u << ShortFraction;
    } else if (fractionNeeded) {
        return false;
    } else {
        *repairs |= 1u << NoFraction;
    }
    *ms = fields[0] * 3600000 + fields[1] * 60000 + fields[2] * 1000 + fraction;
    *at = i;
    return true;
}

bool isArrowDash(QChar c)
{
    return c == QLatin1Char('-') || c.unicode() == 0x2013 || c.unicode() == 0x2014;
}

// A SubRip time line as real files write it when isTimeLine() refuses it:
// "0:00:01,5 - > 0:00:02" and the like, with anything after white space.
bool readRepairableTimeLine(const QString &line, qint64 *start, qint64 *end, unsigned *repairs)
{
    // The shortest is "0:0:0->0:0:0"; subtitle numbers and text are refused here.
    const int n = line.size();
    const QChar *c = line.constData();
    if (n < 12 || !isDigit(c[0]))
        return false;
    unsigned found = 0;
    int i = 0;
    if (!readClockTime(c, n, &i, true, false, start, &found))
        return false;
    const int arrowFrom = i;
    while (i < n && isBlank(c[i]))
        ++i;
    int dashes = 0;
    for (; i < n && (isArrowDash(c[i]) || (dashes > 0 && isBlank(c[i]))); ++i)
        dashes += isArrowDash(c[i]) ? 1 : 0;
    if (dashes == 0 || i >= n || c[i] != QLatin1Char('>'))
        return false;
    ++i;
    while (i < n && isBlank(c[i]))
        ++i;
    if (QStringView(c + arrowFrom, i - arrowFrom) != QLatin1String(" --> "))
        found |= 1u << BrokenArrow;
    if (!readClockTime(c, n, &i, true, false, end, &found) || (i < n && !c[i].isSpace()))
        return false;
    *repairs = found;
    return true;
}

// "00:00:20.19,00:00:22.59": hundredths (any decimal fraction) of a second.
bool readSubViewerTimeLine(const QString &line, qint64 *start, qint64 *end)
{
    const int n = line.size();
    const QChar *c = line.constData();
    if (n == 0 || !isDigit(c[0]))
        return false;
    unsigned ignored = 0;
    int i = 0;
    if (!readClockTime(c, n, &i, false, true, start, &ignored) || i >= n || c[i] != QLatin1Char(','))
        return false;
    ++i;
    return readClockTime(c, n, &i, false, true, end, &ignored) && (i == n || c[i].isSpace());
}

// "[10][25]": tenths of a second, the text after them. Ten digits at most,
// so that nothing overflows before the range check.
bool readMpl2Times(const QString &line, qint64 *start, qint64 *end, int *textFrom)
{
    const int n = line.size();
    const QChar *c = line.constData();
    int i = 0;
    while (i < n && isBlank(c[i]))
        ++i;
    qint64 values[2] = {0, 0};
    for (qint64 &value : values) {
        if (i >= n || c[i] != QLatin1Char('['))
            return false;
        ++i;
        int digits = 0;
        for (; i < n && isDigit(c[i]) && digits < 10; ++i, ++digits)
            value = value * 10 + (c[i].unicode() - '0');
        if (digits == 0 || i >= n || c[i] != QLatin1Char(']'))
            return false;
        ++i;
    }
    *start = values[0] * 100;
    *end = values[1] * 100;
    *textFrom = i;
    return true;
}

// A frame number between braces: digits with optional sign and white space around.
bool parseFrame(const QString &field, qint64 *frame)
{
    bool ok = false;
    const int v = field.trimmed().toInt(&ok, 10);
    if (ok)
        *frame = v;
    return ok;
}

// "{start}{end}" anywhere in the line; `close` is the second "}".
bool readFrames(const QString &line, qint64 *startFrame, qint64 *endFrame, int *close)
{
    const int open = line.indexOf(QLatin1Char('{'));
    if (open < 0)
        return false;
    const int mid = line.indexOf(QLatin1String("}{"), open);
    if (mid < 0)
        return false;
    *close = line.indexOf(QLatin1Char('}'), mid + 2);
    return *close >= 0 && parseFrame(line.mid(open + 1, mid - open - 1), startFrame)
        && parseFrame(line.mid(mid + 2, *close - mid - 2), endFrame);
}

// "29.970", "25", "23.9760": one of the prompt's rates, with any number of
// decimals, in frames per 1000 s; 0 for any other text.
int rateOfText(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    qint64 rate = 0;
    for (; i < t.size() && isDigit(t.at(i)) && i < 3; ++i)
        rate = rate * 10 + (t.at(i).unicode() - '0');
    if (i == 0)
        return 0;
    rate *= 1000;
    if (i < t.size() && t.at(i) == QLatin1Char('.')) {
        const int point = i++;
        for (; i < t.size() && isDigit(t.at(i)); ++i) {
            const int place = i - point; // 1 for tenths
            if (place <= 3)
                rate += (t.at(i).unicode() - '0') * (place == 1 ? 100 : place == 2 ? 10 : 1);
            else if (t.at(i) != QLatin1Char('0'))
                return 0;
        }
        if (i == point + 1)
            return 0;
    }
    if (i != t.size())
        return 0;
    for (int known : microDvdFrameRates)
        if (rate == known)
            return known;
    return 0;
}

// The rate a MicroDVD line declares, when it is {0}{0}R or {1}{1}R.
int declaredRateOf(const QString &line, qint64 startFrame, qint64 endFrame, int close)
{
    return startFrame == endFrame && (startFrame == 0 || startFrame == 1) ? rateOfText(line.mid(close + 1)) : 0;
}

// Digits alone, with white space around: a SubRip subtitle number.
bool isNumberLine(const QString &line)
{
    int digits = 0;
    for (const QChar c : line) {
        if (isDigit(c))
            ++digits;
        else if (!c.isSpace())
            return false;
    }
    return digits > 0;
}

// The format whose reader takes this line as a subtitle's time, if any.
std::optional<SubtitleFormat> timedFormatOf(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    unsigned repairs = 0;
    int at = 0;
    if (isTimeLine(line) || readRepairableTimeLine(line, &start, &end, &repairs))
        return SubtitleFormat::SubRip;
    if (readSubViewerTimeLine(line, &start, &end))
        return SubtitleFormat::SubViewer;
    if (readMpl2Times(line, &start, &end, &at))
        return SubtitleFormat::Mpl2;
    if (readFrames(line, &start, &end, &at))
        return SubtitleFormat::MicroDvd;
    return std::nullopt;
}

// The reading state of one load: the slot being filled, the append offset,
// and the counts the log reports.
class Reader
{
public:
    Reader(SubtitleSet &set, int frameRate, LogSink &log)
        : m_set(set)
        , m_frameRate(frameRate)
        , m_log(log)
    {
    }

    int current = 0;
    int appendOffset = 0;
    int linesRead = 0;
    int skipped = 0;
    int declaredRate = 0;
    int repairs[RepairKinds] = {};

    void addSubRipLine(const QString &line);
    void addSubViewerLine(const QString &line);
    void addMicroDvdLine(const QString &line);
    void addMpl2Line(const QString &line);
    // Ends the last block of a SubRip or SubViewer text.
    void finishBlocks(SubtitleFormat format);

private:
    SubtitleSet &m_set;
    int m_frameRate;
    LogSink &m_log;
    bool m_inText = false;
    bool m_framesSeen = false;
    // A number line right after a subtitle's text: the next subtitle's
    // number when a time line follows, else a line of the text.
    QString m_heldNumber;
    bool m_holdingNumber = false;

    void report(int level, const QString &message) { m_log.log(level, m_set.logPrefix, message); }
    void startBlock(qint64 start, qint64 end);
    void appendText(const QString &line);
    void releaseHeldNumber(bool timeLineFollows);
    void keepLineSubtitle(qint64 start, qint64 end, const QString &text, bool angleTags);
};

// A time line of SubRip or SubViewer: the subtitle it opens, checked against the one before.
void Reader::startBlock(qint64 start, qint64 end)
{
    m_set.slot(current).normalize();
    if (!m_set.slot(current).text.isEmpty()) {
        if (current < SubtitleSet::Capacity - 1)
            ++current;
        else
            report(LogError, QStringLiteral("too many lines"));
    }
    Subtitle &s = m_set.slot(current);
    start += appendOffset;
    end += appendOffset;
    s.text.clear();
    s.start = clampToInt32(start);
    s.end = clampToInt32(end);
    s.visibleLength = 0;
    s.angleTags = true;
    m_inText = true;
    if (!fitsInt32(start) || !fitsInt32(end)) {
        // Would wrap in the 32-bit time fields: refuse rather than misplace it.
        report(LogWarning, QStringLiteral("time out of range #%1").arg(linesRead));
        ++skipped;
        m_inText = false;
        return;
    }
    if (current > 0 && qint64(s.start) < qint64(m_set.at(current - 1).start) + timeToleranceMs) {
        report(LogWarning, QStringLiteral("out of sequence #%1").arg(linesRead));
        ++skipped;
        m_inText = false;
    }
    if (qint64(s.start) > qint64(s.end) + timeToleranceMs) {
        report(LogWarning, QStringLiteral("sub too short #%1").arg(linesRead));
        ++skipped;
        m_inText = false;
    }
}

void Reader::appendText(const QString &line)
{
    Subtitle &s = m_set.slot(current);
    if (!s.text.isEmpty())
        s.text += QLatin1Char('|');
    s.text += line;
}

void Reader::releaseHeldNumber(bool timeLineFollows)
{
    m_holdingNumber = false;
    if (timeLineFollows)
        ++repairs[NoBlankLine];
    else
        appendText(m_heldNumber);
}

void Reader::addSubRipLine(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    unsigned repaired = 0;
    bool timed = isTimeLine(line);
    if (timed) {
        start = timeAt(line, 0);
        end = timeAt(line, 17);
    } else {
        timed = readRepairableTimeLine(line, &start, &end, &repaired);
    }
    if (m_holdingNumber)
        releaseHeldNumber(timed);
    if (timed) {
        for (int kind = 0; repaired != 0 && kind < RepairKinds; ++kind)
            repairs[kind] += (repaired >> kind) & 1;
        startBlock(start, end);
        return;
    }
    if (line.isEmpty()) {
        m_inText = false;
        return;
    }
    if (m_inText) {
        if (isNumberLine(line) && !m_set.slot(current).text.isEmpty()) {
            m_heldNumber = line;
            m_holdingNumber = true;
            return;
        }
        appendText(line);
    }
}

void Reader::addSubViewerLine(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    if (readSubViewerTimeLine(line, &start, &end)) {
        startBlock(start, end);
        return;
    }
    if (line.trimmed().isEmpty()) {
        m_inText = false;
        return;
    }
    // Header lines ("[INFORMATION]", "[COLF]...") come before the first time
    // line, when no subtitle takes text.
    if (m_inText)
        appendText(QString(line).replace(QLatin1String("[br]"), QLatin1String("|"), Qt::CaseInsensitive));
}

void Reader::finishBlocks(SubtitleFormat format)
{
    if (m_holdingNumber)
        releaseHeldNumber(false);
    m_set.slot(current).normalize();
    if (format == SubtitleFormat::SubRip)
        addSubRipLine(QString());
    else
        addSubViewerLine(QString());
}

// A subtitle of a one-line format (MicroDVD, MPL2) behind the others.
void Reader::keepLineSubtitle(qint64 start, qint64 end, const QString &text, bool angleTags)
{
    Subtitle &s = m_set.slot(current);
    s.start = qint32(start);
    s.end = qint32(end);
    s.text = text;
    s.angleTags = angleTags;
    s.normalize();
    if (current > 0 && start < qint64(m_set.at(current - 1).start) + timeToleranceMs) {
        report(LogWarning, QStringLiteral("out of sequence #%1").arg(linesRead));
        ++skipped;
        s.reset();
        return;
    }
    if (current < SubtitleSet::Capacity) {
        ++current;
        m_set.count = current;
    } else {
        report(LogError, QStringLiteral("too many lines"));
    }
}

void Reader::addMicroDvdLine(const QString &line)
{
    qint64 startFrame = 0;
    qint64 endFrame = 0;
    int close = -1;
    const bool read = readFrames(line, &startFrame, &endFrame, &close);
    if (read && !m_framesSeen) {
        m_framesSeen = true;
        const int rate = declaredRateOf(line, startFrame, endFrame, close);
        if (rate > 0) {
            declaredRate = rate;
            return;
        }
    }
    qint64 start = 0;
    qint64 end = 0;
    if (read && endFrame > startFrame && m_frameRate > 0) {
        start = msOfFrame(startFrame, m_frameRate) + appendOffset;
        end = msOfFrame(endFrame, m_frameRate) + appendOffset;
    }
    // Frames whose time does not fit the 32-bit fields are no subtitle either.
    if (!read || endFrame <= startFrame || m_frameRate <= 0 || !fitsInt32(start) || !fitsInt32(end)) {
        report(LogDetail, QStringLiteral("sub too short#%1").arg(linesRead));
        ++skipped;
        return;
    }
    keepLineSubtitle(start, end, line.mid(close + 1), false);
}

void Reader::addMpl2Line(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    int textFrom = 0;
    if (readMpl2Times(line, &start, &end, &textFrom) && end > start && fitsInt32(start + appendOffset)
        && fitsInt32(end + appendOffset)) {
        // A line of the text that starts with "/" is in italics.
        QStringList parts = line.mid(textFrom).split(QLatin1Char('|'));
        for (QString &part : parts) {
            const QString trimmed = part.trimmed();
            if (trimmed.startsWith(QLatin1Char('/')))
                part = QLatin1String("<i>") + trimmed.mid(1).trimmed() + QLatin1String("</i>");
        }
        keepLineSubtitle(start + appendOffset, end + appendOffset, parts.join(QLatin1Char('|')), true);
        return;
    }
    if (line.trimmed().isEmpty())
        return;
    report(LogDetail, QStringLiteral("sub too short#%1").arg(linesRead));
    ++skipped;
}

QString rateText(int rate)
{
    return QStringLiteral("%1.%2").arg(rate / 1000).arg(rate % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace

QString formatName(SubtitleFormat format)
{
    switch (format) {
    case SubtitleFormat::SubRip:
        return QStringLiteral("SubRip");
    case SubtitleFormat::MicroDvd:
        return QStringLiteral("MicroDVD");
    case SubtitleFormat::Mpl2:
        return QStringLiteral("MPL2");
    case SubtitleFormat::SubViewer:
        return QStringLiteral("SubViewer 2.0");
    case SubtitleFormat::Ass:
        return QStringLiteral("Advanced SubStation");
    }
    return QString();
}

SubtitleFormat formatOfFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    if (suffix.compare(QLatin1String("ass"), Qt::CaseInsensitive) == 0)
        return SubtitleFormat::Ass;
    return suffix.compare(QLatin1String("srt"), Qt::CaseInsensitive) == 0 ? SubtitleFormat::SubRip
                                                                          : SubtitleFormat::MicroDvd;
}

std::optional<SubtitleFormat> sniffFormat(const QString &text)
{
    // A stray line of another format (a text line that looks like MPL2) is
    // outvoted by the lines around it; a clean file is decided in its first
    // few subtitles.
    constexpr int votesNeeded = 5;
    int votes[4] = {};
    int cast = 0;
    std::optional<SubtitleFormat> first;
    LineReader lines(text, maxLineLength);
    QString line;
    while (cast < votesNeeded && lines.next(&line)) {
        const std::optional<SubtitleFormat> format = timedFormatOf(line);
        if (!format)
            continue;
        if (!first)
            first = format;
        ++votes[int(*format)];
        ++cast;
    }
    if (!first)
        return std::nullopt;
    SubtitleFormat best = *first;
    for (int f = 0; f < 4; ++f)
        if (votes[f] > votes[int(best)])
            best = SubtitleFormat(f);
    return best;
}

int frameRateOfEntry(const QString &entry)
{
    QString digits = entry.left(6);
    digits.remove(QLatin1Char('.'));
    bool ok = false;
    const int rate = digits.toInt(&ok);
    return ok ? rate : 0;
}

int declaredFrameRate(const QString &text)
{
    LineReader lines(text, maxLineLength);
    QString line;
    qint64 startFrame = 0;
    qint64 endFrame = 0;
    int close = -1;
    while (lines.next(&line))
        if (readFrames(line, &startFrame, &endFrame, &close))
            return declaredRateOf(line, startFrame, endFrame, close);
    return 0;
}

bool isTimeLine(const QString &line)
{
    if (line.size() < timeTemplateLength)
        return false;
    for (int i = 0; i < timeTemplateLength; ++i) {
        const char t = timeTemplate[i];
        const QChar c = line.at(i);
        if (t == '0') {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        } else if (c != QLatin1Char(t) && !(t == ',' && c == QLatin1Char('.'))) {
            return false;
        }
    }
    return true;
}

void readSubtitles(SubtitleSet &set, const QString &text, SubtitleFormat format, int frameRate, bool append, int gap,
                   const QString &fileName, LogSink &log)
{
    if (format == SubtitleFormat::Ass) {
        readSubStation(set, text, append, gap, fileName, log);
        return;
    }
    const bool blocks = format == SubtitleFormat::SubRip || format == SubtitleFormat::SubViewer;
    if (format == SubtitleFormat::MicroDvd)
        set.frameRate = frameRate;
    Reader reader(set, frameRate, log);
    if (append && set.count > 0)
        reader.appendOffset = clampToInt32(qint64(set.at(set.count - 1).end) + gap);
    else
        set.clear();

    const int first = set.count;
    reader.current = set.count;
    // No subtitle takes fewer than eight characters ("{1}{2}x" and its line end).
    set.reserve(set.count + int(qMin<qint64>(SubtitleSet::Capacity, text.size() / 8)) + 2);
    LineReader lines(text, maxLineLength);
    QString line;
    while (reader.current < SubtitleSet::Capacity && lines.next(&line)) {
        ++reader.linesRead;
        switch (format) {
        case SubtitleFormat::SubRip:
            reader.addSubRipLine(line);
            break;
        case SubtitleFormat::MicroDvd:
            reader.addMicroDvdLine(line);
            break;
        case SubtitleFormat::Mpl2:
            reader.addMpl2Line(line);
            break;
        case SubtitleFormat::SubViewer:
            reader.addSubViewerLine(line);
            break;
        case SubtitleFormat::Ass: // read above
            break;
        }
    }
    if (blocks)
        reader.finishBlocks(format);
    set.count = reader.current + (set.slot(reader.current).text.isEmpty() ? 0 : 1);

    if (reader.declaredRate > 0)
        log.log(LogInfo, set.logPrefix,
                QStringLiteral("frame rate %1 declared by the file").arg(rateText(reader.declaredRate)));
    log.log(LogInfo, set.logPrefix,
            QStringLiteral("%1 subs %2 from %3")
                .arg(set.count - first)
                .arg(append ? QStringLiteral("appended") : QStringLiteral("loaded"))
                .arg(fileName));
    if (reader.skipped > 0)
        log.log(LogInfo, set.logPrefix, QStringLiteral("%1 subs skipped").arg(reader.skipped));
    for (int kind = 0; kind < RepairKinds; ++kind)
        if (reader.repairs[kind] > 0)
            log.log(LogWarning, set.logPrefix,
                    QStringLiteral("%1 time lines repaired (%2)").arg(reader.repairs[kind]).arg(repairNames[kind]));
}
