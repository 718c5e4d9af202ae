// The text tracks of videos that ffmpeg makes while the test runs: how they
// are listed and chosen, that each kind of track reads as the text file it
// was made from, and what is refused with which log line, the set staying as
// it was.

#include "core/codings.h"
#include "media/languages.h"
#include "media/substationevents.h"
#include "media/videoload.h"
#include "testutil.h"
#include "videoutil.h"

#include <QtTest>

using namespace testutil;
using namespace media;

class TestVideoTracks : public QObject, TempDir
{
    Q_OBJECT

    QString film, movie, silent, pictures, legacy;

    // The subtitles of track `choice` as a set shows them, read as the tool reads them.
    QStringList trackSubtitles(const QString &video, const QString &choice)
    {
        CollectingLog log;
        Session session(log);
        if (!loadTrack(session, session.upper, video, choice, false))
            return {log.joined()};
        return describe(session.upper);
    }

private slots:
    void initTestCase()
    {
        film = makeVideo(tmp.path(), "film.mkv",
                         {{fixture("track_en.srt"), "srt", "eng", ""},
                          {fixture("track_es.srt"), "webvtt", "spa", "Spanish (Latin America)"},
                          {fixture("track_de.ass"), "ass", "ger", "Deutsch"},
                          {fixture("track_en.srt"), "ass", "fre", ""},
                          {fixture("track_fr.vtt"), "copy", "fre", "Français"}});
        movie = makeVideo(
            tmp.path(), "movie.mp4",
            {{fixture("track_en.srt"), "mov_text", "eng", ""}, {fixture("track_es.srt"), "mov_text", "spa", ""}});
        silent = makeVideo(tmp.path(), "silent.mkv", {});
        // Muxed as the file was, not in UTF-8, as old files have it.
        legacy = makeVideo(tmp.path(), "legacy.mkv", {{fixture("detect_cp1252_spanish.srt"), "copy", "spa", ""}});
        pictures = withPictureTrack(film, "pgs.mkv");
        QVERIFY(!film.isEmpty() && !movie.isEmpty() && !silent.isEmpty() && !pictures.isEmpty() && !legacy.isEmpty());
    }

    void listing_data()
    {
        QTest::addColumn<QString>("video");
        QTest::addColumn<QStringList>("tracks");
        // Counts from Matroska's cues and MP4's sample table, whose empty
        // samples between subtitles are no subtitles.
        row("Matroska", film,
            QStringList {
                "#2 eng — English, SubRip, 5 subtitles", "#3 spa — Spanish (Latin America), WebVTT, 5 subtitles",
                "#4 ger — Deutsch, Advanced SubStation, 5 subtitles",
                "#5 fre — French, Advanced SubStation, 5 subtitles", "#6 fre — Français, WebVTT, 5 subtitles"});
        row("MP4", movie,
            QStringList {"#2 eng — English, mov_text, 5 subtitles", "#3 spa — Spanish, mov_text, 5 subtitles"});
        row("pictures", pictures,
            QStringList {"#2 eng — English, SubRip, 5 subtitles",
                         "#3 spa — Spanish (Latin America), WebVTT, 5 subtitles",
                         "#4 ger — Deutsch, Advanced SubStation, 5 subtitles",
                         "#5 fre — French, Advanced SubStation, 5 subtitles", "#6 fre — Français, WebVTT, 5 subtitles",
                         "#7 eng — English, PGS, pictures"});
        row("no subtitles", silent, QStringList());
    }
    void listing()
    {
        QFETCH(QString, video);
        QFETCH(QStringList, tracks);
        QVERIFY(isVideoFile(video));
        VideoFile file;
        QString error;
        QVERIFY2(file.open(video, &error), qPrintable(error));
        QStringList listed;
        for (const Track &t : file.tracks())
            listed << t.description();
        QCOMPARE(listed, tracks);
    }

    void notVideos()
    {
        QVERIFY(!isVideoFile(fixture("track_en.srt")));
        QVERIFY(!isVideoFile(fixture("track_de.ass")));
        QVERIFY(!isVideoFile(path("missing.mkv")));
        VideoFile file;
        QString error;
        QVERIFY(!file.open(fixture("track_en.srt"), &error));
        QVERIFY(!error.isEmpty());
    }

    void tabLines()
    {
        VideoFile file;
        QString error;
        QVERIFY(file.open(pictures, &error));
        QCOMPARE(file.tracks().at(1).tabLine(), QStringLiteral("3\tspa\tSpanish (Latin America)\tWebVTT\t5\ttext"));
        QCOMPARE(file.tracks().at(5).tabLine(), QStringLiteral("7\teng\t\tPGS\t3\tpictures"));
    }

    // Each kind of track gives the subtitles of the file it was made from.
    void reading_data()
    {
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("source");
        row("SubRip", film, "2", "track_en.srt");
        row("WebVTT made from SubRip", film, "spa", "track_es.srt");
        row("WebVTT, identifiers and settings", film, "6", "track_fr.vtt");
        row("SubStation, its styles", film, "ger", "track_de.ass");
        row("SubStation made from SubRip", film, "fre", "track_en.srt");
        row("mov_text", movie, "eng", "track_en.srt");
        row("mov_text, Spanish", movie, "es", "track_es.srt");
        row("SubRip in Windows-1252", legacy, "spa", "detect_cp1252_spanish.srt");
    }
    void reading()
    {
        QFETCH(QString, video);
        QFETCH(QString, choice);
        QFETCH(QString, source);
        SessionFixture text;
        QVERIFY(text.session.loadFile(text.up, fixture(source), Codings::autoDetect(), 0, false));
        QCOMPARE(trackSubtitles(video, choice), describe(text.up));
    }

    void loadLog()
    {
        SessionFixture f;
        f.session.links.add(0, 0);
        QVERIFY(loadTrack(f.session, f.up, film, QString(), false));
        QCOMPARE(f.log.lines,
                 (QStringList {"Up: track #2 eng — English, SubRip, 5 subtitles", "Up: 5 subs loaded from film.mkv"}));
        QCOMPARE(f.up.track, 2);
        // Another track of the same file is another file: the links go.
        f.session.lower.append(0, 1000, "x");
        f.session.links.add(0, 0);
        QVERIFY(loadTrack(f.session, f.up, film, "3", false));
        QCOMPARE(f.session.links.count(), 0);
        QCOMPARE(f.up.track, 3);
    }

    void choosing_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("track");
        row("number", "4", 4);
        row("three letters", "ger", 4);
        row("other three letters", "deu", 4);
        row("two letters", "de", 4);
        row("English name", "french", 5);
        row("title", "Deutsch", 4);
        row("first of a language", "eng", 2);
        row("no such number", "9", -1);
        row("no such language", "jpn", -1);
        row("a picture track by number", "7", 7);
    }
    void choosing()
    {
        QFETCH(QString, choice);
        QFETCH(int, track);
        VideoFile file;
        QString error;
        QVERIFY(file.open(pictures, &error));
        QCOMPARE(file.find(choice), track);
    }

    void preferred_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("otherLanguage");
        QTest::addColumn<int>("otherTrack");
        QTest::addColumn<int>("track");
        row("the set's language", "es", "eng", -1, 3);
        row("another than the other set's", "", "eng", -1, 3);
        row("not the other set's track", "", "", 2, 3);
        row("nothing known: the first", "", "", -1, 2);
        row("a language the file lacks", "jpn", "spa", -1, 2);
    }
    void preferred()
    {
        QFETCH(QString, language);
        QFETCH(QString, otherLanguage);
        QFETCH(int, otherTrack);
        QFETCH(int, track);
        VideoFile file;
        QString error;
        QVERIFY(file.open(pictures, &error));
        QCOMPARE(preferredTrack(file, language, otherLanguage, otherTrack), track);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("line");
        row("pictures", pictures, "7", "Up: error: track 7 holds pictures (PGS); Twinscript reads text tracks");
        row("no subtitles", silent, "", "Up: error: no text subtitle tracks in silent.mkv");
        row("pictures only", QFileInfo(pictures).dir().filePath("pictures-pgs.mkv"), "",
            "Up: error: no text subtitle tracks in pictures-pgs.mkv");
        row("no such track", film, "9", "Up: error: no track 9 in film.mkv");
        row("no such language", film, "jpn", "Up: error: no text track in jpn in film.mkv");
        row("cut short", truncated(film, "cut.mkv", 60), "2",
            "Up: error: cut.mkv is damaged or cut short; track 2 not read (File ended prematurely)");
        row("cut before its index", truncated(movie, "cut.mp4", 60), "2",
            "Up: error: cannot read cut.mp4 (Invalid data found when processing input)");
    }
    void refusals()
    {
        QFETCH(QString, video);
        QFETCH(QString, choice);
        QFETCH(QString, line);
        SessionFixture f;
        fillSet(f.up, {"1000/2000 kept"});
        f.up.filePath = "kept.srt";
        QVERIFY(!loadTrack(f.session, f.up, video, choice, false));
        QCOMPARE(f.log.lines.last(), line);
        QCOMPARE(f.log.levels.last(), int(LogError));
        QCOMPARE(describe(f.up), QStringList {"1000-2000 kept"});
        QCOMPARE(f.up.filePath, QStringLiteral("kept.srt"));
    }

    void cancelledRead()
    {
        SessionFixture f;
        VideoFile file;
        QVERIFY(openForSet(file, film, f.up, f.log));
        int asked = 0;
        const auto cancel = [&asked](double) { return ++asked < 1; };
        QVERIFY(!readTrack(f.session, file, 2, f.up, "UTF-8", cancel));
        QCOMPARE(f.log.lines.last(), QStringLiteral("Up: load cancelled"));
        QCOMPARE(asked, 1);
        // The same file reads on afterwards, from its start.
        const std::optional<Session::PreparedLoad> load = readTrack(f.session, file, 2, f.up, "UTF-8");
        QVERIFY(load);
        QCOMPARE(load->text.count(QStringLiteral(" --> ")), 5);
    }

    // A Matroska SubStation packet is the event without its times, behind
    // its place in the script.
    void dialogueLines_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("packet");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("readOrder");
        const QString ass
            = "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";
        row("usual", ass, "3,0,Default,,0,0,0,,Hola", "Dialogue: 0,0:00:01.25,0:01:02.35,Default,,0,0,0,,Hola", 3);
        row("commas in the text", ass, "0,1,Top,Ann,0,0,0,,Yes, no, maybe",
            "Dialogue: 1,0:00:01.25,0:01:02.35,Top,Ann,0,0,0,,Yes, no, maybe", 0);
        row("no header", "", "7,0,Default,,0,0,0,,x", "Dialogue: 0,0:00:01.25,0:01:02.35,Default,,0,0,0,,x", 7);
        row("SubStation Alpha",
            "[Events]\nFormat: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text",
            "2,Marked=0,Default,,0000,0000,0000,,Hi",
            "Dialogue: Marked=0,0:00:01.25,0:01:02.35,Default,,0000,0000,0000,,Hi", 2);
        row("fields missing", ass, "Hola", "Dialogue: ,0:00:01.25,0:01:02.35,,,,,,,Hola", -1);
        row("line breaks", ass, "1,0,Default,,0,0,0,,a\r\nb", "Dialogue: 0,0:00:01.25,0:01:02.35,Default,,0,0,0,,a\\Nb",
            1);
    }
    void dialogueLines()
    {
        QFETCH(QString, header);
        QFETCH(QString, packet);
        QFETCH(QString, line);
        QFETCH(int, readOrder);
        int order = -2;
        QCOMPARE(dialogueLine(eventFormat(header), packet, 1250, 62346, &order), line);
        QCOMPARE(order, readOrder);
    }

    void languages_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("same");
        QTest::addColumn<QString>("name");
        row("both three-letter forms", "ger", "deu", true, "German");
        row("two letters, any case", "ES", "spa", true, "Spanish");
        row("with a region", "spa-419", "es", true, "Spanish");
        row("English name", "dutch", "nl", true, "Dutch");
        row("two languages", "por", "spa", false, "Portuguese");
        row("undetermined", "und", "und", false, "");
        row("unknown", "xx", "xx", false, "");
    }
    void languages()
    {
        QFETCH(QString, given);
        QFETCH(QString, other);
        QFETCH(bool, same);
        QFETCH(QString, name);
        QCOMPARE(sameLanguage(given, other), same);
        QCOMPARE(languageName(given), name);
    }
};

QTEST_GUILESS_MAIN(TestVideoTracks)
#include "tst_videotracks.moc"
