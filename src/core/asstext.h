#pragma once
// The text of an .ass event from a subtitle's text.

#include "core/tags.h"

#include <QString>

// One subtitle's text ("|" between lines, tags of SubRip or MicroDVD style)
// as the text of an event: tags become override blocks, line breaks "\N",
// and braces and backslashes show as they read.
QString assText(const QString &text, TagStyle tags);
// The same appended to `out` without building it first (40000 events a file).
void appendAssText(QString &out, const QString &text, TagStyle tags);

// An override block's colour, "&HBBGGRR&", of a 0xBBGGRR colour.
QString assColor(int bgr);
