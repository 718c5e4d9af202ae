// Stripping bracketed text: each kind, the order of removal, the clean-up
// afterwards and the dialog behind "Strip ()".

#include "testutil.h"

#include "app/actionlog.h"
#include "app/mainwindow.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "text/stripdlg.h"

#include "ui_mainwindow.h"
#include "ui_stripdlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using testutil::LogCapture;

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
        auto *buttons = d.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        if (!buttons)
            return -1;
        buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        return d.result();
    };
}

void fillTexts(SubtitleSet &set, const QStringList &texts, bool angleTags)
{
    set.reset();
    for (int i = 0; i < texts.size(); ++i) {
        Subtitle &s = set.records[size_t(i)];
        s.start = 1000 * i;
        s.end = 1000 * i + 500;
        s.text = texts[i];
        s.angleTags = angleTags;
    }
    set.count = texts.size();
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

    void dialogForm()
    {
        StripDlg d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Strip Text Inside Brackets"));
        QCOMPARE(d.size(), QSize(320, 240));
        QCOMPARE(d.ui->checkBox_round->text(), QStringLiteral("Strip (*) Hearing Impaired"));
        QCOMPARE(d.ui->checkBox_square->text(), QStringLiteral("Strip [*] Hearing Impaired"));
        QCOMPARE(d.ui->checkBox_curly->text(), QStringLiteral("Strip {*} SUB-Tags"));
        QCOMPARE(d.ui->checkBox_angle->text(), QStringLiteral("Strip <*> SRT-Tags"));
        for (QCheckBox *box : {d.ui->checkBox_round, d.ui->checkBox_square, d.ui->checkBox_curly, d.ui->checkBox_angle})
            QVERIFY(!box->isChecked());
        QVERIFY(d.patterns.isEmpty());
    }

    void patternsInOrder()
    {
        StripDlg d;
        QCOMPARE(tick({"angle", "round", "curly", "square"})(d), int(QDialog::Accepted));
        QCOMPARE(d.patterns, (QStringList{"\\([^\\)]*\\)", "\\[[^\\]]*\\]", "\\{[^\\}]*\\}", "<[^>]*>"}));
    }

    void strip_data()
    {
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QStringList round{"round"};
        const QStringList square{"square"};
        QTest::newRow("round, first line") << round << "(sighs)|Hello" << "Hello";
        QTest::newRow("round, after a dash") << round << "- (laughs)" << "-";
        QTest::newRow("round, end of line") << round << "Hello (x)|World" << "Hello|World";
        QTest::newRow("square, last line") << square << "Hello|[door slams]" << "Hello|";
        QTest::newRow("across a line break") << round << "He (quietly|softly) said" << "He said";
        QTest::newRow("nested") << round << "(a (b) c)" << "c)";
        QTest::newRow("unmatched opener") << round << "(abc" << "(abc";
        QTest::newRow("closer without opener") << round << "abc) d" << "abc) d";
        QTest::newRow("whole text") << square << "[MUSIC]" << "";
        QTest::newRow("angle") << QStringList{"angle"} << "<i>Hello</i>" << "Hello";
        QTest::newRow("curly") << QStringList{"curly"} << "{y:i}Hello" << "Hello";
        QTest::newRow("other kinds untouched") << round << "[a] {b} <c> (d)" << "[a] {b} <c>";
        // Round goes first whichever box was ticked first.
        QTest::newRow("order") << QStringList{"square", "round"} << "(a [b) c]" << "c]";
        QTest::newRow("none chosen still cleans") << QStringList{} << "  |  Hi   there " << "Hi there";
    }
    void strip()
    {
        QFETCH(QStringList, kinds);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        SubtitleSet &up = workspace().upper;
        fillTexts(up, {text}, true);
        scripted.dialogs.push_back(tick(kinds));
        stripBrackets(up);
        QCOMPARE(up.records[0].text, expected);
        QCOMPARE(up.records[0].start, 0);
        QCOMPARE(up.records[0].end, 500);
    }

    // The visible length is counted anew, leaving out the tags of the set's own format.
    void visibleLengthRecounted()
    {
        SubtitleSet &lw = workspace().lower;
        fillTexts(lw, {"{y:i}Hi (there)", "<i>Hi</i> (there)"}, false);
        lw.records[1].angleTags = true;
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
        fillTexts(up, {"  (a) b "}, true);
        scripted.dialogs.push_back(tick({"round"}, false));
        stripBrackets(up);
        QCOMPARE(up.records[0].text, QStringLiteral("  (a) b "));
        QCOMPARE(scripted.dialogsRun, 1);
    }

    void nothingLogged()
    {
        SubtitleSet &up = workspace().upper;
        fillTexts(up, {"(a) b", "[c]"}, true);
        actionLog().setScope(QStringLiteral("Mx: "), QStringLiteral("StackFrame"));
        LogCapture log;
        scripted.dialogs.push_back(tick({"round", "square"}));
        stripBrackets(up);
        QCOMPARE(log.lines, QStringList());
        QCOMPARE(actionLog().prefix, QStringLiteral("Mx: "));
        QCOMPARE(actionLog().context, QStringLiteral("StackFrame"));
        QCOMPARE(up.count, 2);
        QCOMPARE(up.records[1].text, QString());
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
        QCOMPARE(ui.listWidget_upr->count(), 3);
        QCOMPARE(ui.listWidget_upr->item(0)->text(), QStringLiteral("0001 Hello"));
        QCOMPARE(ui.listWidget_upr->item(1)->text(), QStringLiteral("0002 "));
        QCOMPARE(ui.listWidget_upr->item(2)->text(), QStringLiteral("0003 <i>Bye</i>"));
        QCOMPARE(ui.listWidget_upr->currentRow(), 2);
        QCOMPARE(workspace().upper.records[1].start, 3000);
        QCOMPARE(ui.listWidget_log->count(), logRows);

        scripted.dialogs.push_back(tick({"angle"}));
        ui.pushButton_strlw->click();
        QCOMPARE(ui.listWidget_lwr->item(2)->text(), QStringLiteral("0003 Bye (x)"));
        QCOMPARE(workspace().upper.records[2].text, QStringLiteral("<i>Bye</i>"));
        QCOMPARE(scripted.dialogsRun, 2);
    }
};

QTEST_MAIN(TestStrip)
#include "tst_strip.moc"
