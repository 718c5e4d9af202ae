#include "core/formats/webvtt.h"

#include "core/colors.h"
#include "core/formats/readstate.h"
#include "core/formats/subrip.h"
#include "core/processing.h"
#include "core/tags.h"

#include <algorithm>

using namespace reading;

namespace {

const QLatin1String arrow("-->");

// "mm:ss.ttt" or "h:mm:ss.ttt", hours of any number of digits. Also taken: a
// "," for the ".", fields and fractions of other lengths (the fraction a
// decimal fraction of a second), no fraction at all.
bool readCueTime(const QChar *c, int n, int *at, qint64 *ms)
{
    int i = *at;
    qint64 fields[3] = {0, 0, 0};
    int count = 0;
    for (;;) {
        int digits = 0;
        for (; i < n && isDigit(c[i]) && digits < 10; ++i, ++digits)
            fields[count] = fields[count] * 10 + (c[i].unicode() - '0');
        if (digits == 0)
            return false;
        ++count;
        if (count == 3 || i >= n || c[i] != QLatin1Char(':'))
            break;
        ++i;
    }
    if (count < 2)
        return false;
    qint64 fraction = 0;
    if (i + 1 < n && (c[i] == QLatin1Char('.') || c[i] == QLatin1Char(',')) && isDigit(c[i + 1])) {
        ++i;
        static const int scale[] = {100, 10, 1};
        for (int digits = 0; i < n && isDigit(c[i]); ++i, ++digits)
            if (digits < 3)
                fraction += (c[i].unicode() - '0') * scale[digits];
    }
    const qint64 hours = count == 3 ? fields[0] : 0;
    *ms = hours * 3600000 + fields[count - 2] * 60000 + fields[count - 1] * 1000 + fraction;
    *at = i;
    return true;
}

// A cue's time line; what follows the end time after white space are its
// settings, which no subtitle here keeps.
bool readCueTimes(const QString &line, qint64 *start, qint64 *end)
{
    const int n = line.size();
    const QChar *c = line.constData();
    int i = 0;
    while (i < n && isBlank(c[i]))
        ++i;
    if (i >= n || !isDigit(c[i]) || !readCueTime(c, n, &i, start))
        return false;
    while (i < n && isBlank(c[i]))
        ++i;
    if (QStringView(c + i, n - i).left(3) != arrow)
        return false;
    i += 3;
    while (i < n && isBlank(c[i]))
        ++i;
    return readCueTime(c, n, &i, end) && (i == n || isBlank(c[i]));
}

// The character of "&amp;", "&#233;" or "&#xE9;" (without "&" and ";"), or none.
std::optional<QString> entityText(QStringView name)
{
    static const struct
    {
        const char *name;
        char16_t character;
    } named[] = {{"amp", u'&'},      {"lt", u'<'},       {"gt", u'>'},   {"nbsp", u'\u00a0'},
                 {"lrm", u'\u200e'}, {"rlm", u'\u200f'}, {"quot", u'"'}, {"apos", u'\''}};
    for (const auto &entity : named)
        if (name == QLatin1String(entity.name))
            return QString(QChar(entity.character));
    if (name.size() < 2 || name.at(0) != QLatin1Char('#'))
        return std::nullopt;
    const bool hex = name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X');
    bool ok = false;
    const uint code = name.mid(hex ? 2 : 1).toString().toUInt(&ok, hex ? 16 : 10);
    if (!ok)
        return std::nullopt;
    // No character of its own: the replacement character says something was there.
    if (code == 0 || code > 0x10ffff || (code >= 0xd800 && code < 0xe000))
        return QString(QChar(QChar::ReplacementCharacter));
    const char32_t ucs4 = code;
    return QString::fromUcs4(&ucs4, 1);
}

// "i" of "<i.loud>" and "</i>": the tag's name, without its classes and annotation.
QStringView tagName(QStringView tag)
{
    if (tag.startsWith(QLatin1Char('/')))
        tag = tag.mid(1);
    int end = 0;
    while (end < tag.size() && tag.at(end) != QLatin1Char('.') && !tag.at(end).isSpace())
        ++end;
    return tag.left(end);
}

bool startsWithName(QStringView tag)
{
    const QStringView name = tagName(tag);
    return !name.isEmpty() && name.at(0).isLetter();
}

// "00:05:04.199" of an inline time tag.
bool isTimeTag(QStringView tag)
{
    return !tag.isEmpty() && std::all_of(tag.begin(), tag.end(), [](QChar c) {
        return isDigit(c) || c == QLatin1Char(':') || c == QLatin1Char('.');
    });
}

class WebVttReader : public ReadState
{
public:
    using ReadState::ReadState;

private:
    // What the lines since the last blank line are.
    enum class Block { Header, Start, Cue, Other };
    Block m_block = Block::Header;

    void addLine(const QString &line) override;
    void endOfText() override { finishBlocks(); }
};

void WebVttReader::addLine(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    // A time line starts a cue wherever it stands: a file may leave out the
    // blank line after the header or between cues.
    if (readCueTimes(line, &start, &end)) {
        startBlock(start, end);
        m_block = Block::Cue;
        return;
    }
    if (std::all_of(line.begin(), line.end(), [](QChar c) { return c.isSpace(); })) {
        m_inText = false;
        m_block = Block::Start;
        return;
    }
    switch (m_block) {
    case Block::Start:
        // A cue identifier, or a NOTE, STYLE or REGION block: no text for a subtitle.
        m_block = Block::Other;
        break;
    case Block::Cue:
        if (m_inText)
            appendText(webVttLineText(line));
        break;
    case Block::Header:
    case Block::Other:
        break;
    }
}

// A line of a subtitle's text as cue text: <i>, <b>, <u> and the colour
// classes stay, other tags (a SubRip <font>, "{\an8}") go; "&", "<" and ">" of the
// text itself become entities, and an empty line, which would end the cue,
// a space.
void appendCueLine(QString &out, QStringView line)
{
    if (line.isEmpty()) {
        out += QLatin1Char(' ');
        return;
    }
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('<')) {
            // A tag starts with its name ("<3" is text).
            const int close = line.indexOf(QLatin1Char('>'), i + 1);
            const QStringView tag = close > i + 1 ? line.mid(i + 1, close - i - 1) : QStringView();
            if (startsWithName(tag)) {
                const QStringView whole = tagName(tag);
                const QChar name = whole.size() == 1 ? whole.at(0).toLower() : QChar();
                if (name == QLatin1Char('c')) {
                    out += line.mid(i, close - i + 1);
                } else if (!name.isNull() && QStringLiteral("ibu").contains(name)) {
                    out += tag.startsWith(QLatin1Char('/')) ? QLatin1String("</") : QLatin1String("<");
                    out += name;
                    out += QLatin1Char('>');
                }
                i = close;
                continue;
            }
            out += QLatin1String("&lt;");
        } else if (c == QLatin1Char('{') && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('\\')
                   && line.indexOf(QLatin1Char('}'), i) > 0) {
            // An override block of SubStation that SubRip files carry ("{\an8}"): no WebVTT reader knows it.
            i = line.indexOf(QLatin1Char('}'), i);
        } else if (c == QLatin1Char('>')) {
            out += QLatin1String("&gt;");
        } else if (c == QLatin1Char('&')) {
            out += QLatin1String("&amp;");
        } else {
            out += c;
        }
    }
}

void appendCue(QString &out, const Subtitle &subtitle, int start)
{
    appendClockTime(out, start, '.');
    out += QLatin1String(" --> ");
    appendClockTime(out, subtitle.end, '.');
    out += QLatin1Char('\n');
    QString converted;
    const QString *text = &subtitle.text;
    if (!subtitle.angleTags) {
        converted = subtitle.text;
        convertTags(converted, TagStyle::SubRip);
        text = &converted;
    }
    // Lines are kept joined by "|" in memory.
    int from = 0;
    for (int bar = text->indexOf(QLatin1Char('|')); bar >= 0; bar = text->indexOf(QLatin1Char('|'), from)) {
        appendCueLine(out, QStringView(*text).mid(from, bar - from));
        out += QLatin1Char('\n');
        from = bar + 1;
    }
    appendCueLine(out, QStringView(*text).mid(from));
    out += QLatin1String("\n\n");
}

// The merged file with colours: a style block gives each language's class
// its colour. FFmpeg 5.1 (Debian 12's) takes a STYLE block for a broken cue and
// reads nothing after it, but skips the block that starts with "WEBVTT"; a
// blank line made of two CRs ends that block for a WebVTT reader and not
// for FFmpeg's, so the style block stays out of its way.
QString header(const WriteRequest &request)
{
    const ProcessingOptions &options = request.options;
    if (!request.merged || !options.colorTags)
        return QStringLiteral("WEBVTT\n\n");
    const auto rule = [](const char *className, int color) {
        return QStringLiteral("::cue(.%1) { color: #%2; }\n").arg(QLatin1String(className), colorHex(color));
    };
    QString text = QStringLiteral("WEBVTT\r\rSTYLE\n") + rule(upperColorClass, options.upperColor)
        + rule(lowerColorClass, options.lowerColor);
    if (options.lastLine == LastLineStyle::Dot)
        text += rule(dotColorClass, dotColor);
    return text + QLatin1Char('\n');
}

FormattedSet writeWebVtt(const WriteRequest &request, const PieceSink &out)
{
    return writeEachSubtitle(
        request.set, out, [](QString &piece, const Subtitle &s, int start, int) { appendCue(piece, s, start); },
        header(request));
}

} // namespace

bool looksLikeWebVtt(const QString &text)
{
    const QStringView rest = text.startsWith(QChar(0xfeff)) ? QStringView(text).mid(1) : QStringView(text);
    const QLatin1String word("WEBVTT");
    return rest.startsWith(word) && (rest.size() == word.size() || rest.at(word.size()).isSpace());
}

bool isWebVttTimeLine(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    return readCueTimes(line, &start, &end);
}

QString webVttLineText(const QString &line)
{
    const int n = line.size();
    const QChar *c = line.constData();
    int i = 0;
    while (i < n && c[i] != QLatin1Char('<') && c[i] != QLatin1Char('&'))
        ++i;
    if (i == n)
        return line;
    QString out;
    out.reserve(n);
    int plainFrom = 0; // the text since the last tag or entity, copied at once
    for (; i < n; ++i) {
        if (c[i] != QLatin1Char('<') && c[i] != QLatin1Char('&'))
            continue;
        out.append(c + plainFrom, i - plainFrom);
        plainFrom = i + 1;
        if (c[i] == QLatin1Char('<')) {
            const int close = line.indexOf(QLatin1Char('>'), i + 1);
            const QStringView tag = close > i + 1 ? QStringView(line).mid(i + 1, close - i - 1) : QStringView();
            if (!startsWithName(tag) && !isTimeTag(tag)) {
                out += c[i]; // "<3"
                continue;
            }
            const QStringView name = tagName(tag);
            if (name.size() == 1 && QStringLiteral("ibu").contains(name.at(0).toLower())) {
                out += tag.startsWith(QLatin1Char('/')) ? QLatin1String("</") : QLatin1String("<");
                out += name.at(0).toLower();
                out += QLatin1Char('>');
            }
            i = close;
        } else {
            const int semicolon = line.indexOf(QLatin1Char(';'), i + 1);
            const std::optional<QString> decoded = semicolon > i + 1 && semicolon - i <= 10
                ? entityText(QStringView(line).mid(i + 1, semicolon - i - 1))
                : std::nullopt;
            if (!decoded) {
                out += c[i];
                continue;
            }
            out += *decoded;
            i = semicolon;
        }
        plainFrom = i + 1;
    }
    out.append(c + plainFrom, n - plainFrom);
    return out;
}

FormatInfo webVttFormat()
{
    FormatInfo f(SubtitleFormat::WebVtt, QStringLiteral("WebVTT"), {QStringLiteral("vtt")});
    f.read = readWith<WebVttReader>;
    f.looksLike = looksLikeWebVtt;
    f.isTimedLine = isWebVttTimeLine;
    f.write = writeWebVtt;
    f.saveFilter = QStringLiteral("WebVTT (*.vtt)");
    f.colorClasses = true;
    f.utf8Only = true;
    return f;
}
