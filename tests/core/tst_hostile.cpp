// Files that strangers wrote and places the user cannot write to: nothing may
// crash or hang, every case leaves its log line, and an existing file is never
// damaged by a save that fails.

#include "testutil.h"

#include "core/session.h"

#include <QRandomGenerator>
#include <QTextCodec>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <memory>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace testutil;

namespace {

const QByteArray goodSrt = "1\n00:00:01,000 --> 00:00:02,000\nFirst\n\n"
                           "2\n00:00:03,000 --> 00:00:04,000\nSecond\n\n"
                           "3\n00:00:05,000 --> 00:00:06,000\nThird\n\n";
const QByteArray goodSub = "{25}{50}First\n{75}{100}Second\n{125}{150}Third\n";
const QStringList goodTexts {"First", "Second", "Third"};
const QByteArray known = "1\n00:00:00,000 --> 00:00:01,000\nAlready here\n\n";
const QString utf8 = QStringLiteral("UTF-8");
constexpr int pal = 25000;

// A string literal with its NUL bytes, without the terminating one.
template<int N> QByteArray raw(const char (&s)[N])
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
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

// Fills a filesystem until a write fails; returns the bytes written.
qint64 fillUp(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    const QByteArray block(4096, 'f');
    qint64 total = 0;
    for (ssize_t n; (n = ::write(fd, block.constData(), size_t(block.size()))) > 0;)
        total += n;
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
        out << set.at(i).text;
    return out;
}

} // namespace

class TestHostile : public QObject, TempDir
{
    Q_OBJECT

private:
    CollectingLog logged;
    std::unique_ptr<Session> s;
    bool privateMounts = false;
    QString mountProblem;
    // Whatever a test changed outside its files, put back even when it fails.
    std::vector<std::function<void()>> undo;

    // The upper set holds the three good subtitles; the log starts empty.
    void loadGoodUpper()
    {
        QVERIFY(s->loadFile(s->upper, write("good.srt", goodSrt), utf8, pal, false));
        QCOMPARE(texts(s->upper), goodTexts);
        logged.clear();
    }

    // A tmpfs of 64 KiB at `dir`, only in this process's own mount table, so
    // it vanishes with the process even if a test crashes.
    bool mountTiny(const QString &dir, QString *why)
    {
        if (!privateMounts) {
            *why = mountProblem;
            return false;
        }
        QDir().mkpath(dir);
        const QByteArray where = QFile::encodeName(dir);
        if (::mount("twinscript-test", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                    "size=64k,mode=0755")
            != 0) {
            *why = QStringLiteral("cannot mount a tmpfs: %1").arg(errnoText());
            return false;
        }
        undo.push_back([where]() { ::umount2(where.constData(), MNT_DETACH); });
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        if (::unshare(CLONE_NEWNS) != 0)
            mountProblem = QStringLiteral("no private mount table (%1; needs CAP_SYS_ADMIN)").arg(errnoText());
        else if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            mountProblem = QStringLiteral("cannot make the mounts private: %1").arg(errnoText());
        else
            privateMounts = true;
    }

    void init()
    {
        logged.clear();
        s = std::make_unique<Session>(logged);
    }
    void cleanup()
    {
        for (; !undo.empty(); undo.pop_back())
            undo.back()();
    }

    // Each input gives its log lines and leaves the upper set either with the
    // new content or as it was (a file without subtitles too: one error line,
    // and the set keeps its subtitles and its file); whatever was read is
    // written back whole.
    void hostileInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("kept");

        row("0 bytes, SubRip", "empty.srt", QByteArray(), QStringList {"Up: error: no subtitles found in empty.srt"},
            goodTexts);
        row("0 bytes, MicroDVD", "empty.sub", QByteArray(), QStringList {"Up: error: no subtitles found in empty.sub"},
            goodTexts);
        // A reader that stopped at the first NUL would lose the rest of the file.
        row("NUL bytes, SubRip", "nul.srt",
            raw("1\n00:00:01,000 --> 00:00:02,000\nHel\0lo\n\n\0\0\0\n"
                "2\n00:00:03,000 --> 00:00:04,000\nSecond\0\n\n"
                "3\n00:00:05,000 --> 00:00:06,000\nThird\n"),
            QStringList {"Up: 3 subs loaded from nul.srt"},
            QStringList {QString::fromLatin1("Hel\0lo", 6), QString::fromLatin1("Second\0", 7), "Third"});
        row("NUL in a SubRip time line", "nultime.srt",
            raw("00:00:01,000 --> 00:00:02,000\nA\n\n00:00:0\0,000 --> 00:00:04,000\nB\n\n"
                "00:00:05,000 --> 00:00:06,000\nC\n"),
            QStringList {"Up: 2 subs loaded from nultime.srt"}, QStringList {"A", "C"});
        row("NUL bytes, MicroDVD", "nul.sub", raw("{25}{50}A\0B\n{2\0005}{60}x\n{75}{100}C\n"),
            QStringList {"Up: sub too short#2", "Up: 2 subs loaded from nul.sub", "Up: 1 subs skipped"},
            QStringList {QString::fromLatin1("A\0B", 3), "C"});
        row("spaces in the path", "with some spaces/the input file.srt", goodSrt,
            QStringList {"Up: 3 subs loaded from the input file.srt"}, goodTexts);
        row("non-ASCII letters in the path", "Übersetzung/字幕 Díl 2/Žluťoučký kůň.sub", goodSub,
            QStringList {"Up: 3 subs loaded from Žluťoučký kůň.sub"}, goodTexts);
        // 50 MB without a line end or a time: no subtitle file, and no line
        // for each of its 51200 pieces of 1024 characters.
        const QByteArray huge(50 * 1024 * 1024, 'x');
        row("50 MB in one line, SubRip", "huge.srt", huge, QStringList {"Up: error: no subtitles found in huge.srt"},
            goodTexts);
        row("50 MB in one line, MicroDVD", "huge.sub", huge, QStringList {"Up: error: no subtitles found in huge.sub"},
            goodTexts);
        // Behind subtitles the readers get it: pieces of 1024 characters.
        QStringList pieces;
        for (int k = 4; k < 4 + huge.size() / 1024; ++k)
            pieces << QStringLiteral("Up: sub too short#%1").arg(k);
        row("50 MB in one line behind subtitles, SubRip", "huge2.srt", goodSrt + huge,
            QStringList {"Up: 3 subs loaded from huge2.srt"}, goodTexts);
        row("50 MB in one line behind subtitles, MicroDVD", "huge2.sub", goodSub + huge,
            pieces + QStringList {"Up: 3 subs loaded from huge2.sub", "Up: 51200 subs skipped"}, goodTexts);
        // No file to read: an endless device (the size limit ends it), a pipe
        // (opening it must not wait for a writer for ever), a folder, and a
        // file removed after it was chosen.
        row("endless device", "zero.srt", QByteArray(), QStringList {"Up: error: cannot read file"}, goodTexts);
        row("pipe nobody writes to", "pipe.srt", QByteArray(),
            QStringList {"Up: error: no subtitles found in pipe.srt"}, goodTexts);
        row("folder", "folder.srt", QByteArray(), QStringList {"Up: error: cannot open file"}, goodTexts);
        row("removed after choosing", "gone.srt", goodSrt, QStringList {"Up: error: cannot open file"}, goodTexts);
    }
    void hostileInput()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, log);
        const QFileInfo file(path(name));
        QVERIFY(QDir().mkpath(file.absolutePath()));
        loadGoodUpper();
        if (name == QLatin1String("zero.srt")) {
            if (!QFileInfo::exists(QStringLiteral("/dev/zero")))
                QSKIP("no /dev/zero on this machine");
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file.filePath()));
        } else if (name == QLatin1String("pipe.srt")) {
            QCOMPARE(::mkfifo(QFile::encodeName(file.filePath()).constData(), 0644), 0);
        } else if (name == QLatin1String("folder.srt")) {
            QVERIFY(QDir().mkpath(file.filePath()));
        } else {
            write(name, bytes);
        }
        if (name.startsWith(QLatin1String("gone")))
            QVERIFY(QFile::remove(file.filePath()));

        // The window asks a MicroDVD file's frame rate only once it was read.
        QByteArray read;
        const bool readable = s->readFile(s->upper, file.filePath(), &read);
        if (readable)
            s->loadBytes(s->upper, read, file.filePath(), utf8, pal, false);
        QCOMPARE(logged.lines, log);
        QTEST(texts(s->upper), "kept");
        const bool failed = log.last().startsWith(QLatin1String("Up: error: "));
        QCOMPARE(logged.levels.count(LogError), failed ? 1 : 0);
        QCOMPARE(logged.levels.last(), failed ? int(LogError) : int(LogInfo));
        QCOMPARE(QFileInfo(s->upper.filePath).fileName(), failed ? QStringLiteral("good.srt") : file.fileName());

        const QString back = file.dir().filePath(QStringLiteral("Ausgabe ßøñ 名前.srt"));
        QVERIFY(s->saveFile(s->upper, back, utf8, pal));
        QCOMPARE(logged.lines.last(), QStringLiteral("Up: %1 subs saved to Ausgabe ßøñ 名前.srt").arg(s->upper.count));
        QVERIFY(s->loadFile(s->lower, back, utf8, pal, false));
        QCOMPARE(texts(s->lower), texts(s->upper));
    }

    // Random bytes, then a good subtitle (in the coding the mark announces)
    // that must still be found after them.
    void garbage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("mark");
        row("SubRip", "garbage.srt", QByteArray());
        row("MicroDVD", "garbage.sub", QByteArray());
        row("SubRip behind a UTF-8 mark", "garbage8.srt", QByteArray("\xEF\xBB\xBF"));
        row("SubRip behind a UTF-16LE mark", "garbage16.srt", QByteArray("\xFF\xFE"));
        row("MicroDVD behind a UTF-16BE mark", "garbage16.sub", QByteArray("\xFE\xFF"));
        row("MicroDVD behind a UTF-32LE mark", "garbage32.sub", QByteArray("\xFF\xFE\x00\x00", 4));
    }
    void garbage()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, mark);
        QRandomGenerator random(qHash(name));
        QByteArray bytes = mark;
        for (int i = 0; i < 256 * 1024; ++i)
            bytes += char(random.bounded(256));
        const QString good = name.endsWith(QLatin1String(".srt"))
            ? QStringLiteral("\n\n1\n99:00:00,000 --> 99:00:02,000\nStill here\n\n")
            : QStringLiteral("\n{8910000}{8910050}Still here\n");
        QTextCodec::ConverterState noMark(QTextCodec::IgnoreHeader);
        bytes += QTextCodec::codecForUtfText(mark, QTextCodec::codecForName("UTF-8"))
                     ->fromUnicode(good.constData(), good.size(), &noMark);

        QVERIFY(s->loadFile(s->upper, write(name, bytes), utf8, pal, false));
        const SubtitleSet &set = s->upper;
        QVERIFY(logged.lines.contains(QStringLiteral("Up: %1 subs loaded from %2").arg(set.count).arg(name)));
        QVERIFY(!logged.levels.contains(LogError));
        QVERIFY(set.count >= 1);
        QCOMPARE(set.at(set.count - 1).text, QStringLiteral("Still here"));
        QCOMPARE(set.at(set.count - 1).start, 356400000);
        // What the readers promise about every subtitle they keep.
        for (int i = 0; i < set.count; ++i) {
            const Subtitle &sub = set.at(i);
            QVERIFY2(!sub.text.isEmpty() && qint64(sub.start) <= qint64(sub.end) + 100
                         && (i == 0 || qint64(sub.start) >= qint64(set.at(i - 1).start) + 100),
                     qPrintable(QString::number(i)));
        }
    }

    // Where "Save as" and Process & Save cannot write, each logs its error at
    // level 0 and the existing file and its folder (no temporary file left)
    // stay as they were. On a full disk a small set stays in the write buffer
    // and fails at the commit, a large one in the write itself. A device or
    // pipe is written in place and stays what it is; a pipe nobody reads from
    // is refused rather than waited on.
    void saveTarget_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"immutable file", "immutable folder", "parent is a file", "missing folder",
                                 "directory", "read-only mount", "permission bits", "full disk", "full disk, large set",
                                 "full device", "null device", "pipe nobody reads from"})
            row(kind, kind);
    }
    void saveTarget()
    {
        QFETCH(QString, kind);
        const QString dir = path(QString(kind).remove(QLatin1Char(',')).replace(QLatin1Char(' '), QLatin1Char('-')));
        QVERIFY(QDir().mkpath(dir));
        const bool fullDisk = kind.startsWith(QLatin1String("full disk"));
        if (fullDisk || kind == QLatin1String("read-only mount")) {
            QString why;
            if (!mountTiny(dir, &why))
                QSKIP(qPrintable(why));
        }
        const QString existing = writeFile(dir, QStringLiteral("existing.srt"), known);
        QString target = existing;

        if (kind.startsWith(QLatin1String("immutable"))) {
            const QString subject = kind.endsWith(QLatin1String("file")) ? target : dir;
            if (!setImmutable(subject, true))
                QSKIP(qPrintable(QStringLiteral("cannot set the immutable attribute here: %1").arg(errnoText())));
            undo.push_back([subject]() { setImmutable(subject, false); });
        } else if (kind == QLatin1String("parent is a file")) {
            target += QStringLiteral("/out.srt");
        } else if (kind == QLatin1String("missing folder")) { // removed after it was chosen
            target = dir + QStringLiteral("/gone/out.srt");
        } else if (kind == QLatin1String("directory")) {
            target = dir;
        } else if (kind == QLatin1String("read-only mount")) {
            if (::mount("twinscript-test", QFile::encodeName(dir).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                        "size=64k")
                != 0)
                QSKIP(qPrintable(QStringLiteral("cannot remount read-only: %1").arg(errnoText())));
        } else if (kind == QLatin1String("permission bits")) {
            if (::geteuid() == 0)
                QSKIP("running as root, which permission bits do not stop (the other rows cover root)");
            QFile::setPermissions(target, QFile::ReadOwner);
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
            undo.push_back(
                [dir]() { QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        } else if (fullDisk) {
            QVERIFY(fillUp(dir + QStringLiteral("/filler")) > 0);
        } else if (kind.startsWith(QLatin1String("pipe"))) {
            target = dir + QStringLiteral("/to-pipe.srt");
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0644), 0);
        } else if (kind.endsWith(QLatin1String("device"))) {
            const unsigned number = kind.startsWith(QLatin1String("full")) ? 7 : 3;
            target = dir + QStringLiteral("/to-device.srt");
            if (::mknod(QFile::encodeName(target).constData(), S_IFCHR | 0666, makedev(1, number)) != 0) {
                // A node of our own keeps the machine's device safe if it were
                // replaced; without root nothing can replace the machine's device.
                if (::geteuid() == 0)
                    QSKIP(qPrintable(QStringLiteral("cannot create a device node here: %1").arg(errnoText())));
                target = number == 7 ? QStringLiteral("/dev/full") : QStringLiteral("/dev/null");
            }
        }
        const QStringList before = entries(dir);
        struct stat was = {}, now = {};
        const int existed = ::stat(QFile::encodeName(target).constData(), &was);

        loadGoodUpper();
        if (kind.endsWith(QLatin1String("large set"))) // more than the write buffer holds
            s->upper.at(0).text = QString(20000, QLatin1Char('x'));
        const bool writes = kind == QLatin1String("null device");
        const QString name = QFileInfo(target).fileName();
        QCOMPARE(s->saveFile(s->upper, target, utf8, pal), writes);
        QCOMPARE(logged.lines.last(),
                 writes ? "Up: 3 subs saved to " + name : QStringLiteral("Up: error: cannot write file"));
        s->process(formatOfFileName(target));
        QCOMPARE(s->saveFile(s->merged, target, utf8, pal), writes);
        // The header and one frame a subtitle (the lower set is empty).
        QCOMPARE(logged.lines.last(),
                 writes ? "Mx: 4 subs saved to " + name : QStringLiteral("Mx: error: cannot write file"));
        QCOMPARE(logged.levels.count(LogError), writes ? 0 : 2);

        QCOMPARE(readFile(existing), known);
        QCOMPARE(entries(dir), before);
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &now), existed);
        QCOMPARE(now.st_mode & S_IFMT, was.st_mode & S_IFMT);
        QCOMPARE(now.st_rdev, was.st_rdev);
        if (kind == QLatin1String("full disk")) { // with room again the same save goes through
            QVERIFY(QFile::remove(dir + QStringLiteral("/filler")));
            QVERIFY(s->saveFile(s->upper, target, utf8, pal));
            QCOMPARE(logged.lines.last(), QStringLiteral("Up: 3 subs saved to existing.srt"));
            QCOMPARE(readFile(target), goodSrt);
        }
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
