#pragma once
// Building the texts of merged frames.

#include <QString>

// Makes one source text ready for a frame: joined to one line when "Join Lines"
// is on, tags in the output style, no spaces around line breaks. Returns its
// number of lines; an empty text stays empty and counts 0.
int prepareLines(QString &text, bool angleTags, bool srtOutput);
