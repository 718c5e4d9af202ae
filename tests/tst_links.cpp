// Sync links: the rule that enables "Add Link", the link table and its list,
// following a link, and the jump to the nearest subtitle of the other list.

#include "testutil.h"

#include "app/mainwindow.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using testutil::rowTexts;
using V = QVector<int>;

namespace {

// Links given as upper, lower, upper, lower... rows, added in that order.
void addLinks(const V &rows)
{
    MergeWorkspace &ws = workspace();
    for (int i = 0; i + 1 < rows.size(); i += 2) {
        ws.upper.current = rows[i];
        ws.lower.current = rows[i + 1];
        ws.links.addLink();
    }
}

// The link table as upper, lower, upper, lower... rows.
V table()
{
    V rows;
    for (int k = 0; k < workspace().links.count; ++k)
        rows << workspace().upper.linkRows[size_t(k)] << workspace().lower.linkRows[size_t(k)];
    return rows;
}

} // namespace

class TestLinks : public QObject
{
    Q_OBJECT

private:
    QListWidget view;

private slots:
    void init()
    {
        testutil::resetState();
        view.clear();
        workspace().links.view = &view;
    }

    void canAddLink_data()
    {
        QTest::addColumn<V>("links");
        QTest::addColumn<int>("upperRow");
        QTest::addColumn<int>("lowerRow");
        QTest::addColumn<bool>("expected");
        const V two {1, 2, 5, 9}; // zero-based rows
        QTest::newRow("between") << two << 3 << 7 << true;
        QTest::newRow("between, lower at right neighbour") << two << 3 << 9 << false;
        QTest::newRow("between, lower at left neighbour") << two << 3 << 2 << false;
        QTest::newRow("between, lower before left") << two << 3 << 1 << false;
        QTest::newRow("upper already linked") << two << 5 << 7 << false;
        QTest::newRow("upper already linked, free lower") << two << 1 << 0 << false;
        QTest::newRow("before the first") << two << 0 << 1 << true;
        QTest::newRow("before the first, lower at it") << two << 0 << 2 << false;
        QTest::newRow("after the last") << two << 6 << 10 << true;
        QTest::newRow("after the last, lower at it") << two << 6 << 9 << false;
        QTest::newRow("after the last, lower crossing") << two << 8 << 4 << false;
        QTest::newRow("no links, first rows") << V {} << 0 << 0 << true;
        QTest::newRow("no links, any rows") << V {} << 123 << 45 << true;
    }
    void canAddLink()
    {
        QFETCH(V, links);
        QFETCH(int, upperRow);
        QFETCH(int, lowerRow);
        addLinks(links);
        workspace().upper.current = upperRow;
        workspace().lower.current = lowerRow;
        QTEST(workspace().links.canAddLink(), "expected");
    }

    // Links are kept in row order; deleting one keeps the other items as they are.
    void addDeleteClear()
    {
        addLinks({1, 2, 5, 9, 3, 7});
        QCOMPARE(rowTexts(view), (QStringList {"0002 0003", "0004 0008", "0006 0010"}));
        QCOMPARE(table(), (V {1, 2, 3, 7, 5, 9}));
        view.setCurrentRow(-1);
        workspace().links.deleteLink(); // no current item: nothing
        QCOMPARE(table(), (V {1, 2, 3, 7, 5, 9}));
        QListWidgetItem *first = view.item(0);
        QListWidgetItem *last = view.item(2);
        view.setCurrentRow(1);
        workspace().links.deleteLink();
        QCOMPARE(rowTexts(view), (QStringList {"0002 0003", "0006 0010"}));
        QCOMPARE(table(), (V {1, 2, 5, 9}));
        QCOMPARE(view.item(0), first);
        QCOMPARE(view.item(1), last);
        addLinks({0, 0, 12344, 9999});
        QCOMPARE(rowTexts(view), (QStringList {"0001 0001", "0002 0003", "0006 0010", "12345 10000"}));
        workspace().links.clearLinks();
        QCOMPARE(workspace().links.count, 0);
        QCOMPARE(view.count(), 0);
        workspace().links.deleteLink();
        QCOMPARE(workspace().links.count, 0);
    }

    void fullTableTakesNoMore()
    {
        for (int k = 0; k < SyncLinkList::Capacity; ++k)
            workspace().upper.linkRows[size_t(k)] = workspace().lower.linkRows[size_t(k)] = k;
        workspace().links.count = SyncLinkList::Capacity;
        addLinks({SyncLinkList::Capacity, SyncLinkList::Capacity});
        QCOMPARE(workspace().links.count, SyncLinkList::Capacity);
        QCOMPARE(view.count(), 0);
    }

    // Following a link is tested through the window; a link that is not there changes nothing.
    void selectMissingLink()
    {
        addLinks({4, 11}); // leaves rows 4 and 11 current
        workspace().links.selectLink(1);
        workspace().links.selectLink(-1);
        QCOMPARE(workspace().upper.current, 4);
        QCOMPARE(workspace().lower.current, 11);
    }

    void nearestIndex_data()
    {
        QTest::addColumn<V>("starts");
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty set") << V {} << 5000 << 0;
        QTest::newRow("earlier of two equal") << V {1000, 9000, 11000, 20000} << 10000 << 1;
        QTest::newRow("exact") << V {1000, 2000, 3000} << 3000 << 2;
        QTest::newRow("after the last") << V {1000, 2000} << 50000 << 1;
        QTest::newRow("first at zero") << V {0, 9900, 10000} << 10000 << 0;
        QTest::newRow("first at twice the time") << V {20000, 10500} << 10000 << 0;
        // The scan stops at the first row that is not nearer than the best so far.
        QTest::newRow("stops early out of order") << V {5000, 3000, 10000} << 10000 << 0;
        QTest::newRow("negative starts") << V {-1100, -1000, 500} << -1000 << 1;
        QTest::newRow("extreme distance")
            << V {std::numeric_limits<int>::max()} << std::numeric_limits<int>::min() << 0;
    }
    void nearestIndex()
    {
        QFETCH(V, starts);
        QFETCH(int, time);
        testutil::fillStarts(workspace().lower, starts);
        QTEST(workspace().lower.nearestIndex(time), "expected");
    }

    // The window: "Add Link" follows the selected rows, the buttons and the
    // double-clicks work through the real slots.
    void window()
    {
        QTemporaryDir dir;
        using testutil::srtBytes;
        const QString up = testutil::writeFile(dir.path(), "up.srt", srtBytes({1000, 3000, 5000, 7000, 10000, 12000}));
        const QString lw = testutil::writeFile(dir.path(), "lw.srt", srtBytes({2000, 4000, 9000, 11000, 13000, 15000}));
        ScriptedPrompts scripted;
        setPrompts(&scripted);
        {
            MainWindow w;
            Ui::MainWindow &ui = *w.ui;
            const auto select = [&ui](int upperRow, int lowerRow) {
                ui.listWidget_upr->setCurrentRow(upperRow);
                ui.listWidget_lwr->setCurrentRow(lowerRow);
            };
            QVERIFY(!ui.pushButton_ladd->isEnabled());
            scripted.openNames = {up, lw};
            ui.pushButton_ldupr->click();
            ui.pushButton_ldlwr->click();
            select(1, 2);
            QVERIFY(ui.pushButton_ladd->isEnabled());
            ui.pushButton_ladd->click();
            QVERIFY(!ui.pushButton_ladd->isEnabled()); // the same pair again
            select(4, 1); // would cross the first link
            QVERIFY(!ui.pushButton_ladd->isEnabled());
            ui.listWidget_lwr->setCurrentRow(4);
            ui.pushButton_ladd->click();
            QCOMPARE(rowTexts(*ui.listWidget_lnk), (QStringList {"0002 0003", "0005 0005"}));

            // Following a link selects both rows in the lists.
            select(0, 0);
            w.on_listWidget_lnk_doubleClicked(ui.listWidget_lnk->model()->index(0, 0));
            QCOMPARE(ui.listWidget_upr->currentRow(), 1);
            QCOMPARE(ui.listWidget_lwr->currentRow(), 2);

            // Upper subtitle at 10 s: lower ones start at 9 s and 11 s, the earlier wins.
            ui.listWidget_lwr->setCurrentRow(0);
            w.on_listWidget_upr_doubleClicked(ui.listWidget_upr->model()->index(4, 0));
            QCOMPARE(ui.listWidget_lwr->currentRow(), 2);
            // Lower subtitle at 13 s: the upper one at 12 s.
            w.on_listWidget_lwr_doubleClicked(ui.listWidget_lwr->model()->index(4, 0));
            QCOMPARE(ui.listWidget_upr->currentRow(), 5);

            ui.listWidget_lnk->setCurrentRow(0);
            ui.pushButton_ldel->click();
            QCOMPARE(rowTexts(*ui.listWidget_lnk), QStringList {"0005 0005"});

            // Reloading the same file and appending keep the links.
            scripted.openNames = {up};
            ui.pushButton_ldupr->click();
            QCOMPARE(workspace().links.count, 1);
            scripted.openNames = {lw};
            ui.checkBox_app->setChecked(true);
            ui.pushButton_ldlwr->click();
            QCOMPARE(workspace().lower.count, 12);
            QCOMPARE(workspace().links.count, 1);

            // A different file clears them.
            scripted.openNames = {lw};
            ui.pushButton_ldupr->click();
            QCOMPARE(workspace().links.count, 0);
            QCOMPARE(ui.listWidget_lnk->count(), 0);

            select(0, 0);
            ui.pushButton_ladd->click();
            QCOMPARE(ui.listWidget_lnk->count(), 1);
            ui.pushButton_lclr->click();
            QCOMPARE(workspace().links.count, 0);
            QCOMPARE(ui.listWidget_lnk->count(), 0);
        }
        setPrompts(nullptr);
    }
};

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
