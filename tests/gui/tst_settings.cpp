// Settings surviving a restart: every key of the store read while the window
// is built and written when it is destroyed, the coding selectors rebuilt from
// the chosen codings, "More…" choosing a coding at once, a coding choice
// stored before "Auto Detect" was offered kept as it was, the credit line
// stored under its old name, the window's size,
// and "Quit" storing them.

#include "guiutil.h"
#include "testutil.h"

#include "core/codings.h"
#include "gui/mainwindow.h"
#include "gui/prompts.h"
#include "gui/selectcodecdlg.h"

#include <QtTest>
#include <QtWidgets>

#include <climits>

using namespace testutil;

namespace {

// Every key the window writes, with its first-run value.
const QVariantMap defaults = {{"workdir/load", "."},
                              {"workdir/save", "."},
                              {"codecs", QStringList()},
                              {"select/codldup", 0},
                              {"select/codldlw", 0},
                              {"select/codsave", 0},
                              {"select/fpssave", 0},
                              {"select/fpsload", 0},
                              {"proc/charps", 25},
                              {"proc/mingap", 0},
                              {"proc/snap", 500},
                              {"proc/botlin", 2},
                              {"proc/joinline", false},
                              {"proc/lastline", 0},
                              {"color/upper", 0xffff99},
                              {"color/lower", 0xffffff},
                              {"color/usetag", true},
                              {"select/autodetect", true},
                              {"proc/creditline", true},
                              {"proc/upperpos", 0},
                              {"recent/upper", QStringList()},
                              {"recent/lower", QStringList()},
                              {"recent/uppercoding", QStringList()},
                              {"recent/lowercoding", QStringList()},
                              {"recent/uppertrack", QStringList()},
                              {"recent/lowertrack", QStringList()},
                              {"proc/format", "srt"},
                              {"proc/trackformat", "ass"},
                              {"strip/kinds", QStringList()},
                              {"ui/language", ""}};

// The window's size and splitter: checked on their own, they depend on the screen.
bool isLayoutKey(const QString &key)
{
    return key.startsWith(QLatin1String("window/"));
}

const QString more = QStringLiteral("More\u2026");

// What the selectors offer after the chosen codings.
QStringList commonAfter(const QStringList &chosen)
{
    QStringList items;
    for (const QString &c : Codings::commonList())
        if (!chosen.contains(c))
            items << c;
    return items << more;
}

// Written with the selector indexes to say that they count from "Auto
// Detect"; in a store without it they count from "Auto Local", the first
// entry before.
const QString autoDetectKey = QStringLiteral("select/autodetect");

// What the window shows of the values: every key but the marker.
QVariantMap shown(QVariantMap values)
{
    values.remove(autoDetectKey);
    return values;
}

// What the running window holds, by the key it is stored under.
QVariantMap held(const MainWindow &w)
{
    const Settings &s = w.settings();
    using Key = Settings::Key;
    const MainForm ui(&w);
    return {{"workdir/load", s.value(Key::LoadDir)},
            {"workdir/save", s.value(Key::SaveDir)},
            {"codecs", s.value(Key::ChosenCodings)},
            {"select/codldup", ui.upperCodingBox->currentIndex()},
            {"select/codldlw", ui.lowerCodingBox->currentIndex()},
            {"select/codsave", ui.saveCodingBox->currentIndex()},
            {"select/fpssave", s.value(Key::SaveFrameRate)},
            {"select/fpsload", s.value(Key::LoadFrameRate)},
            {"proc/charps", ui.cpsSpinBox->value()},
            {"proc/mingap", ui.gapSpinBox->value()},
            {"proc/snap", ui.snapSpinBox->value()},
            {"proc/botlin", ui.bottomLinesSpinBox->value()},
            {"proc/joinline", ui.joinLinesCheckBox->isChecked()},
            {"proc/lastline", ui.lastLineBox->currentIndex()},
            {"proc/upperpos", ui.upperPositionBox->currentIndex()},
            {"color/upper", s.value(Key::UpperColor)},
            {"color/lower", s.value(Key::LowerColor)},
            {"color/usetag", ui.colorTagsCheckBox->isChecked()},
            {"proc/creditline", ui.creditLineCheckBox->isChecked()},
            {"recent/upper", s.value(Key::RecentUpper)},
            {"recent/lower", s.value(Key::RecentLower)},
            {"recent/uppercoding", s.value(Key::RecentUpperCoding)},
            {"recent/lowercoding", s.value(Key::RecentLowerCoding)},
            {"recent/uppertrack", s.value(Key::RecentUpperTrack)},
            {"recent/lowertrack", s.value(Key::RecentLowerTrack)},
            {"proc/format", s.value(Key::OutputSuffix)},
            {"proc/trackformat", s.value(Key::TrackFormat)},
            {"strip/kinds", s.value(Key::StripKinds)},
            {"ui/language", s.value(Key::Language)}};
}

// A file holds every value as text.
QString text(const QVariant &v)
{
    return v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char('|')) : v.toString();
}

void compareValues(const QVariantMap &actual, const QVariantMap &expected)
{
    QCOMPARE(actual.keys(), expected.keys());
    for (const QString &k : expected.keys())
        QVERIFY2(text(actual[k]) == text(expected[k]),
                 qPrintable(QStringLiteral("%1: %2, expected %3").arg(k, text(actual[k]), text(expected[k]))));
}

QStringList currentEntries(const MainWindow &w)
{
    return {MainForm(&w).upperCodingBox->currentText(), MainForm(&w).lowerCodingBox->currentText(),
            MainForm(&w).saveCodingBox->currentText()};
}

// Double-clicks the row that shows `text`.
void doubleClickRow(QListWidget *list, const QString &text)
{
    QListWidgetItem *item = list->findItems(text, Qt::MatchExactly).value(0);
    QVERIFY2(item, qPrintable(text));
    doubleClick(list, list->row(item));
}

} // namespace

class TestSettings : public QObject, TempDir
{
    Q_OBJECT

    QString file; // the settings file
    ScriptedPrompts prompts; // no dialog may wait for a user: any that opens unanswered is cancelled

    // The file as the next start sees it.
    QVariantMap written()
    {
        QSettings s(file, QSettings::IniFormat);
        QVariantMap values;
        for (const QString &k : s.allKeys())
            if (!isLayoutKey(k))
                values.insert(k, s.value(k));
        return values;
    }
    void store(const QVariantMap &values)
    {
        QSettings s(file, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            s.setValue(it.key(), it.value());
    }

private slots:
    void init()
    {
        QVERIFY(tmp.isValid());
        file = path(QStringLiteral("Twinscript.conf"));
        QFile::remove(file);
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
    }
    void cleanup() { setPrompts(nullptr); }

    // What is stored is shown, kept within its control's range, and written
    // back when the window goes; nothing is written before. The next start
    // shows the same again.
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
                                   {"proc/upperpos", 1},
                                   {"color/upper", 0x12ab34},
                                   {"color/lower", 0xff8000},
                                   {"color/usetag", true},
                                   {"select/autodetect", true},
                                   {"proc/creditline", false},
                                   {"recent/upper", QStringList {"/films/a.en.srt", "/films/b.srt"}},
                                   {"recent/lower", QStringList {"/films/a.es.srt", "/films/b.sub"}},
                                   {"recent/uppercoding", QStringList {"UTF-8", "WINDOWS-1251"}},
                                   {"recent/lowercoding", QStringList {"UTF-16LE", "ISO-8859-2"}},
                                   {"recent/uppertrack", QStringList {"2", "-1"}},
                                   {"recent/lowertrack", QStringList {"3", "-1"}},
                                   {"proc/format", "mkv"},
                                   {"proc/trackformat", "srt"},
                                   {"strip/kinds", QStringList {"round", "angle"}},
                                   {"ui/language", "es"}};
        row("first run", QVariantMap(), QVariantMap());
        row("every key", every, every);
        // The same entries as the indexes meant before "Auto Detect" came first.
        QVariantMap shifted = every;
        shifted.insert({{"select/codldup", 3}, {"select/codldlw", 4}, {"select/codsave", 2}});
        row("every key, stored before Auto Detect", shown(every), shifted);
        // Earlier versions stored the credit line's switch as "ver11".
        QVariantMap old = every;
        old.remove("proc/creditline");
        old.insert("ver11", false);
        row("credit line under its old name", old, every);
        row("cps 99", QVariantMap {{"proc/charps", 99}}, QVariantMap {{"proc/charps", 50}});
        row("cps 1", QVariantMap {{"proc/charps", 1}}, QVariantMap {{"proc/charps", 10}});
        row("cps no number", QVariantMap {{"proc/charps", "x"}}, QVariantMap {{"proc/charps", 10}});
        row("gap 51", QVariantMap {{"proc/mingap", 51}}, QVariantMap {{"proc/mingap", 50}});
        row("snap 5000", QVariantMap {{"proc/snap", 5000}}, QVariantMap {{"proc/snap", 1000}});
        row("snap 0", QVariantMap {{"proc/snap", 0}}, QVariantMap {{"proc/snap", 50}});
        row("bottom -3", QVariantMap {{"proc/botlin", -3}}, QVariantMap {{"proc/botlin", 0}});
        row("bottom 31", QVariantMap {{"proc/botlin", 31}}, QVariantMap {{"proc/botlin", 30}});
        row("upper position past the list", QVariantMap {{"proc/upperpos", 2}}, QVariantMap());
        row("odd style and colours",
            QVariantMap {{"proc/lastline", 7}, {"color/upper", -1}, {"color/lower", 0x1abcdef}},
            QVariantMap {{"color/upper", 0xffffff}, {"color/lower", 0xabcdef}});
        // A pair stored without tracks is a pair of subtitle files.
        row("recent lists of unequal length, odd formats",
            QVariantMap {{"recent/upper", QStringList {"/a.srt", "/b.srt"}},
                         {"recent/lower", QStringList {"/c.srt"}},
                         {"proc/format", "exe"},
                         {"proc/trackformat", "sub"}},
            QVariantMap {{"recent/upper", QStringList {"/a.srt"}},
                         {"recent/lower", QStringList {"/c.srt"}},
                         {"recent/uppertrack", QStringList {"-1"}},
                         {"recent/lowertrack", QStringList {"-1"}}});
    }
    void storedValuesComeBack()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(QVariantMap, changed);
        QVariantMap expected = defaults;
        for (auto it = changed.cbegin(); it != changed.cend(); ++it)
            expected.insert(it.key(), it.value());
        store(stored);
        {
            QSettings s(file, QSettings::IniFormat);
            MainWindow w(&s);
            compareValues(held(w), shown(expected));
            QCOMPARE(written().keys(), stored.keys());
        }
        compareValues(written(), expected);
        QSettings s(file, QSettings::IniFormat);
        MainWindow again(&s);
        compareValues(held(again), shown(expected));
    }

    // Without stored settings every coding selector offers "Auto Detect".
    void firstRunDetects_data()
    {
        QTest::addColumn<bool>("withStore");
        row("empty store", true);
        row("no store", false);
    }
    void firstRunDetects()
    {
        QFETCH(bool, withStore);
        QSettings s(file, QSettings::IniFormat);
        MainWindow w(withStore ? &s : nullptr);
        QCOMPARE(currentEntries(w), (QStringList {"Auto Detect", "Auto Detect", "Auto Detect"}));
    }

    // The chosen codings cleaned of duplicates and fixed entries; each selector
    // comes back to its own stored entry, never "Add / Remove" or past it, nor
    // before the first. Stores written before "Auto Detect" was offered count
    // from "Auto Local" and keep their entries.
    void codingSelectors_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<bool>("marked"); // written since "Auto Detect" comes first
        QTest::addColumn<QVariant>("stored"); // the lower selector's index
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QString>("current"); // the lower selector's entry
        const QStringList two = {QStringLiteral("UTF-16"), QStringLiteral("KOI8-R (Cyrillic)")};
        const QString detect = QStringLiteral("Auto Detect");
        row("empty, nothing stored", QStringList(), true, QVariant(), QStringList(), detect);
        row("empty, Auto Local", QStringList(), true, QVariant(1), QStringList(), "Auto Local");
        row("empty, UTF-8", QStringList(), true, QVariant(2), QStringList(), "UTF-8");
        row("empty, at Add / Remove", QStringList(), true, QVariant(3), QStringList(), detect);
        row("duplicates dropped, first order kept",
            QStringList {"UTF-16", "KOI8-R (Cyrillic)", "UTF-16", "WINSAMI2", "KOI8-R (Cyrillic)"}, true, QVariant(5),
            QStringList {"UTF-16", "KOI8-R (Cyrillic)", "WINSAMI2"}, "WINSAMI2");
        row("fixed entries dropped", QStringList {"Add / Remove", "UTF-8", "", "Auto Local", "Auto Detect", "UTF-32"},
            true, QVariant(3), QStringList {"UTF-32"}, "UTF-32");
        row("first chosen", two, true, QVariant(3), two, "UTF-16");
        row("last chosen", two, true, QVariant(4), two, "KOI8-R (Cyrillic)");
        row("at Add / Remove", two, true, QVariant(5), two, detect);
        row("past Add / Remove", two, true, QVariant(6), two, detect);
        row("largest int", two, true, QVariant(INT_MAX), two, detect);
        row("negative", two, true, QVariant(-1), two, detect);
        row("smallest int", two, true, QVariant(INT_MIN), two, detect);
        row("no number", two, true, QVariant(QStringLiteral("abc")), two, detect);

        row("before Auto Detect, nothing stored", two, false, QVariant(), two, detect);
        row("before Auto Detect, Auto Local", two, false, QVariant(0), two, "Auto Local");
        row("before Auto Detect, UTF-8", two, false, QVariant(1), two, "UTF-8");
        row("before Auto Detect, first chosen", two, false, QVariant(2), two, "UTF-16");
        row("before Auto Detect, last chosen", two, false, QVariant(3), two, "KOI8-R (Cyrillic)");
        row("before Auto Detect, at Add / Remove", two, false, QVariant(4), two, detect);
        row("before Auto Detect, largest int", two, false, QVariant(INT_MAX), two, detect);
        row("before Auto Detect, negative", two, false, QVariant(-1), two, detect);
        row("before Auto Detect, below -1", two, false, QVariant(-2), two, detect);
        row("before Auto Detect, smallest int", two, false, QVariant(INT_MIN), two, detect);
    }
    void codingSelectors()
    {
        QFETCH(QStringList, chosen);
        QFETCH(bool, marked);
        QFETCH(QVariant, stored);
        QFETCH(QStringList, kept);
        QSettings s(file, QSettings::IniFormat);
        s.setValue(QStringLiteral("codecs"), chosen);
        if (marked)
            s.setValue(autoDetectKey, true);
        if (stored.isValid()) {
            s.setValue(QStringLiteral("select/codldlw"), stored);
            s.setValue(QStringLiteral("select/codldup"), marked ? 2 : 1);
        }
        MainWindow w(&s);
        QCOMPARE(w.settings().value(Settings::Key::ChosenCodings).toStringList(), kept);
        const QStringList items = QStringList {"Auto Detect", "Auto Local", "UTF-8"} + kept + commonAfter(kept);
        for (const QComboBox *box :
             {MainForm(&w).upperCodingBox, MainForm(&w).lowerCodingBox, MainForm(&w).saveCodingBox})
            QCOMPARE(rowsOf(box), items);
        QFETCH(QString, current);
        QCOMPARE(currentEntries(w),
                 (QStringList {stored.isValid() ? QStringLiteral("UTF-8") : QStringLiteral("Auto Detect"), current,
                               QStringLiteral("Auto Detect")}));
    }

    // "More…" opens the full list over the window; typed words narrow it, and
    // the coding chosen becomes the selector's entry at once and joins the
    // chosen ones in every selector. Cancel goes back to the entry before.
    void moreChoosesAtOnce()
    {
        QSettings s(file, QSettings::IniFormat);
        s.setValue(QStringLiteral("codecs"), QStringList {QStringLiteral("UTF-16LE")});
        s.setValue(autoDetectKey, true);
        s.setValue(QStringLiteral("select/codldlw"), 3);
        MainWindow w(&s);
        QCOMPARE(currentEntries(w), (QStringList {"Auto Detect", "UTF-16LE", "Auto Detect"}));

        QWidget *parent = nullptr;
        QStringList narrowed;
        prompts.dialogs.push_back([&](QDialog &d) {
            parent = d.parentWidget();
            d.findChild<QLineEdit *>("searchEdit")->setText(QStringLiteral("cyrillic 125"));
            const QListWidget *list = d.findChild<QListWidget *>("codingList");
            for (int i = 0; i < list->count(); ++i)
                if (!list->item(i)->isHidden())
                    narrowed << list->item(i)->text();
            return closeDialog(d);
        });
        choose(MainForm(&w).saveCodingBox, more);
        QCOMPARE(parent, &w);
        QCOMPARE(narrowed, QStringList {"Windows-1251 (Cyrillic)"});
        const QStringList chosen {"UTF-16LE", "Windows-1251 (Cyrillic)"};
        QCOMPARE(w.settings().value(Settings::Key::ChosenCodings).toStringList(), chosen);
        QCOMPARE(currentEntries(w), (QStringList {"Auto Detect", "UTF-16LE", "Windows-1251 (Cyrillic)"}));
        for (const QComboBox *box :
             {MainForm(&w).upperCodingBox, MainForm(&w).lowerCodingBox, MainForm(&w).saveCodingBox})
            QCOMPARE(rowsOf(box), (QStringList {"Auto Detect", "Auto Local", "UTF-8"} + chosen + commonAfter(chosen)));

        // A double click chooses too; Cancel, or a search that finds nothing, changes nothing.
        prompts.dialogs
            = {[](QDialog &d) {
                   d.show();
                   doubleClickRow(d.findChild<QListWidget *>("codingList"), "KOI8-R (Cyrillic)");
                   return d.result();
               },
               [](QDialog &d) { return closeDialog(d, false); },
               [](QDialog &d) {
                   d.findChild<QLineEdit *>("searchEdit")->setText(QStringLiteral("klingon"));
                   return d.findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->isEnabled()
                       ? int(QDialog::Accepted)
                       : closeDialog(d, false);
               }};
        choose(MainForm(&w).upperCodingBox, more);
        QCOMPARE(MainForm(&w).upperCodingBox->currentText(), QStringLiteral("KOI8-R (Cyrillic)"));
        choose(MainForm(&w).lowerCodingBox, more);
        choose(MainForm(&w).lowerCodingBox, more);
        QCOMPARE(prompts.dialogsRun, 4);
        QCOMPARE(currentEntries(w), (QStringList {"KOI8-R (Cyrillic)", "UTF-16LE", "Windows-1251 (Cyrillic)"}));
        QCOMPARE(w.settings().value(Settings::Key::ChosenCodings).toStringList().size(), 3);
    }

    // Size and splitter come back as they were left.
    void windowLayoutComesBack()
    {
        QList<int> sizes;
        QSize size;
        {
            QSettings s(file, QSettings::IniFormat);
            MainWindow w(&s);
            w.resize(1300, 850);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            size = w.size();
            sizes = MainForm(&w).mainSplitter->sizes();
            sizes[0] -= 40;
            sizes[2] += 40;
            MainForm(&w).mainSplitter->setSizes(sizes);
            sizes = MainForm(&w).mainSplitter->sizes();
        }
        QSettings s(file, QSettings::IniFormat);
        MainWindow w(&s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), size);
        QCOMPARE(MainForm(&w).mainSplitter->sizes(), sizes);
    }

    // A store the Qt 5 build wrote (tests/data/settings_qt5.conf: two pairs
    // merged from a folder with non-ASCII letters and a comma in its name, an
    // empty list, the window resized) shows every value and the layout, and is
    // written back with the same values.
    void qt5StoreLoadsUnchanged()
    {
        QVERIFY(QFile::copy(fixture(QStringLiteral("settings_qt5.conf")), file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        const QString dir = QStringLiteral("/tmp/qt5gen/work/Übersetzung, 2");
        QVariantMap expected
            = {{"workdir/load", dir},
               {"workdir/save", dir},
               {"codecs", QStringList {"KOI8-R (Cyrillic)", "Windows-1250 (Central Europe)", "Windows-1255 (Hebrew)"}},
               {"select/codldup", 3},
               {"select/codldlw", 2},
               {"select/codsave", 5},
               {"select/fpssave", 2},
               {"select/fpsload", 0},
               {"proc/charps", 19},
               {"proc/mingap", 30},
               {"proc/snap", 300},
               {"proc/botlin", 3},
               {"proc/joinline", true},
               {"proc/lastline", 1},
               {"proc/upperpos", 1},
               {"color/upper", 0xc8ff99},
               {"color/lower", 0xffff64},
               {"color/usetag", true},
               {"select/autodetect", true},
               {"proc/creditline", false},
               {"recent/upper", QStringList {dir + "/Время.en.srt", dir + "/film.de.srt"}},
               {"recent/lower", QStringList {dir + "/film.es.srt", dir + "/film.es.srt"}},
               {"recent/uppercoding", QStringList {"KOI8-R", "UTF-8"}},
               {"recent/lowercoding", QStringList {"UTF-8", "UTF-8"}},
               {"recent/uppertrack", QStringList {"-1", "-1"}},
               {"recent/lowertrack", QStringList {"-1", "-1"}},
               {"proc/format", "ass"},
               {"proc/trackformat", "ass"},
               {"strip/kinds", QStringList()},
               {"ui/language", ""}};
        {
            QSettings s(file, QSettings::IniFormat);
            MainWindow w(&s);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            compareValues(held(w), shown(expected));
            QCOMPARE(w.size(), QSize(1081, 777));
            // The sizes Qt 5 stored, fitted to this toolkit's frames as setting them would.
            const QList<int> restored = MainForm(&w).mainSplitter->sizes();
            MainForm(&w).mainSplitter->setSizes({281, 90, 209, 110});
            QCOMPARE(restored, MainForm(&w).mainSplitter->sizes());
        }
        compareValues(written(), expected);
    }

    // Without a store the defaults hold and the user's own settings stay untouched.
    void noStoreReadsAndWritesNothing()
    {
        const auto userKeys = [] {
            return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Twinscript"),
                             QStringLiteral("Twinscript"))
                .allKeys();
        };
        const QStringList keys = userKeys();
        {
            MainWindow w(nullptr);
            compareValues(held(w), shown(defaults));
            MainForm(&w).cpsSpinBox->setValue(33);
        }
        QCOMPARE(userKeys(), keys);
    }

    // Changes made during the run are in the file once "Quit" ends the run.
    void quitStoresTheSettings()
    {
        const QString film = write(QStringLiteral("film.srt"), srtBytes({1000}));
        int code = -1;
        {
            QSettings s(file, QSettings::IniFormat);
            MainWindow w(&s);
            w.show();
            prompts.openNames = {film};
            w.loadUpper();
            MainForm(&w).colorTagsCheckBox->setChecked(true);
            MainForm(&w).upperRedSlider->setValue(0);
            MainForm(&w).upperBlueSlider->setValue(0);
            MainForm(&w).cpsSpinBox->setValue(33);
            prompts.saveNames = {path(QStringLiteral("out.sub"))};
            prompts.dialogs = {frameRate(1)};
            w.processAndSave();
            prompts.dialogs = {[](QDialog &d) {
                d.show();
                doubleClickRow(d.findChild<QListWidget *>("codingList"), "KOI8-R (Cyrillic)");
                return d.result();
            }};
            choose(MainForm(&w).lowerCodingBox, more);
            choose(MainForm(&w).saveCodingBox, QStringLiteral("KOI8-R (Cyrillic)"));
            MainForm(&w).creditLineCheckBox->setChecked(false);
            QTimer::singleShot(0, &w, [&w] { QTest::mouseClick(MainForm(&w).quitButton, Qt::LeftButton); });
            // A safety net: the loop must end through "Quit", not through this.
            QTimer::singleShot(10000, [] { QApplication::exit(99); });
            code = QApplication::exec();
        }
        QCOMPARE(code, 0);
        QVariantMap expected = defaults;
        expected.insert({{"codecs", QStringList {"KOI8-R (Cyrillic)"}},
                         {"select/codsave", 3},
                         {"select/codldlw", 3},
                         {"proc/format", "sub"},
                         {"proc/creditline", false},
                         {"proc/charps", 33},
                         {"color/usetag", true},
                         {"color/upper", 0x00ff00},
                         {"workdir/load", tmp.path()},
                         {"workdir/save", tmp.path()},
                         {"select/fpssave", 1}});
        compareValues(written(), expected);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
