#pragma once
// Conversion of format tags between SubRip style (<i>) and MicroDVD style ({y:i}).

#include <QString>

// The two styles of tags a text can carry, and the two an output writes.
enum class TagStyle { MicroDvd, SubRip };

// Tags of the other style become tags of this one; tags with no counterpart go.
void convertTags(QString &text, TagStyle to);
// For callers that still name the style by a flag.
inline void convertTags(QString &text, bool toSrt)
{
    convertTags(text, toSrt ? TagStyle::SubRip : TagStyle::MicroDvd);
}
