#include "core/autolink.h"

#include "core/formats.h"
#include "core/subtitleset.h"

#include <QStringList>

#include <algorithm>
#include <climits>
#include <cmath>

// The method, after alass and ffsubsync: the rate and the candidate offsets
// come from a vote of start differences (every lower start against the upper
// starts within reach of the largest offset), one histogram per rate ratio;
// a dynamic program over the lower subtitles then picks, for each, one of the
// candidate offsets, paying a penalty per change, so that a jump (a cut scene)
// becomes a split. Starts only: the ends of two languages differ with their
// reading speeds, and line breaks and lengths differ, but the starts of the
// same line agree within a few frames.

namespace {

// Ten minutes of offset, plus three jumps of up to a minute each.
constexpr double maxOffsetMs = 13 * 60 * 1000;
constexpr double binMs = 50;
// A peak is summed over 200 ms: two releases start the same line up to about 100 ms apart.
constexpr int peakBins = 4;
// Enough votes to find the offsets; more only cost time on long sets.
constexpr int maxVoters = 4000;
// Only very dense sets reach it; every second or third start still finds the peak.
constexpr int maxVotesPerVoter = 512;
constexpr int maxCandidates = 8;
constexpr double candidateSeparationMs = 1000;
constexpr double matchToleranceMs = 100;
// Links go on pairs close to the fitted mapping, so that the rubber band
// between two links carries no pair's own jitter.
constexpr double linkToleranceMs = 40;
constexpr int splitPenalty = 8; // matched subtitles a split must gain
constexpr int maxSplits = 3;
constexpr double linkSpacingMs = 20000;
// Two unrelated sets match a few per cent of their starts by chance; short
// ones, given the choice of rates, offsets and splits, up to a quarter.
constexpr double minMatchedShare = 0.35;
constexpr int minMatched = 8;
constexpr double minStretchShare = 0.3;

struct Rate
{
    int from;
    int to;
    double ratio;
};

std::vector<Rate> candidateRates()
{
    std::vector<Rate> rates {{1, 1, 1.0}};
    for (int from : microDvdFrameRates)
        for (int to : microDvdFrameRates)
            if (from != to)
                rates.push_back({from, to, double(from) / to});
    return rates;
}

// The upper starts in time order, with their rows.
struct Timeline
{
    std::vector<double> times;
    std::vector<int> rows;

    explicit Timeline(const SubtitleSet &set)
    {
        std::vector<std::pair<double, int>> starts;
        starts.reserve(size_t(set.count));
        for (int i = 0; i < set.count; ++i)
            starts.emplace_back(set.at(i).start, i);
        std::sort(starts.begin(), starts.end());
        for (const auto &s : starts) {
            times.push_back(s.first);
            rows.push_back(s.second);
        }
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
};

struct Match
{
    int lowerRow;
    int upperRow;
    double lowerTime;
    double residual; // lower time minus where the mapping puts the upper start
};

bool matchOf(const Timeline &upper, double lowerTime, int lowerRow, const Mapping &m, double tolerance, Match *out)
{
    const double expected = lowerTime - m.offsetAt(lowerTime);
    const size_t j = upper.nearest(expected / m.ratio);
    const double residual = expected - m.ratio * upper.times[j];
    if (std::abs(residual) > tolerance)
        return false;
    *out = Match {lowerRow, upper.rows[j], lowerTime, residual};
    return true;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Votes of start differences (lower minus ratio * upper) in bins of binMs,
// summed over peakBins neighbouring bins.
std::vector<int> offsetVotes(const Timeline &upper, const std::vector<double> &lowerStarts, double ratio)
{
    const int bins = int(2 * maxOffsetMs / binMs) + 1;
    std::vector<int> votes(size_t(bins), 0);
    const size_t step = std::max<size_t>(1, lowerStarts.size() / maxVoters);
    for (size_t i = 0; i < lowerStarts.size(); i += step) {
        const double l = lowerStarts[i];
        const auto first = std::lower_bound(upper.times.begin(), upper.times.end(), (l - maxOffsetMs) / ratio);
        const auto last = std::upper_bound(first, upper.times.end(), (l + maxOffsetMs) / ratio);
        const std::ptrdiff_t stride = std::max<std::ptrdiff_t>(1, (last - first) / maxVotesPerVoter);
        for (auto u = first; u < last; u += stride) {
            const int bin = int((l - ratio * *u + maxOffsetMs) / binMs);
            if (bin >= 0 && bin < bins)
                ++votes[size_t(bin)];
            if (last - u <= stride)
                break;
        }
    }
    std::vector<int> peaks(size_t(bins), 0);
    int sum = 0;
    for (int b = 0; b < bins; ++b) {
        sum += votes[size_t(b)];
        if (b >= peakBins)
            sum -= votes[size_t(b - peakBins)];
        peaks[size_t(std::max(0, b - peakBins + 1))] = sum;
    }
    return peaks;
}

// The highest peaks, at least candidateSeparationMs apart, each refined to
// the median difference of the starts it matches.
std::vector<double> candidateOffsets(const std::vector<int> &peaks, const Timeline &upper,
                                     const std::vector<double> &lowerStarts, double ratio)
{
    std::vector<int> order;
    for (int b = 0; b < int(peaks.size()); ++b)
        if (peaks[size_t(b)] > 0)
            order.push_back(b);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return peaks[size_t(a)] > peaks[size_t(b)]; });
    const int separation = int(candidateSeparationMs / binMs);
    std::vector<int> chosen;
    for (int b : order) {
        if (int(chosen.size()) == maxCandidates || peaks[size_t(b)] * 20 < peaks[size_t(order.front())])
            break;
        if (std::none_of(chosen.begin(), chosen.end(), [&](int c) { return std::abs(c - b) < separation; }))
            chosen.push_back(b);
    }
    std::vector<double> offsets;
    for (int b : chosen) {
        Mapping m;
        m.ratio = ratio;
        m.offset = (b + peakBins / 2.0) * binMs - maxOffsetMs;
        std::vector<double> residuals;
        Match match {};
        for (size_t i = 0; i < lowerStarts.size(); ++i)
            if (matchOf(upper, lowerStarts[i], int(i), m, peakBins * binMs, &match))
                residuals.push_back(match.residual);
        offsets.push_back(m.offset + median(residuals));
    }
    return offsets;
}

// For each lower subtitle, the candidate offset it follows: the path that
// matches most starts, less splitPenalty per change, with at most maxSplits.
std::vector<int> choosePath(const std::vector<unsigned char> &matches, int n, int k)
{
    constexpr int states = maxSplits + 1;
    const int none = INT_MIN / 2;
    std::vector<int> score(size_t(k * states), none);
    std::vector<int> next(score.size());
    std::vector<signed char> previous(size_t(n) * score.size(), -1);
    for (int c = 0; c < k; ++c)
        score[size_t(c * states)] = matches[size_t(c)];
    for (int i = 1; i < n; ++i) {
        signed char *back = &previous[size_t(i) * score.size()];
        for (int c = 0; c < k; ++c) {
            for (int s = 0; s < states; ++s) {
                const int state = c * states + s;
                int best = score[size_t(state)];
                int from = state;
                for (int d = 0; s > 0 && d < k; ++d) {
                    const int switched = score[size_t(d * states + s - 1)] - splitPenalty;
                    if (d != c && switched > best) {
                        best = switched;
                        from = d * states + s - 1;
                    }
                }
                next[size_t(state)] = best == none ? none : best + matches[size_t(i * k + c)];
                back[state] = static_cast<signed char>(from);
            }
        }
        score.swap(next);
    }
    int state = int(std::max_element(score.begin(), score.end()) - score.begin());
    std::vector<int> path(static_cast<size_t>(n));
    for (int i = n - 1; i >= 0; --i) {
        path[size_t(i)] = state / states;
        if (i > 0)
            state = previous[size_t(i) * score.size() + size_t(state)];
    }
    return path;
}

// A stretch whose offset matches little more than chance would is a drift or a
// gap, not a split: it keeps its neighbour's offset, and the line fitted to the
// stretch then follows the drift. Empty when no stretch holds.
std::vector<int> reliableStretches(std::vector<int> path, const std::vector<unsigned char> &matches, int k)
{
    const int n = int(path.size());
    std::vector<int> reliable(path.size(), -1);
    int previous = -1;
    for (int first = 0; first < n;) {
        int last = first + 1;
        while (last < n && path[size_t(last)] == path[size_t(first)])
            ++last;
        int matched = 0;
        for (int i = first; i < last; ++i)
            matched += matches[size_t(i * k + path[size_t(first)])];
        if (matched >= minMatched && matched >= minStretchShare * (last - first))
            previous = path[size_t(first)];
        for (int i = first; i < last; ++i)
            reliable[size_t(i)] = previous;
        first = last;
    }
    if (previous < 0)
        return {};
    // Stretches before the first reliable one take its offset.
    const auto firstReliable = std::find_if(reliable.begin(), reliable.end(), [](int c) { return c >= 0; });
    std::fill(reliable.begin(), firstReliable, *firstReliable);
    return reliable;
}

// A row right after a jump that matches under both offsets goes with the
// one that keeps the upper rows in order: a match under the new offset on an
// upper row already matched before the jump is chance.
void settleJumps(std::vector<int> &path, const std::vector<unsigned char> &matches, int k, const Timeline &upper,
                 const std::vector<double> &lowerStarts, double ratio, const std::vector<double> &offsets)
{
    const int n = int(path.size());
    const auto upperRowOf = [&](int row, int candidate) {
        Mapping m;
        m.ratio = ratio;
        m.offset = offsets[size_t(candidate)];
        Match match {};
        return matchOf(upper, lowerStarts[size_t(row)], row, m, matchToleranceMs, &match) ? match.upperRow : -1;
    };
    for (int b = 1; b < n; ++b) {
        const int before = path[size_t(b - 1)];
        const int after = path[size_t(b)];
        if (before == after)
            continue;
        int lastUpper = -1;
        for (int r = b - 1; r >= 0 && r >= b - 8 && lastUpper < 0; --r)
            if (path[size_t(r)] == before && matches[size_t(r * k + before)])
                lastUpper = upperRowOf(r, before);
        if (lastUpper < 0)
            continue;
        for (int r = b; r < n && r < b + 8 && path[size_t(r)] == after; ++r) {
            const int newUpper = matches[size_t(r * k + after)] ? upperRowOf(r, after) : -1;
            const int oldUpper = matches[size_t(r * k + before)] ? upperRowOf(r, before) : -1;
            if (newUpper > lastUpper)
                break;
            if (oldUpper > lastUpper) {
                path[size_t(r)] = before;
                lastUpper = oldUpper;
            }
        }
    }
}

// Matches on one stretch of lower rows [first, last) that keep to its
// mapping, after fitting the mapping's offset and drift to its matches.
std::vector<Match> stretchMatches(const Timeline &upper, const std::vector<double> &lowerStarts, int first, int last,
                                  Mapping &m)
{
    m.origin = lowerStarts[size_t(first)];
    std::vector<Match> matches;
    // Each pass fits the line to the matches so far; with a drift, the fitted
    // line reaches further along the stretch and finds more.
    for (int pass = 0; pass < 8; ++pass) {
        std::vector<Match> found;
        Match match {};
        for (int i = first; i < last; ++i)
            if (matchOf(upper, lowerStarts[size_t(i)], i, m, matchToleranceMs, &match))
                found.push_back(match);
        const bool grew = found.size() > matches.size();
        matches.swap(found);
        if (matches.size() < 2 || !grew)
            break;
        // Least squares line through the residuals.
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const Match &x : matches) {
            const double t = x.lowerTime - m.origin;
            const double y = m.offsetAt(x.lowerTime) + x.residual;
            sx += t;
            sy += y;
            sxx += t * t;
            sxy += t * y;
        }
        const double count = double(matches.size());
        const double spread = sxx - sx * sx / count;
        m.slope = spread > 1 ? (sxy - sx * sy / count) / spread : 0;
        m.offset = (sy - m.slope * sx) / count;
    }
    return matches;
}

// One link per linkSpacingMs of the stretch on its closest pair, and links on
// its first and last pairs, so that the rubber band reproduces a split with
// as few subtitles as possible between the links on either side.
void placeLinks(const std::vector<Match> &matches, std::vector<SyncLinks::Link> &links)
{
    if (matches.empty())
        return;
    std::vector<const Match *> close {&matches.front()};
    for (const Match &m : matches)
        if (std::abs(m.residual) <= linkToleranceMs && &m != &matches.front() && &m != &matches.back())
            close.push_back(&m);
    if (&matches.back() != &matches.front())
        close.push_back(&matches.back());
    std::vector<const Match *> chosen {close.front()};
    const double origin = close.front()->lowerTime;
    long long bucket = 0;
    const Match *best = nullptr;
    for (const Match *m : close) {
        const long long b = (long long)((m->lowerTime - origin) / linkSpacingMs);
        if (b != bucket) {
            if (best && best != close.front())
                chosen.push_back(best);
            bucket = b;
            best = nullptr;
        }
        if (!best || std::abs(m->residual) < std::abs(best->residual))
            best = m;
    }
    if (best && best != close.front() && best != close.back())
        chosen.push_back(best);
    if (close.back() != close.front())
        chosen.push_back(close.back());
    for (const Match *m : chosen) {
        // Links never cross and no row carries two.
        if (!links.empty() && (m->upperRow <= links.back().upperRow || m->lowerRow <= links.back().lowerRow))
            continue;
        links.push_back(SyncLinks::Link {m->upperRow, m->lowerRow});
    }
}

// How much of a lower subtitle, placed on the upper time line by `m`, the
// upper subtitles cover: a subtitle on the right side of a jump lies where
// the other language speaks.
double coveredByUpper(const SubtitleSet &upper, const Subtitle &s, const Mapping &m)
{
    const double from = (s.start - m.offsetAt(s.start)) / m.ratio;
    const double to = (s.end - m.offsetAt(s.end)) / m.ratio;
    int first = 0;
    int last = upper.count;
    while (first < last) {
        const int middle = first + (last - first) / 2;
        if (upper.at(middle).start < to)
            first = middle + 1;
        else
            last = middle;
    }
    double covered = 0;
    // Subtitles of one set rarely overlap more than a few deep.
    for (int i = first - 1, seen = 0; i >= 0 && seen < 8; --i, ++seen) {
        const double overlap = std::min(to, double(upper.at(i).end)) - std::max(from, double(upper.at(i).start));
        if (overlap > 0)
            covered += overlap;
    }
    return covered;
}

// How far a lower subtitle, placed on the upper time line by `m`, falls
// outside the upper starts of the two matches around it: on the wrong side
// of a jump it lands beyond one of them.
double outsideMatches(const SubtitleSet &upper, const Subtitle &s, const Mapping &m, const Match &before,
                      const Match &after)
{
    const double at = (s.start - m.offsetAt(s.start)) / m.ratio;
    const double from = upper.at(before.upperRow).start;
    const double to = upper.at(after.upperRow).start;
    return std::max(0.0, from - at) + std::max(0.0, at - to);
}

// Between the last match before a jump and the first after it lie lower
// subtitles that match nothing; the jump goes where they keep best between
// those two matches, and among equals where the upper set covers them best
// on their side of it.
int jumpRow(const SubtitleSet &upper, const SubtitleSet &lower, const Match &before, const Mapping &beforeMapping,
            const Match &after, const Mapping &afterMapping)
{
    const int from = before.lowerRow + 1;
    const int to = after.lowerRow;
    if (to - from > 64)
        return to;
    // Rows from `from` on counted on the new side first, then moved one by one.
    double outside = 0;
    double covered = 0;
    for (int r = from; r < to; ++r) {
        outside += outsideMatches(upper, lower.at(r), afterMapping, before, after);
        covered += coveredByUpper(upper, lower.at(r), afterMapping);
    }
    double bestOutside = outside;
    double bestCovered = covered;
    int bestRow = from;
    for (int r = from; r < to; ++r) {
        const Subtitle &s = lower.at(r);
        outside += outsideMatches(upper, s, beforeMapping, before, after)
            - outsideMatches(upper, s, afterMapping, before, after);
        covered += coveredByUpper(upper, s, beforeMapping) - coveredByUpper(upper, s, afterMapping);
        if (outside < bestOutside - 1 || (outside <= bestOutside + 1 && covered > bestCovered)) {
            bestOutside = outside;
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
    for (int r = beforeRow + 1; r < afterRow; ++r) {
        const double start = upper.at(r).start;
        if (afterMapping.ratio * start + afterMapping.offsetAt(jumpLowerTime) >= jumpLowerTime)
            return r;
    }
    return afterRow;
}

QString clockTime(qint64 ms)
{
    const QString sign = ms < 0 ? QStringLiteral("-") : QString();
    const qint64 s = std::abs(ms) / 1000;
    return sign + QString::asprintf("%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

} // namespace

AutoLinkResult findAutoLinks(const SubtitleSet &upperSet, const SubtitleSet &lowerSet)
{
    AutoLinkResult result;
    const int n = lowerSet.count;
    if (n == 0 || upperSet.count == 0)
        return result;
    const Timeline upper(upperSet);
    std::vector<double> lowerStarts(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        lowerStarts[size_t(i)] = lowerSet.at(i).start;

    Rate rate = candidateRates().front();
    std::vector<int> peaks;
    int bestPeak = -1;
    for (const Rate &r : candidateRates()) {
        std::vector<int> p = offsetVotes(upper, lowerStarts, r.ratio);
        const int top = *std::max_element(p.begin(), p.end());
        if (top > bestPeak) {
            bestPeak = top;
            rate = r;
            peaks.swap(p);
        }
    }
    const std::vector<double> offsets = candidateOffsets(peaks, upper, lowerStarts, rate.ratio);
    const int k = int(offsets.size());
    if (k == 0)
        return result;

    std::vector<unsigned char> matches(size_t(n) * size_t(k), 0);
    Match match {};
    for (int c = 0; c < k; ++c) {
        Mapping m;
        m.ratio = rate.ratio;
        m.offset = offsets[size_t(c)];
        for (int i = 0; i < n; ++i)
            matches[size_t(i * k + c)] = matchOf(upper, lowerStarts[size_t(i)], i, m, matchToleranceMs, &match);
    }
    std::vector<int> path = reliableStretches(choosePath(matches, n, k), matches, k);
    if (path.empty())
        return result;
    settleJumps(path, matches, k, upper, lowerStarts, rate.ratio, offsets);

    Mapping previousMapping;
    Match previousLast {};
    bool havePrevious = false;
    for (int first = 0; first < n;) {
        int last = first + 1;
        while (last < n && path[size_t(last)] == path[size_t(first)])
            ++last;
        Mapping m;
        m.ratio = rate.ratio;
        m.offset = offsets[size_t(path[size_t(first)])];
        const std::vector<Match> stretch = stretchMatches(upper, lowerStarts, first, last, m);
        result.matched += int(stretch.size());
        const size_t before = result.links.size();
        placeLinks(stretch, result.links);
        if (first == 0) {
            result.offsetMs = qint64(std::llround(m.offsetAt(0)));
        } else if (!havePrevious || stretch.empty()) {
            result.splitTimes.push_back(qint64(lowerStarts[size_t(first)]));
        } else {
            const int lowerJump = jumpRow(upperSet, lowerSet, previousLast, previousMapping, stretch.front(), m);
            const double jumpTime = lowerStarts[size_t(lowerJump)];
            result.splitTimes.push_back(qint64(jumpTime));
            // The stretch's first link carries the jump (its first match, or
            // a later one when that shares a row with the last link before).
            if (result.links.size() > before && before > 0
                && result.links[before - 1].lowerRow == previousLast.lowerRow) {
                SyncLinks::Link &link = result.links[before];
                link.jumpLowerRow = qBound(previousLast.lowerRow + 1, lowerJump, link.lowerRow);
                link.jumpUpperRow = jumpUpperRow(upperSet, previousLast.upperRow, link.upperRow, jumpTime, m);
            }
        }
        if (!stretch.empty()) {
            previousMapping = m;
            previousLast = stretch.back();
            havePrevious = true;
        }
        first = last;
    }
    result.fromRate = rate.from;
    result.toRate = rate.to;
    result.reliable = result.matched >= minMatched
        && result.matched >= minMatchedShare * std::min(upperSet.count, lowerSet.count) && !result.links.empty();
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
