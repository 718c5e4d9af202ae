// Timing corrections: the dialog's answers and shift, stretch and frame-rate
// conversion applied to a set.

#include "testutil.h"

#include "app/actionlog.h"
#include "app/mainwindow.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "timing/timingdlg.h"

#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using testutil::startsOf;

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();
const QString none = QStringLiteral("- None -");

// What a user does in the dialog: fill the fields, then OK (or Cancel).
ScriptedPrompts::DialogHandler answer(double shift, double stretch, bool selected = false,
                                      const QString &conversion = none, bool ok = true)
{
    return [=](QDialog &d) {
        auto *shft = d.findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_shft"));
        auto *strc = d.findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_strc"));
        auto *sel = d.findChild<QCheckBox *>(QStringLiteral("checkBox_sel"));
        auto *rate = d.findChild<QComboBox *>(QStringLiteral("comboBox_frmrte"));
        if (!shft || !strc || !sel || !rate || rate->findText(conversion) < 0) {
            QTest::qFail("dialog fields not found", __FILE__, __LINE__);
            return -1;
        }
        shft->setValue(shift);
        strc->setValue(stretch);
        sel->setChecked(selected);
        rate->setCurrentIndex(rate->findText(conversion));
        return testutil::closeDialog(d, ok);
    };
}

} // namespace

class TestTiming : public QObject
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

    // FrameRate on the upper set with one answer: shift, then stretch, then conversion.
    void apply_data()
    {
        QTest::addColumn<QVector<int>>("starts");
        QTest::addColumn<int>("duration");
        QTest::addColumn<int>("current");
        QTest::addColumn<double>("shift");
        QTest::addColumn<double>("stretch");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("conversion");
        QTest::addColumn<QVector<int>>("expected");
        QTest::addColumn<QStringList>("lines");
        const QVector<int> four {0, 1000, 2000, 3000};
        auto row
            = [](const char *name, const QVector<int> &starts, int duration, int current, double shift, double stretch,
                 bool selected, const QString &conversion, const QVector<int> &expected, const QStringList &lines) {
                  QTest::newRow(name) << starts << duration << current << shift << stretch << selected << conversion
                                      << expected << lines;
              };
        row("shift", {0, 1000, 2000}, 400, 1, 1.5, 0, false, none, {1500, 2500, 3500}, {"Up: 1500 ms shifted"});
        // The fields are read truncated, not rounded, and stop at 60 s.
        row("shift 1.001 s", {0}, 0, 0, 1.001, 0, false, none, {1000}, {"Up: 1000 ms shifted"});
        row("shift -32.763 s", {0}, 0, 0, -32.763, 0, false, none, {-32762}, {"Up: -32762 ms shifted"});
        row("shift -75 s", {0}, 0, 0, -75, 0, false, none, {-60000}, {"Up: -60000 ms shifted"});
        row("stretch 1.001 s", {0, 1000}, 0, 0, 0, 1.001, false, none, {0, 2000}, {"Up: 1000 ms stretched"});
        row("shift selected and following", four, 400, 2, -0.5, 0, true, none, {0, 1000, 1500, 2500},
            {"Up: -500 ms shifted from #2"});
        row("shift clamped at the top", {intMax - 30000, intMax - 500}, 0, 0, 60, 0, false, none, {intMax, intMax},
            {"Up: 60000 ms shifted"});
        row("stretch spread", four, 400, 2, 0, 1, false, none, {0, 1333, 2666, 4000}, {"Up: 1000 ms stretched"});
        row("stretch drawn together", four, 400, 0, 0, -1, false, none, {0, 666, 1333, 2000},
            {"Up: -1000 ms stretched"});
        row("stretch from the selected", four, 400, 1, 0, 1, true, none, {0, 1000, 2500, 4000},
            {"Up: 1000 ms stretched from #1"});
        row("stretch single subtitle", {5000}, 400, 0, 0, 1, false, none, {6000}, {"Up: 1000 ms stretched"});
        // Anchor and last start together: the ones between stay with the anchor.
        row("stretch zero span", {700, 700, 700}, 400, 0, 0, 0.25, false, none, {700, 700, 950},
            {"Up: 250 ms stretched"});
        // The stretch is refused, the shift and the conversion of the same run still happen.
        row("cannot stretch single line", four, 0, 3, 1, 2, true, "25.000 => 23.976", {0, 1042, 2085, 4170},
            {"Up: 1000 ms shifted from #3", "Up: cannot stretch single line", "Up: converted 25000 => 23976"});
        // Stretch sees the shifted times (1000, 2333, 3666, 5000), the conversion the stretched ones.
        row("shift, stretch, convert", four, 0, 0, 1, 1, false, "23.976 => 25.000", {959, 2237, 3515, 4795},
            {"Up: 1000 ms shifted", "Up: 1000 ms stretched", "Up: converted 23976 => 25000"});
        row("23.976 => 25", {1000}, 0, 0, 0, 0, false, "23.976 => 25.000", {959}, {"Up: converted 23976 => 25000"});
        row("24 => 25", {1000}, 0, 0, 0, 0, false, "24.000 => 25.000", {960}, {"Up: converted 24000 => 25000"});
        row("29.97 => 25", {1000}, 0, 0, 0, 0, false, "29.970 => 25.000", {1198}, {"Up: converted 29970 => 25000"});
        row("25 => 23.976", {1000}, 0, 0, 0, 0, false, "25.000 => 23.976", {1042}, {"Up: converted 25000 => 23976"});
        row("25 => 24", {1000}, 0, 0, 0, 0, false, "25.000 => 24.000", {1041}, {"Up: converted 25000 => 24000"});
        row("25 => 29.97", {1000}, 0, 0, 0, 0, false, "25.000 => 29.970", {834}, {"Up: converted 25000 => 29970"});
        row("an hour", {3600000}, 0, 0, 0, 0, false, "25.000 => 23.976", {3753753}, {"Up: converted 25000 => 23976"});
        // Negative times (after a negative shift) truncate toward zero, not down.
        row("negative", {-4000}, 0, 0, 0, 0, false, "25.000 => 23.976", {-4170}, {"Up: converted 25000 => 23976"});
        row("past the top", {intMax - 5}, 0, 0, 0, 0, false, "25.000 => 23.976", {intMax},
            {"Up: converted 25000 => 23976"});
        row("past the bottom", {intMin + 5}, 0, 0, 0, 0, false, "25.000 => 23.976", {intMin},
            {"Up: converted 25000 => 23976"});
        row("nothing chosen", {1000, 2000}, 400, 0, 0, 0, true, none, {1000, 2000}, {});
        row("empty set", {}, 400, 0, 1, 1, false, "25.000 => 29.970", {}, {});
    }
    void apply()
    {
        QFETCH(QVector<int>, starts);
        QFETCH(int, duration);
        QFETCH(double, shift);
        QFETCH(double, stretch);
        QFETCH(bool, selected);
        QFETCH(QString, conversion);
        QFETCH(int, current);
        SubtitleSet &up = workspace().upper;
        testutil::fillStarts(up, starts, duration);
        up.current = current;
        scripted.dialogs.push_back(answer(shift, stretch, selected, conversion));
        testutil::LogCapture log;
        FrameRate(up);
        QTEST(log.lines, "lines");
        for (int i = 0; i < log.lines.size(); ++i)
            QCOMPARE(log.levels[i], log.lines[i].contains(QStringLiteral("cannot")) ? 0 : 2);
        QTEST(startsOf(up), "expected");
        for (int i = 0; i < up.count; ++i)
            QCOMPARE(up.records[size_t(i)].end - up.records[size_t(i)].start, duration);
    }

    void cancelChangesNothing()
    {
        SubtitleSet &lw = workspace().lower;
        testutil::fillStarts(lw, {1000, 2000});
        actionLog().setScope(QStringLiteral("Up: "), QStringLiteral("SyncSub"));
        scripted.dialogs.push_back(answer(5, 5, false, "25.000 => 29.970", false));
        testutil::LogCapture log;
        FrameRate(lw);
        QCOMPARE(log.lines, QStringList());
        QCOMPARE(startsOf(lw), (QVector<int> {1000, 2000}));
        QCOMPARE(scripted.dialogsRun, 1);
        // The scope is set before the dialog opens, also when it is cancelled.
        QCOMPARE(actionLog().prefix, QStringLiteral("Lw: "));
        QCOMPARE(actionLog().context, QStringLiteral("FrameRate"));
    }

    void timingButtons()
    {
        QTemporaryDir dir;
        const QString file = testutil::writeFile(dir.path(), "film.srt", testutil::srtBytes({1000, 3000}));
        scripted.openNames = {file, file};
        MainWindow w;
        Ui::MainWindow &ui = *w.ui;
        ui.pushButton_ldupr->click();
        ui.pushButton_ldlwr->click();

        ui.listWidget_upr->setCurrentRow(1);
        scripted.dialogs.push_back(answer(1.5, 0));
        ui.pushButton_timgup->click();
        QCOMPARE(ui.listWidget_tupr->item(0)->text(), QStringLiteral("00:00:04,500 --> 00:00:05,000"));
        QCOMPARE(testutil::rowTexts(*ui.listWidget_log).last(), QStringLiteral("Up: 1500 ms shifted"));
        QCOMPARE(startsOf(workspace().lower), (QVector<int> {1000, 3000}));

        ui.listWidget_lwr->setCurrentRow(0);
        scripted.dialogs.push_back(answer(0, 0, false, "25.000 => 24.000"));
        ui.pushButton_timgw->click();
        QCOMPARE(startsOf(workspace().lower), (QVector<int> {1041, 3125}));
        QCOMPARE(ui.listWidget_tlwr->item(0)->text(), QStringLiteral("00:00:01,041 --> 00:00:01,562"));
        QCOMPARE(testutil::rowTexts(*ui.listWidget_log).last(), QStringLiteral("Lw: converted 25000 => 24000"));
    }
};

QTEST_MAIN(TestTiming)
#include "tst_timing.moc"
