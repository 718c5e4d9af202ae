// The coding list, the three coding selectors, the "Select Character Codings"
// dialog, reading and writing in a chosen coding, and the command-line tool's
// coding options.

#include "testutil.h"

#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "text/codecregistry.h"
#include "text/selectcodecdlg.h"

#include "ui_mainwindow.h"
#include "ui_selectcodecdlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <climits>
#include <memory>

using namespace testutil;

namespace {

// The rows of a selector or list.
template<class View> QStringList itemsOf(const View *view)
{
    QStringList items;
    for (int i = 0; i < view->model()->rowCount(); ++i)
        items << view->model()->index(i, 0).data().toString();
    return items;
}

QList<int> currentIndexes(const MainWindow &w)
{
    return {w.ui->comboBox_loadupr->currentIndex(), w.ui->comboBox_loadlwr->currentIndex(),
            w.ui->comboBox_save->currentIndex()};
}

void choose(QComboBox *box, const QString &text)
{
    const int i = box->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    box->setCurrentIndex(i);
}

// Double-clicks a row as a user would, through the list's viewport.
void doubleClickRow(QListWidget *list, int row)
{
    QListWidgetItem *item = list->item(row);
    QVERIFY(item);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

struct Run
{
    int code = -1;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(CLI_PATH), args);
    Run r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// The entries this platform's toolkit (Qt 5.15 with ICU, Debian) has no codec
// for. A change here means files in these codings are read differently.
const QStringList fallbackEntries = {"JIS X 0201 (Japanese)", "JIS X 0208 (Japanese)", "MuleLao-1", "WINSAMI2"};

} // namespace

class TestCodings : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    std::unique_ptr<QSettings> store;
    int stores = 0;
    ScriptedPrompts prompts;

    QSettings *freshStore()
    {
        store.reset(new QSettings(tmp.filePath(QStringLiteral("store%1.ini").arg(++stores)), QSettings::IniFormat));
        return store.get();
    }

    // Loads a file into the upper set under the chosen coding.
    void loadUpper(MainWindow &w, const QString &coding, const QString &file)
    {
        choose(w.ui->comboBox_loadupr, coding);
        prompts.openNames.push_back(file);
        w.on_pushButton_ldupr_clicked();
    }

    // Saves the upper set under the chosen coding; returns the path written.
    QString saveUpper(MainWindow &w, const QString &coding, const QString &name)
    {
        choose(w.ui->comboBox_loadupr, coding);
        prompts.saveNames.push_back(tmp.filePath(name));
        w.on_pushButton_savup_pressed();
        return tmp.filePath(name);
    }

private slots:
    void init()
    {
        resetState();
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
    }
    void cleanup()
    {
        setSettingsStore(nullptr);
        store.reset();
    }

    void codecNameOfItem_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("name");
        QTest::newRow("description") << "Windows-1253 (Greek)"
                                     << "Windows-1253";
        QTest::newRow("slash in description") << "KOI8-U (Cyrillic/Ukrainian)"
                                              << "KOI8-U";
        QTest::newRow("auto local") << "Auto Local"
                                    << "Auto Local";
        QTest::newRow("parenthesis first") << " (x)"
                                           << " (x)";
        QTest::newRow("only first cut") << "A (b) (c)"
                                        << "A";
        QTest::newRow("no space before") << "A(b)"
                                         << "A(b)";
    }
    void codecNameOfItem()
    {
        QFETCH(QString, item);
        QTEST(CodecRegistry::codecNameOf(item), "name");
    }

    void fixedListHas59DistinctEntries()
    {
        const QStringList all = CodecRegistry::fixedCodingList();
        QCOMPARE(all.size(), 59);
        QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), 59);
        QCOMPARE(all.first(), QStringLiteral("Apple Roman"));
        QCOMPARE(all.last(), QStringLiteral("WINSAMI2"));
        QVERIFY(!all.contains(QStringLiteral("Auto Local")) && !all.contains(QStringLiteral("UTF-8")));
        QCOMPARE(preferences().allCodecs, all);
    }

    // Every entry the selectors offer resolves on this machine, except "Auto
    // Local" (the local coding, silently) and the known fallbacks (the local
    // coding, said so).
    void everyEntryOnThisPlatform_data()
    {
        QTest::addColumn<QString>("entry");
        for (const QString &e : QStringList {"Auto Local", "UTF-8"} + CodecRegistry::fixedCodingList())
            QTest::newRow(qPrintable(e)) << e;
    }
    void everyEntryOnThisPlatform()
    {
        QFETCH(QString, entry);
        const QString name = CodecRegistry::codecNameOf(entry);
        bool unknown = false;
        QTextCodec *codec = CodecRegistry::codecOrLocal(name, &unknown);
        QTextCodec *found = CodecRegistry::findCodec(name);
        QCOMPARE(unknown, fallbackEntries.contains(entry));
        QCOMPARE(!found, unknown || entry == QLatin1String("Auto Local"));
        QCOMPARE(codec, found ? found : QTextCodec::codecForLocale());
        if (entry == QLatin1String("GB18030-0")) // Qt 5 knows it as "GB18030"
            QCOMPARE(codec->fromUnicode(QStringLiteral("\u4e2d\u6587")), QByteArray("\xd6\xd0\xce\xc4"));
        // A subtitle's digits and arrows must survive every offered coding.
        const QString ascii = QStringLiteral("00:00:01,000 --> 00:00:02,000 Hello");
        QTextCodec::ConverterState out(QTextCodec::IgnoreHeader), in(QTextCodec::IgnoreHeader);
        const QByteArray bytes = codec->fromUnicode(ascii.constData(), ascii.size(), &out);
        QCOMPARE(out.invalidChars, 0);
        QCOMPARE(codec->toUnicode(bytes.constData(), bytes.size(), &in), ascii);
    }

    // The chosen list cleaned of duplicates and fixed entries; each selector
    // restores its own stored index, never "Add / Remove" or past it.
    void fillCodingSelectors_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<int>("current");
        const QStringList two = {QStringLiteral("UTF-16"), QStringLiteral("KOI8-R (Cyrillic)")};
        QTest::newRow("empty, nothing stored") << QStringList() << QVariant() << QStringList() << 0;
        QTest::newRow("empty, UTF-8") << QStringList() << QVariant(1) << QStringList() << 1;
        QTest::newRow("empty, at Add / Remove") << QStringList() << QVariant(2) << QStringList() << 0;
        QTest::newRow("duplicates dropped, first order kept")
            << QStringList {"UTF-16", "KOI8-R (Cyrillic)", "UTF-16", "WINSAMI2", "KOI8-R (Cyrillic)"} << QVariant(4)
            << QStringList {"UTF-16", "KOI8-R (Cyrillic)", "WINSAMI2"} << 4;
        QTest::newRow("fixed entries dropped") << QStringList {"Add / Remove", "UTF-8", "", "Auto Local", "UTF-32"}
                                               << QVariant(2) << QStringList {"UTF-32"} << 2;
        QTest::newRow("last chosen") << two << QVariant(3) << two << 3;
        QTest::newRow("at Add / Remove") << two << QVariant(4) << two << 0;
        QTest::newRow("past Add / Remove") << two << QVariant(5) << two << 0;
        QTest::newRow("largest int") << two << QVariant(INT_MAX) << two << 0;
        QTest::newRow("negative") << two << QVariant(-1) << two << 0;
        QTest::newRow("no number") << two << QVariant(QStringLiteral("abc")) << two << 0;
    }
    void fillCodingSelectors()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QVariant, stored);
        QFETCH(QStringList, kept);
        QComboBox a, b, c;
        a.addItem(QStringLiteral("stale"));
        Preferences &p = preferences();
        p.comboBox_loadupr = &a;
        p.comboBox_loadlwr = &b;
        p.comboBox_save = &c;
        p.selectedCodecs = chosen;
        QSettings *s = freshStore();
        if (stored.isValid()) {
            s->setValue(QStringLiteral("select/codldlw"), stored);
            s->setValue(QStringLiteral("select/codldup"), 1);
        }
        CodecRegistry::fillCodingSelectors(s);
        QCOMPARE(p.selectedCodecs, kept);
        const QStringList items = QStringList {"Auto Local", "UTF-8"} + kept + QStringList {"Add / Remove"};
        for (QComboBox *box : {&a, &b, &c})
            QCOMPARE(itemsOf(box), items);
        QTEST(b.currentIndex(), "current");
        QCOMPARE(a.currentIndex(), stored.isValid() ? 1 : 0);
        QCOMPARE(c.currentIndex(), 0);
    }

    // "Add / Remove" opens the dialog over the window. In it, adding twice keeps
    // one, removing and adding again puts the coding last, a double click on no
    // item changes nothing. Afterwards every selector is rebuilt and set back
    // to its stored index, whether the list changed or not.
    void addRemoveOpensDialogAndRebuildsSelectors()
    {
        QSettings *s = freshStore();
        s->setValue(QStringLiteral("codecs"), QStringList {QStringLiteral("UTF-16")});
        s->setValue(QStringLiteral("select/codldup"), 2);
        s->setValue(QStringLiteral("select/codldlw"), 1);
        setSettingsStore(s);
        MainWindow w;
        w.ui->comboBox_loadupr->setCurrentIndex(0);
        w.ui->comboBox_save->setCurrentIndex(1);

        QWidget *parent = nullptr;
        int result = -1;
        QList<QStringList> steps;
        QStringList fixed;
        prompts.dialogs.push_back([&](QDialog &d) {
            parent = d.parentWidget();
            auto *dialog = static_cast<SelectCodecDlg *>(&d);
            QListWidget *all = dialog->ui->listWidget_all, *sel = dialog->ui->listWidget_sel;
            auto click = [&](QListWidget *list, const QString &row) {
                doubleClickRow(list, itemsOf(list).indexOf(row));
                steps << preferences().selectedCodecs;
            };
            click(all, QStringLiteral("Windows-1251 (Cyrillic)"));
            click(all, QStringLiteral("Windows-1251 (Cyrillic)"));
            click(sel, QStringLiteral("UTF-16"));
            click(all, QStringLiteral("UTF-16"));
            dialog->on_listWidget_all_doubleClicked(QModelIndex());
            dialog->on_listWidget_sel_doubleClicked(QModelIndex());
            steps << itemsOf(sel);
            fixed = itemsOf(all);
            dialog->ui->buttonBox->button(QDialogButtonBox::Ok)->click();
            return result = d.result();
        });
        choose(w.ui->comboBox_save, QStringLiteral("Add / Remove"));
        QCOMPARE(prompts.dialogsRun, 1);
        QCOMPARE(parent, &w);
        QCOMPARE(result, int(QDialog::Accepted));
        const QStringList both = {"Windows-1251 (Cyrillic)", "UTF-16"};
        QCOMPARE(steps,
                 (QList<QStringList> {{"UTF-16", "Windows-1251 (Cyrillic)"},
                                      {"UTF-16", "Windows-1251 (Cyrillic)"},
                                      {"Windows-1251 (Cyrillic)"},
                                      both,
                                      both}));
        QCOMPARE(fixed, CodecRegistry::fixedCodingList());
        const QStringList expected = QStringList {"Auto Local", "UTF-8"} + both + QStringList {"Add / Remove"};
        for (QComboBox *box : {w.ui->comboBox_loadupr, w.ui->comboBox_loadlwr, w.ui->comboBox_save})
            QCOMPARE(itemsOf(box), expected);
        // The stored indexes come back, not the choices made since the start.
        QCOMPARE(currentIndexes(w), (QList<int> {2, 1, 0}));

        // Closed without a change: rebuilt and reset all the same, no reopening.
        w.ui->comboBox_loadupr->setCurrentIndex(3);
        choose(w.ui->comboBox_loadlwr, QStringLiteral("Add / Remove"));
        QCOMPARE(prompts.dialogsRun, 2);
        QCOMPARE(itemsOf(w.ui->comboBox_loadlwr), expected);
        QCOMPARE(currentIndexes(w), (QList<int> {2, 1, 0}));
        // A plain choice does nothing at once.
        choose(w.ui->comboBox_loadupr, QStringLiteral("UTF-16"));
        QCOMPARE(prompts.dialogsRun, 2);
    }

    // A file in the chosen coding, and a byte-order mark that wins over it.
    void readsInChosenCoding_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QString>("firstText");
        QTest::newRow("Windows-1251") << "cp1251_cyrillic.srt"
                                      << "Windows-1251 (Cyrillic)" << QStringLiteral("Привет, мир!");
        QTest::newRow("UTF-16LE mark under UTF-16BE") << "utf16le_bom.srt"
                                                      << "UTF-16BE" << QStringLiteral("Привет, мир");
    }
    void readsInChosenCoding()
    {
        QFETCH(QString, file);
        QFETCH(QString, coding);
        preferences().selectedCodecs = QStringList {coding};
        MainWindow w;
        LogCapture log;
        loadUpper(w, coding, fixture(file));
        QCOMPARE(workspace().upper.count, 2);
        QTEST(workspace().upper.records[0].text, "firstText");
        QVERIFY2(!log.joined().contains(QStringLiteral("unknown")), qPrintable(log.joined()));
    }

    // Written in the chosen coding without a byte-order mark, and read back
    // whole under the same choice; an unknown coding falls back to the local
    // one and says so once for each load and save.
    void savesInChosenCoding_data()
    {
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QStringLiteral("Naïve café");
        QTest::newRow("Windows-1252") << "Windows-1252 (Western)" << QByteArray("Na\xefve caf\xe9");
        QTest::newRow("UTF-8") << "UTF-8" << text.toUtf8();
        // The tests run under a UTF-8 locale.
        QTest::newRow("Auto Local") << "Auto Local" << QTextCodec::codecForLocale()->fromUnicode(text);
        const QByteArray bigEndian("\0N\0a\0\xef\0v\0e\0 \0c\0a\0f\0\xe9", 20);
        QTest::newRow("UTF-16BE") << "UTF-16BE" << bigEndian;
        // Plain UTF-16 is written in the machine's byte order.
        QTest::newRow("UTF-16") << "UTF-16"
                                << (QSysInfo::ByteOrder == QSysInfo::BigEndian ? bigEndian : bigEndian.mid(1) + '\0');
        QTest::newRow("unknown, local") << "WINSAMI2" << text.toUtf8();
    }
    void savesInChosenCoding()
    {
        QFETCH(QString, coding);
        QFETCH(QByteArray, bytes);
        preferences().selectedCodecs = QStringList {"Windows-1252 (Western)", "UTF-16BE", "UTF-16", "WINSAMI2"};
        const QString unknown = QStringLiteral("Up: coding %1 unknown, local coding used").arg(coding);
        const int fallback = fallbackEntries.contains(coding) ? 1 : 0;
        MainWindow w;
        loadUpper(w, QStringLiteral("Auto Local"), fixture(QStringLiteral("utf8_bom_crlf.srt")));
        QCOMPARE(workspace().upper.records[1].text, QStringLiteral("Naïve café"));
        LogCapture log;
        const QString out = saveUpper(w, coding, QStringLiteral("out.srt"));
        QCOMPARE(log.lines.last(), QStringLiteral("Up: 2 subs saved to out.srt"));
        QCOMPARE(log.lines.count(unknown), fallback);
        if (fallback)
            QCOMPARE(log.levels.at(log.lines.indexOf(unknown)), 1);
        const QByteArray written = readFile(out);
        QVERIFY2(written.contains(bytes), written.toHex().constData());
        for (const char *mark : {"\xef\xbb\xbf", "\xff\xfe", "\xfe\xff"})
            QVERIFY(!written.startsWith(mark));

        loadUpper(w, coding, out);
        QCOMPARE(workspace().upper.count, 2);
        QCOMPARE(workspace().upper.records[1].text, QStringLiteral("Naïve café"));
        QCOMPARE(log.lines.count(unknown), 2 * fallback);
    }

    // Every coding option takes an entry as listed or its codec name; an
    // unknown one is a usage error naming it; a fallback says so once.
    void cliCodings_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("code");
        QTest::newRow("display name") << "Windows-1251 (Cyrillic)" << 0;
        QTest::newRow("codec name") << "KOI8-R" << 0;
        QTest::newRow("fallback") << "WINSAMI2" << 0;
        QTest::newRow("unknown") << "Klingon-1 (Qo'noS)" << 2;
    }
    void cliCodings()
    {
        QFETCH(QString, entry);
        QFETCH(int, code);
        // A byte-order mark makes the input readable whatever the coding.
        const QString in = writeFile(tmp.path(), QStringLiteral("in.srt"),
                                     "\xef\xbb\xbf"
                                     "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n");
        const QString out = tmp.filePath(QStringLiteral("c.srt"));
        const QList<QStringList> uses = {{"convert", in, out, "--coding"},
                                         {"convert", in, out, "--out-coding"},
                                         {"merge", in, in, out, "--upper-coding"},
                                         {"merge", in, in, out, "--lower-coding"},
                                         {"merge", in, in, out, "--out-coding"}};
        for (const QStringList &args : uses) {
            QFile::remove(out);
            const Run r = cli(args + QStringList {entry});
            QVERIFY2(r.code == code, qPrintable(r.err));
            if (code == 0) {
                QVERIFY2(r.err.contains(QStringLiteral(" subs saved to c.srt")), qPrintable(r.err));
                QCOMPARE(r.err.count(QStringLiteral("coding %1 unknown, local coding used").arg(entry)),
                         fallbackEntries.contains(entry) ? 1 : 0);
            } else {
                QVERIFY2(r.err.contains(QStringLiteral("%1: unknown coding '%2'").arg(args.last(), entry))
                             && r.err.contains(QStringLiteral("usage:")),
                         qPrintable(r.err));
                QVERIFY(!QFile::exists(out));
            }
        }
    }

    // The named codings are really used: Windows-1251 in, KOI8-R out.
    void cliReadsAndWritesInNamedCodings()
    {
        const QString out = tmp.filePath(QStringLiteral("cyr.srt"));
        const Run r = cli({"convert", fixture(QStringLiteral("cp1251_cyrillic.srt")), out, "--coding", "Windows-1251",
                           "--out-coding", "KOI8-R (Cyrillic)"});
        QCOMPARE(r.code, 0);
        const QByteArray koi8 = QTextCodec::codecForName("KOI8-R")->fromUnicode(QStringLiteral("Привет, мир"));
        QVERIFY(readFile(out).contains(koi8));
    }
};

QTEST_MAIN(TestCodings)
#include "tst_codings.moc"
