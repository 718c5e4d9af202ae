// Process & Save through the real window: the pipeline's order and log, the
// header subtitle, byte-exact output of a small pair, the cancelled dialog,
// the colour controls, and the command-line tool's merge.

#include "testutil.h"

#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "subtitles/writer.h"

#include "ui_mainwindow.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using testutil::LogCapture;

namespace {

int pressOk(QDialog &dialog)
{
    auto *box = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    if (!box || !box->button(QDialogButtonBox::Ok))
        return -1;
    box->button(QDialogButtonBox::Ok)->click();
    return dialog.result();
}

// The frame-rate prompt answered with an entry of its list.
ScriptedPrompts::DialogHandler frameRate(int index)
{
    return [index](QDialog &dialog) {
        if (auto *box = dialog.findChild<QComboBox *>(QStringLiteral("comboBox")))
            box->setCurrentIndex(index);
        return pressOk(dialog);
    };
}

void add(SubtitleSet &set, int start, int end, const QString &text)
{
    Subtitle &s = set.records[size_t(set.count++)];
    s.reset();
    s.start = start;
    s.end = end;
    s.text = text;
    s.angleTags = true;
    s.normalize();
}

} // namespace

class TestProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> window;

    Ui::MainWindow &ui() { return *window->ui; }

    void loadPair()
    {
        prompts.openNames = {testutil::fixture(QStringLiteral("pair_upper.srt")),
                             testutil::fixture(QStringLiteral("pair_lower.srt"))};
        window->on_pushButton_ldupr_clicked();
        window->on_pushButton_ldlwr_clicked();
        QCOMPARE(workspace().upper.count, 10);
        QCOMPARE(workspace().lower.count, 10);
    }

    void selectSaveCoding(const QString &entry)
    {
        const int i = ui().comboBox_save->findText(entry);
        QVERIFY(i >= 0);
        ui().comboBox_save->setCurrentIndex(i);
    }

private slots:
    void init()
    {
        testutil::resetState();
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
        window = std::make_unique<MainWindow>();
    }
    void cleanup()
    {
        window.reset();
        setPrompts(nullptr);
    }

    void goldenSrt()
    {
        loadPair();
        selectSaveCoding(QStringLiteral("UTF-8"));
        const QString out = tmp.filePath(QStringLiteral("pair.srt"));
        prompts.saveNames = {out};
        LogCapture log;
        window->on_pushButton_proc_pressed();

        QCOMPARE(prompts.captions.last(), QStringLiteral("Save merged subtitles"));
        QCOMPARE(prompts.dirs.last(), QFileInfo(testutil::fixture(QString())).absolutePath());
        QCOMPARE(log.lines, (QStringList{"Up: 0 subs stretched", "Lw: 0 subs stretched", "Mx: 10 subs stretched",
                                         "Mx: 19 subs saved to pair.srt"}));
        QCOMPARE(log.levels, (QList<int>{4, 4, 4, 2}));
        QCOMPARE(testutil::readFile(out), testutil::readFile(testutil::fixture(QStringLiteral("pair_merged.srt"))));
        QCOMPARE(preferences().saveDir, tmp.path());
        QCOMPARE(prompts.dialogsRun, 0);
    }

    // Colours set with the sliders, the dot placeholder, 25 frames per second.
    void goldenSubWithColours()
    {
        loadPair();
        selectSaveCoding(QStringLiteral("UTF-8"));
        ui().checkBox_coltag->setChecked(true);
        ui().verticalSlider_RUp->setValue(0x12);
        ui().verticalSlider_GUp->setValue(0xab);
        ui().verticalSlider_BUp->setValue(0x56);
        ui().verticalSlider_BLw->setValue(0x00);
        ui().comboBox_last->setCurrentIndex(1);
        QCOMPARE(preferences().upperColor, 0x12ab56);
        QCOMPARE(preferences().lowerColor, 0xffff00);

        const QString out = tmp.filePath(QStringLiteral("pair.sub"));
        prompts.saveNames = {out};
        prompts.dialogs = {frameRate(2)};
        window->on_pushButton_proc_pressed();
        QCOMPARE(prompts.dialogsRun, 1);
        QCOMPARE(workspace().merged.frameRate, 25000);
        QCOMPARE(testutil::readFile(out), testutil::readFile(testutil::fixture(QStringLiteral("pair_merged.sub"))));
    }

    // The merge still runs: the corrections stay in the upper and lower sets
    // and the time boxes show merge times from the next selection on.
    void cancelledDialog()
    {
        const QString upper = testutil::writeFile(
            tmp.path(), QStringLiteral("up.srt"),
            "1\n00:00:01,000 --> 00:00:01,500\nA line that needs more time\n\n");
        const QString lower =
            testutil::writeFile(tmp.path(), QStringLiteral("lw.srt"), "1\n00:00:01,300 --> 00:00:04,000\nDos\n\n");
        prompts.openNames = {upper, lower};
        window->on_pushButton_ldupr_clicked();
        window->on_pushButton_ldlwr_clicked();
        const QStringList before = QDir(tmp.path()).entryList(QDir::Files);

        LogCapture log;
        window->on_pushButton_proc_pressed();

        QCOMPARE(log.lines, (QStringList{"Mx: save cancelled", "Up: 1 subs stretched", "Lw: 0 subs stretched",
                                         "Mx: 1 subs stretched", "Mx: save cancelled"}));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), before);
        QCOMPARE(workspace().upper.records[0].end, 2080); // 27 characters at 25 per second
        QVERIFY(preferences().showMergeTimes);
        // Without a file name the frames are built in MicroDVD style.
        QCOMPARE(workspace().merged.records[0].text, QStringLiteral("A line that needs more time| |Dos"));

        workspace().upper.select(0);
        QCOMPARE(ui().listWidget_tupr->item(0)->text(), QStringLiteral("00:00:01,150 --> 00:00:02,080"));
    }

    void suffixPicksFrameStyle_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("srt") << "out.srt" << "Up|<b> </b>|<b> </b>";
        QTest::newRow("SRT in capitals") << "OUT.SRT" << "Up|<b> </b>|<b> </b>";
        QTest::newRow("sub") << "out.sub" << "Up| | ";
        QTest::newRow("txt") << "out.txt" << "Up| | ";
        QTest::newRow("no suffix") << "out" << "Up| | ";
        QTest::newRow("srt only in the folder name") << "d.srt/out" << "Up| | ";
    }
    void suffixPicksFrameStyle()
    {
        QFETCH(QString, name);
        QDir(tmp.path()).mkpath(QStringLiteral("d.srt"));
        add(workspace().upper, 1000, 3000, QStringLiteral("Up"));
        prompts.saveNames = {tmp.filePath(name)};
        window->on_pushButton_proc_pressed();
        QTEST(workspace().merged.records[0].text, "text");
        QVERIFY(QFile::exists(tmp.filePath(name)));
    }

    void header_data()
    {
        QTest::addColumn<bool>("addHeader");
        QTest::addColumn<bool>("colours");
        QTest::addColumn<int>("cps");
        QTest::addColumn<QString>("text"); // empty: no header
        QTest::newRow("plain") << true << false << 25 << "Subtitles processed with|Twinscript";
        QTest::newRow("cps 10 does not stretch it") << true << false << 10 << "Subtitles processed with|Twinscript";
        QTest::newRow("coloured") << true << true << 25
                                  << "<font color=#12ab56>Subtitles processed with</font>|"
                                     "<font color=#000000>Twinscript</font>";
        QTest::newRow("switched off") << false << false << 25 << "";
    }
    void header()
    {
        QFETCH(bool, addHeader);
        QFETCH(bool, colours);
        QFETCH(int, cps);
        QFETCH(QString, text);
        preferences().addHeader = addHeader;
        preferences().upperColor = 0x12ab56;
        preferences().lowerColor = 0x000000;
        ui().checkBox_coltag->setChecked(colours);
        ui().spinBox_cps->setValue(cps);
        ui().spinBox_gap->setValue(50);
        add(workspace().upper, 1000, 9000, QStringLiteral("Up"));
        add(workspace().lower, 1000, 9000, QStringLiteral("Low"));
        SubtitleSet &merged = workspace().merged;
        merged.file.setFileName(QStringLiteral("x.srt"));
        workspace().processMerge();

        QCOMPARE(merged.count, text.isEmpty() ? 1 : 2);
        QCOMPARE(merged.records[0].end, 9000); // 2000 ms away: the gap never shortens it
        if (text.isEmpty())
            return;
        const Subtitle &h = merged.records[1];
        QCOMPARE(h.text, text);
        QCOMPARE(h.start, 11000);
        QCOMPARE(h.end, 16000);
        QCOMPARE(h.visibleLength, 35);
        QCOMPARE(h.angleTags, false);
    }

    void emptySetsWriteEmptyFile()
    {
        const QString out = tmp.filePath(QStringLiteral("empty.srt"));
        prompts.saveNames = {out};
        LogCapture log;
        window->on_pushButton_proc_pressed();
        QCOMPARE(workspace().merged.count, 0);
        QVERIFY(QFile::exists(out));
        QCOMPARE(testutil::readFile(out), QByteArray());
        QCOMPARE(log.lines.last(), QStringLiteral("Mx: 0 subs saved to empty.srt"));
    }

    void colourSliders()
    {
        Preferences &prefs = preferences();
        QSlider *r = ui().verticalSlider_RUp;
        // Off: the sliders do nothing.
        r->setValue(10);
        QCOMPARE(prefs.upperColor, 0xffffff);

        ui().checkBox_coltag->setChecked(true);
        QVERIFY(ui().label_USpl->isEnabled());
        QCOMPARE(r->value(), 255);
        QVERIFY(r->isEnabled());
        r->setValue(0);
        QCOMPARE(prefs.upperColor, 0x00ffff);
        QCOMPARE(ui().label_USpl->styleSheet(),
                 QStringLiteral("QLabel { background-color : black; color : #00ffff; font: 18pt; }"));
        ui().verticalSlider_GLw->setValue(0x0a);
        QCOMPARE(prefs.lowerColor, 0xff0aff);
        QCOMPARE(ui().label_LSpl->styleSheet(),
                 QStringLiteral("QLabel { background-color : black; color : #ff0aff; font: 18pt; }"));

        ui().checkBox_coltag->setChecked(false);
        const QString grey = QStringLiteral("QLabel { background-color : grey; color : #ffffff; font: 18pt; }");
        QCOMPARE(ui().label_USpl->styleSheet(), grey);
        QCOMPARE(ui().label_LSpl->styleSheet(), grey);
        QVERIFY(!ui().label_LSpl->isEnabled());
        const QList<QSlider *> sliders = {ui().verticalSlider_RUp, ui().verticalSlider_GUp, ui().verticalSlider_BUp,
                                          ui().verticalSlider_RLw, ui().verticalSlider_GLw, ui().verticalSlider_BLw};
        for (QSlider *s : sliders) {
            QCOMPARE(s->value(), 0);
            QVERIFY(!s->isEnabled());
        }
        QCOMPARE(prefs.upperColor, 0x00ffff);
        QCOMPARE(prefs.lowerColor, 0xff0aff);

        ui().checkBox_coltag->setChecked(true);
        const int expected[] = {0x00, 0xff, 0xff, 0xff, 0x0a, 0xff};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(sliders[i]->value(), expected[i]);
            QVERIFY(sliders[i]->isEnabled());
        }
        QCOMPARE(prefs.upperColor, 0x00ffff);
    }

    void cliMerge_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("golden");
        QTest::newRow("srt") << "pair.srt" << QStringList{"--out-coding", "UTF-8"} << "pair_merged.srt";
        QTest::newRow("sub, colours")
            << "pair.sub"
            << QStringList{"--out-coding", "UTF-8",   "--out-fps",     "25",     "--colors",    "--upper-color",
                           "12ab56",       "--lower-color", "ffff00", "--last-line", "dot"}
            << "pair_merged.sub";
    }
    void cliMerge()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, options);
        QFETCH(QString, golden);
        const QString out = tmp.filePath(name);
        QProcess cli;
        cli.start(QStringLiteral(CLI_PATH),
                  QStringList{"merge", testutil::fixture(QStringLiteral("pair_upper.srt")),
                              testutil::fixture(QStringLiteral("pair_lower.srt")), out}
                      + options);
        QVERIFY(cli.waitForFinished(60000));
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY2(err.contains(QStringLiteral("Mx: 19 subs saved to ") + name), qPrintable(err));
        QCOMPARE(testutil::readFile(out), testutil::readFile(testutil::fixture(golden)));
    }
};

QTEST_MAIN(TestProcess)
#include "tst_process.moc"
