#pragma once
// Advanced SubStation (.ass) output: each subtitle of both sets becomes one
// event of its set's style, placed and coloured by the style, so that the
// renderer shows both languages without filler lines or cut frames.

#include "core/formats.h"
#include "core/processing.h"
#include "core/tags.h"

#include <QString>

#include <functional>

class LogSink;
class SubtitleSet;

// The script's own screen; renderers scale it, borders and shadows with it,
// to the picture.
namespace AssLayout {
constexpr int playResX = 1920;
constexpr int playResY = 1080;
constexpr int lowerFontSize = 64; // about 6 % of the screen height
constexpr int upperFontPercent = 80; // of the lower font size
constexpr int upperFontSize = lowerFontSize * upperFontPercent / 100;
constexpr int sideMargin = 80;
constexpr int bottomMargin = 40; // the lower text's, and the top margin of the upper one at the top
// Free space between the lower text and the upper one above it: both outlines and the shadow.
constexpr int stackSpacing = 16;
} // namespace AssLayout

// One subtitle's text ("|" between lines, tags of SubRip or MicroDVD style)
// as the text of an event: tags become override blocks, line breaks "\N",
// and braces and backslashes show as they read.
QString assText(const QString &text, TagStyle tags);

// The lines the lower style is expected to take for the text, long lines
// counted as the renderer wraps them (rather one too many than one too few).
int assLineCount(const QString &text, TagStyle tags);

// The script of both sets in their merge times, events in time order, and the
// header subtitle with `options.header`. Subtitles ending at or before 0:00
// are left out, those starting before it start there (counted in cutAtZero).
FormattedSet formatAssPair(const SubtitleSet &upper, const SubtitleSet &lower, const ProcessingOptions &options,
                           const std::function<void(const QString &piece)> &out);
// One set on its own, in its own times and the lower style.
FormattedSet formatAssSingle(const SubtitleSet &set, const ProcessingOptions &options,
                             const std::function<void(const QString &piece)> &out);
