// Automatic linking and synchronization against known distortions.
//
// Same source: each pair (the first two files given, and generated pairs)
// is distorted, first the lower set and then the upper one instead; "Auto
// Link" and "Synchronize" (lower onto upper) then run as in the window, and
// every lower start is compared with where it belongs: its undistorted
// start, moved by the distortion when the upper set carries it. Pairs that
// do not agree to begin with (one language later throughout, or drifting)
// are judged against the same run on the undistorted pair instead.
//
// Different sources: pairs made from one set (the first file given, and a
// generated film) as another source would subtitle it (tests/sourcepairs.h),
// each distortion alone and mixed; the share of lower subtitles that have a
// counterpart and start within 300 ms of it afterwards, and the worst error
// inside the stretches between splits that last over a minute.
//
// A real pair from different sources (the third and fourth files): lines
// matched across the languages by a rare word both share (a name, a
// number), and the share of them that start within 500 ms of each other
// before and after, beside what the best smooth map through them reaches.
//
// Last, the time of the auto-link alone on that real pair and on generated
// different-source pairs of 1000 to 20000 subtitles.
//
// Usage: bench_autolink [UPPER LOWER [UPPER2 LOWER2]]
// TWINSCRIPT_SOURCE_SEED=N makes the different-source pairs with another seed (7 by default);
// TWINSCRIPT_REAL_PAIR_ALL=1 puts the real pair through every distortion of the different-source table.

#include "benchutil.h"
#include "sourcepairs.h"

#include "core/autolink.h"
#include "core/logsink.h"
#include "core/session.h"
#include "core/timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

namespace {

class LastLine : public LogSink
{
public:
    QString line;
    void write(int, const QString &l) override
    {
        if (l.startsWith(QLatin1String("Lw: ")) && (l.contains(QLatin1String("found"))))
            line = l;
    }
};

class NoLog : public LogSink
{
public:
    void write(int, const QString &) override { }
};

struct Named
{
    const char *name;
    TimeDistortion d;
};

const std::vector<Named> sameSource = {
    {"offset +7.3 s", {7300, 1, 1, 0, {}}},
    {"offset +95 s, rate 25 => 23.976", {95000, 25000, 23976, 0, {}}},
    {"offset -4 min, 2 splits +2.5 s / -4 s", {-240000, 1, 1, 0, {{0.25, 2500}, {0.60, -4000}}}},
    {"rate 23.976 => 29.97, 3 splits", {30000, 23976, 29970, 0, {{0.2, 60000}, {0.5, -45000}, {0.8, 20000}}}},
};

const std::vector<Named> differentSource = {
    {"none", {}},
    {"offset +7.3 s", {7300, 1, 1, 0, {}}},
    {"offset -14 min", {-840000, 1, 1, 0, {}}},
    {"rate 25 => 23.976, +45 s", {45000, 25000, 23976, 0, {}}},
    {"rate 23.976 => 29.97", {0, 23976, 29970, 0, {}}},
    {"rate 24 => 23.976, -3 s", {-3000, 24000, 23976, 0, {}}},
    {"drift +0.1 %", {0, 1, 1, 0.001, {}}},
    {"drift -0.07 %, +0.5 s", {500, 1, 1, -0.0007, {}}},
    {"6 splits of 0.3 to 90 s",
     {0, 1, 1, 0, {{0.12, 900}, {0.25, -1500}, {0.4, 300}, {0.55, 90000}, {0.7, -40000}, {0.85, 12000}}}},
    {"mixed: rate, drift, -2 min, 3 splits",
     {-120000, 25000, 23976, 0.0005, {{0.3, 30000}, {0.5, -1500}, {0.75, 8000}}}},
    {"mixed: drift, +30 s, 6 splits",
     {30000, 1, 1, -0.0008, {{0.1, 5000}, {0.3, -700}, {0.45, 60000}, {0.6, -2000}, {0.75, 1200}, {0.9, -20000}}}},
    {"rate 25 => 23.976, +45 s, 0, -47 s", {45000, 25000, 23976, 0, {{0.3, -45000}, {0.7, -47000}}}},
    // Releases re-timed by hand, as the pairs people bring are.
    {"0.2 s early", {-200, 1, 1, 0, {}}},
    {"3 steps: +0.9 s, 0, -1.5 s", {900, 1, 1, 0, {{0.33, -900}, {0.66, -1500}}}},
    {"steps from +0.5 s down to -2 s", {500, 1, 1, 0, {{0.2, -500}, {0.4, -700}, {0.6, -400}, {0.8, -900}}}},
    // clang-format off
    {"10 steps of 0.3 to 0.7 s", {0, 1, 1, 0, {{0.08, 400}, {0.17, -600}, {0.26, 300}, {0.35, 700}, {0.44, -500},
                                               {0.53, 600}, {0.62, -300}, {0.71, -700}, {0.8, 500}, {0.89, -400}}}},
    // clang-format on
};

double lengthOf(const SubtitleSet &set)
{
    double last = 0;
    for (int i = 0; i < set.count; ++i)
        last = std::max(last, double(set.at(i).end));
    return last;
}

void copySet(SubtitleSet &to, const SubtitleSet &from)
{
    to.clear();
    for (int i = 0; i < from.count; ++i)
        to.append(from.at(i).start, from.at(i).end, from.at(i).text);
}

std::vector<double> startsOf(const SubtitleSet &set)
{
    std::vector<double> starts;
    for (int i = 0; i < set.count; ++i)
        starts.push_back(set.at(i).start);
    return starts;
}

// Lower starts after "Auto Link" and "Synchronize".
std::vector<double> synchronizedStarts(const SubtitleSet &upper, const SubtitleSet &lower, QString *logLine, int *links)
{
    LastLine log;
    Session s(log);
    copySet(s.upper, upper);
    copySet(s.lower, lower);
    s.autoLink();
    s.synchronize(s.lower);
    *logLine = log.line;
    *links = s.links.count();
    return startsOf(s.lower);
}

bool allPassed = true;

// --- Same source ---------------------------------------------------------

struct Score
{
    double within100 = 0; // share
    double worstMs = 0;
};

Score compare(const std::vector<double> &got, const std::vector<double> &expected)
{
    Score score;
    int close = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        const double error = std::abs(got[i] - expected[i]);
        close += error <= 100;
        score.worstMs = std::max(score.worstMs, error);
    }
    score.within100 = got.empty() ? 0 : double(close) / double(got.size());
    return score;
}

void distort(SubtitleSet &set, const TimeDistortion &d, double filmLength)
{
    for (int i = 0; i < set.count; ++i) {
        Subtitle &s = set.at(i);
        s.start = qint32(std::lround(d.apply(s.start, filmLength)));
        s.end = qint32(std::lround(d.apply(s.end, filmLength)));
    }
}

// Every distortion, on the lower and then on the upper set: the synchronized
// lower starts against `belong`, the lower starts before the distortion, moved
// by it when the upper set carries it.
void runSameSource(const char *name, const SubtitleSet &upper, const SubtitleSet &lower,
                   const std::vector<double> &belong)
{
    const double length = std::max(lengthOf(upper), lengthOf(lower));
    for (const Named &d : sameSource) {
        for (const bool upperDistorted : {false, true}) {
            SubtitleSet up(QStringLiteral("Up: ")), low(QStringLiteral("Lw: "));
            copySet(up, upper);
            copySet(low, lower);
            distort(upperDistorted ? up : low, d.d, length);
            std::vector<double> expected = belong;
            if (upperDistorted)
                for (double &t : expected)
                    t = d.d.apply(t, length);
            QString line;
            int links = 0;
            const Score s = compare(synchronizedStarts(up, low, &line, &links), expected);
            const bool pass = s.within100 >= 0.95 && s.worstMs <= 1000;
            allPassed = allPassed && pass;
            std::printf("%-22s %-5s %-40s %6.1f %% %7.0f ms %4d links %s\n  %s\n", name,
                        upperDistorted ? "upper" : "lower", d.name, 100 * s.within100, s.worstMs, links,
                        pass ? "ok" : "MISSED", qPrintable(line));
        }
    }
}

// Pairs that do not agree: the lower starts belong where the run on the
// undistorted pair puts them, which moves none by more than a second.
void runDisagreeing(const char *name, const SubtitleSet &upper, const SubtitleSet &lower)
{
    QString line;
    int links = 0;
    const std::vector<double> plain = synchronizedStarts(upper, lower, &line, &links);
    const Score moved = compare(plain, startsOf(lower));
    std::printf("%-22s undistorted: largest move %.0f ms %s\n  %s\n", name, moved.worstMs,
                moved.worstMs <= 1000 ? "ok" : "MISSED", qPrintable(line));
    allPassed = allPassed && moved.worstMs <= 1000;
    runSameSource(name, upper, lower, plain);
}

// A film of n lines: the upper set one subtitle per line plus hearing-impaired
// cues; the lower set starts within 40 ms of its partner, often lacks one,
// joins two lines into one now and then, and ends at its own reading speed.
// `lateMs` and `drift` make a pair that does not agree.
void generatePair(SubtitleSet &upper, SubtitleSet &lower, int n, unsigned seed, double lateMs = 0, double drift = 1)
{
    std::mt19937 random(seed);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
    upper.clear();
    lower.clear();
    double t = uniform(2000, 20000);
    for (int i = 0; i < n; ++i) {
        const double length = uniform(900, 4500);
        if (uniform(0, 1) < 0.08) // a cue in the upper set only
            upper.append(int(t), int(t + 1200), QStringLiteral("[DOOR SLAMS]"));
        const double start = t + (uniform(0, 1) < 0.08 ? 1500 : 0);
        upper.append(int(start), int(start + length), QString::fromUtf8(bench::upperLines[i % 6]));
        const double r = uniform(0, 1);
        if (r < 0.85) {
            const double lowerStart = (start + uniform(-40, 40)) * drift + lateMs;
            const double joined = r < 0.1 ? uniform(1500, 3000) : 0;
            lower.append(int(lowerStart), int(lowerStart + length * uniform(0.8, 1.2) + joined),
                         QString::fromUtf8(bench::lowerLines[i % 6]));
        }
        t = start + length + uniform(100, i % 17 == 0 ? 30000 : 3000);
    }
}

// --- Different sources ---------------------------------------------------

struct SourceScore
{
    double within300 = 0; // share of the lower subtitles with a counterpart
    double worstMs = 0; // inside stretches of over a minute
};

SourceScore judge(const SourcePair &pair, const std::vector<double> &starts)
{
    SourceScore score;
    int close = 0;
    int counted = 0;
    for (size_t i = 0; i < starts.size(); ++i) {
        if (pair.counterpart[i] < 0)
            continue;
        const double error = std::abs(starts[i] - pair.counterpart[i]);
        ++counted;
        close += error <= 300;
        if (pair.stretch[i].second - pair.stretch[i].first > 60000)
            score.worstMs = std::max(score.worstMs, error);
    }
    score.within300 = counted ? double(close) / counted : 0;
    return score;
}

void runDifferentSources(const char *name, const SubtitleSet &film)
{
    for (const Named &d : differentSource) {
        for (const bool upperDistorted : {false, true}) {
            if (d.d.splits.empty() && d.d.offsetMs == 0 && d.d.fromRate == d.d.toRate && d.d.drift == 0
                && upperDistorted)
                continue;
            // Another seed cuts and jitters the pairs otherwise, to see that no figure is one seed's luck.
            const unsigned seed = qEnvironmentVariableIsSet("TWINSCRIPT_SOURCE_SEED")
                ? unsigned(qEnvironmentVariableIntValue("TWINSCRIPT_SOURCE_SEED"))
                : 7;
            SourcePair pair = differentSources(film, seed);
            pair.distort(d.d, upperDistorted);
            QString line;
            int links = 0;
            const SourceScore s = judge(pair, synchronizedStarts(pair.upper, pair.lower, &line, &links));
            const bool pass = s.within300 >= 0.90 && s.worstMs <= 2000;
            allPassed = allPassed && pass;
            std::printf("%-16s %-5s %-38s %6.1f %% %7.0f ms %4d links %s\n  %s\n", name,
                        upperDistorted ? "upper" : "lower", d.name, 100 * s.within300, s.worstMs, links,
                        pass ? "ok" : "MISSED", qPrintable(line));
        }
    }
}

// --- A real pair from different sources ----------------------------------

QStringList wordsOf(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}]{3,}"));
    QStringList words;
    auto it = word.globalMatch(text);
    while (it.hasNext())
        words << it.next().captured().toLower();
    return words;
}

// Lines matched across the languages: a word of three or more letters or
// digits that both texts have and that each set uses at most twice, within
// a minute of each other. Pairs of rows, upper first.
std::vector<std::pair<int, int>> matchedLines(const SubtitleSet &upper, const SubtitleSet &lower)
{
    QHash<QString, int> upperUses, lowerUses;
    for (int i = 0; i < upper.count; ++i)
        for (const QString &w : wordsOf(upper.at(i).text))
            ++upperUses[w];
    for (int i = 0; i < lower.count; ++i)
        for (const QString &w : wordsOf(lower.at(i).text))
            ++lowerUses[w];
    std::vector<std::pair<int, int>> pairs;
    int lastUpper = -1;
    for (int l = 0; l < lower.count; ++l) {
        int best = -1;
        for (const QString &w : wordsOf(lower.at(l).text)) {
            if (lowerUses.value(w) > 2 || upperUses.value(w) == 0 || upperUses.value(w) > 2)
                continue;
            for (int u = lastUpper + 1; u < upper.count; ++u) {
                if (std::abs(upper.at(u).start - lower.at(l).start) > 60000)
                    continue;
                if (wordsOf(upper.at(u).text).contains(w)) {
                    best = u;
                    break;
                }
            }
            if (best >= 0)
                break;
        }
        if (best >= 0) {
            pairs.emplace_back(best, l);
            lastUpper = best;
        }
    }
    return pairs;
}

double shareWithin(const SubtitleSet &upper, const std::vector<double> &lowerStarts,
                   const std::vector<std::pair<int, int>> &pairs, double ms, double *worst)
{
    int close = 0;
    *worst = 0;
    for (const auto &p : pairs) {
        const double error = std::abs(lowerStarts[size_t(p.second)] - upper.at(p.first).start);
        close += error <= ms;
        *worst = std::max(*worst, error);
    }
    return pairs.empty() ? 0 : double(close) / double(pairs.size());
}

// What a smooth map reaches: each matched lower line moved by the median
// difference of the matched lines within two minutes of it.
std::vector<double> smoothMap(const SubtitleSet &upper, const SubtitleSet &lower,
                              const std::vector<std::pair<int, int>> &pairs)
{
    std::vector<double> starts = startsOf(lower);
    for (const auto &p : pairs) {
        std::vector<double> differences;
        for (const auto &q : pairs)
            if (std::abs(lower.at(q.second).start - lower.at(p.second).start) <= 120000)
                differences.push_back(upper.at(q.first).start - lower.at(q.second).start);
        starts[size_t(p.second)] += bench::median(differences);
    }
    return starts;
}

// As a release that lacks a scene: a jump back drops the lines in it, as
// the generated pairs do, rather than leave times that run back. Returns
// each row's new index, -1 where dropped.
std::vector<int> distortDroppingCuts(SubtitleSet &set, const TimeDistortion &d, double filmLength)
{
    std::vector<std::pair<double, double>> cuts;
    for (const auto &split : d.splits)
        if (split.second < 0)
            cuts.emplace_back(split.first * filmLength + split.second, split.first * filmLength);
    SubtitleSet kept(set.logPrefix);
    std::vector<int> index;
    for (int i = 0; i < set.count; ++i) {
        const Subtitle &s = set.at(i);
        if (std::any_of(cuts.begin(), cuts.end(),
                        [&](const auto &c) { return s.start >= c.first && s.start < c.second; })) {
            index.push_back(-1);
            continue;
        }
        index.push_back(kept.count);
        kept.append(qint32(std::lround(d.apply(s.start, filmLength))),
                    qint32(std::lround(d.apply(s.end, filmLength, s.start))), s.text);
    }
    std::swap(set, kept);
    return index;
}

void runRealPair(const SubtitleSet &upper, const SubtitleSet &lower)
{
    const std::vector<std::pair<int, int>> pairs = matchedLines(upper, lower);
    double worst = 0;
    std::printf("real pair from different sources: %d / %d subtitles, %zu lines matched by a shared word\n",
                upper.count, lower.count, pairs.size());
    const double before = shareWithin(upper, startsOf(lower), pairs, 500, &worst);
    std::printf("  as they are:          %5.1f %% within 500 ms, worst %.0f ms\n", 100 * before, worst);
    const double smooth = shareWithin(upper, smoothMap(upper, lower, pairs), pairs, 500, &worst);
    std::printf("  best smooth map:      %5.1f %% within 500 ms, worst %.0f ms\n", 100 * smooth, worst);
    QString line;
    int links = 0;
    const double after = shareWithin(upper, synchronizedStarts(upper, lower, &line, &links), pairs, 500, &worst);
    std::printf("  auto-link and sync:   %5.1f %% within 500 ms, worst %.0f ms (%d links)\n  %s\n", 100 * after, worst,
                links, qPrintable(line));
    // Two distortions by default; TWINSCRIPT_REAL_PAIR_ALL=1 runs every one of the table.
    std::vector<Named> distortions {differentSource[3], differentSource[9]};
    if (qEnvironmentVariableIntValue("TWINSCRIPT_REAL_PAIR_ALL") == 1)
        distortions = differentSource;
    for (const Named &d : distortions) {
        for (const bool upperDistorted : {false, true}) {
            SubtitleSet up(QStringLiteral("Up: ")), low(QStringLiteral("Lw: "));
            copySet(up, upper);
            copySet(low, lower);
            const double length = std::max(lengthOf(up), lengthOf(low));
            const std::vector<int> kept = distortDroppingCuts(upperDistorted ? up : low, d.d, length);
            std::vector<std::pair<int, int>> left;
            for (const auto &p : pairs) {
                const int row = kept[size_t(upperDistorted ? p.first : p.second)];
                if (row >= 0)
                    left.emplace_back(upperDistorted ? row : p.first, upperDistorted ? p.second : row);
            }
            const double distorted = shareWithin(up, synchronizedStarts(up, low, &line, &links), left, 500, &worst);
            std::printf("  %s %-38s %5.1f %% within 500 ms, worst %.0f ms\n  %s\n", upperDistorted ? "upper" : "lower",
                        d.name, 100 * distorted, worst, qPrintable(line));
        }
    }
}

// --- Time -----------------------------------------------------------------

double autoLinkMs(const SubtitleSet &upper, const SubtitleSet &lower, int runs)
{
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        const AutoLinkResult result = findAutoLinks(upper, lower);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!result.reliable)
            std::printf("  (no reliable match)\n");
    }
    return bench::median(times);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    NoLog log;
    Session sample(log);
    if (args.size() >= 2) {
        sample.loadFile(sample.upper, args[0], QStringLiteral("UTF-8"), 0, false);
        sample.loadFile(sample.lower, args[1], QStringLiteral("UTF-8"), 0, false);
        std::printf("sample pair: %d / %d subtitles\n", sample.upper.count, sample.lower.count);
        runSameSource("sample", sample.upper, sample.lower, startsOf(sample.lower));
        // The same pair made to disagree: the lower language 500 ms later throughout.
        SubtitleSet late(QStringLiteral("Lw: "));
        copySet(late, sample.lower);
        shiftFrom(late, 0, 500);
        runDisagreeing("sample, lower +0.5 s", sample.upper, late);
    }
    SubtitleSet upper(QStringLiteral("Up: ")), lower(QStringLiteral("Lw: "));
    generatePair(upper, lower, 900, 1);
    runSameSource("generated", upper, lower, startsOf(lower));
    generatePair(upper, lower, 900, 2, 500);
    runDisagreeing("generated, +0.5 s", upper, lower);
    generatePair(upper, lower, 900, 3, -200, 1.0001);
    runDisagreeing("generated, drifting", upper, lower);

    std::printf(
        "\ndifferent sources (share within 300 ms of the counterpart, worst inside stretches over a minute):\n");
    if (args.size() >= 2)
        runDifferentSources("from sample", sample.upper);
    SubtitleSet film(QStringLiteral("Up: "));
    generateFilm(film, 900, 5);
    runDifferentSources("from generated", film);

    std::printf("\n");
    Session real(log);
    if (args.size() >= 4) {
        real.loadFile(real.upper, args[2], QStringLiteral("UTF-8"), 0, false);
        real.loadFile(real.lower, args[3], QStringLiteral("UTF-8"), 0, false);
        runRealPair(real.upper, real.lower);
        std::printf("auto-link time on it (%d x %d), median of 11 runs: %.1f ms\n", real.upper.count, real.lower.count,
                    autoLinkMs(real.upper, real.lower, 11));
    }
    std::printf("auto-link time on generated different-source pairs, median of runs (ms), and per n log n "
                "relative to n = 1000:\n");
    double base = 0;
    for (int n : {1000, 2000, 5000, 10000, 20000}) {
        generateFilm(film, n, 9);
        SourceDifferences differences;
        differences.recapMs = 0;
        const SourcePair pair = differentSources(film, 3, differences);
        const double ms = autoLinkMs(pair.upper, pair.lower, n >= 10000 ? 5 : 11);
        base = base > 0 ? base : ms;
        std::printf("  n=%5d (%5d x %5d) %8.2f ms  ratio %.2f\n", n, pair.upper.count, pair.lower.count, ms,
                    (ms / base) / (n * std::log2(double(n)) / (1000 * std::log2(1000.0))));
    }
    std::printf("%s\n", allPassed ? "all targets met" : "some targets MISSED");
    return 0;
}
