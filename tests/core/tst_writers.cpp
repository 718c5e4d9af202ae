// Writing sets as SubRip and MicroDVD files: exact bytes, codings, what is cut
// at 0:00, and a save that fails must leave what was there.

#include "testutil.h"

#include "core/codings.h"
#include "core/session.h"
#include "core/textfile.h"

#include <QtTest>

using namespace testutil;

class TestWriters : public QObject, SessionFixture
{
    Q_OBJECT

    void fillUpper()
    {
        up.clear();
        up.append(1000, 2500, "<i>Hello</i>|World");
        up.append(3000, 4000, QString()); // left empty by a strip: no block, not counted
        up.append(41708, 45000, "{y:b}Bold|two", false);
    }
    QString save(const QString &name, const QString &codec = "UTF-8", int rate = 23976)
    {
        session.saveFile(up, path(name), codec, rate);
        return path(name);
    }

private slots:
    void init()
    {
        log.clear();
        up.clear();
        up.frameRate = 25000;
    }

    void timeLine_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("line");
        row("hours", 3723004, 3725500, "01:02:03,004 --> 01:02:05,500");
        row("hundred hours", 360000000, 0, "100:00:00,000 --> 00:00:00,000");
        row("negative", -1500, 0, "00:00:-1,-500 --> 00:00:00,000");
        row("extremes", intMin, intMax, "-596:-31:-23,-648 --> 596:31:23,647");
    }
    void timeLine()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QTEST(formatTimeLine(start, end), "line");
    }

    // Tags follow the format; the rate given is the set's only for MicroDVD.
    void bytes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rate");
        row("SubRip", "out.SRT",
            QByteArray("1\n00:00:01,000 --> 00:00:02,500\n<i>Hello</i>\nWorld\n\n"
                       "2\n00:00:41,708 --> 00:00:45,000\n<b>Bold\ntwo</b>\n\n"),
            25000);
        row("MicroDVD", "out.txt", QByteArray("{23}{59}{y:i}Hello|World\n{999}{1078}{y:b}Bold|two\n"), 23976);
        row("WebVTT", "out.vtt",
            QByteArray("WEBVTT\n\n00:00:01.000 --> 00:00:02.500\n<i>Hello</i>\nWorld\n\n"
                       "00:00:41.708 --> 00:00:45.000\n<b>Bold\ntwo</b>\n\n"),
            25000);
    }
    void bytes()
    {
        QFETCH(QString, name);
        fillUpper();
        QTEST(readFile(save(name)), "bytes");
        QCOMPARE(log.lines, QStringList {"Up: 2 subs saved to " + name});
        QTEST(up.frameRate, "rate");
    }

    // Nothing before 0:00 reaches the file: what ends by then is left out, what
    // starts before it starts there; the set itself keeps its times. Frames are
    // truncated, never rounded.
    void saved_data()
    {
        QTest::addColumn<QStringList>("subs");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("cut");
        QTest::addColumn<int>("written");
        const QStringList mixed = {"-2000/-1000 a", "-500/1000 b", "2000/3000 c"};
        const QByteArray b1("1\n00:00:01,000 --> 00:00:02,000\nb\n\n");
        row("ends before 0 left out", QStringList {"-2000/-1000 a", "1000/2000 b"}, "x.srt", 25000, b1, 1, 1);
        row("ends exactly at 0 left out", QStringList {"-1000/0 a", "1000/2000 b"}, "x.srt", 25000, b1, 1, 1);
        row("starts before 0 starts at 0", QStringList {"-500/1500 a"}, "x.srt", 25000,
            QByteArray("1\n00:00:00,000 --> 00:00:01,500\na\n\n"), 1, 1);
        row("numbered as written", mixed, "x.srt", 25000,
            QByteArray("1\n00:00:00,000 --> 00:00:01,000\nb\n\n2\n00:00:02,000 --> 00:00:03,000\nc\n\n"), 2, 2);
        row("MicroDVD", mixed, "x.sub", 25000, QByteArray("{0}{25}b\n{50}{75}c\n"), 2, 2);
        row("starting at 0 is not cut", QStringList {"0/1000 a"}, "x.sub", 25000, QByteArray("{0}{25}a\n"), 0, 1);
        row("empty text neither cut nor saved", QStringList {"-2000/-1000 ", "-500/1000 "}, "x.srt", 25000,
            QByteArray(), 0, 0);
        row("empty set, empty file", QStringList(), "empty", 25000, QByteArray(), 0, 0);
        row("25 fps", QStringList {"1000/1000 x"}, "x.sub", 25000, QByteArray("{25}{25}x\n"), 0, 1);
        row("23.976 truncated", QStringList {"41708/41708 x"}, "x.sub", 23976, QByteArray("{999}{999}x\n"), 0, 1);
        row("no 32-bit overflow", QStringList {"2147483647/2147483647 x"}, "x.sub", 29970,
            QByteArray("{64360084}{64360084}x\n"), 0, 1);
    }
    void saved()
    {
        QFETCH(QStringList, subs);
        QFETCH(QString, name);
        QFETCH(int, rate);
        QFETCH(int, cut);
        QFETCH(int, written);
        fillSet(up, subs);
        const QString saved = save(name, "UTF-8", rate);
        QVERIFY(QFileInfo::exists(saved));
        QTEST(readFile(saved), "bytes");
        QStringList expected {QStringLiteral("Up: %1 subs saved to %2").arg(written).arg(name)};
        if (cut > 0)
            expected.prepend(QStringLiteral("Up: %1 subs before 0:00 cut or left out").arg(cut));
        QCOMPARE(log.lines, expected);
        QCOMPARE(log.levels, (cut > 0 ? QList<int> {1, 2} : QList<int> {2}));
        QCOMPARE(describe(up), subs.replaceInStrings("/", "-"));
        const FormattedSet formatted = formatSubtitles(up, formatOfFileName(name), rate);
        QCOMPARE(formatted.written, written);
        QCOMPARE(formatted.cutAtZero, cut);
    }

    // An existing file stays as it was when the new one cannot be written.
    void failureKeepsExistingFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("level");
        row("cancelled", "", "Up: save cancelled", 2);
        row("directory", "adir", "Up: error: cannot write file", 0);
        row("missing folder", "no/such/folder/x.srt", "Up: error: cannot write file", 0);
        row("device that refuses", "/dev/full", "Up: error: cannot write file", 0); // opens, then fails to write
    }
    void failureKeepsExistingFile()
    {
        QFETCH(QString, target);
        QFETCH(QString, line);
        if (target.startsWith('/') && !QFileInfo::exists(target))
            QSKIP("no such device here");
        fillUpper();
        QDir(tmp.path()).mkpath("adir");
        const QString keep = write("adir/keep.srt", "precious");
        QVERIFY(
            !session.saveFile(up, target.isEmpty() || target.startsWith('/') ? target : path(target), "UTF-8", 25000));
        QCOMPARE(log.lines, QStringList {line});
        QTEST(log.levels.value(0), "level");
        QCOMPARE(readFile(keep), QByteArray("precious"));
    }

    // Between opening the target and writing (the frame-rate prompt), and
    // when nothing is written at all, the old file stays whole and alone.
    void replacesExistingFileOnlyWhenWritten()
    {
        fillUpper();
        QDir(tmp.path()).mkpath("again");
        const QString file = write("again/x.srt", QByteArray(5000, 'z'));
        const QDir dir(path("again"));
        {
            std::unique_ptr<SafeWriter> target = session.openTarget(up, file);
            QVERIFY(target);
        }
        QCOMPARE(readFile(file), QByteArray(5000, 'z'));
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList {"x.srt"});
        std::unique_ptr<SafeWriter> target = session.openTarget(up, file);
        QVERIFY(target);
        QCOMPARE(readFile(file), QByteArray(5000, 'z'));
        QVERIFY(session.write(up, *target, file, "UTF-8", 25000));
        QVERIFY(readFile(file).startsWith("1\n00:00:01,000"));
        QVERIFY(!readFile(file).contains('z'));
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList {"x.srt"});
        QCOMPARE(log.lines, QStringList {"Up: 2 subs saved to x.srt"});
    }

    // WebVTT cue text: the tags it knows, the rest of the text's signs as
    // entities, no blank line that would end the cue; always UTF-8.
    void webVttText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("angleTags");
        QTest::addColumn<QByteArray>("cue");
        row("SubRip tags", "<i>a</i> <B>b</B> <u>c</u>", true, QByteArray("<i>a</i> <b>b</b> <u>c</u>"));
        row("MicroDVD tags", "{y:i}a|b", false, QByteArray("<i>a\nb</i>"));
        row("font tags and override blocks go", "{\\an8}<font color=#ff0000>red</font> {x}", true,
            QByteArray("red {x}"));
        row("colour classes stay", "<c.upper>x</c>", true, QByteArray("<c.upper>x</c>"));
        row("signs of the text", "Tom & Jerry <3 -->", true, QByteArray("Tom &amp; Jerry &lt;3 --&gt;"));
        row("an empty line", "a||b", true, QByteArray("a\n \nb"));
        row("letters", QString::fromUtf8("Žluť ♪"), true, QByteArray("\xC5\xBDlu\xC5\xA5 \xE2\x99\xAA"));
    }
    void webVttText()
    {
        QFETCH(QString, text);
        QFETCH(bool, angleTags);
        QFETCH(QByteArray, cue);
        up.append(1000, 2000, text, angleTags).text = text; // as written, not cleaned
        QCOMPARE(readFile(save("c.vtt", "Windows-1250")), "WEBVTT\n\n00:00:01.000 --> 00:00:02.000\n" + cue + "\n\n");
        QCOMPARE(
            log.lines,
            (QStringList {"Up: coding Windows-1250 not used, .vtt written as UTF-8", "Up: 1 subs saved to c.vtt"}));
    }

    void codings_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("log");
        const QString saved = "Up: 1 subs saved to c.sub";
        row("latin-1 with losses", "ISO 8859-1 (Western)", QString::fromUtf8("Žluť é ♪"),
            QByteArray("{25}{50}?lu? \xE9 ?\n"),
            QStringList {"Up: 3 characters not representable in ISO 8859-1", saved});
        row("windows-1250", "Windows-1250 (Central Europe)", QString::fromUtf8("Žluť"),
            QByteArray("{25}{50}\x8Elu\x9D\n"), QStringList {saved});
        // Players tell UTF-16 only by its byte-order mark.
        row("utf-16 with mark", "UTF-16LE", "Hi", QByteArray("\xFF\xFE{\0002\0005\0}\0{\0005\0000\0}\0H\0i\0\n\0", 24),
            QStringList {saved});
        row("outside the basic plane", "Windows-1252 (Western)", QString::fromUtf8("a😀b"), QByteArray("{25}{50}a?b\n"),
            QStringList {"Up: 1 characters not representable in Windows-1252", saved});
    }

    void codings()
    {
        QFETCH(QString, entry);
        QFETCH(QString, text);
        up.append(1000, 2000, text, false);
        QTEST(readFile(save("c.sub", Codings::codecNameOf(entry), 25000)), "bytes");
        QTEST(log.lines, "log");
    }
};

QTEST_GUILESS_MAIN(TestWriters)
#include "tst_writers.moc"
