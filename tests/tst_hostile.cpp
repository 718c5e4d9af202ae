// Files that strangers wrote and places the user cannot write to: nothing may
// crash or hang, every case leaves its log line, and a file that already exists
// is never damaged by a save that fails.

#include "testutil.h"

#include "app/actionlog.h"
#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "subtitles/writer.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using testutil::LogCapture;

namespace {

const QByteArray goodSrt = "1\n00:00:01,000 --> 00:00:02,000\nFirst\n\n"
                           "2\n00:00:03,000 --> 00:00:04,000\nSecond\n\n"
                           "3\n00:00:05,000 --> 00:00:06,000\nThird\n\n";
const QStringList goodTexts{"First", "Second", "Third"};

// A string literal with its NUL bytes, without the terminating one.
template <int N> QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, N - 1);
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Sets or clears the immutable attribute, which stops root as well.
bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

// Whatever a test changed outside its files is put back even when it fails.
struct Undo {
    std::vector<std::function<void()>> steps;
    ~Undo()
    {
        for (auto it = steps.rbegin(); it != steps.rend(); ++it)
            (*it)();
    }
};

// Fills a filesystem until a write fails; returns the bytes written.
qint64 fillUp(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    const QByteArray block(4096, 'f');
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::write(fd, block.constData(), size_t(block.size()));
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList texts(const SubtitleSet &set)
{
    QStringList out;
    for (int i = 0; i < set.count; ++i)
        out << set.records[size_t(i)].text;
    return out;
}

// n subtitles, 2 s every 3 s, as a SubRip file.
QByteArray generatedSrt(int n, const char *word)
{
    QByteArray out;
    for (int i = 0; i < n; ++i) {
        const int start = 1000 + i * 3000;
        Subtitle s;
        s.start = start;
        s.end = start + 2000;
        out += QByteArray::number(i + 1) + '\n' + formatTimeLine(s, false).toLatin1() + '\n' + word + ' '
               + QByteArray::number(i) + "\n\n";
    }
    return out;
}

int pressOk(QDialog &dialog)
{
    auto *box = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    if (!box || !box->button(QDialogButtonBox::Ok))
        return -1;
    box->button(QDialogButtonBox::Ok)->click();
    return dialog.result();
}

// The frame-rate prompt answered with "25.000 PAL".
int pal(QDialog &dialog)
{
    if (auto *box = dialog.findChild<QComboBox *>(QStringLiteral("comboBox")))
        box->setCurrentIndex(2);
    return pressOk(dialog);
}

// Prompts whose answers are taken away right after they are given: the
// file (or folder) disappears between choosing and reading or writing.
class VanishingPrompts : public ScriptedPrompts
{
public:
    QString removeOnOpen;
    QString removeOnSave;

    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override
    {
        const QString name = ScriptedPrompts::openFileName(parent, caption, dir, filter);
        remove(removeOnOpen);
        return name;
    }
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override
    {
        const QString name = ScriptedPrompts::saveFileName(parent, caption, dir, filter);
        remove(removeOnSave);
        return name;
    }

private:
    static void remove(const QString &path)
    {
        if (path.isEmpty())
            return;
        if (QFileInfo(path).isDir())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
};

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    ScriptedPrompts prompts;
    bool privateMounts = false;
    QString mountProblem;

    QString path(const QString &name) const { return tmp.filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        return testutil::writeFile(tmp.path(), name, bytes);
    }

    // The upper set holds the three good subtitles, as loaded by the user.
    void loadGoodUpper(MainWindow &w)
    {
        prompts.openNames.push_back(write(QStringLiteral("good.srt"), goodSrt));
        w.on_pushButton_ldupr_clicked();
        QCOMPARE(texts(workspace().upper), goodTexts);
    }

    // A tmpfs of `size` at `dir`, only in this process's own mount table, so it
    // vanishes with the process even if a test crashes.
    bool mountTiny(const QString &dir, const char *size, Undo &undo, QString *why)
    {
        if (!privateMounts) {
            *why = mountProblem;
            return false;
        }
        QDir().mkpath(dir);
        const QByteArray where = QFile::encodeName(dir);
        const QByteArray options = QByteArray("size=") + size + ",mode=0755";
        if (::mount("twinscript-test", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                    options.constData())
            != 0) {
            *why = QStringLiteral("cannot mount a tmpfs: %1").arg(errnoText());
            return false;
        }
        undo.steps.push_back([where]() { ::umount2(where.constData(), MNT_DETACH); });
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        // Tiny filesystems are mounted in a mount table of this process alone.
        if (::unshare(CLONE_NEWNS) != 0)
            mountProblem = QStringLiteral("no private mount table (%1; needs CAP_SYS_ADMIN)").arg(errnoText());
        else if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            mountProblem = QStringLiteral("cannot make the mounts private: %1").arg(errnoText());
        else
            privateMounts = true;
    }

    void init()
    {
        testutil::resetState();
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
    }
    void cleanup() { setPrompts(nullptr); }

    void hostileContent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("kept");

        QTest::newRow("0 bytes, SubRip")
            << "empty.srt" << QByteArray() << QStringList{"Up: 0 subs loaded from empty.srt"} << QStringList();
        QTest::newRow("0 bytes, MicroDVD")
            << "empty.sub" << QByteArray() << QStringList{"Up: 0 subs loaded from empty.sub"} << QStringList();
        QTest::newRow("only a byte-order mark") << "bom.srt" << QByteArray("\xEF\xBB\xBF")
                                                << QStringList{"Up: 0 subs loaded from bom.srt"} << QStringList();
        // A reader that stopped at the first NUL would lose the rest of the file.
        QTest::newRow("NUL bytes, SubRip")
            << "nul.srt"
            << raw("1\n00:00:01,000 --> 00:00:02,000\nHel\0lo\n\n\0\0\0\n"
                   "2\n00:00:03,000 --> 00:00:04,000\nSecond\0\n\n"
                   "3\n00:00:05,000 --> 00:00:06,000\nThird\n")
            << QStringList{"Up: 3 subs loaded from nul.srt"}
            << QStringList{QString::fromLatin1("Hel\0lo", 6), QString::fromLatin1("Second\0", 7), "Third"};
        QTest::newRow("NUL in a SubRip time line")
            << "nultime.srt"
            << raw("00:00:01,000 --> 00:00:02,000\nA\n\n00:00:0\0,000 --> 00:00:04,000\nB\n\n"
                   "00:00:05,000 --> 00:00:06,000\nC\n")
            << QStringList{"Up: 2 subs loaded from nultime.srt"} << QStringList{"A", "C"};
        QTest::newRow("NUL bytes, MicroDVD")
            << "nul.sub" << raw("{25}{50}A\0B\n{2\0005}{60}x\n{75}{100}C\n")
            << QStringList{"Up: sub too short#2", "Up: 2 subs loaded from nul.sub", "Up: 1 subs skipped"}
            << QStringList{QString::fromLatin1("A\0B", 3), "C"};
        QTest::newRow("only NUL bytes, SubRip") << "zeros.srt" << QByteArray(4096, '\0')
                                                << QStringList{"Up: 0 subs loaded from zeros.srt"} << QStringList();
        // One line of 4096 characters comes in pieces of 1024.
        QTest::newRow("only NUL bytes, MicroDVD")
            << "zeros.sub" << QByteArray(4096, '\0')
            << QStringList{"Up: sub too short#1", "Up: sub too short#2", "Up: sub too short#3", "Up: sub too short#4",
                           "Up: 0 subs loaded from zeros.sub", "Up: 4 subs skipped"}
            << QStringList();
    }
    void hostileContent()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        MainWindow w;
        loadGoodUpper(w);
        prompts.openNames.push_back(write(name, bytes));
        prompts.dialogs.push_back(pal);
        LogCapture log;
        w.on_pushButton_ldupr_clicked();
        QTEST(log.lines, "log");
        QTEST(texts(workspace().upper), "kept");
        QCOMPARE(w.findChild<QListWidget *>(QStringLiteral("listWidget_upr"))->count(), workspace().upper.count);
        QCOMPARE(prompts.dialogsRun, name.endsWith(QLatin1String(".sub")) ? 1 : 0);

        // What was read is written back whole, NUL bytes included.
        const QString out = path(QStringLiteral("back.srt"));
        prompts.saveNames.push_back(out);
        w.on_pushButton_savup_pressed();
        QCOMPARE(log.lines.last(), QStringLiteral("Up: %1 subs saved to back.srt").arg(workspace().upper.count));
        workspace().lower.loadPath(out, false);
        QCOMPARE(texts(workspace().lower), texts(workspace().upper));
    }

    void garbage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<quint32>("seed");

        QTest::newRow("SubRip") << "garbage.srt" << QByteArray() << 1u;
        QTest::newRow("MicroDVD") << "garbage.sub" << QByteArray() << 2u;
        QTest::newRow("SubRip behind a UTF-8 mark") << "garbage8.srt" << QByteArray("\xEF\xBB\xBF") << 3u;
        QTest::newRow("SubRip behind a UTF-16LE mark") << "garbage16.srt" << QByteArray("\xFF\xFE") << 4u;
        QTest::newRow("MicroDVD behind a UTF-16BE mark") << "garbage16.sub" << QByteArray("\xFE\xFF") << 5u;
        QTest::newRow("MicroDVD behind a UTF-32LE mark")
            << "garbage32.sub" << QByteArray("\xFF\xFE\x00\x00", 4) << 6u;
    }
    void garbage()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, prefix);
        QFETCH(quint32, seed);
        const bool srt = name.endsWith(QLatin1String(".srt"));
        // Random bytes, then a good subtitle that must still be found after them.
        QRandomGenerator random(seed);
        QByteArray bytes = prefix;
        for (int i = 0; i < 256 * 1024; ++i)
            bytes += char(random.bounded(256));
        const QString good = srt ? QStringLiteral("\n\n1\n99:00:00,000 --> 99:00:02,000\nStill here\n\n")
                                 : QStringLiteral("\n{8910000}{8910050}Still here\n");
        // The tail in the coding the mark announces (all of it ASCII).
        const int width = prefix.size() == 4 ? 4 : prefix.size() == 2 ? 2 : 1;
        const bool bigEndian = prefix.startsWith("\xFE\xFF");
        for (const QChar c : good) {
            QByteArray unit(width, '\0');
            unit[bigEndian ? width - 1 : 0] = char(c.unicode());
            bytes += unit;
        }

        MainWindow w;
        prompts.openNames.push_back(write(name, bytes));
        prompts.dialogs.push_back(pal);
        LogCapture log;
        w.on_pushButton_ldupr_clicked();
        const SubtitleSet &set = workspace().upper;
        QVERIFY(log.lines.contains(QStringLiteral("Up: %1 subs loaded from %2").arg(set.count).arg(name)));
        QVERIFY(!log.levels.contains(0));
        QVERIFY(set.count >= 1);
        QCOMPARE(set.records[size_t(set.count - 1)].text, QStringLiteral("Still here"));
        QCOMPARE(set.records[size_t(set.count - 1)].start, 356400000);
        // What the readers promise about every subtitle they keep.
        for (int i = 0; i < set.count; ++i) {
            const Subtitle &s = set.records[size_t(i)];
            QVERIFY2(!s.text.isEmpty(), qPrintable(QString::number(i)));
            QVERIFY2(qint64(s.start) <= qint64(s.end) + 100, qPrintable(QString::number(i)));
            if (i > 0)
                QVERIFY2(qint64(s.start) >= qint64(set.records[size_t(i - 1)].start) + 100,
                         qPrintable(QString::number(i)));
        }
        QCOMPARE(w.findChild<QListWidget *>(QStringLiteral("listWidget_upr"))->count(), set.count);

        // Whatever was kept can be written in both formats.
        for (const QString &out : {QStringLiteral("garbage-out.srt"), QStringLiteral("garbage-out.sub")}) {
            prompts.saveNames.push_back(path(out));
            w.on_pushButton_savup_pressed();
            QCOMPARE(log.lines.last(), QStringLiteral("Up: %1 subs saved to %2").arg(set.count).arg(out));
        }
    }

    void hugeLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("SubRip") << "huge.srt";
        QTest::newRow("MicroDVD") << "huge.sub";
    }
    void hugeLine()
    {
        QFETCH(QString, name);
        const bool srt = name.endsWith(QLatin1String(".srt"));
        const qint64 size = 50LL * 1024 * 1024;
        const int pieces = int(size / SubtitleSet::MaxLineLength);
        {
            QFile file(path(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            const QByteArray chunk = QByteArray("no line end in sight, ").repeated(2048).left(32768);
            for (qint64 written = 0; written < size; written += chunk.size())
                QCOMPARE(file.write(chunk), qint64(chunk.size()));
        }
        QCOMPARE(QFileInfo(path(name)).size(), size);
        Undo undo;
        undo.steps.push_back([this, name]() { QFile::remove(path(name)); });

        // The log list of a window would hold 51200 lines: read at the set's
        // own level with the log captured.
        SubtitleSet &set = workspace().upper;
        set.readContent(QStringLiteral("00:00:01,000 --> 00:00:02,000\nBefore\n"), true, false, QStringLiteral("x"));
        QCOMPARE(set.count, 1);
        prompts.dialogs.push_back(pal);
        LogCapture log;
        QVERIFY(set.loadPath(path(name), false));
        QCOMPARE(set.linesRead, pieces);
        QCOMPARE(set.count, 0);
        QStringList expected;
        if (!srt) {
            for (int k = 1; k <= pieces; ++k)
                expected << QStringLiteral("Up: sub too short#%1").arg(k);
        }
        expected << QStringLiteral("Up: 0 subs loaded from %1").arg(name);
        if (!srt)
            expected << QStringLiteral("Up: %1 subs skipped").arg(pieces);
        QCOMPARE(log.lines, expected);
    }

    void directoryAsFile()
    {
        MainWindow w;
        loadGoodUpper(w);
        const QString dir = path(QStringLiteral("folder.srt"));
        QVERIFY(QDir().mkpath(dir));
        write(QStringLiteral("folder.srt/inside.txt"), "keep me");

        LogCapture log;
        prompts.openNames.push_back(dir);
        w.on_pushButton_ldupr_clicked();
        QCOMPARE(log.lines, QStringList{"Up: error: cannot open file"});
        QCOMPARE(log.levels, QList<int>{0});
        QCOMPARE(texts(workspace().upper), goodTexts);

        log.lines.clear();
        log.levels.clear();
        prompts.saveNames.push_back(dir);
        w.on_pushButton_savup_pressed();
        QCOMPARE(log.lines, QStringList{"Up: error: cannot write file"});
        QCOMPARE(log.levels, QList<int>{0});

        prompts.saveNames.push_back(dir);
        w.on_pushButton_proc_pressed();
        QCOMPARE(log.lines.last(), QStringLiteral("Mx: error: cannot write file"));
        QCOMPARE(log.levels.last(), 0);
        QVERIFY(QFileInfo(dir).isDir());
        QCOMPARE(entries(dir), QStringList{"inside.txt"});
        QCOMPARE(testutil::readFile(dir + QStringLiteral("/inside.txt")), QByteArray("keep me"));
    }

    // Neither is a file: an endless device has no end to read up to (the size
    // limit ends it), and opening a pipe would wait for a writer for ever.
    void notAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("endless device") << "zero.srt" << QStringList{"Up: error: cannot read file"} << goodTexts;
        QTest::newRow("pipe nobody writes to")
            << "pipe.srt" << QStringList{"Up: 0 subs loaded from pipe.srt"} << QStringList();
    }
    void notAFile()
    {
        QFETCH(QString, kind);
        const QString name = path(kind);
        if (kind == QLatin1String("zero.srt")) {
            if (!QFileInfo::exists(QStringLiteral("/dev/zero")))
                QSKIP("no /dev/zero on this machine");
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), name));
        } else {
            QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0644), 0);
        }
        MainWindow w;
        loadGoodUpper(w);
        LogCapture log;
        prompts.openNames.push_back(name);
        w.on_pushButton_ldupr_clicked();
        QTEST(log.lines, "log");
        QTEST(texts(workspace().upper), "kept");
    }

    void removedBeforeReading_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("SubRip") << "gone.srt";
        QTest::newRow("MicroDVD") << "gone.sub";
    }
    void removedBeforeReading()
    {
        QFETCH(QString, name);
        MainWindow w;
        loadGoodUpper(w);
        VanishingPrompts vanishing;
        setPrompts(&vanishing);
        vanishing.openNames.push_back(write(name, "{25}{50}Never read\n"));
        vanishing.removeOnOpen = path(name);
        LogCapture log;
        w.on_pushButton_ldupr_clicked();
        QCOMPARE(log.lines, QStringList{"Up: error: cannot open file"});
        QCOMPARE(log.levels, QList<int>{0});
        QCOMPARE(vanishing.dialogsRun, 0);
        QCOMPARE(texts(workspace().upper), goodTexts);
        QCOMPARE(w.findChild<QListWidget *>(QStringLiteral("listWidget_upr"))->count(), 3);
    }

    // The folder chosen for the output is gone when the merge is written.
    void removedBeforeWriting()
    {
        MainWindow w;
        loadGoodUpper(w);
        const QString folder = path(QStringLiteral("leaving"));
        QVERIFY(QDir().mkpath(folder));
        VanishingPrompts vanishing;
        setPrompts(&vanishing);
        vanishing.saveNames.push_back(folder + QStringLiteral("/merged.srt"));
        vanishing.removeOnSave = folder;
        const QString saveDir = preferences().saveDir;
        LogCapture log;
        w.on_pushButton_proc_pressed();
        QCOMPARE(log.lines.last(), QStringLiteral("Mx: error: cannot write file"));
        QCOMPARE(log.levels.count(0), 1);
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(preferences().saveDir, saveDir);
    }

    void unusualPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::newRow("spaces") << "with some spaces" << "the input file.srt" << "the output file.srt";
        QTest::newRow("non-ASCII letters") << "Übersetzung/字幕" << "Ça été.srt" << "Ausgabe ßøñ 名前.sub";
        QTest::newRow("both, MicroDVD in")
            << "Řada 1 / Díl 2" << "Žluťoučký kůň.sub" << "výstup s mezerou.srt";
    }
    void unusualPath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, input);
        QFETCH(QString, output);
        const QString dir = path(folder);
        QVERIFY(QDir().mkpath(dir));
        const bool srtIn = input.endsWith(QLatin1String(".srt"));
        const QString in = testutil::writeFile(
            dir, input, srtIn ? goodSrt : QByteArray("{25}{50}First\n{75}{100}Second\n{125}{150}Third\n"));
        MainWindow w;
        prompts.openNames.push_back(in);
        prompts.dialogs.push_back(pal);
        LogCapture log;
        w.on_pushButton_ldupr_clicked();
        QCOMPARE(log.lines, QStringList{QStringLiteral("Up: 3 subs loaded from %1").arg(input)});
        QCOMPARE(texts(workspace().upper), goodTexts);
        QCOMPARE(preferences().loadDir, QFileInfo(in).absolutePath());

        prompts.saveNames.push_back(QDir(dir).filePath(output));
        prompts.dialogs.push_back(pal);
        w.on_pushButton_savup_pressed();
        QCOMPARE(log.lines.last(), QStringLiteral("Up: 3 subs saved to %1").arg(output));
        const QByteArray written = testutil::readFile(QDir(dir).filePath(output));
        QCOMPARE(written, output.endsWith(QLatin1String(".srt"))
                              ? goodSrt
                              : QByteArray("{25}{50}First\n{75}{100}Second\n{125}{150}Third\n"));

        const QString merged = QDir(dir).filePath(QStringLiteral("zusammen – merged.srt"));
        prompts.saveNames.push_back(merged);
        w.on_pushButton_proc_pressed();
        QCOMPARE(log.lines.last(),
                 QStringLiteral("Mx: %1 subs saved to zusammen – merged.srt").arg(workspace().merged.count));
        QVERIFY(QFileInfo(merged).size() > 0);
        QCOMPARE(preferences().saveDir, QFileInfo(merged).absolutePath());
    }

    void readOnlyTarget_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("immutable file") << "immutable file";
        QTest::newRow("immutable folder") << "immutable folder";
        QTest::newRow("parent is a file") << "parent is a file";
        QTest::newRow("inside /proc") << "proc";
        QTest::newRow("read-only filesystem") << "read-only mount";
        QTest::newRow("permission bits") << "permission bits";
    }
    void readOnlyTarget()
    {
        QFETCH(QString, kind);
        Undo undo;
        const QString dir = path(QStringLiteral("ro-") + QString(kind).replace(QLatin1Char(' '), QLatin1Char('-')));
        QVERIFY(QDir().mkpath(dir));
        const QByteArray known = "1\n00:00:00,000 --> 00:00:01,000\nAlready here\n\n";
        QString target = testutil::writeFile(dir, QStringLiteral("existing.srt"), known);
        QString watched = target; // the file that must come out of it unchanged

        if (kind == QLatin1String("immutable file") || kind == QLatin1String("immutable folder")) {
            const QString subject = kind.endsWith(QLatin1String("file")) ? target : dir;
            if (!setImmutable(subject, true))
                QSKIP(qPrintable(QStringLiteral("cannot set the immutable attribute here: %1").arg(errnoText())));
            undo.steps.push_back([subject]() { setImmutable(subject, false); });
        } else if (kind == QLatin1String("parent is a file")) {
            target += QStringLiteral("/out.srt");
        } else if (kind == QLatin1String("proc")) {
            if (!QFileInfo(QStringLiteral("/proc/self")).isDir())
                QSKIP("no /proc on this machine");
            target = QStringLiteral("/proc/self/twinscript-out.srt");
        } else if (kind == QLatin1String("read-only mount")) {
            QString why;
            if (!mountTiny(dir, "64k", undo, &why))
                QSKIP(qPrintable(why));
            target = testutil::writeFile(dir, QStringLiteral("existing.srt"), known);
            watched = target;
            if (::mount("twinscript-test", QFile::encodeName(dir).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                        "size=64k")
                != 0)
                QSKIP(qPrintable(QStringLiteral("cannot remount read-only: %1").arg(errnoText())));
        } else if (kind == QLatin1String("permission bits")) {
            if (::geteuid() == 0)
                QSKIP("running as root, which permission bits do not stop (the other rows cover root)");
            QFile::setPermissions(target, QFile::ReadOwner);
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
            undo.steps.push_back([dir]() {
                QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            });
        }
        const QStringList before = entries(dir);

        MainWindow w;
        loadGoodUpper(w);
        LogCapture log;
        prompts.saveNames.push_back(target);
        w.on_pushButton_savup_pressed();
        QCOMPARE(log.lines, QStringList{"Up: error: cannot write file"});
        QCOMPARE(log.levels, QList<int>{0});

        prompts.saveNames.push_back(target);
        w.on_pushButton_proc_pressed();
        QCOMPARE(log.lines.last(), QStringLiteral("Mx: error: cannot write file"));
        QCOMPARE(log.levels.last(), 0);

        QCOMPARE(testutil::readFile(watched), known);
        QCOMPARE(entries(dir), before);
    }

    void fullDisk_data()
    {
        QTest::addColumn<bool>("merge");
        // 3 subtitles stay in the write buffer and fail at the commit; the merge
        // of 2 x 1500 fails in the write itself.
        QTest::newRow("small save") << false;
        QTest::newRow("large merge") << true;
    }
    void fullDisk()
    {
        QFETCH(bool, merge);
        Undo undo;
        const QString disk = path(merge ? QStringLiteral("disk-merge") : QStringLiteral("disk-save"));
        QString why;
        if (!mountTiny(disk, "64k", undo, &why))
            QSKIP(qPrintable(why));
        const QByteArray known = "1\n00:00:00,000 --> 00:00:01,000\nAlready here\n\n";
        const QString target = testutil::writeFile(disk, QStringLiteral("existing.srt"), known);
        QCOMPARE(testutil::readFile(target), known);
        QVERIFY(fillUp(disk + QStringLiteral("/filler")) > 0);
        const QStringList before = entries(disk);

        MainWindow w;
        if (merge) {
            prompts.openNames.push_back(write(QStringLiteral("many-up.srt"), generatedSrt(1500, "Upper")));
            w.on_pushButton_ldupr_clicked();
            prompts.openNames.push_back(write(QStringLiteral("many-lw.srt"), generatedSrt(1500, "Lower")));
            w.on_pushButton_ldlwr_clicked();
            QCOMPARE(workspace().lower.count, 1500);
        } else {
            loadGoodUpper(w);
        }

        LogCapture log;
        prompts.saveNames.push_back(target);
        if (merge)
            w.on_pushButton_proc_pressed();
        else
            w.on_pushButton_savup_pressed();
        QCOMPARE(log.lines.last(), merge ? QStringLiteral("Mx: error: cannot write file")
                                         : QStringLiteral("Up: error: cannot write file"));
        QCOMPARE(log.levels.count(0), 1);
        QCOMPARE(testutil::readFile(target), known);
        // No half-written temporary file is left to fill the disk.
        QCOMPARE(entries(disk), before);

        // With room again the same save goes through.
        QVERIFY(QFile::remove(disk + QStringLiteral("/filler")));
        if (!merge) {
            prompts.saveNames.push_back(target);
            w.on_pushButton_savup_pressed();
            QCOMPARE(log.lines.last(), QStringLiteral("Up: 3 subs saved to existing.srt"));
            QCOMPARE(testutil::readFile(target), goodSrt);
        }
    }

    // A device or pipe chosen as the output is written in place and stays what
    // it is; a pipe nobody reads from is refused rather than waited on.
    void deviceTarget_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("merge");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("full device") << "full" << false << "Up: error: cannot write file";
        QTest::newRow("full device, merge") << "full" << true << "Mx: error: cannot write file";
        QTest::newRow("null device") << "null" << false << "Up: 3 subs saved to to-null.srt";
        QTest::newRow("pipe nobody reads from") << "pipe" << false << "Up: error: cannot write file";
    }
    void deviceTarget()
    {
        QFETCH(QString, device);
        QFETCH(bool, merge);
        QFETCH(QString, logLine);
        const bool pipe = device == QLatin1String("pipe");
        const unsigned number = device == QLatin1String("full") ? 7 : 3;
        QString target = path(QStringLiteral("to-%1%2.srt").arg(device, merge ? QStringLiteral("-merge") : QString()));
        const QByteArray name = QFile::encodeName(target);
        if (pipe) {
            QCOMPARE(::mkfifo(name.constData(), 0644), 0);
        } else if (::mknod(name.constData(), S_IFCHR | 0666, makedev(1, number)) != 0) {
            // A node of our own: were it replaced, the machine's device would be
            // safe. Without root nothing can replace the machine's device either.
            if (::geteuid() == 0)
                QSKIP(qPrintable(QStringLiteral("cannot create a device node here: %1").arg(errnoText())));
            target = QStringLiteral("/dev/") + device;
            logLine.replace(QLatin1String("to-null.srt"), QLatin1String("null"));
        }
        MainWindow w;
        loadGoodUpper(w);
        LogCapture log;
        prompts.saveNames.push_back(target);
        if (merge)
            w.on_pushButton_proc_pressed();
        else
            w.on_pushButton_savup_pressed();
        QCOMPARE(log.lines.last(), logLine);
        QCOMPARE(log.levels.count(0), logLine.contains(QLatin1String("error")) ? 1 : 0);
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
        if (pipe) {
            QVERIFY(S_ISFIFO(st.st_mode));
        } else {
            QVERIFY(S_ISCHR(st.st_mode));
            QCOMPARE(unsigned(minor(st.st_rdev)), number);
        }
    }
};

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
