#pragma once
// The two sets as rows of bars on one time axis with their sync links as
// lines between them, so that drift and a crossing link can be seen rather
// than read; zoomed with the wheel, scrolled by dragging.

#include <QColor>
#include <QString>
#include <QWidget>

#include <vector>

class SubtitleSet;
class SyncLinks;

class TimelineView : public QWidget
{
    Q_OBJECT
public:
    explicit TimelineView(QWidget *parent = nullptr);

    // The view reads the sets and links directly (no copies); call refresh()
    // after they change (load, timing correction, synchronize, strip, links
    // added or removed).
    void setSources(const SubtitleSet *upper, const SubtitleSet *lower, const SyncLinks *links);
    void refresh();

    // Highlighted, -1 for none; the view scrolls so that they are visible.
    void setCurrentRows(int upperRow, int lowerRow);
    // The rows a list shows: that part of the film is marked on that set's row.
    void setShownRows(bool upperSet, int firstRow, int lastRow);
    // The link that "Add Link" would cross, drawn in the warning colour; -1 for none.
    void setConflictingLink(int link);
    // Bar colours of the two sets.
    void setColors(const QColor &upper, const QColor &lower);
    // The names written at the start of each set's row ("Upper: film.en.srt").
    void setTitles(const QString &upper, const QString &lower);

    // The visible part of the time axis, in ms.
    qint64 visibleStart() const;
    qint64 visibleEnd() const;
    // Kept within the zoom limits (one second up to a little more than the
    // whole film) and near the film.
    void setVisibleRange(qint64 startMs, qint64 endMs);

    static QColor backgroundColor() { return QColor(28, 31, 36); }
    static QColor highlightColor() { return QColor(255, 176, 0); }
    static QColor linkColor() { return QColor(110, 160, 220); }
    static QColor warningColor() { return QColor(255, 60, 60); }
    static QColor shownRowsColor() { return QColor(64, 84, 110); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void subtitleClicked(bool upperSet, int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // What the view needs beyond a set's own records: the largest end up to
    // each row, because a subtitle may outlast the ones starting after it, so
    // the starts alone do not tell which rows reach into the view.
    struct SetIndex
    {
        const SubtitleSet *set = nullptr;
        std::vector<qint32> maxEndUpTo;
        int currentRow = -1;
        int shownFirst = -1;
        int shownLast = -1;
        QColor color = Qt::white;
        QString title;

        int count() const;
        void rebuild();
        // First row that may reach past `time`, and the first row starting after it.
        int firstRowEndingAfter(double time) const;
        int firstRowStartingAfter(double time) const;
    };

    struct Lanes
    {
        int axisBottom;
        QRect upper;
        QRect lower;
    };

    SetIndex m_upper;
    SetIndex m_lower;
    const SyncLinks *m_links = nullptr;
    int m_conflictingLink = -1;

    // The view as doubles so that repeated zooming does not drift by rounding.
    double m_viewStart = 0;
    double m_viewSpan = 60000;
    // Until the user (or the caller) chooses a range, the whole film is shown.
    bool m_showWholeFilm = true;
    qint64 m_filmStart = 0;
    qint64 m_filmEnd = 60000;

    bool m_pressed = false;
    bool m_dragged = false;
    QPoint m_pressPos;
    double m_pressViewStart = 0;

    Lanes lanes() const;
    double msPerPixel() const;
    double xOf(double time) const;
    double timeAt(double x) const;
    void updateFilmExtent();
    void setView(double start, double span);
    void fitWholeFilm();
    void scrollToShow(int upperRow, int lowerRow);

    void paintAxis(QPainter &painter, const Lanes &lanes) const;
    void paintShownRows(QPainter &painter, const SetIndex &index, const QRect &lane) const;
    void paintBars(QPainter &painter, const SetIndex &index, const QRect &lane) const;
    void paintCurrent(QPainter &painter, const SetIndex &index, const QRect &lane) const;
    void paintTitle(QPainter &painter, const SetIndex &index, const QRect &lane) const;
    void paintLinks(QPainter &painter, const Lanes &lanes) const;
    // The bar under the point, -1 when none is near enough.
    int rowAt(const SetIndex &index, double x) const;
};
