#pragma once
// Conversion of format tags between SubRip style (<i>) and MicroDVD style ({y:i}).

#include <QString>

void convertTags(QString &text, bool toSrt);
