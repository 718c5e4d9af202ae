// Writing a set as SubRip or MicroDVD text.

#include "core/formats.h"
#include "core/subtitleset.h"
#include "core/tags.h"

namespace {

// Saving 20000 subtitles formats 40000 times: the usual case by hand, the rest
// (negative, 100 hours and more) through printf.
void appendTime(QString &out, int t)
{
    if (t < 0 || t >= 360000000) {
        const int ms = t % 1000;
        const int totalSeconds = t / 1000;
        const int seconds = totalSeconds % 60;
        const int totalMinutes = totalSeconds / 60;
        out += QString::asprintf("%02i:%02i:%02i,%03i", totalMinutes / 60, totalMinutes % 60, seconds, ms);
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
            digits[k++] = QLatin1Char(i == 2 ? ',' : ':');
    }
    out.append(digits, 12);
}

void appendTimeLine(QString &out, int start, int end)
{
    appendTime(out, start);
    out += QLatin1String(" --> ");
    appendTime(out, end);
}

} // namespace

QString formatTime(int ms)
{
    QString out;
    appendTime(out, ms);
    return out;
}

QString formatTimeLine(int start, int end)
{
    QString out;
    out.reserve(29);
    appendTimeLine(out, start, end);
    return out;
}

namespace {

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

void appendMicroDvd(QString &out, const Subtitle &subtitle, int start, int frameRate)
{
    const qint64 startFrame = frameOfMs(start, frameRate);
    const qint64 endFrame = frameOfMs(subtitle.end, frameRate);
    QString text = subtitle.text;
    if (subtitle.angleTags)
        convertTags(text, TagStyle::MicroDvd);
    out += QLatin1Char('{');
    out += QString::number(startFrame);
    out += QLatin1String("}{");
    out += QString::number(endFrame);
    out += QLatin1Char('}');
    out += text;
    out += QLatin1Char('\n');
}

} // namespace

bool cutAtZero(int &start, int end, FormattedSet &result)
{
    if (end <= 0) {
        ++result.cutAtZero;
        return false;
    }
    if (start < 0) {
        ++result.cutAtZero;
        start = 0;
    }
    return true;
}

FormattedSet formatSubtitles(const SubtitleSet &set, SubtitleFormat format, int frameRate,
                             const std::function<void(const QString &piece)> &out)
{
    FormattedSet result;
    QString piece;
    for (const Subtitle &s : set) {
        int start = s.start;
        if (s.text.isEmpty() || !cutAtZero(start, s.end, result))
            continue;
        ++result.written;
        if (format == SubtitleFormat::SubRip)
            appendSubRip(piece, s, start, result.written);
        else
            appendMicroDvd(piece, s, start, frameRate);
        if (result.written % subtitlesPerPiece == 0) {
            out(piece);
            piece.clear();
        }
    }
    if (!piece.isEmpty())
        out(piece);
    return result;
}

FormattedSet formatSubtitles(const SubtitleSet &set, SubtitleFormat format, int frameRate)
{
    QString text;
    FormattedSet result = formatSubtitles(set, format, frameRate, [&text](const QString &piece) { text += piece; });
    result.text = text;
    return result;
}
