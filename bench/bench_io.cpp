// Loading and saving 20000 subtitles in the engine, and what the window adds
// to a load: showing the list, and repainting it while scrolling. Times per
// operation (median of several runs) and peak memory.
// Usage: bench_io [runs] [work dir]

#include "benchutil.h"

#include "core/logsink.h"
#include "core/session.h"
#include "gui/mainwindow.h"
#include "gui/prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include <sys/resource.h>

namespace {

QString timeText(qint64 ms)
{
    return QString::asprintf("%02lld:%02lld:%02lld,%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
}

// h:mm:ss.cc, as SubStation scripts write times.
QByteArray assTime(qint64 ms)
{
    return QString::asprintf("%lld:%02lld:%02lld.%02lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000 / 10)
        .toLatin1();
}

// 20000 subtitles of one or two lines of ordinary length, some with tags; the
// same as a SubStation script and as WebVTT too.
void generate(const QString &srtPath, const QString &subPath, const QString &assPath, const QString &vttPath, int n)
{
    QByteArray srt, sub, vtt = "WEBVTT\n\n";
    QByteArray ass
        = "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\n"
          "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, "
          "Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, "
          "Alignment, MarginL, MarginR, MarginV, Encoding\n"
          "Style: Default,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,2,2,2,"
          "10,10,10,1\n\n[Events]\n"
          "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";
    const char *words[] = {"where", "are",  "you",   "going", "tonight", "I",  "told", "him", "about",
                           "the",   "ship", "never", "again", "listen",  "to", "me",   "now"};
    qint64 t = 1000;
    for (int i = 0; i < n; ++i) {
        QByteArray line1, line2;
        for (int w = 0; w < 5 + i % 4; ++w)
            line1 += QByteArray(words[(i + w * 3) % 17]) + ' ';
        for (int w = 0; w < 3 + i % 5; ++w)
            line2 += QByteArray(words[(i * 7 + w) % 17]) + ' ';
        line1 = line1.trimmed();
        line2 = line2.trimmed();
        if (i % 10 == 0)
            line1 = "<i>" + line1 + "</i>";
        const qint64 start = t;
        const qint64 end = t + 1500 + (i % 7) * 300;
        t = end + 200 + (i % 3) * 150;
        srt += QByteArray::number(i + 1) + '\n' + timeText(start).toLatin1() + " --> " + timeText(end).toLatin1() + '\n'
            + line1 + '\n';
        if (i % 2 == 0)
            srt += line2 + '\n';
        srt += '\n';
        vtt += QByteArray::number(i + 1) + '\n' + timeText(start).replace(',', '.').toLatin1() + " --> "
            + timeText(end).replace(',', '.').toLatin1() + '\n' + line1 + '\n'
            + (i % 2 == 0 ? line2 + '\n' : QByteArray()) + '\n';
        ass += "Dialogue: 0," + assTime(start) + ',' + assTime(end) + ",Default,,0,0,0,,"
            + QByteArray(line1).replace("<i>", "{\\i1}").replace("</i>", "{\\i0}")
            + (i % 2 == 0 ? "\\N" + line2 : QByteArray()) + '\n';
        // 25 fps: 40 ms a frame
        sub += '{' + QByteArray::number(start / 40) + "}{" + QByteArray::number(end / 40) + '}'
            + line1.replace("<i>", "{y:i}").replace("</i>", "") + (i % 2 == 0 ? "|" + line2 : QByteArray()) + '\n';
    }
    QFile a(srtPath), b(subPath), c(assPath), d(vttPath);
    if (a.open(QIODevice::WriteOnly))
        a.write(srt);
    if (b.open(QIODevice::WriteOnly))
        b.write(sub);
    if (c.open(QIODevice::WriteOnly))
        c.write(ass);
    if (d.open(QIODevice::WriteOnly))
        d.write(vtt);
}

class NoLog : public LogSink
{
public:
    void write(int, const QString &) override { }
};

// Answers the window's file dialog with one file and its frame-rate prompt with 25 fps.
class LoadPrompts : public Prompts
{
public:
    QString path;
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return path; }
    int run(QDialog &dialog) override
    {
        if (auto *box = dialog.findChild<QComboBox *>(QStringLiteral("frameRateBox")))
            box->setCurrentIndex(2);
        return QDialog::Accepted;
    }
};

double measure(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return bench::median(times);
}

// The median time of `work` and the median of its ratios to `base`, the two
// run in turn, so that a machine whose load changes meanwhile weighs on both.
std::pair<double, double> measureAgainst(int runs, const std::function<void()> &base, const std::function<void()> &work)
{
    std::vector<double> times, ratios;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        base();
        const double baseMs = timer.nsecsElapsed() / 1e6;
        timer.restart();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
        ratios.push_back(times.back() / baseMs);
    }
    return {bench::median(times), bench::median(ratios)};
}

long peakKb()
{
    struct rusage u
    {
    };
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 9;
    QTemporaryDir tmp;
    const QString dir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.path();
    QDir().mkpath(dir);
    const int n = 20000;
    const QString srtPath = QDir(dir).filePath(QStringLiteral("bench.srt"));
    const QString subPath = QDir(dir).filePath(QStringLiteral("bench.sub"));
    const QString assPath = QDir(dir).filePath(QStringLiteral("bench.ass"));
    const QString vttPath = QDir(dir).filePath(QStringLiteral("bench.vtt"));
    generate(srtPath, subPath, assPath, vttPath, n);
    const long startKb = peakKb();

    NoLog log;
    Session session(log);
    SubtitleSet &set = session.upper;
    std::printf("%d subtitles, median of %d runs\n", n, runs);
    auto load = [&](const QString &path) {
        session.loadFile(set, path, QStringLiteral("UTF-8"), 25000, false);
        if (set.count != n)
            std::printf("  unexpected count %d\n", set.count);
    };
    const double loadSrt = measure(runs, [&] { load(srtPath); });
    std::printf("load SubRip                   %8.1f ms\n", loadSrt);
    std::printf("load MicroDVD                 %8.1f ms\n", measure(runs, [&] { load(subPath); }));
    // The same text in the formats told by their content, against SubRip.
    const auto [loadAss, assRatio] = measureAgainst(
        runs, [&] { load(srtPath); }, [&] { load(assPath); });
    std::printf("load Advanced SubStation      %8.1f ms (%.2f x SubRip)\n", loadAss, assRatio);
    const auto [loadVtt, vttRatio] = measureAgainst(
        runs, [&] { load(srtPath); }, [&] { load(vttPath); });
    std::printf("load WebVTT                   %8.1f ms (%.2f x SubRip)\n", loadVtt, vttRatio);

    // The same file as a machine translation leaves it: every time line needs
    // a repair (broken arrow, two-digit fractions), and no blank lines.
    const QString repairPath = QDir(dir).filePath(QStringLiteral("repairs.srt"));
    {
        QFile clean(srtPath);
        QFile broken(repairPath);
        if (clean.open(QIODevice::ReadOnly) && broken.open(QIODevice::WriteOnly)) {
            QByteArray bytes = clean.readAll();
            bytes.replace(" --> ", " - > ");
            bytes.replace("\n\n", "\n");
            broken.write(bytes);
        }
    }
    const double loadRepairs = measure(runs, [&] { load(repairPath); });
    std::printf("load SubRip, every line repaired %5.1f ms (%.2f x the clean file)\n", loadRepairs,
                loadRepairs / loadSrt);

    load(srtPath);
    const QString outSrt = QDir(dir).filePath(QStringLiteral("out.srt"));
    const QString outSub = QDir(dir).filePath(QStringLiteral("out.sub"));
    std::printf("save SubRip                   %8.1f ms\n",
                measure(runs, [&] { session.saveFile(set, outSrt, QStringLiteral("UTF-8"), 25000); }));
    std::printf("save MicroDVD                 %8.1f ms\n",
                measure(runs, [&] { session.saveFile(set, outSub, QStringLiteral("UTF-8"), 25000); }));

    // The window: the same load through its button, the list shown and painted.
    LoadPrompts prompts;
    setPrompts(&prompts);
    MainWindow window(nullptr);
    window.resize(800, 550);
    window.show();
    QApplication::processEvents();
    QListView *list = window.findChild<QListView *>(QStringLiteral("upperList"));
    auto loadInWindow = [&](const QString &path) {
        prompts.path = path;
        window.loadUpper();
        list->viewport()->grab();
    };
    const double windowSrt = measure(runs, [&] { loadInWindow(srtPath); });
    std::printf("load SubRip in the window     %8.1f ms (list shown and painted: %.1f ms more than the engine)\n",
                windowSrt, windowSrt - loadSrt);
    QScrollBar *bar = list->verticalScrollBar();
    std::vector<double> steps;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        bar->setValue(bar->value() + (i % 2 ? bar->pageStep() : 97 * bar->singleStep()));
        list->viewport()->grab();
        steps.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("scroll and repaint the list   %8.2f ms a step (median of 200, at most %.2f ms)\n",
                bench::median(steps), *std::max_element(steps.begin(), steps.end()));
    setPrompts(nullptr);

    std::printf("peak memory                   %8.1f MB (%.1f MB before the runs)\n", peakKb() / 1024.0,
                startKb / 1024.0);
    return 0;
}
