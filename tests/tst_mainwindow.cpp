// The real main window, offscreen: its controls, the log, and loading and
// saving through the prompt seam as a user would click them.

#include "testutil.h"

#include "app/actionlog.h"
#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    ScriptedPrompts prompts;

    template<typename T> static T *find(MainWindow &w, const char *name)
    {
        T *widget = w.findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    static QStringList rows(QListWidget *list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QString srt(const QString &name, const QByteArray &content)
    {
        return testutil::writeFile(tmp.path(), name, content);
    }

private slots:
    void init()
    {
        testutil::resetState();
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
    }
    void cleanup() { setPrompts(nullptr); }

    void windowAtStart()
    {
        MainWindow w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Twinscript 1.1"));
        QVERIFY(!w.windowIcon().isNull());
        QStringList titles;
        for (const char *g : {"groupBox", "groupBox_2", "groupBox_3", "groupBox_4"})
            titles << find<QGroupBox>(w, g)->title();
        QCOMPARE(titles,
                 (QStringList {"1.) Load Subtitle Files", "2.) Synchronize", "3.) Select Processing and Save",
                               "4.) Donate and Exit"}));
        QVERIFY(!find<QPushButton>(w, "pushButton_ladd")->isEnabled());
        QCOMPARE(find<QListWidget>(w, "listWidget_log")->count(), 0);
        QCOMPARE(find<QListWidget>(w, "listWidget_log")->currentRow(), -1);

        struct Spin
        {
            const char *name;
            int min, max, value, step;
            const char *suffix;
        };
        const Spin spins[] = {{"spinBox_lin", 0, 30, 2, 1, " Bottom Lines"},
                              {"spinBox_gap", 0, 50, 0, 1, " ms Gap"},
                              {"spinBox_snp", 50, 1000, 500, 50, " ms Snap"},
                              {"spinBox_cps", 10, 50, 25, 1, " Chars/sec"}};
        for (const Spin &s : spins) {
            auto *box = find<QSpinBox>(w, s.name);
            QCOMPARE(box->minimum(), s.min);
            QCOMPARE(box->maximum(), s.max);
            QCOMPARE(box->value(), s.value);
            QCOMPARE(box->singleStep(), s.step);
            QCOMPARE(box->suffix(), QLatin1String(s.suffix));
        }
        auto *last = find<QComboBox>(w, "comboBox_last");
        QCOMPARE(last->count(), 3);
        QCOMPARE(last->itemText(2), QStringLiteral("Last is Doubled"));
        auto *coding = find<QComboBox>(w, "comboBox_loadupr");
        QCOMPARE(coding->itemText(0), QStringLiteral("Auto Local"));
        QCOMPARE(coding->itemText(1), QStringLiteral("UTF-8"));
        for (const char *s : {"verticalSlider_RUp", "verticalSlider_GUp", "verticalSlider_BUp", "verticalSlider_RLw",
                              "verticalSlider_GLw", "verticalSlider_BLw"}) {
            auto *slider = find<QSlider>(w, s);
            QCOMPARE(slider->maximum(), 255);
            QCOMPARE(slider->pageStep(), 16);
        }
    }

    void logLines()
    {
        MainWindow w;
        auto *log = find<QListWidget>(w, "listWidget_log");
        ActionLog &a = actionLog();
        a.setScope(QStringLiteral("Up: "), QStringLiteral("LoadFile"));
        a.log(0, QStringLiteral("error"));
        a.log(5, QStringLiteral("x"));
        log->setCurrentRow(0); // the user scrolls back
        a.log(2, QStringLiteral("newest"));
        QCOMPARE(rows(log), (QStringList {"Up: error", "LoadFileUp: x", "Up: newest"}));
        QCOMPARE(log->currentRow(), 2);
    }

    void loadShowsSubtitles()
    {
        MainWindow w;
        prompts.openNames.push_back(srt(QStringLiteral("film.srt"),
                                        "1\n00:00:01,000 --> 00:00:02,500\nHello\nWorld\n\n2\n"
                                        "00:01:00,000 --> 00:01:02,000\nBye\n"));
        find<QPushButton>(w, "pushButton_ldupr")->click();
        QCOMPARE(prompts.captions, QStringList {QStringLiteral("Load upper subtitles")});
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_upr")), (QStringList {"0001 Hello|World", "0002 Bye"}));
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_tupr")), QStringList {"00:00:01,000 --> 00:00:02,500"});
        QCOMPARE(find<QLabel>(w, "label_USpl")->text(), QStringLiteral("Hello|World"));
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_log")), QStringList {"Up: 2 subs loaded from film.srt"});
        QVERIFY(find<QPushButton>(w, "pushButton_ladd")->isEnabled());

        // The time box and label follow the user's row.
        find<QListWidget>(w, "listWidget_upr")->setCurrentRow(1);
        QCOMPARE(workspace().upper.current, 1);
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_tupr")), QStringList {"00:01:00,000 --> 00:01:02,000"});
        QCOMPARE(find<QLabel>(w, "label_USpl")->text(), QStringLiteral("Bye"));
    }

    void cancelledLoadKeepsSetAndUnchecksAppend()
    {
        MainWindow w;
        prompts.openNames.push_back(srt(QStringLiteral("a.srt"), "00:00:01,000 --> 00:00:02,000\nkeep\n"));
        find<QPushButton>(w, "pushButton_ldlwr")->click();
        find<QCheckBox>(w, "checkBox_app")->setChecked(true);
        find<QPushButton>(w, "pushButton_ldlwr")->click(); // no name queued: cancelled
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_log")).last(), QStringLiteral("Lw: load cancelled"));
        QVERIFY(!find<QCheckBox>(w, "checkBox_app")->isChecked());
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_lwr")), QStringList {"0001 keep"});
    }

    // A fresh load of another file clears the links; a reload or an append keeps them.
    void linksAndLoads()
    {
        MainWindow w;
        const QString a = srt(QStringLiteral("a.srt"),
                              "00:00:01,000 --> 00:00:02,000\na1\n\n"
                              "00:00:03,000 --> 00:00:04,000\na2\n");
        const QString b = srt(QStringLiteral("b.srt"), "00:00:01,000 --> 00:00:02,000\nb1\n");
        prompts.openNames = {a, a};
        find<QPushButton>(w, "pushButton_ldupr")->click();
        find<QPushButton>(w, "pushButton_ldlwr")->click();
        auto *links = find<QListWidget>(w, "listWidget_lnk");
        find<QPushButton>(w, "pushButton_ladd")->click();
        QCOMPARE(rows(links), QStringList {"0001 0001"});

        prompts.openNames = {a};
        find<QPushButton>(w, "pushButton_ldupr")->click(); // reload
        QCOMPARE(links->count(), 1);

        prompts.openNames = {b};
        find<QCheckBox>(w, "checkBox_app")->setChecked(true);
        find<QPushButton>(w, "pushButton_ldupr")->click(); // append
        QCOMPARE(links->count(), 1);
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_upr")), (QStringList {"0001 a1", "0002 a2", "0003 b1"}));
        QCOMPARE(workspace().upper.current, 2);
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_log")).last(), QStringLiteral("Up: 1 subs appended from b.srt"));

        prompts.openNames = {b};
        find<QPushButton>(w, "pushButton_ldlwr")->click(); // a different file
        QCOMPARE(links->count(), 0);
        QCOMPARE(workspace().links.count, 0);
    }

    void saveThroughTheSeam()
    {
        MainWindow w;
        prompts.openNames.push_back(srt(QStringLiteral("in.srt"), "00:00:01,000 --> 00:00:02,000\n<i>Hi</i>\n"));
        find<QPushButton>(w, "pushButton_ldlwr")->click();
        const QString out = tmp.filePath(QStringLiteral("out.sub"));
        prompts.saveNames.push_back(out);
        prompts.dialogs.push_back([](QDialog &d) {
            d.findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentIndex(2);
            return int(QDialog::Accepted);
        });
        find<QPushButton>(w, "pushButton_savlw")->click();
        QCOMPARE(prompts.captions.last(), QStringLiteral("Save lower subtitles"));
        QCOMPARE(testutil::readFile(out), QByteArray("{25}{50}{y:i}Hi\n"));
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_log")).last(), QStringLiteral("Lw: 1 subs saved to out.sub"));
    }

    void microDvdLoadAsksFrameRate()
    {
        MainWindow w;
        prompts.openNames.push_back(testutil::fixture(QStringLiteral("basic_25fps.sub")));
        prompts.dialogs.push_back([](QDialog &d) {
            if (d.windowTitle() != QLatin1String("Frame Rate required"))
                return int(QDialog::Rejected);
            d.findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentIndex(2);
            return int(QDialog::Accepted);
        });
        find<QPushButton>(w, "pushButton_ldupr")->click();
        QCOMPARE(rows(find<QListWidget>(w, "listWidget_upr")),
                 (QStringList {"0001 Hello|{y:i}world", "0002 Second", "0003 {y:b}Third"}));
        const QStringList log = rows(find<QListWidget>(w, "listWidget_log"));
        QCOMPARE(log,
                 (QStringList {"Up: sub too short#3", "Up: sub too short#4", "Up: 3 subs loaded from basic_25fps.sub",
                               "Up: 2 subs skipped"}));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
