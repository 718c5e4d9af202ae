// Sync links: the rule that enables "Add Link", and the link table with the
// labels the link list shows.

#include "testutil.h"

#include "core/session.h"

#include <QtTest>

using namespace testutil;
using V = QVector<int>;

namespace {

// Links given as upper, lower, upper, lower... rows, added in that order.
void addLinks(SyncLinks &links, const V &rows)
{
    for (int i = 0; i + 1 < rows.size(); i += 2)
        links.add(rows[i], rows[i + 1]);
}

QStringList labels(const SyncLinks &links)
{
    QStringList out;
    for (int k = 0; k < links.count(); ++k)
        out << links.label(k);
    return out;
}

} // namespace

class TestLinks : public QObject
{
    Q_OBJECT

private slots:
    // Rows are zero-based; the sets hold 20 upper and 12 lower subtitles.
    void canAddLink_data()
    {
        QTest::addColumn<V>("links");
        QTest::addColumn<int>("upperRow");
        QTest::addColumn<int>("lowerRow");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<int>("conflicting"); // the link the window points at when it refuses
        const V two {1, 2, 5, 9};
        row("between", two, 3, 7, true, -1);
        row("between, lower at right neighbour", two, 3, 9, false, 1);
        row("between, lower at left neighbour", two, 3, 2, false, 0);
        row("between, lower before left", two, 3, 1, false, 0);
        row("upper already linked", two, 5, 7, false, 1);
        row("upper already linked, free lower", two, 1, 0, false, 0);
        row("before the first", two, 0, 1, true, -1);
        row("before the first, lower at it", two, 0, 2, false, 0);
        row("after the last", two, 6, 10, true, -1);
        row("after the last, lower at it", two, 6, 9, false, 1);
        row("after the last, lower crossing", two, 8, 4, false, 1);
        row("no links, first rows", V {}, 0, 0, true, -1);
        row("no links, last rows", V {}, 19, 11, true, -1);
        // Only rows that are subtitles can be linked.
        row("upper row past the set", V {}, 20, 0, false, -1);
        row("lower row past the set", V {}, 0, 12, false, -1);
        row("no upper row selected", V {}, -1, 0, false, -1);
        row("no lower row selected", V {}, 0, -1, false, -1);
        row("after the last, past the set", two, 6, 12, false, -1);
    }
    void canAddLink()
    {
        QFETCH(V, links);
        QFETCH(int, upperRow);
        QFETCH(int, lowerRow);
        QFETCH(bool, expected);
        QFETCH(int, conflicting);
        CollectingLog log;
        Session session(log);
        fillStarts(session.upper, V(20, 1000));
        fillStarts(session.lower, V(12, 1000));
        addLinks(session.links, links);
        QCOMPARE(session.canAddLink(upperRow, lowerRow), expected);
        // The table alone knows nothing of the sets: between subtitles it decides alone.
        if (upperRow >= 0 && upperRow < 20 && lowerRow >= 0 && lowerRow < 12) {
            QCOMPARE(session.links.canAdd(upperRow, lowerRow), expected);
            QCOMPARE(session.links.conflictingLink(upperRow, lowerRow), conflicting);
        }
    }

    // Links are kept in row order, whatever the order they were added in.
    void addRemoveClear()
    {
        SyncLinks links;
        addLinks(links, {1, 2, 5, 9, 3, 7});
        QCOMPARE(labels(links), (QStringList {"0002 0003", "0004 0008", "0006 0010"}));
        QCOMPARE(links.at(1).upperRow, 3);
        QCOMPARE(links.at(1).lowerRow, 7);
        links.remove(-1); // no current item: nothing
        links.remove(3);
        QCOMPARE(links.count(), 3);
        links.remove(1);
        QCOMPARE(labels(links), (QStringList {"0002 0003", "0006 0010"}));
        addLinks(links, {0, 0, 12344, 9999});
        QCOMPARE(labels(links), (QStringList {"0001 0001", "0002 0003", "0006 0010", "12345 10000"}));
        links.clear();
        QCOMPARE(links.count(), 0);
        links.remove(0);
        QCOMPARE(links.count(), 0);
    }

    void fullTableTakesNoMore()
    {
        SyncLinks links;
        for (int k = 0; k < SyncLinks::Capacity; ++k)
            links.add(k, k);
        QCOMPARE(links.count(), SyncLinks::Capacity);
        QVERIFY(links.canAdd(SyncLinks::Capacity, SyncLinks::Capacity));
        links.add(SyncLinks::Capacity, SyncLinks::Capacity);
        QCOMPARE(links.count(), SyncLinks::Capacity);
        QCOMPARE(links.label(SyncLinks::Capacity - 1), QStringLiteral("20000 20000"));
    }
};

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
