// Reading SubRip and MicroDVD text into a set: the checks, the limits, the
// codings and line ends real files come in.

#include "testutil.h"

#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using testutil::LogCapture;

class TestReaders : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    QComboBox coding;
    SubtitleSet &up() { return workspace().upper; }
    void choose(const QString &entry)
    {
        coding.clear();
        coding.addItem(entry);
        up().codingBox = &coding;
    }

private slots:
    void init()
    {
        testutil::resetState();
        choose(QStringLiteral("UTF-8"));
    }

    void isTimeLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("expected");
        QTest::newRow("plain") << "00:00:01,000 --> 00:00:02,000" << true;
        QTest::newRow("periods") << "00:00:01.000 --> 00:00:02.000" << true;
        QTest::newRow("position after") << "00:00:01,000 --> 00:00:02,000 X1:10" << true;
        QTest::newRow("one-digit hours") << "0:00:01,000 --> 0:00:02,000" << false;
        QTest::newRow("short") << "00:00:01,000 --> 00:00:02,00" << false;
        QTest::newRow("arrow") << "00:00:01,000 -> 00:00:02,000" << false;
        QTest::newRow("letter") << "00:00:01,000 --> 00:0a:02,000" << false;
        QTest::newRow("empty") << "" << false;
    }
    void isTimeLine()
    {
        QFETCH(QString, line);
        QFETCH(bool, expected);
        QCOMPARE(::isTimeLine(line), expected);
    }

    void srtEightLines()
    {
        LogCapture log;
        up().readContent(QStringLiteral("1\n00:00:01,000 --> 00:00:02,500\nFirst  line \n second\n\n2\n"
                                        "00:00:03,000 --> 00:00:04,000\n  Again "),
                         true, false, QStringLiteral("film.srt"));
        QCOMPARE(up().count, 2);
        QCOMPARE(up().records[0].start, 1000);
        QCOMPARE(up().records[0].end, 2500);
        QCOMPARE(up().records[0].text, QStringLiteral("First line|second"));
        QVERIFY(up().records[0].angleTags);
        QCOMPARE(up().records[1].start, 3000);
        QCOMPARE(up().records[1].text, QStringLiteral("Again"));
        QCOMPARE(up().records[1].visibleLength, 5);
        QCOMPARE(log.lines, QStringList {QStringLiteral("Up: 2 subs loaded from film.srt")});
        QCOMPARE(up().current, 0);
        QVERIFY(!up().inText);
    }

    // Rejections name the line number of the time line.
    void srtRejections_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("out of sequence")
            << "1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n00:00:01,050 --> 00:00:03,000\nB\n\n3\n"
               "00:00:05,000 --> 00:00:06,000\nC\n"
            << 2 << QStringList {"Up: out of sequence #6", "Up: 2 subs loaded from x.srt", "Up: 1 subs skipped"};
        QTest::newRow("end slightly before start stays") << "1\n00:00:05,000 --> 00:00:04,950\nA\n"
                                                         << 1 << QStringList {"Up: 1 subs loaded from x.srt"};
        QTest::newRow("too short") << "1\n00:00:05,000 --> 00:00:04,899\nA\n\n2\n00:00:07,000 --> 00:00:08,000\nB\n"
                                   << 1
                                   << QStringList {"Up: sub too short #2", "Up: 1 subs loaded from x.srt",
                                                   "Up: 1 subs skipped"};
        QTest::newRow("both checks count twice")
            << "1\n00:00:05,000 --> 00:00:06,000\nA\n\n2\n00:00:05,000 --> 00:00:01,000\nB\n"
            << 1
            << QStringList {"Up: out of sequence #6", "Up: sub too short #6", "Up: 1 subs loaded from x.srt",
                            "Up: 2 subs skipped"};
        QTest::newRow("text after a rejection is ignored until a blank line")
            << "00:00:05,000 --> 00:00:01,000\nlost\nlost too\n\nstray\n00:00:06,000 --> 00:00:07,000\nkept\n"
            << 1 << QStringList {"Up: sub too short #1", "Up: 1 subs loaded from x.srt", "Up: 1 subs skipped"};
        QTest::newRow("stray text and index lines") << "junk\n0:00:01,000 --> 0:00:02,000\nnot collected\n"
                                                    << 0 << QStringList {"Up: 0 subs loaded from x.srt"};
    }
    void srtRejections()
    {
        QFETCH(QString, content);
        QFETCH(int, count);
        QFETCH(QStringList, log);
        LogCapture capture;
        up().readContent(content, true, false, QStringLiteral("x.srt"));
        QCOMPARE(up().count, count);
        QCOMPARE(capture.lines, log);
    }

    void srtLineOfSpacesBecomesTrailingSeparator()
    {
        up().readContent(QStringLiteral("00:00:01,000 --> 00:00:02,000\nHi\n   \n\n"), true, false,
                         QStringLiteral("x.srt"));
        QCOMPARE(up().count, 1);
        QCOMPARE(up().records[0].text, QStringLiteral("Hi|"));
    }

    void srtLongLineContinuesAsNextLine()
    {
        const QString longLine(2000, QLatin1Char('x'));
        up().readContent(QStringLiteral("00:00:01,000 --> 00:00:02,000\n") + longLine + QStringLiteral("\n"), true,
                         false, QStringLiteral("x.srt"));
        QCOMPARE(up().count, 1);
        QCOMPARE(up().records[0].text,
                 QString(1024, QLatin1Char('x')) + QLatin1Char('|') + QString(976, QLatin1Char('x')));
        QCOMPARE(up().linesRead, 3);
    }

    void subLines_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("text");
        QTest::newRow("25 fps") << 25000 << "{25}{50}Hello" << 1000 << 2000 << "Hello";
        QTest::newRow("23.976 truncates") << 23976 << "{100}{101}x" << 4170 << 4212 << "x";
        QTest::newRow("spaces and sign") << 25000 << "{ +25 }{ 50 }a | b" << 1000 << 2000 << "a|b";
        QTest::newRow("tags kept") << 25000 << "{0}{25}{y:i}Hi|{c:$0000FF}there" << 0 << 1000
                                   << "{y:i}Hi|{c:$0000FF}there";
    }
    void subLines()
    {
        QFETCH(int, rate);
        QFETCH(QString, line);
        up().frameRate = rate;
        up().readContent(line, false, false, QStringLiteral("x.sub"));
        QCOMPARE(up().count, 1);
        QTEST(up().records[0].start, "start");
        QTEST(up().records[0].end, "end");
        QTEST(up().records[0].text, "text");
        QVERIFY(!up().records[0].angleTags);
    }

    void subNotSubtitles_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("empty") << "";
        QTest::newRow("equal frames") << "{50}{50}x";
        QTest::newRow("end before start") << "{50}{25}x";
        QTest::newRow("letters") << "{a}{50}x";
        QTest::newRow("no middle pair") << "{25} {50}x";
        QTest::newRow("no closing brace") << "{25}{50 x";
        QTest::newRow("frame beyond 32 bits") << "{25}{9999999999}x";
        // 2e9 frames at 23.976 fps are about 83 million seconds: no 32-bit millisecond time.
        QTest::newRow("time beyond 32 bits") << "{0}{2000000000}x";
        QTest::newRow("negative time beyond 32 bits") << "{-2000000000}{0}x";
    }
    void subNotSubtitles()
    {
        QFETCH(QString, line);
        up().frameRate = 23976;
        LogCapture log;
        up().readContent(line + QStringLiteral("\n{100}{125}kept\n"), false, false, QStringLiteral("x.sub"));
        QCOMPARE(up().count, 1);
        QCOMPARE(up().records[0].text, QStringLiteral("kept"));
        QCOMPARE(log.lines.first(), QStringLiteral("Up: sub too short#1"));
        QCOMPARE(log.levels.first(), 3);
        QCOMPARE(up().skipped, 1);
    }

    void subOutOfSequenceIsDropped()
    {
        LogCapture log;
        up().readContent(QStringLiteral("{25}{50}a\n{26}{60}b\n{75}{100}c\n"), false, false, QStringLiteral("x.sub"));
        QCOMPARE(up().count, 2);
        QCOMPARE(up().records[1].text, QStringLiteral("c"));
        QCOMPARE(log.lines.first(), QStringLiteral("Up: out of sequence #2"));
        QCOMPARE(log.levels.first(), 1);
    }

    void appendAddsOffset()
    {
        QSpinBox gap;
        gap.setRange(0, 50);
        gap.setValue(20);
        preferences().spinBox_gap = &gap;
        up().readContent(QStringLiteral("00:00:10,000 --> 00:01:00,000\nfirst\n"), true, false,
                         QStringLiteral("a.srt"));
        LogCapture log;
        up().readContent(QStringLiteral("00:00:00,000 --> 00:00:01,000\nsecond\n"), true, true,
                         QStringLiteral("b.srt"));
        QCOMPARE(up().count, 2);
        QCOMPARE(up().records[1].start, 60020);
        QCOMPARE(up().records[1].end, 61020);
        QCOMPARE(up().current, 1);
        QCOMPARE(log.lines, QStringList {QStringLiteral("Up: 1 subs appended from b.srt")});

        // The first appended subtitle is checked against the last one already there.
        up().readContent(QStringLiteral("00:00:10,000 --> 00:00:20,000\nbase\n"), true, false, QStringLiteral("a.srt"));
        up().records[0].end = 10000; // ends where it starts: the offset lands 50 ms after its start
        gap.setValue(50);
        up().readContent(QStringLiteral("00:00:00,000 --> 00:00:01,000\nclose\n"), true, true, QStringLiteral("b.srt"));
        QCOMPARE(up().count, 1);
    }

    void appendNeverWrapsTime()
    {
        up().readContent(QStringLiteral("00:00:01,000 --> 00:00:02,000\nfirst\n"), true, false,
                         QStringLiteral("a.srt"));
        up().records[0].end = std::numeric_limits<qint32>::max() - 5;
        LogCapture log;
        up().readContent(QStringLiteral("99:00:00,000 --> 99:00:01,000\nfar\n"), true, true, QStringLiteral("b.srt"));
        QCOMPARE(up().count, 1);
        QCOMPARE(log.lines.first(), QStringLiteral("Up: time out of range #1"));
        up().frameRate = 25000;
        up().readContent(QStringLiteral("{25}{50}far\n"), false, true, QStringLiteral("b.sub"));
        QCOMPARE(up().count, 1);
    }

    void srtLimit()
    {
        QString content;
        for (int i = 0; i < 20005; ++i)
            content += QStringLiteral("%1\n%2\nsub %1\n\n")
                           .arg(i + 1)
                           .arg(QStringLiteral("%1:%2:%3,000 --> %1:%2:%3,500")
                                    .arg(i / 3600, 2, 10, QLatin1Char('0'))
                                    .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                                    .arg(i % 60, 2, 10, QLatin1Char('0')));
        LogCapture log;
        up().readContent(content, true, false, QStringLiteral("big.srt"));
        QCOMPARE(up().count, 20000);
        QCOMPARE(up().records[19998].text, QStringLiteral("sub 19999"));
        QCOMPARE(up().records[19999].text, QStringLiteral("sub 20005"));
        QCOMPARE(log.lines.count(QStringLiteral("Up: too many lines")), 5);
        QCOMPARE(log.lines.last(), QStringLiteral("Up: 20000 subs loaded from big.srt"));
    }

    void subLimit()
    {
        QString content;
        for (int i = 0; i < 20005; ++i)
            content += QStringLiteral("{%1}{%2}sub %3\n").arg(i * 10).arg(i * 10 + 5).arg(i + 1);
        LogCapture log;
        up().readContent(content, false, false, QStringLiteral("big.sub"));
        QCOMPARE(up().count, 20000);
        QCOMPARE(up().records[19999].text, QStringLiteral("sub 20000"));
        QCOMPARE(up().linesRead, 20000);
        QCOMPARE(log.lines, QStringList {QStringLiteral("Up: 20000 subs loaded from big.sub")});
    }

    // Files as they come: codings, byte-order marks, line ends.
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("firstText");
        QTest::addColumn<QString>("lastText");
        QTest::newRow("Windows-1250, CRLF")
            << "cp1250_crlf.srt"
            << "Windows-1250 (Central Europe)" << 2 << QString::fromUtf8("Příliš žluťoučký kůň|úpěl ďábelské ódy")
            << QString::fromUtf8("Łódź, Śląsk, Ďurďa");
        QTest::newRow("UTF-8 mark beats Windows-1252")
            << "utf8_bom_crlf.srt"
            << "Windows-1252 (Western)" << 2 << QString::fromUtf8("<i>♪ Lalala ♪</i>")
            << QString::fromUtf8("Naïve café");
        QTest::newRow("UTF-16LE mark, no final blank line")
            << "utf16le_bom.srt"
            << "Auto Local" << 2 << QString::fromUtf8("Привет, мир") << QString::fromUtf8("До свидания");
        QTest::newRow("CR only") << "cr_only.srt"
                                 << "UTF-8" << 2 << "One"
                                 << "Two";
    }
    void fixtures()
    {
        QFETCH(QString, file);
        QFETCH(QString, coding);
        choose(coding);
        LogCapture log;
        QVERIFY(up().loadPath(testutil::fixture(file), false));
        QTEST(up().count, "count");
        QTEST(up().records[0].text, "firstText");
        QTEST(up().records[up().count - 1].text, "lastText");
        QCOMPARE(log.lines.last(), QStringLiteral("Up: %1 subs loaded from %2").arg(up().count).arg(file));
    }

    void subFileAsksFrameRate()
    {
        ScriptedPrompts prompts;
        int preselected = -1;
        prompts.dialogs.push_back([&](QDialog &d) {
            auto *box = d.findChild<QComboBox *>(QStringLiteral("comboBox"));
            preselected = box->currentIndex();
            box->setCurrentIndex(3);
            return int(QDialog::Accepted);
        });
        setPrompts(&prompts);
        preferences().loadFrameRateIndex = 2;
        QVERIFY(up().loadPath(testutil::fixture(QStringLiteral("basic_25fps.sub")), false));
        setPrompts(nullptr);
        QCOMPARE(preselected, 2);
        QCOMPARE(up().frameRate, 29970);
        QCOMPARE(preferences().loadFrameRateIndex, 3);
        QCOMPARE(up().count, 3);
        QCOMPARE(up().records[0].start, 834); // 25 frames at 29.97 fps
        QCOMPARE(up().skipped, 2);
    }

    // However the prompt is closed, the entry it shows is taken; a stored index
    // out of range must not leave the rate undefined.
    void frameRatePromptDismissed_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("rate");
        QTest::newRow("first") << 0 << 23976;
        QTest::newRow("second") << 1 << 24000;
        QTest::newRow("out of range high") << 9 << 29970;
        QTest::newRow("out of range low") << -4 << 23976;
    }
    void frameRatePromptDismissed()
    {
        QFETCH(int, stored);
        ScriptedPrompts prompts; // no handler: the prompt is dismissed
        setPrompts(&prompts);
        up().askFrameRate(stored);
        setPrompts(nullptr);
        QTEST(up().frameRate, "rate");
        QCOMPARE(prompts.dialogsRun, 1);
    }

    void suffixChoosesReader_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("asksRate");
        QTest::newRow("srt") << "a.srt" << false;
        QTest::newRow("SRT") << "b.SRT" << false;
        QTest::newRow("txt") << "c.txt" << true;
        QTest::newRow("none") << "d" << true;
    }
    void suffixChoosesReader()
    {
        QFETCH(QString, name);
        QFETCH(bool, asksRate);
        const QString path = testutil::writeFile(tmp.path(), name, "00:00:01,000 --> 00:00:02,000\nx\n");
        ScriptedPrompts prompts;
        setPrompts(&prompts);
        up().loadPath(path, false);
        setPrompts(nullptr);
        QCOMPARE(prompts.dialogsRun, asksRate ? 1 : 0);
        QCOMPARE(up().count, asksRate ? 0 : 1);
    }

    void badInputs_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expectedLine");
        QTest::newRow("missing") << "missing"
                                 << "Up: error: cannot open file";
        QTest::newRow("directory") << "directory"
                                   << "Up: error: cannot open file";
        QTest::newRow("cancelled") << "cancelled"
                                   << "Up: load cancelled";
    }
    void badInputs()
    {
        QFETCH(QString, kind);
        up().readContent(QStringLiteral("00:00:01,000 --> 00:00:02,000\nkeep me\n"), true, false,
                         QStringLiteral("a.srt"));
        preferences().showMergeTimes = true;
        QString path;
        if (kind == QLatin1String("missing"))
            path = tmp.filePath(QStringLiteral("nothing-here.srt"));
        else if (kind == QLatin1String("directory"))
            path = tmp.path();
        LogCapture log;
        QVERIFY(!up().loadPath(path, false));
        QTEST(log.lines.value(0), "expectedLine");
        QCOMPARE(log.lines.size(), 1);
        QCOMPARE(up().count, 1);
        QCOMPARE(up().records[0].text, QStringLiteral("keep me"));
        QVERIFY(!preferences().showMergeTimes);
    }

    void emptyAndGarbageFiles()
    {
        const QString empty = testutil::writeFile(tmp.path(), QStringLiteral("empty.srt"), QByteArray());
        LogCapture log;
        QVERIFY(up().loadPath(empty, false));
        QCOMPARE(up().count, 0);
        QCOMPARE(log.lines.last(), QStringLiteral("Up: 0 subs loaded from empty.srt"));

        QByteArray garbage;
        for (int i = 0; i < 70000; ++i)
            garbage.append(char((i * 7919 + 13) % 256));
        const QString bin = testutil::writeFile(tmp.path(), QStringLiteral("garbage.srt"), garbage);
        QVERIFY(up().loadPath(bin, false));
        QCOMPARE(up().count, 0);
    }

    void directoriesAndFreshLoad()
    {
        const QString a
            = testutil::writeFile(tmp.path(), QStringLiteral("a.srt"), "00:00:01,000 --> 00:00:02,000\nx\n");
        QVERIFY(up().loadPath(a, false));
        QCOMPARE(preferences().loadDir, QFileInfo(a).absolutePath());
        QCOMPARE(preferences().saveDir, QFileInfo(a).absolutePath());
        QVERIFY(up().freshLoad);
        up().freshLoad = false;
        QVERIFY(up().loadPath(a, false));
        QVERIFY(!up().freshLoad); // the same file again is a reload
        QVERIFY(up().loadPath(a, true));
        QVERIFY(!up().freshLoad); // an append is never fresh
        QCOMPARE(up().count, 2); // the copy goes behind the end of the first
    }
};

QTEST_MAIN(TestReaders)
#include "tst_readers.moc"
