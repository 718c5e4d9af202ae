// Writing the .ass script: its header with the two styles, and the events
// of both sets in time order.

#include "core/formats/advancedsubstation.h"

#include "core/asslayout.h"
#include "core/asstext.h"
#include "core/colors.h"
#include "core/merge.h"
#include "core/subtitleset.h"

namespace {

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

} // namespace

FormattedSet formatAssPair(const SubtitleSet &upper, const SubtitleSet &lower, const ProcessingOptions &options,
                           const PieceSink &out)
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

FormattedSet formatAssSingle(const SubtitleSet &set, const ProcessingOptions &options, const PieceSink &out)
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

namespace {

FormattedSet writeAss(const WriteRequest &request, const PieceSink &out)
{
    return request.merged ? formatAssPair(*request.upper, *request.lower, request.options, out)
                          : formatAssSingle(request.set, request.options, out);
}

} // namespace

FormatInfo advancedSubStationFormat()
{
    FormatInfo f(SubtitleFormat::Ass, QStringLiteral("Advanced SubStation"), {QStringLiteral("ass")});
    f.write = writeAss;
    f.saveFilter = QStringLiteral("Advanced SubStation (*.ass)");
    f.savesOneSet = false;
    f.mergedAsEvents = true;
    f.utf8Only = true;
    f.byteOrderMark = true;
    return f;
}
