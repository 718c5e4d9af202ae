// Stripping bracketed text: each kind, the order of removal, the clean-up
// afterwards and the dialog behind "Strip ()".

#include "testutil.h"

#include "app/actionlog.h"
#include "app/mainwindow.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "text/stripdlg.h"

#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Ticks the named boxes, then presses OK (or Cancel).
ScriptedPrompts::DialogHandler tick(const QStringList &boxes, bool ok = true)
{
    return [=](QDialog &d) {
        for (const QString &name : boxes) {
            auto *box = d.findChild<QCheckBox *>(QStringLiteral("checkBox_") + name);
            if (!box)
                return -1;
            box->setChecked(true);
        }
        return testutil::closeDialog(d, ok);
    };
}

} // namespace

class TestStrip : public QObject
{
    Q_OBJECT

private:
    ScriptedPrompts scripted;

private slots:
    void init()
    {
        testutil::resetState();
        scripted = ScriptedPrompts();
        setPrompts(&scripted);
    }
    void cleanup() { setPrompts(nullptr); }

    void strip_data()
    {
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QStringList round {"round"};
        const QStringList square {"square"};
        QTest::newRow("round, first line") << round << "(sighs)|Hello"
                                           << "Hello";
        QTest::newRow("round, after a dash") << round << "- (laughs)"
                                             << "-";
        QTest::newRow("round, end of line") << round << "Hello (x)|World"
                                            << "Hello|World";
        QTest::newRow("square, last line") << square << "Hello|[door slams]"
                                           << "Hello|";
        QTest::newRow("across a line break") << round << "He (quietly|softly) said"
                                             << "He said";
        QTest::newRow("nested") << round << "(a (b) c)"
                                << "c)";
        QTest::newRow("unmatched opener") << round << "(abc"
                                          << "(abc";
        QTest::newRow("closer without opener") << round << "abc) d"
                                               << "abc) d";
        QTest::newRow("whole text, subtitle kept") << square << "[MUSIC]"
                                                   << "";
        QTest::newRow("angle") << QStringList {"angle"} << "<i>Hello</i>"
                               << "Hello";
        QTest::newRow("curly") << QStringList {"curly"} << "{y:i}Hello"
                               << "Hello";
        QTest::newRow("other kinds untouched") << round << "[a] {b} <c> (d)"
                                               << "[a] {b} <c>";
        // Round goes first whichever box was ticked first.
        QTest::newRow("order") << QStringList {"square", "round"} << "(a [b) c]"
                               << "c]";
        QTest::newRow("none chosen still cleans") << QStringList {} << "  |  Hi   there "
                                                  << "Hi there";
    }
    void strip()
    {
        QFETCH(QStringList, kinds);
        QFETCH(QString, text);
        SubtitleSet &up = workspace().upper;
        testutil::addSubtitle(up, 0, 500, QString()).text = text; // as it is, not cleaned
        scripted.dialogs.push_back(tick(kinds));
        actionLog().setScope(QStringLiteral("Mx: "), QStringLiteral("StackFrame"));
        testutil::LogCapture log;
        stripBrackets(up);
        QTEST(up.records[0].text, "expected");
        QCOMPARE(up.count, 1);
        QCOMPARE(up.records[0].end, 500);
        // Nothing logged, and the log's scope left as it was.
        QCOMPARE(log.lines, QStringList());
        QCOMPARE(actionLog().prefix, QStringLiteral("Mx: "));
        QCOMPARE(actionLog().context, QStringLiteral("StackFrame"));
    }

    // The visible length is counted anew, leaving out the tags of each subtitle's own format.
    void visibleLengthRecounted()
    {
        SubtitleSet &lw = workspace().lower;
        testutil::addSubtitle(lw, 0, 500, QStringLiteral("{y:i}Hi (there)"), false);
        testutil::addSubtitle(lw, 1000, 1500, QStringLiteral("<i>Hi</i> (there)"), true);
        scripted.dialogs.push_back(tick({"round"}));
        stripBrackets(lw);
        QCOMPARE(lw.records[0].text, QStringLiteral("{y:i}Hi"));
        QCOMPARE(lw.records[0].visibleLength, 2);
        QCOMPARE(lw.records[1].text, QStringLiteral("<i>Hi</i>"));
        QCOMPARE(lw.records[1].visibleLength, 2);
    }

    void cancelChangesNothing()
    {
        SubtitleSet &up = workspace().upper;
        testutil::addSubtitle(up, 0, 500, QString()).text = QStringLiteral("  (a) b ");
        scripted.dialogs.push_back(tick({"round"}, false));
        stripBrackets(up);
        QCOMPARE(up.records[0].text, QStringLiteral("  (a) b "));
        QCOMPARE(scripted.dialogsRun, 1);
    }

    void stripButtons()
    {
        QTemporaryDir dir;
        const QString file = testutil::writeFile(
            dir.path(), "film.srt",
            "1\n00:00:01,000 --> 00:00:02,000\n(sighs)\nHello\n\n2\n00:00:03,000 --> 00:00:04,000\n[MUSIC]\n\n"
            "3\n00:00:05,000 --> 00:00:06,000\n<i>Bye</i> (x)\n");
        scripted.openNames = {file, file};
        MainWindow w;
        Ui::MainWindow &ui = *w.ui;
        ui.pushButton_ldupr->click();
        ui.pushButton_ldlwr->click();
        ui.listWidget_upr->setCurrentRow(2);
        const int logRows = ui.listWidget_log->count();

        scripted.dialogs.push_back(tick({"round", "square"}));
        ui.pushButton_strup->click();
        QCOMPARE(testutil::rowTexts(*ui.listWidget_upr), (QStringList {"0001 Hello", "0002 ", "0003 <i>Bye</i>"}));
        QCOMPARE(ui.listWidget_upr->currentRow(), 2);
        QCOMPARE(ui.listWidget_log->count(), logRows);

        scripted.dialogs.push_back(tick({"angle"}));
        ui.pushButton_strlw->click();
        QCOMPARE(ui.listWidget_lwr->item(2)->text(), QStringLiteral("0003 Bye (x)"));
        QCOMPARE(workspace().upper.records[2].text, QStringLiteral("<i>Bye</i>"));
    }
};

QTEST_MAIN(TestStrip)
#include "tst_strip.moc"
