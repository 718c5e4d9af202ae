#include "gui/timelineview.h"

#include "core/subtitleset.h"
#include "core/synclinks.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QVector>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

constexpr double minimumSpan = 1000;
// An empty view still shows a minute, and the whole film never fills less.
constexpr double minimumFilm = 60000;
// Each wheel notch (120 eighths of a degree) zooms by this factor.
constexpr double zoomPerNotch = 0.8;
// How far from a bar a click still selects it.
constexpr double clickTolerancePx = 3;

constexpr QRgb laneColor = qRgb(40, 45, 52);
constexpr QRgb gridColor = qRgb(52, 57, 65);
constexpr QRgb axisTextColor = qRgb(170, 178, 188);
// Bars at least this many pixels wide are told apart by a line at their start.
constexpr int minWideBar = 4;
// At most this many rows hidden in one span are looked at for their starts.
constexpr int maxBoundariesPerSpan = 8;

// The first index in [first, last) for which `isAfter` holds, when it holds
// for a tail of the range.
template<typename Predicate> int partitionPoint(int first, int last, Predicate isAfter)
{
    while (first < last) {
        const int middle = first + (last - first) / 2;
        if (isAfter(middle))
            last = middle;
        else
            first = middle + 1;
    }
    return first;
}

// Pixel positions far outside the widget are cut down before they become
// ints: a one-second view of a film's last hour puts its start billions of
// pixels away.
int clampedPixel(double x, int width)
{
    return int(qBound(-8.0, x, double(width) + 8.0));
}

// "1:02:03", with tenths or milliseconds when the ticks are that close.
QString timeLabel(qint64 ms, qint64 step)
{
    const bool negative = ms < 0;
    const qint64 a = negative ? -ms : ms;
    QString text
        = QString::asprintf("%s%lld:%02lld:%02lld", negative ? "-" : "", a / 3600000, a / 60000 % 60, a / 1000 % 60);
    if (step % 1000 != 0)
        text += step % 100 == 0 ? QString::asprintf(".%lld", a % 1000 / 100) : QString::asprintf(".%03lld", a % 1000);
    return text;
}

} // namespace

int TimelineView::SetIndex::count() const
{
    return set ? set->count : 0;
}

void TimelineView::SetIndex::rebuild()
{
    const int n = count();
    maxEndUpTo.resize(size_t(n));
    qint32 maxEnd = std::numeric_limits<qint32>::min();
    for (int i = 0; i < n; ++i) {
        maxEnd = std::max({maxEnd, set->at(i).start, set->at(i).end});
        maxEndUpTo[size_t(i)] = maxEnd;
    }
}

int TimelineView::SetIndex::firstRowEndingAfter(double time) const
{
    const int n = std::min(count(), int(maxEndUpTo.size()));
    return partitionPoint(0, n, [&](int i) { return maxEndUpTo[size_t(i)] >= time; });
}

int TimelineView::SetIndex::firstRowStartingAfter(double time) const
{
    return partitionPoint(0, count(), [&](int i) { return set->at(i).start > time; });
}

TimelineView::TimelineView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QSize TimelineView::sizeHint() const
{
    return QSize(600, 110);
}

QSize TimelineView::minimumSizeHint() const
{
    return QSize(120, 90);
}

void TimelineView::setSources(const SubtitleSet *upper, const SubtitleSet *lower, const SyncLinks *links)
{
    m_upper.set = upper;
    m_lower.set = lower;
    m_links = links;
    refresh();
}

void TimelineView::refresh()
{
    m_upper.rebuild();
    m_lower.rebuild();
    updateFilmExtent();
    if (m_showWholeFilm)
        fitWholeFilm();
    else
        setView(m_viewStart, m_viewSpan);
    update();
}

void TimelineView::setCurrentRows(int upperRow, int lowerRow)
{
    m_upper.currentRow = upperRow;
    m_lower.currentRow = lowerRow;
    scrollToShow(upperRow, lowerRow);
    update();
}

void TimelineView::setShownRows(bool upperSet, int firstRow, int lastRow)
{
    SetIndex &index = upperSet ? m_upper : m_lower;
    index.shownFirst = firstRow;
    index.shownLast = lastRow;
    update();
}

void TimelineView::setConflictingLink(int link)
{
    m_conflictingLink = link;
    update();
}

void TimelineView::setTitles(const QString &upper, const QString &lower)
{
    m_upper.title = upper;
    m_lower.title = lower;
    update();
}

void TimelineView::setColors(const QColor &upper, const QColor &lower)
{
    m_upper.color = upper;
    m_lower.color = lower;
    update();
}

qint64 TimelineView::visibleStart() const
{
    return qRound64(m_viewStart);
}

qint64 TimelineView::visibleEnd() const
{
    return qRound64(m_viewStart + m_viewSpan);
}

void TimelineView::setVisibleRange(qint64 startMs, qint64 endMs)
{
    m_showWholeFilm = false;
    setView(double(startMs), double(endMs) - double(startMs));
}

void TimelineView::updateFilmExtent()
{
    qint64 first = 0;
    qint64 last = 0;
    for (const SetIndex *index : {&m_upper, &m_lower}) {
        if (index->count() > 0) {
            first = std::min<qint64>(first, index->set->at(0).start);
            last = std::max<qint64>(last, index->maxEndUpTo.back());
        }
    }
    m_filmStart = first;
    m_filmEnd = std::max<qint64>(last, first + qint64(minimumFilm));
}

void TimelineView::fitWholeFilm()
{
    const double length = double(m_filmEnd - m_filmStart);
    setView(double(m_filmStart) - length * 0.02, length * 1.04);
}

void TimelineView::setView(double start, double span)
{
    const double maxSpan = double(m_filmEnd - m_filmStart) * 1.2;
    if (!(span >= minimumSpan)) // also NaN
        span = minimumSpan;
    span = std::min(span, maxSpan);
    // The middle of the view stays on the film, so it cannot be dragged away into nothing.
    const double middle = qBound(double(m_filmStart), start + span / 2, double(m_filmEnd));
    m_viewStart = middle - span / 2;
    m_viewSpan = span;
    update();
}

void TimelineView::scrollToShow(int upperRow, int lowerRow)
{
    double wantedStart = std::numeric_limits<double>::max();
    double wantedEnd = std::numeric_limits<double>::lowest();
    double firstStart = 0; // where the first given row starts, shown when both do not fit
    bool any = false;
    const std::pair<const SetIndex *, int> rows[] = {{&m_upper, upperRow}, {&m_lower, lowerRow}};
    for (const auto &[index, row] : rows) {
        if (row < 0 || row >= index->count())
            continue;
        const Subtitle &s = index->set->at(row);
        if (!any)
            firstStart = s.start;
        any = true;
        wantedStart = std::min(wantedStart, double(s.start));
        wantedEnd = std::max(wantedEnd, double(std::max(s.start, s.end)));
    }
    if (!any)
        return;
    // A margin so that the bar is not glued to the edge.
    const double margin = m_viewSpan * 0.1;
    const double viewEnd = m_viewStart + m_viewSpan;
    if (wantedStart >= m_viewStart && wantedEnd <= viewEnd)
        return;
    double start = m_viewStart;
    if (wantedEnd - wantedStart > m_viewSpan - 2 * margin)
        start = firstStart - margin;
    else if (wantedStart < m_viewStart)
        start = wantedStart - margin;
    else
        start = wantedEnd + margin - m_viewSpan;
    setView(start, m_viewSpan);
}

TimelineView::Lanes TimelineView::lanes() const
{
    const int axis = fontMetrics().height() + 2;
    const int available = std::max(0, height() - axis - 4);
    const int laneHeight = std::max(4, available * 3 / 10);
    return {axis, QRect(0, axis + 2, width(), laneHeight), QRect(0, height() - 2 - laneHeight, width(), laneHeight)};
}

double TimelineView::msPerPixel() const
{
    return m_viewSpan / std::max(1, width());
}

double TimelineView::xOf(double time) const
{
    return (time - m_viewStart) / msPerPixel();
}

double TimelineView::timeAt(double x) const
{
    return m_viewStart + x * msPerPixel();
}

void TimelineView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColor());
    // Sets that changed without refresh() must not be read past their end.
    for (SetIndex *index : {&m_upper, &m_lower}) {
        if (int(index->maxEndUpTo.size()) != index->count())
            index->rebuild();
    }
    const Lanes l = lanes();
    painter.fillRect(l.upper, QColor(laneColor));
    painter.fillRect(l.lower, QColor(laneColor));
    paintAxis(painter, l);
    paintShownRows(painter, m_upper, l.upper);
    paintShownRows(painter, m_lower, l.lower);
    paintBars(painter, m_upper, l.upper);
    paintBars(painter, m_lower, l.lower);
    paintLinks(painter, l);
    paintCurrent(painter, m_upper, l.upper);
    paintCurrent(painter, m_lower, l.lower);
    paintTitle(painter, m_upper, l.upper);
    paintTitle(painter, m_lower, l.lower);
}

// On a dark plate at the row's start, readable over any bar.
void TimelineView::paintTitle(QPainter &painter, const SetIndex &index, const QRect &lane) const
{
    if (index.title.isEmpty())
        return;
    const QFontMetrics metrics = fontMetrics();
    // A long file name must not hide the bars: a quarter of the row at most.
    const QString title = metrics.elidedText(index.title, Qt::ElideMiddle, std::max(40, lane.width() / 4));
    const QRect plate(lane.left() + 2, lane.center().y() - metrics.height() / 2, metrics.horizontalAdvance(title) + 8,
                      metrics.height());
    painter.fillRect(plate, QColor(0, 0, 0, 160));
    painter.setPen(QColor(axisTextColor));
    painter.drawText(plate, Qt::AlignCenter, title);
}

void TimelineView::paintAxis(QPainter &painter, const Lanes &lanes) const
{
    static const qint64 steps[]
        = {10,    20,     50,     100,    200,    500,     1000,    2000,    5000,     10000,    15000,    30000,
           60000, 120000, 300000, 600000, 900000, 1800000, 3600000, 7200000, 10800000, 21600000, 43200000, 86400000};
    const QFontMetrics metrics = fontMetrics();
    const double labelWidth = metrics.horizontalAdvance(QStringLiteral("-000:00:00.000")) + 12;
    qint64 step = steps[std::size(steps) - 1];
    for (qint64 candidate : steps) {
        if (candidate / msPerPixel() >= labelWidth) {
            step = candidate;
            break;
        }
    }
    while (step / msPerPixel() < labelWidth) // beyond a day per label
        step *= 2;
    // The first tick inside the view: a label cut at the left edge would lose its sign.
    const qint64 first = qint64(std::ceil(m_viewStart / double(step))) * step;
    const double end = m_viewStart + m_viewSpan;
    painter.setFont(font());
    for (qint64 t = first; double(t) <= end; t += step) {
        const int x = clampedPixel(xOf(double(t)), width());
        painter.fillRect(QRect(x, 0, 1, height()), QColor(gridColor));
        painter.setPen(QColor(axisTextColor));
        painter.drawText(QRect(x + 3, 0, int(labelWidth), lanes.axisBottom), Qt::AlignLeft | Qt::AlignVCenter,
                         timeLabel(t, step));
    }
}

void TimelineView::paintShownRows(QPainter &painter, const SetIndex &index, const QRect &lane) const
{
    const int n = index.count();
    const int first = std::max(index.shownFirst, 0);
    const int last = std::min(index.shownLast, n - 1);
    if (first > last)
        return;
    const double start = index.set->at(first).start;
    const double end = std::max(index.set->at(last).end, index.set->at(last).start);
    const int x0 = clampedPixel(xOf(start), width());
    const int x1 = std::max(clampedPixel(xOf(end), width()), x0 + 2);
    painter.fillRect(QRect(x0, lane.top() - 2, x1 - x0, lane.height() + 4), shownRowsColor());
}

void TimelineView::paintBars(QPainter &painter, const SetIndex &index, const QRect &lane) const
{
    const double viewEnd = m_viewStart + m_viewSpan;
    const int first = index.firstRowEndingAfter(m_viewStart);
    const int last = index.firstRowStartingAfter(viewEnd);
    const int w = width();
    const double pxPerMs = w / m_viewSpan;
    const auto x = [&](double time) { return (time - m_viewStart) * pxPerMs; };
    // Bars that share a pixel column are drawn as one span: at the whole film
    // some twenty subtitles fall on each column.
    int spanLeft = 0;
    int spanRight = std::numeric_limits<int>::min(); // exclusive
    const auto flush = [&] {
        if (spanRight > spanLeft)
            painter.fillRect(QRect(spanLeft, lane.top(), spanRight - spanLeft, lane.height()), index.color);
    };
    // Subtitles a few ms apart share a pixel column and would read as one
    // bar: where a wide bar starts inside the span, its start is drawn as a
    // line of the lane's colour.
    std::vector<int> boundaries;
    const auto isWide = [&](const Subtitle &s) { return (std::max(s.start, s.end) - s.start) * pxPerMs >= minWideBar; };
    for (int i = first; i < last;) {
        const Subtitle &s = index.set->at(i++);
        const double end = std::max(s.start, s.end);
        if (end < m_viewStart)
            continue;
        const int left = clampedPixel(std::floor(x(s.start)), w);
        int right = clampedPixel(std::ceil(x(end)), w);
        // A pixel's gap between wide bars keeps subtitles that meet apart.
        if (right - left >= minWideBar)
            --right;
        right = std::max(right, left + 1);
        if (left <= spanRight) {
            if (left > spanLeft && isWide(s))
                boundaries.push_back(left);
            spanRight = std::max(spanRight, right);
        } else {
            flush();
            spanLeft = left;
            spanRight = right;
        }
        // The rows that start on columns the span already covers can only
        // widen it, to the latest end among them: one search passes them all.
        if (i < last && std::floor(x(index.set->at(i).start)) <= spanRight) {
            const double coveredUntil = m_viewStart + (spanRight + 1) / pxPerMs;
            const int next = partitionPoint(i, last, [&](int j) { return index.set->at(j).start >= coveredUntil; });
            // Zoomed in, the few rows passed may be wide bars of their own.
            for (int j = i; next - i <= maxBoundariesPerSpan && j < next; ++j) {
                const int left = clampedPixel(std::floor(x(index.set->at(j).start)), w);
                if (left > spanLeft && isWide(index.set->at(j)))
                    boundaries.push_back(left);
            }
            if (next > i) {
                spanRight = std::max(spanRight, clampedPixel(std::ceil(x(index.maxEndUpTo[size_t(next - 1)])), w));
                i = next;
            }
        }
    }
    flush();
    for (int left : boundaries)
        painter.fillRect(QRect(left, lane.top(), 1, lane.height()), QColor(laneColor));
}

void TimelineView::paintCurrent(QPainter &painter, const SetIndex &index, const QRect &lane) const
{
    if (index.currentRow < 0 || index.currentRow >= index.count())
        return;
    const Subtitle &s = index.set->at(index.currentRow);
    const int left = clampedPixel(std::floor(xOf(s.start)), width());
    const int right = std::max(clampedPixel(std::ceil(xOf(std::max(s.start, s.end))), width()), left + 3);
    painter.fillRect(QRect(left, lane.top() - 3, right - left, lane.height() + 6), highlightColor());
}

void TimelineView::paintLinks(QPainter &painter, const Lanes &lanes) const
{
    if (!m_links || m_links->count() == 0)
        return;
    const SyncLinks &links = *m_links;
    // A row past its set's end (links not yet dropped after a load) counts
    // as after everything, which keeps the search below in order.
    const auto startOf = [](const SetIndex &index, int row) {
        return row >= 0 && row < index.count() ? double(index.set->at(row).start) : std::numeric_limits<double>::max();
    };
    const auto upperStart = [&](int k) { return startOf(m_upper, links.at(k).upperRow); };
    const auto lowerStart = [&](int k) { return startOf(m_lower, links.at(k).lowerRow); };
    const double viewEnd = m_viewStart + m_viewSpan;
    // Both rows grow with the link's index, so do both starts: the lines
    // that reach into the view are one run of links.
    const int first = partitionPoint(0, links.count(),
                                     [&](int k) { return std::max(upperStart(k), lowerStart(k)) >= m_viewStart; });
    const int last
        = partitionPoint(first, links.count(), [&](int k) { return std::min(upperStart(k), lowerStart(k)) > viewEnd; });

    const double pxPerMs = width() / m_viewSpan;
    const auto x = [&](double time) { return (time - m_viewStart) * pxPerMs; };
    const double top = lanes.upper.bottom() + 1;
    const double bottom = lanes.lower.top();
    const double lo = -4;
    const double hi = width() + 4;
    // The segment cut to the widget's columns; false when it misses them.
    const auto clip = [&](int k, QLine &line) {
        const double a = upperStart(k);
        const double b = lowerStart(k);
        if (a == std::numeric_limits<double>::max() || b == std::numeric_limits<double>::max())
            return false;
        double x0 = x(a), y0 = top, x1 = x(b), y1 = bottom;
        if ((x0 < lo && x1 < lo) || (x0 > hi && x1 > hi))
            return false;
        if (x0 != x1) {
            const double dx = x1 - x0;
            const double dy = y1 - y0;
            double t0 = ((dx > 0 ? lo : hi) - x0) / dx;
            double t1 = ((dx > 0 ? hi : lo) - x0) / dx;
            t0 = std::max(t0, 0.0);
            t1 = std::min(t1, 1.0);
            const double cx0 = x0 + t0 * dx, cy0 = y0 + t0 * dy;
            x1 = x0 + t1 * dx;
            y1 = y0 + t1 * dy;
            x0 = cx0;
            y0 = cy0;
        }
        line = QLine(qRound(x0), qRound(y0), qRound(x1), qRound(y1));
        return true;
    };

    // Many links land on the same pixels when zoomed out: each line once.
    QVector<QLine> lines;
    QLine previous;
    for (int k = first; k < last; ++k) {
        QLine line;
        if (clip(k, line) && line != previous) {
            lines.append(line);
            previous = line;
        }
    }
    painter.setPen(QPen(linkColor(), 0)); // cosmetic: the raster engine draws thin lines directly
    painter.drawLines(lines);

    QLine conflicting;
    if (m_conflictingLink >= 0 && m_conflictingLink < links.count() && clip(m_conflictingLink, conflicting)) {
        painter.setPen(QPen(warningColor(), 3));
        painter.drawLine(conflicting);
    }
}

void TimelineView::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) {
        event->ignore();
        return;
    }
    const double x = event->position().x();
    const double anchor = timeAt(x);
    const double maxSpan = double(m_filmEnd - m_filmStart) * 1.2;
    const double span = qBound(minimumSpan, m_viewSpan * std::pow(zoomPerNotch, notches), maxSpan);
    m_showWholeFilm = false;
    setView(anchor - x * span / std::max(1, width()), span);
    event->accept();
}

void TimelineView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_dragged = false;
    m_pressPos = event->pos();
    m_pressViewStart = m_viewStart;
}

void TimelineView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    const int dx = event->pos().x() - m_pressPos.x();
    if (!m_dragged && std::abs(dx) < QApplication::startDragDistance())
        return;
    if (!m_dragged)
        setCursor(Qt::ClosedHandCursor);
    m_dragged = true;
    m_showWholeFilm = false;
    setView(m_pressViewStart - dx * msPerPixel(), m_viewSpan);
}

void TimelineView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton)
        return;
    mouseMoveEvent(event);
    m_pressed = false;
    if (m_dragged) {
        unsetCursor();
        return;
    }
    const Lanes l = lanes();
    const int y = event->pos().y();
    const int slack = (l.lower.top() - l.upper.bottom()) / 2;
    bool upperSet;
    if (y >= l.upper.top() - 4 && y <= l.upper.bottom() + slack)
        upperSet = true;
    else if (y >= l.lower.top() - slack && y <= l.lower.bottom() + 4)
        upperSet = false;
    else
        return;
    const int row = rowAt(upperSet ? m_upper : m_lower, event->pos().x());
    if (row >= 0)
        emit subtitleClicked(upperSet, row);
}

int TimelineView::rowAt(const SetIndex &index, double x) const
{
    const double time = timeAt(x + 0.5);
    const double tolerance = clickTolerancePx * msPerPixel();
    const int first = index.firstRowEndingAfter(time - tolerance);
    const int last = index.firstRowStartingAfter(time + tolerance);
    int best = -1;
    double bestDistance = tolerance;
    for (int i = first; i < last; ++i) {
        const Subtitle &s = index.set->at(i);
        const double end = std::max(s.start, s.end);
        const double distance = time < s.start ? s.start - time : time > end ? time - end : 0;
        // Of overlapping subtitles the later one, which is drawn on top.
        if (distance <= bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}
