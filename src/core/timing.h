#pragma once
// Timing corrections of one set (shift, stretch, frame-rate conversion) and
// the primitives that move times, which synchronization uses too.

#include <QStringList>

class LogSink;
class SubtitleSet;

struct TimingCorrection
{
    int shiftMs = 0;
    int stretchMs = 0; // the last subtitle's start moves by this much, the ones between in proportion
    int fromRate = 1; // frames per 1000 s; equal rates convert nothing
    int toRate = 1;
    bool selectedAndFollowing = false; // from the selected subtitle on, not from the first
};

// The conversions the timing dialog offers after "- None -".
QStringList frameRateConversions();
// The rates of a conversion entry as shown ("23.976 => 25.000" gives 23976 and
// 25000); an entry without two rates ("- None -") gives 1 and 1.
void parseConversion(const QString &entry, int *fromRate, int *toRate);

// Shift, stretch and conversion in that order, each logged; `selectedRow` is
// where "selected and following" starts.
void correctTiming(SubtitleSet &set, const TimingCorrection &correction, int selectedRow, LogSink &log);

// Moves every subtitle from `row` on; times stop at the ends of the 32-bit range.
void shiftFrom(SubtitleSet &set, int row, qint64 delta);
// Scales the starts of first..last-1 about the start of `first` so that the
// span oldSpan becomes newSpan, and shifts `last` and what follows by the difference.
void stretchRange(SubtitleSet &set, int first, int last, int oldSpan, int newSpan);
// Multiplies every time by num/den.
void scaleTimes(SubtitleSet &set, int num, int den);
