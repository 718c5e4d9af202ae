#pragma once
// The processing controls of "Process & Save" as plain values, with the
// ranges of the window's number boxes.

#include "core/colors.h"

#include <QtGlobal>

enum class LastLineStyle { Normal = 0, Dot = 1, Doubled = 2 };
// Where an .ass file shows the upper language: directly over the lower text, or at the top.
enum class UpperPosition { Above = 0, Top = 1 };

struct ProcessingOptions
{
    int cps = 25; // reading speed: characters per second
    int gap = 0; // ms kept free between two subtitles of a set
    int snap = 500; // ms within which transitions of the two sets are joined
    int bottomLines = 2; // lines the upper text stands above the bottom
    bool joinLines = false;
    LastLineStyle lastLine = LastLineStyle::Normal;
    bool colorTags = false;
    int upperColor = defaultTextColor;
    int lowerColor = defaultTextColor;
    bool header = true;
    UpperPosition upperPosition = UpperPosition::Above;
};

// A number box's range and what it does with a value typed outside it:
// either take the nearest allowed value, or keep the value it had.
struct NumberRange
{
    int minimum;
    int maximum;
    bool clampToNearest;

    // The value the box ends up with after `typed`, starting from `current`.
    int corrected(int typed, int current) const
    {
        if (typed >= minimum && typed <= maximum)
            return typed;
        return clampToNearest ? qBound(minimum, typed, maximum) : current;
    }
};

constexpr NumberRange cpsRange {10, 50, true};
constexpr NumberRange gapRange {0, 50, true};
constexpr NumberRange snapRange {50, 1000, false};
constexpr NumberRange bottomLinesRange {0, 30, false};
