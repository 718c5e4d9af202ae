#pragma once
// One subtitle: its times in milliseconds, the merge working times and its text
// with the lines joined by "|".

#include <QString>
#include <QtGlobal>

#include <limits>

// Clamps a 64-bit intermediate into the 32-bit millisecond range used everywhere.
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

struct Subtitle
{
    qint32 start = 0;
    qint32 end = 0;
    qint32 visibleLength = 0;
    qint32 mergeStart = 0;
    qint32 mergeEnd = 0;
    QString text;
    bool angleTags = false;

    void reset();
    void normalize();
    void removeMatches(const QString &pattern);
    void shift(qint32 delta);
};

// Number of characters of `text` once the tags of the given style are left out.
int visibleLengthOf(const QString &text, bool angleTags);
