#pragma once
// One subtitle stream in memory: its subtitles in time order, then the end
// sentinel the merge passes stop at, and where the set came from.

#include "core/subtitle.h"

#include <vector>

class SubtitleSet
{
public:
    // A loaded set holds at most this many subtitles; the merged set may grow
    // past it (two full sets cut each other into up to four times as many frames).
    static constexpr int Capacity = 20000;

    explicit SubtitleSet(const QString &logPrefix);

    QString logPrefix;
    QString filePath; // the file last loaded without "Append"; another one drops the links
    int track = -1; // the track of a video that file is, -1 for a subtitle file
    int count = 0;
    int frameRate = 25000; // MicroDVD frames per 1000 s, of the last load or save

    Subtitle &at(int i) { return m_records[size_t(i)]; }
    const Subtitle &at(int i) const { return m_records[size_t(i)]; }
    // Any slot, also past the subtitles (the sentinel, the reader's next
    // record): the set grows to hold it, new slots blank.
    Subtitle &slot(int i);
    // The subtitles, without the slots behind them.
    const Subtitle *begin() const { return m_records.data(); }
    const Subtitle *end() const { return m_records.data() + count; }

    // No subtitles, no slots.
    void clear();
    // Room for `slotCount` slots, taken at once rather than grown into: a set of
    // 20000 would otherwise be copied and its pages touched again many times.
    void reserve(int slotCount) { m_records.reserve(size_t(qMax(0, slotCount))); }
    // Appends a subtitle behind the others (tests and generators).
    Subtitle &append(int start, int end, const QString &text, bool angleTags = true);

    // The start of a row, 0 for a row that is no subtitle.
    int startOf(int row) const;
    // The row whose start is nearest to `time` (the first of equals), 0 when empty.
    int nearestRow(int time) const;

private:
    std::vector<Subtitle> m_records;
};
