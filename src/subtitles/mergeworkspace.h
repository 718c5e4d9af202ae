#pragma once
// The one holder of the upper, lower and merged sets and the sync links.

#include "subtitles/subtitleset.h"
#include "timing/synclinklist.h"

class MergeWorkspace
{
public:
    MergeWorkspace();
    MergeWorkspace(const MergeWorkspace &) = delete;
    MergeWorkspace &operator=(const MergeWorkspace &) = delete;

    SubtitleSet upper;
    SubtitleSet lower;
    SubtitleSet merged;
    SyncLinkList links;

    // The state at process start: no views, empty sets, no links.
    void init();

    // Process & Save without the file dialog and the writing (merge/).
    void processMerge();
    void crossSnapPass();
    void stackingPass(bool srtOutput);
    void StackFrame(bool srtOutput);
};

MergeWorkspace &workspace();
