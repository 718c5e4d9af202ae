// What makes the window quick to use, driven offscreen through the prompt
// seam: files dropped on a list or the window, the recent pairs and their
// codings, shortcuts, errors that stand out, the proposed name and suffix of
// Process & Save, the credit line, and the previews, the frame preview being
// the file's own frame.

#include "guiutil.h"
#include "testutil.h"

#include "gui/mainwindow.h"
#include "gui/prompts.h"
#include "gui/timelineview.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace testutil;

namespace {

// The toolkit delivers a drop only at the end of a real drag, so the events
// go straight to where it arrives then: the window, or a list's viewport.
void drop(MainWindow &w, QWidget *list, const QStringList &files)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << QUrl::fromLocalFile(file);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QWidget *target = list ? list : &w;
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QApplication::sendEvent(target, &event);
    QVERIFY(event.isAccepted());
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

class TestComfort : public QObject, TempDir
{
    Q_OBJECT

    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> w;

    MainForm ui() const { return MainForm(w.get()); }
    QString sub(const QString &name, const QVector<int> &starts = {1000, 3000})
    {
        return write(name, srtBytes(starts));
    }

private slots:
    void init()
    {
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
        w = std::make_unique<MainWindow>(nullptr);
        ui().colorTagsCheckBox->setChecked(false);
        w->resize(1000, 760);
        w->show();
    }
    void cleanup()
    {
        w.reset();
        setPrompts(nullptr);
    }

    // Where the files go: a list takes one file into its set, the window takes
    // one into the upper set while that is empty, and two anywhere are a pair.
    void dropFiles_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("upperFirst"); // the upper set already holds a file
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        row("one on the upper list", "upper", 1, false, "a.srt", "");
        row("one on the lower list", "lower", 1, false, "", "a.srt");
        row("one on the window, upper empty", "window", 1, false, "a.srt", "");
        row("one on the window, upper loaded", "window", 1, true, "first.srt", "a.srt");
        row("two on the window", "window", 2, false, "a.srt", "b.srt");
        row("two on the lower list", "lower", 2, true, "a.srt", "b.srt");
    }
    void dropFiles()
    {
        QFETCH(QString, target);
        QFETCH(int, files);
        QFETCH(bool, upperFirst);
        if (upperFirst)
            w->loadDropped({sub("first.srt")}, &w->session().upper);
        const QStringList paths = QStringList {sub("a.srt"), sub("b.srt")}.mid(0, files);
        QWidget *list = target == "upper" ? ui().upperList->viewport()
            : target == "lower"           ? ui().lowerList->viewport()
                                          : nullptr;
        drop(*w, list, paths);
        QTEST(fileName(w->session().upper.filePath), "upper");
        QTEST(fileName(w->session().lower.filePath), "lower");
    }

    // A pair is remembered once it is worked on together (merged, linked or
    // synchronized), not at each load; once each, newest first, ten at most,
    // and choosing one loads both files again.
    void openRecent()
    {
        QMenu *menu = ui().recentButton->menu();
        drop(*w, nullptr, {sub("a.srt"), sub("b.srt")});
        w->loadDropped({sub("c.srt")}, &w->session().lower);
        QVERIFY(menu->actions().isEmpty());
        for (int i = 0; i < 12; ++i) {
            drop(*w, nullptr, {sub(QStringLiteral("u%1.srt").arg(i)), sub(QStringLiteral("l%1.srt").arg(i))});
            w->autoLink();
        }
        drop(*w, nullptr, {path("u5.srt"), path("l5.srt")});
        ui().syncLowerButton->click();
        QCOMPARE(menu->actions().size(), 10);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("u5.srt + l5.srt"));
        QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("u11.srt + l11.srt"));
        QCOMPARE(menu->actions().last()->text(), QStringLiteral("u2.srt + l2.srt"));
        menu->actions().at(3)->trigger();
        QCOMPARE(fileName(w->session().upper.filePath), QStringLiteral("u9.srt"));
        QCOMPARE(fileName(w->session().lower.filePath), QStringLiteral("l9.srt"));
        prompts.saveNames = {path("m.srt")};
        ui().processButton->click();
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("u9.srt + l9.srt"));
        QCOMPARE(menu->actions().size(), 10);
    }

    // A pair reopens in the codings it was read in (the detected one for
    // "Auto Detect"), whatever the selectors show by then.
    void openRecentKeepsCodings()
    {
        drop(*w, nullptr, {fixture("detect_cp1251_russian.srt"), sub("l.srt")});
        w->autoLink();
        const QString read = w->session().upper.at(0).text;
        choose(ui().upperCodingBox, QStringLiteral("UTF-8"));
        ui().recentButton->menu()->actions().first()->trigger();
        QCOMPARE(w->session().upper.at(0).text, read);
        QVERIFY(read.contains(QChar(0x0430)) || read.contains(QChar(0x043e))); // Cyrillic "а" or "о"
    }

    // The common actions have shortcuts, named in the buttons' tooltips.
    void shortcuts()
    {
        const QList<QPair<QAbstractButton *, QString>> expected {{ui().loadUpperButton, "Ctrl+O"},
                                                                 {ui().loadLowerButton, "Ctrl+Shift+O"},
                                                                 {ui().addLinkButton, "Ctrl+L"},
                                                                 {ui().autoLinkButton, "Ctrl+Shift+L"},
                                                                 {ui().deleteLinkButton, "Ctrl+Del"},
                                                                 {ui().syncLowerButton, "Ctrl+Y"},
                                                                 {ui().syncUpperButton, "Ctrl+Shift+Y"},
                                                                 {ui().processButton, "Ctrl+S"},
                                                                 {ui().quitButton, "Ctrl+Q"}};
        for (const auto &e : expected) {
            QCOMPARE(e.first->shortcut().toString(), e.second);
            QVERIFY2(e.first->toolTip().endsWith(QStringLiteral("(%1)").arg(e.second)), qPrintable(e.first->toolTip()));
        }
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier);
        // The button is pressed and released as by a click.
        QTRY_COMPARE(prompts.captions, QStringList {"Load upper subtitles"});
    }

    // An error is red in the log and stays in the status bar until the next action.
    void errorsStandOut()
    {
        prompts.openNames = {path("missing.srt")};
        ui().loadUpperButton->click();
        const LogModel &log = static_cast<const LogModel &>(*ui().logList->model());
        const int last = log.rowCount() - 1;
        QCOMPARE(log.index(last).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
        QCOMPARE(statusBar(), log.lines().at(last));
        QVERIFY(!log.index(0).data(Qt::ForegroundRole).isValid() || last == 0);

        prompts.openNames = {sub("fine.srt")};
        ui().loadUpperButton->click();
        QCOMPARE(statusBar(), QString());
        QVERIFY(!log.index(log.rowCount() - 1).data(Qt::ForegroundRole).isValid());
    }

    // Beside the upper file, after it and the lower file's language, in the
    // format written last; a name without a suffix gets the chosen filter's.
    void proposedName_data()
    {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("proposed");
        row("two-letter code", "film.en.srt", "film.es.srt", "film.en.es.srt");
        row("code before a number", "show.eng.1958.srt", "show.ger.1958515707.srt", "show.eng.1958.ger.srt");
        row("language name", "Film.srt", "Film.Spanish.srt", "Film.Spanish.srt");
        row("no language", "film.srt", "other.srt", "film.merged.srt");
    }
    void proposedName()
    {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        drop(*w, nullptr, {sub(upper), sub(lower)});
        QTEST(fileName(w->suggestedMergeName()), "proposed");
        QCOMPARE(QFileInfo(w->suggestedMergeName()).absolutePath(), QFileInfo(tmp.path()).absoluteFilePath());
    }
    void suffixFromFilter()
    {
        drop(*w, nullptr, {sub("film.en.srt"), sub("film.es.srt")});
        prompts.saveNames = {path("merged")};
        prompts.saveFilterChoices = {QStringLiteral("MicroDVD (*.sub)")};
        prompts.dialogs = {frameRate(2)};
        ui().processButton->click();
        QCOMPARE(prompts.shownFilters, QStringList {"SubRip (*.srt)"});
        QVERIFY(readFile(path("merged.sub")).startsWith("{"));
        QVERIFY(!QFile::exists(path("merged")));
        // The next proposal is in the format written.
        QCOMPARE(fileName(w->suggestedMergeName()), QStringLiteral("film.en.es.sub"));
        prompts.saveNames = {path("again")};
        prompts.dialogs = {frameRate(2)};
        ui().processButton->click();
        QCOMPARE(prompts.shownFilters.last(), QStringLiteral("MicroDVD (*.sub)"));
        QVERIFY(QFile::exists(path("again.sub")));
    }

    // "Credit line" turns the header subtitle on and off.
    void creditLine()
    {
        drop(*w, nullptr, {sub("film.en.srt"), sub("film.es.srt")});
        QVERIFY(ui().creditLineCheckBox->isChecked());
        for (bool on : {true, false}) {
            ui().creditLineCheckBox->setChecked(on);
            const QString out = path(on ? "with.srt" : "without.srt");
            prompts.saveNames = {out};
            ui().processButton->click();
            QCOMPARE(readFile(out).contains("Twinscript"), on);
        }
    }

    // The set previews break lines and show tags as formatting, never as
    // text; the frame preview stacks the upper text over fillers and the
    // lower text, as the file will.
    void previews()
    {
        const QString upper = write("u.srt", "1\n00:00:01,000 --> 00:00:03,000\n<i>Where</i> a < b\nnow?\n");
        const QString lower = write("l.srt", "1\n00:00:01,000 --> 00:00:03,000\nDonde\n");
        drop(*w, nullptr, {upper, lower});
        QCOMPARE(ui().upperPreview->text(), QStringLiteral("<i>Where</i> a &lt; b<br>now?"));
        QCOMPARE(ui().lowerPreview->text(), QStringLiteral("Donde"));
        ui().bottomLinesSpinBox->setValue(3);
        QCOMPARE(ui().mergedPreview->text(),
                 QStringLiteral("<i>Where</i> a &lt; b<br>now?<br>&nbsp;<br>&nbsp;<br>Donde"));
        ui().bottomLinesSpinBox->setValue(1);
        QCOMPARE(ui().mergedPreview->text(), QStringLiteral("<i>Where</i> a &lt; b<br>now?<br>Donde"));
        ui().colorTagsCheckBox->setChecked(true);
        ui().upperGreenSlider->setValue(0);
        QVERIFY2(ui().mergedPreview->text().startsWith(QStringLiteral("<font color=#ff0099>")),
                 qPrintable(ui().mergedPreview->text()));
        // For .ass the styles colour and place the texts: no fillers.
        prompts.saveNames = {path("both.ass")};
        ui().processButton->click();
        QCOMPARE(ui().mergedPreview->text(),
                 QStringLiteral("<font color=#ff0099><i>Where</i> a &lt; b<br>now?</font><br>"
                                "<font color=#ffffff>Donde</font>"));
        ui().upperPositionBox->setCurrentIndex(1);
        QVERIFY(ui().mergedPreview->text().contains(QStringLiteral("now?</font><br>&nbsp;<br>")));
        // For .vtt the file's colour classes show in their colours.
        prompts.saveNames = {path("both.vtt")};
        ui().processButton->click();
        QVERIFY(readFile(path("both.vtt")).contains("<c.upper><i>Where</i> a &lt; b\nnow?</c>\n<c.lower>Donde</c>"));
        QCOMPARE(ui().mergedPreview->text(),
                 QStringLiteral("<font color=#ff0099><i>Where</i> a &lt; b<br>now?</font><br>"
                                "<font color=#ffffff>Donde</font>"));
        // A long text is made smaller to fit.
        QVERIFY(ui().upperPreview->styleSheet().contains("font: 18pt"));
        const QString longer = write("long.srt", "1\n00:00:01,000 --> 00:00:03,000\n" + QByteArray(200, 'w') + "\n");
        w->loadDropped({longer}, &w->session().upper);
        QVERIFY2(!ui().upperPreview->styleSheet().contains("font: 18pt"), qPrintable(ui().upperPreview->styleSheet()));
    }

    // The frame preview is the file's frame: a lower start within Snap of the
    // upper one is joined to it in the file, so the preview shows both.
    void previewIsTheFilesFrame()
    {
        drop(*w, nullptr,
             {write("u.srt", "1\n00:00:01,000 --> 00:00:03,000\nUno\n"),
              write("l.srt", "1\n00:00:01,300 --> 00:00:03,000\nDos\n")});
        ui().bottomLinesSpinBox->setValue(1);
        w->selectRow(w->session().upper, 0);
        QCOMPARE(ui().mergedPreview->text(), QStringLiteral("Uno<br>Dos"));
        prompts.saveNames = {path("m.srt")};
        ui().processButton->click();
        QVERIFY(readFile(path("m.srt")).startsWith("1\n00:00:01,150 --> 00:00:03,000\nUno\nDos\n"));
    }

    // The time line under the lists: links drawn, the link in the way of a
    // refused "Add Link" lit up, a click on a bar selecting the row, and a
    // synchronization shown at once.
    void timelineInTheWindow()
    {
        drop(*w, nullptr, {sub("u.srt", {1000, 5000, 9000}), sub("l.srt", {3000, 7000, 11000})});
        TimelineView *view = w->timeline();
        view->setVisibleRange(0, 14000);
        const auto pixels = [view](const QColor &color) {
            const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += image.pixelColor(x, y) == color;
            return n;
        };
        QCOMPARE(pixels(TimelineView::linkColor()), 0);
        for (int row : {0, 2}) {
            w->selectRow(w->session().upper, row);
            w->selectRow(w->session().lower, row);
            ui().addLinkButton->click();
        }
        QVERIFY(pixels(TimelineView::linkColor()) > 0);
        QCOMPARE(pixels(TimelineView::warningColor()), 0);
        w->selectRow(w->session().upper, 1); // lower row 2 carries a link already
        QVERIFY(!ui().addLinkButton->isEnabled());
        QVERIFY(pixels(TimelineView::warningColor()) > 0);

        emit view->subtitleClicked(false, 1);
        QCOMPARE(w->selectedRow(w->session().lower), 1);
        QCOMPARE(pixels(TimelineView::warningColor()), 0);

        const QImage before = view->grab().toImage();
        ui().syncLowerButton->click();
        QCOMPARE(w->session().lower.at(0).start, 1000);
        QVERIFY(view->grab().toImage() != before);
    }

private:
    QString statusBar() { return w->statusBar()->currentMessage(); }
};

QTEST_MAIN(TestComfort)
#include "tst_comfort.moc"
