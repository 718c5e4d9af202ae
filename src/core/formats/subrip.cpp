#include "core/formats/subrip.h"

#include "core/formats/readstate.h"
#include "core/tags.h"

using namespace reading;

namespace {

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

// Digits alone, with white space around: a subtitle number.
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

class SubRipReader : public ReadState
{
public:
    using ReadState::ReadState;

private:
    // A number line right after a subtitle's text: the next subtitle's
    // number when a time line follows, else a line of the text.
    QString m_heldNumber;
    bool m_holdingNumber = false;

    void addLine(const QString &line) override;
    void endOfText() override;
    void releaseHeldNumber(bool timeLineFollows);
};

void SubRipReader::releaseHeldNumber(bool timeLineFollows)
{
    m_holdingNumber = false;
    if (timeLineFollows)
        ++m_repairs[NoBlankLine];
    else
        appendText(m_heldNumber);
}

void SubRipReader::addLine(const QString &line)
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
        countRepairs(repaired);
        startBlock(start, end);
        return;
    }
    if (line.isEmpty()) {
        m_inText = false;
        return;
    }
    if (m_inText) {
        if (isNumberLine(line) && blockHasText()) {
            m_heldNumber = line;
            m_holdingNumber = true;
            return;
        }
        appendText(line);
    }
}

void SubRipReader::endOfText()
{
    if (m_holdingNumber)
        releaseHeldNumber(false);
    finishBlocks();
}

void appendTimeLine(QString &out, int start, int end)
{
    appendClockTime(out, start, ',');
    out += QLatin1String(" --> ");
    appendClockTime(out, end, ',');
}

void appendSubRip(QString &out, const Subtitle &subtitle, int start, int number)
{
    out += QString::number(number);
    out += QLatin1Char('\n');
    appendTimeLine(out, start, subtitle.end);
    out += QLatin1Char('\n');
    const int from = out.size();
    if (subtitle.angleTags) {
        out += subtitle.text;
    } else {
        QString text = subtitle.text;
        convertTags(text, TagStyle::SubRip);
        out += text;
    }
    // Lines are kept joined by "|" in memory.
    QChar *c = out.data() + from;
    for (QChar *const end = out.data() + out.size(); c != end; ++c)
        if (*c == QLatin1Char('|'))
            *c = QLatin1Char('\n');
    out += QLatin1String("\n\n");
}

FormattedSet writeSubRip(const WriteRequest &request, const PieceSink &out)
{
    return writeEachSubtitle(request.set, out, appendSubRip);
}

} // namespace

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

bool isSubRipTimeLine(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    unsigned repairs = 0;
    return isTimeLine(line) || readRepairableTimeLine(line, &start, &end, &repairs);
}

// Saving 20000 subtitles formats 40000 times: the usual case by hand, the rest
// (negative, 100 hours and more) through printf.
void appendClockTime(QString &out, int t, char separator)
{
    if (t < 0 || t >= 360000000) {
        const int ms = t % 1000;
        const int totalSeconds = t / 1000;
        const int seconds = totalSeconds % 60;
        const int totalMinutes = totalSeconds / 60;
        out += QString::asprintf("%02i:%02i:%02i%c%03i", totalMinutes / 60, totalMinutes % 60, seconds, separator, ms);
        return;
    }
    const int parts[4] = {t / 3600000, t / 60000 % 60, t / 1000 % 60, t % 1000};
    QChar digits[12];
    int k = 0;
    for (int i = 0; i < 4; ++i) {
        if (i == 3)
            digits[k++] = QLatin1Char(char('0' + parts[i] / 100));
        digits[k++] = QLatin1Char(char('0' + parts[i] / 10 % 10));
        digits[k++] = QLatin1Char(char('0' + parts[i] % 10));
        if (i < 3)
            digits[k++] = QLatin1Char(i == 2 ? separator : ':');
    }
    out.append(digits, 12);
}

QString formatTime(int ms)
{
    QString out;
    appendClockTime(out, ms, ',');
    return out;
}

QString formatTimeLine(int start, int end)
{
    QString out;
    out.reserve(29);
    appendTimeLine(out, start, end);
    return out;
}

FormatInfo subRipFormat()
{
    FormatInfo f(SubtitleFormat::SubRip, QStringLiteral("SubRip"), {QStringLiteral("srt")});
    f.read = readWith<SubRipReader>;
    f.isTimedLine = isSubRipTimeLine;
    f.write = writeSubRip;
    f.saveFilter = QStringLiteral("SubRip (*.srt)");
    return f;
}
