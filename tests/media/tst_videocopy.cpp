// Process & Save into a copy of the video, checked with ffprobe and ffmpeg:
// every stream of the source keeps its packets, chapters, attachment and
// tags; the merged track comes last, default, "mul", titled with both
// languages, and holds the events the merged file holds. The source is never
// written, and a copy that fails or is cancelled leaves nothing behind.

#include "core/session.h"
#include "media/videoload.h"
#include "testutil.h"
#include "videoutil.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace testutil;
using namespace media;

namespace {

QStringList dialogueLines(const QByteArray &script)
{
    QStringList lines;
    for (const QString &line : QString::fromUtf8(script).split(QRegularExpression("\r?\n")))
        if (line.startsWith(QLatin1String("Dialogue:")))
            lines << line;
    return lines;
}

QByteArray hashOf(const QString &path)
{
    return QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha256);
}

} // namespace

class TestVideoCopy : public QObject, TempDir
{
    Q_OBJECT

    QString film, movie;

    // Both sets from the video's tracks, as the tool reads them.
    void loadBoth(Session &session, const QString &video)
    {
        QVERIFY(loadTrack(session, session.upper, video, "eng", false));
        QVERIFY(loadTrack(session, session.lower, video, "spa", false));
    }

private slots:
    void initTestCase()
    {
        const QString chapters = write("chapters.txt",
                                       ";FFMETADATA1\ntitle=A short film\n"
                                       "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=6000\ntitle=One\n"
                                       "[CHAPTER]\nTIMEBASE=1/1000\nSTART=6000\nEND=12000\ntitle=Two\n");
        const QString font = write("font.ttf", QByteArray(3000, 'f'));
        film = makeVideo(tmp.path(), "film.mkv",
                         {{fixture("track_en.srt"), "srt", "eng", ""},
                          {fixture("track_es.srt"), "srt", "spa", "Spanish (Latin America)"}},
                         {"-i", chapters},
                         {"-map_metadata", "4", "-map_chapters", "4", "-attach", font, "-metadata:s:t",
                          "mimetype=application/x-truetype-font"});
        movie = makeVideo(
            tmp.path(), "movie.mp4",
            {{fixture("track_en.srt"), "mov_text", "eng", ""}, {fixture("track_es.srt"), "mov_text", "spa", ""}});
        QVERIFY(!film.isEmpty() && !movie.isEmpty());
    }

    void copy_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("codec");
        row("Advanced SubStation", int(SubtitleFormat::Ass), "ass");
        row("SubRip", int(SubtitleFormat::SubRip), "subrip");
    }
    void copy()
    {
        QFETCH(int, format);
        QFETCH(QString, codec);
        const SubtitleFormat trackFormat = SubtitleFormat(format);
        const QByteArray sourceHash = hashOf(film);
        SessionFixture f;
        loadBoth(f.session, film);
        f.session.process(trackFormat);
        const QString out = path("copy-" + codec + ".mkv");
        QVERIFY(saveVideoCopy(f.session, out, trackFormat));
        QVERIFY2(f.log.lines.last().startsWith("Mx: ")
                     && f.log.lines.last().endsWith(" subs saved to " + QFileInfo(out).fileName()),
                 qPrintable(f.log.joined()));
        QCOMPARE(hashOf(film), sourceHash);

        // Attachments come behind the tracks, the added one the last track.
        const QVector<QMap<QString, QString>> before = probeStreams(film);
        const QVector<QMap<QString, QString>> after = probeStreams(out);
        QCOMPARE(after.size(), before.size() + 1);
        const int tracks = before.size() - 1;
        QCOMPARE(before.last().value("codec_type"), QStringLiteral("attachment"));
        for (const char *key : {"codec_type", "tags_filename", "tags_mimetype"})
            QCOMPARE(after.last().value(key), before.last().value(key));
        for (int i = 0; i < tracks; ++i) {
            QCOMPARE(after[i].value("codec_type"), before[i].value("codec_type"));
            QCOMPARE(after[i].value("tags_language"), before[i].value("tags_language"));
            QCOMPARE(after[i].value("tags_title"), before[i].value("tags_title"));
            if (before[i].value("codec_type") == "subtitle")
                QCOMPARE(after[i].value("disposition_default"), QStringLiteral("0"));
            QCOMPARE(streamHash(out, i), streamHash(film, i));
        }
        const QMap<QString, QString> &added = after[tracks];
        QCOMPARE(added.value("codec_name"), codec);
        QCOMPARE(added.value("disposition_default"), QStringLiteral("1"));
        QCOMPARE(added.value("tags_language"), QStringLiteral("mul"));
        QCOMPARE(added.value("tags_title"), QStringLiteral("English + Spanish"));
        QCOMPARE(probeChapterCount(out), 2);
        QVERIFY(run("ffprobe", {"-v", "error", "-show_format", out}).out.contains("TAG:title=A short film"));

        // The track holds what saving the merged file writes.
        const QString merged = path("merged." + QString(codec == "ass" ? "ass" : "srt"));
        QVERIFY(f.session.saveFile(f.session.merged, merged, "UTF-8", 25000));
        int events = 0;
        if (codec == "ass") {
            const QStringList lines = dialogueLines(readFile(merged));
            QVERIFY(lines.size() > 10);
            QCOMPARE(dialogueLines(extractTrack(out, tracks, "ass")), lines);
            events = lines.size();
        } else {
            QCOMPARE(QString::fromUtf8(extractTrack(out, tracks, "srt")).remove('\r'),
                     QString::fromUtf8(readFile(merged)));
            events = readFile(merged).count(" --> ");
        }
        // Listed with all its events, also those that start together.
        VideoFile copied;
        QString error;
        QVERIFY(copied.open(out, &error));
        QCOMPARE(copied.tracks().last().description(),
                 QStringLiteral("#%1 mul — English + Spanish, %2, %3 subtitles")
                     .arg(tracks)
                     .arg(codec == "ass" ? "Advanced SubStation" : "SubRip")
                     .arg(events));
    }

    // Matroska holds no mov_text: an MP4's text tracks come over as SubRip.
    void fromMp4()
    {
        SessionFixture f;
        loadBoth(f.session, movie);
        f.session.process(SubtitleFormat::Ass);
        const QString out = path("movie.mkv");
        QVERIFY(saveVideoCopy(f.session, out, SubtitleFormat::Ass));
        QVERIFY(f.log.lines.contains("Mx: track #2 (mov_text) written as SubRip"));
        const QVector<QMap<QString, QString>> after = probeStreams(out);
        QCOMPARE(after.size(), 5);
        QCOMPARE(after[2].value("codec_name"), QStringLiteral("subrip"));
        QCOMPARE(streamHash(out, 0), streamHash(movie, 0));
        QCOMPARE(streamHash(out, 1), streamHash(movie, 1));
        // The converted track reads as the one it came from.
        CollectingLog log;
        Session copied(log), original(log);
        QVERIFY(loadTrack(copied, copied.upper, out, "2", false));
        QVERIFY(loadTrack(original, original.upper, movie, "2", false));
        QCOMPARE(describe(copied.upper), describe(original.upper));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("line");
        const QString cut = truncated(film, "cut.mkv", 60);
        row("source cut short", cut, "out.mkv", false, "Mx: error: cannot write out.mkv (File ended prematurely)");
        row("the source itself", film, "film.mkv", false,
            "Mx: error: cannot write film.mkv (the copy cannot replace the video it is made from)");
        row("cancelled", film, "out.mkv", true, "Mx: save cancelled");
    }
    void failures()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(bool, cancel);
        QFETCH(QString, line);
        SessionFixture f;
        loadBoth(f.session, film);
        f.session.upper.filePath = source;
        f.session.process(SubtitleFormat::Ass);
        const QString out = QDir(tmp.path()).filePath(target);
        if (!QFile::exists(out))
            write(target, "an older file");
        const QByteArray oldHash = hashOf(out);
        const QByteArray sourceHash = hashOf(source);
        QVERIFY(!saveVideoCopy(f.session, out, SubtitleFormat::Ass, [cancel](double) { return !cancel; }));
        QCOMPARE(f.log.lines.last(), line);
        QCOMPARE(hashOf(out), oldHash);
        QCOMPARE(hashOf(source), sourceHash);
        QCOMPARE(QDir(tmp.path()).entryList({"*.mkv.*"}, QDir::Files), QStringList());
    }

    void noVideo()
    {
        SessionFixture f;
        QVERIFY(f.session.loadFile(f.up, fixture("track_en.srt"), "UTF-8", 0, false));
        f.session.process(SubtitleFormat::Ass);
        QVERIFY(!saveVideoCopy(f.session, path("none.mkv"), SubtitleFormat::Ass));
        QCOMPARE(f.log.lines.last(), QStringLiteral("Mx: error: neither set comes from a video"));
        QVERIFY(!QFile::exists(path("none.mkv")));
    }
};

QTEST_GUILESS_MAIN(TestVideoCopy)
#include "tst_videocopy.moc"
