#pragma once
// Process & Save without the file: the readability correction, the snapping
// of transitions, and the stacking engine that cuts the time line of both
// sets into frames, the upper text standing a number of lines above the lower.

#include "core/colors.h"
#include "core/formats.h"
#include "core/processing.h"
#include "core/tags.h"

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
                 FrameStyle style);

// Makes one source text ready for a frame: joined to one line with
// `joinLines`, tags in the output style, no spaces around line breaks.
// Returns its number of lines; an empty text stays empty and counts 0.
int prepareLines(QString &text, TagStyle from, TagStyle output, bool joinLines);

// The merge times of both sets, as the frames and the .ass events take them:
// readability correction of both sets, and snapping within and across them.
void prepareMergeTimes(SubtitleSet &upper, SubtitleSet &lower, const ProcessingOptions &options, LogSink &log);

// The pipeline up to the frames: the merge times, and stacking into `merged`.
void stackSets(SubtitleSet &upper, SubtitleSet &lower, SubtitleSet &merged, const ProcessingOptions &options,
               FrameStyle style, LogSink &log);

// The credit that closes a merged file with `options.header`, in every format:
// two lines, from 2 s to 7 s after the last subtitle ends.
struct CreditLine
{
    QString first = QStringLiteral("Subtitles processed with");
    QString second = QStringLiteral("Twinscript");
    int start = 0;
    int end = 0;

    // Both lines and the break between them, untagged.
    int visibleLength() const { return first.size() + 1 + second.size(); }
};
CreditLine creditAfter(qint64 lastEnd);

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
