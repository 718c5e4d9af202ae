#include "core/autolink.h"

#include "core/formats.h"
#include "core/subtitleset.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <future>
#include <limits>
#include <unordered_map>

// The method, after alass: two files of one film show text at the same
// moments, whoever cut and timed them, so a mapping of the lower time line
// onto the upper one is scored by how long both sets show text at once under
// it (the overlap of their spans), never by coinciding starts, which two
// sources rarely share. First the rate: for each ratio of the usual frame
// rates, and then a fine drift around the best, the overlap as a function of
// the offset (accumulated pair by pair as trapezoids), whose highest peak
// ranks the ratio. Then a dynamic program over the lower subtitles gives each
// one an offset on a grid, paying a penalty per change, so that a cut scene
// or an advert becomes a split. Last, each stretch is refined on its starts
// (the starts of the same line agree best once the map is known): a robust
// line through the start differences, to 10 ms, with a slope for drift.
//
// Whether the match is real: the same search on the lower set played
// backwards (a film with the same lengths and gaps that belongs to nothing)
// tells what chance reaches with these two sets, and the real map must beat
// it clearly.

namespace {

constexpr double maxOffsetMs = 15 * 60 * 1000;
// A song or a sign shown for a minute would outweigh a dozen lines.
constexpr double maxSpanMs = 8000;
constexpr double searchBinMs = 100;
constexpr double coarseBinMs = 200;
// Enough spans to rank the rates; more only cost time on long sets.
constexpr size_t maxSearchSpans = 3000;
constexpr size_t maxCoarseSpans = 800;
constexpr size_t ratioParts = 4;
constexpr size_t maxPairsPerSpan = 1024;
constexpr double driftStep = 0.0002;
constexpr int driftSteps = 8; // each way: up to 0.16 %
// A drift this close to a rate near 1 (24 against 23.976) is that rate.
constexpr double sameRateTolerance = 0.0001;
constexpr double dpCellBudget = 3e7;
constexpr double dpMinStepMs = 200;
constexpr int maxSplits = 6;
// Matched seconds of overlap a split must win, in subtitle lengths.
constexpr double splitPenaltySpans = 2.5;
// Jumps smaller than this between two fitted stretches are drift.
constexpr double minJumpMs = 150;
constexpr double stretchMatchToleranceMs = 300;
constexpr double minStretchShare = 0.25;
constexpr double minStretchShareGain = 0.1;
// A short stretch gains a share easily by chance: it must gain rows.
constexpr double minExtraMatches = 8;
constexpr double maxSharedShare = 0.3; // of a stretch's upper time line, with a neighbour's
// Cut scenes and advert breaks are shorter; a jump further is chance.
constexpr double maxJumpMs = 180000;
constexpr double nearJumpMs = 2500;
constexpr int boundaryReach = 12;
// A jump of seconds may be blurred further, where one file speaks densely;
// a boundary moved there must gain a full row's fit per ten rows moved.
constexpr int farBoundaryReach = 80;
constexpr double farMoveGainPerRow = 0.1;
constexpr double minFarMoveGain = 2;
constexpr double silenceBonusRows = 1.5;
// Talk of the other set over a pause of this set inside a stretch, where
// the neighbour's mapping finds none, says the pause is where the cut lies;
// a line that only the other set has explains a little of it.
constexpr double freeTalkOverPauseMs = 2000;
constexpr double freeTalkOverPauseShare = 0.5;
constexpr double talkOverPausePerRowMs = 2000;
constexpr double maxTalkOverPauseRows = 3;
constexpr double silenceBonusMs = 1000;
constexpr double cutGapMs = 300;
constexpr double tightSpreadMs = 40; // median start difference of one source's pairs
constexpr double maxSilenceWeight = 5;
constexpr double maxSlope = 0.003;
constexpr double outlierSlopeErrors = 4;
constexpr double driftReachMs = 2 * 60 * 1000;
constexpr double closeRivalShare = 0.9;
constexpr double rivalPathShare = 0.97;
constexpr double pathReachMs = 5 * 60 * 1000;
constexpr double minDriftSpanMs = 20 * 60 * 1000;
// Two releases start the same line up to half a second apart.
constexpr double startTolerances[] = {700, 500};
constexpr double minStartToleranceMs = 60;
constexpr double maxStartToleranceMs = 600;
// Links go on pairs close to the fitted mapping, so that the rubber band
// between two links carries little of any pair's own jitter.
constexpr double linkToleranceMs = 40;
constexpr double wideLinkToleranceMs = 120;
constexpr double linkSpacingMs = 20000;
constexpr double endLinkToleranceMs = 250;
constexpr double endLinkGainMs = 150;
constexpr double ambiguityMarginMs = 100;
constexpr double nearSplitMs = 15000;
constexpr double claimReachMs = 60000;
constexpr double maxLocalStepMs = 1500;
constexpr double levelGridMs = 25;
constexpr double levelCapMs = 400;
constexpr double levelStepPenaltyMs = 1000;
constexpr size_t maxLevelCandidates = 8;
// Gain over the same search on an unrelated film, as a share of what a
// perfect match would gain over chance.
constexpr double minExcessOverChance = 0.1;
constexpr int minLinkedRows = 4;

struct Span
{
    double start;
    double end;
    int row;
};

std::vector<Span> spansOf(const SubtitleSet &set)
{
    std::vector<Span> spans;
    spans.reserve(size_t(set.count));
    for (int i = 0; i < set.count; ++i) {
        const double start = set.at(i).start;
        const double end = std::min(std::max(double(set.at(i).end), start + 1), start + maxSpanMs);
        spans.push_back({start, end, i});
    }
    std::stable_sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.start < b.start; });
    return spans;
}

// The same spans played backwards: a film of the same lengths and gaps
// that matches nothing.
std::vector<Span> reversed(const std::vector<Span> &spans)
{
    double last = 0;
    for (const Span &s : spans)
        last = std::max(last, s.end);
    std::vector<Span> out;
    out.reserve(spans.size());
    for (auto s = spans.rbegin(); s != spans.rend(); ++s)
        out.push_back({last - s->end, last - s->start, s->row});
    return out;
}

double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

struct Rate
{
    int from;
    int to;
    double ratio;
};

std::vector<Rate> namedRates()
{
    std::vector<Rate> rates {{1, 1, 1.0}};
    for (int from : microDvdFrameRates)
        for (int to : microDvdFrameRates)
            if (from != to)
                rates.push_back({from, to, double(from) / to});
    return rates;
}

// The best peak of the overlap of the two sets as a function of the offset,
// lower = ratio * upper + offset: every pair of spans within reach adds a
// trapezoid, accumulated as changes of slope and summed twice.
struct Peak
{
    double offset = 0;
    double overlap = -1;
};

// Offsets from centre - reach to centre + reach only.
Peak bestOffset(const std::vector<Span> &upper, const std::vector<Span> &lower, double ratio, double binMs,
                size_t maxSpans, double centre = 0, double reach = maxOffsetMs)
{
    const double margin = 2 * maxSpanMs * std::max(1.0, ratio) + binMs;
    const double lo = centre - reach - margin;
    const int bins = int((2 * (reach + margin)) / binMs) + 2;
    std::vector<int> slopeChanges(size_t(bins) + 1, 0);
    const auto bin = [&](double d) { return int(std::min(double(bins), std::max(0.0, (d - lo) / binMs + 0.5))); };
    const size_t stride = std::max<size_t>(1, lower.size() / maxSpans);
    size_t first = 0;
    for (size_t i = 0; i < lower.size(); i += stride) {
        const Span &l = lower[i];
        // Upper spans whose overlap with this one is not zero for some offset within reach.
        const double earliest = (l.start - centre - reach) / ratio - maxSpanMs;
        while (first < upper.size() && upper[first].start < earliest)
            ++first;
        const double latest = (l.end - centre + reach) / ratio;
        const size_t last = size_t(std::partition_point(upper.begin() + std::ptrdiff_t(first), upper.end(),
                                                        [&](const Span &u) { return u.start < latest; })
                                   - upper.begin());
        // Only sets packed far denser than speech reach it; every few of them still find the peak.
        const size_t step = std::max<size_t>(1, (last - first) / maxPairsPerSpan);
        for (size_t j = first; j < last; j += step) {
            const double a1 = ratio * upper[j].start;
            const double a2 = ratio * upper[j].end;
            const double shorter = std::min(a2 - a1, l.end - l.start);
            const double rise = l.start - a2;
            const double fall = l.end - a1;
            const int weight = int(step);
            slopeChanges[size_t(bin(rise))] += weight;
            slopeChanges[size_t(bin(rise + shorter))] -= weight;
            slopeChanges[size_t(bin(fall - shorter))] -= weight;
            slopeChanges[size_t(bin(fall))] += weight;
        }
    }
    Peak best;
    long long slope = 0;
    long long value = 0;
    for (int k = 0; k < bins; ++k) {
        slope += slopeChanges[size_t(k)];
        value += slope;
        const double offset = lo + k * binMs;
        if (std::abs(offset - centre) <= reach && std::abs(offset) <= maxOffsetMs && double(value) > best.overlap)
            best = {offset, double(value)};
    }
    best.overlap *= binMs * double(stride);
    return best;
}

// The ratio whose overlap peaks highest: the usual rates first, on a
// coarser grid and fewer spans, then a fine drift around the best of them,
// in two rounds.
struct Candidate
{
    double ratio;
    double offset; // where its overlap peaks
};

// The peaks of the film's parts, each at its own offset, summed: with a few
// splits the one offset of the whole film peaks low under the right rate,
// and a wrong one may peak as high by chance.
double peakOfParts(const std::vector<Span> &upper, const std::vector<Span> &lower, double ratio)
{
    double sum = 0;
    const size_t size = (lower.size() + ratioParts - 1) / ratioParts;
    for (size_t first = 0; first < lower.size(); first += size) {
        const std::vector<Span> part(lower.begin() + std::ptrdiff_t(first),
                                     lower.begin() + std::ptrdiff_t(std::min(lower.size(), first + size)));
        sum += bestOffset(upper, part, ratio, coarseBinMs, maxCoarseSpans / ratioParts).overlap;
    }
    return sum;
}

std::vector<Candidate> candidateRatios(const std::vector<Span> &upper, const std::vector<Span> &lower)
{
    Candidate named {1, 0};
    double best = -1;
    for (const Rate &r : namedRates()) {
        const double overlap = peakOfParts(upper, lower, r.ratio);
        if (overlap > best)
            best = overlap, named = {r.ratio, 0};
    }
    named.offset = bestOffset(upper, lower, named.ratio, coarseBinMs, maxCoarseSpans).offset;
    // The coarse grid does not tell apart rates a drift apart (25 against 24
    // or 23.976): those near the best are weighed again finely. The drift
    // moves the peak by a few seconds an hour: a window around it will do.
    const Candidate coarse = named;
    best = -1;
    std::vector<std::pair<double, Candidate>> near;
    for (const Rate &r : namedRates()) {
        if (std::abs(r.ratio / coarse.ratio - 1) > 2 * driftSteps * driftStep)
            continue;
        const Peak p = bestOffset(upper, lower, r.ratio, searchBinMs, maxSearchSpans, coarse.offset, driftReachMs);
        near.push_back({p.overlap, Candidate {r.ratio, p.offset}});
        if (p.overlap > best)
            best = p.overlap, named = {r.ratio, p.offset};
    }
    Candidate drifted = named;
    const double namedBest = best;
    for (double step : {2 * driftStep, driftStep}) {
        const Candidate around = drifted;
        const int steps = step > driftStep ? driftSteps / 2 : 1;
        for (int k = -steps; k <= steps; ++k) {
            if (k == 0)
                continue;
            const double r = around.ratio * (1 + k * step);
            const Peak p = bestOffset(upper, lower, r, searchBinMs, maxSearchSpans, around.offset, driftReachMs);
            if (p.overlap > best)
                best = p.overlap, drifted = {r, p.offset};
        }
    }
    // With splits, a slight drift or the neighbouring rate can line up two
    // stretches at once and peak as high: the whole path decides. The same
    // rate always competes: under a release re-timed in steps of a second,
    // its one offset peaks lower than a slight drift through the steps does.
    std::vector<Candidate> candidates {named};
    for (const auto &other : near)
        if (other.second.ratio != named.ratio
            && (other.first >= closeRivalShare * namedBest || other.second.ratio == 1))
            candidates.push_back(other.second);
    if (drifted.ratio != named.ratio)
        candidates.push_back(drifted);
    return candidates;
}

// The named rate that describes a ratio: the nearest one, where a ratio near
// 1 is a rate only when it is that rate within a drift's error.
Rate describedRate(double ratio)
{
    Rate nearest = namedRates().front();
    for (const Rate &r : namedRates())
        if (std::abs(r.ratio - ratio) < std::abs(nearest.ratio - ratio))
            nearest = r;
    if (nearest.from != nearest.to && std::abs(nearest.ratio - 1) < 0.01
        && std::abs(nearest.ratio - ratio) > sameRateTolerance)
        return namedRates().front();
    return nearest;
}

// How much of the time the upper set, mapped onto the lower time line by a
// ratio, shows text before each moment: sampled on a grid, so that the
// overlap of a lower span with the whole upper set under an offset is two
// look-ups.
class Coverage
{
public:
    Coverage(const std::vector<Span> &upper, double ratio, double from, double to, double gridMs)
        : m_from(from)
        , m_grid(gridMs)
    {
        const size_t points = size_t(std::ceil((to - from) / gridMs)) + 2;
        m_covered.resize(points);
        // The union of the spans, in order.
        std::vector<std::pair<double, double>> merged;
        for (const Span &s : upper) {
            const double a = ratio * s.start;
            const double b = ratio * s.end;
            if (!merged.empty() && a <= merged.back().second)
                merged.back().second = std::max(merged.back().second, b);
            else
                merged.emplace_back(a, b);
        }
        size_t k = 0;
        double done = 0;
        for (size_t p = 0; p < points; ++p) {
            const double t = from + double(p) * gridMs;
            while (k < merged.size() && merged[k].second <= t)
                done += merged[k].second - merged[k].first, ++k;
            m_covered[p] = done + (k < merged.size() ? std::max(0.0, t - merged[k].first) : 0);
        }
        m_total = done;
        for (; k < merged.size(); ++k)
            m_total += merged[k].second - merged[k].first;
        m_density = merged.empty() ? 0 : m_total / std::max(1.0, merged.back().second - merged.front().first);
    }

    double before(double t) const
    {
        const double x = std::max(0.0, std::min((t - m_from) / m_grid, double(m_covered.size() - 2)));
        const size_t i = size_t(x);
        const double f = x - double(i);
        return m_covered[i] * (1 - f) + m_covered[i + 1] * f;
    }
    double overlap(const Span &s, double offset) const { return before(s.end - offset) - before(s.start - offset); }
    // Share of its own span that the upper set covers: what a span placed at
    // random overlaps.
    double density() const { return m_density; }
    double from() const { return m_from; }
    double grid() const { return m_grid; }
    const std::vector<double> &table() const { return m_covered; }

private:
    double m_from;
    double m_grid;
    double m_total = 0;
    double m_density = 0;
    std::vector<double> m_covered;
};

struct OffsetPath
{
    std::vector<double> offsets; // one per lower span
    double score = 0; // overlap won, less the penalties
};

// For each lower span an offset on a grid of the whole range: the path that
// overlaps the upper set most, less `penalty` per change of offset.
OffsetPath bestPath(const Coverage &coverage, const std::vector<Span> &lower, double lowest, double highest,
                    double stepMs, double penalty)
{
    const int n = int(lower.size());
    const int offsets = int((highest - lowest) / stepMs) + 1;
    const size_t words = size_t(offsets + 63) / 64;
    std::vector<std::uint64_t> switched(size_t(n) * words, 0);
    std::vector<int> bestBefore(size_t(n), 0);
    std::vector<double> score(size_t(offsets), 0);
    const std::vector<double> &table = coverage.table();
    const int stepPoints = int(std::lround(stepMs / coverage.grid()));
    const int lastPoint = int(table.size()) - 2;
    double bestScore = 0;
    int bestIndex = 0;
    for (int s = 0; s < n; ++s) {
        const Span &l = lower[size_t(s)];
        const double carried = bestScore - penalty;
        std::uint64_t *bits = &switched[size_t(s) * words];
        bestBefore[size_t(s)] = bestIndex;
        // The grid point before each end of the span moved back by the
        // lowest offset; every step of the offset moves both back by a
        // whole number of points, so one interpolation weight serves the row.
        const double xEnd = (l.end - lowest - coverage.from()) / coverage.grid();
        const double xStart = (l.start - lowest - coverage.from()) / coverage.grid();
        const int iEnd = int(xEnd);
        const int iStart = int(xStart);
        const double fEnd = xEnd - iEnd;
        const double fStart = xStart - iStart;
        // The table reaches every offset of every span; the bounds only guard rounding.
        const int kFirst = std::max(0, (std::max(iEnd, iStart) - lastPoint + stepPoints - 1) / stepPoints);
        const int kLast = std::min(offsets - 1, std::min(iEnd, iStart) / stepPoints);
        double top = -1e300;
        int topIndex = 0;
        for (int k = 0; k < offsets; ++k) {
            double value = score[size_t(k)];
            if (s > 0 && carried > value) {
                value = carried;
                bits[size_t(k) / 64] |= std::uint64_t(1) << (k % 64);
            }
            if (k >= kFirst && k <= kLast) {
                const double *e = &table[size_t(iEnd - k * stepPoints)];
                const double *b = &table[size_t(iStart - k * stepPoints)];
                value += e[0] + (e[1] - e[0]) * fEnd - b[0] - (b[1] - b[0]) * fStart;
            }
            score[size_t(k)] = value;
            if (value > top)
                top = value, topIndex = k;
        }
        bestScore = top;
        bestIndex = topIndex;
    }
    OffsetPath path;
    path.score = bestScore;
    path.offsets.resize(size_t(n));
    int k = bestIndex;
    for (int s = n - 1; s >= 0; --s) {
        path.offsets[size_t(s)] = lowest + k * stepMs;
        if (switched[size_t(s) * words + size_t(k) / 64] >> (k % 64) & 1)
            k = bestBefore[size_t(s)];
    }
    return path;
}

int changesIn(const std::vector<double> &offsets)
{
    int changes = 0;
    for (size_t i = 1; i < offsets.size(); ++i)
        changes += offsets[i] != offsets[i - 1];
    return changes;
}

struct Search
{
    double ratio = 1;
    double centre = 0; // the offset the whole film peaks at
    OffsetPath path;
    double chance = 0; // overlap a random placement of the lower spans gets
    double perfect = 0; // overlap were every lower span covered
};

// What every search over one lower set shares: the range of its times, the
// grid of the coverage tables and the step of the offsets.
struct SearchSetup
{
    double lowest = 0;
    double highest = 0;
    double perfect = 0; // overlap were every lower span covered
    double medianLength = 0;
    double gridMs = 0;
    double stepMs = 0;

    explicit SearchSetup(const std::vector<Span> &lower)
    {
        lowest = lower.front().start;
        highest = lower.front().end;
        std::vector<double> lengths;
        for (const Span &s : lower) {
            lowest = std::min(lowest, s.start);
            highest = std::max(highest, s.end);
            lengths.push_back(s.end - s.start);
            perfect += s.end - s.start;
        }
        medianLength = medianOf(lengths);
        const double rangeMs = highest - lowest + 2 * maxOffsetMs;
        gridMs = std::max(20.0, std::ceil(rangeMs / 2e6 / 10) * 10);
        // As fine as the budget of cells allows, a whole number of grid points.
        const double cells = double(lower.size()) * 2 * pathReachMs;
        stepMs = std::ceil(std::max(dpMinStepMs, cells / dpCellBudget) / gridMs) * gridMs;
    }
};

// The path of offsets under one ratio with at most maxSplits changes, the
// penalty per change raised until it has.
Search searchAt(const SearchSetup &setup, const std::vector<Span> &upper, const std::vector<Span> &lower,
                const Candidate &candidate)
{
    // Splits lie within minutes of the offset most of the film keeps.
    const double from = std::max(-maxOffsetMs, candidate.offset - pathReachMs);
    const double to = std::min(maxOffsetMs, candidate.offset + pathReachMs);
    Search result;
    result.ratio = candidate.ratio;
    result.centre = candidate.offset;
    result.perfect = setup.perfect;
    const Coverage coverage(upper, candidate.ratio, setup.lowest - maxOffsetMs - setup.gridMs,
                            setup.highest + maxOffsetMs + setup.gridMs, setup.gridMs);
    result.chance = coverage.density() * setup.perfect;
    double penalty = splitPenaltySpans * setup.medianLength;
    for (int attempt = 0; attempt < 8; ++attempt) {
        result.path = bestPath(coverage, lower, from, to, setup.stepMs, penalty);
        const int changes = changesIn(result.path.offsets);
        if (changes <= maxSplits)
            break;
        penalty *= std::max(2, 2 * changes / maxSplits);
    }
    return result;
}

// Every candidate ratio's best path, the highest scoring first.
std::vector<Search> searchAll(const std::vector<Span> &upper, const std::vector<Span> &lower)
{
    const SearchSetup setup(lower);
    std::vector<Search> all;
    for (const Candidate &candidate : candidateRatios(upper, lower))
        all.push_back(searchAt(setup, upper, lower, candidate));
    std::stable_sort(all.begin(), all.end(),
                     [](const Search &a, const Search &b) { return a.path.score > b.path.score; });
    return all;
}

Search search(const std::vector<Span> &upper, const std::vector<Span> &lower)
{
    return searchAll(upper, lower).front();
}

// The upper starts in time order, with their rows.
struct Timeline
{
    std::vector<double> times;
    std::vector<double> ends;
    std::vector<int> rows;

    explicit Timeline(const std::vector<Span> &spans)
    {
        for (const Span &s : spans) {
            times.push_back(s.start);
            ends.push_back(s.end);
            rows.push_back(s.row);
        }
    }

    // How much of [from, to) some span covers.
    double covered(double from, double to) const
    {
        if (to <= from)
            return 0;
        size_t i = size_t(std::lower_bound(times.begin(), times.end(), from - maxSpanMs) - times.begin());
        double total = 0;
        double reached = from; // the union only: spans may overlap
        for (; i < times.size() && times[i] < to; ++i) {
            const double a = std::max(reached, times[i]);
            const double b = std::min(to, ends[i]);
            if (b > a) {
                total += b - a;
                reached = b;
            }
        }
        return total;
    }

    // Index of the start nearest to t.
    size_t nearest(double t) const
    {
        const size_t i = size_t(std::lower_bound(times.begin(), times.end(), t) - times.begin());
        if (i == times.size())
            return i - 1;
        if (i > 0 && t - times[i - 1] <= times[i] - t)
            return i - 1;
        return i;
    }
};

// How lower times relate to upper ones on one stretch: lower = ratio * upper
// + offset + slope * (lower - origin); the slope takes up a slight drift.
struct Mapping
{
    double ratio = 1;
    double offset = 0;
    double slope = 0;
    double origin = 0;

    double offsetAt(double lower) const { return offset + slope * (lower - origin); }
    double upperTime(double lower) const { return (lower - offsetAt(lower)) / ratio; }
};

struct Match
{
    int lowerRow;
    int upperRow;
    double lowerTime;
    double residual; // lower time minus where the mapping puts the upper start
};

Match nearestMatch(const Timeline &upper, double lowerTime, int lowerRow, const Mapping &m)
{
    const double expected = lowerTime - m.offsetAt(lowerTime);
    const size_t j = upper.nearest(expected / m.ratio);
    return Match {lowerRow, upper.rows[j], lowerTime, expected - m.ratio * upper.times[j]};
}

// A stretch of lower spans [first, last) that keeps one mapping.
struct Stretch
{
    int first;
    int last;
    Mapping mapping;
    std::vector<Match> matches; // within the fitted tolerance, in lower order
    std::vector<Match> nearest; // every row's nearest upper start
};

// Refines the stretches' offsets on their starts: each a line through the
// start differences to the nearest upper starts, each weighted by how close
// it lies (Tukey's biweight), the window narrowing from the spread of two
// sources to that of the pair itself. With `estimateDrift`, one slope for
// all of them (the drift the rate search left, a property of the whole
// film), each stretch about its own mean so that their offsets do not count
// as drift; else `drift` stays.
double fitStretches(const Timeline &upper, const std::vector<Span> &lower, std::vector<Stretch *> group, double drift,
                    bool estimateDrift)
{
    for (Stretch *s : group) {
        Mapping &m = s->mapping;
        const double middle = (lower[size_t(s->first)].start + lower[size_t(s->last - 1)].start) / 2;
        m.offset = m.offsetAt(middle);
        m.origin = middle;
        m.slope = drift;
    }
    std::vector<Match> near;
    const auto collect = [&](const Stretch &s, double tolerance) {
        near.clear();
        for (int i = s.first; i < s.last; ++i) {
            const Match match = nearestMatch(upper, lower[size_t(i)].start, i, s.mapping);
            if (std::abs(match.residual) <= tolerance)
                near.push_back(match);
        }
    };
    std::vector<double> tolerances(group.size());
    const auto fit = [&]() {
        struct Sums
        {
            double w = 0, t = 0, y = 0, tt = 0, ty = 0, yy = 0;
        };
        std::vector<Sums> sums(group.size());
        double across = 0;
        double spread = 0;
        double first = 1e300;
        double last = -1e300;
        for (size_t k = 0; k < group.size(); ++k) {
            const Mapping &m = group[k]->mapping;
            collect(*group[k], tolerances[k]);
            Sums &z = sums[k];
            for (const Match &x : near) {
                const double u = x.residual / tolerances[k];
                const double w = (1 - u * u) * (1 - u * u);
                const double t = x.lowerTime - m.origin;
                const double y = m.offsetAt(x.lowerTime) + x.residual;
                z.w += w, z.t += w * t, z.y += w * y, z.tt += w * t * t, z.ty += w * t * y, z.yy += w * y * y;
                first = std::min(first, x.lowerTime);
                last = std::max(last, x.lowerTime);
            }
            if (z.w > 1e-9) {
                across += z.ty - z.t * z.y / z.w;
                spread += z.tt - z.t * z.t / z.w;
            }
        }
        // A stretch re-timed in a step that no split took slopes on its own,
        // and being long it would weigh most: drift is the film's and shows
        // alike in every stretch, so a stretch whose slope lies beyond its
        // error from the others' is left out.
        if (estimateDrift && spread > 0 && group.size() >= 3) {
            double keptAcross = 0;
            double keptSpread = 0;
            for (const Sums &z : sums) {
                const double sxx = z.w > 1e-9 ? z.tt - z.t * z.t / z.w : 0;
                if (sxx <= 0)
                    continue;
                const double sxy = z.ty - z.t * z.y / z.w;
                const double slope = sxy / sxx;
                const double others = spread - sxx > 0 ? (across - sxy) / (spread - sxx) : slope;
                const double variance = std::max(0.0, (z.yy - z.y * z.y / z.w - slope * sxy) / z.w);
                const double error = std::sqrt(variance / sxx + (spread - sxx > 0 ? variance / (spread - sxx) : 0));
                if (std::abs(slope - others) <= outlierSlopeErrors * error + driftStep / 2)
                    keptAcross += sxy, keptSpread += sxx;
            }
            if (keptSpread > 0)
                across = keptAcross, spread = keptSpread;
        }
        // Over a short film the jitter of two sources looks like drift.
        if (estimateDrift)
            drift = spread > 0 && last - first >= minDriftSpanMs
                ? std::max(-maxSlope, std::min(maxSlope, across / spread))
                : 0;
        for (size_t k = 0; k < group.size(); ++k) {
            Mapping &m = group[k]->mapping;
            m.slope = drift;
            if (sums[k].w > 1e-9)
                m.offset = (sums[k].y - drift * sums[k].t) / sums[k].w;
        }
    };
    for (double tolerance : startTolerances) {
        std::fill(tolerances.begin(), tolerances.end(), tolerance);
        for (int pass = 0; pass < 2; ++pass)
            fit();
    }
    // Each pair's own spread decides its last window: tight for one source.
    for (size_t k = 0; k < group.size(); ++k) {
        collect(*group[k], maxStartToleranceMs);
        std::vector<double> distances;
        for (const Match &x : near)
            distances.push_back(std::abs(x.residual));
        tolerances[k]
            = std::max(minStartToleranceMs, std::min(maxStartToleranceMs, 2.5 * 1.4826 * medianOf(distances)));
    }
    for (int pass = 0; pass < 3; ++pass)
        fit();
    for (size_t k = 0; k < group.size(); ++k) {
        collect(*group[k], tolerances[k]);
        group[k]->matches = near;
        collect(*group[k], 1e300);
        group[k]->nearest = near;
    }
    return drift;
}

void fitStretch(const Timeline &upper, const std::vector<Span> &lower, Stretch &stretch, double drift)
{
    fitStretches(upper, lower, {&stretch}, drift, false);
}

// Share of the lower rows [first, last) that start within
// stretchMatchToleranceMs of an upper start under the mapping.
double startShare(const Timeline &upper, const std::vector<Span> &lower, int first, int last, const Mapping &m)
{
    int close = 0;
    for (int i = first; i < last; ++i)
        close += std::abs(nearestMatch(upper, lower[size_t(i)].start, i, m).residual) <= stretchMatchToleranceMs;
    return last > first ? double(close) / (last - first) : 0;
}

// Releases are cut where nobody speaks. The set that goes later after a
// jump has that much more time there, mostly silence: a jump placed after a
// silence as long as itself gains `bonus`, a shorter silence its share of it.
double silenceBonus(double silence, double jump, double bonus)
{
    return jump > 0 ? bonus * std::clamp(silence / jump, 0.0, 1.0) : 0;
}

// How far the starts of two neighbouring stretches' pairs scatter, from 1
// (one source) to maxSilenceWeight: where they scatter, a row next to a cut
// fits either side by chance as often as not, and the silence around the
// cut must say more.
double startScatter(const Stretch &a, const Stretch &b)
{
    std::vector<double> spread;
    for (const Stretch *t : {&a, &b})
        for (const Match &m : t->matches)
            spread.push_back(std::abs(m.residual));
    return std::clamp(medianOf(spread) / tightSpreadMs, 1.0, maxSilenceWeight);
}

// Talk of the upper set, in rows, over a pause of the lower set inside a
// stretch mapped by `m`, beyond the talk over it under the neighbour's
// mapping `other`: where both find talk there, the lower set just says
// less. Nothing where the starts of the pair are tight enough to place a
// cut themselves.
double talkOverPause(const Timeline &upper, double pauseFrom, double pauseTo, const Mapping &m, const Mapping &other,
                     double scatter)
{
    const double talk = upper.covered(m.upperTime(pauseFrom), m.upperTime(pauseTo))
        - upper.covered(other.upperTime(pauseFrom), other.upperTime(pauseTo));
    const double free = std::max(freeTalkOverPauseMs, freeTalkOverPauseShare * (pauseTo - pauseFrom));
    return (scatter - 1) / (maxSilenceWeight - 1)
        * std::min(maxTalkOverPauseRows, std::max(0.0, talk - free) / talkOverPausePerRowMs);
}

// Moves each boundary between two stretches, within a few rows of where
// the search put it (its grid of offsets and the overlap of neighbours blur
// it), to where the rows on either side start closest to an upper start
// under their own stretch's mapping, and where no long pause of the lower
// set falls on talk of the upper one that the other mapping leaves quiet.
// Where the other set speaks without a pause, a cut of many seconds
// overlaps it about as well on either side and the search may place it
// minutes off: for jumps beyond a step, the starts may move the boundary
// further, when they clearly say so.
void settleBoundaries(const Timeline &upper, const std::vector<Span> &lower, std::vector<Stretch> &stretches)
{
    const auto fit = [&](int row, const Mapping &m) {
        const double residual = std::abs(nearestMatch(upper, lower[size_t(row)].start, row, m).residual);
        return std::max(0.0, 1 - residual / maxStartToleranceMs);
    };
    for (size_t k = 1; k < stretches.size(); ++k) {
        Stretch &before = stretches[k - 1];
        Stretch &after = stretches[k];
        const double scatter = startScatter(before, after);
        const double jump = after.mapping.offsetAt(lower[size_t(after.first)].start)
            - before.mapping.offsetAt(lower[size_t(after.first)].start);
        const int reach = std::abs(jump) > nearJumpMs ? farBoundaryReach : boundaryReach;
        const int from = std::max(before.first + 1, after.first - reach);
        const int to = std::min(after.last - 1, after.first + reach);
        double score = 0;
        for (int r = from; r < to; ++r)
            score += fit(r, after.mapping);
        const auto bonus = [&](int row) {
            return silenceBonus(lower[size_t(row)].start - lower[size_t(row - 1)].end, jump, silenceBonusRows);
        };
        // The pause before `row`, inside a stretch, should be one in the
        // upper set too.
        const auto talkOver = [&](int row, bool inBefore) {
            return talkOverPause(upper, lower[size_t(row - 1)].end, lower[size_t(row)].start,
                                 inBefore ? before.mapping : after.mapping, inBefore ? after.mapping : before.mapping,
                                 scatter);
        };
        for (int r = from + 1; r <= to; ++r)
            score -= talkOver(r, false);
        double best = score + bonus(from);
        int bestRow = from;
        double nearBest
            = std::abs(from - after.first) <= boundaryReach ? best : -std::numeric_limits<double>::infinity();
        int nearRow = from;
        for (int r = from; r < to; ++r) {
            score += fit(r, before.mapping) - fit(r, after.mapping) - talkOver(r, true) + talkOver(r + 1, false);
            const double total = score + bonus(r + 1);
            const int moved = std::abs(r + 1 - after.first);
            if (total > best + 1e-9 || (total > best - 1e-9 && moved < std::abs(bestRow - after.first))) {
                best = total;
                bestRow = r + 1;
            }
            if (moved <= boundaryReach && total > nearBest + 1e-9) {
                nearBest = total;
                nearRow = r + 1;
            }
        }
        const int beyond = std::abs(bestRow - after.first) - boundaryReach;
        if (beyond > 0 && best - nearBest < std::max(minFarMoveGain, farMoveGainPerRow * beyond))
            bestRow = nearRow;
        before.last = bestRow;
        after.first = bestRow;
    }
}

// The start residuals of one row against every upper start within reach
// of a level, under a stretch's mapping.
struct RowResiduals
{
    std::vector<double> values;
    std::vector<size_t> firstOf; // row i's values are [firstOf[i], firstOf[i + 1])

    // The one nearest `level`, or nothing beyond levelCapMs.
    const double *nearest(size_t row, double level) const
    {
        const double *best = nullptr;
        for (size_t k = firstOf[row]; k < firstOf[row + 1]; ++k)
            if (std::abs(values[k] - level) <= levelCapMs
                && (!best || std::abs(values[k] - level) < std::abs(*best - level)))
                best = &values[k];
        return best;
    }
};

// The offsets, against a stretch's mapping, that its rows keep: levels
// that change in steps, each step paid for. A row costs the distance from
// its level to the nearest upper start, which stops growing at levelCapMs,
// so that lines that match by chance cost the same at any level and pull
// nowhere. Each level is then the median of the residuals near it.
std::vector<double> stepLevels(const RowResiduals &residuals)
{
    const int steps = int(maxLocalStepMs / levelGridMs);
    const size_t width = size_t(2 * steps + 1);
    const size_t n = residuals.firstOf.size() - 1;
    std::vector<double> level(n, 0.0);
    if (n == 0)
        return level;
    std::vector<double> cost(width);
    const auto costs = [&](size_t i) {
        std::fill(cost.begin(), cost.end(), levelCapMs);
        for (size_t k = residuals.firstOf[i]; k < residuals.firstOf[i + 1]; ++k) {
            const double r = residuals.values[k];
            const int lo = std::max(0, int(std::ceil((r - levelCapMs) / levelGridMs)) + steps);
            const int hi = std::min(int(width) - 1, int(std::floor((r + levelCapMs) / levelGridMs)) + steps);
            for (int g = lo; g <= hi; ++g)
                cost[size_t(g)] = std::min(cost[size_t(g)], std::abs(r - (g - steps) * levelGridMs));
        }
    };
    std::vector<double> best(width);
    std::vector<unsigned short> from(n * width);
    costs(0);
    best = cost;
    for (size_t i = 1; i < n; ++i) {
        const size_t lowest = size_t(std::min_element(best.begin(), best.end()) - best.begin());
        const double switched = best[lowest] + levelStepPenaltyMs;
        costs(i);
        for (size_t g = 0; g < width; ++g) {
            unsigned short origin = (unsigned short)g;
            double total = best[g];
            if (switched < total)
                total = switched, origin = (unsigned short)lowest;
            best[g] = total + cost[g];
            from[i * width + g] = origin;
        }
    }
    std::vector<size_t> grid(n);
    grid[n - 1] = size_t(std::min_element(best.begin(), best.end()) - best.begin());
    for (size_t i = n - 1; i > 0; --i)
        grid[i - 1] = from[i * width + grid[i]];
    // Segments of one grid level, each refined to the median of the
    // residuals near it; neighbours closer than a step are one segment.
    struct Segment
    {
        size_t first, last;
        double centre, level;
    };
    std::vector<Segment> segments;
    std::vector<double> near;
    const auto refine = [&](Segment &s) {
        near.clear();
        for (size_t i = s.first; i < s.last; ++i)
            if (const double *r = residuals.nearest(i, s.centre))
                near.push_back(*r);
        s.level = near.empty() ? s.centre : medianOf(near);
    };
    for (size_t first = 0; first < n;) {
        size_t last = first + 1;
        while (last < n && grid[last] == grid[first])
            ++last;
        Segment s {first, last, (double(grid[first]) - steps) * levelGridMs, 0};
        refine(s);
        if (!segments.empty() && std::abs(segments.back().level - s.level) < minJumpMs) {
            Segment &b = segments.back();
            b.centre = (b.centre * double(b.last - b.first) + s.centre * double(last - first)) / double(last - b.first);
            b.last = last;
            refine(b);
        } else {
            segments.push_back(s);
        }
        first = last;
    }
    for (const Segment &s : segments)
        std::fill(level.begin() + std::ptrdiff_t(s.first), level.begin() + std::ptrdiff_t(s.last), s.level);
    return level;
}

// A stretch's rows matched as their level says, and how far each starts
// from it. Two releases are timed by different hands, the later one often
// in steps of its own (half a second here, a second there) that no split is
// worth: a pair is close when it starts as the rows around it do.
struct LevelledRows
{
    std::vector<Match> rows;
    std::vector<double> level;
    std::vector<double> off;

    // Rows next to row i, two each side, that start as their level says: a
    // line only one file has matches by chance, among neighbours that don't.
    int support(size_t i) const
    {
        int n = 0;
        for (size_t j = i >= 2 ? i - 2 : 0; j <= i + 2 && j < rows.size(); ++j)
            n += j != i && off[j] <= stretchMatchToleranceMs;
        return n;
    }
};

LevelledRows levelledRows(const Timeline &upper, const Stretch &stretch)
{
    const std::vector<Match> &nearest = stretch.nearest;
    RowResiduals residuals;
    for (const Match &m : nearest) {
        residuals.firstOf.push_back(residuals.values.size());
        // The nearest few within reach: sets packed far denser than speech
        // would otherwise give every row thousands.
        const double expected = m.lowerTime - stretch.mapping.offsetAt(m.lowerTime);
        const double reach = maxLocalStepMs + levelCapMs;
        const auto residualOf = [&](size_t j) { return expected - stretch.mapping.ratio * upper.times[j]; };
        size_t left = upper.nearest(expected / stretch.mapping.ratio) + 1;
        size_t right = left;
        while (right - left < maxLevelCandidates) {
            const bool canLeft = left > 0 && std::abs(residualOf(left - 1)) <= reach;
            const bool canRight = right < upper.times.size() && std::abs(residualOf(right)) <= reach;
            if (canLeft && (!canRight || std::abs(residualOf(left - 1)) <= std::abs(residualOf(right))))
                residuals.values.push_back(residualOf(--left));
            else if (canRight)
                residuals.values.push_back(residualOf(right++));
            else
                break;
        }
    }
    residuals.firstOf.push_back(residuals.values.size());
    LevelledRows result {nearest, stepLevels(residuals), std::vector<double>(nearest.size(), 0.0)};
    for (size_t i = 0; i < nearest.size(); ++i) {
        if (result.level[i] != 0) {
            Mapping shifted = stretch.mapping;
            shifted.offset += result.level[i];
            result.rows[i] = nearestMatch(upper, nearest[i].lowerTime, nearest[i].lowerRow, shifted);
            result.rows[i].residual += result.level[i];
        }
        result.off[i] = std::abs(result.rows[i].residual - result.level[i]);
    }
    return result;
}

// One link per linkSpacingMs of the stretch on its closest pair, and links
// on pairs near its first and last rows, so that the rubber band reproduces
// a split with as few subtitles as possible between the links around it.
void placeLinks(const Timeline &upper, const std::vector<Span> &lower, const Stretch &stretch, const LevelledRows &own,
                const Mapping *before, const LevelledRows *beforeRows, const Mapping *after,
                const LevelledRows *afterRows, std::vector<SyncLinks::Link> &links, std::vector<Match> &linked)
{
    // Near a split, a pair that the neighbour's mapping explains as well is
    // as likely a chance match across it, and would pin rows to the wrong
    // side; farther in, the stretch's own mapping has no rival.
    const double firstTime = lower[size_t(stretch.first)].start;
    const double lastTime = lower[size_t(stretch.last - 1)].start;
    const std::vector<Match> &rows = own.rows;
    const std::vector<double> &off = own.off;
    // The upper lines the neighbours' rows start with, and how well their
    // own neighbours bear each out.
    const auto claimsOf = [](const LevelledRows *n) {
        std::unordered_map<int, int> claims;
        for (size_t j = 0; n && j < n->rows.size(); ++j)
            if (n->off[j] <= stretchMatchToleranceMs) {
                int &best = claims.emplace(n->rows[j].upperRow, 0).first->second;
                best = std::max(best, n->support(j));
            }
        return claims;
    };
    const std::unordered_map<int, int> claimsBefore = claimsOf(beforeRows);
    const std::unordered_map<int, int> claimsAfter = claimsOf(afterRows);
    const auto distinct = [&](size_t i) {
        const Match &m = rows[i];
        for (const Mapping *n : {m.lowerTime - firstTime < nearSplitMs ? before : nullptr,
                                 lastTime - m.lowerTime < nearSplitMs ? after : nullptr}) {
            if (!n)
                continue;
            const double jump = std::abs(n->offsetAt(m.lowerTime) - stretch.mapping.offsetAt(m.lowerTime));
            const double margin = std::min({ambiguityMarginMs, jump / 2, std::abs(m.residual)});
            if (std::abs(nearestMatch(upper, m.lowerTime, m.lowerRow, *n).residual) < std::abs(m.residual) + margin)
                return false;
        }
        // Where one file has a scene the other lacks, its lines match by
        // chance upper lines that the neighbour's rows start with: of two
        // rows on one upper line, the one its neighbours bear out stays.
        for (const auto *claims : {m.lowerTime - firstTime < claimReachMs ? &claimsBefore : nullptr,
                                   lastTime - m.lowerTime < claimReachMs ? &claimsAfter : nullptr}) {
            if (!claims)
                continue;
            const auto claim = claims->find(m.upperRow);
            if (claim != claims->end() && claim->second >= own.support(i))
                return false;
        }
        return true;
    };
    const auto usable
        = [&](size_t i) { return std::abs(rows[i].residual) <= maxLocalStepMs + endLinkToleranceMs && distinct(i); };
    std::vector<size_t> close;
    for (double tolerance : {linkToleranceMs, wideLinkToleranceMs}) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (off[i] <= tolerance && usable(i))
                close.push_back(i);
        if (close.size() >= 2)
            break;
        close.clear();
    }
    if (close.empty())
        return;
    std::vector<size_t> chosen {close.front()};
    const double origin = rows[close.front()].lowerTime;
    long long bucket = 0;
    size_t best = rows.size();
    for (size_t i : close) {
        const long long b = (long long)((rows[i].lowerTime - origin) / linkSpacingMs);
        if (b != bucket) {
            if (best < rows.size() && best != close.front())
                chosen.push_back(best);
            bucket = b;
            best = rows.size();
        }
        if (best == rows.size() || off[i] < off[best])
            best = i;
    }
    if (best < rows.size() && best != close.front() && best != close.back())
        chosen.push_back(best);
    if (close.back() != close.front())
        chosen.push_back(close.back());
    // Rows beyond the outer links only shift with them: under another rate
    // they drift away, so a looser pair nearer the end is better once the
    // drift over the distance outweighs the looseness. At the film's ends,
    // far out, a pair as loose as half that drift still gains; next to a
    // split such a pair may be a chance match across it.
    const double rateError = std::abs(1 - stretch.mapping.ratio) + std::abs(stretch.mapping.slope);
    const auto farEnd = [&](size_t i, size_t outer) {
        return std::min(levelCapMs, std::abs(rows[i].lowerTime - rows[outer].lowerTime) * rateError / 2);
    };
    const auto looser = [&](size_t outer, bool front) {
        size_t found = outer;
        for (size_t i = 0; i < rows.size(); ++i)
            if (off[i] <= std::max(endLinkToleranceMs, (front ? before : after) ? 0 : farEnd(i, outer)) && usable(i)
                && (front ? rows[i].lowerTime < rows[found].lowerTime : rows[i].lowerTime > rows[found].lowerTime))
                found = i;
        const bool far = std::abs(rows[found].lowerTime - rows[outer].lowerTime) * rateError > endLinkGainMs;
        return far ? found : outer;
    };
    // Both stay candidates: the looser one may cross the link before.
    chosen.insert(chosen.begin(), looser(chosen.front(), true));
    chosen.push_back(looser(chosen.back(), false));
    for (size_t i : chosen) {
        const Match *m = &rows[i];
        // Links never cross and no row carries two.
        if (!links.empty() && (m->upperRow <= links.back().upperRow || m->lowerRow <= links.back().lowerRow))
            continue;
        links.push_back(SyncLinks::Link {m->upperRow, m->lowerRow});
        linked.push_back(*m);
    }
}

// How much of a lower subtitle, placed on the upper time line by `m`, the
// upper subtitles cover: a subtitle on the right side of a jump lies where
// the other language speaks.
double coveredByUpper(const Timeline &upper, const Subtitle &s, const Mapping &m)
{
    return upper.covered(m.upperTime(s.start), m.upperTime(s.end));
}

// How far a lower subtitle, placed on the upper time line by `m`, falls
// outside the upper starts of the two links around it: on the wrong side
// of a jump it lands beyond one of them.
double outsideMatches(const SubtitleSet &upper, const Subtitle &s, const Mapping &m, const Match &before,
                      const Match &after)
{
    const double at = m.upperTime(s.start);
    const double from = upper.at(before.upperRow).start;
    const double to = upper.at(after.upperRow).start;
    return std::max(0.0, from - at) + std::max(0.0, at - to);
}

// How far a lower start lies from the nearest upper start under a mapping,
// up to a second: on its own side of a jump it finds its partner. Only the
// upper starts strictly between those of the links around the jump count:
// the links' own lines are theirs, and a row that a mapping puts on one of
// them matches it by chance.
double misfit(const Timeline &starts, const Subtitle &s, const Mapping &m, double firstLinked, double lastLinked)
{
    const double expected = s.start - m.offsetAt(s.start);
    const auto first = std::upper_bound(starts.times.begin(), starts.times.end(), firstLinked);
    const auto last = std::lower_bound(first, starts.times.end(), lastLinked);
    const auto at = std::lower_bound(first, last, expected / m.ratio);
    double best = 1000;
    if (at != last)
        best = std::min(best, std::abs(expected - m.ratio * *at));
    if (at != first)
        best = std::min(best, std::abs(expected - m.ratio * *(at - 1)));
    return best;
}

// Between the last link before a jump and the first after it lie lower
// subtitles; the jump goes where they keep best between those two links and
// nearest an upper start, with no long pause between them on talk of the
// upper set that the other side's mapping leaves quiet, and among equals
// where the upper set covers them best on their side of it. Far apart, the
// search's own boundary stands.
int jumpRow(const Timeline &starts, const SubtitleSet &upper, const SubtitleSet &lower, const Match &before,
            const Mapping &beforeMapping, const Match &after, const Mapping &afterMapping, int boundary, double scatter)
{
    const double silenceWeight = silenceBonusMs * scatter;
    const int from = before.lowerRow + 1;
    const int to = after.lowerRow;
    if (to - from > 64)
        return std::max(from, std::min(to, boundary));
    const double firstLinked = upper.at(before.upperRow).start;
    const double lastLinked = upper.at(after.upperRow).start;
    const auto outsideOf = [&](const Subtitle &s, const Mapping &m) {
        const double uncovered
            = std::max(0.0, m.upperTime(s.end) - m.upperTime(s.start) - coveredByUpper(starts, s, m));
        return outsideMatches(upper, s, m, before, after) + misfit(starts, s, m, firstLinked, lastLinked) + uncovered;
    };
    // A pause inside a stretch should be one in the upper set too.
    const auto talkOver = [&](int row, bool inBefore) {
        return silenceBonusMs
            * talkOverPause(starts, lower.at(row - 1).end, lower.at(row).start, inBefore ? beforeMapping : afterMapping,
                            inBefore ? afterMapping : beforeMapping, scatter);
    };
    // Rows from `from` on counted on the new side first, then moved one by one.
    double outside = 0;
    double covered = 0;
    for (int r = from; r < to; ++r) {
        outside += outsideOf(lower.at(r), afterMapping) + talkOver(r + 1, false);
        covered += coveredByUpper(starts, lower.at(r), afterMapping);
    }
    const double jump = afterMapping.offsetAt(lower.at(from).start) - beforeMapping.offsetAt(lower.at(from).start);
    const auto bonus = [&](int row) {
        if (row <= 0)
            return 0.0;
        if (jump > 0)
            return silenceBonus(lower.at(row).start - lower.at(row - 1).end, jump, silenceWeight);
        const double a = beforeMapping.upperTime(lower.at(row - 1).end);
        const double b = afterMapping.upperTime(lower.at(row).start);
        const double covered = starts.covered(a, b);
        // A release is cut between lines, seldom in the breath between two
        // parts of one sentence; times that run back show the cut itself.
        const double gap = lower.at(row).start - lower.at(row - 1).end;
        const double between = gap < 0 ? silenceBonusMs : silenceBonus(gap, cutGapMs, silenceBonusMs);
        return between + silenceBonus((b - a - covered) * afterMapping.ratio, -jump, silenceBonusMs);
    };
    double bestOutside = outside - bonus(from);
    double bestCovered = covered;
    int bestRow = from;
    for (int r = from; r < to; ++r) {
        const Subtitle &s = lower.at(r);
        outside
            += outsideOf(s, beforeMapping) - outsideOf(s, afterMapping) + talkOver(r, true) - talkOver(r + 1, false);
        covered += coveredByUpper(starts, s, beforeMapping) - coveredByUpper(starts, s, afterMapping);
        const double total = outside - bonus(r + 1);
        if (total < bestOutside - 1 || (total <= bestOutside + 1 && covered > bestCovered)) {
            bestOutside = total;
            bestCovered = covered;
            bestRow = r + 1;
        }
    }
    return bestRow;
}

// The first upper row after `beforeRow` that the new mapping puts at or
// after the jump, at most `afterRow`.
int jumpUpperRow(const SubtitleSet &upper, int beforeRow, int afterRow, double jumpLowerTime,
                 const Mapping &afterMapping)
{
    for (int r = beforeRow + 1; r < afterRow; ++r)
        if (afterMapping.ratio * upper.at(r).start + afterMapping.offsetAt(jumpLowerTime) >= jumpLowerTime)
            return r;
    return afterRow;
}

// Stretches of equal offset along the path; a stretch too short to fit
// joins the one before it.
std::vector<Stretch> stretchesOf(const std::vector<double> &offsets, double ratio)
{
    std::vector<Stretch> stretches;
    const int n = int(offsets.size());
    for (int first = 0; first < n;) {
        int last = first + 1;
        while (last < n && offsets[size_t(last)] == offsets[size_t(first)])
            ++last;
        if (!stretches.empty() && last - first < minLinkedRows)
            stretches.back().last = last;
        else
            stretches.push_back(Stretch {first, last, Mapping {ratio, offsets[size_t(first)], 0, 0}, {}, {}});
        first = last;
    }
    return stretches;
}

QString clockTime(qint64 ms)
{
    const QString sign = ms < 0 ? QStringLiteral("-") : QString();
    const qint64 s = std::abs(ms) / 1000;
    return sign + QString::asprintf("%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

// The stretches of a path, checked and fitted: weak ones merged into their
// neighbours, one drift for all, boundaries settled.
std::vector<Stretch> fittedStretches(const Timeline &upper, const std::vector<Span> &lower, const Search &found,
                                     double *driftOut)
{
    std::vector<Stretch> stretches = stretchesOf(found.path.offsets, found.ratio);
    for (Stretch &s : stretches)
        fitStretch(upper, lower, s, 0);
    // A stretch on an offset of its own must start with the upper set
    // clearly more often there than under its neighbours' mapping, and lie
    // within a few minutes of them: lines that only one file has (signs, a
    // song) match somewhere by chance and would pull their rows far away.
    // The shortest failing stretch goes first, into the neighbour that
    // maps its rows best: of a far jump's two sides, the chance one is short.
    for (;;) {
        size_t weakest = stretches.size();
        size_t into = 0;
        for (size_t k = 0; k < stretches.size() && stretches.size() > 1; ++k) {
            const Stretch &s = stretches[k];
            const double own = startShare(upper, lower, s.first, s.last, s.mapping);
            size_t better = k;
            double neighbour = -1;
            double jump = 0;
            const double ownFrom = s.mapping.upperTime(lower[size_t(s.first)].start);
            const double ownTo = s.mapping.upperTime(lower[size_t(s.last - 1)].end);
            double shared = 0; // of the upper time line, with a neighbour's
            for (size_t n : {k - 1, k + 1}) {
                if (n >= stretches.size())
                    continue;
                const Stretch &t = stretches[n];
                const double share = startShare(upper, lower, s.first, s.last, t.mapping);
                if (share > neighbour)
                    neighbour = share, better = n;
                const double at = lower[size_t(n < k ? s.first : s.last - 1)].start;
                jump = std::max(jump, std::abs(s.mapping.offsetAt(at) - t.mapping.offsetAt(at)));
                shared = std::max(shared,
                                  n < k ? t.mapping.upperTime(lower[size_t(t.last - 1)].end) - ownFrom
                                        : ownTo - t.mapping.upperTime(lower[size_t(t.first)].start));
            }
            // A step of a second or two is a re-timed scene, never chance:
            // it need not show in the starts as clearly. A stretch that maps
            // much of itself onto upper lines that a neighbour maps onto too
            // matched them by chance: one film does not show a passage of
            // the other twice.
            const bool fails = jump > maxJumpMs || shared > maxSharedShare * (ownTo - ownFrom)
                || (jump > nearJumpMs
                    && (own < minStretchShare || own < neighbour + minStretchShareGain
                        || (own - neighbour) * (s.last - s.first) < minExtraMatches));
            if (fails
                && (weakest == stretches.size()
                    || s.last - s.first < stretches[weakest].last - stretches[weakest].first)) {
                weakest = k;
                into = better;
            }
        }
        if (weakest == stretches.size())
            break;
        Stretch &target = stretches[into];
        target.first = std::min(target.first, stretches[weakest].first);
        target.last = std::max(target.last, stretches[weakest].last);
        stretches.erase(stretches.begin() + std::ptrdiff_t(weakest));
        fitStretch(upper, lower, stretches[into > weakest ? into - 1 : into], 0);
    }
    std::vector<Stretch *> all;
    for (Stretch &s : stretches)
        all.push_back(&s);
    const double drift = fitStretches(upper, lower, all, 0, true);
    // Neighbours that meet within a drift's error are one stretch.
    for (size_t k = 1; k < stretches.size();) {
        Stretch &before = stretches[k - 1];
        const double at = lower[size_t(stretches[k].first)].start;
        if (std::abs(before.mapping.offsetAt(at) - stretches[k].mapping.offsetAt(at)) < minJumpMs) {
            before.last = stretches[k].last;
            stretches.erase(stretches.begin() + std::ptrdiff_t(k));
            fitStretch(upper, lower, before, drift);
        } else {
            ++k;
        }
    }

    settleBoundaries(upper, lower, stretches);
    for (Stretch &s : stretches)
        fitStretch(upper, lower, s, drift);
    *driftOut = drift;
    return stretches;
}

// Lower spans that start within stretchMatchToleranceMs of an upper start
// under their stretch's mapping.
int startsMatched(const Timeline &upper, const std::vector<Span> &lower, const std::vector<Stretch> &stretches)
{
    double matched = 0;
    for (const Stretch &s : stretches)
        matched += startShare(upper, lower, s.first, s.last, s.mapping) * (s.last - s.first);
    return int(std::lround(matched));
}

} // namespace

AutoLinkResult findAutoLinks(const SubtitleSet &upperSet, const SubtitleSet &lowerSet)
{
    AutoLinkResult result;
    if (lowerSet.count == 0 || upperSet.count == 0)
        return result;
    const std::vector<Span> upperSpans = spansOf(upperSet);
    const std::vector<Span> lowerSpans = spansOf(lowerSet);
    // Two unrelated films of the same shapes: the lower one backwards, and
    // the upper one backwards under the lower one. Their searches cost as
    // much as the real one and need nothing from it: they run beside it.
    auto lowerBackwards = std::async(std::launch::async | std::launch::deferred,
                                     [&] { return search(upperSpans, reversed(lowerSpans)); });
    auto upperBackwards = std::async(std::launch::async | std::launch::deferred,
                                     [&] { return search(reversed(upperSpans), lowerSpans); });
    const std::vector<Search> candidates = searchAll(upperSpans, lowerSpans);
    const Search &best = candidates.front();
    const double room = std::max(1.0, best.perfect - best.chance);
    result.excess = (best.path.score - best.chance) / room;
    for (const Search &unrelated : {lowerBackwards.get(), upperBackwards.get()})
        result.chanceExcess = std::max(result.chanceExcess, (unrelated.path.score - unrelated.chance) / room);
    if (result.excess - std::max(0.0, result.chanceExcess) < minExcessOverChance)
        return result;

    const Timeline upper(upperSpans);
    // Candidates that the overlap barely tells apart (a slight drift against
    // a split or two) are decided on the starts their fitted maps line up.
    Search found = candidates.front();
    double drift = 0;
    std::vector<Stretch> stretches = fittedStretches(upper, lowerSpans, found, &drift);
    int bestMatched = startsMatched(upper, lowerSpans, stretches);
    for (size_t c = 1; c < candidates.size() && candidates[c].path.score >= rivalPathShare * found.path.score; ++c) {
        double rivalDrift = 0;
        std::vector<Stretch> rival = fittedStretches(upper, lowerSpans, candidates[c], &rivalDrift);
        const int matched = startsMatched(upper, lowerSpans, rival);
        if (matched > bestMatched) {
            bestMatched = matched;
            stretches = std::move(rival);
            drift = rivalDrift;
            found = candidates[c];
        }
    }
    // The path was searched without drift, which it could follow only in
    // steps, at the cost of the splits it has: under the drift the fit
    // found, the search may place them where the cuts are.
    if (std::abs(drift) > driftStep / 2) {
        const double ratio = found.ratio / (1 - drift);
        const Peak peak
            = bestOffset(upperSpans, lowerSpans, ratio, searchBinMs, maxSearchSpans, found.centre, driftReachMs);
        const Search again = searchAt(SearchSetup(lowerSpans), upperSpans, lowerSpans, Candidate {ratio, peak.offset});
        double againDrift = 0;
        std::vector<Stretch> rival = fittedStretches(upper, lowerSpans, again, &againDrift);
        const int matched = startsMatched(upper, lowerSpans, rival);
        if (matched > bestMatched) {
            bestMatched = matched;
            stretches = std::move(rival);
            drift = againDrift;
            found = again;
        }
    }
    // The spans are in time order; links and jumps speak of rows.
    const auto rowOf = [&](int span) { return lowerSpans[size_t(span)].row; };
    std::vector<LevelledRows> levelled;
    for (Stretch &s : stretches) {
        for (Match &m : s.matches)
            m.lowerRow = rowOf(m.lowerRow);
        for (Match &m : s.nearest)
            m.lowerRow = rowOf(m.lowerRow);
        levelled.push_back(levelledRows(upper, s));
    }
    Mapping previousMapping;
    Match previousLast {};
    bool havePrevious = false;
    for (size_t k = 0; k < stretches.size(); ++k) {
        Stretch &s = stretches[k];
        result.matched += int(s.matches.size());
        const size_t before = result.links.size();
        std::vector<Match> linked;
        const bool first = k == 0;
        const bool last = k + 1 == stretches.size();
        placeLinks(upper, lowerSpans, s, levelled[k], first ? nullptr : &stretches[k - 1].mapping,
                   first ? nullptr : &levelled[k - 1], last ? nullptr : &stretches[k + 1].mapping,
                   last ? nullptr : &levelled[k + 1], result.links, linked);
        const int boundary = rowOf(s.first);
        if (k == 0) {
            result.offsetMs = qint64(std::llround(s.mapping.offsetAt(0)));
        } else if (!havePrevious || linked.empty()) {
            result.splitTimes.push_back(qint64(lowerSet.at(boundary).start));
        } else {
            const int lowerJump = jumpRow(upper, upperSet, lowerSet, previousLast, previousMapping, linked.front(),
                                          s.mapping, boundary, startScatter(stretches[k - 1], s));
            const double jumpTime = lowerSet.at(std::min(lowerJump, lowerSet.count - 1)).start;
            result.splitTimes.push_back(qint64(jumpTime));
            // The stretch's first link carries the jump, when the last link
            // before it is the previous stretch's own.
            if (result.links.size() > before && before > 0
                && result.links[before - 1].lowerRow == previousLast.lowerRow) {
                SyncLinks::Link &link = result.links[before];
                link.jumpLowerRow = std::max(previousLast.lowerRow + 1, std::min(lowerJump, link.lowerRow));
                link.jumpUpperRow = jumpUpperRow(upperSet, previousLast.upperRow, link.upperRow, jumpTime, s.mapping);
            }
        }
        if (!linked.empty()) {
            previousMapping = s.mapping;
            previousLast = linked.back();
            havePrevious = true;
        }
    }
    const Rate rate = describedRate(found.ratio);
    result.fromRate = rate.from;
    result.toRate = rate.to;
    result.reliable = int(result.links.size()) >= 2;
    if (!result.reliable)
        result.links.clear();
    return result;
}

QString describeMapping(const AutoLinkResult &result)
{
    QString text = QString::asprintf("offset %+.3f s", double(result.offsetMs) / 1000.0);
    if (result.fromRate != result.toRate)
        text += QString::asprintf(", rate %.3f => %.3f", result.fromRate / 1000.0, result.toRate / 1000.0);
    if (!result.splitTimes.empty()) {
        QStringList times;
        for (qint64 t : result.splitTimes)
            times << clockTime(t);
        text += QStringLiteral(", %1 %2 at %3")
                    .arg(result.splitTimes.size())
                    .arg(result.splitTimes.size() == 1 ? QStringLiteral("split") : QStringLiteral("splits"))
                    .arg(times.join(QStringLiteral(", ")));
    }
    return text;
}
