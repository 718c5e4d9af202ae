#pragma once
// The screen of an .ass script and where the upper text stands on it.

#include "core/tags.h"

#include <QString>

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

// The lines the lower style is expected to take for the text, long lines
// counted as the renderer wraps them (rather one too many than one too few).
int assLineCount(const QString &text, TagStyle tags);

// How far above the bottom the upper text of `upperRow` stands: over the
// tallest lower text shown at the same time, or at the bottom when there is
// none. `firstLower` follows the upper rows through the lower set, in the
// merge times.
int upperMarginOver(const SubtitleSet &upper, int upperRow, const SubtitleSet &lower, int &firstLower);
