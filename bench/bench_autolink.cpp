// Automatic linking and synchronization against known distortions.
//
// Each pair (the two files given as arguments, and generated pairs) is
// distorted, first the lower set and then the upper one instead; "Auto Link"
// and "Synchronize" (lower onto upper) then run as in the window, and every
// lower start is compared with where it belongs: its undistorted start, moved
// by the distortion when the upper set carries it. Pairs that do not agree to
// begin with (one language later throughout, or drifting) are judged against
// the same run on the undistorted pair instead. Last, the time of the
// auto-link alone on generated pairs of 1000 to 20000 subtitles.
//
// Usage: bench_autolink [UPPER LOWER]

#include "benchutil.h"

#include "core/autolink.h"
#include "core/logsink.h"
#include "core/session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
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

struct Distortion
{
    const char *name;
    double offsetMs;
    int fromRate;
    int toRate;
    std::vector<std::pair<double, double>> splits; // share of the film, jump in ms
};

const std::vector<Distortion> distortions = {
    {"offset +7.3 s", 7300, 1, 1, {}},
    {"offset +95 s, rate 25 => 23.976", 95000, 25000, 23976, {}},
    {"offset -4 min, 2 splits +2.5 s / -4 s", -240000, 1, 1, {{0.25, 2500}, {0.60, -4000}}},
    {"rate 23.976 => 29.97, 3 splits", 30000, 23976, 29970, {{0.2, 60000}, {0.5, -45000}, {0.8, 20000}}},
};

double lengthOf(const SubtitleSet &set)
{
    double last = 0;
    for (int i = 0; i < set.count; ++i)
        last = std::max(last, double(set.at(i).end));
    return last;
}

// Where a time of the undistorted film lands.
double distortTime(double t, const Distortion &d, double filmLength)
{
    double result = t * d.fromRate / d.toRate + d.offsetMs;
    for (const auto &split : d.splits)
        if (t >= split.first * filmLength)
            result += split.second;
    return result;
}

void distort(SubtitleSet &set, const Distortion &d, double filmLength)
{
    for (int i = 0; i < set.count; ++i) {
        Subtitle &s = set.at(i);
        s.start = qint32(std::lround(distortTime(s.start, d, filmLength)));
        s.end = qint32(std::lround(distortTime(s.end, d, filmLength)));
    }
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

bool allPassed = true;

void report(const char *pair, const char *distorted, const Distortion &d, const Score &s, int links,
            const QString &line)
{
    const bool pass = s.within100 >= 0.95 && s.worstMs <= 1000;
    allPassed = allPassed && pass;
    std::printf("%-22s %-5s %-42s %6.1f %% %7.0f ms %4d links %s\n  %s\n", pair, distorted, d.name, 100 * s.within100,
                s.worstMs, links, pass ? "ok" : "MISSED", qPrintable(line));
}

// Every distortion, on the lower and then on the upper set: the synchronized
// lower starts against `belong`, the lower starts before the distortion, moved
// by it when the upper set carries it.
void runDistortions(const char *name, const SubtitleSet &upper, const SubtitleSet &lower,
                    const std::vector<double> &belong)
{
    const double length = std::max(lengthOf(upper), lengthOf(lower));
    for (const Distortion &d : distortions) {
        for (const bool upperDistorted : {false, true}) {
            SubtitleSet up(QStringLiteral("Up: ")), low(QStringLiteral("Lw: "));
            copySet(up, upper);
            copySet(low, lower);
            distort(upperDistorted ? up : low, d, length);
            std::vector<double> expected = belong;
            if (upperDistorted)
                for (double &t : expected)
                    t = distortTime(t, d, length);
            QString line;
            int links = 0;
            const std::vector<double> got = synchronizedStarts(up, low, &line, &links);
            report(name, upperDistorted ? "upper" : "lower", d, compare(got, expected), links, line);
        }
    }
}

// Pairs that agree: the lower starts belong where they are.
void runAgreeing(const char *name, const SubtitleSet &upper, const SubtitleSet &lower)
{
    runDistortions(name, upper, lower, startsOf(lower));
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
    runDistortions(name, upper, lower, plain);
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

class NoLog : public LogSink
{
public:
    void write(int, const QString &) override { }
};

double autoLinkMs(int n, int runs)
{
    NoLog log;
    Session s(log);
    generatePair(s.upper, s.lower, n, 7);
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        const AutoLinkResult result = findAutoLinks(s.upper, s.lower);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!result.reliable)
            std::printf("  (n=%d: no reliable match)\n", n);
    }
    return bench::median(times);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 2) {
        NoLog log;
        Session s(log);
        s.loadFile(s.upper, args[0], QStringLiteral("UTF-8"), 0, false);
        s.loadFile(s.lower, args[1], QStringLiteral("UTF-8"), 0, false);
        std::printf("sample pair: %d / %d subtitles\n", s.upper.count, s.lower.count);
        runAgreeing("sample", s.upper, s.lower);
        // The same pair made to disagree: the lower language 500 ms later throughout.
        SubtitleSet late(QStringLiteral("Lw: "));
        copySet(late, s.lower);
        shiftFrom(late, 0, 500);
        runDisagreeing("sample, lower +0.5 s", s.upper, late);
    }
    SubtitleSet upper(QStringLiteral("Up: ")), lower(QStringLiteral("Lw: "));
    generatePair(upper, lower, 900, 1);
    runAgreeing("generated", upper, lower);
    generatePair(upper, lower, 900, 2, 500);
    runDisagreeing("generated, +0.5 s", upper, lower);
    generatePair(upper, lower, 900, 3, -200, 1.0001);
    runDisagreeing("generated, drifting", upper, lower);

    std::printf("\nauto-link time, median of runs (ms), and per n log n relative to n = 1000:\n");
    const double base = autoLinkMs(1000, 21);
    const double baseNLogN = 1000 * std::log2(1000.0);
    for (int n : {1000, 2000, 5000, 10000, 20000}) {
        const double ms = n == 1000 ? base : autoLinkMs(n, n >= 10000 ? 5 : 11);
        std::printf("  n=%5d %8.2f ms  ratio %.2f\n", n, ms, (ms / base) / (n * std::log2(double(n)) / baseNLogN));
    }
    std::printf("%s\n", allPassed ? "all targets met" : "some targets MISSED");
    return 0;
}
