// twinscript-cli end to end: synchronizing through links, timing corrections
// and stripping, run as a user would run the tool.

#include "testutil.h"

#include <QtTest>

namespace {

// The tool's log lines; none unless it ends with exit code 0.
QStringList runCli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(CLI_PATH), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(p.readAllStandardError())
        .split(QLatin1Char('\n'))
        .filter(QRegularExpression(QStringLiteral("^(Up|Lw|Mx): ")));
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

    // The merge's snapping is kept small so the moved times show as they are.
    void sync_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("lines"); // in this order
        QTest::addColumn<QStringList>("present");
        // Upper rows 2 and 4 meet the lower subtitles at 2.5 s and 6.5 s: the
        // upper set is shifted by 0.5 s and its second segment spread to twice
        // its length.
        QTest::newRow("upper") << QStringList {"--link", "2:1", "--link", "4:2", "--sync", "upper"}
                               << QStringList {"Up: synced to Lw: 2 points"}
                               << QStringList {"00:00:01,500 --> 00:00:02,300", "00:00:02,500 --> 00:00:03,300",
                                               "00:00:04,500 --> 00:00:05,300", "00:00:06,500 --> 00:00:07,300",
                                               "00:00:07,500 --> 00:00:08,300"};
        // The lower set's own timing correction runs first: Eins (0 s after the
        // shift) moves onto Two at 2 s, Zwei with it to 6 s.
        QTest::newRow("lower after its timing")
            << QStringList {"--lower-shift", "-2.5", "--link", "2:1", "--sync", "lower"}
            << QStringList {"Lw: -2500 ms shifted", "Lw: synced to Up: 1 points"}
            << QStringList {"00:00:02,000 --> 00:00:02,800", "00:00:06,000 --> 00:00:06,800"};
    }
    void sync()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, present);
        const QString up = testutil::writeFile(tmp.path(), "up.srt", upperSrt);
        const QString lw = testutil::writeFile(tmp.path(), "lw.srt", lowerSrt);
        const QString out = tmp.filePath("synced.srt");
        const QStringList log = runCli(QStringList {"merge", up, lw, out, "--snap", "50"} + options);
        QVERIFY2(log.join('\n').contains(lines.join('\n')), qPrintable(log.join('\n')));
        const QString merged = QString::fromUtf8(testutil::readFile(out));
        for (const QString &line : present)
            QVERIFY2(merged.contains(line), qPrintable(line));
    }

    // Stripping comes first, then shift, stretch and conversion in this order,
    // whatever the order on the command line.
    void convert_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("shift, stretch, convert")
            << QByteArray("1\n00:00:01,000 --> 00:00:01,800\nOne\n\n2\n00:00:02,000 --> 00:00:02,800\nTwo\n")
            << QStringList {"--convert", "23.976 => 25.000", "--stretch", "1", "--shift", "1.001"}
            << QStringList {"Up: 1000 ms shifted", "Up: 1000 ms stretched", "Up: converted 23976 => 25000"}
            << QByteArray("1\n00:00:01,918 --> 00:00:02,685\nOne\n\n"
                          "2\n00:00:03,836 --> 00:00:04,603\nTwo\n\n");
        QTest::newRow("strip, then shift")
            << QByteArray("1\n00:00:01,000 --> 00:00:02,000\n(sighs)\nHello [x]\n")
            << QStringList {"--shift", "0.5", "--strip", "round,square"} << QStringList {"Up: 500 ms shifted"}
            << QByteArray("1\n00:00:01,500 --> 00:00:02,500\nHello\n\n");
    }
    void convert()
    {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, options);
        QFETCH(QStringList, lines);
        const QString in = testutil::writeFile(tmp.path(), "in.srt", input);
        const QString out = tmp.filePath("out.srt");
        QFile::remove(out);
        const QStringList log = runCli(QStringList {"convert", in, out} + options);
        QVERIFY(log.value(0).endsWith(QLatin1String("loaded from in.srt")));
        QCOMPARE(log.mid(1, log.size() - 2), lines);
        QVERIFY(log.last().endsWith(QLatin1String("saved to out.srt")));
        QTEST(testutil::readFile(out), "expected");
    }
};

QTEST_MAIN(TestCliTiming)
#include "tst_clitiming.moc"
