// The time-line view rendered to an image: bars, link lines, highlight and
// marks where the times put them, in their colours; clicks, wheel zoom,
// dragging and following the lists.

#include "core/subtitleset.h"
#include "core/synclinks.h"
#include "gui/timelineview.h"

#include <QtTest>
#include <QtWidgets>

#include <limits>

namespace {

const QColor upperColor(0, 200, 0);
const QColor lowerColor(200, 0, 200);
constexpr qint32 int32Max = std::numeric_limits<qint32>::max();
constexpr qint32 int32Min = std::numeric_limits<qint32>::min();

using Spans = QVector<QPair<qint32, qint32>>;
using Times = QVector<qint64>;

// Two sets, their links and a view over them, 800 px wide.
struct Fixture
{
    SubtitleSet upper {QStringLiteral("Up: ")};
    SubtitleSet lower {QStringLiteral("Lo: ")};
    SyncLinks links;
    TimelineView view;

    Fixture(const Spans &upperSpans, const Spans &lowerSpans)
    {
        for (const auto &span : upperSpans)
            upper.append(span.first, span.second, QStringLiteral("up"));
        for (const auto &span : lowerSpans)
            lower.append(span.first, span.second, QStringLiteral("lo"));
        view.resize(800, 110);
        view.setColors(upperColor, lowerColor);
        view.setSources(&upper, &lower, &links);
    }

    QImage image() { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Where a time lies, from the visible range alone.
    int xOf(qint64 time) const
    {
        const double span = double(view.visibleEnd() - view.visibleStart());
        return int((double(time) - double(view.visibleStart())) * view.width() / span);
    }
};

// The rows of column x (and its neighbours within `slack`) that show `color`.
QVector<int> rowsWith(const QImage &image, int x, const QColor &color, int slack = 0)
{
    QVector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        for (int dx = -slack; dx <= slack; ++dx) {
            const int cx = x + dx;
            if (cx >= 0 && cx < image.width() && image.pixelColor(cx, y) == color) {
                rows.append(y);
                break;
            }
        }
    }
    return rows;
}

bool near(const QImage &image, QPoint point, const QColor &color)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p = point + QPoint(dx, dy);
            if (image.rect().contains(p) && image.pixelColor(p) == color)
                return true;
        }
    }
    return false;
}

void sendWheel(QWidget &widget, QPoint pos, int angle)
{
    QWheelEvent event(pos, widget.mapToGlobal(pos), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

// Three-second steps: subtitle i from 3i s to 3i + 2 s.
Spans regularSpans(int n)
{
    Spans spans;
    for (int i = 0; i < n; ++i)
        spans.append({i * 3000, i * 3000 + 2000});
    return spans;
}

} // namespace

class TestTimelineView : public QObject
{
    Q_OBJECT

private slots:
    // Each set's bars in its colour on its own row where the subtitles lie,
    // nothing between them; also at the ends of the 32-bit time range.
    void barsWhereTheSubtitlesAre_data()
    {
        QTest::addColumn<Spans>("spans");
        QTest::addColumn<qint64>("viewStart"); // the whole film when equal to viewEnd
        QTest::addColumn<qint64>("viewEnd");
        QTest::addColumn<Times>("covered");
        QTest::addColumn<Times>("empty");
        QTest::newRow("two subtitles") << Spans {{1000, 3000}, {5000, 7000}} << qint64(0) << qint64(10000)
                                       << Times {2000, 6000} << Times {4000, 8000};
        // Starts alone would put the first visible row after the long one.
        QTest::newRow("long subtitle from before the view")
            << Spans {{0, 100000}, {1000, 2000}, {3000, 4000}, {120000, 121000}} << qint64(50000) << qint64(60000)
            << Times {51000, 59000} << Times {};
        // Zoomed out, the short ones merge on each column; the long one still reaches its end.
        Spans merged;
        for (int i = 0; i < 1000; ++i)
            merged.append({i * 10, i == 3 ? 400000 : i * 10 + 5});
        merged.append({600000, 601000});
        QTest::newRow("long subtitle among merged ones")
            << merged << qint64(0) << qint64(0) << Times {5000, 200000, 390000, 600500} << Times {500000};
        // Two ms apart within one pixel column: the second one's start is drawn.
        QTest::newRow("subtitles 2 ms apart")
            << Spans {{1000, 3010}, {3012, 5000}} << qint64(0) << qint64(10000) << Times {2000, 4000} << Times {3011};
        QTest::newRow("negative times") << Spans {{-50000, -48000}} << qint64(-55000) << qint64(-45000)
                                        << Times {-49000} << Times {-52000, -46000};
        QTest::newRow("at the largest time") << Spans {{int32Max - 3000, int32Max}} << qint64(int32Max) - 10000
                                             << qint64(int32Max) << Times {int32Max - 1500} << Times {int32Max - 5000};
        QTest::newRow("at the smallest time")
            << Spans {{int32Min, int32Min + 3000}} << qint64(int32Min) - 2000 << qint64(int32Min) + 8000
            << Times {qint64(int32Min) + 1500} << Times {qint64(int32Min) + 5000};
        QTest::newRow("whole 32-bit range")
            << Spans {{int32Min, int32Min + 1000}, {int32Max - 1000, int32Max}} << qint64(0) << qint64(0)
            << Times {qint64(int32Min) + 500, int32Max - 500} << Times {0};
    }
    void barsWhereTheSubtitlesAre()
    {
        QFETCH(Spans, spans);
        QFETCH(qint64, viewStart);
        QFETCH(qint64, viewEnd);
        QFETCH(Times, covered);
        QFETCH(Times, empty);
        Fixture f(spans, spans);
        if (viewStart != viewEnd) {
            f.view.setVisibleRange(viewStart, viewEnd);
            QCOMPARE(f.view.visibleStart(), viewStart);
            QCOMPARE(f.view.visibleEnd(), viewEnd);
        }
        const QImage image = f.image();
        const int middle = image.height() / 2;
        for (qint64 time : covered) {
            const int x = f.xOf(time);
            const QVector<int> upperRows = rowsWith(image, x, upperColor, 1);
            const QVector<int> lowerRows = rowsWith(image, x, lowerColor, 1);
            QVERIFY2(!upperRows.isEmpty() && !lowerRows.isEmpty(), qPrintable(QString::number(time)));
            QVERIFY(upperRows.last() < middle);
            QVERIFY(lowerRows.first() > middle);
        }
        for (qint64 time : empty) {
            const int x = f.xOf(time);
            QVERIFY2(rowsWith(image, x, upperColor).isEmpty(), qPrintable(QString::number(time)));
            QVERIFY(rowsWith(image, x, lowerColor).isEmpty());
        }
    }

    // A link's line runs from the upper subtitle's start to the lower one's,
    // so it leans by their difference; the conflicting one is in the warning colour.
    void linkLinesJoinTheStarts()
    {
        Fixture f({{10000, 12000}, {20000, 22000}}, {{14000, 16000}, {21000, 23000}});
        f.links.add(0, 0);
        f.links.add(1, 1);
        f.view.refresh();
        f.view.setVisibleRange(0, 30000);
        // The lanes' edges, from the bars themselves.
        QImage image = f.image();
        const int upperBottom = rowsWith(image, f.xOf(11000), upperColor).last();
        const int lowerTop = rowsWith(image, f.xOf(15000), lowerColor).first();
        const auto midpoint = [&](qint64 upperStart, qint64 lowerStart) {
            return QPoint((f.xOf(upperStart) + f.xOf(lowerStart)) / 2, (upperBottom + lowerTop) / 2);
        };
        QVERIFY(near(image, midpoint(10000, 14000), TimelineView::linkColor()));
        QVERIFY(near(image, midpoint(20000, 21000), TimelineView::linkColor()));
        // Not a line straight down from either start.
        QVERIFY(!near(image, midpoint(10000, 10000), TimelineView::linkColor()));
        QVERIFY(!near(image, midpoint(14000, 14000), TimelineView::linkColor()));

        f.view.setConflictingLink(1);
        image = f.image();
        QVERIFY(near(image, midpoint(10000, 14000), TimelineView::linkColor()));
        QVERIFY(near(image, midpoint(20000, 21000), TimelineView::warningColor()));
        QVERIFY(!near(image, midpoint(10000, 14000), TimelineView::warningColor()));
    }

    // The current subtitle of each set in the highlight colour, the others in
    // their own; the rows a list shows marked on that set's row only.
    void currentRowsAndShownRowsMarked()
    {
        Fixture f(regularSpans(3), regularSpans(3));
        f.view.setVisibleRange(0, 9000);
        f.view.setCurrentRows(1, 0);
        QImage image = f.image();
        const int middle = image.height() / 2;
        const auto has = [&](qint64 time, const QColor &color, bool upperHalf) {
            const QVector<int> rows = rowsWith(image, f.xOf(time), color);
            return std::any_of(rows.begin(), rows.end(), [&](int y) { return (y < middle) == upperHalf; });
        };
        QVERIFY(has(4000, TimelineView::highlightColor(), true));
        QVERIFY(!has(4000, TimelineView::highlightColor(), false));
        QVERIFY(has(1000, TimelineView::highlightColor(), false));
        QVERIFY(has(1000, upperColor, true));
        QVERIFY(has(4000, lowerColor, false));

        f.view.setCurrentRows(-1, -1);
        f.view.setShownRows(true, 1, 2);
        image = f.image();
        QVERIFY(rowsWith(image, f.xOf(4000), TimelineView::highlightColor()).isEmpty());
        // The gap between rows 1 and 2 lies in the shown part; the one before row 1 not.
        QVERIFY(has(5500, TimelineView::shownRowsColor(), true));
        QVERIFY(!has(5500, TimelineView::shownRowsColor(), false));
        QVERIFY(!has(2500, TimelineView::shownRowsColor(), true));
    }

    void clickSelectsTheSubtitle_data()
    {
        QTest::addColumn<bool>("upperSet");
        QTest::addColumn<qint64>("time");
        QTest::addColumn<int>("row"); // -1: no signal
        QTest::newRow("upper first") << true << qint64(1000) << 0;
        QTest::newRow("upper third") << true << qint64(7500) << 2;
        QTest::newRow("lower second") << false << qint64(4200) << 1;
        QTest::newRow("between bars") << true << qint64(2500) << -1;
    }
    void clickSelectsTheSubtitle()
    {
        QFETCH(bool, upperSet);
        QFETCH(qint64, time);
        QFETCH(int, row);
        Fixture f(regularSpans(4), regularSpans(4));
        f.view.setVisibleRange(0, 12000);
        // The lane's middle, found where the first subtitle's bar is.
        const QVector<int> rows = rowsWith(f.image(), f.xOf(1000), upperSet ? upperColor : lowerColor);
        QVERIFY(!rows.isEmpty());
        QSignalSpy clicked(&f.view, &TimelineView::subtitleClicked);
        QTest::mouseClick(&f.view, Qt::LeftButton, {}, QPoint(f.xOf(time), rows[rows.size() / 2]));
        if (row < 0) {
            QCOMPARE(clicked.count(), 0);
        } else {
            QCOMPARE(clicked.count(), 1);
            QCOMPARE(clicked[0][0].toBool(), upperSet);
            QCOMPARE(clicked[0][1].toInt(), row);
        }
    }

    void wheelZoomsAroundThePointer_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("angle");
        QTest::newRow("in at the left") << 100 << 120;
        QTest::newRow("in three notches at the right") << 700 << 360;
        QTest::newRow("out in the middle") << 400 << -240;
    }
    void wheelZoomsAroundThePointer()
    {
        QFETCH(int, x);
        QFETCH(int, angle);
        Fixture f(regularSpans(100), regularSpans(100));
        f.view.setVisibleRange(100000, 160000);
        const auto timeAt = [&](int px) {
            return double(f.view.visibleStart())
                + px * double(f.view.visibleEnd() - f.view.visibleStart()) / f.view.width();
        };
        const double before = timeAt(x);
        const qint64 spanBefore = f.view.visibleEnd() - f.view.visibleStart();
        sendWheel(f.view, QPoint(x, 50), angle);
        const qint64 spanAfter = f.view.visibleEnd() - f.view.visibleStart();
        QVERIFY(angle > 0 ? spanAfter < spanBefore : spanAfter > spanBefore);
        QVERIFY2(std::abs(timeAt(x) - before) <= 2, qPrintable(QString::number(timeAt(x) - before)));
    }

    // Dragging moves the film with the pointer and selects nothing.
    void dragScrolls()
    {
        Fixture f(regularSpans(100), regularSpans(100));
        f.view.setVisibleRange(100000, 180000); // 100 ms a pixel
        QSignalSpy clicked(&f.view, &TimelineView::subtitleClicked);
        QTest::mousePress(&f.view, Qt::LeftButton, {}, QPoint(500, 40));
        QTest::mouseMove(&f.view, QPoint(350, 40));
        QTest::mouseRelease(&f.view, Qt::LeftButton, {}, QPoint(300, 40));
        QCOMPARE(f.view.visibleStart(), qint64(120000));
        QCOMPARE(f.view.visibleEnd(), qint64(200000));
        QCOMPARE(clicked.count(), 0);
    }

    // The view scrolls, at the same zoom, to show current rows outside it.
    void followsTheCurrentRows_data()
    {
        QTest::addColumn<qint64>("viewStart");
        QTest::addColumn<int>("upperRow");
        QTest::addColumn<int>("lowerRow");
        QTest::newRow("upper ahead") << qint64(0) << 50 << -1;
        QTest::newRow("lower behind") << qint64(250000) << -1 << 3;
        QTest::newRow("both ahead") << qint64(0) << 70 << 71;
        QTest::newRow("already visible") << qint64(10000) << 5 << 6;
    }
    void followsTheCurrentRows()
    {
        QFETCH(qint64, viewStart);
        QFETCH(int, upperRow);
        QFETCH(int, lowerRow);
        Fixture f(regularSpans(100), regularSpans(100));
        f.view.setVisibleRange(viewStart, viewStart + 20000);
        f.view.setCurrentRows(upperRow, lowerRow);
        QCOMPARE(f.view.visibleEnd() - f.view.visibleStart(), qint64(20000));
        for (const auto &[set, row] : {qMakePair(&f.upper, upperRow), qMakePair(&f.lower, lowerRow)}) {
            if (row < 0)
                continue;
            QVERIFY(f.view.visibleStart() <= set->at(row).start);
            QVERIFY(f.view.visibleEnd() >= set->at(row).end);
        }
        if (viewStart == 10000)
            QCOMPARE(f.view.visibleStart(), viewStart);
    }

    // No sources, or empty sets, paint the axis and no bar; rows and links
    // that do not exist are ignored.
    void emptyPaintsNoBars()
    {
        TimelineView bare;
        bare.resize(400, 100);
        bare.setCurrentRows(3, 4);
        bare.setConflictingLink(2);
        bare.setShownRows(true, 0, 10);
        QImage image = bare.grab().toImage();
        QVERIFY(rowsWith(image, 200, Qt::white).isEmpty());

        Fixture f({}, {});
        f.view.setCurrentRows(0, 0);
        f.view.setShownRows(false, 0, 5);
        f.view.setConflictingLink(0);
        image = f.image();
        for (int x = 0; x < image.width(); x += 20)
            QVERIFY(rowsWith(image, x, TimelineView::highlightColor()).isEmpty());
    }
};

QTEST_MAIN(TestTimelineView)
#include "tst_timelineview.moc"
