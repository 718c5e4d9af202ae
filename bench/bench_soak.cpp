// Soak: the whole work flow many times over in one process, through the
// window's slots as a user would drive it: load two 20000-subtitle SubRip
// files, link five pairs, synchronize the lower set, Process & Save to SubRip.
// Peak memory after the first and after the last round must agree (no growth
// from round to round) and every round must write the same file.
//
// The lower file is the same film in another language, 2.5 s late and running
// 0.1 % slow, so the synchronization has real work to do.
// Usage: bench_soak [rounds [copy-of-the-output]]   (200 rounds by default)

#include "benchutil.h"

#include "core/formats.h"
#include "gui/mainwindow.h"
#include "gui/prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QPushButton *button(const QWidget &window, const char *name)
{
    return window.findChild<QPushButton *>(QLatin1String(name));
}

constexpr int subtitleCount = 20000;
const int linkRows[] = {0, 5000, 10000, 15000, 19999};

QByteArray generate(bool lower)
{
    QString out;
    out.reserve(subtitleCount * 80);
    for (int i = 0; i < subtitleCount; ++i) {
        Subtitle s;
        const qint64 base = 1000 + qint64(i) * 3000;
        s.start = int(lower ? 2500 + base * 1001 / 1000 : base);
        s.end = s.start + (lower ? 1800 : 2000);
        QString text = QString::fromUtf8(lower ? bench::lowerLines[i % 6] : bench::upperLines[i % 6]);
        text.replace(QLatin1Char('|'), QLatin1Char('\n'));
        out += QString::number(i + 1) + QLatin1Char('\n') + formatTimeLine(s.start, s.end) + QLatin1Char('\n') + text
            + QLatin1String("\n\n");
    }
    return out.toUtf8();
}

// Peak and current resident memory in kB, from the kernel's own account.
struct Memory
{
    long peak = -1;
    long resident = -1;
};

Memory memory()
{
    Memory m;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return m;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            m.peak = line.mid(6).trimmed().split(' ').value(0).toLong();
        else if (line.startsWith("VmRSS:"))
            m.resident = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return m;
}

// The lines one round added to the window's log.
QStringList lines;

void useUtf8(QComboBox *box)
{
    box->setCurrentIndex(box->findText(QStringLiteral("UTF-8")));
}

bool expectLine(const QString &line)
{
    if (lines.contains(line))
        return true;
    std::fprintf(stderr, "missing log line \"%s\"; the round logged:\n%s\n", qPrintable(line),
                 qPrintable(lines.join(QLatin1Char('\n'))));
    return false;
}

QStringList logLinesFrom(const QAbstractItemModel &log, int first)
{
    QStringList out;
    for (int i = first; i < log.rowCount(); ++i)
        out << log.index(i, 0).data().toString();
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rounds = 200;
    if (argc > 1)
        rounds = qMax(1, QString::fromLocal8Bit(argv[1]).toInt());

    QTemporaryDir dir;
    const QString upperPath = dir.filePath(QStringLiteral("upper.srt"));
    const QString lowerPath = dir.filePath(QStringLiteral("lower.srt"));
    const QString outPath = dir.filePath(QStringLiteral("soak.srt"));
    for (const bool lower : {false, true}) {
        QFile f(lower ? lowerPath : upperPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(generate(lower)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
            return 1;
        }
    }

    ScriptedPrompts prompts;
    setPrompts(&prompts);
    MainWindow window(nullptr);
    const Session &session = window.session();
    const QAbstractItemModel &log = *window.findChild<QListView *>(QStringLiteral("logList"))->model();
    useUtf8(window.findChild<QComboBox *>(QStringLiteral("upperCodingBox")));
    useUtf8(window.findChild<QComboBox *>(QStringLiteral("lowerCodingBox")));
    useUtf8(window.findChild<QComboBox *>(QStringLiteral("saveCodingBox")));

    std::vector<double> total, load, sync, process;
    // The allocator settles in the first rounds (it raises its threshold for
    // mapping large blocks once they are freed); a leak grows after that.
    const int settledRound = qMin(rounds, 10);
    Memory afterFirst;
    Memory settled;
    QByteArray firstOutput;
    int mergedCount = 0;
    for (int round = 1; round <= rounds; ++round) {
        const int firstLine = log.rowCount();
        QElapsedTimer timer;
        timer.start();

        prompts.openNames = {upperPath};
        button(window, "loadUpperButton")->click();
        prompts.openNames = {lowerPath};
        button(window, "loadLowerButton")->click();
        // The same files again are no fresh load: the last round's links stay.
        button(window, "clearLinksButton")->click();
        const qint64 loaded = timer.nsecsElapsed();

        for (const int row : linkRows) {
            window.selectRow(session.upper, row);
            window.selectRow(session.lower, row);
            if (!button(window, "addLinkButton")->isEnabled()) {
                std::fprintf(stderr, "round %d: \"Add Link\" refused rows %d/%d\n", round, row + 1, row + 1);
                return 1;
            }
            button(window, "addLinkButton")->click();
        }
        button(window, "syncLowerButton")->click();
        const qint64 synced = timer.nsecsElapsed();

        prompts.saveNames = {outPath};
        button(window, "processButton")->click();
        const qint64 done = timer.nsecsElapsed();

        load.push_back(loaded / 1e6);
        sync.push_back((synced - loaded) / 1e6);
        process.push_back((done - synced) / 1e6);
        total.push_back(done / 1e6);

        lines = logLinesFrom(log, firstLine);
        const int errors = int(std::count_if(
            lines.cbegin(), lines.cend(), [](const QString &line) { return line.contains(QLatin1String("error")); }));
        const bool logged = expectLine(QStringLiteral("Up: 20000 subs loaded from upper.srt"))
            && expectLine(QStringLiteral("Lw: 20000 subs loaded from lower.srt"))
            && expectLine(QStringLiteral("Lw: synced to Up: 5 points"))
            && expectLine(QStringLiteral("Mx: %1 subs saved to soak.srt").arg(session.merged.count));
        if (!logged || errors > 0 || session.links.count() != 5) {
            std::fprintf(stderr, "round %d failed: %d error lines, %d links\n", round, errors, session.links.count());
            return 1;
        }
        QFile out(outPath);
        const QByteArray written = out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
        const QByteArray digest = QCryptographicHash::hash(written, QCryptographicHash::Sha256);
        if (!written.startsWith("1\n")) {
            std::fprintf(stderr, "round %d: no SubRip file written\n", round);
            return 1;
        }
        if (round == 1) {
            afterFirst = memory();
            firstOutput = digest;
            mergedCount = session.merged.count;
        } else if (digest != firstOutput || session.merged.count != mergedCount) {
            std::fprintf(stderr, "round %d wrote a different file than round 1\n", round);
            return 1;
        }
        if (round == settledRound)
            settled = memory();
        if (round % 20 == 0 || round == rounds) {
            const Memory m = memory();
            std::printf("round %4d  %8.1f ms  VmHWM %7ld kB  VmRSS %7ld kB\n", round, total.back(), m.peak, m.resident);
            std::fflush(stdout);
        }
    }
    const Memory afterLast = memory();
    const double growth = settled.peak > 0 ? 100.0 * (afterLast.peak - settled.peak) / settled.peak : 0;

    std::printf("\n%d rounds of load 2 x %d, 5 links, synchronize lower, Process & Save (SubRip, UTF-8)\n", rounds,
                subtitleCount);
    std::printf("merged set: %d frames, every one written\n", mergedCount);
    std::printf("peak memory (VmHWM): %ld kB after round 1, %ld kB after round %d, %ld kB after round %d (%+.2f %%)\n",
                afterFirst.peak, settled.peak, settledRound, afterLast.peak, rounds, growth);
    std::printf("time per round: median %.1f ms, max %.1f ms\n", bench::median(total),
                *std::max_element(total.begin(), total.end()));
    std::printf("  load both %.1f ms, links and synchronize %.1f ms, Process & Save %.1f ms (medians)\n",
                bench::median(load), bench::median(sync), bench::median(process));
    std::fflush(stdout); // a leak report at exit ends the process without flushing

    if (argc > 2) {
        QFile::remove(QString::fromLocal8Bit(argv[2]));
        QFile::copy(outPath, QString::fromLocal8Bit(argv[2]));
    }
    setPrompts(nullptr);
    // More than a few percent of growth is a leak.
    return growth > 3.0 ? 2 : 0;
}
