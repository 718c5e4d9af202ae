// Reading SubRip and MicroDVD text into a set: the checks, the limits, the
// codings and line ends real files come in; loading files through the session:
// the format by the content, the coding found or warned about, the frame rate
// a MicroDVD file declares.

#include "testutil.h"

#include "core/codings.h"
#include "core/session.h"

#include <QtTest>

using namespace testutil;

class TestReaders : public QObject, SessionFixture
{
    Q_OBJECT

    void read(const QString &text, SubtitleFormat format, bool append = false, int gap = 0, int rate = 25000)
    {
        readSubtitles(up, text, format,
                      request(rate, append, gap,
                              format == SubtitleFormat::SubRip ? QStringLiteral("x.srt") : QStringLiteral("x.sub")),
                      log);
    }
    void readSrt(const QString &text, bool append = false, int gap = 0)
    {
        read(text, SubtitleFormat::SubRip, append, gap);
    }

private slots:
    void init()
    {
        up.clear();
        up.filePath.clear();
        session.links.clear();
        log.clear();
    }

    void isTimeLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("expected");
        row("plain", "00:00:01,000 --> 00:00:02,000", true);
        row("periods", "00:00:01.000 --> 00:00:02.000", true);
        row("position after", "00:00:01,000 --> 00:00:02,000 X1:10", true);
        row("one-digit hours", "0:00:01,000 --> 0:00:02,000", false);
        row("short", "00:00:01,000 --> 00:00:02,00", false);
        row("arrow", "00:00:01,000 -> 00:00:02,000", false);
        row("letter", "00:00:01,000 --> 00:0a:02,000", false);
        row("empty", "", false);
    }
    void isTimeLine()
    {
        QFETCH(QString, line);
        QTEST(::isTimeLine(line), "expected");
    }

    // SubRip rejections name the line number of the time line; MicroDVD lines
    // that are no subtitle are skipped with a detail line. Log lines as "level line".
    void reading_data()
    {
        QTest::addColumn<int>("rate"); // 0: SubRip
        QTest::addColumn<QString>("content");
        QTest::addColumn<QStringList>("subs");
        QTest::addColumn<QStringList>("log");
        const QString srt = "2 Up: %1 subs loaded from x.srt", sub = "2 Up: %1 subs loaded from x.sub";
        const QString a = "1\n00:00:05,000 --> 00:00:06,000\nA\n\n", x(2000, 'x');
        row("blocks", 0,
            "1\n00:00:01,000 --> 00:00:02,500\nFirst  line \n second\n\n2\n00:00:03,000 --> 00:00:04,000\n  Again ",
            QStringList {"1000-2500 First line|second", "3000-4000 Again"}, QStringList {srt.arg(2)});
        row("same start joins", 0, a + "2\n00:00:05,050 --> 00:00:07,000\nB\n\n3\n00:00:09,000 --> 00:00:10,000\nC\n",
            QStringList {"5000-7000 A|B", "9000-10000 C"},
            QStringList {srt.arg(2), "1 Up: 1 subs joined with the one before (same start)"});
        row("out of sequence", 0, a + "2\n00:00:04,990 --> 00:00:07,000\nB\n\n3\n00:00:09,000 --> 00:00:10,000\nC\n",
            QStringList {"5000-6000 A", "9000-10000 C"},
            QStringList {"1 Up: out of sequence #6", srt.arg(2), "2 Up: 1 subs skipped"});
        row("end slightly before start stays", 0, "00:00:05,000 --> 00:00:04,950\nA\n", QStringList {"5000-4950 A"},
            QStringList {srt.arg(1)});
        row("end before start", 0, "00:00:05,000 --> 00:00:04,899\nA\n\n2\n00:00:07,000 --> 00:00:08,000\nB\n",
            QStringList {"5000-5040 A", "7000-8000 B"},
            QStringList {srt.arg(2), "1 Up: 1 time lines repaired (end before start)"});
        row("out of sequence and end before start count once", 0, a + "2\n00:00:04,000 --> 00:00:01,000\nB\n",
            QStringList {"5000-6000 A"}, QStringList {"1 Up: out of sequence #6", srt.arg(1), "2 Up: 1 subs skipped"});
        row("text after a rejection is ignored until a blank line", 0,
            a + "00:00:04,000 --> 00:00:05,000\nlost\nlost too\n\nstray\n00:00:06,000 --> 00:00:07,000\nkept\n",
            QStringList {"5000-6000 A", "6000-7000 kept"},
            QStringList {"1 Up: out of sequence #5", srt.arg(2), "2 Up: 1 subs skipped"});
        row("stray text and a repaired time line", 0, "junk\n0:00:01,000 --> 0:00:02,000\ncollected\n",
            QStringList {"1000-2000 collected"}, QStringList {srt.arg(1), "1 Up: 1 time lines repaired (short field)"});
        row("line of spaces becomes a trailing separator", 0, "00:00:01,000 --> 00:00:02,000\nHi\n   \n\n",
            QStringList {"1000-2000 Hi|"}, QStringList {srt.arg(1)});
        row("long line continues as the next line", 0, "00:00:01,000 --> 00:00:02,000\n" + x,
            QStringList {"1000-2000 " + x.left(1024) + "|" + x.left(976)}, QStringList {srt.arg(1)});
        row("25 fps", 25000, "{25}{50}Hello", QStringList {"1000-2000 Hello"}, QStringList {sub.arg(1)});
        row("23.976 truncates", 23976, "{100}{101}x", QStringList {"4170-4212 x"}, QStringList {sub.arg(1)});
        row("spaces and sign", 25000, "{ +25 }{ 50 }a | b", QStringList {"1000-2000 a|b"}, QStringList {sub.arg(1)});
        row("tags kept", 25000, "{0}{25}{y:i}Hi|{c:$0000FF}there", QStringList {"0-1000 {y:i}Hi|{c:$0000FF}there"},
            QStringList {sub.arg(1)});
        row("MicroDVD out of sequence", 25000, "{25}{50}a\n{26}{60}b\n{75}{100}c\n",
            QStringList {"1000-2000 a", "3000-4000 c"},
            QStringList {"1 Up: out of sequence #2", sub.arg(2), "2 Up: 1 subs skipped"});
        // 2e9 frames at 23.976 fps are about 83 million seconds: no 32-bit millisecond time.
        for (const char *bad : {"", "{50}{50}x", "{50}{25}x", "{a}{50}x", "{25} {50}x", "{25}{50 x",
                                "{25}{9999999999}x", "{0}{2000000000}x", "{-2000000000}{0}x"}) {
            row(*bad ? bad : "empty line", 23976, QString(bad) + "\n{100}{125}kept\n", QStringList {"4170-5213 kept"},
                QStringList {"3 Up: sub too short#1", sub.arg(1), "2 Up: 1 subs skipped"});
        }
    }
    void reading()
    {
        QFETCH(int, rate);
        QFETCH(QString, content);
        up.frameRate = 1;
        read(content, rate ? SubtitleFormat::MicroDvd : SubtitleFormat::SubRip, false, 0, rate);
        QTEST(describe(up), "subs");
        QTEST(log.withLevels(), "log");
        QCOMPARE(up.frameRate, rate ? rate : 1);
        for (int i = 0; i < up.count; ++i) {
            QCOMPARE(up.at(i).angleTags, rate == 0);
            QCOMPARE(up.at(i).visibleLength, visibleLengthOf(up.at(i).text, styleOf(rate == 0)));
        }
    }

    void append()
    {
        readSrt("00:00:10,000 --> 00:01:00,000\nfirst\n");
        log.clear();
        readSrt("00:00:00,000 --> 00:00:01,000\nsecond\n", true, 20);
        QCOMPARE(describe(up), (QStringList {"10000-60000 first", "60020-61020 second"}));
        QCOMPARE(log.withLevels(), QStringList {"2 Up: 1 subs appended from x.srt"});

        // The first appended subtitle is checked against the last one already there.
        readSrt("00:00:10,000 --> 00:00:20,000\nbase\n");
        up.at(0).end = 10000; // the offset lands 50 ms after its start
        readSrt("00:00:00,000 --> 00:00:01,000\nclose\n", true, 50);
        QCOMPARE(describe(up), QStringList {"10000-11050 base|close"});

        // Never a wrapped time.
        up.at(0).end = std::numeric_limits<qint32>::max() - 5;
        log.clear();
        readSrt("99:00:00,000 --> 99:00:01,000\nfar\n", true);
        read("{25}{50}far\n", SubtitleFormat::MicroDvd, true);
        QCOMPARE(up.count, 1);
        QCOMPARE(log.withLevels().first(), QStringLiteral("1 Up: time out of range #1"));
    }

    void limits_data()
    {
        QTest::addColumn<bool>("srt");
        QTest::addColumn<QString>("lastText");
        QTest::addColumn<int>("tooMany");
        row("SubRip keeps the last", true, "sub 20005", 5);
        row("MicroDVD stops", false, "sub 20000", 0);
    }
    void limits()
    {
        QFETCH(bool, srt);
        QString content;
        for (int i = 0; i < 20005; ++i) {
            content += srt
                ? QStringLiteral("%1\n%2\nsub %1\n\n").arg(i + 1).arg(formatTimeLine(i * 1000, i * 1000 + 500))
                : QStringLiteral("{%1}{%2}sub %3\n").arg(i * 10).arg(i * 10 + 5).arg(i + 1);
        }
        read(content, srt ? SubtitleFormat::SubRip : SubtitleFormat::MicroDvd);
        QCOMPARE(up.count, 20000);
        QCOMPARE(up.at(19998).text, QStringLiteral("sub 19999"));
        QTEST(up.at(19999).text, "lastText");
        QTEST(int(log.lines.count("Up: too many lines")), "tooMany");
        QCOMPARE(log.lines.last(), QStringLiteral("Up: 20000 subs loaded from x.s%1").arg(srt ? "rt" : "ub"));
    }

    // Files as they come: codings, byte-order marks, line ends, and a MicroDVD
    // file at the frame rate the user gave.
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("tail");
        row("Windows-1250, CRLF", "cp1250_crlf.srt", "Windows-1250 (Central Europe)",
            QString::fromUtf8("1000-2500 Příliš žluťoučký kůň|úpěl ďábelské ódy"),
            QString::fromUtf8("Łódź, Śląsk, Ďurďa"), "Up: 2 subs loaded from cp1250_crlf.srt");
        row("UTF-8 mark beats Windows-1252", "utf8_bom_crlf.srt", "Windows-1252 (Western)",
            QString::fromUtf8("1000-2000 <i>♪ Lalala ♪</i>"), QString::fromUtf8("Naïve café"),
            "Up: 2 subs loaded from utf8_bom_crlf.srt");
        row("UTF-16LE mark beats UTF-16BE, no final blank line", "utf16le_bom.srt", "UTF-16BE",
            QString::fromUtf8("1000-2000 Привет, мир"), QString::fromUtf8("До свидания"),
            "Up: 2 subs loaded from utf16le_bom.srt");
        row("Windows-1251", "cp1251_cyrillic.srt", "Windows-1251 (Cyrillic)",
            QString::fromUtf8("1000-2500 Привет, мир!"), QString::fromUtf8("Ёлка и щука"),
            "Up: 2 subs loaded from cp1251_cyrillic.srt");
        row("CR only", "cr_only.srt", "UTF-8", "1000-2000 One", "Two", "Up: 2 subs loaded from cr_only.srt");
        // 25 frames at 29.97 fps; the equal frames and the blank line are skipped.
        row("MicroDVD at 29.97", "basic_25fps.sub", "UTF-8", "834-1668 Hello|{y:i}world", "{y:b}Third",
            "Up: 2 subs skipped");
    }
    void fixtures()
    {
        QFETCH(QString, file);
        QFETCH(QString, coding);
        QVERIFY(session.loadFile(up, fixture(file), Codings::codecNameOf(coding), 29970, false));
        QTEST(describe(up).value(0), "first");
        QTEST(up.at(up.count - 1).text, "last");
        QTEST(log.lines.last(), "tail");
        QVERIFY2(!log.joined().contains("unknown"), qPrintable(log.joined()));
        QCOMPARE(up.frameRate, file.endsWith(".sub") ? 29970 : 25000);
    }

    void frameRateEntries()
    {
        const QStringList entries = {"23.976 NTSC", "24.000", "25.000 PAL", "29.970 NTSC"};
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(frameRateOfEntry(entries[i]), microDvdFrameRates[i]);
        QCOMPARE(frameRateOfEntry("PAL"), 0);
    }

    // The content decides the format, whatever the name says, and a name that
    // says otherwise is logged; a load that cannot read, or finds no
    // subtitles, leaves the set and its file as they were. Log lines as
    // "level line".
    void files_data()
    {
        QTest::addColumn<QString>("name"); // created in the folder when bytes is not null
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("subs");
        QTest::addColumn<QStringList>("log");
        const QByteArray srt = "00:00:01,000 --> 00:00:02,000\nx\n";
        // 26796 sequences UTF-8 cannot decode (Python's decoder counts as many).
        QByteArray garbage;
        for (int i = 0; i < 70000; ++i)
            garbage.append(char((i * 7919 + 13) % 256));
        const QStringList x {"1000-2000 x"}, kept {"1000-2000 keep me"};
        const QString loaded = QStringLiteral("2 Up: 1 subs loaded from %1");
        const QString readAs = QStringLiteral("1 Up: %1 read as SubRip");
        row("srt", "a.srt", srt, true, x, QStringList {loaded.arg("a.srt")});
        row("SRT", "b.SRT", srt, true, x, QStringList {loaded.arg("b.SRT")});
        row("txt", "c.txt", srt, true, x, QStringList {readAs.arg("c.txt"), loaded.arg("c.txt")});
        row("srt inside", "d.srt.sub", srt, true, x, QStringList {readAs.arg("d.srt.sub"), loaded.arg("d.srt.sub")});
        row("no suffix", "e", srt, true, x, QStringList {readAs.arg("e"), loaded.arg("e")});
        row("empty", "empty.srt", QByteArray(""), false, kept,
            QStringList {"0 Up: error: no subtitles found in empty.srt"});
        row("garbage", "garbage.srt", garbage, false, kept,
            QStringList {"1 Up: 26796 characters not decodable as UTF-8; try Windows-1252",
                         "0 Up: error: no subtitles found in garbage.srt"});
        row("missing", "missing.srt", QByteArray(), false, kept, QStringList {"0 Up: error: cannot open file"});
        row("directory", ".", QByteArray(), false, kept, QStringList {"0 Up: error: cannot open file"});
        row("cancelled", "", QByteArray(), false, kept, QStringList {"2 Up: load cancelled"});
    }
    void files()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        readSrt("00:00:01,000 --> 00:00:02,000\nkeep me\n");
        log.clear();
        if (!bytes.isNull())
            write(name, bytes);
        QCOMPARE(session.loadFile(up, name.isEmpty() ? name : path(name), "UTF-8", 25000, false), ok);
        QTEST(describe(up), "subs");
        QTEST(log.withLevels(), "log");
        QCOMPARE(up.filePath, ok ? QFileInfo(path(name)).absoluteFilePath() : QString());
    }

    // A file through the session: the format by its content, its coding
    // found or warned about, a MicroDVD file's own rate unless one is given.
    // A file without subtitles leaves the set, its file and its links as they
    // were. Log lines as "level line".
    void loading_data()
    {
        QTest::addColumn<QString>("name"); // the file as the user named it
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<int>("rate"); // 0: the file's own, else 23.976
        QTest::addColumn<QStringList>("subs"); // none: the load fails
        QTest::addColumn<QStringList>("log");
        const QByteArray arrows = readFile(fixture("realfile_broken_arrow_cp1252.srt"));
        const QByteArray declaring = readFile(fixture("realfile_declared_rate_cp1252.sub"));
        const QString detect = Codings::autoDetect(), loaded = QStringLiteral("2 Up: %1 subs loaded from %2");
        const QString brokenArrows = QStringLiteral("1 Up: 3 time lines repaired (broken arrow)");
        const QStringList spanish {QString::fromUtf8("49000-51240 ¿Dónde está la estación?"),
                                   QString::fromUtf8("51500-53000 No lo sé, señor."),
                                   QString::fromUtf8("53200-55000 Adiós.")};
        // uchardet's ISO-8859-1 is read as Windows-1252.
        row("SubRip named .sub, Windows-1252 detected", "film.sub", arrows, detect, 25000, spanish,
            QStringList {"1 Up: coding detected: WINDOWS-1252", "1 Up: film.sub read as SubRip",
                         loaded.arg(3).arg("film.sub"), brokenArrows});
        row("MPL2 named .srt", "film.srt", readFile(fixture("realfile_mpl2_cp1250.srt")), "Windows-1250", 25000,
            QStringList {QString::fromUtf8("1000-2500 Cześć, jak się masz?"), "3000-5200 <i>Dobrze.</i>|A ty?",
                         QString::fromUtf8("6000-7500 Żółw.")},
            QStringList {"1 Up: film.srt read as MPL2", loaded.arg(3).arg("film.srt")});
        row("SubViewer named .sub", "film.sub", readFile(fixture("realfile_subviewer.sub")), detect, 25000,
            QStringList {"20190-22590 Hello there.|How are you?", "23000-25500 Fine."},
            QStringList {"1 Up: film.sub read as SubViewer 2.0", loaded.arg(2).arg("film.sub")});
        // Every letter beyond ASCII is one byte that UTF-8 cannot take.
        const QString lost(QChar::ReplacementCharacter);
        row("Windows-1252 read as UTF-8", "film.srt", arrows, "UTF-8", 25000,
            QStringList {QStringLiteral("49000-51240 %1D%1nde est%1 la estaci%1n?").arg(lost),
                         QStringLiteral("51500-53000 No lo s%1, se%1or.").arg(lost),
                         QStringLiteral("53200-55000 Adi%1s.").arg(lost)},
            QStringList {"1 Up: 7 characters not decodable as UTF-8; try Windows-1252", loaded.arg(3).arg("film.srt"),
                         brokenArrows});
        row("no coding detected", "film.srt", QByteArray("1\r\n00:00:01,000 --> 00:00:02,000\r\n\x9C\x8C\r\n"), detect,
            25000, QStringList {QString::fromUtf8("1000-2000 œŒ")},
            QStringList {"1 Up: coding not detected, Windows-1252 used", loaded.arg(1).arg("film.srt")});
        // 29.970 fps: frames 180, 300 and 420 end at 6006, 10010 and 14014 ms.
        row("declared rate", "film.sub", declaring, "Windows-1252", 0,
            QStringList {"0-6006 PIRATES|English subtitles", QString::fromUtf8("10010-14014 Wait…|{y:i}listen.")},
            QStringList {"2 Up: frame rate 29.970 declared by the file", loaded.arg(2).arg("film.sub")});
        row("given rate over the declared one", "film.sub", declaring, "Windows-1252", 25000,
            QStringList {"0-7200 PIRATES|English subtitles", QString::fromUtf8("12000-16800 Wait…|{y:i}listen.")},
            QStringList {"2 Up: frame rate 29.970 declared by the file", loaded.arg(2).arg("film.sub")});
        row("MicroDVD named .srt, no rate at all", "film.srt", QByteArray("{24}{48}a\n"), detect, 0,
            QStringList {"1001-2002 a"},
            QStringList {"1 Up: film.srt read as MicroDVD", loaded.arg(1).arg("film.srt")});
        // Files too short for uchardet, which names Windows-1252 ("¥¹ Ææ") and
        // ISO 8859-2 (a control code for "ť"): the coding with the most letters.
        const QStringList words
            = QString::fromUtf8("Ąą Ćć/Tak/Nie/Dobra/Idź/Stój/Patrz/Co/Kto/Gdzie/Jak/Tu/Tam/Już/Nie/"
                                "Tak/Ok/No/Hej/Ej/Koniec")
                  .split(QLatin1Char('/'));
        QStringList shortPolish;
        for (int i = 0; i < words.size(); ++i)
            shortPolish << QStringLiteral("%1-%2 %3").arg(1000 + i * 3000).arg(3500 + i * 3000).arg(words[i]);
        row("short Windows-1250", "short.srt", readFile(fixture("detect_cp1250_short.srt")), detect, 25000, shortPolish,
            QStringList {"1 Up: coding detected: WINDOWS-1250", loaded.arg(21).arg("short.srt")});
        row("short Windows-1250, Czech", "czech.srt", readFile(fixture("cp1250_crlf.srt")), detect, 25000,
            QStringList {QString::fromUtf8("1000-2500 Příliš žluťoučký kůň|úpěl ďábelské ódy"),
                         QString::fromUtf8("3000-4000 Łódź, Śląsk, Ďurďa")},
            QStringList {"1 Up: coding detected: WINDOWS-1250", loaded.arg(2).arg("czech.srt")});
        row("an error page named .srt", "film.srt", readFile(fixture("realfile_not_subtitles.srt")), detect, 25000,
            QStringList(), QStringList {"0 Up: error: no subtitles found in film.srt"});
    }
    void loading()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, coding);
        QFETCH(int, rate);
        QFETCH(QStringList, subs);
        const QString before = write("before.srt", "00:00:01,000 --> 00:00:02,000\nkeep me\n");
        QVERIFY(session.loadFile(up, before, "UTF-8", 25000, false));
        session.links.add(0, 0);
        log.clear();
        const bool ok = !subs.isEmpty();
        QCOMPARE(session.loadFile(up, write(name, bytes), coding, rate, false), ok);
        QCOMPARE(describe(up), ok ? subs : QStringList {"1000-2000 keep me"});
        QTEST(log.withLevels(), "log");
        QCOMPARE(up.filePath, QFileInfo(ok ? path(name) : before).absoluteFilePath());
        QCOMPARE(session.links.count(), ok ? 0 : 1);
    }

    // Reloading the set's file or appending keeps the links; another file drops them.
    void anotherFileDropsLinks()
    {
        const QString a = write("a.srt", "00:00:01,000 --> 00:00:02,000\nx\n");
        const QString b = write("b.srt", "00:00:01,000 --> 00:00:02,000\ny\n");
        QVERIFY(session.loadFile(up, a, "UTF-8", 25000, false));
        QCOMPARE(up.filePath, QFileInfo(a).absoluteFilePath());
        session.links.add(0, 0);
        QVERIFY(session.loadFile(up, a, "UTF-8", 25000, false));
        QVERIFY(session.loadFile(up, b, "UTF-8", 25000, true));
        QCOMPARE(session.links.count(), 1);
        QCOMPARE(up.filePath, QFileInfo(a).absoluteFilePath());
        QCOMPARE(describe(up), (QStringList {"1000-2000 x", "3000-4000 y"})); // behind the end of the first
        QVERIFY(session.loadFile(up, b, "UTF-8", 25000, false));
        QCOMPARE(session.links.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "tst_readers.moc"
