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

namespace {

QStringList viewTexts(const QListWidget &view)
{
    QStringList texts;
    for (int i = 0; i < view.count(); ++i)
        texts << view.item(i)->text();
    return texts;
}

void addAt(int upperRow, int lowerRow)
{
    MergeWorkspace &ws = workspace();
    ws.upper.current = upperRow;
    ws.lower.current = lowerRow;
    ws.links.addLink();
}

QVector<int> column(const SubtitleSet &set)
{
    QVector<int> rows;
    for (int k = 0; k < workspace().links.count; ++k)
        rows << set.linkRows[size_t(k)];
    return rows;
}

void fillStarts(SubtitleSet &set, const QVector<int> &starts)
{
    set.reset();
    for (int i = 0; i < starts.size(); ++i) {
        set.records[size_t(i)].start = starts[i];
        set.records[size_t(i)].end = starts[i];
    }
    set.count = starts.size();
}

QByteArray srt(const QVector<int> &startSeconds)
{
    QByteArray out;
    for (int i = 0; i < startSeconds.size(); ++i)
        out += QStringLiteral("%1\n00:00:%2,000 --> 00:00:%2,500\nline %1\n\n")
                   .arg(i + 1)
                   .arg(startSeconds[i], 2, 10, QLatin1Char('0'))
                   .toUtf8();
    return out;
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

    // Links (1, 2) and (5, 9) are present, zero-based.
    void canAddLink_data()
    {
        QTest::addColumn<int>("upperRow");
        QTest::addColumn<int>("lowerRow");
        QTest::addColumn<bool>("expected");
        QTest::newRow("between") << 3 << 7 << true;
        QTest::newRow("between, lower at right neighbour") << 3 << 9 << false;
        QTest::newRow("between, lower at left neighbour") << 3 << 2 << false;
        QTest::newRow("between, lower before left") << 3 << 1 << false;
        QTest::newRow("upper already linked") << 5 << 7 << false;
        QTest::newRow("upper already linked, free lower") << 1 << 0 << false;
        QTest::newRow("before the first") << 0 << 1 << true;
        QTest::newRow("before the first, lower at it") << 0 << 2 << false;
        QTest::newRow("after the last") << 6 << 10 << true;
        QTest::newRow("after the last, lower at it") << 6 << 9 << false;
        QTest::newRow("after the last, lower crossing") << 8 << 4 << false;
    }
    void canAddLink()
    {
        QFETCH(int, upperRow);
        QFETCH(int, lowerRow);
        QFETCH(bool, expected);
        addAt(1, 2);
        addAt(5, 9);
        MergeWorkspace &ws = workspace();
        ws.upper.current = upperRow;
        ws.lower.current = lowerRow;
        QCOMPARE(ws.links.canAddLink(), expected);
    }

    void anyPairWithoutLinks()
    {
        MergeWorkspace &ws = workspace();
        for (const auto &pair : {qMakePair(0, 0), qMakePair(7, 0), qMakePair(0, 7), qMakePair(123, 45)}) {
            ws.upper.current = pair.first;
            ws.lower.current = pair.second;
            QVERIFY(ws.links.canAddLink());
        }
    }

    void insertionKeepsOrder()
    {
        addAt(1, 2);
        addAt(5, 9);
        addAt(3, 7);
        QCOMPARE(viewTexts(view), (QStringList{"0002 0003", "0004 0008", "0006 0010"}));
        QCOMPARE(column(workspace().upper), (QVector<int>{1, 3, 5}));
        QCOMPARE(column(workspace().lower), (QVector<int>{2, 7, 9}));
        addAt(0, 0);
        QCOMPARE(viewTexts(view), (QStringList{"0001 0001", "0002 0003", "0004 0008", "0006 0010"}));
    }

    void fiveDigitRows()
    {
        addAt(12344, 9999);
        QCOMPARE(viewTexts(view), QStringList{"12345 10000"});
    }

    void deleteMiddleLink()
    {
        addAt(1, 2);
        addAt(3, 7);
        addAt(5, 9);
        QListWidgetItem *first = view.item(0);
        QListWidgetItem *last = view.item(2);
        view.setCurrentRow(1);
        workspace().links.deleteLink();
        QCOMPARE(workspace().links.count, 2);
        QCOMPARE(viewTexts(view), (QStringList{"0002 0003", "0006 0010"}));
        // The remaining items are the same ones, not a rebuilt list.
        QCOMPARE(view.item(0), first);
        QCOMPARE(view.item(1), last);
        QCOMPARE(column(workspace().upper), (QVector<int>{1, 5}));
        QCOMPARE(column(workspace().lower), (QVector<int>{2, 9}));
    }

    void deleteWithoutCurrentItem()
    {
        addAt(1, 2);
        addAt(5, 9);
        view.setCurrentRow(-1);
        workspace().links.deleteLink();
        QCOMPARE(workspace().links.count, 2);
        QCOMPARE(view.count(), 2);

        workspace().links.clearLinks();
        QCOMPARE(workspace().links.count, 0);
        QCOMPARE(view.count(), 0);
        workspace().links.deleteLink();
        QCOMPARE(workspace().links.count, 0);
    }

    void fullTableTakesNoMore()
    {
        SyncLinkList &links = workspace().links;
        for (int k = 0; k < SyncLinkList::Capacity; ++k) {
            workspace().upper.linkRows[size_t(k)] = k;
            workspace().lower.linkRows[size_t(k)] = k;
        }
        links.count = SyncLinkList::Capacity;
        addAt(SyncLinkList::Capacity, SyncLinkList::Capacity);
        QCOMPARE(links.count, SyncLinkList::Capacity);
        QCOMPARE(view.count(), 0);
    }

    void selectLinkMakesRowsCurrent()
    {
        MergeWorkspace &ws = workspace();
        fillStarts(ws.upper, QVector<int>(10, 0));
        fillStarts(ws.lower, QVector<int>(20, 0));
        addAt(4, 11);
        ws.upper.current = 0;
        ws.lower.current = 0;
        ws.links.selectLink(0);
        QCOMPARE(ws.upper.current, 4);
        QCOMPARE(ws.lower.current, 11);
        ws.links.selectLink(1); // no such link
        ws.links.selectLink(-1);
        QCOMPARE(ws.upper.current, 4);
        QCOMPARE(ws.lower.current, 11);
    }

    void nearestIndex_data()
    {
        QTest::addColumn<QVector<int>>("starts");
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty set") << QVector<int>{} << 5000 << 0;
        QTest::newRow("earlier of two equal") << QVector<int>{1000, 9000, 11000, 20000} << 10000 << 1;
        QTest::newRow("exact") << QVector<int>{1000, 2000, 3000} << 3000 << 2;
        QTest::newRow("after the last") << QVector<int>{1000, 2000} << 50000 << 1;
        QTest::newRow("first at zero") << QVector<int>{0, 9900, 10000} << 10000 << 0;
        QTest::newRow("first at twice the time") << QVector<int>{20000, 10500} << 10000 << 0;
        // The scan stops at the first row that is not nearer than the best so far.
        QTest::newRow("stops early out of order") << QVector<int>{5000, 3000, 10000} << 10000 << 0;
        QTest::newRow("negative starts") << QVector<int>{-1100, -1000, 500} << -1000 << 1;
        QTest::newRow("extreme distance") << QVector<int>{std::numeric_limits<int>::max()}
                                          << std::numeric_limits<int>::min() << 0;
    }
    void nearestIndex()
    {
        QFETCH(QVector<int>, starts);
        QFETCH(int, time);
        QFETCH(int, expected);
        SubtitleSet &set = workspace().lower;
        fillStarts(set, starts);
        QCOMPARE(set.nearestIndex(time), expected);
    }

    void startOfOutsideTheSet()
    {
        SubtitleSet &set = workspace().upper;
        fillStarts(set, {4000, 5000});
        QCOMPARE(set.startOf(1), 5000);
        QCOMPARE(set.startOf(2), 0);
        QCOMPARE(set.startOf(-1), 0);
    }

    // The window: "Add Link" follows the selected rows, the buttons and the
    // double-clicks work through the real slots.
    void window()
    {
        QTemporaryDir dir;
        const QString up = testutil::writeFile(dir.path(), "up.srt", srt({1, 3, 5, 7, 10, 12}));
        const QString lw = testutil::writeFile(dir.path(), "lw.srt", srt({2, 4, 9, 11, 13, 15}));
        ScriptedPrompts scripted;
        setPrompts(&scripted);
        {
            MainWindow w;
            Ui::MainWindow &ui = *w.ui;
            QVERIFY(!ui.pushButton_ladd->isEnabled());
            scripted.openNames = {up, lw};
            ui.pushButton_ldupr->click();
            ui.pushButton_ldlwr->click();

            ui.listWidget_upr->setCurrentRow(1);
            ui.listWidget_lwr->setCurrentRow(2);
            QVERIFY(ui.pushButton_ladd->isEnabled());
            ui.pushButton_ladd->click();
            QVERIFY(!ui.pushButton_ladd->isEnabled()); // the same pair again
            ui.listWidget_upr->setCurrentRow(4);
            QVERIFY(!ui.pushButton_ladd->isEnabled()); // lower row 2 is taken by the left neighbour
            ui.listWidget_lwr->setCurrentRow(1); // would cross the first link
            QVERIFY(!ui.pushButton_ladd->isEnabled());
            ui.pushButton_ladd->click(); // disabled: nothing happens
            ui.listWidget_lwr->setCurrentRow(4);
            ui.pushButton_ladd->click();
            QCOMPARE(viewTexts(*ui.listWidget_lnk), (QStringList{"0002 0003", "0005 0005"}));

            // Following a link selects both rows in the lists.
            ui.listWidget_upr->setCurrentRow(0);
            ui.listWidget_lwr->setCurrentRow(0);
            w.on_listWidget_lnk_doubleClicked(ui.listWidget_lnk->model()->index(0, 0));
            QCOMPARE(ui.listWidget_upr->currentRow(), 1);
            QCOMPARE(ui.listWidget_lwr->currentRow(), 2);
            QCOMPARE(workspace().upper.current, 1);
            QCOMPARE(workspace().lower.current, 2);
            QVERIFY(!ui.pushButton_ladd->isEnabled());

            // Upper subtitle at 10 s: lower ones start at 9 s and 11 s, the earlier wins.
            ui.listWidget_lwr->setCurrentRow(0);
            w.on_listWidget_upr_doubleClicked(ui.listWidget_upr->model()->index(4, 0));
            QCOMPARE(ui.listWidget_lwr->currentRow(), 2);
            QCOMPARE(workspace().lower.current, 2);
            // Lower subtitle at 13 s: the upper one at 12 s.
            w.on_listWidget_lwr_doubleClicked(ui.listWidget_lwr->model()->index(4, 0));
            QCOMPARE(ui.listWidget_upr->currentRow(), 5);
            QCOMPARE(workspace().upper.current, 5);

            ui.listWidget_lnk->setCurrentRow(0);
            ui.pushButton_ldel->click();
            QCOMPARE(viewTexts(*ui.listWidget_lnk), QStringList{"0005 0005"});

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

            ui.listWidget_upr->setCurrentRow(0);
            ui.listWidget_lwr->setCurrentRow(0);
            ui.pushButton_ladd->click();
            ui.pushButton_lclr->click();
            QCOMPARE(workspace().links.count, 0);
            QCOMPARE(ui.listWidget_lnk->count(), 0);
            QVERIFY(ui.pushButton_ladd->isEnabled());
        }
        setPrompts(nullptr);
    }
};

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
