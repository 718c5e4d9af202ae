// Process & Save through the real window: the pipeline's order and log, the
// header subtitle, byte-exact output of a small pair, the cancelled dialog,
// the colour controls, and the command-line tool's merge.

#include "testutil.h"

#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include "ui_mainwindow.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using testutil::LogCapture;

namespace {

// The frame-rate prompt answered with an entry of its list.
ScriptedPrompts::DialogHandler frameRate(int index)
{
    return [index](QDialog &dialog) {
        if (auto *box = dialog.findChild<QComboBox *>(QStringLiteral("comboBox")))
            box->setCurrentIndex(index);
        return testutil::closeDialog(dialog);
    };
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

    // The small real-looking pair, to be saved in UTF-8.
    void loadPair()
    {
        prompts.openNames = {testutil::fixture(QStringLiteral("pair_upper.srt")),
                             testutil::fixture(QStringLiteral("pair_lower.srt"))};
        window->on_pushButton_ldupr_clicked();
        window->on_pushButton_ldlwr_clicked();
        QCOMPARE(workspace().upper.count + workspace().lower.count, 20);
        ui().comboBox_save->setCurrentIndex(ui().comboBox_save->findText(QStringLiteral("UTF-8")));
        QVERIFY(ui().comboBox_save->currentIndex() >= 0);
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

    // The pair merged through the window and through the command-line tool gives
    // the byte-exact golden file. The sub row sets the colours with the sliders,
    // the dot placeholder and 25 frames per second.
    void golden_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("cliOptions");
        QTest::newRow("srt") << "pair.srt" << QStringList {"--out-coding", "UTF-8"};
        QTest::newRow("sub, colours") << "pair.sub"
                                      << QStringList {"--out-coding", "UTF-8",         "--out-fps", "25",
                                                      "--colors",     "--upper-color", "12ab56",    "--lower-color",
                                                      "ffff00",       "--last-line",   "dot"};
    }
    void golden()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, cliOptions);
        const bool sub = name.endsWith(QLatin1String(".sub"));
        const QByteArray golden = testutil::readFile(testutil::fixture(QStringLiteral("pair_merged") + name.mid(4)));
        QVERIFY(!golden.isEmpty());
        loadPair();
        if (sub) {
            ui().checkBox_coltag->setChecked(true);
            ui().verticalSlider_RUp->setValue(0x12);
            ui().verticalSlider_GUp->setValue(0xab);
            ui().verticalSlider_BUp->setValue(0x56);
            ui().verticalSlider_BLw->setValue(0x00);
            ui().comboBox_last->setCurrentIndex(1);
            prompts.dialogs = {frameRate(2)};
        }
        const QString out = tmp.filePath(name);
        prompts.saveNames = {out};
        LogCapture log;
        window->on_pushButton_proc_pressed();
        QCOMPARE(log.lines,
                 (QStringList {"Up: 0 subs stretched", "Lw: 0 subs stretched", "Mx: 10 subs stretched",
                               "Mx: 19 subs saved to " + name}));
        QCOMPARE(log.levels, (QList<int> {4, 4, 4, 2}));
        QCOMPARE(prompts.captions.last(), QStringLiteral("Save merged subtitles"));
        QCOMPARE(prompts.dirs.last(), QFileInfo(testutil::fixture(QString())).absolutePath());
        QCOMPARE(preferences().saveDir, tmp.path());
        QCOMPARE(prompts.dialogsRun, sub ? 1 : 0);
        QCOMPARE(testutil::readFile(out), golden);

        const QString cliOut = tmp.filePath(QStringLiteral("cli-") + name);
        QProcess cli;
        cli.start(QStringLiteral(CLI_PATH),
                  QStringList {"merge", testutil::fixture(QStringLiteral("pair_upper.srt")),
                               testutil::fixture(QStringLiteral("pair_lower.srt")), cliOut}
                      + cliOptions);
        QVERIFY(cli.waitForFinished(60000));
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY2(err.contains(QStringLiteral("Mx: 19 subs saved to cli-") + name), qPrintable(err));
        QCOMPARE(testutil::readFile(cliOut), golden);
    }

    // The merge still runs: the corrections stay in the upper and lower sets
    // and the time boxes show merge times from the next selection on.
    void cancelledDialog()
    {
        prompts.openNames = {testutil::writeFile(tmp.path(), "up.srt",
                                                 "1\n00:00:01,000 --> 00:00:01,500\nA line that needs more time\n\n"),
                             testutil::writeFile(tmp.path(), "lw.srt", "1\n00:00:01,300 --> 00:00:04,000\nDos\n\n")};
        window->on_pushButton_ldupr_clicked();
        window->on_pushButton_ldlwr_clicked();
        const QStringList before = QDir(tmp.path()).entryList(QDir::Files);

        LogCapture log;
        window->on_pushButton_proc_pressed();

        QCOMPARE(log.lines,
                 (QStringList {"Mx: save cancelled", "Up: 1 subs stretched", "Lw: 0 subs stretched",
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
        QTest::addColumn<QString>("text"); // of the first frame; empty: both sets empty
        QTest::newRow("srt") << "out.srt"
                             << "Up|<b> </b>|<b> </b>";
        QTest::newRow("SRT in capitals") << "OUT.SRT"
                                         << "Up|<b> </b>|<b> </b>";
        QTest::newRow("sub") << "out.sub"
                             << "Up| | ";
        QTest::newRow("txt") << "out.txt"
                             << "Up| | ";
        QTest::newRow("no suffix") << "out"
                                   << "Up| | ";
        QTest::newRow("srt only in the folder name") << "d.srt/out"
                                                     << "Up| | ";
        QTest::newRow("empty sets, empty file") << "empty.srt"
                                                << "";
    }
    void suffixPicksFrameStyle()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QDir(tmp.path()).mkpath(QStringLiteral("d.srt"));
        if (!text.isEmpty())
            testutil::addSubtitle(workspace().upper, 1000, 3000, QStringLiteral("Up"));
        prompts.saveNames = {tmp.filePath(name)};
        LogCapture log;
        window->on_pushButton_proc_pressed();
        QCOMPARE(workspace().merged.records[0].text, text);
        QCOMPARE(log.lines.last(),
                 QStringLiteral("Mx: %1 subs saved to %2").arg(text.isEmpty() ? 0 : 2).arg(QFileInfo(name).fileName()));
        QVERIFY(QFile::exists(tmp.filePath(name)));
        QCOMPARE(testutil::readFile(tmp.filePath(name)).isEmpty(), text.isEmpty());
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
        testutil::fillSet(workspace().upper, {QStringLiteral("1000/9000 Up")});
        testutil::fillSet(workspace().lower, {QStringLiteral("1000/9000 Low")});
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

    // The sliders set the colours only while colour tags are on; off, they
    // stand at 0 and the previews turn grey, and on again they show the colours.
    void colourSliders()
    {
        Preferences &prefs = preferences();
        QSlider *const sliders[] = {ui().verticalSlider_RUp, ui().verticalSlider_GUp, ui().verticalSlider_BUp,
                                    ui().verticalSlider_RLw, ui().verticalSlider_GLw, ui().verticalSlider_BLw};
        const QString sheet = QStringLiteral("QLabel { background-color : %1; color : #%2; font: 18pt; }");
        sliders[0]->setValue(10);
        QCOMPARE(prefs.upperColor, 0xffffff);
        ui().checkBox_coltag->setChecked(true);
        sliders[0]->setValue(0);
        sliders[4]->setValue(0x0a);
        QCOMPARE(prefs.upperColor, 0x00ffff);
        QCOMPARE(prefs.lowerColor, 0xff0aff);
        QCOMPARE(ui().label_USpl->styleSheet(), sheet.arg("black", "00ffff"));
        QCOMPARE(ui().label_LSpl->styleSheet(), sheet.arg("black", "ff0aff"));

        ui().checkBox_coltag->setChecked(false);
        QCOMPARE(ui().label_USpl->styleSheet(), sheet.arg("grey", "ffffff"));
        QCOMPARE(ui().label_LSpl->styleSheet(), sheet.arg("grey", "ffffff"));
        for (QSlider *s : sliders)
            QVERIFY(s->value() == 0 && !s->isEnabled());
        QCOMPARE(prefs.upperColor, 0x00ffff);
        QCOMPARE(prefs.lowerColor, 0xff0aff);

        ui().checkBox_coltag->setChecked(true);
        const int expected[] = {0x00, 0xff, 0xff, 0xff, 0x0a, 0xff};
        for (int i = 0; i < 6; ++i)
            QVERIFY(sliders[i]->value() == expected[i] && sliders[i]->isEnabled());
    }
};

QTEST_MAIN(TestProcess)
#include "tst_process.moc"
