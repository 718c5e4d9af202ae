#include "subtitles/subtitleset.h"

#include <cstdlib>

int SubtitleSet::startOf(int index) const
{
    // The double-click slots pass a row of the list that shows this set; an
    // out-of-range row reads as time 0 rather than a slot of leftovers.
    if (index < 0 || index >= count)
        return 0;
    return records[size_t(index)].start;
}

int SubtitleSet::nearestIndex(int time) const
{
    qint64 best = std::llabs(qint64(time));
    int result = 0;
    for (int i = 0; i < count; ++i) {
        const qint64 d = std::llabs(qint64(records[size_t(i)].start) - time);
        if (d >= best)
            break;
        result = i;
        best = d;
    }
    return result;
}
