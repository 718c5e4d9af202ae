// twinscript-cli run as a process, as a user runs it: the bytes it writes,
// every line it logs, its exit codes and usage errors, and the option values
// it corrects the way the window's boxes do. Without coding options it finds
// the coding, without frame rates it takes the rate a MicroDVD file declares.

#include "testutil.h"

#include <QProcess>
#include <QTextCodec>
#include <QtTest>

using namespace testutil;

namespace {

struct Run
{
    int code = -1; // also when it hung or crashed
    QStringList log; // standard error, line by line
    QString out;
};

Run cli(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(CLI_PATH), args);
    Run r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.log = QString::fromUtf8(p.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}

// A fixture's subtitles as the tool writes them in UTF-8: the same text,
// every line ending in LF, a blank line after the last subtitle.
QByteArray utf8Of(const QString &name, const char *coding)
{
    const QString text = QTextCodec::codecForName(coding)->toUnicode(readFile(fixture(name)));
    return text.trimmed().remove(QLatin1Char('\r')).append(QStringLiteral("\n\n")).toUtf8();
}

// The starts of film.srt moved by `delta`, every seventh left out.
QVector<int> lateStarts(int delta)
{
    QVector<int> starts;
    const QVector<int> film = irregularStarts(60, 5);
    for (int i = 0; i < film.size(); ++i)
        if (i % 7 != 6)
            starts << film[i] + delta;
    return starts;
}

const QStringList pairLog {"Up: 10 subs loaded from pair_upper.srt", "Lw: 10 subs loaded from pair_lower.srt",
                           "Up: 0 subs stretched", "Lw: 0 subs stretched", "Mx: 10 subs stretched"};

} // namespace

class TestCli : public QObject, TempDir
{
    Q_OBJECT

private:
    QStringList pair(const QString &out) const
    {
        return {"merge", fixture("pair_upper.srt"), fixture("pair_lower.srt"), path(out), "--out-coding", "UTF-8"};
    }

private slots:
    void initTestCase()
    {
        write("in.srt",
              "1\r\n00:00:01,000 --> 00:00:02,000\r\n<b>Caf\xc3\xa9</b>\r\nline two\r\n\r\n"
              "2\r\n00:00:04,000 --> 00:00:05,000\r\nEnd\r\n");
        write("more.srt", "00:00:00,000 --> 00:00:01,000\nMore\n");
        write("in.sub", "{30}{60}{y:i}Hola|amigo\n{90}{120}Adi\xc3\xb3s\n");
        write("declared.sub", "{1}{1}29.970\n{30}{60}{y:i}Hola|amigo\n{90}{120}Adi\xc3\xb3s\n");
        write("declared25.sub", "{0}{0}25.0\n{600}{660}Adios\n");
        write("plain.sub", "{600}{660}Adios\n");
        write("two.srt", "1\n00:00:01,000 --> 00:00:01,800\nOne\n\n2\n00:00:02,000 --> 00:00:02,800\nTwo\n");
        write("brackets.srt",
              "1\n00:00:01,000 --> 00:00:02,000\n(sighs)\nHello [x]\n\n"
              "2\n00:00:03,000 --> 00:00:04,000\n- [DOOR SLAMS]\n- Who's there?\n");
        // A film and the same one 7.3 s late, lacking every seventh line; another film.
        write("film.srt", srtBytes(irregularStarts(60, 5)));
        write("late.srt", srtBytes(lateStarts(7300)));
        write("other.srt", srtBytes(irregularStarts(60, 6)));
    }

    // What the tool writes and logs, for a command with its input files, the
    // output file and the options, with no display and no platform plugin
    // chosen: it needs neither. The pair gives the golden files. convert
    // applies, whatever the order on the command line, strip, then shift,
    // stretch and conversion; seconds become what the timing dialog's boxes
    // (±60 s, three decimals, truncated to ms) would hold.
    void run_data()
    {
        QTest::addColumn<QStringList>("inputs"); // the command and its input files
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("log");
        const QStringList pairIn {"merge", fixture("pair_upper.srt"), fixture("pair_lower.srt")};
        const QStringList utf8 {"--out-coding", "UTF-8"};
        const auto merged = [](const QString &out) { return pairLog + QStringList {"Mx: 19 subs saved to " + out}; };
        row("merge: SubRip", pairIn, "pair.srt", utf8, readFile(fixture("pair_merged.srt")), merged("pair.srt"));
        row("merge: MicroDVD 25 fps, colours, dot", pairIn, "pair.sub",
            utf8
                + QStringList {"--out-fps", "25", "--colors", "--upper-color", "12ab56", "--lower-color", "ffff00",
                               "--last-line", "dot"},
            readFile(fixture("pair_merged.sub")), merged("pair.sub"));

        // .ass: both sets as events, the lower MicroDVD file at the rate it declares.
        const QStringList assIn {"merge", fixture("ass_upper.srt"), fixture("ass_lower.sub")};
        const QStringList assColors {"--upper-color", "ffff00", "--lower-color", "00ffff"};
        const QStringList assLog {"Up: 5 subs loaded from ass_upper.srt", "Lw: frame rate 25.000 declared by the file",
                                  "Lw: 6 subs loaded from ass_lower.sub", "Up: 0 subs stretched",
                                  "Lw: 0 subs stretched"};
        row("merge: .ass, upper above", assIn, "pair.ass", assColors, readFile(fixture("ass_merged_above.ass")),
            assLog + QStringList {"Mx: 12 subs saved to pair.ass"});
        row("merge: .ass, upper at the top, no header, another coding chosen", assIn, "top.ass",
            assColors + QStringList {"--upper-position", "top", "--no-header", "--out-coding", "Windows-1250"},
            readFile(fixture("ass_merged_top.ass")),
            assLog
                + QStringList {"Mx: coding Windows-1250 not used, .ass written as UTF-8",
                               "Mx: 11 subs saved to top.ass"});

        const auto convert = [](const QString &in) { return QStringList {"convert", in}; };
        row("golden: UTF-8 SubRip to MicroDVD 25 fps in Windows-1252, shifted before 0:00",
            convert(fixture("pair_lower.srt")), "a.sub",
            QStringList {"--coding", "UTF-8", "--out-coding", "Windows-1252 (Western)", "--out-fps", "25", "--shift",
                         "-1.5"},
            readFile(fixture("pair_lower_converted.sub")),
            QStringList {"Up: 10 subs loaded from pair_lower.srt", "Up: -1500 ms shifted",
                         "Up: 1 subs before 0:00 cut or left out", "Up: 10 subs saved to a.sub"});
        row("append, 23.976 fps", convert(path("in.srt")), "c.sub",
            QStringList {"--coding", "UTF-8", "--out-coding", "UTF-8", "--append", path("more.srt"), "--out-fps",
                         "23.976"},
            QByteArray("{23}{47}{y:b}Caf\xc3\xa9|line two\n{95}{119}End\n{119}{143}More\n"),
            QStringList {"Up: 2 subs loaded from in.srt", "Up: 1 subs appended from more.srt",
                         "Up: 3 subs saved to c.sub"});
        const QByteArray at2997("1\n00:00:01,001 --> 00:00:02,002\n<i>Hola\namigo</i>\n\n"
                                "2\n00:00:03,003 --> 00:00:04,004\nAdi\xc3\xb3s\n\n");
        row("MicroDVD at 29.97 to SubRip", convert(path("in.sub")), "d.srt",
            QStringList {"--coding", "UTF-8", "--out-coding", "UTF-8", "--fps", "29.97"}, at2997,
            QStringList {"Up: 2 subs loaded from in.sub", "Up: 2 subs saved to d.srt"});
        row("MicroDVD without --fps: 23.976", convert(path("in.sub")), "d0.srt", QStringList(),
            QByteArray("1\n00:00:01,251 --> 00:00:02,502\n<i>Hola\namigo</i>\n\n"
                       "2\n00:00:03,753 --> 00:00:05,005\nAdi\xc3\xb3s\n\n"),
            QStringList {"Up: 2 subs loaded from in.sub", "Up: 2 subs saved to d0.srt"});
        row("MicroDVD declaring 29.970, no --fps", convert(path("declared.sub")), "d1.srt", QStringList(), at2997,
            QStringList {"Up: frame rate 29.970 declared by the file", "Up: 2 subs loaded from declared.sub",
                         "Up: 2 subs saved to d1.srt"});
        row("MicroDVD declaring 29.970, --fps 25", convert(path("declared.sub")), "d2.srt", QStringList {"--fps", "25"},
            QByteArray("1\n00:00:01,200 --> 00:00:02,400\n<i>Hola\namigo</i>\n\n"
                       "2\n00:00:03,600 --> 00:00:04,800\nAdi\xc3\xb3s\n\n"),
            QStringList {"Up: frame rate 29.970 declared by the file", "Up: 2 subs loaded from declared.sub",
                         "Up: 2 subs saved to d2.srt"});
        row("MicroDVD declaring 29.970, to MicroDVD at the default 23.976", convert(path("declared.sub")), "d3.sub",
            QStringList(), QByteArray("{23}{47}{y:i}Hola|amigo\n{71}{95}Adi\xc3\xb3s\n"),
            QStringList {"Up: frame rate 29.970 declared by the file", "Up: 2 subs loaded from declared.sub",
                         "Up: 2 subs saved to d3.sub"});

        // No coding given: found from the bytes, written as UTF-8.
        const QStringList detect {"--coding", "Auto Detect", "--out-coding", "Auto Detect"};
        row("Windows-1252 found", convert(fixture("detect_cp1252_spanish.srt")), "w1.srt", QStringList(),
            utf8Of("detect_cp1252_spanish.srt", "Windows-1252"),
            QStringList {"Up: coding detected: WINDOWS-1252", "Up: 10 subs loaded from detect_cp1252_spanish.srt",
                         "Up: 10 subs saved to w1.srt"});
        row("Windows-1250 found, Auto Detect given", convert(fixture("detect_cp1250_polish.srt")), "w2.srt", detect,
            utf8Of("detect_cp1250_polish.srt", "Windows-1250"),
            QStringList {"Up: coding detected: WINDOWS-1250", "Up: 10 subs loaded from detect_cp1250_polish.srt",
                         "Up: 10 subs saved to w2.srt"});
        row("UTF-16LE with a mark", convert(fixture("detect_utf16le_bom_spanish.srt")), "w3.srt", detect,
            utf8Of("detect_cp1252_spanish.srt", "Windows-1252"),
            QStringList {"Up: 10 subs loaded from detect_utf16le_bom_spanish.srt", "Up: 10 subs saved to w3.srt"});
        // "Auto Local" (UTF-8 here) as before, but saying what it could not read.
        row("Windows-1252 as Auto Local", convert(fixture("detect_cp1252_spanish.srt")), "w4.srt",
            QStringList {"--coding", "Auto Local"},
            QString::fromUtf8(utf8Of("detect_cp1252_spanish.srt", "Windows-1252"))
                .replace(QRegularExpression(QStringLiteral("[^\\x{0}-\\x{7f}]")), QChar(QChar::ReplacementCharacter))
                .toUtf8(),
            QStringList {"Up: 22 characters not decodable as UTF-8; try Windows-1252",
                         "Up: 10 subs loaded from detect_cp1252_spanish.srt", "Up: 10 subs saved to w4.srt"});
        const QByteArray cyrillic = QTextCodec::codecForName("Windows-1251")
                                        ->toUnicode(readFile(fixture("cp1251_cyrillic.srt")))
                                        .remove(QLatin1Char('\r'))
                                        .mid(1) // the output starts at its own "1"
                                        .prepend(QLatin1Char('1'))
                                        .toUtf8();
        row("Windows-1251 in, KOI8-R out", convert(fixture("cp1251_cyrillic.srt")), "e.srt",
            QStringList {"--coding", "Windows-1251", "--out-coding", "KOI8-R (Cyrillic)"},
            QTextCodec::codecForName("KOI8-R")->fromUnicode(QString::fromUtf8(cyrillic)),
            QStringList {"Up: 2 subs loaded from cp1251_cyrillic.srt", "Up: 2 subs saved to e.srt"});
        row("shift, stretch, convert", convert(path("two.srt")), "f.srt",
            QStringList {"--convert", "23.976 => 25.000", "--stretch", "1", "--shift", "1.001"},
            QByteArray("1\n00:00:01,918 --> 00:00:02,685\nOne\n\n2\n00:00:03,836 --> 00:00:04,603\nTwo\n\n"),
            QStringList {"Up: 2 subs loaded from two.srt", "Up: 1000 ms shifted", "Up: 1000 ms stretched",
                         "Up: converted 23976 => 25000", "Up: 2 subs saved to f.srt"});
        row("strip, then shift", convert(path("brackets.srt")), "g.srt",
            QStringList {"--shift", "0.5", "--strip", "round,square"},
            QByteArray("1\n00:00:01,500 --> 00:00:02,500\nHello\n\n2\n00:00:03,500 --> 00:00:04,500\nWho's there?\n\n"),
            QStringList {"Up: 2 subs loaded from brackets.srt", "Up: 2 subs stripped, 0 left empty",
                         "Up: 500 ms shifted", "Up: 2 subs saved to g.srt"});
        row("past 60 s, below 1 ms", convert(path("two.srt")), "h.srt",
            QStringList {"--shift", "75", "--stretch", "0.0004"},
            QByteArray("1\n00:01:01,000 --> 00:01:01,800\nOne\n\n2\n00:01:02,000 --> 00:01:02,800\nTwo\n\n"),
            QStringList {"Up: 2 subs loaded from two.srt", "Up: 60000 ms shifted", "Up: 2 subs saved to h.srt"});
        row("past -60 s, one left out", convert(path("two.srt")), "i.srt",
            QStringList {"--shift", "-61.5", "--stretch", "100"},
            QByteArray("1\n00:00:02,000 --> 00:00:02,800\nTwo\n\n"),
            QStringList {"Up: 2 subs loaded from two.srt", "Up: -60000 ms shifted", "Up: 60000 ms stretched",
                         "Up: 1 subs before 0:00 cut or left out", "Up: 1 subs saved to i.srt"});
    }
    void run()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, out);
        QFETCH(QStringList, options);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name));
        const Run r = cli(inputs + QStringList {path(out)} + options, env);
        QCOMPARE(r.code, 0);
        QTEST(readFile(path(out)), "bytes");
        QTEST(r.log, "log");
    }

    // A value outside a number box's range becomes what the box makes of it:
    // the nearest allowed value (chars/sec, gap) or the value it had (snap,
    // bottom lines). `same` gives the same file, `other` a different one.
    void processingRanges_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("same");
        QTest::addColumn<QStringList>("other");
        row("cps below", QStringList {"--cps", "5"}, QStringList {"--cps", "10"}, QStringList());
        row("cps above", QStringList {"--cps", "99"}, QStringList {"--cps", "50"}, QStringList());
        row("gap below", QStringList {"--gap", "-5"}, QStringList(), QStringList {"--gap", "50"});
        row("gap above", QStringList {"--gap", "99"}, QStringList {"--gap", "50"}, QStringList());
        row("snap below", QStringList {"--snap", "20"}, QStringList(), QStringList {"--snap", "50"});
        row("snap above", QStringList {"--snap", "5000"}, QStringList(), QStringList {"--snap", "1000"});
        row("lines below", QStringList {"--bottom-lines", "-1"}, QStringList(), QStringList {"--bottom-lines", "0"});
        row("lines above", QStringList {"--bottom-lines", "31"}, QStringList(), QStringList {"--bottom-lines", "30"});
    }
    void processingRanges()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, same);
        QFETCH(QStringList, other);
        QByteArray files[3];
        const QStringList runs[3] = {given, same, other};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(cli(pair("range.srt") + runs[i]).code, 0);
            files[i] = readFile(path("range.srt"));
        }
        QCOMPARE(files[0], files[1]);
        QVERIFY(files[0] != files[2]);
    }

    // Links and synchronization, after the set's own timing correction. The
    // snap is small so that the moved times show as they are.
    void sync_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("lines"); // in this order
        QTest::addColumn<QStringList>("times");
        // Upper rows 2 and 4 meet the lower subtitles at 2.5 s and 6.5 s: the
        // upper set moves by 0.5 s and its second segment spreads to twice its length.
        row("upper", QStringList {"--link", "2:1", "--link", "4:2", "--sync", "upper"},
            QStringList {"Up: synced to Lw: 2 points"},
            QStringList {"00:00:01,500 --> 00:00:02,000", "00:00:02,500 --> 00:00:03,000",
                         "00:00:04,500 --> 00:00:05,000", "00:00:06,500 --> 00:00:07,000",
                         "00:00:07,500 --> 00:00:08,000"});
        // Eins, at 0 s after the shift, moves onto Two at 2 s, Zwei with it to 6 s.
        row("lower after its timing", QStringList {"--lower-shift", "-2.5", "--link", "2:1", "--sync", "lower"},
            QStringList {"Lw: -2500 ms shifted", "Lw: synced to Up: 1 points"},
            QStringList {"00:00:02,000 --> 00:00:02,500", "00:00:06,000 --> 00:00:06,500"});
    }
    void sync()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, times);
        const QString up = write("up.srt", srtBytes({1000, 2000, 3000, 4000, 5000}));
        const QString lw = write("lw.srt", srtBytes({2500, 6500}));
        const Run r = cli(QStringList {"merge", up, lw, path("synced.srt"), "--snap", "50"} + options);
        QCOMPARE(r.code, 0);
        QVERIFY2(r.log.join('\n').contains(lines.join('\n')), qPrintable(r.log.join('\n')));
        const QString merged = QString::fromUtf8(readFile(path("synced.srt")));
        for (const QString &line : times)
            QVERIFY2(merged.contains(line), qPrintable(line));
    }

    // The sync command moves INPUT onto REFERENCE through the given links, then
    // the automatic ones, and saves it in the format OUT names; with no links
    // it only corrects the durations.
    void syncCommand_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("input"); // of the files initTestCase writes
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("movedBack");
        row("auto-link", QStringList {"--auto-link"}, "late.srt",
            QStringList {"Lw: 15 links found: offset +7.300 s", "Lw: synced to Up: 15 points"}, true);
        row("own link first", QStringList {"--link", "2:2", "--auto-link"}, "late.srt",
            QStringList {"Lw: 15 links found: offset +7.300 s", "Lw: synced to Up: 16 points"}, true);
        row("no links", QStringList {}, "late.srt", QStringList {"Lw: no links to synchronize with"}, false);
        row("another film", QStringList {"--auto-link"}, "other.srt",
            QStringList {"Lw: no reliable match found", "Lw: no links to synchronize with"}, false);
    }
    void syncCommand()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, input);
        QFETCH(QStringList, lines);
        QFETCH(bool, movedBack);
        const Run r = cli(QStringList {"sync", path("film.srt"), path(input), path("fixed.srt")} + options);
        QCOMPARE(r.code, 0);
        QVERIFY2(r.log.join('\n').contains(lines.join('\n')), qPrintable(r.log.join('\n')));
        QVERIFY(!r.log.filter(QRegularExpression("^Lw: \\d+ subs saved to fixed.srt$")).isEmpty());
        if (movedBack)
            QCOMPARE(readFile(path("fixed.srt")), srtBytes(lateStarts(0)));
        else
            QCOMPARE(readFile(path("fixed.srt")), readFile(path(input)));
    }

    // --save-upper and --save-lower save the sets after their corrections
    // and synchronization, and Process & Save still runs.
    void mergeSavesTheSets()
    {
        const Run r = cli({"merge", path("film.srt"), path("late.srt"), path("both.srt"), "--upper-shift", "1",
                           "--auto-link", "--sync", "lower", "--save-upper", path("up.sub"), "--save-lower",
                           path("low.srt"), "--out-fps", "25"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.log.contains("Lw: 15 links found: offset +6.300 s"), qPrintable(r.log.join('\n')));
        QCOMPARE(readFile(path("low.srt")), srtBytes(lateStarts(1000)));
        const QStringList upper = QString::fromUtf8(readFile(path("up.sub"))).split('\n');
        QCOMPARE(upper.first(), QStringLiteral("{150}{162}line 1")); // 5 s + 1 s at 25 frames per second
        QVERIFY(r.log.contains("Up: 60 subs saved to up.sub"));
        QVERIFY(r.log.contains("Lw: 52 subs saved to low.srt"));
        QVERIFY(QFile::exists(path("both.srt")));
    }

    // Each set takes the rate its own MicroDVD file declares, unless its own
    // option gives one; a file declaring none is read at 23.976.
    void mergeDeclaredRates_data()
    {
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("times"); // the upper, then the lower subtitle
        QTest::addColumn<QStringList>("declaredBy");
        row("upper declares 29.970", "plain.sub", QStringList(),
            QStringList {"00:00:10,010 --> 00:00:12,012", "00:00:25,025 --> 00:00:27,527"}, QStringList {"Up"});
        row("--upper-fps over it", "plain.sub", QStringList {"--upper-fps", "25"},
            QStringList {"00:00:12,000 --> 00:00:14,400", "00:00:25,025 --> 00:00:27,527"}, QStringList {"Up"});
        row("--lower-fps for the other", "plain.sub", QStringList {"--lower-fps", "25"},
            QStringList {"00:00:10,010 --> 00:00:12,012", "00:00:24,000 --> 00:00:26,400"}, QStringList {"Up"});
        row("both declare", "declared25.sub", QStringList(),
            QStringList {"00:00:10,010 --> 00:00:12,012", "00:00:24,000 --> 00:00:26,400"}, QStringList {"Up", "Lw"});
        row("--lower-fps over the lower's", "declared25.sub", QStringList {"--lower-fps", "29.97"},
            QStringList {"00:00:10,010 --> 00:00:12,012", "00:00:20,020 --> 00:00:22,022"}, QStringList {"Up", "Lw"});
    }
    void mergeDeclaredRates()
    {
        QFETCH(QString, lower);
        QFETCH(QStringList, options);
        QFETCH(QStringList, times);
        QFETCH(QStringList, declaredBy);
        const QString upper = write("upper.sub", "{1}{1}29.970\n{300}{360}Hola\n");
        const Run r = cli(QStringList {"merge", upper, path(lower), path("rates.srt"), "--snap", "50"} + options);
        QCOMPARE(r.code, 0);
        const QStringList lines = QString::fromUtf8(readFile(path("rates.srt"))).split(QLatin1Char('\n'));
        QCOMPARE(lines.filter(" --> ").mid(0, 2), times);
        QStringList declaring;
        for (const QString &line : r.log.filter(" declared by the file"))
            declaring << line.left(2);
        QCOMPARE(declaring, declaredBy);
        QVERIFY2(r.log.filter("too short").isEmpty(), qPrintable(r.log.join('\n')));
    }

    // Every coding option takes an entry as listed or its codec name; an
    // unknown one is a usage error naming it; a fallback says so once.
    void codings_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("code");
        row("Auto Detect", "Auto Detect", 0);
        row("Auto Local", "Auto Local", 0);
        row("display name", "Windows-1251 (Cyrillic)", 0);
        row("codec name", "KOI8-R", 0);
        row("fallback", "WINSAMI2", 0);
        row("unknown", "Klingon-1 (Qo'noS)", 2);
    }
    void codings()
    {
        QFETCH(QString, entry);
        QFETCH(int, code);
        // A byte-order mark makes the input readable whatever the coding.
        const QString in = write("bom.srt",
                                 "\xef\xbb\xbf"
                                 "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n");
        const QString out = path("c.srt");
        const QList<QStringList> uses = {{"convert", in, out, "--coding"},
                                         {"convert", in, out, "--out-coding"},
                                         {"merge", in, in, out, "--upper-coding"},
                                         {"merge", in, in, out, "--lower-coding"},
                                         {"merge", in, in, out, "--out-coding"}};
        for (const QStringList &args : uses) {
            QFile::remove(out);
            const Run r = cli(args + QStringList {entry});
            const QString err = r.log.join('\n');
            QVERIFY2(r.code == code, qPrintable(err));
            if (code == 0) {
                QVERIFY2(r.log.last().endsWith(" subs saved to c.srt"), qPrintable(err));
                QCOMPARE(err.count(QStringLiteral("coding %1 unknown, local coding used").arg(entry)),
                         fallbackEntries.contains(entry) ? 1 : 0);
            } else {
                QCOMPARE(r.log.first(),
                         QStringLiteral("twinscript-cli: %1: unknown coding '%2'").arg(args.last(), entry));
                QVERIFY(!QFile::exists(out));
            }
        }
    }

    // The codings beyond Unicode live in a module of their own, loaded only
    // when a file needs one: a run on Unicode files does not pay for it.
    void codingModuleOnlyWhenNeeded_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("loaded");
        const QByteArray utf8 = "1\n00:00:01,000 --> 00:00:02,000\nCaf\xc3\xa9\n";
        const QByteArray latin = "1\n00:00:01,000 --> 00:00:02,000\nCaf\xe9 cr\xe8me br\xfbl\xe9\xe9\n";
        row("UTF-8 detected", utf8, QStringList(), false);
        row("UTF-8 to UTF-16", utf8, QStringList {"--coding", "UTF-8", "--out-coding", "UTF-16LE"}, false);
        row("Latin detected", latin, QStringList(), true);
        row("UTF-8 to KOI8-R", utf8, QStringList {"--out-coding", "KOI8-R"}, true);
    }
    void codingModuleOnlyWhenNeeded()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, options);
        QFETCH(bool, loaded);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        const Run r = cli(QStringList {"convert", write("in.srt", text), path("out.srt")} + options, env);
        const QString err = r.log.join('\n');
        QVERIFY2(r.code == 0, qPrintable(err));
        QCOMPARE(err.contains(QStringLiteral("calling init: ")), true);
        QCOMPARE(err.contains(QStringLiteral("libtwinscript_codecs")), loaded);
        QCOMPARE(err.contains(QStringLiteral("libQt6Core5Compat")), loaded);
    }

    // An error line gives exit status 1; the run goes on as the window would.
    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("written");
        row("missing input", QStringList {"convert", path("missing.srt"), path("out.srt")},
            QStringList {"Up: error: cannot open file"}, false);
        row("missing lower, merged anyway",
            QStringList {"merge", path("two.srt"), path("missing.srt"), path("out.srt")},
            QStringList {"Lw: error: cannot open file", "Mx: 3 subs saved to out.srt"}, true);
        row("both missing, nothing merged",
            QStringList {"merge", path("missing.srt"), path("missing.srt"), path("out.srt")},
            QStringList {"Up: error: cannot open file", "Mx: nothing to save: both sets are empty"}, false);
        row("folder of the output missing", QStringList {"convert", path("two.srt"), path("no/out.srt")},
            QStringList {"Up: error: cannot write file"}, false);
    }
    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, lines);
        QFETCH(bool, written);
        QFile::remove(path("out.srt"));
        const Run r = cli(args);
        QCOMPARE(r.code, 1);
        for (const QString &line : lines)
            QVERIFY2(r.log.contains(line), qPrintable(r.log.join('\n')));
        QCOMPARE(!readFile(args.last()).isEmpty(), written);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString in = path("two.srt");
        const QString out = path("usage.srt");
        row("no command", QStringList {}, "missing command");
        row("unknown command", QStringList {"mix"}, "unknown command 'mix'");
        row("missing file", QStringList {"convert", in}, "convert takes 2 file arguments, 1 given");
        row("unknown option", QStringList {"convert", in, out, "--colour"}, "unknown option '--colour'");
        row("merge option for convert", QStringList {"convert", in, out, "--cps", "20"}, "unknown option '--cps'");
        row("missing value", QStringList {"convert", in, out, "--out-coding"}, "--out-coding needs a value");
        row("bad fps", QStringList {"convert", in, out, "--fps", "30"},
            "--fps: '30' is not one of 23.976, 24, 25, 29.97");
        row("not a number", QStringList {"merge", in, in, out, "--cps", "fast"}, "--cps: 'fast' is not a whole number");
        row("seconds not a number", QStringList {"convert", in, out, "--shift", "1,5"},
            "--shift: '1,5' is not a number");
        row("bad conversion", QStringList {"convert", in, out, "--convert", "24 => 25"},
            "--convert: '24 => 25' is not one of \"");
        row("bad bracket kind", QStringList {"convert", in, out, "--strip", "round,pointy"},
            "--strip: unknown bracket kind 'pointy'");
        row("bad colour", QStringList {"merge", in, in, out, "--upper-color", "fff"},
            "--upper-color: 'fff' is not a colour RRGGBB");
        row("bad last line", QStringList {"merge", in, in, out, "--last-line", "dash"},
            "--last-line: 'dash' is not normal, dot or doubled");
        row("bad sync", QStringList {"merge", in, in, out, "--sync", "both"}, "--sync: 'both' is not upper or lower");
        row("sync takes no --sync", QStringList {"sync", in, in, out, "--sync", "upper"}, "unknown option '--sync'");
        row("save-lower for convert", QStringList {"convert", in, out, "--save-lower", out},
            "unknown option '--save-lower'");
        row("sync without output", QStringList {"sync", in, in}, "sync takes 3 file arguments, 2 given");
        row("bad upper position", QStringList {"merge", in, in, out, "--upper-position", "middle"},
            "--upper-position: 'middle' is not above or top");
        row("upper position for convert", QStringList {"convert", in, out, "--upper-position", "top"},
            "unknown option '--upper-position'");
        // A set's option: bare for convert, named with the set for merge and sync.
        row("set option without its set", QStringList {"merge", in, in, out, "--coding", "UTF-8"},
            "unknown option '--coding'");
        row("set named for convert", QStringList {"convert", in, out, "--upper-shift", "1"},
            "unknown option '--upper-shift'");
        row("append named for convert", QStringList {"convert", in, out, "--append-upper", in},
            "unknown option '--append-upper'");
        row("colour without its set", QStringList {"merge", in, in, out, "--color", "ffffff"},
            "unknown option '--color'");
        row("save-upper for sync", QStringList {"sync", in, in, out, "--save-upper", out},
            "unknown option '--save-upper'");
        // Links the window's "Add Link" would refuse.
        row("link to no subtitle", QStringList {"merge", in, in, out, "--link", "3:1"},
            "--link 3:1: no such subtitle (upper has 2, lower 2)");
        row("crossing links", QStringList {"merge", in, in, out, "--link", "1:2", "--link", "2:1"},
            "--link 2:1 crosses or repeats another link");
        row("repeated row", QStringList {"merge", in, in, out, "--link", "1:1", "--link", "1:2"},
            "--link 1:2 crosses or repeats another link");
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = cli(args);
        QCOMPARE(r.code, 2);
        // One line says what is wrong (after the load lines, for links).
        const QStringList said = r.log.filter(QRegularExpression("^twinscript-cli: "));
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].startsWith("twinscript-cli: " + message), qPrintable(said[0]));
        QVERIFY(r.log.contains("usage: twinscript-cli convert IN OUT [options]"));
        QVERIFY(!QFile::exists(path("usage.srt")));
    }

    void helpAndVersion()
    {
        Run r = cli({"--help"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("twinscript-cli merge UPPER LOWER OUT"));
        QVERIFY(r.out.contains("twinscript-cli sync REFERENCE INPUT OUT"));
        QVERIFY(r.out.contains("--auto-link"));
        QVERIFY(r.out.contains("default \"Auto Detect\""));
        r = cli({"--version"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("twinscript-cli 1.1\n"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
