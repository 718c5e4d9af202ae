#pragma once
// Process & Save without the file: the readability correction, the snapping
// of transitions, and the stacking engine that cuts the time line of both
// sets into frames, the upper text standing a number of lines above the lower.

#include "core/formats.h"
#include "core/processing.h"

#include <QString>

class LogSink;
class SubtitleSet;

// Stretches subtitles too short to read at `cps` characters a second, keeps
// `gap` ms free before the next one, and starts the merge times from the
// result (the sentinel after the last stands 100 s later).
void correctDurations(SubtitleSet &set, int cps, int gap, LogSink &log);

// Joins the end of a subtitle and the start of the next when they are less
// than `snap` ms apart (merge times).
void snapNeighbours(SubtitleSet &set, int snap);
// Joins transitions of the two sets that lie within `snap` ms of each other.
void crossSnap(SubtitleSet &upper, SubtitleSet &lower, int snap);
// One merged frame for every interval in which the shown texts stay the same.
void stackFrames(SubtitleSet &upper, SubtitleSet &lower, SubtitleSet &merged, const ProcessingOptions &options,
                 bool srtOutput);

// Makes one source text ready for a frame: joined to one line with
// `joinLines`, tags in the output style, no spaces around line breaks.
// Returns its number of lines; an empty text stays empty and counts 0.
int prepareLines(QString &text, bool angleTags, bool srtOutput, bool joinLines);

// The pipeline up to the frames: readability correction of both sets,
// snapping within and across them, and stacking into `merged`.
void stackSets(SubtitleSet &upper, SubtitleSet &lower, SubtitleSet &merged, const ProcessingOptions &options,
               bool srtOutput, LogSink &log);

// The whole pipeline in its fixed order: readability correction of both sets,
// snapping, stacking into `merged` with texts in the tag style of `format`,
// the header subtitle, and the readability correction of the merged set.
void mergeSets(SubtitleSet &upper, SubtitleSet &lower, SubtitleSet &merged, const ProcessingOptions &options,
               SubtitleFormat format, LogSink &log);

// The text the merged file shows at `time` (SubRip tag style, lines joined by
// "|"), stacked as Process & Save stacks it, from the subtitles of both sets
// shown at that moment; empty when neither shows one. For a preview: the sets
// are not changed.
QString frameAt(const SubtitleSet &upper, const SubtitleSet &lower, int time, const ProcessingOptions &options);
