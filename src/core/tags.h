#pragma once
// Conversion of format tags between SubRip style (<i>) and MicroDVD style ({y:i}).

#include <QString>

// Tags of the other style become tags of this one; tags with no counterpart go.
void convertTags(QString &text, bool toSrt);
