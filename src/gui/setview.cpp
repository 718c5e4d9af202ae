#include "gui/setview.h"

#include "core/subtitleset.h"

#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QScrollBar>

SetView::SetView(const SubtitleSet &set, const QString &name, QListView *list, QListWidget *timeBox, QLabel *title,
                 QObject *parent)
    : QObject(parent)
    , m_set(set)
    , m_name(name)
    , m_model(set)
    , m_list(list)
    , m_timeBox(timeBox)
    , m_title(title)
{
    m_list->setModel(&m_model);
    // Rows of one height let the view skip measuring 20000 texts.
    m_list->setUniformItemSizes(true);
    m_title->setText(this->title());
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                showTimes();
                emit currentRowChanged(current.isValid() ? current.row() : -1);
            });
    QScrollBar *bar = m_list->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &SetView::listedRowsChanged);
    connect(bar, &QScrollBar::rangeChanged, this, &SetView::listedRowsChanged);
    connect(m_list, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { emit rowDoubleClicked(index.row()); });
}

QString SetView::title() const
{
    if (m_set.filePath.isEmpty())
        return m_name;
    // A video names the track the set was read from: "Upper: film.mkv #3".
    const QString track = m_set.track < 0 ? QString() : QStringLiteral(" #%1").arg(m_set.track);
    return m_name + QLatin1String(": ") + QFileInfo(m_set.filePath).fileName() + track;
}

int SetView::selectedRow() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void SetView::selectRow(int row)
{
    if (row >= 0 && row < m_set.count)
        m_list->setCurrentIndex(m_model.index(row, 0));
}

std::pair<int, int> SetView::listedRows() const
{
    const QModelIndex first = m_list->indexAt(QPoint(1, 1));
    const QModelIndex last = m_list->indexAt(QPoint(1, m_list->viewport()->height() - 2));
    return {first.isValid() ? first.row() : -1, last.isValid() ? last.row() : m_set.count - 1};
}

void SetView::reload()
{
    m_mergeTimes = false;
    m_model.reload();
    m_title->setText(title());
}

void SetView::textsChanged()
{
    m_model.textsChanged();
}

void SetView::showMergeTimes(bool on)
{
    m_mergeTimes = on;
    showTimes();
}

void SetView::showTimes()
{
    const int row = selectedRow();
    m_timeBox->clear();
    if (row < 0 || row >= m_set.count)
        return;
    const Subtitle &s = m_set.at(row);
    m_timeBox->addItem(m_mergeTimes ? timeLineText(s.mergeStart, s.mergeEnd) : timeLineText(s.start, s.end));
}
