#pragma once
// MPL2: one line a subtitle, "[start][end]text" in tenths of a second, a
// line of the text in italics when it starts with "/". Read only.

#include "core/formats/formattable.h"

bool isMpl2Line(const QString &line);

FormatInfo mpl2Format();
