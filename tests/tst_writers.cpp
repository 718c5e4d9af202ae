// Writing sets as SubRip and MicroDVD files: exact bytes, codings, and a save
// that fails must leave what was there.

#include "testutil.h"

#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "subtitles/writer.h"

#include <QComboBox>
#include <QDialog>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using testutil::LogCapture;

class TestWriters : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    QComboBox coding;
    ScriptedPrompts prompts;

    SubtitleSet &up() { return workspace().upper; }

    void fillUpper()
    {
        SubtitleSet &s = up();
        s.records[0] = Subtitle {1000, 2500, 0, 0, 0, QStringLiteral("<i>Hello</i>|World"), true};
        s.records[1] = Subtitle {3000, 4000, 0, 0, 0, QString(), true}; // rejected slot: no block
        s.records[2] = Subtitle {41708, 45000, 0, 0, 0, QStringLiteral("{y:b}Bold|two"), false};
        s.count = 3;
    }

    QString save(const QString &name, const QString &codingEntry = QStringLiteral("UTF-8"))
    {
        coding.clear();
        coding.addItem(codingEntry);
        up().codingBox = &coding;
        const QString path = tmp.filePath(name);
        prompts.saveNames.push_back(path);
        saveSet(up(), QStringLiteral("Save upper subtitles"));
        return path;
    }

private slots:
    void init()
    {
        testutil::resetState();
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
    }
    void cleanup() { setPrompts(nullptr); }

    void timeLine_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("line");
        QTest::newRow("hours") << 3723004 << 3725500 << "01:02:03,004 --> 01:02:05,500";
        QTest::newRow("hundred hours") << 360000000 << 0 << "100:00:00,000 --> 00:00:00,000";
        QTest::newRow("negative") << -1500 << 0 << "00:00:-1,-500 --> 00:00:00,000";
        QTest::newRow("extremes") << std::numeric_limits<qint32>::min() << std::numeric_limits<qint32>::max()
                                  << "-596:-31:-23,-648 --> 596:31:23,647";
    }
    void timeLine()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        Subtitle s;
        s.start = start;
        s.end = end;
        QTEST(formatTimeLine(s, false), "line");
        s.mergeStart = 1;
        s.mergeEnd = 2;
        QCOMPARE(formatTimeLine(s, true), QStringLiteral("00:00:00,001 --> 00:00:00,002"));
    }

    void subFrames_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("line");
        QTest::newRow("25 fps") << 1000 << 25000 << "{25}{25}x\n";
        QTest::newRow("truncated, not rounded") << 41708 << 23976 << "{999}{999}x\n";
        QTest::newRow("no 32-bit overflow") << std::numeric_limits<qint32>::max() << 29970 << "{64360084}{64360084}x\n";
    }
    void subFrames()
    {
        QFETCH(int, ms);
        QFETCH(int, rate);
        Subtitle s {ms, ms, 0, 0, 0, QStringLiteral("x"), false};
        QString out;
        QTextStream stream(&out);
        writeSubEntry(s, rate, stream);
        stream.flush();
        QTEST(out, "line");
    }

    void srtBytes()
    {
        fillUpper();
        LogCapture log;
        const QString path = save(QStringLiteral("out.SRT"));
        QCOMPARE(testutil::readFile(path),
                 QByteArray("1\n00:00:01,000 --> 00:00:02,500\n<i>Hello</i>\nWorld\n\n"
                            "2\n00:00:41,708 --> 00:00:45,000\n<b>Bold\ntwo</b>\n\n"));
        QCOMPARE(log.lines, QStringList {QStringLiteral("Up: 3 subs saved to out.SRT")});
        QCOMPARE(prompts.captions, QStringList {QStringLiteral("Save upper subtitles")});
    }

    void subBytesAsksFrameRate()
    {
        fillUpper();
        int preselected = -1;
        prompts.dialogs.push_back([&](QDialog &d) {
            auto *box = d.findChild<QComboBox *>(QStringLiteral("comboBox"));
            preselected = box->currentIndex();
            box->setCurrentIndex(0);
            return int(QDialog::Accepted);
        });
        preferences().saveFrameRateIndex = 2;
        const QString path = save(QStringLiteral("out.txt"));
        QCOMPARE(preselected, 2);
        QCOMPARE(preferences().saveFrameRateIndex, 0);
        QCOMPARE(up().frameRate, 23976);
        QCOMPARE(testutil::readFile(path), QByteArray("{23}{59}{y:i}Hello|World\n{999}{1078}{y:b}Bold|two\n"));
    }

    void emptySetStillAsksForMicroDvd()
    {
        LogCapture log;
        const QString path = save(QStringLiteral("empty"));
        QCOMPARE(prompts.dialogsRun, 1);
        QCOMPARE(testutil::readFile(path), QByteArray());
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(log.lines, QStringList {QStringLiteral("Up: 0 subs saved to empty")});
    }

    void cancelLogsTwice()
    {
        fillUpper();
        LogCapture log;
        saveSet(up(), QStringLiteral("Save upper subtitles"));
        QCOMPARE(log.lines, (QStringList {QStringLiteral("Up: save cancelled"), QStringLiteral("Up: save cancelled")}));
        QCOMPARE(log.levels, (QList<int> {2, 2}));
    }

    void startDirectories()
    {
        preferences().loadDir = QStringLiteral("/load");
        preferences().saveDir = QStringLiteral("/save");
        SaveSelect(up(), QStringLiteral("a"), false);
        SaveSelect(workspace().merged, QStringLiteral("b"), true);
        QCOMPARE(prompts.dirs, (QStringList {QStringLiteral("/load"), QStringLiteral("/save")}));

        fillUpper();
        up().file.setFileName(tmp.filePath(QStringLiteral("sub/x.srt")));
        QDir(tmp.path()).mkdir(QStringLiteral("sub"));
        SaveWrite(up(), true);
        QCOMPARE(preferences().saveDir, tmp.filePath(QStringLiteral("sub")));
    }

    // An existing file stays as it was when the new one cannot be written.
    void failureKeepsExistingFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("directory") << "adir";
        QTest::newRow("missing folder") << "no/such/folder/x.srt";
    }
    void failureKeepsExistingFile()
    {
        QFETCH(QString, target);
        fillUpper();
        QDir(tmp.path()).mkpath(QStringLiteral("adir"));
        const QString keep = testutil::writeFile(tmp.path(), QStringLiteral("adir/keep.srt"), "precious");
        preferences().saveDir = QStringLiteral("/unchanged");
        up().file.setFileName(tmp.filePath(target));
        LogCapture log;
        SaveWrite(up(), true);
        QCOMPARE(log.lines, QStringList {QStringLiteral("Up: error: cannot write file")});
        QCOMPARE(log.levels.first(), 0);
        QCOMPARE(prompts.dialogsRun, 0);
        QCOMPARE(preferences().saveDir, QStringLiteral("/unchanged"));
        QCOMPARE(testutil::readFile(keep), QByteArray("precious"));
    }

    void replacesExistingFileWhole()
    {
        fillUpper();
        const QString path = testutil::writeFile(tmp.path(), QStringLiteral("again.srt"), QByteArray(5000, 'z'));
        save(QStringLiteral("again.srt"));
        QVERIFY(testutil::readFile(path).startsWith("1\n00:00:01,000"));
        QVERIFY(!testutil::readFile(path).contains('z'));
    }

    void codings_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("latin-1 with losses")
            << "ISO 8859-1 (Western)" << QString::fromUtf8("Žluť é ♪") << QByteArray("{25}{50}?lu? \xE9 ?\n")
            << QStringList {"Up: 3 characters not representable in ISO 8859-1", "Up: 1 subs saved to c.sub"};
        QTest::newRow("windows-1250") << "Windows-1250 (Central Europe)" << QString::fromUtf8("Žluť")
                                      << QByteArray("{25}{50}\x8Elu\x9D\n")
                                      << QStringList {"Up: 1 subs saved to c.sub"};
        QTest::newRow("utf-16 without mark")
            << "UTF-16LE" << QStringLiteral("Hi") << QByteArray("{\0002\0005\0}\0{\0005\0000\0}\0H\0i\0\n\0", 22)
            << QStringList {"Up: 1 subs saved to c.sub"};
        QTest::newRow("outside the basic plane")
            << "Windows-1252 (Western)" << QString::fromUtf8("a😀b") << QByteArray("{25}{50}a?b\n")
            << QStringList {"Up: 1 characters not representable in Windows-1252", "Up: 1 subs saved to c.sub"};
    }
    void codings()
    {
        QFETCH(QString, entry);
        QFETCH(QString, text);
        up().records[0] = Subtitle {1000, 2000, 0, 0, 0, text, false};
        up().count = 1;
        prompts.dialogs.push_back([](QDialog &d) {
            d.findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentIndex(2);
            return int(QDialog::Accepted);
        });
        LogCapture log;
        const QString path = save(QStringLiteral("c.sub"), entry);
        QTEST(testutil::readFile(path), "bytes");
        QTEST(log.lines, "log");
    }
};

QTEST_MAIN(TestWriters)
#include "tst_writers.moc"
