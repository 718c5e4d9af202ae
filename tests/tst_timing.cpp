// Timing corrections: the dialog's answers and shift, stretch and frame-rate
// conversion applied to a set.

#include "testutil.h"

#include "app/actionlog.h"
#include "app/mainwindow.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "timing/timingdlg.h"

#include "ui_mainwindow.h"
#include "ui_timingdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using testutil::LogCapture;

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

void fill(SubtitleSet &set, const QVector<int> &starts, int duration = 400)
{
    set.reset();
    for (int i = 0; i < starts.size(); ++i) {
        Subtitle &s = set.records[size_t(i)];
        s.start = starts[i];
        s.end = int(qBound<qint64>(intMin, qint64(starts[i]) + duration, intMax));
        s.text = QStringLiteral("s%1").arg(i);
    }
    set.count = starts.size();
}

QVector<int> startsOf(const SubtitleSet &set)
{
    QVector<int> v;
    for (int i = 0; i < set.count; ++i)
        v << set.records[size_t(i)].start;
    return v;
}

QVector<int> endsOf(const SubtitleSet &set)
{
    QVector<int> v;
    for (int i = 0; i < set.count; ++i)
        v << set.records[size_t(i)].end;
    return v;
}

// What a user does in the dialog: fill the fields, then OK (or Cancel).
ScriptedPrompts::DialogHandler answer(double shift, double stretch, bool selected = false,
                                      const QString &conversion = QString(), bool ok = true)
{
    return [=](QDialog &d) {
        auto *shft = d.findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_shft"));
        auto *strc = d.findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_strc"));
        auto *sel = d.findChild<QCheckBox *>(QStringLiteral("checkBox_sel"));
        auto *rate = d.findChild<QComboBox *>(QStringLiteral("comboBox_frmrte"));
        auto *box = d.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        if (!shft || !strc || !sel || !rate || !box)
            return -1;
        shft->setValue(shift);
        strc->setValue(stretch);
        sel->setChecked(selected);
        if (!conversion.isEmpty())
            rate->setCurrentIndex(rate->findText(conversion));
        box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        return d.result();
    };
}

} // namespace

class TestTiming : public QObject
{
    Q_OBJECT

private:
    ScriptedPrompts scripted;

    // Runs FrameRate on the set with one scripted answer and returns the log.
    QStringList run(SubtitleSet &set, const ScriptedPrompts::DialogHandler &handler, QList<int> *levels = nullptr)
    {
        scripted.dialogs.push_back(handler);
        LogCapture log;
        FrameRate(set);
        if (levels)
            *levels = log.levels;
        return log.lines;
    }

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
        TimingDlg d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Timing Corrections"));
        QCOMPARE(d.size(), QSize(320, 240));
        for (QDoubleSpinBox *box : {d.ui->doubleSpinBox_shft, d.ui->doubleSpinBox_strc}) {
            QCOMPARE(box->decimals(), 3);
            QCOMPARE(box->minimum(), -60.0);
            QCOMPARE(box->maximum(), 60.0);
            QCOMPARE(box->singleStep(), 0.1);
            QCOMPARE(box->value(), 0.0);
        }
        QCOMPARE(d.ui->checkBox_sel->text(), QStringLiteral("Shift && stretch \nselected && following"));
        QVERIFY(!d.ui->checkBox_sel->isChecked());
        QCOMPARE(d.ui->label->text(), QStringLiteral("Shift"));
        QCOMPARE(d.ui->label_2->text(), QStringLiteral("Stretch"));
        QCOMPARE(d.ui->label_3->text(), QStringLiteral("Convert"));
        QStringList items;
        for (int i = 0; i < d.ui->comboBox_frmrte->count(); ++i)
            items << d.ui->comboBox_frmrte->itemText(i);
        QCOMPARE(items, (QStringList{"- None -", "23.976 => 25.000", "24.000 => 25.000", "29.970 => 25.000",
                                     "25.000 => 23.976", "25.000 => 24.000", "25.000 => 29.970"}));
        QCOMPARE(d.ui->comboBox_frmrte->currentIndex(), 0);
        QCOMPARE(d.ui->buttonBox->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    }

    void secondsTruncated_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("ms");
        QTest::newRow("1.001") << 1.001 << 1000;
        QTest::newRow("-32.763") << -32.763 << -32762;
        QTest::newRow("0.5") << 0.5 << 500;
        QTest::newRow("-0.001") << -0.001 << -1;
        QTest::newRow("60") << 60.0 << 60000;
        QTest::newRow("beyond range") << -75.0 << -60000;
    }
    void secondsTruncated()
    {
        QFETCH(double, seconds);
        QFETCH(int, ms);
        TimingDlg d;
        QVERIFY(answer(seconds, seconds, true)(d) == QDialog::Accepted);
        QCOMPARE(d.shiftMs, ms);
        QCOMPARE(d.stretchMs, ms);
        QVERIFY(d.selectedAndFollowing);
    }

    void ratesFromEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("none") << "- None -" << 1 << 1;
        QTest::newRow("23.976 up") << "23.976 => 25.000" << 23976 << 25000;
        QTest::newRow("24 up") << "24.000 => 25.000" << 24000 << 25000;
        QTest::newRow("29.97 down") << "29.970 => 25.000" << 29970 << 25000;
        QTest::newRow("to 23.976") << "25.000 => 23.976" << 25000 << 23976;
        QTest::newRow("to 24") << "25.000 => 24.000" << 25000 << 24000;
        QTest::newRow("to 29.97") << "25.000 => 29.970" << 25000 << 29970;
    }
    void ratesFromEntry()
    {
        QFETCH(QString, entry);
        QFETCH(int, from);
        QFETCH(int, to);
        TimingDlg d;
        QCOMPARE(answer(0, 0, false, entry)(d), int(QDialog::Accepted));
        QCOMPARE(d.fromRate, from);
        QCOMPARE(d.toRate, to);
        QVERIFY(!d.selectedAndFollowing);
    }

    void shiftWholeSet()
    {
        SubtitleSet &up = workspace().upper;
        fill(up, {0, 1000, 2000});
        QCOMPARE(run(up, answer(1.5, 0)), QStringList{"Up: 1500 ms shifted"});
        QCOMPARE(startsOf(up), (QVector<int>{1500, 2500, 3500}));
        QCOMPARE(endsOf(up), (QVector<int>{1900, 2900, 3900}));
    }

    void shiftSelectedAndFollowing()
    {
        SubtitleSet &lw = workspace().lower;
        fill(lw, {0, 1000, 2000, 3000});
        lw.current = 2;
        QCOMPARE(run(lw, answer(-0.5, 0, true)), QStringList{"Lw: -500 ms shifted from #2"});
        QCOMPARE(startsOf(lw), (QVector<int>{0, 1000, 1500, 2500}));
    }

    void stretch_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("current");
        QTest::addColumn<QVector<int>>("starts");
        QTest::addColumn<QVector<int>>("expected");
        QTest::addColumn<QString>("line");
        const QVector<int> four{0, 1000, 2000, 3000};
        QTest::newRow("spread") << 1.0 << false << 2 << four << QVector<int>{0, 1333, 2666, 4000}
                                << "Up: 1000 ms stretched";
        QTest::newRow("drawn together") << -1.0 << false << 0 << four << QVector<int>{0, 666, 1333, 2000}
                                        << "Up: -1000 ms stretched";
        QTest::newRow("from the selected") << 1.0 << true << 1 << four << QVector<int>{0, 1000, 2500, 4000}
                                           << "Up: 1000 ms stretched from #1";
        QTest::newRow("single subtitle") << 1.0 << false << 0 << QVector<int>{5000} << QVector<int>{6000}
                                         << "Up: 1000 ms stretched";
        // Anchor and last start together: the ones between stay with the anchor.
        QTest::newRow("zero span") << 0.25 << false << 0 << QVector<int>{700, 700, 700} << QVector<int>{700, 700, 950}
                                   << "Up: 250 ms stretched";
    }
    void stretch()
    {
        QFETCH(double, seconds);
        QFETCH(bool, selected);
        QFETCH(int, current);
        QFETCH(QVector<int>, starts);
        QFETCH(QVector<int>, expected);
        QFETCH(QString, line);
        SubtitleSet &up = workspace().upper;
        fill(up, starts);
        up.current = current;
        QCOMPARE(run(up, answer(0, seconds, selected)), QStringList{line});
        QCOMPARE(startsOf(up), expected);
        for (int i = 0; i < up.count; ++i)
            QCOMPARE(up.records[size_t(i)].end - up.records[size_t(i)].start, 400);
    }

    // The stretch is refused, the shift and the conversion of the same run still happen.
    void cannotStretchSingleLine()
    {
        SubtitleSet &up = workspace().upper;
        fill(up, {0, 1000, 2000, 3000});
        up.current = 3;
        QList<int> levels;
        const QStringList lines = run(up, answer(1.0, 2.0, true, "25.000 => 23.976"), &levels);
        QCOMPARE(lines, (QStringList{"Up: 1000 ms shifted from #3", "Up: cannot stretch single line",
                                     "Up: converted 25000 => 23976"}));
        QCOMPARE(levels, (QList<int>{2, 0, 2}));
        QCOMPARE(startsOf(up), (QVector<int>{0, 1042, 2085, 4170}));
    }

    // Stretch sees the shifted times, the conversion the shifted and stretched ones.
    void orderShiftStretchConvert()
    {
        SubtitleSet &up = workspace().upper;
        fill(up, {0, 1000, 2000, 3000}, 0);
        QCOMPARE(run(up, answer(1.0, 1.0, false, "23.976 => 25.000")),
                 (QStringList{"Up: 1000 ms shifted", "Up: 1000 ms stretched", "Up: converted 23976 => 25000"}));
        // 1000, 2333, 3666, 5000, each times 23976 / 25000.
        QCOMPARE(startsOf(up), (QVector<int>{959, 2237, 3515, 4795}));
    }

    void conversion_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("expected");
        QTest::newRow("23.976 => 25") << "23.976 => 25.000" << 1000 << 959;
        QTest::newRow("24 => 25") << "24.000 => 25.000" << 1000 << 960;
        QTest::newRow("29.97 => 25") << "29.970 => 25.000" << 1000 << 1198;
        QTest::newRow("25 => 23.976") << "25.000 => 23.976" << 1000 << 1042;
        QTest::newRow("25 => 24") << "25.000 => 24.000" << 1000 << 1041;
        QTest::newRow("25 => 29.97") << "25.000 => 29.970" << 1000 << 834;
        QTest::newRow("an hour") << "25.000 => 23.976" << 3600000 << 3753753;
        // Negative times (after a negative shift) truncate toward zero, not down.
        QTest::newRow("negative") << "25.000 => 23.976" << -4000 << -4170;
        QTest::newRow("past the top") << "25.000 => 23.976" << intMax - 5 << intMax;
        QTest::newRow("past the bottom") << "25.000 => 23.976" << intMin + 5 << intMin;
    }
    void conversion()
    {
        QFETCH(QString, entry);
        QFETCH(int, ms);
        QFETCH(int, expected);
        SubtitleSet &up = workspace().upper;
        fill(up, {ms}, 0);
        const QStringList lines = run(up, answer(0, 0, false, entry));
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().startsWith(QStringLiteral("Up: converted ")));
        QCOMPARE(up.records[0].start, expected);
        QCOMPARE(up.records[0].end, expected);
    }

    void noneDoesNothing()
    {
        SubtitleSet &up = workspace().upper;
        fill(up, {1000, 2000});
        QCOMPARE(run(up, answer(0, 0, true, "- None -")), QStringList());
        QCOMPARE(startsOf(up), (QVector<int>{1000, 2000}));
    }

    void cancelChangesNothing()
    {
        SubtitleSet &lw = workspace().lower;
        fill(lw, {1000, 2000});
        actionLog().setScope(QStringLiteral("Up: "), QStringLiteral("SyncSub"));
        QCOMPARE(run(lw, answer(5, 5, false, "25.000 => 29.970", false)), QStringList());
        QCOMPARE(startsOf(lw), (QVector<int>{1000, 2000}));
        QCOMPARE(scripted.dialogsRun, 1);
        // The scope is set before the dialog opens, also when it is cancelled.
        QCOMPARE(actionLog().prefix, QStringLiteral("Lw: "));
        QCOMPARE(actionLog().context, QStringLiteral("FrameRate"));
    }

    void emptySetLogsNothing()
    {
        QCOMPARE(run(workspace().upper, answer(1, 1, false, "25.000 => 29.970")), QStringList());
        QCOMPARE(workspace().upper.count, 0);
    }

    void shiftClampsAtTheTop()
    {
        SubtitleSet &up = workspace().upper;
        fill(up, {intMax - 30000, intMax - 500}, 0);
        QCOMPARE(run(up, answer(60, 0)), QStringList{"Up: 60000 ms shifted"});
        QCOMPARE(startsOf(up), (QVector<int>{intMax, intMax}));
    }

    void timingButtons()
    {
        QTemporaryDir dir;
        const QString file = testutil::writeFile(
            dir.path(), "film.srt",
            "1\n00:00:01,000 --> 00:00:02,000\nOne\n\n2\n00:00:03,000 --> 00:00:04,000\nTwo\n");
        scripted.openNames = {file, file};
        MainWindow w;
        Ui::MainWindow &ui = *w.ui;
        ui.pushButton_ldupr->click();
        ui.pushButton_ldlwr->click();

        ui.listWidget_upr->setCurrentRow(1);
        scripted.dialogs.push_back(answer(1.5, 0));
        ui.pushButton_timgup->click();
        QCOMPARE(ui.listWidget_tupr->item(0)->text(), QStringLiteral("00:00:04,500 --> 00:00:05,500"));
        QCOMPARE(ui.listWidget_log->item(ui.listWidget_log->count() - 1)->text(),
                 QStringLiteral("Up: 1500 ms shifted"));
        QCOMPARE(startsOf(workspace().lower), (QVector<int>{1000, 3000}));

        ui.listWidget_lwr->setCurrentRow(0);
        scripted.dialogs.push_back(answer(0, 0, false, "25.000 => 24.000"));
        ui.pushButton_timgw->click();
        QCOMPARE(startsOf(workspace().lower), (QVector<int>{1041, 3125}));
        QCOMPARE(ui.listWidget_tlwr->item(0)->text(), QStringLiteral("00:00:01,041 --> 00:00:02,083"));
        QCOMPARE(ui.listWidget_log->item(ui.listWidget_log->count() - 1)->text(),
                 QStringLiteral("Lw: converted 25000 => 24000"));
        QCOMPARE(scripted.dialogsRun, 2);
    }
};

QTEST_MAIN(TestTiming)
#include "tst_timing.moc"
