// "About" and "Donate": the dialog with its text describing the program as it
// is, and the donation page the build names (none: no button).

#include "guiutil.h"
#include "testutil.h"

#include "gui/aboutdlg.h"
#include "gui/mainwindow.h"
#include "gui/prompts.h"

#include <QtTest>
#include <QtWidgets>

using namespace testutil;

class TestAbout : public QObject
{
    Q_OBJECT

    ScriptedPrompts prompts;

    static QStringList log(MainWindow &w) { return rowsOf(MainForm(&w).logList); }

private slots:
    void init()
    {
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
    }
    void cleanup() { setPrompts(nullptr); }

    // The text cannot be changed but can be selected and copied; the label
    // names the toolkit version the program was built with. OK or Escape
    // closes it, and nothing of it is left.
    void aboutDialog()
    {
        MainWindow w(nullptr);
        QString title, label, text, typedInto, copied;
        QWidget *parent = nullptr;
        bool openAfterEscape = true;
        prompts.dialogs.push_back([&](QDialog &d) {
            parent = d.parentWidget();
            title = d.windowTitle();
            label = d.findChild<QLabel *>(QStringLiteral("toolkitLabel"))->text();
            auto *edit = d.findChild<QPlainTextEdit *>(QStringLiteral("aboutText"));
            text = edit->toPlainText();
            d.show();
            edit->setFocus();
            QTest::keyClicks(edit, QStringLiteral("xyz"));
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClick(edit, Qt::Key_Return);
            typedInto = edit->toPlainText();
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
            copied = QGuiApplication::clipboard()->text();
            return closeDialog(d);
        });
        prompts.dialogs.push_back([&](QDialog &d) {
            d.show();
            QTest::keyClick(&d, Qt::Key_Escape);
            openAfterEscape = d.isVisible();
            return d.result();
        });
        MainForm(&w).aboutButton->click();
        MainForm(&w).aboutButton->click();
        QCOMPARE(prompts.dialogsRun, 2);
        QVERIFY(!openAfterEscape);
        QVERIFY(log(w).isEmpty());
        QVERIFY(w.findChildren<AboutDlg *>().isEmpty());
        QCOMPARE(parent, &w);
        QCOMPARE(title, QStringLiteral("About Twinscript"));
        QCOMPARE(label, QStringLiteral("Written in QT " QT_VERSION_STR));
        QCOMPARE(typedInto, text);
        QCOMPARE(copied, text);
        QVERIFY(text.startsWith(
            QStringLiteral("Twinscript 1.1\n\nJoining, synchronizing & merging tool for text subtitles\n")));
        // Sections in their order, the help as bullet lines, then the versions.
        QList<int> at = {0};
        for (const char *heading :
             {"SHORT DESCRIPTION", "Work flow is intended to be straightforward:", "1.) \"Load Subtitle Files\"",
              "2.) \"Synchronize\"", "3.) \"Process & Save\"", "4.) \"Donate & Exit\"", "1.1", "1.0"}) {
            at << text.indexOf(QLatin1Char('\n') + QLatin1String(heading) + QLatin1Char('\n'), at.last());
            QVERIFY2(at.last() > at.at(at.size() - 2), heading);
        }
        QVERIFY(text.mid(at[3], at[7] - at[3]).count(QStringLiteral("\n* ")) >= 15);
    }

    // The donation page is the one the build names; without one there is no
    // Donate button and nothing opens. "Twinscript" builds without one.
    void donateOpensThePageEachTimeAndChangesNothing()
    {
        const QUrl page(QStringLiteral(TWINSCRIPT_DONATE_URL));
        QCOMPARE(donationUrl(), page);
        MainWindow w(nullptr);
        w.show();
        QCOMPARE(MainForm(&w).donateButton->isVisible(), !page.isEmpty());
        prompts.openNames = {fixture(QStringLiteral("utf8_bom_crlf.srt"))};
        w.loadUpper();
        QCOMPARE(w.session().upper.count, 2);
        const QStringList before = log(w);
        for (int i = 0; i < 3; ++i)
            w.donate();
        QCOMPARE(prompts.openedUrls, page.isEmpty() ? QList<QUrl>() : (QList<QUrl> {page, page, page}));
        QCOMPARE(prompts.dialogsRun, 0);
        QCOMPARE(log(w), before);
        QCOMPARE(w.session().upper.count, 2);
    }

    // About describes the program as it is: the "More…" list, not an
    // "Add / Remove" editor, and the three formats Process & Save writes.
    void aboutDescribesTodaysProgram()
    {
        const QString text = aboutText();
        QVERIFY(!text.contains(QStringLiteral("Add / Remove")));
        QVERIFY(!text.contains(QStringLiteral("srt or sub")));
        for (const char *now : {"More\u2026", "Advanced SubStation (.ass)", "Auto Link", "Open Recent"})
            QVERIFY2(text.contains(QString::fromUtf8(now)), now);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
