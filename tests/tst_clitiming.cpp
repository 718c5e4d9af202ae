// twinscript-cli end to end: synchronizing through links, timing corrections
// and stripping, run as a user would run the tool.

#include "testutil.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QStringList log;
};

Run runCli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(CLI_PATH), args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    for (const QString &line : err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!line.startsWith(QLatin1String("QStandardPaths:")))
            r.log << line;
    return r;
}

const QByteArray upperSrt = "1\n00:00:01,000 --> 00:00:01,800\nOne\n\n"
                            "2\n00:00:02,000 --> 00:00:02,800\nTwo\n\n"
                            "3\n00:00:03,000 --> 00:00:03,800\nThree\n\n"
                            "4\n00:00:04,000 --> 00:00:04,800\nFour\n\n"
                            "5\n00:00:05,000 --> 00:00:05,800\nFive\n";
const QByteArray lowerSrt = "1\n00:00:02,500 --> 00:00:03,300\nEins\n\n"
                            "2\n00:00:06,500 --> 00:00:07,300\nZwei\n";

} // namespace

class TestCliTiming : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;

private slots:
    void init() { testutil::resetState(); }

    // Upper rows 2 and 4 meet the lower subtitles at 2.5 s and 6.5 s: the upper
    // set is shifted by 0.5 s and its second segment spread to twice its length.
    // The merge's snapping is kept small so the moved times show as they are.
    void syncUpper()
    {
        const QString up = testutil::writeFile(tmp.path(), "up.srt", upperSrt);
        const QString lw = testutil::writeFile(tmp.path(), "lw.srt", lowerSrt);
        const QString out = tmp.filePath("synced.srt");
        const Run r = runCli(
            {"merge", up, lw, out, "--link", "2:1", "--link", "4:2", "--sync", "upper", "--snap", "50"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.log.contains("Up: synced to Lw: 2 points"), qPrintable(r.log.join('\n')));
        QVERIFY(r.log.indexOf("Up: synced to Lw: 2 points") < r.log.indexOf("Mx: 6 subs saved to synced.srt"));
        const QString merged = QString::fromUtf8(testutil::readFile(out));
        for (const char *line : {"00:00:01,500 --> 00:00:02,300", "00:00:02,500 --> 00:00:03,300",
                                 "00:00:04,500 --> 00:00:05,300", "00:00:06,500 --> 00:00:07,300",
                                 "00:00:07,500 --> 00:00:08,300"})
            QVERIFY2(merged.contains(QLatin1String(line)), line);
        QVERIFY(!merged.contains(QLatin1String("00:00:03,000 -->")));
    }

    // Lower set synchronized instead; its own timing correction runs first.
    void syncLowerAfterTiming()
    {
        const QString up = testutil::writeFile(tmp.path(), "up.srt", upperSrt);
        const QString lw = testutil::writeFile(tmp.path(), "lw.srt", lowerSrt);
        const QString out = tmp.filePath("lower.srt");
        const Run r = runCli({"merge", up, lw, out, "--lower-shift", "-2.5", "--link", "2:1", "--sync", "lower",
                              "--snap", "50"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.log.mid(2, 2), (QStringList{"Lw: -2500 ms shifted", "Lw: synced to Up: 1 points"}));
        const QString merged = QString::fromUtf8(testutil::readFile(out));
        // Eins (0 s after the shift) moved onto Two at 2 s, Zwei with it to 6 s.
        QVERIFY(merged.contains(QLatin1String("00:00:02,000 --> 00:00:02,800")));
        QVERIFY(merged.contains(QLatin1String("00:00:06,000 --> 00:00:06,800")));
        QVERIFY(!merged.contains(QLatin1String("00:00:00,000 -->")));
    }

    void convertFrameRate_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("23.976 => 25") << QStringList{"--convert", "23.976 => 25.000"}
                                      << QStringList{"Up: converted 23976 => 25000"}
                                      << QByteArray("1\n00:00:00,959 --> 00:00:01,726\nOne\n\n"
                                                    "2\n00:00:01,918 --> 00:00:02,685\nTwo\n\n");
        QTest::newRow("25 => 23.976") << QStringList{"--convert", "25.000 => 23.976"}
                                      << QStringList{"Up: converted 25000 => 23976"}
                                      << QByteArray("1\n00:00:01,042 --> 00:00:01,876\nOne\n\n"
                                                    "2\n00:00:02,085 --> 00:00:02,919\nTwo\n\n");
        QTest::newRow("shift, stretch, convert")
            << QStringList{"--convert", "23.976 => 25.000", "--stretch", "1", "--shift", "1.001"}
            << QStringList{"Up: 1000 ms shifted", "Up: 1000 ms stretched", "Up: converted 23976 => 25000"}
            << QByteArray("1\n00:00:01,918 --> 00:00:02,685\nOne\n\n"
                          "2\n00:00:03,836 --> 00:00:04,603\nTwo\n\n");
    }
    void convertFrameRate()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, expected);
        const QString in = testutil::writeFile(tmp.path(), "in.srt",
                                               "1\n00:00:01,000 --> 00:00:01,800\nOne\n\n"
                                               "2\n00:00:02,000 --> 00:00:02,800\nTwo\n");
        const QString out = tmp.filePath("out.srt");
        QFile::remove(out);
        const Run r = runCli(QStringList{"convert", in, out} + options);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.log, QStringList{"Up: 2 subs loaded from in.srt"} + lines
                            + QStringList{"Up: 2 subs saved to out.srt"});
        QCOMPARE(testutil::readFile(out), expected);
    }

    // Stripping comes before the timing corrections and the saving.
    void stripThenShift()
    {
        const QString in = testutil::writeFile(tmp.path(), "hi.srt",
                                               "1\n00:00:01,000 --> 00:00:02,000\n(sighs)\nHello [x]\n");
        const QString out = tmp.filePath("hi_out.srt");
        const Run r = runCli({"convert", in, out, "--strip", "round,square", "--shift", "0.5"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(testutil::readFile(out), QByteArray("1\n00:00:01,500 --> 00:00:02,500\nHello\n\n"));
    }
};

QTEST_MAIN(TestCliTiming)
#include "tst_clitiming.moc"
