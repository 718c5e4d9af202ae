// Videos in the real window, offscreen, the prompt seam answering: the track
// question (what it lists and offers first, OK and Cancel), one video
// dropped for both sets, Open Recent keeping the tracks, Cancel in the
// progress dialog, and Process & Save offering and writing the copy of the
// video.

#include "guiutil.h"
#include "testutil.h"
#include "videoutil.h"

#include "gui/mainwindow.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace testutil;

namespace {

// What a track question showed: its lists' rows, the row each opened on.
struct Asked
{
    QStringList rows;
    int upperRow = -1;
    int lowerRow = -1; // -1: one list only
};

// Answers the track question with rows `upper` (and `lower`) chosen, or
// cancels it when `upper` is -1, noting what it showed.
ScriptedPrompts::DialogHandler tracks(Asked *asked, int upper, int lower = -1)
{
    return [=](QDialog &d) {
        auto *upperList = d.findChild<QListWidget *>("upperTrackList");
        auto *lowerList = d.findChild<QListWidget *>("lowerTrackList");
        if (!upperList || !lowerList)
            return int(QDialog::Rejected);
        asked->rows = rowsOf(upperList);
        asked->upperRow = upperList->currentRow();
        asked->lowerRow = lowerList->isHidden() ? -1 : lowerList->currentRow();
        if (upper < 0)
            return closeDialog(d, false);
        upperList->setCurrentRow(upper);
        lowerList->setCurrentRow(lower);
        return closeDialog(d);
    };
}

} // namespace

class TestVideo : public QObject, TempDir
{
    Q_OBJECT

    FilterPrompts prompts;
    std::unique_ptr<MainWindow> w;
    QString film;

    MainForm ui() const { return MainForm(w.get()); }
    QStringList log() { return rowsOf(ui().logList); }
    Session &session() { return w->session(); }
    // Loads `file` as the upper set through its button, the question answered by `handler`.
    void loadUpper(const QString &file, const ScriptedPrompts::DialogHandler &handler)
    {
        prompts.openNames = {file};
        prompts.dialogs = {handler};
        ui().loadUpperButton->click();
    }

private slots:
    void initTestCase()
    {
        film = makeVideo(tmp.path(), "film.mkv",
                         {{fixture("track_en.srt"), "srt", "eng", ""},
                          {fixture("track_es.srt"), "srt", "spa", "Spanish (Latin America)"},
                          {fixture("track_de.ass"), "ass", "ger", ""}});
        QVERIFY(!film.isEmpty());
        QFile::copy(fixture("track_es.srt"), path("film.es.srt"));
        QFile::copy(fixture("track_en.srt"), path("film.en.srt"));
    }
    void init()
    {
        prompts = FilterPrompts();
        setPrompts(&prompts);
        w = std::make_unique<MainWindow>(nullptr);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup()
    {
        w.reset();
        setPrompts(nullptr);
    }

    void chooseTrack()
    {
        Asked asked;
        loadUpper(film, tracks(&asked, 1));
        QCOMPARE(asked.rows,
                 (QStringList {"#2 eng — English, SubRip, 5 subtitles",
                               "#3 spa — Spanish (Latin America), SubRip, 5 subtitles",
                               "#4 ger — German, Advanced SubStation, 5 subtitles"}));
        QCOMPARE(asked.lowerRow, -1);
        QCOMPARE(log().mid(log().size() - 2),
                 (QStringList {"Up: track #3 spa — Spanish (Latin America), SubRip, 5 subtitles",
                               "Up: 5 subs loaded from film.mkv"}));
        QCOMPARE(session().upper.track, 3);
        QCOMPARE(ui().upperTitle->text(), QStringLiteral("Upper: film.mkv #3"));
    }

    void cancelKeepsTheSet()
    {
        prompts.openNames = {fixture("track_en.srt")};
        ui().loadUpperButton->click();
        const QStringList before = describe(session().upper);
        Asked asked;
        loadUpper(film, tracks(&asked, -1));
        QCOMPARE(log().last(), QStringLiteral("Up: load cancelled"));
        QCOMPARE(describe(session().upper), before);
        QCOMPARE(session().upper.track, -1);
    }

    // The question opens on the language of the set's last file, else on
    // another language than the other set's, else on the first track.
    void preselection_data()
    {
        QTest::addColumn<QString>("upperBefore");
        QTest::addColumn<QString>("lowerBefore");
        QTest::addColumn<int>("row");
        row("nothing loaded", QString(), QString(), 0);
        row("the set's own language", "film.es.srt", QString(), 1);
        row("not the other set's language", QString(), "film.en.srt", 1);
        row("the own language first", "film.en.srt", "film.en.srt", 0);
    }
    void preselection()
    {
        QFETCH(QString, upperBefore);
        QFETCH(QString, lowerBefore);
        QFETCH(int, row);
        if (!upperBefore.isEmpty())
            w->loadDropped({path(upperBefore)}, &session().upper);
        if (!lowerBefore.isEmpty())
            w->loadDropped({path(lowerBefore)}, &session().lower);
        Asked asked;
        loadUpper(film, tracks(&asked, -1));
        QCOMPARE(asked.upperRow, row);
    }

    // One video on the window gives both sets, asked in one dialog; Open
    // Recent reads the same tracks again without asking.
    void dropForBothThenRecent()
    {
        Asked asked;
        prompts.dialogs = {tracks(&asked, 2, 1)};
        w->loadDropped({film}, nullptr);
        QCOMPARE(asked.upperRow, 0);
        QCOMPARE(asked.lowerRow, 1);
        QCOMPARE(session().upper.track, 4);
        QCOMPARE(session().lower.track, 3);
        QCOMPARE(session().upper.count, 5);
        prompts.saveNames = {path("both.srt")};
        ui().processButton->click();
        QMenu *menu = ui().recentButton->menu();
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("film.mkv #4 + film.mkv #3"));

        loadUpper(fixture("track_en.srt"), nullptr);
        const int asks = prompts.dialogsRun;
        menu->actions().first()->trigger();
        QCOMPARE(prompts.dialogsRun, asks);
        QCOMPARE(session().upper.track, 4);
        QCOMPARE(session().lower.track, 3);
        QCOMPARE(session().upper.filePath, QFileInfo(film).absoluteFilePath());
    }

    void cancelledProgress()
    {
        prompts.progressDelayMs = 0;
        prompts.cancelProgress = true;
        Asked asked;
        loadUpper(film, tracks(&asked, 0));
        QCOMPARE(prompts.progressShown, 1);
        QCOMPARE(log().last(), QStringLiteral("Up: load cancelled"));
        QCOMPARE(session().upper.count, 0);
        QVERIFY(session().upper.filePath.isEmpty());
    }

    void pictureTrackRefused()
    {
        const QString pictures = withPictureTrack(film, "pictures.mkv");
        Asked asked;
        loadUpper(pictures, tracks(&asked, 3));
        QCOMPARE(asked.rows.last(), QStringLiteral("#5 eng — English, PGS, pictures"));
        QCOMPARE(log().last(), QStringLiteral("Up: error: track 5 holds pictures (PGS); Twinscript reads text tracks"));
        QCOMPARE(session().upper.count, 0);
    }

    // The copy of the video is offered while a set comes from one, and
    // written with the merged track.
    void processAndSaveIntoCopy()
    {
        const QString copyFilter = QStringLiteral("Matroska video with the merged track (*.mkv)");
        w->loadDropped({path("film.en.srt")}, &session().upper);
        w->loadDropped({path("film.es.srt")}, &session().lower);
        ui().processButton->click();
        QVERIFY(!prompts.saveFilters.last().contains(copyFilter));

        Asked asked;
        prompts.dialogs = {tracks(&asked, 1)};
        w->loadDropped({film}, &session().lower);
        prompts.saveNames = {path("film.copy.mkv")};
        ui().processButton->click();
        QCOMPARE(prompts.saveFilters.last().split(";;").last(), copyFilter);
        QVERIFY2(log().last().endsWith(" subs saved to film.copy.mkv"), qPrintable(log().last()));
        const QVector<QMap<QString, QString>> streams = probeStreams(path("film.copy.mkv"));
        QCOMPARE(streams.size(), 6);
        QCOMPARE(streams.last().value("codec_name"), QStringLiteral("ass"));
        QCOMPARE(streams.last().value("tags_title"), QStringLiteral("English + Spanish"));
        // The next Process & Save offers the copy first.
        ui().processButton->click();
        QCOMPARE(prompts.shownFilters.last(), copyFilter);
    }
};

QTEST_MAIN(TestVideo)
#include "tst_video.moc"
