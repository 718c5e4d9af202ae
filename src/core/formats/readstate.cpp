#include "core/formats/readstate.h"

#include "core/logsink.h"

namespace reading {

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

} // namespace reading

using namespace reading;

namespace {

const char *const repairNames[RepairKinds]
    = {"broken arrow", "short fraction", "no fraction", "short field", "no blank line", "end before start"};

} // namespace

ReadState::ReadState(SubtitleSet &set, const ReadRequest &request, LogSink &log)
    : m_set(set)
    , m_request(request)
    , m_log(log)
{
}

void ReadState::run(const QString &text)
{
    if (m_request.append && m_set.count > 0)
        m_appendOffset = clampToInt32(qint64(m_set.at(m_set.count - 1).end) + m_request.gap);
    else
        m_set.clear();

    const int first = m_set.count;
    m_current = m_set.count;
    m_target = m_current;
    // No subtitle takes fewer than eight characters ("{1}{2}x" and its line end).
    m_set.reserve(m_set.count + int(qMin<qint64>(SubtitleSet::Capacity, text.size() / 8)) + 2);
    LineReader lines(text, maxLineLength);
    QString line;
    while (m_current < SubtitleSet::Capacity && lines.next(&line)) {
        ++m_linesRead;
        addLine(line);
    }
    endOfText();
    m_set.count = m_current + (m_set.slot(m_current).text.isEmpty() ? 0 : 1);
    summarize(first);
}

void ReadState::summarize(int first)
{
    const QString &prefix = m_set.logPrefix;
    if (m_declaredRate > 0)
        m_log.log(LogInfo, prefix,
                  QStringLiteral("frame rate %1.%2 declared by the file")
                      .arg(m_declaredRate / 1000)
                      .arg(m_declaredRate % 1000, 3, 10, QLatin1Char('0')));
    m_log.log(LogInfo, prefix,
              QStringLiteral("%1 subs %2 from %3")
                  .arg(m_set.count - first)
                  .arg(m_request.append ? QStringLiteral("appended") : QStringLiteral("loaded"))
                  .arg(m_request.fileName));
    if (m_skipped > 0)
        m_log.log(LogInfo, prefix, QStringLiteral("%1 subs skipped").arg(m_skipped));
    if (m_joined > 0)
        m_log.log(LogWarning, prefix, QStringLiteral("%1 subs joined with the one before (same start)").arg(m_joined));
    for (int kind = 0; kind < RepairKinds; ++kind)
        if (m_repairs[kind] > 0)
            m_log.log(LogWarning, prefix,
                      QStringLiteral("%1 time lines repaired (%2)").arg(m_repairs[kind]).arg(repairNames[kind]));
}

void ReadState::report(int level, const QString &message)
{
    m_log.log(level, m_set.logPrefix, message);
}

void ReadState::countRepairs(unsigned repaired)
{
    for (int kind = 0; repaired != 0 && kind < RepairKinds; ++kind)
        m_repairs[kind] += (repaired >> kind) & 1;
}

void ReadState::closeBlock()
{
    Subtitle &s = m_set.slot(m_target);
    const bool joins = m_target != m_current;
    if (!blockHasText() || (!joins && !m_endBeforeStart)) {
        s.normalize();
        return;
    }
    qint64 end = m_blockEnd;
    if (m_endBeforeStart) {
        QString own = s.text.mid(m_textFrom);
        own.replace(QLatin1Char('|'), QLatin1Char(' '));
        end = m_blockStart
            + qint64(visibleLengthOf(own.simplified(), TagStyle::SubRip)) * 1000 / qMax(1, m_request.cps);
        ++m_repairs[EndBeforeStart];
    }
    s.normalize();
    if (joins) {
        s.end = clampToInt32(qMax<qint64>(s.end, end));
        ++m_joined;
    } else {
        s.end = clampToInt32(end);
    }
}

bool ReadState::blockHasText() const
{
    return m_set.slot(m_target).text.size() > m_textFrom;
}

void ReadState::startBlock(qint64 start, qint64 end)
{
    closeBlock();
    if (!m_set.slot(m_current).text.isEmpty()) {
        if (m_current < SubtitleSet::Capacity - 1)
            ++m_current;
        else
            report(LogError, QStringLiteral("too many lines"));
    }
    Subtitle &s = m_set.slot(m_current);
    start += m_appendOffset;
    end += m_appendOffset;
    s.text.clear();
    s.start = clampToInt32(start);
    s.end = clampToInt32(end);
    s.visibleLength = 0;
    s.angleTags = true;
    m_target = m_current;
    m_textFrom = 0;
    m_blockStart = start;
    m_blockEnd = end;
    m_endBeforeStart = false;
    m_inText = true;
    if (!fitsInt32(start) || !fitsInt32(end)) {
        // Would wrap in the 32-bit time fields: refuse rather than misplace it.
        report(LogWarning, QStringLiteral("time out of range #%1").arg(m_linesRead));
        ++m_skipped;
        m_inText = false;
        return;
    }
    if (m_current > 0) {
        const Subtitle &previous = m_set.at(m_current - 1);
        if (start < previous.start) {
            report(LogWarning, QStringLiteral("out of sequence #%1").arg(m_linesRead));
            ++m_skipped;
            m_inText = false;
            return;
        }
        if (start < qint64(previous.start) + timeToleranceMs) {
            m_target = m_current - 1;
            m_textFrom = previous.text.size();
        }
    }
    m_endBeforeStart = start > end + timeToleranceMs;
}

void ReadState::appendText(const QString &line)
{
    Subtitle &s = m_set.slot(m_target);
    if (!s.text.isEmpty())
        s.text += QLatin1Char('|');
    s.text += line;
}

void ReadState::finishBlocks()
{
    closeBlock();
    m_inText = false;
}

void ReadState::keepLineSubtitle(qint64 start, qint64 end, const QString &text, bool angleTags)
{
    Subtitle &s = m_set.slot(m_current);
    s.start = qint32(start);
    s.end = qint32(end);
    s.text = text;
    s.angleTags = angleTags;
    s.normalize();
    if (m_current > 0 && start < qint64(m_set.at(m_current - 1).start) + timeToleranceMs) {
        report(LogWarning, QStringLiteral("out of sequence #%1").arg(m_linesRead));
        ++m_skipped;
        s.reset();
        return;
    }
    if (m_current < SubtitleSet::Capacity) {
        ++m_current;
        m_set.count = m_current;
    } else {
        report(LogError, QStringLiteral("too many lines"));
    }
}

void ReadState::skipLine()
{
    report(LogDetail, QStringLiteral("sub too short#%1").arg(m_linesRead));
    ++m_skipped;
}
