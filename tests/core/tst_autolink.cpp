// Automatic linking on generated pairs: the offset, rate and splits it finds
// for each distortion, links only on true partners that synchronization then
// puts back in place, hearing-impaired cues in one set, unrelated and empty
// sets, the user's own links, and the log line.

#include "testutil.h"

#include "sourcepairs.h"

#include "core/autolink.h"

#include <QtTest>

#include <cmath>
#include <random>

using namespace testutil;

namespace {

struct Split
{
    int atMs; // undistorted time from which the jump applies
    int jumpMs;
};

struct Distortion
{
    int offsetMs = 0;
    int fromRate = 1;
    int toRate = 1;
    QVector<Split> splits;

    double apply(double t) const
    {
        double result = t * fromRate / toRate + offsetMs;
        for (const Split &s : splits)
            if (t >= s.atMs)
                result += s.jumpMs;
        return result;
    }
};

enum class Cues { None, InUpper, InLower };

// A film pair: the lower set starts each line within 30 ms of the upper one,
// lacks one line in nine, joins two lines into one in twelve and ends at its
// own reading speed; hearing-impaired cues in one set only when asked.
struct Pair
{
    SubtitleSet upper {QStringLiteral("Up: ")};
    SubtitleSet lower {QStringLiteral("Lw: ")};
    QVector<int> partner; // upper row of each lower row, -1 for a cue
    QVector<int> undistorted; // lower starts before the distortion

    Pair(int lines, unsigned seed, Cues cues, int jitterMs = 30)
    {
        std::mt19937 random(seed);
        const auto uniform = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(random); };
        const QVector<int> starts = irregularStarts(lines, seed);
        for (int i = 0; i < lines; ++i) {
            const int start = starts[i];
            const int length = qMin(uniform(900, 4000), (i + 1 < lines ? starts[i + 1] : start + 5000) - start - 100);
            if (cues != Cues::None && i % 6 == 3) {
                SubtitleSet &set = cues == Cues::InUpper ? upper : lower;
                set.append(start - 1200, start - 200, QStringLiteral("[DOOR SLAMS]"));
                if (cues == Cues::InLower)
                    partner << -1;
            }
            upper.append(start, start + length, QStringLiteral("line"));
            if (i % 9 == 8)
                continue;
            const int lowerStart = start + (jitterMs ? uniform(-jitterMs, jitterMs) : 0);
            const bool joined = i % 12 == 5 && i + 1 < lines;
            lower.append(lowerStart, (joined ? starts[i + 1] + 800 : start + length) + uniform(-300, 300),
                         QStringLiteral("Zeile"));
            partner << upper.count - 1;
            if (joined)
                ++i, upper.append(starts[i], starts[i] + 900, QStringLiteral("line"));
        }
        for (int i = 0; i < lower.count; ++i)
            undistorted << lower.at(i).start;
    }

    void distortLower(const Distortion &d)
    {
        for (int i = 0; i < lower.count; ++i) {
            Subtitle &s = lower.at(i);
            s.end = qint32(std::lround(d.apply(s.end)));
            s.start = qint32(std::lround(d.apply(s.start)));
        }
    }
};

// Where the first subtitle behind each split lies in the distorted lower set.
QVector<qint64> splitTimes(const Pair &pair, const Distortion &d)
{
    QVector<qint64> times;
    for (const Split &s : d.splits) {
        int row = 0;
        while (row < pair.lower.count && pair.undistorted[row] < s.atMs)
            ++row;
        times << pair.lower.at(qMin(row, pair.lower.count - 1)).start;
    }
    return times;
}

// Every link on a true pair, both rows increasing, a few per minute at most.
void checkLinks(const Pair &pair, const std::vector<SyncLinks::Link> &links, int splits)
{
    QVERIFY(links.size() >= 2);
    for (size_t k = 0; k < links.size(); ++k) {
        QCOMPARE(links[k].upperRow, pair.partner[links[k].lowerRow]);
        if (k > 0) {
            QVERIFY(links[k].upperRow > links[k - 1].upperRow);
            QVERIFY(links[k].lowerRow > links[k - 1].lowerRow);
        }
    }
    const double minutes = (pair.upper.at(pair.upper.count - 1).start - pair.upper.at(0).start) / 60000.0;
    QVERIFY2(links.size() <= size_t(4 * minutes) + 2 * size_t(splits) + 2, qPrintable(QString::number(links.size())));
    // Spread over the whole film: no quarter of it without a link.
    const int quarter = pair.lower.count / 4;
    for (int q = 0; q < 4; ++q)
        QVERIFY(std::any_of(links.begin(), links.end(), [&](const SyncLinks::Link &l) {
            return l.lowerRow >= q * quarter && l.lowerRow < (q + 1) * quarter;
        }));
}

} // namespace

Q_DECLARE_METATYPE(Distortion)
Q_DECLARE_METATYPE(TimeDistortion)
Q_DECLARE_METATYPE(Cues)

// Rows [from, to) of a film spoken without a pause: the later rows move up.
void packTalk(SubtitleSet &film, int from, int to)
{
    qint32 saved = 0;
    for (int i = from; i < film.count; ++i) {
        Subtitle &s = film.at(i);
        if (i > from && i < to)
            saved += std::max(0, s.start - saved - film.at(i - 1).end - 120);
        s.start -= saved;
        s.end -= saved;
    }
}

// The lower line last before a scene that the lower set lacks (the last
// split of `d`, a jump back), alone between two long pauses: both sets are
// quiet for 20 s before it and after it up to that scene, a dialogue
// without a pause. Its partner starts 320 ms from it, within the jitter of
// two sources, and a line of the missing scene just where the stretch after
// the cut puts it.
void isolateBeforeCut(SourcePair &pair, const TimeDistortion &d)
{
    const auto [share, jump] = d.splits.back();
    const double scene = share * pair.filmLength + jump; // the missing scene's start, on the upper clock
    const double cut = d.apply(scene, pair.filmLength); // and on the lower clock
    int lone = -1;
    for (int i = 0; i < pair.lower.count; ++i)
        if (pair.counterpart[size_t(i)] >= 0 && pair.counterpart[size_t(i)] < scene - 20000)
            lone = i;
    const double partner = pair.counterpart[size_t(lone)];
    const int loneStart = int(d.apply(partner, pair.filmLength)) + 320;
    const int chance = int((loneStart - d.offsetMs - jump) / (double(d.fromRate) / d.toRate * (1 + d.drift)));
    const auto quiet = [&](double t) { return t >= partner - 20000 && t < scene && t != partner; };
    std::vector<std::pair<int, int>> upper;
    for (int i = 0; i < pair.upper.count; ++i)
        if (!quiet(pair.upper.at(i).start)
            && (pair.upper.at(i).start < scene || pair.upper.at(i).start >= scene - jump))
            upper.emplace_back(pair.upper.at(i).start, pair.upper.at(i).end);
    for (int t = chance - int((chance - scene) / 3000) * 3000; t < scene - jump; t += 3000)
        upper.emplace_back(t, t + 2900);
    std::sort(upper.begin(), upper.end());
    pair.upper.clear();
    for (const auto &[start, end] : upper)
        pair.upper.append(start, end, QStringLiteral("Line."));
    SourcePair kept;
    for (int i = 0; i < pair.lower.count; ++i) {
        const Subtitle &s = pair.lower.at(i);
        if (i != lone && (quiet(pair.counterpart[size_t(i)]) || (s.start >= loneStart - 20000 && s.start < cut)))
            continue;
        kept.lower.append(i == lone ? loneStart : s.start, i == lone ? std::max(s.end, loneStart + 1000) : s.end,
                          s.text);
        kept.counterpart.push_back(pair.counterpart[size_t(i)]);
        kept.stretch.push_back(pair.stretch[size_t(i)]);
    }
    std::swap(pair.lower, kept.lower);
    pair.counterpart = kept.counterpart;
    pair.stretch = kept.stretch;
}

class TestAutoLink : public QObject
{
    Q_OBJECT

private slots:
    // Each distortion of the lower set is found within tolerance, and
    // synchronizing through the links puts the lower starts back.
    void distortions_data()
    {
        QTest::addColumn<Distortion>("distortion");
        QTest::addColumn<Cues>("cues");
        const auto d = [](int offset, int from, int to, QVector<Split> splits = {}) {
            return Distortion {offset, from, to, splits};
        };
        row("none", d(0, 1, 1), Cues::None);
        row("offset +7.3 s", d(7300, 1, 1), Cues::None);
        row("offset +10 min", d(600000, 1, 1), Cues::None);
        row("offset -10 min", d(-600000, 1, 1), Cues::None);
        row("rate 25 => 23.976, +95 s", d(95000, 25000, 23976), Cues::None);
        row("rate 23.976 => 25", d(0, 23976, 25000), Cues::None);
        row("rate 24 => 23.976, -3 s", d(-3000, 24000, 23976), Cues::None);
        row("rate 23.976 => 29.97, +2 min", d(120000, 23976, 29970), Cues::None);
        row("rate 29.97 => 24", d(0, 29970, 24000), Cues::None);
        row("split +40 s", d(0, 1, 1, {{900000, 40000}}), Cues::None);
        row("splits +2.5 s, -4 s on +7.3 s", d(7300, 1, 1, {{700000, 2500}, {1700000, -4000}}), Cues::None);
        row("three splits of up to a minute, -9 min",
            d(-540000, 1, 1, {{500000, 60000}, {1200000, -60000}, {2000000, 15000}}), Cues::None);
        row("rate 25 => 24, split -20 s", d(30000, 25000, 24000, {{1300000, -20000}}), Cues::None);
        row("cues in the upper set, splits, rate", d(95000, 25000, 23976, {{700000, 2500}, {1700000, -4000}}),
            Cues::InUpper);
        row("cues in the lower set, offset", d(-7300, 1, 1), Cues::InLower);
    }
    void distortions()
    {
        QFETCH(Distortion, distortion);
        QFETCH(Cues, cues);
        Pair pair(600, 11, cues);
        pair.distortLower(distortion);

        const AutoLinkResult found = findAutoLinks(pair.upper, pair.lower);
        QVERIFY(found.reliable);
        QVERIFY2(std::abs(found.offsetMs - distortion.offsetMs) <= 50, qPrintable(describeMapping(found)));
        QCOMPARE(found.fromRate, distortion.fromRate);
        QCOMPARE(found.toRate, distortion.toRate);
        const QVector<qint64> splits = splitTimes(pair, distortion);
        QCOMPARE(int(found.splitTimes.size()), splits.size());
        for (int s = 0; s < splits.size(); ++s)
            QVERIFY2(std::abs(found.splitTimes[size_t(s)] - splits[s]) <= 30000, qPrintable(describeMapping(found)));
        checkLinks(pair, found.links, splits.size());

        CollectingLog log;
        SyncLinks links;
        links.replaceAutomatic(found.links);
        synchronize(pair.lower, pair.upper, false, links, 25, 0, log);
        int close = 0;
        qint64 worst = 0;
        for (int i = 0; i < pair.lower.count; ++i) {
            const qint64 error = std::abs(qint64(pair.lower.at(i).start) - pair.undistorted[i]);
            close += error <= 100;
            worst = std::max(worst, error);
        }
        QVERIFY2(close >= 0.95 * pair.lower.count, qPrintable(QString::number(close)));
        // Also beside a jump: the rows on either side move with their own link.
        QVERIFY2(worst <= 1000, qPrintable(QString::number(worst)));
    }

    // Sets of different films, or of none, give no links and say so.
    void noReliableMatch_data()
    {
        QTest::addColumn<int>("upperLines");
        QTest::addColumn<int>("lowerLines");
        QTest::addColumn<unsigned>("lowerSeed");
        QTest::addColumn<QString>("line");
        const QString none = QStringLiteral("Lw: no reliable match found");
        row("different films", 600, 500, 12u, none);
        row("different films, another", 800, 800, 13u, none);
        row("different short films", 40, 40, 14u, none);
        row("different films of 20 lines", 20, 20, 15u, none);
        row("different realistic films", -900, -700, 16u, none);
        row("empty upper set", 0, 300, 11u, QStringLiteral("Lw: nothing to link: the upper set is empty"));
        row("empty lower set", 300, 0, 11u, QStringLiteral("Lw: nothing to link: the lower set is empty"));
        row("both empty", 0, 0, 11u, QStringLiteral("Lw: nothing to link: the upper set is empty"));
    }
    void noReliableMatch()
    {
        QFETCH(int, upperLines);
        QFETCH(int, lowerLines);
        QFETCH(unsigned, lowerSeed);
        QFETCH(QString, line);
        CollectingLog log;
        Session session(log);
        // Negative counts ask for films with realistic lengths and gaps.
        if (upperLines < 0) {
            generateFilm(session.upper, -upperLines, 11);
            generateFilm(session.lower, -lowerLines, lowerSeed);
        } else {
            fillStarts(session.upper, irregularStarts(upperLines, 11), 1500);
            fillStarts(session.lower, irregularStarts(lowerLines, lowerSeed), 1500);
        }
        session.links.add(0, 0); // the user's own stays
        session.autoLink();
        QCOMPARE(log.lines, QStringList {line});
        QCOMPARE(session.links.count(), 1);
    }

    // Pairs from different sources (re-cut, jittered, lines and cues in one
    // set only, a recap), each distortion alone and mixed, on either set:
    // after Auto Link and Synchronize, most lower subtitles start within
    // 300 ms of their counterpart, and none far off.
    void differentSources_data()
    {
        QTest::addColumn<TimeDistortion>("distortion");
        QTest::addColumn<bool>("upperSet");
        QTest::addColumn<double>("minShare");
        QTest::addColumn<int>("worstMs");
        QTest::addColumn<double>("denseFrom");
        QTest::addColumn<double>("lastLineAfterMs");
        QTest::addColumn<bool>("loneBeforeCut");
        const auto d = [](double offset, int from, int to, double drift = 0,
                          std::vector<std::pair<double, double>> splits = {}) {
            return TimeDistortion {offset, from, to, drift, splits};
        };
        // A row may pack a quarter of the film into talk without a pause, end
        // it with a line long after the rest, 0.3 s late in the lower set, or
        // leave the line before its last split alone between long pauses.
        const auto row = [](const char *name, const TimeDistortion &distortion, bool upperSet, double minShare,
                            int worstMs, double denseFrom = -1, double lastLineAfterMs = 0,
                            bool loneBeforeCut = false) {
            ::row(name, distortion, upperSet, minShare, worstMs, denseFrom, lastLineAfterMs, loneBeforeCut);
        };
        row("in sync", d(0, 1, 1), false, 0.93, 600);
        row("offset +7.3 s", d(7300, 1, 1), false, 0.93, 600);
        row("offset -14 min, upper", d(-840000, 1, 1), true, 0.93, 600);
        row("rate 25 => 23.976, +45 s", d(45000, 25000, 23976), false, 0.93, 600);
        row("rate 23.976 => 29.97, upper", d(0, 23976, 29970), true, 0.93, 600);
        row("drift +0.1 %", d(0, 1, 1, 0.001), false, 0.93, 600);
        row("drift -0.07 %, +0.5 s, upper", d(500, 1, 1, -0.0007), true, 0.93, 600);
        row("splits +40 s, -20 s", d(0, 1, 1, 0, {{0.3, 40000}, {0.7, -20000}}), false, 0.93, 600);
        row("rate, offset, splits", d(-120000, 25000, 23976, 0, {{0.4, 30000}, {0.75, 8000}}), false, 0.93, 600);
        // A scene the upper set lacks, and a pause only the lower set has.
        row("drift, cut of 20 s, upper", d(30000, 1, 1, -0.0008, {{0.5, 5000}, {0.8, -20000}}), true, 0.93, 600);
        // Re-timed by hand in steps of about half a second, more of them than
        // splits are found: the links follow the steps, the rows between two
        // links around a step miss by part of it.
        row("ten steps of 0.3 to 0.7 s",
            d(0, 1, 1, 0,
              {{0.08, 500}, {0.17, -400}, {0.26, 600}, {0.35, -700}, {0.44, 400}, {0.53, -500}, {0.62, 700},
               {0.71, -300}, {0.8, 500}, {0.9, -600}}),
            false, 0.85, 1000);
        // Six cuts: rows next to a cut stay on their side of it, and the rate
        // is still found where no one offset holds for most of the film.
        row("six splits of 0.3 to 90 s, upper",
            d(0, 1, 1, 0, {{0.12, 900}, {0.25, -1500}, {0.4, 300}, {0.55, 90000}, {0.7, -40000}, {0.85, 12000}}), true,
            0.9, 2000);
        row("drift, +30 s, six splits",
            d(30000, 1, 1, -0.0008, {{0.1, 5000}, {0.3, -700}, {0.45, 60000}, {0.6, -2000}, {0.75, 1200}, {0.9, -20000}}),
            false, 0.9, 2000);
        row("0.2 s early", d(-200, 1, 1), false, 0.93, 600);
        // Steps that go one way, one of them inside a stretch: no drift.
        row("steps from +0.5 s down to -2 s", d(500, 1, 1, 0, {{0.2, -500}, {0.4, -700}, {0.6, -400}, {0.8, -900}}),
            false, 0.93, 600);
        row("three steps: +0.9 s, 0, -1.5 s, upper", d(900, 1, 1, 0, {{0.33, -900}, {0.66, -1500}}), true, 0.9, 600);
        // Cut where talk goes on without a pause: a minute off, the cut
        // overlaps it about as well; the starts place it.
        row("cuts of 45 and 47 s, one in talk without a pause, upper", d(0, 1, 1, 0, {{0.3, -45000}, {0.7, -47000}}),
            true, 0.9, 2000, 0.65);
        // Beyond the last link rows only shift: under another rate the last
        // line, 90 s out, needs a link of its own, loose as it is.
        row("rate 25 => 23.976, a last line 90 s after the rest", d(45000, 25000, 23976), false, 0.93, 600, -1, 90000);
        // Where starts scatter, the lone line fits the next stretch as well by
        // chance; the pause after it, where the upper set speaks, is the cut.
        row("rate 25 => 23.976, a lone line before a cut of 47 s", d(45000, 25000, 23976, 0, {{0.7, -47000}}), false,
            0.9, 2000, -1, 0, true);
    }
    void differentSources()
    {
        QFETCH(TimeDistortion, distortion);
        QFETCH(bool, upperSet);
        QFETCH(double, minShare);
        QFETCH(int, worstMs);
        QFETCH(double, denseFrom);
        QFETCH(double, lastLineAfterMs);
        QFETCH(bool, loneBeforeCut);
        SubtitleSet film(QStringLiteral("Up: "));
        generateFilm(film, 500, 5);
        if (denseFrom >= 0)
            packTalk(film, int(denseFrom * film.count), int((denseFrom + 0.25) * film.count));
        SourcePair pair = ::differentSources(film, 7);
        pair.distort(distortion, upperSet);
        if (loneBeforeCut)
            isolateBeforeCut(pair, distortion);
        if (lastLineAfterMs > 0) {
            const int at = pair.upper.at(pair.upper.count - 1).end + int(lastLineAfterMs);
            pair.upper.append(at, at + 2000, QStringLiteral("The end."));
            const int lowerAt = int(distortion.apply(at, pair.filmLength)) + 300;
            pair.lower.append(lowerAt, lowerAt + 2000, QStringLiteral("Das Ende."));
            pair.counterpart.push_back(at);
        }
        CollectingLog log;
        Session session(log);
        std::swap(session.upper, pair.upper);
        std::swap(session.lower, pair.lower);
        session.autoLink();
        session.synchronize(session.lower);
        int close = 0;
        int counted = 0;
        double worst = 0;
        for (int i = 0; i < session.lower.count; ++i) {
            if (pair.counterpart[size_t(i)] < 0)
                continue;
            const double error = std::abs(session.lower.at(i).start - pair.counterpart[size_t(i)]);
            ++counted;
            close += error <= 300;
            worst = std::max(worst, error);
        }
        const QString found = log.lines.value(0);
        QVERIFY2(close >= minShare * counted,
                 qPrintable(QStringLiteral("%1 of %2, %3").arg(close).arg(counted).arg(found)));
        QVERIFY2(worst <= worstMs, qPrintable(QStringLiteral("%1 ms, %2").arg(worst).arg(found)));
    }

    // A pair that agrees keeps its times: the offset found is the pair's
    // own, and nothing moves by more than the pair's jitter.
    void agreeingPairKeepsItsTimes()
    {
        Pair pair(600, 11, Cues::InUpper, 30);
        const AutoLinkResult found = findAutoLinks(pair.upper, pair.lower);
        QVERIFY2(found.reliable && std::abs(found.offsetMs) <= 30, qPrintable(describeMapping(found)));
        const SubtitleSet before = pair.lower;
        CollectingLog log;
        SyncLinks links;
        links.replaceAutomatic(found.links);
        synchronize(pair.lower, pair.upper, false, links, 25, 0, log);
        for (int i = 0; i < pair.lower.count; ++i)
            QVERIFY2(std::abs(pair.lower.at(i).start - before.at(i).start) <= 60, qPrintable(QString::number(i)));
    }

    // The user's links stay; automatic links that would cross one or share
    // its row are left out, and a second run replaces the first one's links.
    // A passage that only the lower set has, whose lines the upper set
    // happens to show 150 s later on their very times, stays where it is:
    // a stretch that maps onto upper lines its neighbour maps onto too
    // matched them by chance.
    void passageMatchedElsewhereStaysInPlace()
    {
        SubtitleSet film(QStringLiteral("Up: "));
        generateFilm(film, 500, 5);
        SourcePair pair = ::differentSources(film, 7);
        const int from = 200;
        const int to = 240;
        std::vector<std::pair<int, int>> times;
        for (int i = 0; i < pair.upper.count; ++i)
            if (pair.upper.at(i).end < pair.lower.at(from).start || pair.upper.at(i).start > pair.lower.at(to).start)
                times.emplace_back(pair.upper.at(i).start, pair.upper.at(i).end);
        for (int i = from; i < to; ++i)
            times.emplace_back(pair.lower.at(i).start + 150000, pair.lower.at(i).end + 150000);
        std::sort(times.begin(), times.end());
        pair.upper.clear();
        for (const auto &[start, end] : times)
            pair.upper.append(start, end, QStringLiteral("Line."));
        const AutoLinkResult found = findAutoLinks(pair.upper, pair.lower);
        QVERIFY2(found.reliable && found.splitTimes.empty(), qPrintable(describeMapping(found)));
    }

    void keepsTheUsersLinks()
    {
        Pair pair(400, 21, Cues::None, 0);
        pair.distortLower(Distortion {7300, 1, 1, {}});
        CollectingLog log;
        Session session(log);
        std::swap(session.upper, pair.upper);
        std::swap(session.lower, pair.lower);
        // A wrong link of the user's: lower row 200 to an upper row far from its partner.
        const int wrongUpper = pair.partner[200] + 40;
        session.links.add(wrongUpper, 200);
        session.links.add(pair.partner[10], 10);

        session.autoLink();
        const int first = session.links.count();
        QVERIFY(first > 10);
        session.autoLink();
        QCOMPARE(session.links.count(), first);
        int users = 0;
        for (int k = 0; k < session.links.count(); ++k) {
            const SyncLinks::Link &link = session.links.at(k);
            users += !link.automatic;
            if (k > 0) {
                QVERIFY(link.upperRow > session.links.at(k - 1).upperRow);
                QVERIFY(link.lowerRow > session.links.at(k - 1).lowerRow);
            }
            if (link.automatic)
                QCOMPARE(link.upperRow, pair.partner[link.lowerRow]);
        }
        QCOMPARE(users, 2);
        QCOMPARE(log.lines.last(), QStringLiteral("Lw: %1 links found: offset +7.300 s").arg(first - 2));
    }

    // The links a run placed before go; the user's stay; a found link that
    // crosses or shares a row with the user's is left out.
    void replaceAutomatic_data()
    {
        QTest::addColumn<QVector<int>>("user"); // upper, lower, ...
        QTest::addColumn<QVector<int>>("before"); // automatic links of an earlier run
        QTest::addColumn<QVector<int>>("found");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<int>("placed");
        row("into an empty table", QVector<int> {}, QVector<int> {}, QVector<int> {1, 1, 5, 6},
            QStringList {"0002 0002", "0006 0007"}, 2);
        row("earlier ones replaced", QVector<int> {}, QVector<int> {0, 0, 3, 3}, QVector<int> {2, 2},
            QStringList {"0003 0003"}, 1);
        row("between the user's", QVector<int> {0, 0, 9, 9}, QVector<int> {}, QVector<int> {4, 5},
            QStringList {"0001 0001", "0005 0006", "0010 0010"}, 1);
        row("sharing a row with the user's", QVector<int> {4, 4}, QVector<int> {},
            QVector<int> {2, 2, 4, 5, 6, 4, 8, 8}, QStringList {"0003 0003", "0005 0005", "0009 0009"}, 2);
        row("crossing the user's", QVector<int> {5, 2}, QVector<int> {1, 1}, QVector<int> {1, 1, 3, 3, 6, 6},
            QStringList {"0002 0002", "0006 0003", "0007 0007"}, 2);
    }
    void replaceAutomatic()
    {
        QFETCH(QVector<int>, user);
        QFETCH(QVector<int>, before);
        QFETCH(QVector<int>, found);
        QFETCH(QStringList, labels);
        QFETCH(int, placed);
        SyncLinks links;
        for (int i = 0; i + 1 < user.size(); i += 2)
            links.add(user[i], user[i + 1]);
        for (int i = 0; i + 1 < before.size(); i += 2)
            links.add(before[i], before[i + 1], true);
        std::vector<SyncLinks::Link> wanted;
        for (int i = 0; i + 1 < found.size(); i += 2)
            wanted.push_back(SyncLinks::Link {found[i], found[i + 1]});
        QCOMPARE(links.replaceAutomatic(wanted), placed);
        QStringList got;
        for (int k = 0; k < links.count(); ++k)
            got << links.label(k);
        QCOMPARE(got, labels);
    }

    // The log line names the parts that apply: the offset always, the rate
    // when it changes, the splits when there are any, at their lower times.
    void logLine_data()
    {
        QTest::addColumn<Distortion>("distortion");
        QTest::addColumn<QString>("mapping");
        // Lower subtitles 150 and 350 of the exact pair start there (as the test pins first).
        row("offset", Distortion {7300, 1, 1, {}}, "offset +7.300 s");
        row("negative offset", Distortion {-95000, 1, 1, {}}, "offset -95.000 s");
        row("rate", Distortion {7300, 25000, 23976, {}}, "offset +7.300 s, rate 25.000 => 23.976");
        row("one split", Distortion {7300, 25000, 23976, {{startOfLine150, 30000}}},
            "offset +7.300 s, rate 25.000 => 23.976, 1 split at 00:15:31");
        row("two splits", Distortion {0, 1, 1, {{startOfLine150, 30000}, {startOfLine350, -20000}}},
            "offset +0.000 s, 2 splits at 00:14:47, 00:33:19");
    }
    void logLine()
    {
        QFETCH(Distortion, distortion);
        QFETCH(QString, mapping);
        Pair pair(600, 11, Cues::None, 0);
        QCOMPARE(pair.lower.at(150).start, startOfLine150);
        QCOMPARE(pair.lower.at(350).start, startOfLine350);
        QVERIFY2(pair.lower.count > 400, qPrintable(QString::number(pair.lower.count)));
        pair.distortLower(distortion);
        CollectingLog log;
        Session session(log);
        std::swap(session.upper, pair.upper);
        std::swap(session.lower, pair.lower);
        session.autoLink();
        QCOMPARE(log.lines.size(), 1);
        QCOMPARE(log.lines[0], QStringLiteral("Lw: %1 links found: %2").arg(session.links.count()).arg(mapping));
    }

private:
    static constexpr int startOfLine150 = 857889;
    static constexpr int startOfLine350 = 1989830;
};

QTEST_GUILESS_MAIN(TestAutoLink)
#include "tst_autolink.moc"
