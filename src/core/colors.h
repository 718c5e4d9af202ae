#pragma once
// Colour tags of the merged output: one colour per set, as SubRip font tags,
// MicroDVD colour codes or WebVTT classes; and the byte order the MicroDVD and
// .ass codes use.

#include "core/tags.h"

#include <QString>

// The three colour bytes of 0xRRGGBB; anything above them (an edited
// settings file) is no colour.
constexpr int rgbMask = 0xffffff;
// The colour of both sets until the user picks others.
constexpr int defaultTextColor = 0xffffff;

// 0xRRGGBB as 0xBBGGRR, the order of MicroDVD's {c:$BBGGRR} and of .ass colours.
constexpr int bgrOf(int rgb)
{
    return ((rgb & 0xff) << 16) | (rgb & 0xff00) | ((rgb >> 16) & 0xff);
}

// Wraps `text` in the colour tag of the output style; an empty text stays empty.
// `color` is 0xRRGGBB.
void applyColorTag(QString &text, int color, TagStyle output);

// The classes a WebVTT style block colours, for the merged file's two
// languages and the dot of an empty bottom line.
constexpr const char *upperColorClass = "upper";
constexpr const char *lowerColorClass = "lower";
constexpr const char *dotColorClass = "dot";
// The colour of that dot.
constexpr int dotColor = 0x505050;

// How the merged frames are written: texts with tags of one style, coloured
// by tags of that style or (`colorClasses`) by the classes above.
struct FrameStyle
{
    FrameStyle(TagStyle tags, bool colorClasses = false)
        : tags(tags)
        , colorClasses(colorClasses)
    {
    }
    TagStyle tags;
    bool colorClasses;

    // Colours `text` as the set of `className` in `color` (0xRRGGBB); an empty text stays empty.
    void applyColor(QString &text, int color, const char *className) const;
};

// Six lower-case hexadecimal digits of a 0xRRGGBB colour ("00ff00").
QString colorHex(int color);
