#pragma once
// Colour tags of the merged output: one colour per set, as SubRip font tags or
// MicroDVD colour codes; and the byte order the MicroDVD and .ass codes use.

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

// Six lower-case hexadecimal digits of a 0xRRGGBB colour ("00ff00").
QString colorHex(int color);
