// Process & Save on two generated sets: the engine alone (merge, format,
// encode, no file) and the whole action through the window's button (with
// the file written), to SubRip and to MicroDVD, at three sizes to show linear
// growth; and .ass against the stacked SubRip at 20000 a set, taken in
// turns in the same run so that the ratio holds on a noisy machine.
//
// Each set has n subtitles timed as bench::pairSpan says: half of the pairs
// overlap only partly.
// Usage: bench_merge [runs]

#include "benchutil.h"

#include "core/codings.h"
#include "core/formats/advancedsubstation.h"
#include "core/logsink.h"
#include "core/session.h"
#include "gui/mainwindow.h"
#include "gui/prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

// Counts error lines; a full merged set once logged one per dropped frame.
class ErrorCount : public LogSink
{
public:
    int errors = 0;
    void write(int level, const QString &) override { errors += level == LogError; }
};

void fillSet(SubtitleSet &set, int n, bool lower)
{
    set.clear();
    for (int i = 0; i < n; ++i) {
        const bench::Span span = bench::pairSpan(i, lower);
        set.append(span.start, span.end,
                   QString::fromUtf8(lower ? bench::lowerLines[i % 6] : bench::upperLines[i % 6]));
    }
}

void fillBoth(Session &session, int n)
{
    fillSet(session.upper, n, false);
    fillSet(session.lower, n, true);
}

int runs = 7;
const int sizes[] = {5000, 10000, 20000};

struct Result
{
    double ms;
    int frames;
};

Result engineOnly(int n, bool srt)
{
    ErrorCount log;
    Session session(log);
    const SubtitleFormat format = srt ? SubtitleFormat::SubRip : SubtitleFormat::MicroDvd;
    const TextCodec utf8 = TextCodec::named(QStringLiteral("UTF-8"));
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        fillBoth(session, n);
        QElapsedTimer timer;
        timer.start();
        session.process(format);
        TextEncoder encoder(utf8);
        formatSubtitles(session.merged, format, 25000, [&encoder](const QString &piece) { encoder.add(piece); });
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return {bench::median(times), session.merged.count};
}

// Process & Save in the engine to .ass and to SubRip in turns, runs of each;
// the medians and the number of events and frames written.
void assAgainstSubRip(int n)
{
    ErrorCount log;
    Session session(log);
    const TextCodec utf8 = TextCodec::named(QStringLiteral("UTF-8"));
    std::vector<double> assTimes, srtTimes;
    int events = 0;
    int frames = 0;
    for (int r = 0; r < runs; ++r) {
        for (const bool ass : {true, false}) {
            fillBoth(session, n);
            QElapsedTimer timer;
            timer.start();
            TextEncoder encoder(utf8);
            const auto out = [&encoder](const QString &piece) { encoder.add(piece); };
            if (ass) {
                session.process(SubtitleFormat::Ass);
                events = formatAssPair(session.upper, session.lower, session.options, out).written;
                assTimes.push_back(timer.nsecsElapsed() / 1e6);
            } else {
                session.process(SubtitleFormat::SubRip);
                frames = formatSubtitles(session.merged, SubtitleFormat::SubRip, 25000, out).written;
                srtTimes.push_back(timer.nsecsElapsed() / 1e6);
            }
        }
    }
    const double assMs = bench::median(assTimes);
    const double srtMs = bench::median(srtTimes);
    std::printf("engine, 2 x %d: .ass %.1f ms (%d events), stacked SubRip %.1f ms (%d frames), ratio %.2f\n", n, assMs,
                events, srtMs, frames, assMs / srtMs);
}

Result throughWindow(MainWindow &window, ScriptedPrompts &prompts, const QString &dir, int n, bool srt)
{
    std::vector<double> times;
    const QString path = dir + (srt ? QStringLiteral("/bench.srt") : QStringLiteral("/bench.sub"));
    prompts.dialogs.clear();
    for (int r = 0; r < runs; ++r) {
        fillBoth(window.session(), n);
        prompts.saveNames = {path};
        // The MicroDVD prompt keeps its first entry when cancelled.
        QElapsedTimer timer;
        timer.start();
        window.processAndSave();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (QFileInfo(path).size() == 0)
        std::fprintf(stderr, "nothing written to %s\n", qPrintable(path));
    return {bench::median(times), window.session().merged.count};
}

void printRow(const char *how, const char *format, int n, const Result &r)
{
    std::printf("%-12s %-4s %6d %10.1f %8d\n", how, format, n, r.ms, r.frames);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1)
        runs = qMax(1, QString::fromLocal8Bit(argv[1]).toInt());

    std::printf("Process & Save, median of %d runs, times in ms\n", runs);
    std::printf("%-12s %-4s %6s %10s %8s\n", "path", "fmt", "subs", "median", "frames");
    for (const bool srt : {true, false})
        for (const int n : sizes)
            printRow("engine", srt ? "srt" : "sub", n, engineOnly(n, srt));
    assAgainstSubRip(20000);

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    {
        MainWindow window(nullptr);
        auto *coding = window.findChild<QComboBox *>(QStringLiteral("saveCodingBox"));
        coding->setCurrentIndex(coding->findText(QStringLiteral("UTF-8")));
        for (const bool srt : {true, false})
            for (const int n : sizes)
                printRow("window", srt ? "srt" : "sub", n, throughWindow(window, prompts, dir.path(), n, srt));
    }
    setPrompts(nullptr);
    return 0;
}
