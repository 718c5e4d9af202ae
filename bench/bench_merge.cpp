// Process & Save on two generated sets: the engine alone (merge, format,
// encode) and the whole action through the window's slot (with the file
// written), to SubRip and to MicroDVD, at three sizes to show linear growth.
//
// Each set has n subtitles timed as bench::pairSpan says: half of the pairs
// overlap only partly.
// Usage: bench_merge [runs]

#include "benchutil.h"

#include "app/actionlog.h"
#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "subtitles/textfile.h"
#include "subtitles/writer.h"
#include "text/codecregistry.h"

#include "ui_mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextCodec>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void fillSet(SubtitleSet &set, int n, bool lower)
{
    set.reset();
    for (int i = 0; i < n; ++i) {
        Subtitle &s = set.records[size_t(i)];
        const bench::Span span = bench::pairSpan(i, lower);
        s.start = span.start;
        s.end = span.end;
        s.text = QString::fromUtf8(lower ? bench::lowerLines[i % 6] : bench::upperLines[i % 6]);
        s.angleTags = true;
        s.normalize();
    }
    set.count = n;
}

void fillBoth(int n)
{
    fillSet(workspace().upper, n, false);
    fillSet(workspace().lower, n, true);
}

int runs = 7;
const int sizes[] = {5000, 10000, 20000};

struct Result
{
    double ms;
    int frames;
    int dropped;
};

int dropped = 0;

Result engineOnly(int n, bool srt)
{
    MergeWorkspace &ws = workspace();
    QTextCodec *codec = QTextCodec::codecForName("UTF-8");
    std::vector<double> times;
    QByteArray bytes;
    for (int r = 0; r < runs; ++r) {
        fillBoth(n);
        ws.merged.file.setFileName(srt ? QStringLiteral("bench.srt") : QStringLiteral("bench.sub"));
        dropped = 0;
        QElapsedTimer timer;
        timer.start();
        ws.processMerge();
        int unrepresentable = 0;
        bytes = encodeText(formatSet(ws.merged, srt), codec, &unrepresentable);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return {bench::median(times), ws.merged.count, dropped};
}

Result throughSlot(MainWindow &window, ScriptedPrompts &prompts, const QString &dir, int n, bool srt)
{
    std::vector<double> times;
    const QString path = dir + (srt ? QStringLiteral("/bench.srt") : QStringLiteral("/bench.sub"));
    for (int r = 0; r < runs; ++r) {
        fillBoth(n);
        window.ui->listWidget_log->clear();
        prompts.saveNames = {path};
        dropped = 0;
        QElapsedTimer timer;
        timer.start();
        window.on_pushButton_proc_pressed();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (QFileInfo(path).size() == 0)
        std::fprintf(stderr, "nothing written to %s\n", qPrintable(path));
    return {bench::median(times), workspace().merged.count, dropped};
}

void printRow(const char *how, const char *format, int n, const Result &r)
{
    std::printf("%-12s %-4s %6d %10.1f %8d %8d\n", how, format, n, r.ms, r.frames, r.dropped);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    workspace();
    preferences().allCodecs = CodecRegistry::fixedCodingList();
    setSettingsStore(nullptr);
    QApplication app(argc, argv);
    if (argc > 1)
        runs = qMax(1, QString::fromLocal8Bit(argv[1]).toInt());
    // Counted, not printed: at 20000 the merged set overflows and every dropped frame is logged.
    actionLog().listener = [](int level, const QString &) {
        if (level == 0)
            ++dropped;
    };

    std::printf("Process & Save, median of %d runs, times in ms\n", runs);
    std::printf("%-12s %-4s %6s %10s %8s %8s\n", "path", "fmt", "subs", "median", "records", "dropped");
    for (const bool srt : {true, false})
        for (const int n : sizes)
            printRow("engine", srt ? "srt" : "sub", n, engineOnly(n, srt));

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    {
        MainWindow window;
        window.ui->comboBox_save->setCurrentIndex(window.ui->comboBox_save->findText(QStringLiteral("UTF-8")));
        for (const bool srt : {true, false})
            for (const int n : sizes)
                printRow("slot", srt ? "srt" : "sub", n, throughSlot(window, prompts, dir.path(), n, srt));
    }
    setPrompts(nullptr);
    actionLog().listener = nullptr;
    return 0;
}
