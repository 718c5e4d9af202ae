#pragma once
// Advanced SubStation (.ass) output: each subtitle of both sets becomes one
// event of its set's style, placed and coloured by the style, so that the
// renderer shows both languages without filler lines or cut frames.

#include "core/asslayout.h"
#include "core/asstext.h"
#include "core/formats.h"
#include "core/processing.h"

#include <QString>

#include <functional>

class SubtitleSet;

// The script of both sets in their merge times, events in time order, and the
// header subtitle with `options.header`. Subtitles ending at or before 0:00
// are left out, those starting before it start there (counted in cutAtZero).
FormattedSet formatAssPair(const SubtitleSet &upper, const SubtitleSet &lower, const ProcessingOptions &options,
                           const std::function<void(const QString &piece)> &out);
// One set on its own, in its own times and the lower style.
FormattedSet formatAssSingle(const SubtitleSet &set, const ProcessingOptions &options,
                             const std::function<void(const QString &piece)> &out);
