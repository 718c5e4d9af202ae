#pragma once
// Colour tags of the merged output: one colour per set, as SubRip font tags or
// MicroDVD colour codes.

#include <QString>

// Wraps `text` in the colour tag of the output style; an empty text stays empty.
// `color` is 0xRRGGBB.
void applyColorTag(QString &text, int color, bool srtOutput);

// Six lower-case hexadecimal digits of a 0xRRGGBB colour ("00ff00").
QString colorHex(int color);
