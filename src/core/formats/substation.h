#pragma once
// SubStation Alpha (.ssa, v4) and Advanced SubStation (.ass, v4+) scripts
// read into a set: each Dialogue event with its override tags turned into this
// program's own tags (SubRip style), and telling a script by its content.

#include <QHash>
#include <QString>

#include <optional>

class LogSink;
class SubtitleSet;

// What of a style carries over into this program's texts.
struct SubStationStyle
{
    bool italic = false;
    bool bold = false;
};

// The styles of a script's [V4+ Styles] or [V4 Styles] section, by name, as
// events name them in their Style field.
class SubStationStyles
{
public:
    // The styles of a script, or of the header a Matroska track carries (its
    // CodecPrivate): every "Style:" line of a styles section, read by that
    // section's "Format:" line.
    static SubStationStyles fromHeader(const QString &header);

    void add(const QString &name, SubStationStyle style) { m_styles.insert(name, style); }
    int size() const { return m_styles.size(); }
    // The style an event names: a leading "*" and white space do not count
    // ("*Default" is "Default"), nor does case when no name matches exactly;
    // an unknown name gives the "Default" style, and without one plain text.
    SubStationStyle find(const QString &name) const;
    // The style of exactly that name, as "\rName" in a text names it; none without one.
    std::optional<SubStationStyle> exact(const QString &name) const;

private:
    QHash<QString, SubStationStyle> m_styles;
};

// Reads the Dialogue events of a script into the set, or behind its
// subtitles with `append` (then starting `gap` ms after the last one ends),
// sorted by start; logs what it read and one line per kind of event it left
// out (effect copies, drawings, zero-length events, ...). Events starting
// less than 100 ms after the one before join it as further lines.
void readSubStation(SubtitleSet &set, const QString &text, bool append, int gap, const QString &fileName, LogSink &log);

// Whether the text is a script: a [Script Info], [Events] or styles section
// header, or a Dialogue line with its two times, among its first lines (any
// case; a byte-order mark already removed).
bool looksLikeSubStation(const QString &text);

// One event's Text field in this program's tags: \i \b \u \s and \c (\1c)
// become <i> <b> <u> <s> and <font color=#rrggbb>, from the style's italic and
// bold on; \N and \n break lines ("\n" between them), \h is a space; drawings
// (\p1 ... \p0), karaoke and every other override are dropped, their text
// kept. Lines are trimmed and empty ones left out; empty for an event that
// is only a drawing.
QString subStationEventText(const QString &eventText, bool styleItalic, bool styleBold);

// The text of a Matroska SubStation packet
// ("ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text") as
// subStationEventText gives it, in the style the packet names.
QString subStationPacketText(const QString &packet, const SubStationStyles &styles);
