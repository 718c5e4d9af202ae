#include "core/subtitle.h"

#include "core/brackets.h"

void Subtitle::reset()
{
    start = end = visibleLength = mergeStart = mergeEnd = 0;
    text.clear();
    angleTags = false;
}

void Subtitle::normalize()
{
    if (!isCleanText(text) || text.startsWith(QLatin1Char('|'))) {
        text = text.simplified();
        text.replace(QLatin1String(" |"), QLatin1String("|"));
        text.replace(QLatin1String("| "), QLatin1String("|"));
        while (text.startsWith(QLatin1Char('|'))) {
            text.remove(0, 1);
            text = text.simplified();
        }
    }
    visibleLength = visibleLengthOf(text, tagStyle());
}

bool isCleanText(const QString &text)
{
    const int n = text.size();
    if (n > 0 && (text.at(0).isSpace() || text.at(n - 1).isSpace()))
        return false;
    const QChar *chars = text.constData();
    for (int i = 1; i < n - 1; ++i) {
        const QChar c = chars[i];
        const ushort u = c.unicode();
        if (u > ' ' && u < 0x7f)
            continue;
        // Below U+1680 the only white space beyond ASCII is U+0085 and U+00A0:
        // letters of most scripts are told without the toolkit's table.
        if (u >= 0x7f && u < 0x1680 ? u != 0x85 && u != 0xa0 : !c.isSpace())
            continue;
        if (c != QLatin1Char(' '))
            return false;
        const QChar before = chars[i - 1];
        const QChar after = chars[i + 1];
        if (before == QLatin1Char(' ') || after == QLatin1Char(' ') || before == QLatin1Char('|')
            || after == QLatin1Char('|'))
            return false;
    }
    return true;
}

void Subtitle::shift(qint32 delta)
{
    start = clampToInt32(qint64(start) + delta);
    end = clampToInt32(qint64(end) + delta);
}

// The same as removing every "<[^>]*>" (or "\{[^\}]*\}") and counting the rest.
int visibleLengthOf(const QString &text, TagStyle tags)
{
    const Bracket tag = tags == TagStyle::SubRip ? Bracket::Angle : Bracket::Curly;
    int visible = 0;
    int from = 0;
    int length = 0;
    for (int at = findBracketed(text, tag, 0, &length); at >= 0; at = findBracketed(text, tag, from, &length)) {
        visible += at - from;
        from = at + length;
    }
    return visible + (text.size() - from);
}
