// Rubber-band synchronization and the two primitives that move times.

#include "testutil.h"

#include "core/session.h"

#include <QtTest>

using namespace testutil;
using V = QVector<int>;

namespace {

// Links given as upper, lower, upper, lower... rows.
void link(Session &session, const V &rows)
{
    for (int i = 0; i + 1 < rows.size(); i += 2) {
        QVERIFY(session.canAddLink(rows[i], rows[i + 1]));
        session.links.add(rows[i], rows[i + 1]);
    }
}

} // namespace

class TestSync : public QObject
{
    Q_OBJECT

private slots:
    // shiftFrom and stretchRange; a row with last -1 is shiftFrom(first, newSpan).
    void moveTimes_data()
    {
        QTest::addColumn<V>("starts");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("oldSpan");
        QTest::addColumn<int>("newSpan");
        QTest::addColumn<V>("expected");
        row("shift whole set", V {0, 1000, 2000}, 0, -1, 0, 1500, V {1500, 2500, 3500});
        row("shift from the middle", V {0, 1000, 2000}, 1, -1, 0, -300, V {0, 700, 1700});
        row("shift from count", V {0, 1000}, 2, -1, 0, 500, V {0, 1000});
        row("shift clamped at the top", V {intMax - 10}, 0, -1, 0, 1000, V {intMax});
        row("shift clamped at the bottom", V {intMin + 10}, 0, -1, 0, -1000, V {intMin});
        const V four {0, 1000, 2000, 3000};
        row("spread, truncated", four, 0, 3, 3000, 3500, V {0, 1166, 2333, 3500});
        row("drawn together", four, 0, 3, 3000, 2000, V {0, 666, 1333, 2000});
        row("equal spans", four, 0, 3, 3000, 3000, four);
        row("segment inside, tail carried", V {0, 1000, 2000, 3000, 4000}, 1, 3, 2000, 4000,
            V {0, 1000, 3000, 5000, 6000});
        // d = -1000, e = -1000 * 2000 / 3000 = -666 (toward zero), so the record moves by +334.
        row("negative product toward zero", V {1000, 0, 4000}, 0, 2, 3000, 2000, V {1000, 334, 3000});
        // No span to scale: the segment stays with its anchor, last and after move.
        row("zero old span", V {500, 500, 500, 900}, 0, 2, 0, 400, V {500, 500, 900, 1300});
        row("zero old span, single record", V {700}, 0, 0, 0, 250, V {950});
        row("last beyond count", V {0, 1000}, 0, 5, 1000, 3000, V {0, 3000});
        // The products need 64 bits and the moves 33; the results stop at the range's ends.
        row("extreme spread", V {intMin, 0, intMax}, 0, 2, 1, intMax, V {intMin, intMax, intMax});
        row("extreme negative spans", V {0, 1, 2}, 0, 2, -1, intMin, V {0, intMax, intMin + 3});
    }
    void moveTimes()
    {
        QFETCH(V, starts);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, oldSpan);
        QFETCH(int, newSpan);
        SubtitleSet set(QStringLiteral("Up: "));
        fillStarts(set, starts);
        if (last < 0)
            shiftFrom(set, first, newSpan);
        else
            stretchRange(set, first, last, oldSpan, newSpan);
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
        QTest::addColumn<int>("points"); // 0: no links
        row("two links", true, V {1000, 2000, 3000, 4000, 5000}, V {2500, 6500}, 100, V {1, 0, 3, 1},
            V {1500, 2500, 4500, 6500, 7500}, 2);
        // Each linked lower subtitle starts at its partner; the ones between spread.
        row("three links, lower target", false, V {10000, 20000, 30000, 40000},
            V {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000}, 100, V {0, 1, 2, 3, 3, 7},
            V {9000, 10000, 20000, 30000, 32500, 35000, 37500, 40000}, 3);
        row("one link shifts only", true, V {1000, 2000, 3000}, V {500, 4200}, 100, V {2, 1}, V {2200, 3200, 4200}, 1);
        // Without links nothing moves, not even the overlapping ends.
        row("no links", true, V {1000, 1050, 3000}, V {}, 100, V {}, V {1000, 1050, 3000}, 0);
        row("no links, lower target", false, V {}, V {1000, 1050, 3000}, 100, V {}, V {1000, 1050, 3000}, 0);
        // Two target subtitles with the same start linked to partners 1000 ms apart.
        row("linked starts equal", true, V {1000, 1000, 1000, 2000}, V {3000, 4000}, 0, V {0, 0, 2, 1},
            V {3000, 3000, 4000, 5000}, 2);
        // The distance needs 33 bits: the set moves as far as it can, nothing wraps.
        row("partners far apart", true, V {intMin + 1000, 0}, V {intMax - 1000}, 0, V {0, 0}, V {intMax - 1000, intMax},
            1);
    }
    void sync()
    {
        QFETCH(bool, upperTarget);
        QFETCH(int, duration);
        QFETCH(V, upper);
        QFETCH(V, lower);
        QFETCH(V, links);
        CollectingLog log;
        Session session(log);
        fillStarts(session.upper, upper, duration);
        fillStarts(session.lower, lower, duration);
        link(session, links);
        SubtitleSet &target = upperTarget ? session.upper : session.lower;
        const SubtitleSet &reference = session.otherSet(target);
        const V referenceBefore = startsOf(reference);

        session.synchronize(target);
        QTEST(startsOf(target), "expected");
        QCOMPARE(durationsOf(target), V(target.count, duration));
        QCOMPARE(startsOf(reference), referenceBefore);
        QFETCH(int, points);
        const QString self = target.logPrefix;
        QCOMPARE(session.links.count(), links.size() / 2);
        if (points == 0) {
            QCOMPARE(log.lines, QStringList {self + QStringLiteral("no links to synchronize with")});
            QCOMPARE(log.levels, QList<int> {LogWarning});
            return;
        }
        QCOMPARE(log.lines,
                 (QStringList {QStringLiteral("%1synced to %2%3 points").arg(self, reference.logPrefix).arg(points),
                               self + QStringLiteral("0 subs stretched")}));
        QCOMPARE(log.levels, (QList<int> {LogInfo, LogDebug}));
        // The readability correction ran on the moved times.
        for (int i = 0; i < target.count; ++i)
            QCOMPARE(target.at(i).mergeStart, target.at(i).start);

        // A second run finds every link in place and moves nothing.
        session.synchronize(target);
        QTEST(startsOf(target), "expected");
    }

    // Links past a set's end (the same file reloaded after it got shorter
    // keeps its links) move nothing.
    // A link that Auto Link marked with a jump: the rows before the jump keep
    // the previous link's shift, the rows from it on take this link's;
    // without a mark, or with one outside the two links, the rows between
    // are spread as always.
    void jumpBetweenLinks_data()
    {
        QTest::addColumn<bool>("upperTarget");
        QTest::addColumn<int>("jumpRow");
        QTest::addColumn<V>("expected");
        // The target runs 100 ms late until the jump and 3100 ms late from it on.
        row("jump at row 2", false, 2, V {1000, 5000, 9000, 20000, 24000});
        row("no jump", false, -1, V {1000, 4454, 10500, 20000, 24000});
        row("jump on the first link", false, 0, V {1000, 4454, 10500, 20000, 24000});
        row("upper as target", true, 2, V {1000, 5000, 9000, 20000, 24000});
    }
    void jumpBetweenLinks()
    {
        QFETCH(bool, upperTarget);
        QFETCH(int, jumpRow);
        SubtitleSet reference(QStringLiteral("Up: "));
        SubtitleSet target(QStringLiteral("Lw: "));
        fillStarts(reference, V {1000, 5000, 9000, 20000, 24000}, 500);
        fillStarts(target, V {1100, 5100, 12100, 23100, 27100}, 500);
        SyncLinks links;
        SyncLinks::Link first {0, 0};
        SyncLinks::Link second {3, 3};
        (upperTarget ? second.jumpUpperRow : second.jumpLowerRow) = jumpRow;
        links.replaceAutomatic({first, second});
        CollectingLog log;
        synchronize(target, reference, upperTarget, links, 25, 0, log);
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
        row("reference stale", true, 4, 2, QStringList {lw});
        row("target stale", true, 2, 4, QStringList {up});
        row("both, upper target", true, 2, 2, QStringList {lw, up});
        row("both, lower target", false, 2, 2, QStringList {up, lw});
        row("lower target, reference stale", false, 2, 4, QStringList {up});
    }
    void staleLinks()
    {
        QFETCH(bool, upperTarget);
        QFETCH(int, upperCount);
        QFETCH(int, lowerCount);
        CollectingLog log;
        Session session(log);
        const V upper {1000, 1010, 5000, 6000};
        const V lower {300, 400, 700, 900};
        fillStarts(session.upper, upper.mid(0, upperCount), 2000);
        fillStarts(session.lower, lower.mid(0, lowerCount), 2000);
        session.links.add(0, 0);
        session.links.add(3, 3);
        session.synchronize(upperTarget ? session.upper : session.lower);
        QTEST(log.lines, "expected");
        QCOMPARE(log.levels.count(LogError), log.lines.size());
        QCOMPARE(startsOf(session.upper), upper.mid(0, upperCount));
        QCOMPARE(startsOf(session.lower), lower.mid(0, lowerCount));
        // No readability correction either: the overlapping ends are untouched.
        QCOMPARE(durationsOf(session.upper), V(upperCount, 2000));
        QCOMPARE(durationsOf(session.lower), V(lowerCount, 2000));
    }
};

QTEST_MAIN(TestSync)
#include "tst_sync.moc"
