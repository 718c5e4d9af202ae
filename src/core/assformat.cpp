#include "core/assformat.h"

#include "core/colors.h"
#include "core/merge.h"
#include "core/subtitleset.h"

#include <QVector>

namespace {

// The look a text has at one point: the four font styles and a colour
// (0xBBGGRR as ASS writes it; -1 the style's own).
struct TextStyle
{
    bool italic = false;
    bool bold = false;
    bool underline = false;
    bool strikeOut = false;
    int color = -1;

    bool operator==(const TextStyle &o) const
    {
        return italic == o.italic && bold == o.bold && underline == o.underline && strikeOut == o.strikeOut
            && color == o.color;
    }

    bool &flag(QChar letter)
    {
        switch (letter.toLower().unicode()) {
        case 'i':
            return italic;
        case 'b':
            return bold;
        case 'u':
            return underline;
        default:
            return strikeOut;
        }
    }
    static bool isFlag(QChar letter)
    {
        const char c = char(letter.toLower().unicode());
        return letter.unicode() < 128 && (c == 'i' || c == 'b' || c == 'u' || c == 's');
    }
};

QString assColor(int bgr)
{
    return QLatin1String("&H") + colorHex(bgr).toUpper() + QLatin1Char('&');
}

// Six hexadecimal digits after an optional "#" or "$"; -1 when there are none.
int parseHexColor(QStringView value)
{
    while (!value.isEmpty()
           && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')
               || value.front() == QLatin1Char('#') || value.front() == QLatin1Char('$') || value.front().isSpace()))
        value = value.mid(1);
    if (value.size() < 6)
        return -1;
    bool ok = false;
    const int color = value.left(6).toString().toInt(&ok, 16);
    if (!ok || (value.size() > 6 && QChar(value.at(6)).isLetterOrNumber()))
        return -1;
    return color;
}

// The next position of a character at or after a point, found once for many
// points in increasing order (a text of many "{" and no "}" is read once).
class NextOf
{
public:
    NextOf(const QString &text, QChar c)
        : m_text(text)
        , m_c(c)
    {
    }
    // -1 when there is none.
    int from(int p)
    {
        if (m_next != -1 && m_next < p)
            m_next = m_text.indexOf(m_c, p);
        return m_next;
    }

private:
    const QString &m_text;
    QChar m_c;
    int m_next = -2; // below any point: not yet searched
};

// Builds an event's text: visible characters escaped, and an override block
// wherever the wanted style differs from the one written, placed just before
// the next visible character (or at the end), so that tags that cancel out
// leave nothing.
class EventText
{
public:
    QString out;
    TextStyle wanted;

    void character(QChar c)
    {
        flush();
        if (c == QLatin1Char('{') || c == QLatin1Char('}')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\\')) {
            // A word joiner keeps "\N", "\h", "\{" ... from being read as commands.
            out += c;
            out += QChar(0x2060);
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            out += QLatin1Char(' ');
        } else {
            out += c;
        }
    }
    void lineBreak() { out += QLatin1String("\\N"); }

    void flush()
    {
        if (wanted == m_written)
            return;
        QString block;
        const auto flagTag = [&block](bool now, bool &written, const char *name) {
            if (now == written)
                return;
            block += QLatin1Char('\\') + QLatin1String(name) + QLatin1Char(now ? '1' : '0');
            written = now;
        };
        flagTag(wanted.italic, m_written.italic, "i");
        flagTag(wanted.bold, m_written.bold, "b");
        flagTag(wanted.underline, m_written.underline, "u");
        flagTag(wanted.strikeOut, m_written.strikeOut, "s");
        if (wanted.color != m_written.color) {
            block += wanted.color < 0 ? QStringLiteral("\\c") : QLatin1String("\\c") + assColor(wanted.color);
            m_written.color = wanted.color;
        }
        if (!block.isEmpty())
            out += QLatin1Char('{') + block + QLatin1Char('}');
    }

private:
    TextStyle m_written;
};

// SubRip style: <i>, <b>, <u>, <s> and <font color> hold until closed, over
// line breaks; anything else in angle brackets is text.
QString fromSubRip(const QString &text)
{
    EventText event;
    QVector<int> colors; // open <font> tags, innermost last
    NextOf closings(text, QLatin1Char('>'));
    const int n = text.size();
    for (int p = 0; p < n; ++p) {
        const QChar c = text.at(p);
        if (c == QLatin1Char('|')) {
            event.lineBreak();
            continue;
        }
        const int close = c == QLatin1Char('<') ? closings.from(p + 1) : -1;
        // No tag runs that long: a "<" in the text with a ">" far behind it.
        if (close < 0 || close - p > 100) {
            event.character(c);
            continue;
        }
        // Tags as players read them: "< b >" is text.
        const QString tag = text.mid(p + 1, close - p - 1).toLower();
        const bool closing = tag.startsWith(QLatin1Char('/'));
        const QString name = closing ? tag.mid(1) : tag;
        if (name.size() == 1 && TextStyle::isFlag(name.at(0))) {
            event.wanted.flag(name.at(0)) = !closing;
        } else if (closing && name == QLatin1String("font")) {
            if (!colors.isEmpty())
                colors.removeLast();
            event.wanted.color = colors.isEmpty() ? -1 : colors.last();
        } else if (!closing && (name == QLatin1String("font") || name.startsWith(QLatin1String("font ")))) {
            const int at = name.indexOf(QLatin1String("color"));
            const int equals = at < 0 ? -1 : name.indexOf(QLatin1Char('='), at);
            const int rgb = equals < 0 ? -1 : parseHexColor(QStringView(name).mid(equals + 1));
            // A font tag without a colour we know keeps the colour, but still needs its closing tag.
            const int color = rgb < 0 ? event.wanted.color : bgrOf(rgb);
            colors.append(color);
            event.wanted.color = color;
        } else {
            event.character(c);
            continue;
        }
        p = close;
    }
    event.flush();
    return event.out;
}

// MicroDVD style: a control code {x:value} in lower case holds to the end of
// its line, in upper case for the whole subtitle; {y:ib} sets several styles
// and {c:$BBGGRR} a colour. Other codes (font, size, position) are left out;
// braces that hold no code are text.
QString fromMicroDvd(const QString &text)
{
    EventText event;
    TextStyle line;
    TextStyle whole;
    const auto combine = [&]() {
        event.wanted.italic = line.italic || whole.italic;
        event.wanted.bold = line.bold || whole.bold;
        event.wanted.underline = line.underline || whole.underline;
        event.wanted.strikeOut = line.strikeOut || whole.strikeOut;
        event.wanted.color = line.color >= 0 ? line.color : whole.color;
    };
    NextOf closings(text, QLatin1Char('}'));
    NextOf breaks(text, QLatin1Char('|'));
    const int n = text.size();
    for (int p = 0; p < n; ++p) {
        const QChar c = text.at(p);
        if (c == QLatin1Char('|')) {
            line = TextStyle();
            combine();
            event.lineBreak();
            continue;
        }
        const int close = c == QLatin1Char('{') ? closings.from(p + 1) : -1;
        const int nextBreak = close < 0 ? -1 : breaks.from(p);
        const bool code = close > p + 2 && (nextBreak < 0 || close < nextBreak) && text.at(p + 1).isLetter()
            && text.at(p + 2) == QLatin1Char(':');
        if (!code) {
            event.character(c);
            continue;
        }
        const QChar kind = text.at(p + 1);
        TextStyle &target = kind.isUpper() ? whole : line;
        const QString value = text.mid(p + 3, close - p - 3);
        if (kind.toLower() == QLatin1Char('y')) {
            for (const QChar letter : value)
                if (TextStyle::isFlag(letter))
                    target.flag(letter) = true;
        } else if (kind.toLower() == QLatin1Char('c')) {
            const int bgr = parseHexColor(value);
            if (bgr >= 0)
                target.color = bgr;
        }
        combine();
        p = close;
    }
    event.flush();
    return event.out;
}

// Characters of an event line before its text, put together in place:
// a file has 40000 of them.
class LinePrefix
{
public:
    void add(const char *text)
    {
        while (*text)
            m_chars[m_size++] = *text++;
    }
    void add(char c) { m_chars[m_size++] = c; }
    void number(qint64 n)
    {
        char digits[20];
        int k = 20;
        do {
            digits[--k] = char('0' + n % 10);
            n /= 10;
        } while (n > 0);
        while (k < 20)
            m_chars[m_size++] = digits[k++];
    }
    // H:MM:SS.cc
    void time(int ms)
    {
        const int cs = ms / 10;
        number(cs / 360000);
        const int parts[3] = {cs / 6000 % 60, cs / 100 % 60, cs % 100};
        const char separators[3] = {':', ':', '.'};
        for (int i = 0; i < 3; ++i) {
            m_chars[m_size++] = separators[i];
            m_chars[m_size++] = char('0' + parts[i] / 10);
            m_chars[m_size++] = char('0' + parts[i] % 10);
        }
    }
    QLatin1String text() const { return QLatin1String(m_chars, m_size); }

private:
    char m_chars[128]; // the longest line start, with 32-bit numbers, needs 80
    int m_size = 0;
};

QString styleLine(const char *name, int fontSize, int rgb, int alignment)
{
    // Bold, italic, underline, strike-out off; no scaling, spacing or angle;
    // an outline (style 1) of 3 and a shadow of 1 keep the text legible on any picture.
    return QStringLiteral(
               "Style: %1,Arial,%2,&H00%3,&H000000FF,&H00000000,&H80000000,0,0,0,0,100,100,0,0,1,3,1,%4,%5,%5,"
               "%6,1\n")
        .arg(QLatin1String(name))
        .arg(fontSize)
        .arg(colorHex(bgrOf(rgb)).toUpper())
        .arg(alignment)
        .arg(AssLayout::sideMargin)
        .arg(AssLayout::bottomMargin);
}

QString scriptHeader(const ProcessingOptions &options)
{
    QString header = QStringLiteral("[Script Info]\n"
                                    "; Written by Twinscript\n"
                                    "ScriptType: v4.00+\n"
                                    "WrapStyle: 0\n"
                                    "ScaledBorderAndShadow: yes\n"
                                    "YCbCr Matrix: None\n"
                                    "PlayResX: %1\n"
                                    "PlayResY: %2\n"
                                    "\n"
                                    "[V4+ Styles]\n"
                                    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
                                    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
                                    "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n")
                         .arg(AssLayout::playResX)
                         .arg(AssLayout::playResY);
    const int upperAlignment = options.upperPosition == UpperPosition::Top ? 8 : 2; // top or bottom centre
    header += styleLine("Upper", AssLayout::upperFontSize, options.upperColor, upperAlignment);
    header += styleLine("Lower", AssLayout::lowerFontSize, options.lowerColor, 2);
    header += QLatin1String(
        "\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n");
    return header;
}

void appendAssText(QString &out, const QString &text, TagStyle tags);

// Writes events in pieces and counts them.
class EventWriter
{
public:
    EventWriter(const std::function<void(const QString &)> &out)
        : m_out(out)
    {
    }

    FormattedSet result;
    qint64 lastEnd = 0;

    // Returns false for an event that is not written: no text, or no time on the screen.
    bool admit(int &start, int end, const QString &text)
    {
        return !text.isEmpty() && end > start && cutAtZero(start, end, result);
    }

    // `text` as the subtitle holds it, or already converted with `converted`.
    void event(int layer, int start, int end, const char *style, int marginV, const QString &text, TagStyle tags,
               bool converted = false)
    {
        LinePrefix prefix;
        prefix.add("Dialogue: ");
        prefix.number(layer);
        prefix.add(',');
        prefix.time(start);
        prefix.add(',');
        prefix.time(end);
        prefix.add(',');
        prefix.add(style);
        prefix.add(",,0,0,");
        prefix.number(marginV);
        prefix.add(",,");
        m_piece += prefix.text();
        if (converted)
            m_piece += text;
        else
            appendAssText(m_piece, text, tags);
        m_piece += QLatin1Char('\n');
        lastEnd = qMax<qint64>(lastEnd, end);
        if (++result.written % subtitlesPerPiece == 0)
            flush();
    }

    void write(const QString &text)
    {
        m_piece += text;
        flush();
    }

    void flush()
    {
        if (!m_piece.isEmpty())
            m_out(m_piece);
        m_piece.clear();
    }

private:
    const std::function<void(const QString &)> &m_out;
    QString m_piece;
};

// Lower text stands on layer 0, the upper one on layer 1: the renderer moves
// texts of one layer apart that meet, and the upper one is placed already.
constexpr int lowerLayer = 0;
constexpr int upperLayer = 1;

// How far above the bottom the upper text of `upperRow` stands: over the
// tallest lower text shown at the same time, or at the bottom when there is none.
// `firstLower` follows the upper rows through the lower set.
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

namespace {

// Most texts hold no tag and nothing to escape: only their line breaks change.
bool isPlainText(const QString &text, TagStyle tags)
{
    const QChar tagOpen = QLatin1Char(tags == TagStyle::SubRip ? '<' : '{');
    for (const QChar c : text)
        if (c == tagOpen || c == QLatin1Char('{') || c == QLatin1Char('}') || c == QLatin1Char('\\')
            || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            return false;
    return true;
}

// Appends an event's text without building it first (40000 events a file).
void appendAssText(QString &out, const QString &text, TagStyle tags)
{
    if (!isPlainText(text, tags)) {
        out += assText(text, tags);
        return;
    }
    const QChar *begin = text.constData();
    const QChar *const end = begin + text.size();
    for (const QChar *c = begin; c != end; ++c) {
        if (*c == QLatin1Char('|')) {
            out.append(begin, int(c - begin));
            out += QLatin1String("\\N");
            begin = c + 1;
        }
    }
    out.append(begin, int(end - begin));
}

} // namespace

QString assText(const QString &text, TagStyle tags)
{
    if (isPlainText(text, tags)) {
        QString out;
        appendAssText(out, text, tags);
        return out;
    }
    return tags == TagStyle::SubRip ? fromSubRip(text) : fromMicroDvd(text);
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

FormattedSet formatAssPair(const SubtitleSet &upper, const SubtitleSet &lower, const ProcessingOptions &options,
                           const std::function<void(const QString &piece)> &out)
{
    EventWriter writer(out);
    writer.write(scriptHeader(options));
    const bool above = options.upperPosition == UpperPosition::Above;
    int u = 0;
    int l = 0;
    int firstLower = 0;
    // Both sets in order of their starts, the lower text first at equal starts.
    while (u < upper.count || l < lower.count) {
        const bool takeLower
            = u >= upper.count || (l < lower.count && lower.at(l).mergeStart <= upper.at(u).mergeStart);
        const SubtitleSet &set = takeLower ? lower : upper;
        const int row = takeLower ? l++ : u++;
        const Subtitle &s = set.at(row);
        int start = s.mergeStart;
        if (!writer.admit(start, s.mergeEnd, s.text))
            continue;
        if (takeLower)
            writer.event(lowerLayer, start, s.mergeEnd, "Lower", 0, s.text, s.tagStyle());
        else
            writer.event(upperLayer, start, s.mergeEnd, "Upper",
                         above ? upperMarginOver(upper, row, lower, firstLower) : 0, s.text, s.tagStyle());
    }
    if (options.header && writer.result.written > 0) {
        const CreditLine credit = creditAfter(writer.lastEnd);
        const QString text = QLatin1String("{\\c") + assColor(bgrOf(options.upperColor)) + QLatin1Char('}')
            + credit.first + QLatin1String("{\\c}\\N") + credit.second;
        writer.event(lowerLayer, credit.start, credit.end, "Lower", 0, text, TagStyle::MicroDvd, true);
    }
    writer.flush();
    return writer.result;
}

FormattedSet formatAssSingle(const SubtitleSet &set, const ProcessingOptions &options,
                             const std::function<void(const QString &piece)> &out)
{
    EventWriter writer(out);
    writer.write(scriptHeader(options));
    for (int i = 0; i < set.count; ++i) {
        const Subtitle &s = set.at(i);
        int start = s.start;
        if (writer.admit(start, s.end, s.text))
            writer.event(lowerLayer, start, s.end, "Lower", 0, s.text, s.tagStyle());
    }
    writer.flush();
    return writer.result;
}
