#pragma once
// Pairs of one film as two different sources would subtitle it, made from one
// set: the lower set re-cut (neighbours joined, long lines split at their
// punctuation), its starts and ends jittered, a fifth of it dropped, sound
// cues in both sets that the other lacks and a recap in front of the upper
// set; then a distortion of rate, drift, offset and splits on either set.
// Every lower subtitle knows where its counterpart starts, so that a
// synchronization can be judged.

#include "core/subtitleset.h"

#include <vector>

struct SourceDifferences
{
    int startJitterMs = 300;
    int endJitterMs = 600;
    double dropShare = 0.2;
    double joinShare = 0.12;
    double splitShare = 0.15;
    double cueShare = 0.06; // of the lines, in each set
    int recapMs = 60000; // in front of the upper set, 0 for none
};

struct TimeDistortion
{
    double offsetMs = 0;
    int fromRate = 1; // lower time = upper time * fromRate / toRate (as in the Timing dialog)
    int toRate = 1;
    double drift = 0; // on top of the rate: 0.0008 is 0.08 %
    std::vector<std::pair<double, double>> splits; // share of the film, jump in ms

    // The splits are taken at `splitsAt` when given, else at `t`.
    double apply(double t, double filmLength, double splitsAt = -1) const;
};

struct SourcePair
{
    SubtitleSet upper {QStringLiteral("Up: ")};
    SubtitleSet lower {QStringLiteral("Lw: ")};
    // Per lower row: where the line it shows starts on the upper set's clock,
    // -1 for a line the upper set lacks (a cue).
    std::vector<double> counterpart;
    // Per lower row: the undistorted stretch it lies in, from and to in ms,
    // on the counterpart's clock.
    std::vector<std::pair<double, double>> stretch;
    double filmLength = 0;

    // Applies `d` to one set; the counterparts follow the upper set.
    void distort(const TimeDistortion &d, bool upperSet);
};

SourcePair differentSources(const SubtitleSet &film, unsigned seed, const SourceDifferences &differences = {});

// A film of `lines` subtitles with realistic gaps and lengths.
void generateFilm(SubtitleSet &film, int lines, unsigned seed);
