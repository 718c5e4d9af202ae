// The text of an .ass event from a subtitle's text: its tags of SubRip or
// MicroDVD style as override blocks, its line breaks as "\N".

#include "core/asstext.h"

#include "core/colors.h"

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
    // Qt 6 reads the digits before a NUL as the number; damaged digits are none.
    const QStringView digits = value.left(6);
    const int color = digits.contains(QChar(0)) ? 0 : digits.toString().toInt(&ok, 16);
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

} // namespace

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

QString assColor(int bgr)
{
    return QLatin1String("&H") + colorHex(bgr).toUpper() + QLatin1Char('&');
}

QString assText(const QString &text, TagStyle tags)
{
    if (isPlainText(text, tags)) {
        QString out;
        appendAssText(out, text, tags);
        return out;
    }
    return tags == TagStyle::SubRip ? fromSubRip(text) : fromMicroDvd(text);
}
