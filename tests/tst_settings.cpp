// Preferences surviving a restart: every key of the store read while the main
// window is built and written when it is destroyed, "ver11" read only.

#include "testutil.h"

#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"

#include "ui_mainwindow.h"

#include <QApplication>
#include <QtTest>

#include <memory>

using namespace testutil;

namespace {

// Every key the program writes, with its first-run value.
const QVariantMap defaults
    = {{"workdir/load", "."},    {"workdir/save", "."}, {"codecs", QStringList()}, {"select/codldup", 0},
       {"select/codldlw", 0},    {"select/codsave", 0}, {"select/fpssave", 0},     {"select/fpsload", 0},
       {"proc/charps", 25},      {"proc/mingap", 0},    {"proc/snap", 500},        {"proc/botlin", 2},
       {"proc/joinline", false}, {"proc/lastline", 0},  {"color/upper", 0xffffff}, {"color/lower", 0xffffff},
       {"color/usetag", false}};

// What the running program holds, by the key it is stored under.
QVariantMap held()
{
    const Preferences &p = preferences();
    return {{"workdir/load", p.loadDir},
            {"workdir/save", p.saveDir},
            {"codecs", p.selectedCodecs},
            {"select/codldup", p.comboBox_loadupr->currentIndex()},
            {"select/codldlw", p.comboBox_loadlwr->currentIndex()},
            {"select/codsave", p.comboBox_save->currentIndex()},
            {"select/fpssave", p.saveFrameRateIndex},
            {"select/fpsload", p.loadFrameRateIndex},
            {"proc/charps", p.spinBox_cps->value()},
            {"proc/mingap", p.spinBox_gap->value()},
            {"proc/snap", p.spinBox_snp->value()},
            {"proc/botlin", p.spinBox_lin->value()},
            {"proc/joinline", p.checkBox_join->isChecked()},
            {"proc/lastline", p.comboBox_last->currentIndex()},
            {"color/upper", p.upperColor},
            {"color/lower", p.lowerColor},
            {"color/usetag", p.checkBox_coltag->isChecked()}};
}

// A file holds every value as text.
QString text(const QVariant &v)
{
    return v.type() == QVariant::StringList ? v.toStringList().join(QLatin1Char('|')) : v.toString();
}

void compareValues(const QVariantMap &actual, const QVariantMap &expected)
{
    QCOMPARE(actual.keys(), expected.keys());
    for (const QString &k : expected.keys())
        QVERIFY2(text(actual[k]) == text(expected[k]),
                 qPrintable(QStringLiteral("%1: %2, expected %3").arg(k, text(actual[k]), text(expected[k]))));
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QString path;
    std::unique_ptr<QSettings> store;
    // No dialog may wait for a user: any that opens is cancelled.
    ScriptedPrompts prompts;

    // A fresh start with the store as the program holds it during a run.
    QSettings *openStore()
    {
        resetState();
        setPrompts(&prompts);
        store.reset(new QSettings(path, QSettings::IniFormat));
        setSettingsStore(store.get());
        return store.get();
    }

    // The file as the next start would see it.
    QVariantMap written()
    {
        QSettings s(path, QSettings::IniFormat);
        QVariantMap values;
        for (const QString &k : s.allKeys())
            values.insert(k, s.value(k));
        return values;
    }

private slots:
    void init()
    {
        QVERIFY(tmp.isValid());
        path = tmp.filePath(QStringLiteral("Twinscript.conf"));
        QFile::remove(path);
        prompts = ScriptedPrompts();
        resetState();
        setPrompts(&prompts);
    }
    void cleanup()
    {
        setSettingsStore(nullptr);
        setPrompts(nullptr);
        store.reset();
    }

    // What is stored is shown, kept within its control's range, and written
    // back when the window goes; nothing is written before.
    void storedValuesComeBack_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QVariantMap>("changed"); // from the defaults, as shown and written
        const QVariantMap every = {{"workdir/load", "/films/in"},
                                   {"workdir/save", "/films/out"},
                                   {"codecs", QStringList {"Windows-1250 (Central Europe)", "UTF-16"}},
                                   {"select/codldup", 2},
                                   {"select/codldlw", 3},
                                   {"select/codsave", 1},
                                   {"select/fpssave", 3},
                                   {"select/fpsload", 2},
                                   {"proc/charps", 17},
                                   {"proc/mingap", 40},
                                   {"proc/snap", 250},
                                   {"proc/botlin", 4},
                                   {"proc/joinline", true},
                                   {"proc/lastline", 2},
                                   {"color/upper", 0x12ab34},
                                   {"color/lower", 0xff8000},
                                   {"color/usetag", true}};
        QTest::newRow("first run") << QVariantMap() << QVariantMap();
        QTest::newRow("every key") << every << every;
        QTest::newRow("cps 99") << QVariantMap {{"proc/charps", 99}} << QVariantMap {{"proc/charps", 50}};
        QTest::newRow("cps 1") << QVariantMap {{"proc/charps", 1}} << QVariantMap {{"proc/charps", 10}};
        QTest::newRow("cps no number") << QVariantMap {{"proc/charps", "x"}} << QVariantMap {{"proc/charps", 10}};
        QTest::newRow("gap 51") << QVariantMap {{"proc/mingap", 51}} << QVariantMap {{"proc/mingap", 50}};
        QTest::newRow("snap 5000") << QVariantMap {{"proc/snap", 5000}} << QVariantMap {{"proc/snap", 1000}};
        QTest::newRow("snap 0") << QVariantMap {{"proc/snap", 0}} << QVariantMap {{"proc/snap", 50}};
        QTest::newRow("bottom -3") << QVariantMap {{"proc/botlin", -3}} << QVariantMap {{"proc/botlin", 0}};
        QTest::newRow("bottom 31") << QVariantMap {{"proc/botlin", 31}} << QVariantMap {{"proc/botlin", 30}};
        QTest::newRow("coding index at and past Add / Remove")
            << QVariantMap {{"codecs", QStringList {"UTF-16"}}, {"select/codsave", 3}, {"select/codldup", 9}}
            << QVariantMap {{"codecs", QStringList {"UTF-16"}}};
        QTest::newRow("duplicate coding") << QVariantMap {{"codecs", QStringList {"UTF-16", "UTF-32", "UTF-16"}}}
                                          << QVariantMap {{"codecs", QStringList {"UTF-16", "UTF-32"}}};
        QTest::newRow("odd style and colours")
            << QVariantMap {{"proc/lastline", 7}, {"color/upper", -1}, {"color/lower", 0x1abcdef}}
            << QVariantMap {{"color/lower", 0xabcdef}};
    }
    void storedValuesComeBack()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(QVariantMap, changed);
        QVariantMap expected = defaults;
        for (auto it = changed.cbegin(); it != changed.cend(); ++it)
            expected.insert(it.key(), it.value());
        QSettings *s = openStore();
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            s->setValue(it.key(), it.value());
        s->sync();
        {
            MainWindow w;
            compareValues(held(), expected);
            QCOMPARE(written().keys(), stored.keys());
        }
        compareValues(written(), expected);
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
        if (stored.isValid())
            QSettings(path, QSettings::IniFormat).setValue(QStringLiteral("ver11"), stored);
        // Whatever a run does to the field, the store keeps its own value and
        // the next start reads it again.
        for (int run = 0; run < 2; ++run) {
            openStore();
            MainWindow w;
            QCOMPARE(preferences().addHeader, header);
            preferences().addHeader = !header;
        }
        QCOMPARE(text(written().value(QStringLiteral("ver11"))), text(stored));
    }

    void noStoreReadsAndWritesNothing()
    {
        {
            MainWindow w;
            compareValues(held(), defaults);
        }
        QVERIFY(!QFile::exists(path));
    }

    // Changes made during the run are in the file once "Quit" ends the run.
    void quitStoresTheSettings()
    {
        openStore();
        int code = -1;
        {
            MainWindow w;
            w.show();
            Preferences &p = preferences();
            p.selectedCodecs << QStringLiteral("KOI8-R (Cyrillic)");
            w.openCodecDialog(); // closed without a change: the selectors are rebuilt
            QCOMPARE(prompts.dialogsRun, 1);
            w.ui->comboBox_save->setCurrentIndex(2);
            w.ui->spinBox_cps->setValue(33);
            w.ui->checkBox_coltag->setChecked(true);
            p.upperColor = 0x00ff00;
            p.loadDir = QStringLiteral("/a");
            p.saveFrameRateIndex = 1;
            QTimer::singleShot(0, &w, [&w] { QTest::mouseClick(w.ui->pushButton_quit, Qt::LeftButton); });
            // A safety net: the loop must end through "Quit", not through this.
            QTimer::singleShot(10000, [] { QApplication::exit(99); });
            code = QApplication::exec();
        }
        QCOMPARE(code, 0);
        QVariantMap expected = defaults;
        expected.insert({{"codecs", QStringList {"KOI8-R (Cyrillic)"}},
                         {"select/codsave", 2},
                         {"proc/charps", 33},
                         {"color/usetag", true},
                         {"color/upper", 0x00ff00},
                         {"workdir/load", "/a"},
                         {"select/fpssave", 1}});
        compareValues(written(), expected);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
