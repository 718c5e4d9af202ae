#include "subtitles/subtitle.h"

#include <QRegExp>

void Subtitle::reset()
{
    start = end = visibleLength = mergeStart = mergeEnd = 0;
    text.clear();
    angleTags = false;
}

void Subtitle::normalize()
{
    text = text.simplified();
    text.replace(QLatin1String(" |"), QLatin1String("|"));
    text.replace(QLatin1String("| "), QLatin1String("|"));
    while (text.startsWith(QLatin1Char('|'))) {
        text.remove(0, 1);
        text = text.simplified();
    }
    visibleLength = visibleLengthOf(text, angleTags);
}

void Subtitle::removeMatches(const QString &pattern)
{
    QRegExp rx(pattern, Qt::CaseSensitive, QRegExp::RegExp);
    text.remove(rx);
}

void Subtitle::shift(qint32 delta)
{
    start = clampToInt32(qint64(start) + delta);
    end = clampToInt32(qint64(end) + delta);
}

// Same result as removing every match of "<[^>]*>" (or "\{[^\}]*\}") and
// taking the length, without a regular expression per subtitle: a tag runs from
// its opener to the first closer after it, and an opener with no closer after it
// is ordinary text (and so is everything after it).
int visibleLengthOf(const QString &text, bool angleTags)
{
    const QChar open = angleTags ? QLatin1Char('<') : QLatin1Char('{');
    const QChar close = angleTags ? QLatin1Char('>') : QLatin1Char('}');
    const int n = text.size();
    int visible = 0;
    int i = 0;
    while (i < n) {
        if (text.at(i) == open) {
            const int j = text.indexOf(close, i + 1);
            if (j < 0)
                return visible + (n - i);
            i = j + 1;
            continue;
        }
        ++visible;
        ++i;
    }
    return visible;
}
