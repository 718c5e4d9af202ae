#pragma once
// Automatic linking: finds how the lower set's time line maps onto the upper
// one (a frame-rate ratio with a slight drift, an offset and up to six jumps
// of the offset) from when each set shows text, and proposes sync links on
// pairs that start together under that mapping, so that synchronization
// reproduces it.

#include "core/synclinks.h"

#include <QString>

#include <vector>

class SubtitleSet;

struct AutoLinkResult
{
    bool reliable = false;
    // lower time = upper time * fromRate / toRate + offset (rates in frames
    // per 1000 s as the timing dialog lists them; 1 and 1 for no rate change).
    int fromRate = 1;
    int toRate = 1;
    qint64 offsetMs = 0; // of the first stretch, before any split
    std::vector<qint64> splitTimes; // lower-set times where the offset jumps
    int matched = 0; // lower subtitles that start with an upper one under the mapping
    // What the mapping wins over chance, as a share of what a perfect match
    // would (0 chance, 1 every lower subtitle covered), and what the same
    // search wins on the lower set played backwards.
    double excess = 0;
    double chanceExcess = -1;
    std::vector<SyncLinks::Link> links; // both rows increasing
};

AutoLinkResult findAutoLinks(const SubtitleSet &upper, const SubtitleSet &lower);

// "offset +7.300 s, rate 25.000 => 23.976, 1 split at 00:21:40": the parts
// that apply, the offset always.
QString describeMapping(const AutoLinkResult &result);
