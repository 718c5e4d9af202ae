// Reading SubStation Alpha and Advanced SubStation scripts: sections and
// their Format lines, styles, Dialogue events and their override tags.

#include "core/formats/substation.h"

#include "core/brackets.h"
#include "core/colors.h"
#include "core/logsink.h"
#include "core/subtitleset.h"
#include "core/textfile.h"

#include <QVarLengthArray>

#include <algorithm>
#include <vector>

namespace {

// Drawings and karaoke lines run long; a line is cut into pieces only beyond this.
constexpr int maxLineLength = 1 << 20;
// The sniffer decides within this many lines, so that it costs a SubRip load nothing.
constexpr int linesSniffed = 1000;
// Events starting less than this after the one before join it, as the set
// keeps no two subtitles that close.
constexpr int sameStartMs = 100;
// A script holds at most this many events read; effect scripts come near it,
// film subtitles nowhere.
constexpr int maxEvents = 10 * SubtitleSet::Capacity;

bool startsWith(QStringView line, QLatin1String prefix)
{
    return line.startsWith(prefix, Qt::CaseInsensitive);
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// The value of the digits of `s` (at most nine), or -1 when it holds anything else.
int numberOf(QStringView s)
{
    s = s.trimmed();
    if (s.isEmpty() || s.size() > 9)
        return -1;
    int value = 0;
    for (const QChar c : s) {
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

using Fields = QVarLengthArray<QStringView, 24>;

// The comma-separated fields of a line's values, at most `count` of them:
// the last one takes the rest of the line, commas and all.
void splitFields(QStringView values, int count, Fields &out)
{
    out.clear();
    int from = 0;
    while (out.size() < count - 1) {
        const qsizetype comma = values.indexOf(QLatin1Char(','), from);
        if (comma < 0)
            break;
        out.append(values.mid(from, comma - from));
        from = int(comma) + 1;
    }
    out.append(values.mid(from));
}

// "h:mm:ss.cc": hours of any length, a decimal fraction of a second of any
// length (".5" is 500 ms), "," taken for the ".".
bool readTime(QStringView field, qint64 *ms)
{
    field = field.trimmed();
    const int n = int(field.size());
    int i = 0;
    qint64 value = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (i >= n || field.at(i) != QLatin1Char(':'))
                return false;
            ++i;
        }
        const int from = i;
        qint64 number = 0;
        for (; i < n && isDigit(field.at(i)) && i - from < 6; ++i)
            number = number * 10 + (field.at(i).unicode() - '0');
        if (i == from)
            return false;
        value = value * 60 + number;
    }
    value *= 1000;
    if (i < n && (field.at(i) == QLatin1Char('.') || field.at(i) == QLatin1Char(','))) {
        static const int scale[] = {100, 10, 1};
        const int from = ++i;
        for (; i < n && isDigit(field.at(i)); ++i)
            if (i - from < 3)
                value += (field.at(i).unicode() - '0') * scale[i - from];
    }
    *ms = value;
    return i == n;
}

// The look of the text at one point: the four font styles and a colour
// (0xRRGGBB; -1 the style's own).
struct Look
{
    bool italic = false;
    bool bold = false;
    bool underline = false;
    bool strikeOut = false;
    int color = -1;

    bool operator==(const Look &o) const
    {
        return italic == o.italic && bold == o.bold && underline == o.underline && strikeOut == o.strikeOut
            && color == o.color;
    }
};

// Builds the text in SubRip-style tags. Tags change only just before a
// visible character, so that tags which cancel out leave nothing; white space
// is collapsed, lines trimmed and empty lines left out.
class TaggedText
{
public:
    TaggedText(int size, QChar lineBreak)
        : m_lineBreak(lineBreak)
    {
        m_out.reserve(size + 16);
    }

    Look wanted;

    // Characters without white space.
    void visible(QStringView run)
    {
        const bool restyle = !(wanted == m_written);
        if (restyle)
            closeStale();
        if (m_pending != Pending::None) {
            if (!m_out.isEmpty())
                m_out += m_pending == Pending::Break ? m_lineBreak : QChar(QLatin1Char(' '));
            m_pending = Pending::None;
        }
        if (restyle) {
            openMissing();
            m_written = wanted;
        }
        m_out += run;
    }
    void space()
    {
        if (m_pending == Pending::None)
            m_pending = Pending::Space;
    }
    void lineBreak() { m_pending = Pending::Break; }

    QString finish()
    {
        while (!m_open.isEmpty())
            close();
        return m_out;
    }

private:
    enum class Pending { None, Space, Break };
    enum Kind { Color, Italic, Bold, Underline, StrikeOut };
    struct Open
    {
        Kind kind;
        int color;
    };

    QString m_out;
    QChar m_lineBreak;
    Look m_written; // what the open tags make
    Pending m_pending = Pending::None;
    QVarLengthArray<Open, 5> m_open; // innermost last

    bool wants(const Open &tag) const
    {
        switch (tag.kind) {
        case Color:
            return wanted.color == tag.color;
        case Italic:
            return wanted.italic;
        case Bold:
            return wanted.bold;
        case Underline:
            return wanted.underline;
        case StrikeOut:
            return wanted.strikeOut;
        }
        return false;
    }
    bool isOpen(Kind kind) const
    {
        return std::any_of(m_open.begin(), m_open.end(), [kind](const Open &tag) { return tag.kind == kind; });
    }
    static QLatin1Char letter(Kind kind)
    {
        return QLatin1Char(kind == Italic ? 'i' : kind == Bold ? 'b' : kind == Underline ? 'u' : 's');
    }

    void close()
    {
        const Kind kind = m_open.last().kind;
        m_open.removeLast();
        if (kind == Color) {
            m_out += QLatin1String("</font>");
        } else {
            m_out += QLatin1String("</");
            m_out += letter(kind);
            m_out += QLatin1Char('>');
        }
    }
    // Tags nest: closing one that no longer holds closes those inside it too
    // (reopened after).
    void closeStale()
    {
        for (int k = 0; k < m_open.size(); ++k) {
            if (!wants(m_open[k])) {
                while (m_open.size() > k)
                    close();
                return;
            }
        }
    }
    void open(Kind kind, bool wantedNow)
    {
        if (!wantedNow || isOpen(kind))
            return;
        m_open.append({kind, wanted.color});
        if (kind == Color) {
            m_out += QLatin1String("<font color=#");
            m_out += colorHex(wanted.color);
        } else {
            m_out += QLatin1Char('<');
            m_out += letter(kind);
        }
        m_out += QLatin1Char('>');
    }
    void openMissing()
    {
        open(Color, wanted.color >= 0);
        open(Italic, wanted.italic);
        open(Bold, wanted.bold);
        open(Underline, wanted.underline);
        open(StrikeOut, wanted.strikeOut);
    }
};

// "&HBBGGRR&" (the "&", the "H" and leading zeros optional) as 0xRRGGBB; -1
// without digits, which resets the colour.
int colorOf(QStringView value)
{
    int i = 0;
    while (i < value.size() && (value.at(i) == QLatin1Char('&') || value.at(i).toLower() == QLatin1Char('h')))
        ++i;
    uint bgr = 0;
    int digits = 0;
    for (; i < value.size() && digits < 8; ++i, ++digits) {
        const ushort u = value.at(i).toLower().unicode();
        if (u >= '0' && u <= '9')
            bgr = bgr * 16 + uint(u - '0');
        else if (u >= 'a' && u <= 'f')
            bgr = bgr * 16 + uint(u - 'a' + 10);
        else
            break;
    }
    return digits == 0 ? -1 : bgrOf(int(bgr & 0xffffff));
}

// One event's text read through its override blocks.
class EventReader
{
public:
    EventReader(int size, QChar lineBreak, SubStationStyle style, const SubStationStyles *styles)
        : m_style(style)
        , m_styles(styles)
        , m_out(size, lineBreak)
    {
        reset(style);
    }

    bool drawn = false; // drawing commands were left out

    QString read(QStringView text)
    {
        const int n = int(text.size());
        int close = -2; // the next "}", searched again only once passed: a text of many "{" is read once
        for (int p = 0; p < n; ++p) {
            const QChar c = text.at(p);
            if (c == QLatin1Char('{')) {
                if (close != -1 && close <= p)
                    close = int(text.indexOf(QLatin1Char('}'), p + 1));
                // Without its "}" a "{" is text, as renderers show it.
                if (close > p) {
                    overrides(text.mid(p + 1, close - p - 1));
                    p = close;
                    continue;
                }
            } else if (c == QLatin1Char('\\') && p + 1 < n) {
                const QChar next = text.at(p + 1);
                if (next == QLatin1Char('N') || next == QLatin1Char('n')) {
                    m_out.lineBreak();
                    ++p;
                    continue;
                }
                if (next == QLatin1Char('h')) {
                    m_out.space();
                    ++p;
                    continue;
                }
                // "\{" and "\}" are braces; a word joiner after "\" keeps a
                // backslash from being read as a command (as this program writes them).
                if (next == QLatin1Char('{') || next == QLatin1Char('}') || next.unicode() == 0x2060) {
                    ++p;
                    characters(next.unicode() == 0x2060 ? text.mid(p - 1, 1) : text.mid(p, 1));
                    continue;
                }
            } else if (c.isSpace()) {
                m_out.space();
                continue;
            }
            // Up to the next character that may mean something; a "{" or "\"
            // that did not is text.
            int q = p + 1;
            while (q < n && !isSpecial(text.at(q)))
                ++q;
            characters(text.mid(p, q - p));
            p = q - 1;
        }
        return m_out.finish();
    }

private:
    SubStationStyle m_style;
    const SubStationStyles *m_styles;
    TaggedText m_out;
    bool m_drawing = false;

    static bool isSpecial(QChar c) { return c == QLatin1Char('{') || c == QLatin1Char('\\') || c.isSpace(); }

    void characters(QStringView run)
    {
        if (m_drawing)
            drawn = true;
        else
            m_out.visible(run);
    }

    void reset(SubStationStyle style)
    {
        m_out.wanted = Look();
        m_out.wanted.italic = style.italic;
        m_out.wanted.bold = style.bold;
    }

    // The tags of one block, each from its "\" to the next one outside
    // parentheses: "\t(\i1)" animates and is no "\i1". Text before the first
    // "\" is a comment.
    void overrides(QStringView block)
    {
        const int n = int(block.size());
        int at = int(block.indexOf(QLatin1Char('\\')));
        while (at >= 0 && at < n) {
            int end = at + 1;
            for (int depth = 0; end < n; ++end) {
                const QChar c = block.at(end);
                if (c == QLatin1Char('('))
                    ++depth;
                else if (c == QLatin1Char(')') && depth > 0)
                    --depth;
                else if (c == QLatin1Char('\\') && depth == 0)
                    break;
            }
            tag(block.mid(at + 1, end - at - 1).trimmed());
            at = end;
        }
    }

    // A flag: "\i1" on, "\i0" off, "\i" the style's own. "\b" also takes a
    // weight, bold from 700.
    void tag(QStringView tag)
    {
        if (tag.isEmpty())
            return;
        if (startsWith(tag, QLatin1String("1c"))) {
            m_out.wanted.color = colorOf(tag.mid(2));
            return;
        }
        const QStringView value = tag.mid(1);
        const int number = numberOf(value);
        const bool flag = number >= 0 || value.trimmed().isEmpty(); // not "\iclip", "\bord", "\shad", "\pos"
        Look &look = m_out.wanted;
        switch (tag.at(0).unicode()) {
        case 'c':
            if (value.isEmpty() || value.at(0) == QLatin1Char('&') || value.at(0).toLower() == QLatin1Char('h'))
                look.color = colorOf(value);
            break;
        case 'i':
            if (flag)
                look.italic = number < 0 ? m_style.italic : number != 0;
            break;
        case 'b':
            if (flag)
                look.bold = number < 0 ? m_style.bold : number == 1 || number >= 700;
            break;
        case 'u':
            if (flag)
                look.underline = number > 0;
            break;
        case 's':
            if (flag)
                look.strikeOut = number > 0;
            break;
        case 'p':
            if (flag)
                m_drawing = number > 0;
            break;
        case 'r': {
            // "\r" goes back to the event's style, "\rName" to that style
            // when there is one (else to the event's, as renderers do).
            const std::optional<SubStationStyle> named
                = m_styles ? m_styles->exact(value.trimmed().toString()) : std::nullopt;
            reset(named ? *named : m_style);
            break;
        }
        default: // karaoke, position, font, fades, clips ...
            break;
        }
    }
};

struct EventText
{
    QString text;
    bool drawingOnly = false;
};

// The text with `lineBreak` between its lines.
EventText readEventText(QStringView text, QChar lineBreak, SubStationStyle style, const SubStationStyles *styles)
{
    EventText out;
    // Most events hold no tag and nothing to collapse.
    bool plain = !text.isEmpty() && !text.at(0).isSpace() && !text.at(text.size() - 1).isSpace() && !style.italic
        && !style.bold;
    for (int i = 0; plain && i < text.size(); ++i) {
        const QChar c = text.at(i);
        plain = c == QLatin1Char(' ') ? text.at(i - 1) != c
                                      : c != QLatin1Char('{') && c != QLatin1Char('\\') && !c.isSpace();
    }
    if (plain) {
        out.text = text.toString();
        return out;
    }
    EventReader reader(int(text.size()), lineBreak, style, styles);
    out.text = reader.read(text);
    out.drawingOnly = out.text.isEmpty() && reader.drawn;
    return out;
}

// Where the values of a line's kind sit, as its section's Format line says.
struct FieldOrder
{
    int count = 0;
    int layer = -1;
    int start = -1;
    int end = -1;
    int style = -1;
    int text = -1;
    int name = -1;
    int bold = -1;
    int italic = -1;
};

// Without a Format line: "Layer" (or "Marked"), "Start", "End", "Style", ..., "Text".
FieldOrder defaultEventOrder()
{
    FieldOrder order;
    order.count = 10;
    order.layer = 0;
    order.start = 1;
    order.end = 2;
    order.style = 3;
    order.text = 9;
    return order;
}

// Without a Format line: "Name", ..., "Bold", "Italic", as both versions have them.
FieldOrder defaultStyleOrder()
{
    FieldOrder order;
    order.count = 64;
    order.name = 0;
    order.bold = 7;
    order.italic = 8;
    return order;
}

FieldOrder orderOfFormat(QStringView names, bool styles)
{
    FieldOrder order;
    Fields fields;
    splitFields(names, 64, fields);
    order.count = styles ? 64 : fields.size(); // a style line's extra values matter to no field read here
    for (int i = 0; i < fields.size(); ++i) {
        const QString name = fields[i].trimmed().toString().toLower();
        int *slot = nullptr;
        if (name == QLatin1String("layer"))
            slot = &order.layer;
        else if (name == QLatin1String("start"))
            slot = &order.start;
        else if (name == QLatin1String("end"))
            slot = &order.end;
        else if (name == QLatin1String("style"))
            slot = &order.style;
        else if (name == QLatin1String("text"))
            slot = &order.text;
        else if (name == QLatin1String("name"))
            slot = &order.name;
        else if (name == QLatin1String("bold"))
            slot = &order.bold;
        else if (name == QLatin1String("italic"))
            slot = &order.italic;
        if (slot && *slot < 0)
            *slot = i;
    }
    return order;
}

QStringView fieldAt(const Fields &fields, int index)
{
    return index >= 0 && index < fields.size() ? fields[index] : QStringView();
}

// A style's "Bold" and "Italic": -1 (or any number but 0) is on.
bool isOn(QStringView value)
{
    value = value.trimmed();
    return !value.isEmpty() && value != QLatin1String("0");
}

// The text after "Key:" when the line starts with it, in any case.
bool valuesAfter(QStringView line, QLatin1String key, QStringView *values)
{
    if (!startsWith(line, key))
        return false;
    *values = line.mid(key.size());
    return true;
}

// Reads a script line by line: which section it is in, the Format lines and
// the styles; hands out the fields of Dialogue lines.
class ScriptLines
{
public:
    SubStationStyles styles;

    // True for a Dialogue line, with its fields by the events' Format.
    bool dialogue(QStringView line, Fields &fields)
    {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            const QString name = line.toString().toLower();
            m_section = name.contains(QLatin1String("styles")) ? Section::Styles
                : name == QLatin1String("[events]")            ? Section::Events
                                                               : Section::Other;
            return false;
        }
        QStringView values;
        if (valuesAfter(line, QLatin1String("dialogue:"), &values)) {
            splitFields(values, events.count, fields);
            return true;
        }
        if (valuesAfter(line, QLatin1String("format:"), &values)) {
            if (m_section == Section::Styles)
                m_styleOrder = orderOfFormat(values, true);
            else if (m_section != Section::Other)
                events = orderOfFormat(values, false);
        } else if (m_section == Section::Styles && valuesAfter(line, QLatin1String("style:"), &values)) {
            splitFields(values, m_styleOrder.count, fields);
            SubStationStyle style;
            style.bold = isOn(fieldAt(fields, m_styleOrder.bold));
            style.italic = isOn(fieldAt(fields, m_styleOrder.italic));
            styles.add(fieldAt(fields, m_styleOrder.name).trimmed().toString(), style);
        }
        return false;
    }

    FieldOrder events = defaultEventOrder();

private:
    enum class Section { None, Styles, Events, Other };
    Section m_section = Section::None;
    FieldOrder m_styleOrder = defaultStyleOrder();
};

struct Event
{
    qint64 start;
    qint64 end;
    int layer;
    QString text; // "|" between lines
};

// What a load leaves out, counted by kind, in the order the log names them.
enum LeftOut { Unreadable, Copies, Drawings, ZeroLength, EndBeforeStart, NoText, LeftOutKinds };
const char *const leftOutNames[LeftOutKinds]
    = {"unreadable events",  "effect copies", "drawings", "zero-length events", "events ending before they start",
       "events without text"};

QString visibleText(QString text)
{
    removeBracketed(text, Bracket::Angle);
    return text;
}

// The same text at the same times (on another layer, with other effects) is
// kept once: the copy on the highest layer, whose colour is the one seen.
// `events` are sorted by start.
int removeCopies(std::vector<Event> &events)
{
    int removed = 0;
    std::vector<Event> kept;
    kept.reserve(events.size());
    QHash<QString, size_t> seen; // the kept events of the current start, by end and text
    for (size_t i = 0; i < events.size(); ++i) {
        Event &event = events[i];
        const bool alone = (i == 0 || events[i - 1].start != event.start)
            && (i + 1 == events.size() || events[i + 1].start != event.start);
        if (alone) {
            kept.push_back(std::move(event));
            continue;
        }
        if (i == 0 || events[i - 1].start != event.start)
            seen.clear();
        const QString key = QString::number(event.end) + QLatin1Char(' ') + visibleText(event.text);
        const auto it = seen.constFind(key);
        if (it == seen.constEnd()) {
            seen.insert(key, kept.size());
            kept.push_back(std::move(event));
            continue;
        }
        ++removed;
        Event &other = kept[it.value()];
        if (event.layer > other.layer)
            other = std::move(event);
    }
    events = std::move(kept);
    return removed;
}

} // namespace

SubStationStyles SubStationStyles::fromHeader(const QString &header)
{
    ScriptLines script;
    Fields fields;
    LineReader lines(header, maxLineLength);
    QString line;
    while (lines.next(&line))
        script.dialogue(line, fields);
    return script.styles;
}

SubStationStyle SubStationStyles::find(const QString &name) const
{
    QString key = name.trimmed();
    while (key.startsWith(QLatin1Char('*')))
        key.remove(0, 1);
    auto it = m_styles.constFind(key);
    if (it != m_styles.constEnd())
        return it.value();
    for (it = m_styles.constBegin(); it != m_styles.constEnd(); ++it)
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value();
    return m_styles.value(QStringLiteral("Default"));
}

std::optional<SubStationStyle> SubStationStyles::exact(const QString &name) const
{
    const auto it = m_styles.constFind(name);
    return it == m_styles.constEnd() ? std::nullopt : std::optional<SubStationStyle>(it.value());
}

QString subStationEventText(const QString &eventText, bool styleItalic, bool styleBold)
{
    SubStationStyle style;
    style.italic = styleItalic;
    style.bold = styleBold;
    return readEventText(eventText, QLatin1Char('\n'), style, nullptr).text;
}

QString subStationPacketText(const QString &packet, const SubStationStyles &styles)
{
    Fields fields;
    splitFields(packet, 9, fields);
    if (fields.size() < 9)
        return QString();
    return readEventText(fields[8], QLatin1Char('\n'), styles.find(fields[2].toString()), &styles).text;
}

bool looksLikeSubStation(const QString &text)
{
    LineReader lines(text, 1024);
    QString line;
    Fields fields;
    for (int looked = 0; looked < linesSniffed && lines.next(&line);) {
        const QStringView trimmed = QStringView(line).trimmed();
        if (trimmed.isEmpty())
            continue;
        ++looked;
        QStringView values;
        if (trimmed.startsWith(QLatin1Char('['))) {
            const QString name = trimmed.toString().toLower();
            if (name == QLatin1String("[script info]") || name == QLatin1String("[events]")
                || (name.startsWith(QLatin1String("[v4")) && name.contains(QLatin1String("styles"))))
                return true;
        } else if (valuesAfter(trimmed, QLatin1String("dialogue:"), &values)) {
            splitFields(values, 4, fields);
            qint64 ms = 0;
            if (fields.size() == 4 && readTime(fields[1], &ms) && readTime(fields[2], &ms))
                return true;
        }
    }
    return false;
}

void readSubStation(SubtitleSet &set, const QString &text, bool append, int gap, const QString &fileName, LogSink &log)
{
    qint64 appendOffset = 0;
    if (append && set.count > 0)
        appendOffset = clampToInt32(qint64(set.at(set.count - 1).end) + gap);
    else
        set.clear();
    const int first = set.count;
    int leftOut[LeftOutKinds] = {};
    bool tooMany = false;

    ScriptLines script;
    std::vector<Event> events;
    Fields fields;
    QString lastStyleName;
    int lastStyleCount = -1;
    SubStationStyle lastStyle;
    LineReader lines(text, maxLineLength);
    QString line;
    while (lines.next(&line)) {
        if (!script.dialogue(line, fields))
            continue;
        if (int(events.size()) >= maxEvents) {
            tooMany = true;
            break;
        }
        const FieldOrder &order = script.events;
        Event event;
        if (order.text < 0 || fields.size() <= order.text || !readTime(fieldAt(fields, order.start), &event.start)
            || !readTime(fieldAt(fields, order.end), &event.end) || !fitsInt32(event.start + appendOffset)
            || !fitsInt32(event.end + appendOffset)) {
            ++leftOut[Unreadable];
            continue;
        }
        if (event.end <= event.start) {
            ++leftOut[event.end == event.start ? ZeroLength : EndBeforeStart];
            continue;
        }
        // Most events of a script share a few styles.
        const QStringView styleName = fieldAt(fields, order.style);
        if (styleName != lastStyleName || script.styles.size() != lastStyleCount) {
            lastStyleName = styleName.toString();
            lastStyleCount = script.styles.size();
            lastStyle = script.styles.find(lastStyleName);
        }
        EventText read = readEventText(fields[order.text], QLatin1Char('|'), lastStyle, &script.styles);
        if (read.text.isEmpty()) {
            ++leftOut[read.drawingOnly ? Drawings : NoText];
            continue;
        }
        event.layer = qMax(0, numberOf(fieldAt(fields, order.layer)));
        event.text = std::move(read.text);
        events.push_back(std::move(event));
    }

    // Scripts are often out of order: typesetting is timed apart from the dialogue.
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) { return a.start < b.start; });
    leftOut[Copies] = removeCopies(events);

    int joined = 0;
    int outOfSequence = 0;
    set.reserve(set.count + int(qMin<size_t>(events.size(), SubtitleSet::Capacity)) + 1);
    for (Event &event : events) {
        const qint32 start = qint32(event.start + appendOffset);
        const qint32 end = qint32(event.end + appendOffset);
        if (set.count > first && start < qint64(set.at(set.count - 1).start) + sameStartMs) {
            Subtitle &before = set.at(set.count - 1);
            before.text += QLatin1Char('|') + event.text;
            before.end = qMax(before.end, end);
            ++joined;
            continue;
        }
        if (set.count > 0 && start < qint64(set.at(set.count - 1).start) + sameStartMs) {
            // Appended too close to the set's last subtitle, which belongs to another file.
            ++outOfSequence;
            continue;
        }
        if (set.count >= SubtitleSet::Capacity) {
            tooMany = true;
            break;
        }
        Subtitle &s = set.slot(set.count);
        s.reset();
        s.start = start;
        s.end = end;
        s.text = std::move(event.text);
        s.angleTags = true;
        ++set.count;
    }
    // Once each, after the joins: a subtitle may have joined many.
    for (int i = first; i < set.count; ++i)
        set.at(i).normalize();

    const QString &prefix = set.logPrefix;
    if (tooMany)
        log.log(LogError, prefix, QStringLiteral("too many lines"));
    log.log(LogInfo, prefix,
            QStringLiteral("%1 subs %2 from %3")
                .arg(set.count - first)
                .arg(append ? QStringLiteral("appended") : QStringLiteral("loaded"))
                .arg(fileName));
    if (outOfSequence > 0)
        log.log(LogInfo, prefix, QStringLiteral("%1 subs skipped").arg(outOfSequence));
    for (int kind = 0; kind < LeftOutKinds; ++kind)
        if (leftOut[kind] > 0)
            log.log(LogWarning, prefix, QStringLiteral("%1 %2 left out").arg(leftOut[kind]).arg(leftOutNames[kind]));
    if (joined > 0)
        log.log(LogWarning, prefix, QStringLiteral("%1 subs joined with the one before (same start)").arg(joined));
}
