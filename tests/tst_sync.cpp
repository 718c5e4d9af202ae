// Rubber-band synchronization and the two primitives that move times.

#include "testutil.h"

#include "app/mainwindow.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include "ui_mainwindow.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using testutil::fillStarts;
using testutil::startsOf;

namespace {

using V = QVector<int>;
constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

V durationsOf(const SubtitleSet &set)
{
    V v;
    for (int i = 0; i < set.count; ++i)
        v << set.records[size_t(i)].end - set.records[size_t(i)].start;
    return v;
}

// Links given as upper, lower, upper, lower... rows.
void link(const V &rows)
{
    MergeWorkspace &ws = workspace();
    for (int i = 0; i + 1 < rows.size(); i += 2) {
        ws.upper.current = rows[i];
        ws.lower.current = rows[i + 1];
        QVERIFY(ws.links.canAddLink());
        ws.links.addLink();
    }
}

} // namespace

class TestSync : public QObject
{
    Q_OBJECT

private slots:
    void init() { testutil::resetState(); }

    // shiftFrom and stretchRange; a row with last -1 is shiftFrom(first, newSpan).
    void moveTimes_data()
    {
        QTest::addColumn<V>("starts");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("oldSpan");
        QTest::addColumn<int>("newSpan");
        QTest::addColumn<V>("expected");
        QTest::newRow("shift whole set") << V {0, 1000, 2000} << 0 << -1 << 0 << 1500 << V {1500, 2500, 3500};
        QTest::newRow("shift from the middle") << V {0, 1000, 2000} << 1 << -1 << 0 << -300 << V {0, 700, 1700};
        QTest::newRow("shift from count") << V {0, 1000} << 2 << -1 << 0 << 500 << V {0, 1000};
        QTest::newRow("shift clamped at the top") << V {intMax - 10} << 0 << -1 << 0 << 1000 << V {intMax};
        QTest::newRow("shift clamped at the bottom") << V {intMin + 10} << 0 << -1 << 0 << -1000 << V {intMin};
        const V four {0, 1000, 2000, 3000};
        QTest::newRow("spread, truncated") << four << 0 << 3 << 3000 << 3500 << V {0, 1166, 2333, 3500};
        QTest::newRow("drawn together") << four << 0 << 3 << 3000 << 2000 << V {0, 666, 1333, 2000};
        QTest::newRow("equal spans") << four << 0 << 3 << 3000 << 3000 << four;
        QTest::newRow("segment inside, tail carried")
            << V {0, 1000, 2000, 3000, 4000} << 1 << 3 << 2000 << 4000 << V {0, 1000, 3000, 5000, 6000};
        // d = -1000, e = -1000 * 2000 / 3000 = -666 (toward zero), so the record moves by +334.
        QTest::newRow("negative product toward zero")
            << V {1000, 0, 4000} << 0 << 2 << 3000 << 2000 << V {1000, 334, 3000};
        // No span to scale: the segment stays with its anchor, last and after move.
        QTest::newRow("zero old span") << V {500, 500, 500, 900} << 0 << 2 << 0 << 400 << V {500, 500, 900, 1300};
        QTest::newRow("zero old span, single record") << V {700} << 0 << 0 << 0 << 250 << V {950};
        QTest::newRow("last beyond count") << V {0, 1000} << 0 << 5 << 1000 << 3000 << V {0, 3000};
        // The products need 64 bits and the moves 33; the results stop at the range's ends.
        QTest::newRow("extreme spread") << V {intMin, 0, intMax} << 0 << 2 << 1 << intMax << V {intMin, intMax, intMax};
        QTest::newRow("extreme negative spans") << V {0, 1, 2} << 0 << 2 << -1 << intMin << V {0, intMax, intMin + 3};
    }
    void moveTimes()
    {
        QFETCH(V, starts);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, oldSpan);
        QFETCH(int, newSpan);
        SubtitleSet &set = workspace().upper;
        fillStarts(set, starts);
        if (last < 0)
            set.shiftFrom(first, newSpan);
        else
            set.stretchRange(first, last, oldSpan, newSpan);
        QTEST(startsOf(set), "expected");
        QCOMPARE(durationsOf(set), V(set.count, 0)); // ends moved with the starts
    }

    void sync_data()
    {
        QTest::addColumn<bool>("upperTarget");
        QTest::addColumn<V>("upper");
        QTest::addColumn<V>("lower");
        QTest::addColumn<int>("duration");
        QTest::addColumn<V>("links"); // upper, lower, upper, lower... rows
        QTest::addColumn<V>("expected");
        QTest::addColumn<int>("points"); // -1: no "synced" line
        QTest::newRow("two links") << true << V {1000, 2000, 3000, 4000, 5000} << V {2500, 6500} << 100
                                   << V {1, 0, 3, 1} << V {1500, 2500, 4500, 6500, 7500} << 2;
        // Each linked lower subtitle starts at its partner; the ones between spread.
        QTest::newRow("three links, lower target")
            << false << V {10000, 20000, 30000, 40000} << V {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000} << 100
            << V {0, 1, 2, 3, 3, 7} << V {9000, 10000, 20000, 30000, 32500, 35000, 37500, 40000} << 3;
        QTest::newRow("one link shifts only")
            << true << V {1000, 2000, 3000} << V {500, 4200} << 100 << V {2, 1} << V {2200, 3200, 4200} << 1;
        QTest::newRow("no links: correction only")
            << true << V {1000, 1050, 3000} << V {} << 0 << V {} << V {1000, 1050, 3000} << -1;
        // Two target subtitles with the same start linked to partners 1000 ms apart.
        QTest::newRow("linked starts equal") << true << V {1000, 1000, 1000, 2000} << V {3000, 4000} << 0
                                             << V {0, 0, 2, 1} << V {3000, 3000, 4000, 5000} << 2;
        // The distance needs 33 bits: the set moves as far as it can, nothing wraps.
        QTest::newRow("partners far apart")
            << true << V {intMin + 1000, 0} << V {intMax - 1000} << 0 << V {0, 0} << V {intMax - 1000, intMax} << 1;
    }
    void sync()
    {
        QFETCH(bool, upperTarget);
        QFETCH(int, duration);
        MergeWorkspace &ws = workspace();
        QFETCH(V, upper);
        fillStarts(ws.upper, upper, duration);
        QFETCH(V, lower);
        fillStarts(ws.lower, lower, duration);
        QFETCH(V, links);
        link(links);
        SubtitleSet &target = upperTarget ? ws.upper : ws.lower;
        SubtitleSet &reference = upperTarget ? ws.lower : ws.upper;
        target.current = 1;
        const V referenceBefore = startsOf(reference);
        const int linkCount = ws.links.count;

        testutil::LogCapture log;
        ws.links.SyncSub(target, reference);
        QTEST(startsOf(target), "expected");
        QCOMPARE(durationsOf(target), V(target.count, duration));
        QCOMPARE(startsOf(reference), referenceBefore);
        QFETCH(int, points);
        const QString self = upperTarget ? QStringLiteral("Up: ") : QStringLiteral("Lw: ");
        const QString other = upperTarget ? QStringLiteral("Lw: ") : QStringLiteral("Up: ");
        QStringList lines {self + QStringLiteral("0 subs stretched")};
        if (points > 0)
            lines.prepend(QStringLiteral("%1synced to %2%3 points").arg(self, other).arg(points));
        QCOMPARE(log.lines, lines);
        QCOMPARE(log.levels, (points > 0 ? QList<int> {2, 4} : QList<int> {4}));
        QCOMPARE(ws.links.count, linkCount);
        QCOMPARE(target.current, 1);
        // The readability correction ran on the moved times.
        for (int i = 0; i < target.count; ++i)
            QCOMPARE(target.records[size_t(i)].mergeStart, target.records[size_t(i)].start);

        // A second run finds every link in place and moves nothing.
        ws.links.SyncSub(target, reference);
        QTEST(startsOf(target), "expected");
    }

    void staleLinks_data()
    {
        QTest::addColumn<bool>("upperTarget");
        QTest::addColumn<int>("upperCount");
        QTest::addColumn<int>("lowerCount");
        QTest::addColumn<QStringList>("expected");
        const QString up = QStringLiteral("Up: error: sync point beyond end");
        const QString lw = QStringLiteral("Lw: error: sync point beyond end");
        QTest::newRow("reference stale") << true << 4 << 2 << QStringList {lw};
        QTest::newRow("target stale") << true << 2 << 4 << QStringList {up};
        QTest::newRow("both, upper target") << true << 2 << 2 << QStringList {lw, up};
        QTest::newRow("both, lower target") << false << 2 << 2 << QStringList {up, lw};
        QTest::newRow("lower target, reference stale") << false << 2 << 4 << QStringList {up};
    }
    void staleLinks()
    {
        QFETCH(bool, upperTarget);
        QFETCH(int, upperCount);
        QFETCH(int, lowerCount);
        MergeWorkspace &ws = workspace();
        fillStarts(ws.upper, {1000, 1010, 5000, 6000}, 2000);
        fillStarts(ws.lower, {300, 400, 700, 900}, 2000);
        link({0, 0, 3, 3});
        ws.upper.count = upperCount; // as after reloading a shorter file
        ws.lower.count = lowerCount;
        testutil::LogCapture log;
        ws.links.SyncSub(upperTarget ? ws.upper : ws.lower, upperTarget ? ws.lower : ws.upper);
        QTEST(log.lines, "expected");
        QCOMPARE(log.levels.count(0), log.lines.size());
        QCOMPARE(startsOf(ws.upper), V({1000, 1010, 5000, 6000}).mid(0, upperCount));
        QCOMPARE(startsOf(ws.lower), V({300, 400, 700, 900}).mid(0, lowerCount));
        // No readability correction either: the overlapping ends are untouched.
        QCOMPARE(durationsOf(ws.upper), V(upperCount, 2000));
        QCOMPARE(durationsOf(ws.lower), V(lowerCount, 2000));
    }

    void synchronizeButtons()
    {
        QTemporaryDir dir;
        ScriptedPrompts scripted;
        using testutil::srtBytes;
        scripted.openNames = {testutil::writeFile(dir.path(), "up.srt", srtBytes({1000, 2000, 3000, 4000, 5000})),
                              testutil::writeFile(dir.path(), "lw.srt", srtBytes({2500, 6500}))};
        setPrompts(&scripted);
        {
            MainWindow w;
            Ui::MainWindow &ui = *w.ui;
            ui.pushButton_ldupr->click();
            ui.pushButton_ldlwr->click();
            for (const auto &rows : {qMakePair(1, 0), qMakePair(3, 1)}) {
                ui.listWidget_upr->setCurrentRow(rows.first);
                ui.listWidget_lwr->setCurrentRow(rows.second);
                ui.pushButton_ladd->click();
            }
            QCOMPARE(ui.listWidget_lnk->count(), 2);

            ui.listWidget_upr->setCurrentRow(2);
            ui.pushButton_synu->click();
            QCOMPARE(startsOf(workspace().upper), (V {1500, 2500, 4500, 6500, 7500}));
            QCOMPARE(ui.listWidget_tupr->item(0)->text(), QStringLiteral("00:00:04,500 --> 00:00:05,000"));
            QVERIFY(testutil::rowTexts(*ui.listWidget_log).contains("Up: synced to Lw: 2 points"));

            // The other button moves the lower set back onto the (now moved) upper one.
            ui.pushButton_synl->click();
            QCOMPARE(startsOf(workspace().lower), (V {2500, 6500}));
            QVERIFY(testutil::rowTexts(*ui.listWidget_log).contains("Lw: synced to Up: 2 points"));
        }
        setPrompts(nullptr);
    }
};

QTEST_MAIN(TestSync)
#include "tst_sync.moc"
