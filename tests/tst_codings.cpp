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
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

#include <climits>
#include <memory>

using namespace testutil;

namespace {

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QStringList itemsOf(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
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

int pressOk(QDialog &dialog)
{
    auto *box = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    if (box && box->button(QDialogButtonBox::Ok))
        box->button(QDialogButtonBox::Ok)->click();
    return dialog.result();
}

// The entries this platform's toolkit (Qt 5.15 with ICU, Debian) has no codec
// for. A change here means files in these codings are read differently.
const QStringList fallbackEntries = {QStringLiteral("JIS X 0201 (Japanese)"),
                                     QStringLiteral("JIS X 0208 (Japanese)"), QStringLiteral("MuleLao-1"),
                                     QStringLiteral("WINSAMI2")};

} // namespace

class TestCodings : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    std::unique_ptr<QSettings> store;

    QSettings *freshStore()
    {
        store.reset();
        QFile::remove(tmp.filePath(QStringLiteral("store.ini")));
        store.reset(new QSettings(tmp.filePath(QStringLiteral("store.ini")), QSettings::IniFormat));
        return store.get();
    }

    QString saveUpperAs(MainWindow &w, ScriptedPrompts &p, const QString &coding, const QString &name)
    {
        choose(w.ui->comboBox_loadupr, coding);
        const QString out = tmp.filePath(name);
        p.saveNames.push_back(out);
        w.on_pushButton_savup_pressed();
        return out;
    }

private slots:
    void init()
    {
        resetState();
        store.reset();
    }
    void cleanup()
    {
        setPrompts(nullptr);
        setSettingsStore(nullptr);
        store.reset();
    }

    void codecNameOfItem_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("name");
        QTest::newRow("description") << "Windows-1253 (Greek)" << "Windows-1253";
        QTest::newRow("slash in description") << "KOI8-U (Cyrillic/Ukrainian)" << "KOI8-U";
        QTest::newRow("plain") << "UTF-16LE" << "UTF-16LE";
        QTest::newRow("unknown plain") << "WINSAMI2" << "WINSAMI2";
        QTest::newRow("auto local") << "Auto Local" << "Auto Local";
        QTest::newRow("parenthesis first") << " (x)" << " (x)";
        QTest::newRow("only first cut") << "A (b) (c)" << "A";
        QTest::newRow("no space before") << "A(b)" << "A(b)";
    }
    void codecNameOfItem()
    {
        QFETCH(QString, item);
        QFETCH(QString, name);
        QCOMPARE(CodecRegistry::codecNameOf(item), name);
    }

    void fixedListHas59DistinctEntries()
    {
        const QStringList all = CodecRegistry::fixedCodingList();
        QCOMPARE(all.size(), 59);
        QCOMPARE(all.first(), QStringLiteral("Apple Roman"));
        QCOMPARE(all.at(6), QStringLiteral("GB18030-0"));
        QCOMPARE(all.last(), QStringLiteral("WINSAMI2"));
        QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), 59);
        QVERIFY(!all.contains(QStringLiteral("Auto Local")));
        QVERIFY(!all.contains(QStringLiteral("UTF-8")));
        QCOMPARE(preferences().allCodecs, all);
    }

    void everyEntryOnThisPlatform_data()
    {
        QTest::addColumn<QString>("entry");
        for (const QString &e : CodecRegistry::fixedCodingList())
            QTest::newRow(qPrintable(e)) << e;
    }
    void everyEntryOnThisPlatform()
    {
        QFETCH(QString, entry);
        const QString name = CodecRegistry::codecNameOf(entry);
        bool unknown = true;
        QTextCodec *codec = CodecRegistry::codecOrLocal(name, &unknown);
        QVERIFY(codec);
        if (fallbackEntries.contains(entry)) {
            QVERIFY(!CodecRegistry::findCodec(name));
            QVERIFY(unknown);
            QCOMPARE(codec, QTextCodec::codecForLocale());
            return;
        }
        QTextCodec *found = CodecRegistry::findCodec(name);
        QVERIFY2(found, qPrintable(name));
        QVERIFY(!unknown);
        QCOMPARE(codec, found);
        // A subtitle's digits and arrows must survive every offered coding.
        const QString ascii = QStringLiteral("00:00:01,000 --> 00:00:02,000 Hello");
        QTextCodec::ConverterState out(QTextCodec::IgnoreHeader);
        const QByteArray bytes = codec->fromUnicode(ascii.constData(), ascii.size(), &out);
        QCOMPARE(out.invalidChars, 0);
        QTextCodec::ConverterState in(QTextCodec::IgnoreHeader);
        QCOMPARE(codec->toUnicode(bytes.constData(), bytes.size(), &in), ascii);
    }

    void gb18030ResolvesUnderItsQt5Name()
    {
        QTextCodec *codec = CodecRegistry::findCodec(QStringLiteral("GB18030-0"));
        QVERIFY(codec);
        QCOMPARE(codec, QTextCodec::codecForName("GB18030"));
        const QString text = QStringLiteral("\u4e2d\u6587");
        QCOMPARE(codec->fromUnicode(text), QByteArray("\xd6\xd0\xce\xc4"));
    }

    void autoLocalIsNoCodecAndNoWarning()
    {
        bool unknown = true;
        QVERIFY(!CodecRegistry::findCodec(QStringLiteral("Auto Local")));
        QCOMPARE(CodecRegistry::codecOrLocal(QStringLiteral("Auto Local"), &unknown), QTextCodec::codecForLocale());
        QVERIFY(!unknown);
        unknown = true;
        CodecRegistry::codecOrLocal(QString(), &unknown);
        QVERIFY(!unknown);
        QVERIFY(CodecRegistry::findCodec(QStringLiteral("UTF-8")));
    }

    void fillWithEmptyList()
    {
        QComboBox a, b, c;
        Preferences &p = preferences();
        p.comboBox_loadupr = &a;
        p.comboBox_loadlwr = &b;
        p.comboBox_save = &c;
        a.addItem(QStringLiteral("stale"));
        CodecRegistry::fillCodingSelectors(freshStore());
        const QStringList expected = {QStringLiteral("Auto Local"), QStringLiteral("UTF-8"),
                                      QStringLiteral("Add / Remove")};
        for (QComboBox *box : {&a, &b, &c}) {
            QCOMPARE(itemsOf(box), expected);
            QCOMPARE(box->currentIndex(), 0);
        }
    }

    void fillDropsDuplicatesKeepingFirstOrder()
    {
        QComboBox a, b, c;
        Preferences &p = preferences();
        p.comboBox_loadupr = &a;
        p.comboBox_loadlwr = &b;
        p.comboBox_save = &c;
        p.selectedCodecs = QStringList{QStringLiteral("UTF-16"), QStringLiteral("KOI8-R (Cyrillic)"),
                                       QStringLiteral("UTF-16"), QStringLiteral("WINSAMI2"),
                                       QStringLiteral("KOI8-R (Cyrillic)")};
        CodecRegistry::fillCodingSelectors(nullptr);
        const QStringList chosen = {QStringLiteral("UTF-16"), QStringLiteral("KOI8-R (Cyrillic)"),
                                    QStringLiteral("WINSAMI2")};
        QCOMPARE(p.selectedCodecs, chosen);
        for (QComboBox *box : {&a, &b, &c})
            QCOMPARE(itemsOf(box), QStringList{QStringLiteral("Auto Local")} << QStringLiteral("UTF-8") << chosen
                                                                          << QStringLiteral("Add / Remove"));
    }

    // A hand-edited store could name the fixed entries; "Add / Remove" among
    // them could be restored as current and reopen the dialog without end.
    void fillDropsFixedEntriesFromChosenList()
    {
        QComboBox a;
        Preferences &p = preferences();
        p.comboBox_loadupr = &a;
        p.selectedCodecs = QStringList{QStringLiteral("Add / Remove"), QStringLiteral("UTF-8"), QString(),
                                       QStringLiteral("Auto Local"), QStringLiteral("UTF-32")};
        QSettings *s = freshStore();
        s->setValue(QStringLiteral("select/codldup"), 2);
        CodecRegistry::fillCodingSelectors(s);
        QCOMPARE(p.selectedCodecs, QStringList{QStringLiteral("UTF-32")});
        QCOMPARE(a.count(), 4);
        QCOMPARE(a.currentText(), QStringLiteral("UTF-32"));
    }

    void storedIndexRestored_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("current");
        QTest::newRow("missing") << 0 << QVariant() << 0;
        QTest::newRow("UTF-8") << 0 << QVariant(1) << 1;
        QTest::newRow("at Add / Remove, empty list") << 0 << QVariant(2) << 0;
        QTest::newRow("last chosen") << 2 << QVariant(3) << 3;
        QTest::newRow("at Add / Remove") << 2 << QVariant(4) << 0;
        QTest::newRow("past Add / Remove") << 2 << QVariant(5) << 0;
        QTest::newRow("far past") << 2 << QVariant(1000) << 0;
        QTest::newRow("largest int") << 2 << QVariant(INT_MAX) << 0;
        QTest::newRow("negative") << 2 << QVariant(-1) << 0;
        QTest::newRow("no number") << 2 << QVariant(QStringLiteral("abc")) << 0;
    }
    void storedIndexRestored()
    {
        QFETCH(int, chosen);
        QFETCH(QVariant, stored);
        QFETCH(int, current);
        QComboBox a, b, c;
        Preferences &p = preferences();
        p.comboBox_loadupr = &a;
        p.comboBox_loadlwr = &b;
        p.comboBox_save = &c;
        p.selectedCodecs = p.allCodecs.mid(40, chosen);
        QSettings *s = freshStore();
        if (stored.isValid()) {
            // Each selector reads its own key: the other two stay on their own values.
            s->setValue(QStringLiteral("select/codldlw"), stored);
            s->setValue(QStringLiteral("select/codldup"), 1);
        }
        CodecRegistry::fillCodingSelectors(s);
        QCOMPARE(b.currentIndex(), current);
        QCOMPARE(a.currentIndex(), stored.isValid() ? 1 : 0);
        QCOMPARE(c.currentIndex(), 0);
        QVERIFY(b.currentText() != CodecRegistry::addRemove());
    }

    void dialogShowsBothLists()
    {
        preferences().selectedCodecs = QStringList{QStringLiteral("UTF-16"), QStringLiteral("WINSAMI2")};
        SelectCodecDlg dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("SelectCodecDlg"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Character Codings"));
        QCOMPARE(dialog.size(), QSize(400, 336));
        QCOMPARE(dialog.ui->label->text(), QStringLiteral("Available Codecs"));
        QCOMPARE(dialog.ui->label_2->text(), QStringLiteral("Selected Codecs"));
        QCOMPARE(dialog.ui->listWidget_all->geometry(), QRect(20, 40, 171, 241));
        QCOMPARE(dialog.ui->listWidget_sel->geometry(), QRect(210, 40, 171, 241));
        QCOMPARE(dialog.ui->buttonBox->geometry(), QRect(160, 290, 81, 32));
        QCOMPARE(dialog.ui->buttonBox->standardButtons(), QDialogButtonBox::StandardButtons(QDialogButtonBox::Ok));
        QCOMPARE(itemsOf(dialog.ui->listWidget_all), CodecRegistry::fixedCodingList());
        QCOMPARE(itemsOf(dialog.ui->listWidget_sel), preferences().selectedCodecs);
    }

    void dialogAddsOnceAndRemovesToTheEnd()
    {
        Preferences &p = preferences();
        SelectCodecDlg dialog;
        dialog.show();
        QListWidget *all = dialog.ui->listWidget_all;
        QListWidget *sel = dialog.ui->listWidget_sel;
        const int utf16 = p.allCodecs.indexOf(QStringLiteral("UTF-16"));
        const int koi8 = p.allCodecs.indexOf(QStringLiteral("KOI8-R (Cyrillic)"));

        doubleClickRow(all, utf16);
        doubleClickRow(all, utf16);
        QCOMPARE(p.selectedCodecs, QStringList{QStringLiteral("UTF-16")});
        QCOMPARE(itemsOf(sel), p.selectedCodecs);

        doubleClickRow(all, koi8);
        QCOMPARE(p.selectedCodecs, (QStringList{QStringLiteral("UTF-16"), QStringLiteral("KOI8-R (Cyrillic)")}));

        // Removing and adding again puts the coding last.
        doubleClickRow(sel, 0);
        QCOMPARE(p.selectedCodecs, QStringList{QStringLiteral("KOI8-R (Cyrillic)")});
        QCOMPARE(itemsOf(sel), p.selectedCodecs);
        doubleClickRow(all, utf16);
        QCOMPARE(p.selectedCodecs, (QStringList{QStringLiteral("KOI8-R (Cyrillic)"), QStringLiteral("UTF-16")}));
        QCOMPARE(itemsOf(sel), p.selectedCodecs);
        // The fixed list never changes.
        QCOMPARE(itemsOf(all), CodecRegistry::fixedCodingList());
    }

    void dialogIgnoresClicksOnNoItem()
    {
        Preferences &p = preferences();
        p.selectedCodecs = QStringList{QStringLiteral("UTF-16")};
        SelectCodecDlg dialog;
        dialog.on_listWidget_sel_doubleClicked(QModelIndex());
        dialog.on_listWidget_all_doubleClicked(QModelIndex());
        QCOMPARE(p.selectedCodecs, QStringList{QStringLiteral("UTF-16")});
        QCOMPARE(dialog.ui->listWidget_sel->count(), 1);
        // The slot takes the row that was clicked even with no current item.
        dialog.ui->listWidget_sel->setCurrentRow(-1);
        dialog.on_listWidget_sel_doubleClicked(dialog.ui->listWidget_sel->model()->index(0, 0));
        QVERIFY(p.selectedCodecs.isEmpty());
        QCOMPARE(dialog.ui->listWidget_sel->count(), 0);
    }

    void okAccepts()
    {
        SelectCodecDlg dialog;
        QCOMPARE(pressOk(dialog), int(QDialog::Accepted));
    }

    void addRemoveOpensDialogAndRebuildsSelectors()
    {
        QSettings *s = freshStore();
        s->setValue(QStringLiteral("codecs"), QStringList{QStringLiteral("UTF-16")});
        s->setValue(QStringLiteral("select/codldup"), 2);
        s->setValue(QStringLiteral("select/codldlw"), 1);
        setSettingsStore(s);
        ScriptedPrompts p;
        setPrompts(&p);
        MainWindow w;
        QCOMPARE(p.dialogsRun, 0);
        QCOMPARE(w.ui->comboBox_loadupr->currentText(), QStringLiteral("UTF-16"));
        w.ui->comboBox_loadupr->setCurrentIndex(0);
        w.ui->comboBox_save->setCurrentIndex(1);

        QString parentName;
        p.dialogs.push_back([&parentName](QDialog &d) {
            parentName = d.parentWidget() ? d.parentWidget()->objectName() : QString();
            auto *all = d.findChild<QListWidget *>(QStringLiteral("listWidget_all"));
            doubleClickRow(all, preferences().allCodecs.indexOf(QStringLiteral("Windows-1251 (Cyrillic)")));
            return pressOk(d);
        });
        choose(w.ui->comboBox_save, QStringLiteral("Add / Remove"));
        QCOMPARE(p.dialogsRun, 1);
        QCOMPARE(parentName, w.objectName());
        const QStringList expected = {QStringLiteral("Auto Local"), QStringLiteral("UTF-8"),
                                      QStringLiteral("UTF-16"), QStringLiteral("Windows-1251 (Cyrillic)"),
                                      QStringLiteral("Add / Remove")};
        QCOMPARE(itemsOf(w.ui->comboBox_loadupr), expected);
        QCOMPARE(itemsOf(w.ui->comboBox_loadlwr), expected);
        QCOMPARE(itemsOf(w.ui->comboBox_save), expected);
        // The stored indexes come back, not the choices made since the start.
        QCOMPARE(w.ui->comboBox_loadupr->currentIndex(), 2);
        QCOMPARE(w.ui->comboBox_loadlwr->currentIndex(), 1);
        QCOMPARE(w.ui->comboBox_save->currentIndex(), 0);

        // Closed without a change: rebuilt and reset all the same, no reopening.
        w.ui->comboBox_loadupr->setCurrentIndex(3);
        choose(w.ui->comboBox_loadlwr, QStringLiteral("Add / Remove"));
        QCOMPARE(p.dialogsRun, 2);
        QCOMPARE(itemsOf(w.ui->comboBox_loadlwr), expected);
        QCOMPARE(w.ui->comboBox_loadupr->currentIndex(), 2);
        QCOMPARE(w.ui->comboBox_loadlwr->currentIndex(), 1);

        // A plain choice does nothing at once.
        choose(w.ui->comboBox_loadupr, QStringLiteral("Windows-1251 (Cyrillic)"));
        QCOMPARE(p.dialogsRun, 2);
    }

    void readsWindows1251()
    {
        preferences().selectedCodecs = QStringList{QStringLiteral("Windows-1251 (Cyrillic)")};
        ScriptedPrompts p;
        setPrompts(&p);
        MainWindow w;
        choose(w.ui->comboBox_loadlwr, QStringLiteral("Windows-1251 (Cyrillic)"));
        LogCapture log;
        p.openNames.push_back(fixture(QStringLiteral("cp1251_cyrillic.srt")));
        w.on_pushButton_ldlwr_clicked();
        const SubtitleSet &lower = workspace().lower;
        QCOMPARE(lower.count, 2);
        QCOMPARE(lower.records[0].text, QStringLiteral("Привет, мир!"));
        QCOMPARE(lower.records[1].text, QStringLiteral("Ёлка и щука"));
        QVERIFY2(!log.joined().contains(QStringLiteral("unknown")), qPrintable(log.joined()));
    }

    void byteOrderMarkWinsOverSelection_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QString>("firstText");
        QTest::newRow("UTF-8 under Windows-1251")
            << "utf8_bom_crlf.srt" << "Windows-1251 (Cyrillic)" << QStringLiteral("<i>♪ Lalala ♪</i>");
        QTest::newRow("UTF-16LE under Windows-1252")
            << "utf16le_bom.srt" << "Windows-1252 (Western)" << QStringLiteral("Привет, мир");
        QTest::newRow("UTF-16LE under UTF-16BE")
            << "utf16le_bom.srt" << "UTF-16BE" << QStringLiteral("Привет, мир");
    }
    void byteOrderMarkWinsOverSelection()
    {
        QFETCH(QString, file);
        QFETCH(QString, coding);
        QFETCH(QString, firstText);
        preferences().selectedCodecs = QStringList{coding};
        ScriptedPrompts p;
        setPrompts(&p);
        MainWindow w;
        choose(w.ui->comboBox_loadupr, coding);
        p.openNames.push_back(fixture(file));
        w.on_pushButton_ldupr_clicked();
        QCOMPARE(workspace().upper.count, 2);
        QCOMPARE(workspace().upper.records[0].text, firstText);
    }

    void savesInChosenCoding_data()
    {
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QStringLiteral("Naïve café");
        QTest::newRow("Windows-1252") << "Windows-1252 (Western)" << QByteArray("Na\xefve caf\xe9");
        QTest::newRow("UTF-8") << "UTF-8" << text.toUtf8();
        // The tests run under a UTF-8 locale.
        QTest::newRow("Auto Local") << "Auto Local" << QTextCodec::codecForLocale()->fromUnicode(text);
        QTest::newRow("UTF-16BE") << "UTF-16BE"
                                  << QByteArray("\0N\0a\0\xef\0v\0e\0 \0c\0a\0f\0\xe9", 20);
    }
    void savesInChosenCoding()
    {
        QFETCH(QString, coding);
        QFETCH(QByteArray, bytes);
        QVERIFY(tmp.isValid());
        preferences().selectedCodecs = QStringList{QStringLiteral("Windows-1252 (Western)"), QStringLiteral("UTF-16BE")};
        ScriptedPrompts p;
        setPrompts(&p);
        MainWindow w;
        p.openNames.push_back(fixture(QStringLiteral("utf8_bom_crlf.srt")));
        w.on_pushButton_ldupr_clicked();
        QCOMPARE(workspace().upper.records[1].text, QStringLiteral("Naïve café"));
        LogCapture log;
        const QString out = saveUpperAs(w, p, coding, QStringLiteral("out.srt"));
        QVERIFY2(log.joined().contains(QStringLiteral("Up: 2 subs saved to out.srt")), qPrintable(log.joined()));
        const QByteArray written = readFile(out);
        QVERIFY2(written.contains(bytes), written.toHex().constData());
        // No byte-order mark, whatever the coding.
        QVERIFY(!written.startsWith("\xef\xbb\xbf"));
        QVERIFY(!written.startsWith("\xff\xfe"));
        QVERIFY(!written.startsWith("\xfe\xff"));
    }

    void savesInUtf16AndReadsItBack()
    {
        preferences().selectedCodecs =
            QStringList{QStringLiteral("UTF-16"), QStringLiteral("Windows-1250 (Central Europe)")};
        ScriptedPrompts p;
        setPrompts(&p);
        MainWindow w;
        choose(w.ui->comboBox_loadupr, QStringLiteral("Windows-1250 (Central Europe)"));
        p.openNames.push_back(fixture(QStringLiteral("cp1250_crlf.srt")));
        w.on_pushButton_ldupr_clicked();
        const int count = workspace().upper.count;
        QVERIFY(count > 0);
        const QString first = workspace().upper.records[0].text;
        QVERIFY2(first.contains(QStringLiteral("Příliš")), qPrintable(first));

        const QString out = saveUpperAs(w, p, QStringLiteral("UTF-16"), QStringLiteral("utf16.srt"));
        const QByteArray written = readFile(out);
        QVERIFY(written.size() > 2);
        QVERIFY(!written.startsWith("\xff\xfe") && !written.startsWith("\xfe\xff"));
        QCOMPARE(written.size() % 2, 0);
        // "1" and the line end as 16-bit units; the byte order is the machine's.
        QVERIFY(written.startsWith(QByteArray("1\0\n\0", 4)) || written.startsWith(QByteArray("\0" "1\0\n", 4)));

        // Read back under the same selection.
        p.openNames.push_back(out);
        w.on_pushButton_ldupr_clicked();
        QCOMPARE(workspace().upper.count, count);
        QCOMPARE(workspace().upper.records[0].text, first);
    }

    void unknownCodingFallsBackAndSaysSoOnce()
    {
        preferences().selectedCodecs = QStringList{QStringLiteral("WINSAMI2")};
        ScriptedPrompts p;
        setPrompts(&p);
        MainWindow w;
        choose(w.ui->comboBox_loadupr, QStringLiteral("WINSAMI2"));
        LogCapture log;
        p.openNames.push_back(fixture(QStringLiteral("utf8_bom_crlf.srt")));
        w.on_pushButton_ldupr_clicked();
        const QString line = QStringLiteral("Up: coding WINSAMI2 unknown, local coding used");
        QCOMPARE(log.lines.count(line), 1);
        QCOMPARE(log.levels.at(log.lines.indexOf(line)), 1);
        QCOMPARE(workspace().upper.count, 2);

        const QString out = saveUpperAs(w, p, QStringLiteral("WINSAMI2"), QStringLiteral("sami.srt"));
        QCOMPARE(log.lines.count(line), 2);
        // Written in the local coding (UTF-8 here).
        QVERIFY(readFile(out).contains(QStringLiteral("Naïve café").toUtf8()));

        LogCapture quiet;
        choose(w.ui->comboBox_loadupr, QStringLiteral("Auto Local"));
        p.openNames.push_back(fixture(QStringLiteral("utf8_bom_crlf.srt")));
        w.on_pushButton_ldupr_clicked();
        QVERIFY2(!quiet.joined().contains(QStringLiteral("unknown")), qPrintable(quiet.joined()));
    }

    void cliAcceptsEveryListedCoding_data()
    {
        QTest::addColumn<QString>("entry");
        QStringList entries = {QStringLiteral("Auto Local"), QStringLiteral("UTF-8")};
        entries << CodecRegistry::fixedCodingList();
        for (const QString &e : entries)
            QTest::newRow(qPrintable(e)) << e;
    }
    void cliAcceptsEveryListedCoding()
    {
        QFETCH(QString, entry);
        const QString name = CodecRegistry::codecNameOf(entry);
        // A byte-order mark makes the input readable whatever the coding.
        const QString in = writeFile(tmp.path(), QStringLiteral("in.srt"),
                                     "\xef\xbb\xbf" "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n");
        const QString unknownLine = QStringLiteral("coding %1 unknown, local coding used").arg(name);

        QProcess convert;
        convert.start(QStringLiteral(CLI_PATH),
                      {QStringLiteral("convert"), in, tmp.filePath(QStringLiteral("c.srt")), QStringLiteral("--coding"),
                       entry, QStringLiteral("--out-coding"), name});
        QVERIFY(convert.waitForFinished(60000));
        QString err = QString::fromLocal8Bit(convert.readAllStandardError());
        QVERIFY2(convert.exitStatus() == QProcess::NormalExit && convert.exitCode() == 0, qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("Up: 1 subs saved to c.srt")), qPrintable(err));
        QCOMPARE(err.count(unknownLine), fallbackEntries.contains(entry) ? 2 : 0);

        QProcess merge;
        merge.start(QStringLiteral(CLI_PATH),
                    {QStringLiteral("merge"), in, in, tmp.filePath(QStringLiteral("m.srt")),
                     QStringLiteral("--upper-coding"), name, QStringLiteral("--lower-coding"), entry,
                     QStringLiteral("--out-coding"), entry});
        QVERIFY(merge.waitForFinished(60000));
        err = QString::fromLocal8Bit(merge.readAllStandardError());
        QVERIFY2(merge.exitStatus() == QProcess::NormalExit && merge.exitCode() == 0, qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("Lw: 1 subs loaded from in.srt")), qPrintable(err));
    }

    void cliRejectsUnknownCoding_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("option");
        QTest::newRow("convert --coding") << "convert" << "--coding";
        QTest::newRow("convert --out-coding") << "convert" << "--out-coding";
        QTest::newRow("merge --upper-coding") << "merge" << "--upper-coding";
        QTest::newRow("merge --lower-coding") << "merge" << "--lower-coding";
        QTest::newRow("merge --out-coding") << "merge" << "--out-coding";
    }
    void cliRejectsUnknownCoding()
    {
        QFETCH(QString, command);
        QFETCH(QString, option);
        const QString in = writeFile(tmp.path(), QStringLiteral("in.srt"),
                                     "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n");
        const QString out = tmp.filePath(QStringLiteral("never.srt"));
        QStringList args = {command, in};
        if (command == QLatin1String("merge"))
            args << in;
        args << out << option << QStringLiteral("Klingon-1 (Qo'noS)");
        QProcess cli;
        cli.start(QStringLiteral(CLI_PATH), args);
        QVERIFY(cli.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), 2);
        QVERIFY2(err.contains(QStringLiteral("Klingon-1 (Qo'noS)")), qPrintable(err));
        QVERIFY2(err.contains(option), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("usage:")), qPrintable(err));
        QVERIFY(!QFile::exists(out));
    }

    void cliReadsAndWritesInNamedCodings()
    {
        const QString out = tmp.filePath(QStringLiteral("cyr.srt"));
        QProcess cli;
        cli.start(QStringLiteral(CLI_PATH),
                  {QStringLiteral("convert"), fixture(QStringLiteral("cp1251_cyrillic.srt")), out,
                   QStringLiteral("--coding"), QStringLiteral("Windows-1251"), QStringLiteral("--out-coding"),
                   QStringLiteral("KOI8-R (Cyrillic)")});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QTextCodec *koi8 = QTextCodec::codecForName("KOI8-R");
        QVERIFY(koi8);
        QVERIFY(readFile(out).contains(koi8->fromUnicode(QStringLiteral("Привет, мир!"))));
    }
};

QTEST_MAIN(TestCodings)
#include "tst_codings.moc"
