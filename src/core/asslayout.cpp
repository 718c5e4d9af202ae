// Where the upper text of an .ass event stands: the lines the lower text
// takes on the screen, counted as the renderer wraps them.

#include "core/asslayout.h"

#include "core/subtitleset.h"

namespace {

// The advance of a letter in the lower style, in script pixels, as wide as
// in the widest common sans-serif font (DejaVu Sans; Arial is narrower), so
// that a line the renderer wraps is not counted as one.
int letterWidth(QChar c)
{
    constexpr int em = AssLayout::lowerFontSize * 86 / 100; // the font size spans ascent and descent
    int hundredths = 64; // of an em
    const ushort u = c.unicode();
    if (u >= 0x2e80) {
        hundredths = 100; // CJK and other full-width scripts
    } else if (u < 128) {
        switch (u) {
        case ' ':
        case 'i':
        case 'l':
        case 'j':
        case 't':
        case 'f':
        case 'r':
        case 'I':
        case '.':
        case ',':
        case ':':
        case ';':
        case '\'':
        case '!':
        case '|':
        case '(':
        case ')':
        case '[':
        case ']':
            hundredths = 40;
            break;
        case 'm':
        case 'w':
        case 'M':
        case 'W':
        case '@':
        case '%':
            hundredths = 100;
            break;
        default:
            if (u >= 'A' && u <= 'Z')
                hundredths = 78;
        }
    } else if (c.isUpper()) {
        hundredths = 78;
    }
    return em * hundredths / 100;
}

} // namespace

int upperMarginOver(const SubtitleSet &upper, int upperRow, const SubtitleSet &lower, int &firstLower)
{
    const Subtitle &u = upper.at(upperRow);
    while (firstLower < lower.count && lower.at(firstLower).mergeEnd <= u.mergeStart)
        ++firstLower;
    int lines = 0;
    for (int k = firstLower; k < lower.count && lower.at(k).mergeStart < u.mergeEnd; ++k) {
        const Subtitle &l = lower.at(k);
        if (l.mergeEnd > u.mergeStart && l.mergeEnd > l.mergeStart)
            lines = qMax(lines, assLineCount(l.text, l.tagStyle()));
    }
    if (lines == 0)
        return AssLayout::bottomMargin;
    const qint64 margin = AssLayout::bottomMargin + qint64(lines) * AssLayout::lowerFontSize + AssLayout::stackSpacing;
    return int(qMin<qint64>(margin, AssLayout::playResY));
}

int assLineCount(const QString &text, TagStyle tags)
{
    if (text.isEmpty())
        return 0;
    constexpr int width = AssLayout::playResX - 2 * AssLayout::sideMargin;
    const bool angleTags = tags == TagStyle::SubRip;
    const QChar tagOpen = QLatin1Char(angleTags ? '<' : '{');
    const QChar tagClose = QLatin1Char(angleTags ? '>' : '}');
    int lines = 0;
    qint64 lineWidth = 0;
    bool inTag = false;
    const auto endLine = [&]() {
        lines += int(qMax<qint64>(1, (lineWidth + width - 1) / width));
        lineWidth = 0;
    };
    for (const QChar c : text) {
        if (c == QLatin1Char('|')) {
            endLine();
            inTag = false;
        } else if (inTag || c == tagOpen) {
            inTag = c != tagClose;
        } else {
            lineWidth += letterWidth(c);
        }
        if (lines > AssLayout::playResY)
            return lines; // more than a screen holds
    }
    endLine();
    return lines;
}
