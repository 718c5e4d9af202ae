// twinscript-cli convert: formats, codings, frame rates, appends, exit codes.

#include "testutil.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;

    struct Run
    {
        int code;
        QString err;
        QString out;
    };
    Run cli(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(CLI_PATH), args);
        if (!p.waitForFinished(60000))
            return {-1, QStringLiteral("timed out"), QString()};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, QString::fromUtf8(p.readAllStandardError()),
                QString::fromUtf8(p.readAllStandardOutput())};
    }
    QString path(const QString &name) { return tmp.filePath(name); }

private slots:
    void initTestCase()
    {
        testutil::writeFile(tmp.path(), QStringLiteral("in.srt"),
                            "1\r\n00:00:01,000 --> 00:00:02,000\r\n<b>Caf\xc3\xa9</b>\r\nline two\r\n\r\n"
                            "2\r\n00:00:04,000 --> 00:00:05,000\r\nEnd\r\n");
        testutil::writeFile(tmp.path(), QStringLiteral("more.srt"), "00:00:00,000 --> 00:00:01,000\nMore\n");
    }

    void convert_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("srt to sub at 25 in Windows-1252")
            << QStringList {"--coding", "UTF-8", "--out-coding", "Windows-1252 (Western)", "--out-fps", "25"} << "a.sub"
            << QByteArray("{25}{50}{y:b}Caf\xe9|line two\n{100}{125}End\n")
            << QStringList {"Up: 2 subs loaded from in.srt", "Up: 2 subs saved to a.sub"};
        QTest::newRow("srt to srt, codec name, default frame rate")
            << QStringList {"--coding", "UTF-8", "--out-coding", "ISO 8859-15"} << "b.srt"
            << QByteArray("1\n00:00:01,000 --> 00:00:02,000\n<b>Caf\xe9</b>\nline two\n\n"
                          "2\n00:00:04,000 --> 00:00:05,000\nEnd\n\n")
            << QStringList {"Up: 2 subs loaded from in.srt", "Up: 2 subs saved to b.srt"};
        QTest::newRow("append") << QStringList {"--coding", "UTF-8",     "--out-coding", "UTF-8",
                                                "--append", "@more.srt", "--out-fps",    "23.976"}
                                << "c.sub"
                                << QByteArray("{23}{47}{y:b}Caf\xc3\xa9|line two\n{95}{119}End\n{119}{143}More\n")
                                << QStringList {"Up: 2 subs loaded from in.srt", "Up: 1 subs appended from more.srt",
                                                "Up: 3 subs saved to c.sub"};
    }
    void convert()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QFETCH(QStringList, log);
        for (QString &a : args)
            if (a.startsWith(QLatin1Char('@')))
                a = path(a.mid(1));
        const Run r = cli(QStringList {"convert", path("in.srt"), path(out)} + args);
        QCOMPARE(r.code, 0);
        QTEST(testutil::readFile(path(out)), "bytes");
        QCOMPARE(r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts), log);
    }

    void subToSrtWithFrameRate()
    {
        testutil::writeFile(tmp.path(), QStringLiteral("in.sub"), "{30}{60}{y:i}Hola|amigo\n{90}{120}Adi\xc3\xb3s\n");
        const Run r = cli({"convert", path("in.sub"), path("from.srt"), "--coding", "UTF-8", "--out-coding", "UTF-8",
                           "--fps", "29.97"});
        QCOMPARE(r.code, 0);
        QCOMPARE(testutil::readFile(path("from.srt")),
                 QByteArray("1\n00:00:01,001 --> 00:00:02,002\n<i>Hola\namigo</i>\n\n"
                            "2\n00:00:03,003 --> 00:00:04,004\nAdi\xc3\xb3s\n\n"));
    }

    void errorsExitOne()
    {
        const Run r = cli({"convert", path("missing.srt"), path("never.srt")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(QStringLiteral("Up: error: cannot open file")));
        QVERIFY(!QFileInfo::exists(path("never.srt")) || testutil::readFile(path("never.srt")).isEmpty());
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList {} << "missing command";
        QTest::newRow("unknown command") << QStringList {"mix"} << "unknown command 'mix'";
        QTest::newRow("missing file") << QStringList {"convert", "a.srt"} << "convert takes 2 file arguments, 1 given";
        QTest::newRow("unknown option") << QStringList {"convert", "a", "b", "--colour"} << "unknown option '--colour'";
        QTest::newRow("bad coding") << QStringList {"convert", "a", "b", "--coding", "Klingon"}
                                    << "--coding: unknown coding 'Klingon'";
        QTest::newRow("bad fps") << QStringList {"convert", "a", "b", "--fps", "30"} << "--fps: '30' is not one of";
        QTest::newRow("not a number") << QStringList {"merge", "a", "b", "c", "--cps", "fast"}
                                      << "--cps: 'fast' is not a whole number";
        QTest::newRow("missing value") << QStringList {"convert", "a", "b", "--out-coding"}
                                       << "--out-coding needs a value";
        QTest::newRow("merge option for convert")
            << QStringList {"convert", "a", "b", "--cps", "20"} << "unknown option '--cps'";
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = cli(args);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.startsWith(QStringLiteral("twinscript-cli: ") + message), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("usage: twinscript-cli convert IN OUT")));
    }

    void helpAndVersion()
    {
        Run r = cli({"--help"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QStringLiteral("twinscript-cli merge UPPER LOWER OUT")));
        r = cli({"--version"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("twinscript-cli 1.1\n"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
