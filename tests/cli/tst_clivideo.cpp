// twinscript-cli on videos, run as a process: `tracks`, sets read from
// tracks (merging two tracks writes what merging their text files writes),
// merge into a copy of the video, and the errors and usage errors.

#include "testutil.h"
#include "videoutil.h"

#include <QtTest>

using namespace testutil;

namespace {

Ran cli(const QStringList &args)
{
    return run(QStringLiteral(CLI_PATH), args);
}

QStringList lines(const QByteArray &text)
{
    return QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TestCliVideo : public QObject, TempDir
{
    Q_OBJECT

    QString film, pictures, silent;

private slots:
    void initTestCase()
    {
        film = makeVideo(tmp.path(), "film.mkv",
                         {{fixture("track_en.srt"), "srt", "eng", ""},
                          {fixture("track_es.srt"), "srt", "spa", "Spanish (Latin America)"}});
        pictures = withPictureTrack(film, "pictures.mkv");
        silent = makeVideo(tmp.path(), "silent.mkv", {});
        QVERIFY(!film.isEmpty() && !pictures.isEmpty() && !silent.isEmpty());
    }

    void tracks()
    {
        const Ran r = cli({"tracks", pictures});
        QCOMPARE(r.code, 0);
        QCOMPARE(lines(r.out),
                 (QStringList {"2\teng\t\tSubRip\t5\ttext", "3\tspa\tSpanish (Latin America)\tSubRip\t5\ttext",
                               "4\teng\t\tPGS\t3\tpictures"}));
        QCOMPARE(cli({"tracks", silent}).out, QByteArray());
        QCOMPARE(cli({"tracks", fixture("track_en.srt")}).code, 1);
        QCOMPARE(cli({"tracks"}).code, 2);
    }

    // Two tracks of one video merge as the files they were made from.
    void mergeTracks_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("upperLine");
        row("by language and number", QStringList {"--upper-track", "en", "--lower-track", "3"},
            "Up: track #2 eng — English, SubRip, 5 subtitles");
        row("the first without an option", QStringList {"--lower-track", "Spanish"},
            "Up: track #2 eng — English, SubRip, 5 subtitles");
    }
    void mergeTracks()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, upperLine);
        const Ran files = cli({"merge", fixture("track_en.srt"), fixture("track_es.srt"), path("files.srt")});
        const Ran tracks = cli(QStringList {"merge", film, film, path("tracks.srt")} + options);
        QCOMPARE(files.code, 0);
        QCOMPARE(tracks.code, 0);
        QCOMPARE(readFile(path("tracks.srt")), readFile(path("files.srt")));
        const QStringList log = lines(tracks.err);
        QCOMPARE(log.first(), upperLine);
        QVERIFY(log.contains("Lw: track #3 spa — Spanish (Latin America), SubRip, 5 subtitles"));
    }

    void mergeIntoCopy_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("codec");
        row("Advanced SubStation", QStringList(), "ass");
        row("SubRip", QStringList {"--track-format", "srt"}, "subrip");
    }
    void mergeIntoCopy()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, codec);
        const QString out = path("copy-" + codec + ".mkv");
        // The lower set from a text file: the copy is made of the upper set's video.
        const Ran r = cli(QStringList {"merge", film, fixture("track_es.srt"), out} + options);
        QCOMPARE(r.code, 0);
        QVERIFY2(lines(r.err).last().endsWith(" subs saved to copy-" + codec + ".mkv"), r.err.constData());
        const QVector<QMap<QString, QString>> streams = probeStreams(out);
        QCOMPARE(streams.size(), 5);
        QCOMPARE(streams.last().value("codec_name"), codec);
        QCOMPARE(streams.last().value("tags_title"), QStringLiteral("English + track_es"));
    }

    // An error line gives exit status 1 and the run goes on; nothing usable is written.
    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("line");
        const QString cut = truncated(film, "cut.mkv", 60);
        row("picture track", QStringList {"convert", pictures, path("out.srt"), "--track", "4"},
            "Up: error: track 4 holds pictures (PGS); Twinscript reads text tracks");
        row("no text tracks", QStringList {"convert", silent, path("out.srt")},
            "Up: error: no text subtitle tracks in silent.mkv");
        row("no such language", QStringList {"convert", film, path("out.srt"), "--track", "ger"},
            "Up: error: no text track in ger in film.mkv");
        row("cut short", QStringList {"convert", cut, path("out.srt")},
            "Up: error: cut.mkv is damaged or cut short; track 2 not read (File ended prematurely)");
        row("copy of a video cut short", QStringList {"merge", cut, fixture("track_es.srt"), path("out.mkv")},
            "Up: error: cut.mkv is damaged or cut short; track 2 not read (File ended prematurely)");
        row("copy without a video",
            QStringList {"merge", fixture("track_en.srt"), fixture("track_es.srt"), path("out.mkv")},
            "Mx: error: neither set comes from a video");
    }
    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, line);
        QFile::remove(path("out.srt"));
        const Ran r = cli(args);
        QCOMPARE(r.code, 1);
        QVERIFY2(lines(r.err).contains(line), r.err.constData());
        QVERIFY(readFile(path("out.srt")).isEmpty());
        QVERIFY(!QFile::exists(path("out.mkv")));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        row("convert to a copy", QStringList {"convert", film, path("u.mkv")},
            "twinscript-cli: convert writes no .mkv; merge writes the merged track into a copy of the video");
        row("bad track format", QStringList {"merge", film, film, path("u.mkv"), "--track-format", "sub"},
            "twinscript-cli: --track-format: 'sub' is not ass or srt");
        row("track option of merge for convert", QStringList {"convert", film, path("u.srt"), "--upper-track", "2"},
            "twinscript-cli: unknown option '--upper-track'");
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Ran r = cli(args);
        QCOMPARE(r.code, 2);
        QCOMPARE(lines(r.err).first(), message);
        QVERIFY(!QFile::exists(path("u.mkv")) && !QFile::exists(path("u.srt")));
    }
};

QTEST_GUILESS_MAIN(TestCliVideo)
#include "tst_clivideo.moc"
