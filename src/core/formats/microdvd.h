#pragma once
// MicroDVD (.sub): one line a subtitle, "{start}{end}text" in frames, with
// "{y:i}"-style tags. Read and written at a frame rate the user gives; a file
// may declare its own in its first line ("{1}{1}29.970").

#include "core/formats/formattable.h"

// The frame rates the MicroDVD prompt offers, in frames per 1000 s, in its order.
constexpr int microDvdFrameRates[] = {23976, 24000, 25000, 29970};
// The rate of a prompt entry ("23.976 NTSC" gives 23976), 0 if it has none.
int frameRateOfEntry(const QString &entry);
// The rate a MicroDVD text declares in its first subtitle ({1}{1}29.970 or
// {0}{0}25.0: one of the prompt's rates, any number of decimals), in frames
// per 1000 s; 0 when it declares none.
int declaredFrameRate(const QString &text);

bool isMicroDvdLine(const QString &line);

FormatInfo microDvdFormat();
