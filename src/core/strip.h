#pragma once
// "Strip ()": removing bracketed text (sound descriptions, speaker names,
// leftover tags) from every subtitle of a set.

#include "core/brackets.h"

#include <QVector>

class SubtitleSet;

struct StripResult
{
    int changed = 0; // subtitles whose text changed
    int leftEmpty = 0; // of those, the ones with no text left
};

// Kinds are removed in the order given: with round before square, "(a [b) c]"
// loses "(a [b)" and keeps "c]". Every text is cleaned as after loading, also
// with no kind chosen.
StripResult stripBrackets(SubtitleSet &set, const QVector<Bracket> &kinds);
