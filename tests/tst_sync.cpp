// Rubber-band synchronization and the two primitives that move times.

#include "testutil.h"

#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using testutil::LogCapture;

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

// Subtitles of 100 ms without text, so the readability correction leaves them
// alone unless they overlap.
void fill(SubtitleSet &set, const QVector<int> &starts, int duration = 100)
{
    set.reset();
    for (int i = 0; i < starts.size(); ++i) {
        Subtitle &s = set.records[size_t(i)];
        s.start = starts[i];
        s.end = int(qBound<qint64>(intMin, qint64(starts[i]) + duration, intMax));
        s.text = QStringLiteral("s%1").arg(i);
    }
    set.count = starts.size();
}

QVector<int> startsOf(const SubtitleSet &set)
{
    QVector<int> v;
    for (int i = 0; i < set.count; ++i)
        v << set.records[size_t(i)].start;
    return v;
}

QVector<int> durationsOf(const SubtitleSet &set)
{
    QVector<int> v;
    for (int i = 0; i < set.count; ++i)
        v << set.records[size_t(i)].end - set.records[size_t(i)].start;
    return v;
}

void link(int upperRow, int lowerRow)
{
    MergeWorkspace &ws = workspace();
    ws.upper.current = upperRow;
    ws.lower.current = lowerRow;
    QVERIFY(ws.links.canAddLink());
    ws.links.addLink();
}

QByteArray srtOf(const QVector<int> &starts)
{
    QByteArray out;
    for (int i = 0; i < starts.size(); ++i) {
        const auto t = [](int ms) {
            return QStringLiteral("%1:%2:%3,%4")
                .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
                .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
                .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                .arg(ms % 1000, 3, 10, QLatin1Char('0'));
        };
        out += QStringLiteral("%1\n%2 --> %3\nline %1\n\n").arg(i + 1).arg(t(starts[i]), t(starts[i] + 500)).toUtf8();
    }
    return out;
}

} // namespace

class TestSync : public QObject
{
    Q_OBJECT

private slots:
    void init() { testutil::resetState(); }

    void shiftFrom_data()
    {
        QTest::addColumn<QVector<int>>("starts");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QVector<int>>("expected");
        QTest::newRow("whole set") << QVector<int>{0, 1000, 2000} << 0 << 1500 << QVector<int>{1500, 2500, 3500};
        QTest::newRow("from the middle") << QVector<int>{0, 1000, 2000} << 1 << -300 << QVector<int>{0, 700, 1700};
        QTest::newRow("index at count") << QVector<int>{0, 1000} << 2 << 500 << QVector<int>{0, 1000};
        QTest::newRow("zero delta") << QVector<int>{0, 1000} << 0 << 0 << QVector<int>{0, 1000};
        QTest::newRow("clamped at the top") << QVector<int>{intMax - 10} << 0 << 1000 << QVector<int>{intMax};
        QTest::newRow("clamped at the bottom") << QVector<int>{intMin + 10} << 0 << -1000 << QVector<int>{intMin};
    }
    void shiftFrom()
    {
        QFETCH(QVector<int>, starts);
        QFETCH(int, index);
        QFETCH(int, delta);
        QFETCH(QVector<int>, expected);
        SubtitleSet &set = workspace().upper;
        fill(set, starts, 0);
        set.shiftFrom(index, delta);
        QCOMPARE(startsOf(set), expected);
        for (int i = 0; i < set.count; ++i)
            QCOMPARE(set.records[size_t(i)].end, expected[i]);
    }

    void stretchRange_data()
    {
        QTest::addColumn<QVector<int>>("starts");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("oldSpan");
        QTest::addColumn<int>("newSpan");
        QTest::addColumn<QVector<int>>("expected");
        const QVector<int> four{0, 1000, 2000, 3000};
        QTest::newRow("spread, truncated") << four << 0 << 3 << 3000 << 3500 << QVector<int>{0, 1166, 2333, 3500};
        QTest::newRow("drawn together") << four << 0 << 3 << 3000 << 2000 << QVector<int>{0, 666, 1333, 2000};
        QTest::newRow("equal spans") << four << 0 << 3 << 3000 << 3000 << four;
        QTest::newRow("segment inside, tail carried")
            << QVector<int>{0, 1000, 2000, 3000, 4000} << 1 << 3 << 2000 << 4000
            << QVector<int>{0, 1000, 3000, 5000, 6000};
        // d = -1000, e = -1000 * 2000 / 3000 = -666 (toward zero), so the record moves by +334.
        QTest::newRow("negative product toward zero")
            << QVector<int>{1000, 0, 4000} << 0 << 2 << 3000 << 2000 << QVector<int>{1000, 334, 3000};
        // No span to scale: the segment stays with its anchor, last and after move.
        QTest::newRow("zero old span") << QVector<int>{500, 500, 500, 900} << 0 << 2 << 0 << 400
                                       << QVector<int>{500, 500, 900, 1300};
        QTest::newRow("zero old span, single record") << QVector<int>{700} << 0 << 0 << 0 << 250
                                                      << QVector<int>{950};
        QTest::newRow("last beyond count") << QVector<int>{0, 1000} << 0 << 5 << 1000 << 3000
                                           << QVector<int>{0, 3000};
        // The products need 64 bits and the moves 33; the results stop at the range's ends.
        QTest::newRow("extreme spread")
            << QVector<int>{intMin, 0, intMax} << 0 << 2 << 1 << intMax << QVector<int>{intMin, intMax, intMax};
        QTest::newRow("extreme negative spans")
            << QVector<int>{0, 1, 2} << 0 << 2 << -1 << intMin << QVector<int>{0, intMax, intMin + 3};
    }
    void stretchRange()
    {
        QFETCH(QVector<int>, starts);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, oldSpan);
        QFETCH(int, newSpan);
        QFETCH(QVector<int>, expected);
        SubtitleSet &set = workspace().upper;
        fill(set, starts, 0);
        set.stretchRange(first, last, oldSpan, newSpan);
        QCOMPARE(startsOf(set), expected);
        for (int i = 0; i < set.count; ++i)
            QCOMPARE(set.records[size_t(i)].end, expected[i]);
    }

    void stretchKeepsDurations()
    {
        SubtitleSet &set = workspace().upper;
        fill(set, {0, 1000, 2000, 3000}, 400);
        set.stretchRange(0, 3, 3000, 3500);
        QCOMPARE(durationsOf(set), (QVector<int>{400, 400, 400, 400}));
    }

    // Target rows 1 and 3 joined to reference subtitles at 2500 and 6500 ms.
    void syncTwoLinks()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {1000, 2000, 3000, 4000, 5000});
        fill(ws.lower, {2500, 6500});
        link(1, 0);
        link(3, 1);
        ws.upper.current = 2;
        LogCapture log;
        ws.links.SyncSub(ws.upper, ws.lower);
        QCOMPARE(startsOf(ws.upper), (QVector<int>{1500, 2500, 4500, 6500, 7500}));
        QCOMPARE(durationsOf(ws.upper), (QVector<int>{100, 100, 100, 100, 100}));
        QCOMPARE(log.lines, (QStringList{"Up: synced to Lw: 2 points", "Up: 0 subs stretched"}));
        QCOMPARE(log.levels, (QList<int>{2, 4}));
        QCOMPARE(startsOf(ws.lower), (QVector<int>{2500, 6500}));
        QCOMPARE(ws.links.count, 2);
        // The readability correction ran: merge times copied, sentinel written.
        QCOMPARE(ws.upper.records[4].mergeStart, 7500);
        QCOMPARE(ws.upper.records[5].mergeStart, 107500);
        QCOMPARE(ws.upper.current, 2);
    }

    void syncSeveralLinksLowerTarget()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {10000, 20000, 30000, 40000});
        fill(ws.lower, {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000});
        link(0, 1);
        link(2, 3);
        link(3, 7);
        LogCapture log;
        ws.links.SyncSub(ws.lower, ws.upper);
        // Each linked lower subtitle starts at its partner; the ones between spread.
        QCOMPARE(startsOf(ws.lower), (QVector<int>{9000, 10000, 20000, 30000, 32500, 35000, 37500, 40000}));
        QCOMPARE(log.lines.first(), QStringLiteral("Lw: synced to Up: 3 points"));
        QCOMPARE(startsOf(ws.upper), (QVector<int>{10000, 20000, 30000, 40000}));

        // A second run finds every link in place and moves nothing.
        ws.links.SyncSub(ws.lower, ws.upper);
        QCOMPARE(startsOf(ws.lower), (QVector<int>{9000, 10000, 20000, 30000, 32500, 35000, 37500, 40000}));
    }

    void syncOneLinkShiftsOnly()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {1000, 2000, 3000});
        fill(ws.lower, {500, 4200});
        link(2, 1);
        ws.links.SyncSub(ws.upper, ws.lower);
        QCOMPARE(startsOf(ws.upper), (QVector<int>{2200, 3200, 4200}));
    }

    void syncWithoutLinksOnlyCorrects()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {1000, 1050, 3000}); // the first overlaps the second
        LogCapture log;
        ws.links.SyncSub(ws.upper, ws.lower);
        QCOMPARE(startsOf(ws.upper), (QVector<int>{1000, 1050, 3000}));
        QCOMPARE(ws.upper.records[0].end, 1050);
        QCOMPARE(log.lines, QStringList{"Up: 0 subs stretched"});
    }

    // Two target subtitles with the same start linked to partners 1000 ms apart.
    void syncZeroSpanSegment()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {1000, 1000, 1000, 2000}, 0);
        fill(ws.lower, {3000, 4000});
        link(0, 0);
        link(2, 1);
        ws.links.SyncSub(ws.upper, ws.lower);
        QCOMPARE(startsOf(ws.upper), (QVector<int>{3000, 3000, 4000, 5000}));
    }

    void staleLinks_data()
    {
        QTest::addColumn<bool>("upperTarget");
        QTest::addColumn<int>("upperCount");
        QTest::addColumn<int>("lowerCount");
        QTest::addColumn<QStringList>("expected");
        const QString up = QStringLiteral("Up: error: sync point beyond end");
        const QString lw = QStringLiteral("Lw: error: sync point beyond end");
        QTest::newRow("reference stale") << true << 4 << 2 << QStringList{lw};
        QTest::newRow("target stale") << true << 2 << 4 << QStringList{up};
        QTest::newRow("both, upper target") << true << 2 << 2 << QStringList{lw, up};
        QTest::newRow("both, lower target") << false << 2 << 2 << QStringList{up, lw};
        QTest::newRow("lower target, reference stale") << false << 2 << 4 << QStringList{up};
    }
    void staleLinks()
    {
        QFETCH(bool, upperTarget);
        QFETCH(int, upperCount);
        QFETCH(int, lowerCount);
        QFETCH(QStringList, expected);
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {1000, 1010, 5000, 6000}, 2000);
        fill(ws.lower, {300, 400, 700, 900}, 2000);
        link(0, 0);
        link(3, 3);
        ws.upper.count = upperCount; // as after reloading a shorter file
        ws.lower.count = lowerCount;
        const QVector<int> upperBefore = startsOf(ws.upper);
        const QVector<int> lowerBefore = startsOf(ws.lower);
        LogCapture log;
        if (upperTarget)
            ws.links.SyncSub(ws.upper, ws.lower);
        else
            ws.links.SyncSub(ws.lower, ws.upper);
        QCOMPARE(log.lines, expected);
        for (int level : log.levels)
            QCOMPARE(level, 0);
        QCOMPARE(startsOf(ws.upper), upperBefore);
        QCOMPARE(startsOf(ws.lower), lowerBefore);
        // No readability correction either: the overlapping ends are untouched.
        QCOMPARE(durationsOf(ws.upper), QVector<int>(upperCount, 2000));
        QCOMPARE(durationsOf(ws.lower), QVector<int>(lowerCount, 2000));
    }

    // The distance between the partners needs 33 bits: the set moves exactly
    // as far as it can, nothing wraps.
    void syncFarApart()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {intMin + 1000, 0}, 0);
        fill(ws.lower, {intMax - 1000});
        link(0, 0);
        ws.links.SyncSub(ws.upper, ws.lower);
        QCOMPARE(startsOf(ws.upper), (QVector<int>{intMax - 1000, intMax}));
    }

    void synchronizeButtons()
    {
        QTemporaryDir dir;
        const QString upperFile = testutil::writeFile(dir.path(), "up.srt", srtOf({1000, 2000, 3000, 4000, 5000}));
        const QString lowerFile = testutil::writeFile(dir.path(), "lw.srt", srtOf({2500, 6500}));
        ScriptedPrompts scripted;
        scripted.openNames = {upperFile, lowerFile};
        setPrompts(&scripted);
        {
            MainWindow w;
            Ui::MainWindow &ui = *w.ui;
            ui.pushButton_ldupr->click();
            ui.pushButton_ldlwr->click();
            QCOMPARE(workspace().upper.count, 5);

            ui.listWidget_upr->setCurrentRow(1);
            ui.listWidget_lwr->setCurrentRow(0);
            QVERIFY(ui.pushButton_ladd->isEnabled());
            ui.pushButton_ladd->click();
            ui.listWidget_upr->setCurrentRow(3);
            ui.listWidget_lwr->setCurrentRow(1);
            ui.pushButton_ladd->click();
            QCOMPARE(ui.listWidget_lnk->count(), 2);

            ui.listWidget_upr->setCurrentRow(2);
            ui.pushButton_synu->click();
            QCOMPARE(startsOf(workspace().upper), (QVector<int>{1500, 2500, 4500, 6500, 7500}));
            QCOMPARE(ui.listWidget_tupr->item(0)->text(), QStringLiteral("00:00:04,500 --> 00:00:05,000"));
            QVERIFY(ui.listWidget_log->findItems("Up: synced to Lw: 2 points", Qt::MatchExactly).size() == 1);

            // The other button moves the lower set back onto the (now moved) upper one.
            ui.pushButton_synl->click();
            QCOMPARE(startsOf(workspace().lower), (QVector<int>{2500, 6500}));
            QVERIFY(ui.listWidget_log->findItems("Lw: synced to Up: 2 points", Qt::MatchExactly).size() == 1);
        }
        setPrompts(nullptr);
    }
};

QTEST_MAIN(TestSync)
#include "tst_sync.moc"
