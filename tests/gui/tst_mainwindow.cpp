// The real main window, offscreen, driven as a user clicks it with the prompt
// seam answering its dialogs: the controls at the start, the log, loading
// (format by content, coding found, a MicroDVD file's own frame rate offered)
// and saving, cancelled saves, the sync links, the set buttons, the colour
// controls, and flows with the small real pair through links, synchronizing
// and Process & Save.

#include "guiutil.h"
#include "testutil.h"

#include "core/codings.h"
#include "gui/mainwindow.h"
#include "gui/prompts.h"

#include <QProcess>
#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace testutil;
using V = QVector<int>;

namespace {

// The timing dialog answered as a user fills it.
ScriptedPrompts::DialogHandler timing(double shift, const QString &conversion = QStringLiteral("- None -"))
{
    return [=](QDialog &d) {
        d.findChild<QDoubleSpinBox *>(QStringLiteral("shiftSpinBox"))->setValue(shift);
        choose(d.findChild<QComboBox *>(QStringLiteral("conversionBox")), conversion);
        return closeDialog(d);
    };
}

// The strip dialog with the named kinds ticked, then OK or Cancel.
ScriptedPrompts::DialogHandler strip(const QStringList &kinds, bool ok = true)
{
    return [=](QDialog &d) {
        for (const QString &kind : kinds)
            d.findChild<QCheckBox *>(kind + QStringLiteral("CheckBox"))->setChecked(true);
        return closeDialog(d, ok);
    };
}

} // namespace

class TestMainWindow : public QObject, TempDir
{
    Q_OBJECT

    FilterPrompts prompts;
    std::unique_ptr<MainWindow> w;

    MainForm ui() const { return MainForm(w.get()); }
    QStringList log() { return rowsOf(ui().logList); }
    // "0002 0003" of each link's row: the rows it joins.
    QStringList linkLabels() const
    {
        QStringList labels;
        for (const QString &row : rowsOf(ui().linkList))
            labels << row.left(9);
        return labels;
    }
    static QString timeBox(const QListWidget *box) { return box->count() == 1 ? box->item(0)->text() : QString(); }
    void select(int upperRow, int lowerRow)
    {
        w->selectRow(w->session().upper, upperRow);
        w->selectRow(w->session().lower, lowerRow);
    }
    void loadFiles(const QString &upper, const QString &lower)
    {
        prompts.openNames = {upper, lower};
        w->loadUpper();
        w->loadLower();
    }
    void loadPair()
    {
        loadFiles(fixture(QStringLiteral("pair_upper.srt")), fixture(QStringLiteral("pair_lower.srt")));
        choose(ui().saveCodingBox, QStringLiteral("UTF-8"));
    }
    // Process & Save into tmp/name; the new log lines.
    QStringList processAndSave(const QString &name)
    {
        const int before = log().size();
        if (!name.isEmpty())
            prompts.saveNames = {path(name)};
        ui().processButton->click();
        return log().mid(before);
    }

private slots:
    void init()
    {
        prompts = FilterPrompts();
        setPrompts(&prompts);
        w = std::make_unique<MainWindow>(nullptr);
        // The golden files are written without colour tags.
        ui().colorTagsCheckBox->setChecked(false);
        w->resize(1000, 700);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup()
    {
        w.reset();
        setPrompts(nullptr);
    }

    void windowAtStart()
    {
        QCOMPARE(w->windowTitle(), QStringLiteral("Twinscript 1.1"));
        QVERIFY(!w->windowIcon().isNull());
        QCOMPARE((QStringList {ui().loadGroup->title(), ui().syncGroup->title(), ui().processGroup->title(),
                               ui().exitGroup->title()}),
                 (QStringList {"1.) Load Subtitle Files", "2.) Synchronize", "3.) Select Processing and Save",
                               "4.) Donate and Exit"}));
        QVERIFY(!ui().addLinkButton->isEnabled());
        QVERIFY(log().isEmpty());
        struct Spin
        {
            QSpinBox *box;
            int min, max, value, step;
            const char *suffix;
        };
        const Spin spins[] = {{ui().bottomLinesSpinBox, 0, 30, 2, 1, " Bottom Lines"},
                              {ui().gapSpinBox, 0, 50, 0, 1, " ms Gap"},
                              {ui().snapSpinBox, 50, 1000, 500, 50, " ms Snap"},
                              {ui().cpsSpinBox, 10, 50, 25, 1, " Chars/sec"}};
        for (const Spin &s : spins) {
            QCOMPARE((QList<int> {s.box->minimum(), s.box->maximum(), s.box->value(), s.box->singleStep()}),
                     (QList<int> {s.min, s.max, s.value, s.step}));
            QCOMPARE(s.box->suffix(), QLatin1String(s.suffix));
        }
        QCOMPARE(ui().lastLineBox->count(), 3);
        QCOMPARE(ui().lastLineBox->itemText(2), QStringLiteral("Last is Doubled"));
        for (const QComboBox *box : {ui().upperCodingBox, ui().lowerCodingBox, ui().saveCodingBox}) {
            QCOMPARE(rowsOf(box),
                     (QStringList {"Auto Detect", "Auto Local", "UTF-8"} + Codings::commonList()
                      + QStringList {QStringLiteral("More\u2026")}));
            QCOMPARE(box->currentText(), QStringLiteral("Auto Detect"));
        }
        const QList<QSlider *> sliders = w->findChildren<QSlider *>(QRegularExpression("Slider$"));
        QCOMPARE(sliders.size(), 6);
        for (QSlider *slider : sliders)
            QVERIFY(slider->maximum() == 255 && slider->pageStep() == 16);
    }

    // The newest line comes into view without being selected (a selection
    // would hide an error's red), also after the user scrolled back; at least
    // six lines are shown.
    void logFollowsNewestLine()
    {
        LogSink &sink = w->session().log();
        for (int i = 0; i < 30; ++i)
            sink.log(i == 0 ? LogError : LogDebug, QStringLiteral("Lw: "), QString::number(i));
        ui().logList->scrollToTop();
        sink.log(LogInfo, QStringLiteral("Up: "), QStringLiteral("newest"));
        QCOMPARE(log().last(), QStringLiteral("Up: newest"));
        QVERIFY(!ui().logList->currentIndex().isValid());
        const QRect newest = ui().logList->visualRect(ui().logList->model()->index(30, 0));
        QVERIFY(ui().logList->viewport()->rect().contains(newest));
        QVERIFY(ui().logList->viewport()->height() >= 6 * ui().logList->sizeHintForRow(0));
    }

    // A load shows the subtitles and the first one's times and text; the time
    // box and label follow the user's row. A cancelled load keeps the set and
    // unchecks "Append".
    void loadShowsSubtitles()
    {
        prompts.openNames
            = {write(QStringLiteral("film.srt"),
                     "1\n00:00:01,000 --> 00:00:02,500\nHello\nWorld\n\n2\n00:01:00,000 --> 00:01:02,000\nBye\n")};
        ui().loadUpperButton->click();
        QCOMPARE(prompts.captions, QStringList {QStringLiteral("Load upper subtitles")});
        // Files are read by their content: any name can be chosen.
        QCOMPARE(prompts.openFilters,
                 QStringList {QStringLiteral("Subtitles (*.srt *.sub *.txt *.ass *.ssa *.vtt);;Videos (*.mkv *.mka "
                                             "*.mp4 *.m4v *.mov *.webm);;All files (*)")});
        QCOMPARE(rowsOf(ui().upperList), (QStringList {"0001 Hello|World", "0002 Bye"}));
        QCOMPARE(timeBox(ui().upperTimeBox), QStringLiteral("00:00:01,000 --> 00:00:02,500"));
        QCOMPARE(ui().upperPreview->text(), QStringLiteral("Hello<br>World"));
        QCOMPARE(log(), QStringList {"Up: 2 subs loaded from film.srt"});
        QCOMPARE(ui().upperTitle->text(), QStringLiteral("Upper: film.srt"));
        QCOMPARE(ui().lowerTitle->text(), QStringLiteral("Lower"));
        QVERIFY(!ui().addLinkButton->isEnabled()); // no lower subtitle to link to

        ui().upperList->setCurrentIndex(ui().upperList->model()->index(1, 0));
        QCOMPARE(w->selectedRow(w->session().upper), 1);
        QCOMPARE(timeBox(ui().upperTimeBox), QStringLiteral("00:01:00,000 --> 00:01:02,000"));
        QCOMPARE(ui().upperPreview->text(), QStringLiteral("Bye"));

        ui().appendCheckBox->setChecked(true);
        ui().loadUpperButton->click(); // no name queued: cancelled
        QCOMPARE(log().last(), QStringLiteral("Up: load cancelled"));
        QVERIFY(!ui().appendCheckBox->isChecked());
        QCOMPARE(rowsOf(ui().upperList).size(), 2);
    }

    void saveThroughTheSeam()
    {
        prompts.openNames = {write(QStringLiteral("in.srt"), "00:00:01,000 --> 00:00:02,000\n<i>Hi</i>\n")};
        ui().loadLowerButton->click();
        const QString out = path(QStringLiteral("out.sub"));
        prompts.saveNames = {out};
        prompts.dialogs = {frameRate(2)};
        ui().saveLowerButton->click();
        QCOMPARE(prompts.captions.last(), QStringLiteral("Save lower subtitles"));
        QCOMPARE(prompts.saveFilters, QStringList {QStringLiteral("SubRip (*.srt);;MicroDVD (*.sub);;WebVTT (*.vtt)")});
        // The set's own name where the last file came from, in its own format.
        QCOMPARE(prompts.dirs.last(), path(QStringLiteral("in.srt")));
        QCOMPARE(readFile(out), QByteArray("{25}{50}{y:i}Hi\n"));
        QCOMPARE(log().last(), QStringLiteral("Lw: 1 subs saved to out.sub"));
    }

    // The prompt names the file; Cancel loads nothing.
    void microDvdLoadAsksFrameRate()
    {
        QString question;
        prompts.openNames = {fixture(QStringLiteral("basic_25fps.sub")), fixture(QStringLiteral("basic_25fps.sub"))};
        prompts.dialogs = {[&](QDialog &d) {
                               question = d.findChild<QLabel *>(QStringLiteral("questionLabel"))->text();
                               return closeDialog(d, false);
                           },
                           frameRate(2)};
        ui().loadUpperButton->click();
        QCOMPARE(question, QStringLiteral("Frame rate of basic_25fps.sub"));
        QCOMPARE(w->session().upper.count, 0);
        QVERIFY(log().isEmpty());
        ui().loadUpperButton->click();
        QCOMPARE(prompts.dialogsRun, 2);
        QCOMPARE(rowsOf(ui().upperList), (QStringList {"0001 Hello|{y:i}world", "0002 Second", "0003 {y:b}Third"}));
        QCOMPARE(log(),
                 (QStringList {"Up: sub too short#3", "Up: sub too short#4", "Up: 3 subs loaded from basic_25fps.sub",
                               "Up: 2 subs skipped"}));
    }

    // The content decides the format, not the name: only a MicroDVD file asks
    // for its frame rate; a name that says otherwise is logged once; a file
    // without subtitles leaves the set as it was, with no prompt.
    void loadReadsByContent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("prompted");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<V>("starts");
        QTest::addColumn<QStringList>("lines"); // logged by the load
        row("SubRip named .srt", "film.srt", QByteArray("1\n00:00:01,000 --> 00:00:02,000\nHi\n"), 0,
            QStringList {"0001 Hi"}, V {1000}, QStringList {"Up: 1 subs loaded from film.srt"});
        row("SubRip named .sub", "film.sub", QByteArray("1\n00:00:01,000 --> 00:00:02,000\nHi\nthere\n"), 0,
            QStringList {"0001 Hi|there"}, V {1000},
            QStringList {"Up: film.sub read as SubRip", "Up: 1 subs loaded from film.sub"});
        row("MPL2 named .txt", "film.txt", QByteArray("[10][25]Hola|amigo\n[30][42]Adios\n"), 0,
            QStringList {"0001 Hola|amigo", "0002 Adios"}, V {1000, 3000},
            QStringList {"Up: film.txt read as MPL2", "Up: 2 subs loaded from film.txt"});
        row("SubViewer named .sub", "film.sub",
            QByteArray("[INFORMATION]\n[TITLE]Film\n[END INFORMATION]\n\n00:00:01.50,00:00:02.50\nHi[br]there\n"), 0,
            QStringList {"0001 Hi|there"}, V {1500},
            QStringList {"Up: film.sub read as SubViewer 2.0", "Up: 1 subs loaded from film.sub"});
        // Answered with 25 frames a second.
        row("MicroDVD named .srt", "film.srt", QByteArray("{25}{50}Hi\n{75}{100}Bye\n"), 1,
            QStringList {"0001 Hi", "0002 Bye"}, V {1000, 3000},
            QStringList {"Up: film.srt read as MicroDVD", "Up: 2 subs loaded from film.srt"});
        row("MicroDVD named .txt", "film.txt", QByteArray("{25}{50}Hi\n"), 1, QStringList {"0001 Hi"}, V {1000},
            QStringList {"Up: 1 subs loaded from film.txt"});
        row("no subtitles", "page.srt", QByteArray("<html><body>Not found</body></html>\n"), 0,
            QStringList {"0001 Before"}, V {500}, QStringList {"Up: error: no subtitles found in page.srt"});
    }
    void loadReadsByContent()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        prompts.openNames
            = {write(QStringLiteral("before.srt"), "1\n00:00:00,500 --> 00:00:00,900\nBefore\n"), write(name, bytes)};
        ui().loadUpperButton->click();
        const int before = log().size();
        prompts.dialogs = {frameRate(2)};
        ui().loadUpperButton->click();
        QTEST(prompts.dialogsRun, "prompted");
        QTEST(rowsOf(ui().upperList), "rows");
        QTEST(startsOf(w->session().upper), "starts");
        QTEST(QStringList(log().mid(before)), "lines");
    }

    // The coding selector's entry decides how the bytes are read: "Auto
    // Detect" names the coding it found, another coding that cannot decode
    // them counts what it replaced and names a likelier one.
    void loadFindsCoding_data()
    {
        QTest::addColumn<bool>("upper");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("first"); // the list's first row
        QTest::addColumn<QStringList>("lines");
        const QString spanish = QStringLiteral("0001 ¿Dónde está la estación de autobuses?");
        row("Auto Detect, Windows-1252", true, "Auto Detect", "detect_cp1252_spanish.srt", spanish,
            QStringList {"Up: coding detected: WINDOWS-1252", "Up: 10 subs loaded from detect_cp1252_spanish.srt"});
        row("Auto Detect, Windows-1251, lower", false, "Auto Detect", "detect_cp1251_russian.srt",
            "0001 Добрый вечер. Вы не подскажете, где вокзал?",
            QStringList {"Lw: coding detected: WINDOWS-1251", "Lw: 10 subs loaded from detect_cp1251_russian.srt"});
        row("Auto Detect, UTF-16LE with mark", true, "Auto Detect", "detect_utf16le_bom_spanish.srt", spanish,
            QStringList {"Up: 10 subs loaded from detect_utf16le_bom_spanish.srt"});
        // Each letter beyond ASCII is one byte no UTF-8 reader takes.
        const auto replaced = [](QString text) {
            for (QChar &c : text)
                if (c.unicode() > 0x7f)
                    c = QChar::ReplacementCharacter;
            return text;
        };
        row("Auto Local, Windows-1252", true, "Auto Local", "detect_cp1252_spanish.srt", replaced(spanish),
            QStringList {"Up: 22 characters not decodable as UTF-8; try Windows-1252",
                         "Up: 10 subs loaded from detect_cp1252_spanish.srt"});
        row("UTF-8, Windows-1251, lower", false, "UTF-8", "detect_cp1251_russian.srt",
            replaced("0001 Добрый вечер. Вы не подскажете, где вокзал?"),
            QStringList {"Lw: 313 characters not decodable as UTF-8; try Windows-1251",
                         "Lw: 10 subs loaded from detect_cp1251_russian.srt"});
    }
    void loadFindsCoding()
    {
        QFETCH(bool, upper);
        QFETCH(QString, entry);
        QFETCH(QString, file);
        choose(upper ? ui().upperCodingBox : ui().lowerCodingBox, entry);
        prompts.openNames = {fixture(file)};
        (upper ? ui().loadUpperButton : ui().loadLowerButton)->click();
        QTEST(rowsOf(upper ? ui().upperList : ui().lowerList).value(0), "first");
        QTEST(log(), "lines");
    }

    // A MicroDVD file declaring its frame rate opens the prompt on that rate
    // and is read at the rate the user leaves or picks; a file declaring none
    // opens it on the rate chosen last. Each load is answered with the entry
    // in `answers` (-1: OK on the entry shown).
    void frameRatePromptOffersDeclaredRate_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<V>("answers");
        QTest::addColumn<QStringList>("opened"); // the entry each prompt opened on
        QTest::addColumn<V>("starts"); // of the last file
        QTest::addColumn<QString>("first"); // its first row: the declaring line is no subtitle
        const QString declared = QStringLiteral("realfile_declared_rate_cp1252.sub"); // {1}{1}29.970
        const QString plain = QStringLiteral("basic_25fps.sub"); // declares nothing
        const QString pirates = QStringLiteral("0001 PIRATES|English subtitles");
        const QString hello = QStringLiteral("0001 Hello|{y:i}world");
        row("declared 29.970", QStringList {declared}, V {-1}, QStringList {"29.970 NTSC"}, V {0, 10010}, pirates);
        row("declared 29.970, 25 picked", QStringList {declared}, V {2}, QStringList {"29.970 NTSC"}, V {0, 12000},
            pirates);
        row("declared after another rate", QStringList {plain, declared}, V {1, -1},
            QStringList {"23.976 NTSC", "29.970 NTSC"}, V {0, 10010}, pirates);
        row("none declared: the last rate", QStringList {plain, plain}, V {2, -1},
            QStringList {"23.976 NTSC", "25.000 PAL"}, V {1000, 3000, 5000}, hello);
        row("none declared after a declared one", QStringList {declared, plain}, V {-1, -1},
            QStringList {"29.970 NTSC", "29.970 NTSC"}, V {834, 2502, 4170}, hello);
        row("none declared after the declared one changed", QStringList {declared, plain}, V {1, -1},
            QStringList {"29.970 NTSC", "24.000"}, V {1041, 3125, 5208}, hello);
        row("{0}{0}25.0 declared", QStringList {"declared25.sub"}, V {-1}, QStringList {"25.000 PAL"}, V {2000},
            "0001 Hi");
    }
    void frameRatePromptOffersDeclaredRate()
    {
        QFETCH(QStringList, files);
        QFETCH(V, answers);
        write(QStringLiteral("declared25.sub"), "{0}{0}25.0\n{50}{75}Hi\n");
        QStringList opened;
        for (int i = 0; i < files.size(); ++i) {
            prompts.openNames = {QFile::exists(fixture(files[i])) ? fixture(files[i]) : path(files[i])};
            prompts.dialogs = {frameRate(answers[i], &opened)};
            ui().loadUpperButton->click();
            QVERIFY(prompts.dialogs.empty());
        }
        QTEST(opened, "opened");
        QTEST(startsOf(w->session().upper), "starts");
        QTEST(rowsOf(ui().upperList).value(0), "first");
        // One line for each file that declares its rate, never a skipped subtitle for it.
        const QStringList lines = log();
        int declaring = 0;
        for (const QString &file : files)
            declaring += file == QLatin1String("basic_25fps.sub") ? 0 : 1;
        QCOMPARE(
            lines.filter(QRegularExpression(QStringLiteral("^Up: frame rate (29.970|25.000) declared by the file$")))
                .size(),
            declaring);
        QVERIFY2(lines.filter(QStringLiteral("too short#1")).isEmpty(), qPrintable(lines.join('\n')));
    }

    // "Add Link" follows the selected rows; links are followed, deleted and
    // cleared through the buttons and double-clicks; a fresh load of another
    // file drops them, a reload or an append keeps them.
    void linksFollowTheSelection()
    {
        const QString up = write(QStringLiteral("up.srt"), srtBytes({1000, 3000, 5000, 7000, 10000, 12000}));
        const QString lw = write(QStringLiteral("lw.srt"), srtBytes({2000, 4000, 9000, 11000, 13000, 15000}));
        prompts.openNames = {up, lw};
        ui().loadUpperButton->click();
        ui().loadLowerButton->click();
        select(1, 2);
        QVERIFY(ui().addLinkButton->isEnabled());
        ui().addLinkButton->click();
        QVERIFY(!ui().addLinkButton->isEnabled()); // the same pair again
        select(4, 1); // would cross the first link
        QVERIFY(!ui().addLinkButton->isEnabled());
        select(4, 4);
        ui().addLinkButton->click();
        QCOMPARE(linkLabels(), (QStringList {"0002 0003", "0005 0005"}));

        QCOMPARE(rowsOf(ui().linkList).at(1), QStringLiteral("0005 0005  00:00:10,000 line 5 / 00:00:13,000 line 5"));

        // A click on a link selects both rows.
        select(0, 0);
        const QModelIndex first = ui().linkList->model()->index(0, 0);
        QTest::mouseClick(ui().linkList->viewport(), Qt::LeftButton, Qt::NoModifier,
                          ui().linkList->visualRect(first).center());
        QCOMPARE(w->selectedRow(w->session().upper), 1);
        QCOMPARE(w->selectedRow(w->session().lower), 2);
        // Upper subtitle at 10 s: lower ones start at 9 s and 11 s, the earlier wins.
        doubleClick(ui().upperList, 4);
        QCOMPARE(w->selectedRow(w->session().lower), 2);

        ui().linkList->setCurrentIndex(ui().linkList->model()->index(0, 0));
        ui().deleteLinkButton->click();
        QCOMPARE(linkLabels(), QStringList {"0005 0005"});
        QCOMPARE(ui().linkList->currentIndex().row(), 0); // the next link

        prompts.openNames = {up};
        ui().loadUpperButton->click(); // reload
        QCOMPARE(linkLabels().size(), 1);
        prompts.openNames = {lw};
        ui().appendCheckBox->setChecked(true);
        ui().loadLowerButton->click(); // append
        QCOMPARE(linkLabels().size(), 1);
        QCOMPARE(w->session().lower.count, 12);
        QCOMPARE(w->selectedRow(w->session().lower), 6); // the first appended
        QCOMPARE(log().last(), QStringLiteral("Lw: 6 subs appended from lw.srt"));

        prompts.openNames = {lw};
        ui().loadUpperButton->click(); // a different file
        QVERIFY(linkLabels().isEmpty());
        QCOMPARE(w->session().links.count(), 0);
        QVERIFY(log().contains(QStringLiteral("Up: 1 links removed")));

        select(0, 0);
        ui().addLinkButton->click();
        QCOMPARE(linkLabels().size(), 1);
        ui().clearLinksButton->click();
        QVERIFY(linkLabels().isEmpty());
        QCOMPARE(w->session().links.count(), 0);
        QVERIFY(ui().addLinkButton->isEnabled());
    }

    // "Auto Link" places links on the subtitles that start together, shown in
    // the link list as any other, keeps the user's link, replaces its own on a
    // second press; "Delete Link" removes one; "Synchronize" then moves the set.
    void autoLinkThroughTheWindow()
    {
        const QVector<int> starts = irregularStarts(90, 3);
        QVector<int> late;
        for (int i = 0; i < starts.size(); ++i)
            if (i % 7 != 6)
                late << starts[i] + 7300;
        loadFiles(write(QStringLiteral("auto_up.srt"), srtBytes(starts)),
                  write(QStringLiteral("auto_lw.srt"), srtBytes(late)));
        select(1, 1);
        ui().addLinkButton->click(); // the user's own link
        ui().autoLinkButton->click();
        const QStringList links = linkLabels();
        QVERIFY(links.size() > 3);
        QVERIFY(links.contains(QStringLiteral("0002 0002")));
        QCOMPARE(log().last(), QStringLiteral("Lw: %1 links found: offset +7.300 s").arg(links.size() - 1));
        const SubtitleSet &up = w->session().upper;
        const SubtitleSet &lw = w->session().lower;
        for (int k = 0; k < w->session().links.count(); ++k) {
            const SyncLinks::Link &link = w->session().links.at(k);
            QCOMPARE(lw.startOf(link.lowerRow) - up.startOf(link.upperRow), 7300);
        }
        ui().autoLinkButton->click();
        QCOMPARE(linkLabels(), links);

        ui().linkList->setCurrentIndex(ui().linkList->model()->index(2, 0));
        ui().deleteLinkButton->click();
        QCOMPARE(linkLabels().size(), links.size() - 1);
        QVERIFY(!linkLabels().contains(links[2]));

        ui().syncLowerButton->click();
        for (int i = 0; i < lw.count; ++i)
            QCOMPARE(lw.startOf(i), late[i] - 7300);
    }

    // "Add Link" only for two subtitles; Process & Save with the defaults gives
    // the golden file; afterwards links join exactly the rows the lists show
    // and synchronizing through them works.
    void linkSynchronizeProcess()
    {
        prompts.openNames = {fixture(QStringLiteral("pair_upper.srt"))};
        w->loadUpper();
        w->loadLower(); // cancelled
        QVERIFY(!ui().addLinkButton->isEnabled());
        loadPair();
        QVERIFY(ui().addLinkButton->isEnabled());

        QCOMPARE(processAndSave(QStringLiteral("pair.srt")),
                 (QStringList {"Up: 0 subs stretched", "Lw: 0 subs stretched", "Mx: 10 subs stretched",
                               "Mx: 19 subs saved to pair.srt"}));
        QCOMPARE(readFile(path(QStringLiteral("pair.srt"))), readFile(fixture(QStringLiteral("pair_merged.srt"))));

        // From the next selection on the time boxes show merge times.
        select(4, 4);
        QCOMPARE(timeBox(ui().upperTimeBox), QStringLiteral("00:00:14,500 --> 00:00:16,225"));
        QCOMPARE(timeBox(ui().lowerTimeBox), QStringLiteral("00:00:13,600 --> 00:00:16,225"));

        select(2, 3);
        ui().addLinkButton->click();
        select(7, 8);
        ui().addLinkButton->click();
        QCOMPARE(linkLabels(), (QStringList {"0003 0004", "0008 0009"}));
        ui().syncLowerButton->click();
        QCOMPARE(log().last(), QStringLiteral("Lw: 0 subs stretched"));
        QVERIFY(log().contains(QStringLiteral("Lw: synced to Up: 2 points")));
        QCOMPARE(w->session().lower.at(3).start, 6800);
        QCOMPARE(w->session().lower.at(8).start, 23700);
        // The lower box shows the synchronized times, the upper one still merge times.
        QCOMPARE(timeBox(ui().lowerTimeBox), QStringLiteral("00:00:23,700 --> 00:00:25,700"));
        QCOMPARE(timeBox(ui().upperTimeBox), QStringLiteral("00:00:23,750 --> 00:00:26,150"));

        QCOMPARE(processAndSave(QStringLiteral("synced.srt")).last(),
                 QStringLiteral("Mx: 20 subs saved to synced.srt"));
        QCOMPARE(readFile(path(QStringLiteral("synced.srt"))).count("-->"), 20);
        select(3, 4);
        ui().addLinkButton->click();
        QCOMPARE(linkLabels(), (QStringList {"0003 0004", "0004 0005", "0008 0009"}));
        const int before = log().size();
        ui().syncUpperButton->click();
        QCOMPARE(log().mid(before), (QStringList {"Up: synced to Lw: 3 points", "Up: 0 subs stretched"}));
    }

    // Process & Save offers .ass; a name ending in it writes the same file as
    // the tool with the upper position chosen beside "Bottom Lines", asks no
    // frame rate, and the choice is read at the press.
    void processAndSaveAss()
    {
        loadPair();
        QCOMPARE(rowsOf(ui().upperPositionBox), (QStringList {"Upper Above", "Upper at Top"}));
        choose(ui().upperPositionBox, QStringLiteral("Upper at Top"));
        const int dialogs = prompts.dialogsRun;
        QCOMPARE(processAndSave(QStringLiteral("pair.ass")),
                 (QStringList {"Up: 0 subs stretched", "Lw: 0 subs stretched", "Mx: 21 subs saved to pair.ass"}));
        QCOMPARE(prompts.saveFilters.last(),
                 QStringLiteral("SubRip (*.srt);;MicroDVD (*.sub);;Advanced SubStation (*.ass);;WebVTT (*.vtt)"));
        QCOMPARE(prompts.dialogsRun, dialogs);

        QProcess cli;
        cli.start(QStringLiteral(CLI_PATH),
                  {"merge", fixture("pair_upper.srt"), fixture("pair_lower.srt"), path("cli.ass"), "--upper-position",
                   "top", "--upper-color", "ffff99"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const QByteArray written = readFile(path(QStringLiteral("pair.ass")));
        QCOMPARE(written, readFile(path(QStringLiteral("cli.ass"))));
        QCOMPARE(written.count("\nDialogue: 1,"), 10);
        QVERIFY(
            written.contains("\nStyle: Upper,Arial,51,&H0099FFFF,&H000000FF,&H00000000,&H80000000,0,0,0,0,100,100,0,"
                             "0,1,3,1,8,"));
    }

    // Time boxes: merge times after Process & Save, the set's own (shifted)
    // times once its times change; "Save as" leaves out what ends before 0:00.
    void timeBoxesAndSavingAfterShift()
    {
        loadPair();
        processAndSave(QStringLiteral("pair.srt"));
        select(4, 4);
        prompts.dialogs = {timing(-10)};
        ui().upperTimingButton->click();
        QCOMPARE(timeBox(ui().upperTimeBox), QStringLiteral("00:00:04,500 --> 00:00:06,200"));
        QCOMPARE(timeBox(ui().lowerTimeBox), QStringLiteral("00:00:13,600 --> 00:00:16,225"));

        const QString out = path(QStringLiteral("up.srt"));
        prompts.saveNames = {out};
        const int before = log().size();
        ui().saveUpperButton->click();
        QCOMPARE(log().mid(before),
                 (QStringList {"Up: 3 subs before 0:00 cut or left out", "Up: 7 subs saved to up.srt"}));
        const QByteArray bytes = readFile(out);
        QVERIFY(bytes.startsWith("1\n00:00:00,400 --> 00:00:02,000\n"));
        QVERIFY(!bytes.contains(":-") && !bytes.contains(",-"));
        QCOMPARE(bytes.count("-->"), 7);
    }

    // A double click selects the subtitle of the other list with the nearest start.
    void doubleClickJumpsToNearest()
    {
        loadPair();
        for (int pass = 0; pass < 2; ++pass) {
            select(0, 0);
            doubleClick(ui().lowerList, 8); // 29.0 s: the upper ones start at 27.0 and 30.25 s
            QCOMPARE(w->selectedRow(w->session().upper), 9);
            doubleClick(ui().upperList, 4); // 14.5 s: the lower ones at 13.6 and 16.4 s
            QCOMPARE(w->selectedRow(w->session().lower), 4);
            processAndSave(QStringLiteral("pair.srt"));
        }
    }

    // The file name is asked first: a cancelled Process & Save or "Save as"
    // writes nothing, leaves the sets and the time boxes as they were, and
    // says so in one line.
    void cancelledSave()
    {
        loadFiles(write("up.srt", "1\n00:00:01,000 --> 00:00:01,500\nA line that needs more time\n"),
                  write("lw.srt", "1\n00:00:01,300 --> 00:00:04,000\nDos\n"));
        const QStringList files = QDir(tmp.path()).entryList(QDir::Files);
        QCOMPARE(processAndSave(QString()), QStringList {"Mx: save cancelled"});
        QCOMPARE(w->session().upper.at(0).end, 1500);
        QCOMPARE(w->session().merged.count, 0);
        ui().upperList->setCurrentIndex(QModelIndex());
        select(0, 0);
        QCOMPARE(timeBox(ui().upperTimeBox), QStringLiteral("00:00:01,000 --> 00:00:01,500"));
        const int before = log().size();
        ui().saveLowerButton->click();
        // A MicroDVD file's frame-rate prompt cancels too.
        prompts.saveNames = {path("out.sub")};
        prompts.dialogs = {[](QDialog &d) { return closeDialog(d, false); }};
        ui().saveLowerButton->click();
        QCOMPARE(log().mid(before), (QStringList {"Lw: save cancelled", "Lw: save cancelled"}));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), files);
    }

    // A set shifted before 0:00 shows its times with a sign in front.
    void negativeTimes()
    {
        loadFiles(write("up.srt", "1\n00:00:01,000 --> 00:00:01,500\nUno\n"), QString());
        prompts.dialogs = {timing(-10.657)};
        ui().upperTimingButton->click();
        QCOMPARE(timeBox(ui().upperTimeBox), QStringLiteral("-00:00:09,657 --> -00:00:09,157"));
    }

    // Strip, timing and synchronize change their own set only, log one line
    // each, keep the selected row, and a cancelled dialog changes nothing.
    void setButtons()
    {
        const QString film = write("film.srt",
                                   "1\n00:00:01,000 --> 00:00:02,000\n(sighs)\nHello\n\n2\n00:00:03,000 --> "
                                   "00:00:04,000\n[MUSIC]\n\n3\n00:00:05,000 --> 00:00:06,000\n<i>Bye</i> (x)\n");
        loadFiles(film, film);
        select(2, 2);
        const int before = log().size();
        // The last choice comes back ticked.
        QStringList ticked;
        const auto angleToo = [&](QDialog &d) {
            for (QCheckBox *box : d.findChildren<QCheckBox *>())
                if (box->isChecked())
                    ticked << box->objectName();
            return strip({"angle"})(d);
        };
        prompts.dialogs = {strip({"round"}, false), strip({"round", "square"}), angleToo};
        ui().stripUpperButton->click();
        QCOMPARE(rowsOf(ui().upperList), (QStringList {"0001 (sighs)|Hello", "0002 [MUSIC]", "0003 <i>Bye</i> (x)"}));
        ui().stripUpperButton->click();
        ui().stripLowerButton->click();
        QCOMPARE(rowsOf(ui().upperList), (QStringList {"0001 Hello", "0002 ", "0003 <i>Bye</i>"}));
        QCOMPARE(ticked, (QStringList {"roundCheckBox", "squareCheckBox"}));
        QCOMPARE(rowsOf(ui().lowerList), (QStringList {"0001 Hello", "0002 ", "0003 Bye"}));
        QCOMPARE(w->selectedRow(w->session().upper), 2);
        QCOMPARE(log().mid(before),
                 (QStringList {"Up: 3 subs stripped, 1 left empty", "Lw: 3 subs stripped, 1 left empty"}));

        const QString steps = write("steps.srt", srtBytes({1000, 3000}));
        loadFiles(steps, steps);
        select(1, 0);
        prompts.dialogs = {[](QDialog &d) { return closeDialog(d, false); }};
        ui().upperTimingButton->click();
        QCOMPARE(startsOf(w->session().upper), (V {1000, 3000}));
        prompts.dialogs = {timing(1.5), timing(0, QStringLiteral("25.000 => 24.000"))};
        ui().upperTimingButton->click();
        QCOMPARE(timeBox(ui().upperTimeBox), QStringLiteral("00:00:04,500 --> 00:00:05,000"));
        QCOMPARE(log().last(), QStringLiteral("Up: 1500 ms shifted"));
        QCOMPARE(startsOf(w->session().lower), (V {1000, 3000}));
        ui().lowerTimingButton->click();
        QCOMPARE(startsOf(w->session().lower), (V {1041, 3125}));
        QCOMPARE(timeBox(ui().lowerTimeBox), QStringLiteral("00:00:01,041 --> 00:00:01,562"));
        QCOMPARE(log().last(), QStringLiteral("Lw: converted 25000 => 24000"));

        loadFiles(write("up5.srt", srtBytes({1000, 2000, 3000, 4000, 5000})), write("lw2.srt", srtBytes({2500, 6500})));
        for (const auto &pair : {qMakePair(1, 0), qMakePair(3, 1)}) {
            select(pair.first, pair.second);
            ui().addLinkButton->click();
        }
        select(2, 0);
        ui().syncUpperButton->click();
        QCOMPARE(startsOf(w->session().upper), (V {1500, 2500, 4500, 6500, 7500}));
        QCOMPARE(timeBox(ui().upperTimeBox), QStringLiteral("00:00:04,500 --> 00:00:05,000"));
        QVERIFY(log().contains(QStringLiteral("Up: synced to Lw: 2 points")));
        // The other button moves the lower set back onto the (now moved) upper one.
        ui().syncLowerButton->click();
        QCOMPARE(startsOf(w->session().lower), (V {2500, 6500}));
        QVERIFY(log().contains(QStringLiteral("Lw: synced to Up: 2 points")));
    }

    // The sliders set the colours only while colour tags are on; off, they
    // stand at 0 and the previews turn grey, and on again they show the colours.
    void colourSliders()
    {
        QSlider *const sliders[] = {ui().upperRedSlider, ui().upperGreenSlider, ui().upperBlueSlider,
                                    ui().lowerRedSlider, ui().lowerGreenSlider, ui().lowerBlueSlider};
        const QString sheet = QStringLiteral("QLabel { background-color : %1; color : #%2; font: 18pt; }");
        sliders[0]->setValue(10);
        QCOMPARE(w->settings().value(Settings::Key::UpperColor).toInt(), 0xffff99);
        ui().colorTagsCheckBox->setChecked(true);
        sliders[0]->setValue(0);
        sliders[4]->setValue(0x0a);
        QCOMPARE(w->settings().value(Settings::Key::UpperColor).toInt(), 0x00ff99);
        QCOMPARE(w->settings().value(Settings::Key::LowerColor).toInt(), 0xff0aff);
        QCOMPARE(ui().upperPreview->styleSheet(), sheet.arg("black", "00ff99"));
        QCOMPARE(ui().lowerPreview->styleSheet(), sheet.arg("black", "ff0aff"));

        ui().colorTagsCheckBox->setChecked(false);
        QCOMPARE(ui().upperPreview->styleSheet(), sheet.arg("grey", "ffffff"));
        QCOMPARE(ui().lowerPreview->styleSheet(), sheet.arg("grey", "ffffff"));
        for (QSlider *s : sliders)
            QVERIFY(s->value() == 0 && !s->isEnabled());
        QCOMPARE(w->settings().value(Settings::Key::UpperColor).toInt(), 0x00ff99);
        QCOMPARE(w->settings().value(Settings::Key::LowerColor).toInt(), 0xff0aff);

        ui().colorTagsCheckBox->setChecked(true);
        const int expected[] = {0x00, 0xff, 0x99, 0xff, 0x0a, 0xff};
        for (int i = 0; i < 6; ++i)
            QVERIFY(sliders[i]->value() == expected[i] && sliders[i]->isEnabled());

        // A set's swatch opens the colour dialog on its colour; the one
        // chosen moves the sliders, and colour tags come on with it.
        ui().colorTagsCheckBox->setChecked(false);
        QColor opened;
        prompts.dialogs = {[&](QDialog &d) {
            auto &dialog = static_cast<QColorDialog &>(d);
            opened = dialog.currentColor();
            dialog.setCurrentColor(QColor(0x12, 0x34, 0x56));
            return int(QDialog::Accepted);
        }};
        ui().lowerSwatch->click();
        QCOMPARE(opened, QColor(0xff, 0x0a, 0xff));
        QVERIFY(ui().colorTagsCheckBox->isChecked());
        QCOMPARE(w->settings().value(Settings::Key::LowerColor).toInt(), 0x123456);
        QCOMPARE(sliders[5]->value(), 0x56);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
