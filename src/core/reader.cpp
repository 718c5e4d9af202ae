// Reading SubRip and MicroDVD text into a set.

#include "core/formats.h"
#include "core/logsink.h"
#include "core/subtitleset.h"
#include "core/textfile.h"

#include <QFileInfo>

namespace {

constexpr int maxLineLength = 1024;

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

// A frame number between braces: digits with optional sign and white space around.
bool parseFrame(const QString &field, qint64 *frame)
{
    bool ok = false;
    const int v = field.trimmed().toInt(&ok, 10);
    if (ok)
        *frame = v;
    return ok;
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

    void addSubRipLine(const QString &line);
    void addMicroDvdLine(const QString &line);

private:
    SubtitleSet &m_set;
    int m_frameRate;
    LogSink &m_log;
    bool m_inText = false;

    void report(int level, const QString &message) { m_log.log(level, m_set.logPrefix, message); }
};

void Reader::addSubRipLine(const QString &line)
{
    if (isTimeLine(line)) {
        m_set.slot(current).normalize();
        if (!m_set.slot(current).text.isEmpty()) {
            if (current < SubtitleSet::Capacity - 1)
                ++current;
            else
                report(LogError, QStringLiteral("too many lines"));
        }
        Subtitle &s = m_set.slot(current);
        const qint64 start = timeAt(line, 0) + appendOffset;
        const qint64 end = timeAt(line, 17) + appendOffset;
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
        if (current > 0 && qint64(s.start) < qint64(m_set.at(current - 1).start) + 100) {
            report(LogWarning, QStringLiteral("out of sequence #%1").arg(linesRead));
            ++skipped;
            m_inText = false;
        }
        if (qint64(s.start) > qint64(s.end) + 100) {
            report(LogWarning, QStringLiteral("sub too short #%1").arg(linesRead));
            ++skipped;
            m_inText = false;
        }
        return;
    }
    if (line.isEmpty()) {
        m_inText = false;
        return;
    }
    if (m_inText) {
        Subtitle &s = m_set.slot(current);
        if (!s.text.isEmpty())
            s.text += QLatin1Char('|');
        s.text += line;
    }
}

void Reader::addMicroDvdLine(const QString &line)
{
    qint64 startFrame = 0;
    qint64 endFrame = 0;
    int close = -1;
    bool read = false;
    const int open = line.indexOf(QLatin1Char('{'));
    if (open >= 0) {
        const int mid = line.indexOf(QLatin1String("}{"), open);
        if (mid >= 0) {
            close = line.indexOf(QLatin1Char('}'), mid + 2);
            if (close >= 0)
                read = parseFrame(line.mid(open + 1, mid - open - 1), &startFrame)
                    && parseFrame(line.mid(mid + 2, close - mid - 2), &endFrame);
        }
    }
    qint64 start = 0;
    qint64 end = 0;
    if (read && endFrame > startFrame && m_frameRate > 0) {
        start = startFrame * 1000000 / m_frameRate + appendOffset;
        end = endFrame * 1000000 / m_frameRate + appendOffset;
    }
    // Frames whose time does not fit the 32-bit fields are no subtitle either.
    if (!read || endFrame <= startFrame || m_frameRate <= 0 || !fitsInt32(start) || !fitsInt32(end)) {
        report(LogDetail, QStringLiteral("sub too short#%1").arg(linesRead));
        ++skipped;
        return;
    }

    Subtitle &s = m_set.slot(current);
    s.start = qint32(start);
    s.end = qint32(end);
    s.text = line.mid(close + 1);
    s.angleTags = false;
    s.normalize();
    if (current > 0 && start < qint64(m_set.at(current - 1).start) + 100) {
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

} // namespace

SubtitleFormat formatOfFileName(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("srt"), Qt::CaseInsensitive) == 0
        ? SubtitleFormat::SubRip
        : SubtitleFormat::MicroDvd;
}

int frameRateOfEntry(const QString &entry)
{
    QString digits = entry.left(6);
    digits.remove(QLatin1Char('.'));
    bool ok = false;
    const int rate = digits.toInt(&ok);
    return ok ? rate : 0;
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
    const bool srt = format == SubtitleFormat::SubRip;
    if (!srt)
        set.frameRate = frameRate;
    Reader reader(set, frameRate, log);
    if (append && set.count > 0)
        reader.appendOffset = clampToInt32(qint64(set.at(set.count - 1).end) + gap);
    else
        set.clear();

    const int first = set.count;
    reader.current = set.count;
    LineReader lines(text, maxLineLength);
    QString line;
    while (reader.current < SubtitleSet::Capacity && lines.next(&line)) {
        ++reader.linesRead;
        if (srt)
            reader.addSubRipLine(line);
        else
            reader.addMicroDvdLine(line);
    }
    if (srt) {
        set.slot(reader.current).normalize();
        reader.addSubRipLine(QString());
    }
    set.count = reader.current + (set.slot(reader.current).text.isEmpty() ? 0 : 1);

    log.log(LogInfo, set.logPrefix,
            QStringLiteral("%1 subs %2 from %3")
                .arg(set.count - first)
                .arg(append ? QStringLiteral("appended") : QStringLiteral("loaded"))
                .arg(fileName));
    if (reader.skipped > 0)
        log.log(LogInfo, set.logPrefix, QStringLiteral("%1 subs skipped").arg(reader.skipped));
}
