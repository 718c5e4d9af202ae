// Timing corrections: shift, stretch and frame-rate conversion applied to a
// set, in that order, each with its log line; and the conversion entries.

#include "testutil.h"

#include "core/subtitleset.h"
#include "core/timing.h"

#include <QtTest>

using namespace testutil;
using V = QVector<int>;

namespace {

const QString none = QStringLiteral("- None -");

} // namespace

class TestTiming : public QObject
{
    Q_OBJECT

private slots:
    void correctTiming_data()
    {
        QTest::addColumn<V>("starts");
        QTest::addColumn<int>("duration");
        QTest::addColumn<int>("selectedRow");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("stretch");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("conversion");
        QTest::addColumn<V>("expected");
        QTest::addColumn<QStringList>("lines");
        const V four {0, 1000, 2000, 3000};
        const auto row = [](const char *name, const V &starts, int duration, int selectedRow, int shift, int stretch,
                            bool selected, const QString &conversion, const V &expected, const QStringList &lines) {
            QTest::newRow(name) << starts << duration << selectedRow << shift << stretch << selected << conversion
                                << expected << lines;
        };
        row("shift", {0, 1000, 2000}, 400, 1, 1500, 0, false, none, {1500, 2500, 3500}, {"Up: 1500 ms shifted"});
        row("shift selected and following", four, 400, 2, -500, 0, true, none, {0, 1000, 1500, 2500},
            {"Up: -500 ms shifted from #2"});
        row("shift clamped at the top", {intMax - 30000, intMax - 500}, 0, 0, 60000, 0, false, none, {intMax, intMax},
            {"Up: 60000 ms shifted"});
        row("stretch spread", four, 400, 2, 0, 1000, false, none, {0, 1333, 2666, 4000}, {"Up: 1000 ms stretched"});
        row("stretch drawn together", four, 400, 0, 0, -1000, false, none, {0, 666, 1333, 2000},
            {"Up: -1000 ms stretched"});
        row("stretch from the selected", four, 400, 1, 0, 1000, true, none, {0, 1000, 2500, 4000},
            {"Up: 1000 ms stretched from #1"});
        row("stretch single subtitle", {5000}, 400, 0, 0, 1000, false, none, {6000}, {"Up: 1000 ms stretched"});
        // Anchor and last start together: the ones between stay with the anchor.
        row("stretch zero span", {700, 700, 700}, 400, 0, 0, 250, false, none, {700, 700, 950},
            {"Up: 250 ms stretched"});
        // The stretch is refused, the shift and the conversion of the same run still happen.
        row("cannot stretch single line", four, 0, 3, 1000, 2000, true, "25.000 => 23.976", {0, 1042, 2085, 4170},
            {"Up: 1000 ms shifted from #3", "Up: cannot stretch single line", "Up: converted 25000 => 23976"});
        // Stretch sees the shifted times (1000, 2333, 3666, 5000), the conversion the stretched ones.
        row("shift, stretch, convert", four, 0, 0, 1000, 1000, false, "23.976 => 25.000", {959, 2237, 3515, 4795},
            {"Up: 1000 ms shifted", "Up: 1000 ms stretched", "Up: converted 23976 => 25000"});
        row("23.976 => 25", {1000}, 0, 0, 0, 0, false, "23.976 => 25.000", {959}, {"Up: converted 23976 => 25000"});
        row("24 => 25", {1000}, 0, 0, 0, 0, false, "24.000 => 25.000", {960}, {"Up: converted 24000 => 25000"});
        row("29.97 => 25", {1000}, 0, 0, 0, 0, false, "29.970 => 25.000", {1198}, {"Up: converted 29970 => 25000"});
        row("25 => 23.976", {1000}, 0, 0, 0, 0, false, "25.000 => 23.976", {1042}, {"Up: converted 25000 => 23976"});
        row("25 => 24", {1000}, 0, 0, 0, 0, false, "25.000 => 24.000", {1041}, {"Up: converted 25000 => 24000"});
        row("25 => 29.97", {1000}, 0, 0, 0, 0, false, "25.000 => 29.970", {834}, {"Up: converted 25000 => 29970"});
        row("an hour", {3600000}, 0, 0, 0, 0, false, "25.000 => 23.976", {3753753}, {"Up: converted 25000 => 23976"});
        // Negative times (after a negative shift) truncate toward zero, not down.
        row("negative", {-4000}, 0, 0, 0, 0, false, "25.000 => 23.976", {-4170}, {"Up: converted 25000 => 23976"});
        row("past the top", {intMax - 5}, 0, 0, 0, 0, false, "25.000 => 23.976", {intMax},
            {"Up: converted 25000 => 23976"});
        row("past the bottom", {intMin + 5}, 0, 0, 0, 0, false, "25.000 => 23.976", {intMin},
            {"Up: converted 25000 => 23976"});
        row("nothing chosen", {1000, 2000}, 400, 0, 0, 0, true, none, {1000, 2000}, {});
        row("empty set", {}, 400, 0, 1000, 1000, false, "25.000 => 29.970", {}, {});
    }
    void correctTiming()
    {
        QFETCH(V, starts);
        QFETCH(int, duration);
        QFETCH(int, selectedRow);
        QFETCH(QString, conversion);
        TimingCorrection correction;
        QFETCH(int, shift);
        QFETCH(int, stretch);
        QFETCH(bool, selected);
        correction.shiftMs = shift;
        correction.stretchMs = stretch;
        correction.selectedAndFollowing = selected;
        ::parseConversion(conversion, &correction.fromRate, &correction.toRate);
        SubtitleSet set(QStringLiteral("Up: "));
        fillStarts(set, starts, duration);
        CollectingLog log;
        ::correctTiming(set, correction, selectedRow, log);
        QTEST(log.lines, "lines");
        for (int i = 0; i < log.lines.size(); ++i)
            QCOMPARE(log.levels[i], log.lines[i].contains(QStringLiteral("cannot")) ? LogError : LogInfo);
        QTEST(startsOf(set), "expected");
        QCOMPARE(durationsOf(set), V(set.count, duration));
    }

    // Entries that give two rates show in correctTiming's "converted" lines; the others give 1 => 1.
    void parseConversion_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        row("none", none, 1, 1);
        row("empty", "", 1, 1);
        row("one rate only", "25.000", 1, 1);
        row("zero rate", "00.000 => 25.000", 1, 1);
    }
    void parseConversion()
    {
        QFETCH(QString, entry);
        int from = 0;
        int to = 0;
        ::parseConversion(entry, &from, &to);
        QTEST(from, "from");
        QTEST(to, "to");
    }

    // The entries the dialog offers after "- None -", in its order.
    void conversionsOffered()
    {
        QCOMPARE(frameRateConversions(),
                 (QStringList {"23.976 => 25.000", "24.000 => 25.000", "29.970 => 25.000", "25.000 => 23.976",
                               "25.000 => 24.000", "25.000 => 29.970"}));
    }
};

QTEST_MAIN(TestTiming)
#include "tst_timing.moc"
