// Preferences surviving a restart: every key of the store read while the main
// window is built and written when it is destroyed, "ver11" read only.

#include "testutil.h"

#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include "ui_mainwindow.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace testutil;

namespace {

const QStringList writtenKeys = {
    QStringLiteral("workdir/load"),   QStringLiteral("workdir/save"),   QStringLiteral("codecs"),
    QStringLiteral("select/codldup"), QStringLiteral("select/codldlw"), QStringLiteral("select/codsave"),
    QStringLiteral("select/fpssave"), QStringLiteral("select/fpsload"), QStringLiteral("proc/charps"),
    QStringLiteral("proc/mingap"),    QStringLiteral("proc/snap"),      QStringLiteral("proc/botlin"),
    QStringLiteral("proc/joinline"),  QStringLiteral("proc/lastline"),  QStringLiteral("color/upper"),
    QStringLiteral("color/lower"),    QStringLiteral("color/usetag")};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QString path;
    std::unique_ptr<QSettings> store;
    // No dialog may wait for a user: any that opens is cancelled.
    ScriptedPrompts prompts;

    // The store as the program holds it during a run.
    QSettings *openStore()
    {
        store.reset(new QSettings(path, QSettings::IniFormat));
        setSettingsStore(store.get());
        return store.get();
    }

    // A second view of the file, as the next start would see it.
    std::unique_ptr<QSettings> reread()
    {
        store.reset();
        return std::make_unique<QSettings>(path, QSettings::IniFormat);
    }

private slots:
    void init()
    {
        resetState();
        QVERIFY(tmp.isValid());
        store.reset();
        path = tmp.filePath(QStringLiteral("Twinscript.conf"));
        QFile::remove(path);
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
    }
    void cleanup()
    {
        setSettingsStore(nullptr);
        setPrompts(nullptr);
        store.reset();
    }

    void firstRunDefaults()
    {
        openStore();
        Preferences &p = preferences();
        {
            MainWindow w;
            QCOMPARE(p.loadDir, QStringLiteral("."));
            QCOMPARE(p.saveDir, QStringLiteral("."));
            QVERIFY(p.selectedCodecs.isEmpty());
            for (QComboBox *box : {w.ui->comboBox_loadupr, w.ui->comboBox_loadlwr, w.ui->comboBox_save}) {
                QCOMPARE(box->count(), 3);
                QCOMPARE(box->currentText(), QStringLiteral("Auto Local"));
            }
            QCOMPARE(p.loadFrameRateIndex, 0);
            QCOMPARE(p.saveFrameRateIndex, 0);
            QCOMPARE(w.ui->spinBox_cps->value(), 25);
            QCOMPARE(w.ui->spinBox_gap->value(), 0);
            QCOMPARE(w.ui->spinBox_snp->value(), 500);
            QCOMPARE(w.ui->spinBox_lin->value(), 2);
            QVERIFY(!w.ui->checkBox_join->isChecked());
            QCOMPARE(w.ui->comboBox_last->currentIndex(), 0);
            QCOMPARE(p.upperColor, 0xffffff);
            QCOMPARE(p.lowerColor, 0xffffff);
            QVERIFY(!w.ui->checkBox_coltag->isChecked());
            QVERIFY(p.addHeader);
        }
        auto s = reread();
        QStringList keys = s->allKeys();
        keys.sort();
        QStringList expected = writtenKeys;
        expected.sort();
        QCOMPARE(keys, expected);
        QCOMPARE(s->value(QStringLiteral("workdir/load")).toString(), QStringLiteral("."));
        QCOMPARE(s->value(QStringLiteral("proc/charps")).toInt(), 25);
        QCOMPARE(s->value(QStringLiteral("proc/snap")).toInt(), 500);
        QCOMPARE(s->value(QStringLiteral("color/upper")).toInt(), 0xffffff);
        QVERIFY(s->value(QStringLiteral("codecs")).toStringList().isEmpty());
    }

    void everyKeyRoundTrips()
    {
        QSettings *s = openStore();
        const QStringList codecs = {QStringLiteral("Windows-1250 (Central Europe)"), QStringLiteral("UTF-16")};
        s->setValue(QStringLiteral("workdir/load"), QStringLiteral("/films/in"));
        s->setValue(QStringLiteral("workdir/save"), QStringLiteral("/films/out"));
        s->setValue(QStringLiteral("codecs"), codecs);
        s->setValue(QStringLiteral("select/codldup"), 2);
        s->setValue(QStringLiteral("select/codldlw"), 3);
        s->setValue(QStringLiteral("select/codsave"), 1);
        s->setValue(QStringLiteral("select/fpssave"), 3);
        s->setValue(QStringLiteral("select/fpsload"), 2);
        s->setValue(QStringLiteral("proc/charps"), 17);
        s->setValue(QStringLiteral("proc/mingap"), 40);
        s->setValue(QStringLiteral("proc/snap"), 250);
        s->setValue(QStringLiteral("proc/botlin"), 4);
        s->setValue(QStringLiteral("proc/joinline"), true);
        s->setValue(QStringLiteral("proc/lastline"), 2);
        s->setValue(QStringLiteral("color/upper"), 0x12ab34);
        s->setValue(QStringLiteral("color/lower"), 0xff8000);
        s->setValue(QStringLiteral("color/usetag"), true);
        s->sync();
        QMap<QString, QVariant> before;
        for (const QString &k : writtenKeys)
            before.insert(k, s->value(k));

        Preferences &p = preferences();
        {
            MainWindow w;
            QCOMPARE(p.loadDir, QStringLiteral("/films/in"));
            QCOMPARE(p.saveDir, QStringLiteral("/films/out"));
            QCOMPARE(p.selectedCodecs, codecs);
            QCOMPARE(w.ui->comboBox_loadupr->currentText(), codecs.at(0));
            QCOMPARE(w.ui->comboBox_loadlwr->currentText(), codecs.at(1));
            QCOMPARE(w.ui->comboBox_save->currentText(), QStringLiteral("UTF-8"));
            QCOMPARE(p.saveFrameRateIndex, 3);
            QCOMPARE(p.loadFrameRateIndex, 2);
            QCOMPARE(w.ui->spinBox_cps->value(), 17);
            QCOMPARE(w.ui->spinBox_gap->value(), 40);
            QCOMPARE(w.ui->spinBox_snp->value(), 250);
            QCOMPARE(w.ui->spinBox_lin->value(), 4);
            QVERIFY(w.ui->checkBox_join->isChecked());
            QCOMPARE(w.ui->comboBox_last->currentIndex(), 2);
            QCOMPARE(p.upperColor, 0x12ab34);
            QCOMPARE(p.lowerColor, 0xff8000);
            QVERIFY(w.ui->checkBox_coltag->isChecked());
            // Nothing is written before the window goes.
            QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("proc/charps")).toInt(), 17);
        }
        auto after = reread();
        for (const QString &k : writtenKeys)
            QCOMPARE(after->value(k).toString(), before.value(k).toString());
        QCOMPARE(after->value(QStringLiteral("codecs")).toStringList(), codecs);
    }

    void changesDuringTheRunAreStored()
    {
        openStore();
        Preferences &p = preferences();
        {
            MainWindow w;
            p.selectedCodecs << QStringLiteral("KOI8-R (Cyrillic)");
            w.openCodecDialog(); // no answer queued: closed without a change
            QCOMPARE(prompts.dialogsRun, 1);
            w.ui->comboBox_save->setCurrentIndex(2);
            w.ui->spinBox_gap->setValue(25);
            w.ui->checkBox_coltag->setChecked(true);
            p.upperColor = 0x00ff00;
            p.loadDir = QStringLiteral("/a");
            p.saveFrameRateIndex = 1;
        }
        {
            resetState();
            setPrompts(&prompts);
            openStore();
            MainWindow w;
            QCOMPARE(w.ui->comboBox_save->currentText(), QStringLiteral("KOI8-R (Cyrillic)"));
            QCOMPARE(w.ui->spinBox_gap->value(), 25);
            QVERIFY(w.ui->checkBox_coltag->isChecked());
            QCOMPARE(p.upperColor, 0x00ff00);
            QCOMPARE(p.loadDir, QStringLiteral("/a"));
            QCOMPARE(p.saveFrameRateIndex, 1);
        }
    }

    void numberBoxesKeepTheirRanges_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("cps 99") << "proc/charps" << "spinBox_cps" << QVariant(99) << 50;
        QTest::newRow("cps 1") << "proc/charps" << "spinBox_cps" << QVariant(1) << 10;
        QTest::newRow("cps no number") << "proc/charps" << "spinBox_cps" << QVariant(QStringLiteral("x")) << 10;
        QTest::newRow("gap 51") << "proc/mingap" << "spinBox_gap" << QVariant(51) << 50;
        QTest::newRow("snap 5000") << "proc/snap" << "spinBox_snp" << QVariant(5000) << 1000;
        QTest::newRow("snap 0") << "proc/snap" << "spinBox_snp" << QVariant(0) << 50;
        QTest::newRow("bottom -3") << "proc/botlin" << "spinBox_lin" << QVariant(-3) << 0;
        QTest::newRow("bottom 31") << "proc/botlin" << "spinBox_lin" << QVariant(31) << 30;
    }
    void numberBoxesKeepTheirRanges()
    {
        QFETCH(QString, key);
        QFETCH(QString, box);
        QFETCH(QVariant, stored);
        QFETCH(int, shown);
        openStore()->setValue(key, stored);
        {
            MainWindow w;
            auto *spin = w.findChild<QSpinBox *>(box);
            QVERIFY(spin);
            QCOMPARE(spin->value(), shown);
        }
        QCOMPARE(reread()->value(key).toInt(), shown);
    }

    void storedSaveIndexAtAddRemoveSelectsAutoLocal()
    {
        QSettings *s = openStore();
        s->setValue(QStringLiteral("codecs"), QStringList{QStringLiteral("UTF-16")});
        s->setValue(QStringLiteral("select/codsave"), 3);
        s->setValue(QStringLiteral("select/codldup"), 9);
        {
            MainWindow w;
            QCOMPARE(w.ui->comboBox_save->currentText(), QStringLiteral("Auto Local"));
            QCOMPARE(w.ui->comboBox_loadupr->currentText(), QStringLiteral("Auto Local"));
        }
        auto after = reread();
        QCOMPARE(after->value(QStringLiteral("select/codsave")).toInt(), 0);
        QCOMPARE(after->value(QStringLiteral("select/codldup")).toInt(), 0);
    }

    void duplicateCodecGoneFromTheStore()
    {
        openStore()->setValue(QStringLiteral("codecs"),
                              QStringList{QStringLiteral("UTF-16"), QStringLiteral("UTF-32"), QStringLiteral("UTF-16")});
        {
            MainWindow w;
            QCOMPARE(w.ui->comboBox_loadupr->count(), 5);
        }
        QCOMPARE(reread()->value(QStringLiteral("codecs")).toStringList(),
                 (QStringList{QStringLiteral("UTF-16"), QStringLiteral("UTF-32")}));
    }

    void ver11IsReadAndNeverWritten_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("header");
        QTest::newRow("false") << QVariant(false) << false;
        QTest::newRow("true") << QVariant(true) << true;
        QTest::newRow("missing") << QVariant() << true;
    }
    void ver11IsReadAndNeverWritten()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, header);
        QSettings *s = openStore();
        if (stored.isValid())
            s->setValue(QStringLiteral("ver11"), stored);
        {
            MainWindow w;
            QCOMPARE(preferences().addHeader, header);
            // Whatever the run does to the field, the store keeps its own value.
            preferences().addHeader = !header;
        }
        auto after = reread();
        QCOMPARE(after->contains(QStringLiteral("ver11")), stored.isValid());
        if (stored.isValid())
            QCOMPARE(after->value(QStringLiteral("ver11")).toBool(), stored.toBool());
        // The next start still reads it.
        resetState();
        setPrompts(&prompts);
        openStore();
        MainWindow w;
        QCOMPARE(preferences().addHeader, header);
    }

    void oddStoredValuesStayUsable()
    {
        QSettings *s = openStore();
        s->setValue(QStringLiteral("proc/lastline"), 7);
        s->setValue(QStringLiteral("color/upper"), -1);
        s->setValue(QStringLiteral("color/lower"), 0x1abcdef);
        MainWindow w;
        QCOMPARE(w.ui->comboBox_last->currentIndex(), 0);
        QCOMPARE(preferences().upperColor, 0xffffff);
        QCOMPARE(preferences().lowerColor, 0xabcdef);
    }

    void noStoreReadsAndWritesNothing()
    {
        setSettingsStore(nullptr);
        {
            MainWindow w;
            QCOMPARE(w.ui->comboBox_loadupr->count(), 3);
            QCOMPARE(w.ui->spinBox_cps->value(), 25);
        }
        QVERIFY(!QFile::exists(path));
    }

    void quitStoresTheSettings()
    {
        openStore();
        int code = -1;
        {
            MainWindow w;
            w.show();
            w.ui->spinBox_cps->setValue(33);
            w.ui->comboBox_loadlwr->setCurrentIndex(1);
            QTimer::singleShot(0, &w, [&w] { QTest::mouseClick(w.ui->pushButton_quit, Qt::LeftButton); });
            // A safety net: the loop must end through "Quit", not through this.
            QTimer guard;
            guard.setSingleShot(true);
            QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(99); });
            guard.start(10000);
            code = QApplication::exec();
        }
        QCOMPARE(code, 0);
        auto after = reread();
        QCOMPARE(after->value(QStringLiteral("proc/charps")).toInt(), 33);
        QCOMPARE(after->value(QStringLiteral("select/codldlw")).toInt(), 1);
        QCOMPARE(after->value(QStringLiteral("workdir/load")).toString(), QStringLiteral("."));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
