#pragma once
// Advanced SubStation (.ass) output: each subtitle of both sets becomes one
// event of its set's style, placed and coloured by the style, so that the
// renderer shows both languages without filler lines or cut frames.

#include "core/formats/formattable.h"
#include "core/processing.h"

class SubtitleSet;

// The script of both sets in their merge times, events in time order, and the
// header subtitle with `options.header`. Subtitles ending at or before 0:00
// are left out, those starting before it start there (counted in cutAtZero).
FormattedSet formatAssPair(const SubtitleSet &upper, const SubtitleSet &lower, const ProcessingOptions &options,
                           const PieceSink &out);
// One set on its own, in its own times and the lower style.
FormattedSet formatAssSingle(const SubtitleSet &set, const ProcessingOptions &options, const PieceSink &out);

// Written only (the merged file is both sets as events), in UTF-8 with its mark.
FormatInfo advancedSubStationFormat();
