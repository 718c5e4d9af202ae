#pragma once
// One subtitle: its times in milliseconds, the working times of the merge and
// its text with the lines joined by "|".

#include "core/tags.h"

#include <QString>
#include <QtGlobal>

#include <limits>

// Times are 32-bit milliseconds; arithmetic on them is done in 64 bits and
// clamped where it is stored.
inline qint32 clampToInt32(qint64 v)
{
    if (v > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (v < std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(v);
}

inline bool fitsInt32(qint64 v)
{
    return v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
}

// MicroDVD counts frames, at a rate in frames per 1000 s; both ways truncate
// toward zero, as MicroDVD files have always been read and written.
inline qint64 msOfFrame(qint64 frame, int frameRate)
{
    return frame * 1000000 / frameRate;
}
inline qint64 frameOfMs(qint64 ms, int frameRate)
{
    return ms * frameRate / 1000000;
}

struct Subtitle
{
    qint32 start = 0;
    qint32 end = 0;
    qint32 visibleLength = 0;
    qint32 mergeStart = 0;
    qint32 mergeEnd = 0;
    // Here, in the gap before the text, the record stays at 48 bytes: with
    // 20000 subtitles a set, each copy of a set counts.
    bool angleTags = false; // SubRip style tags (<i>) rather than MicroDVD ones ({y:i})
    QString text;

    TagStyle tagStyle() const { return angleTags ? TagStyle::SubRip : TagStyle::MicroDvd; }

    void reset();
    // Cleans the text as the readers leave it and recounts its visible length.
    void normalize();
    void shift(qint32 delta);
};

// Whether the text is already as cleaning leaves it: white space only as
// single spaces between words, none at either end or beside a line break "|".
// Most texts are, and then cleaning them is a copy for nothing.
bool isCleanText(const QString &text);

// Number of characters of `text` once the tags of the given style are left out.
int visibleLengthOf(const QString &text, TagStyle tags);

static_assert(sizeof(void *) != 8 || sizeof(Subtitle) <= 48, "a subtitle record grew past 48 bytes");
