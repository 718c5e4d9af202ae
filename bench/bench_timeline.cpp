// Painting the time-line view: two generated sets of 20000 subtitles each
// (timed as bench::pairSpan says, 16.7 hours of film) and their links,
// rendered into a 1200 x 110 image at zooms from the whole film to one
// second, at positions spread over the film. A paint must stay under 16 ms.
//
// Usage: bench_timeline [runs]   (QT_QPA_PLATFORM=offscreen without a display)

#include "benchutil.h"

#include "core/subtitleset.h"
#include "core/synclinks.h"
#include "gui/timelineview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <cstdio>
#include <vector>

namespace {

constexpr int subtitles = 20000;

void fillSet(SubtitleSet &set, bool lower)
{
    set.clear();
    for (int i = 0; i < subtitles; ++i) {
        const bench::Span span = bench::pairSpan(i, lower);
        set.append(span.start, span.end,
                   QString::fromUtf8(lower ? bench::lowerLines[i % 6] : bench::upperLines[i % 6]));
    }
}

// The median time of one paint over `runs` rounds, each round painting the
// view at `positions` starts spread evenly over the film.
double paintMs(TimelineView &view, QImage &image, qint64 span, qint64 filmEnd, int runs)
{
    const int positions = 9;
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        for (int p = 0; p < positions; ++p) {
            const qint64 start = span >= filmEnd ? 0 : (filmEnd - span) * p / (positions - 1);
            view.setVisibleRange(start, start + span);
            QElapsedTimer timer;
            timer.start();
            view.render(&image);
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    return bench::median(times);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;

    SubtitleSet upper(QStringLiteral("Up: "));
    SubtitleSet lower(QStringLiteral("Lo: "));
    fillSet(upper, false);
    fillSet(lower, true);
    const qint64 filmEnd = lower.at(subtitles - 1).end;

    TimelineView view;
    view.resize(1200, 110);
    view.setColors(Qt::white, QColor(255, 255, 128));
    QImage image(view.size(), QImage::Format_RGB32);

    const struct
    {
        const char *name;
        qint64 span;
    } zooms[] = {{"whole film", filmEnd}, {"10 min", 600000}, {"1 min", 60000}, {"5 s", 5000}, {"1 s", 1000}};
    const int linkSteps[] = {1, 100, 0}; // a link on every pair, on every 100th, none

    std::printf("time-line paint, 2 x %d subtitles, %dx%d, median of %d rounds x 9 positions (ms per paint)\n",
                subtitles, image.width(), image.height(), runs);
    for (int step : linkSteps) {
        SyncLinks links;
        for (int i = 0; step > 0 && i < subtitles; i += step)
            links.add(i, i);
        view.setSources(&upper, &lower, &links);
        view.setCurrentRows(subtitles / 2, subtitles / 2 + 1);
        view.setShownRows(true, subtitles / 2 - 3, subtitles / 2 + 3);
        view.setShownRows(false, subtitles / 2 - 3, subtitles / 2 + 3);
        view.setConflictingLink(links.count() / 2);
        std::printf("%5d links:", links.count());
        for (const auto &zoom : zooms)
            std::printf("  %s %.3f", zoom.name, paintMs(view, image, zoom.span, filmEnd, runs));
        std::printf("\n");
    }
    return 0;
}
