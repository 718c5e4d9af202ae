#include "gui/linkpanel.h"

#include "core/session.h"
#include "gui/setview.h"
#include "gui/timelineview.h"

#include <QAbstractButton>
#include <QListView>

LinkPanel::LinkPanel(const Widgets &widgets, Session &session, SetView *upper, SetView *lower, TimelineView *timeline,
                     QObject *parent)
    : QObject(parent)
    , m_widgets(widgets)
    , m_session(session)
    , m_upper(upper)
    , m_lower(lower)
    , m_timeline(timeline)
    , m_model(session.links, session.upper, session.lower)
{
    m_widgets.list->setModel(&m_model);
    connect(m_widgets.add, &QAbstractButton::pressed, this, &LinkPanel::addLink);
    connect(m_widgets.autoLink, &QAbstractButton::pressed, this, &LinkPanel::autoLink);
    connect(m_widgets.remove, &QAbstractButton::pressed, this, &LinkPanel::deleteLink);
    connect(m_widgets.clear, &QAbstractButton::pressed, this, &LinkPanel::clearLinks);
    // A click on a link, or the arrow keys, select its rows.
    connect(m_widgets.list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                selectLink(current.row());
                refresh();
            });
    for (SetView *view : {m_upper, m_lower})
        connect(view, &SetView::currentRowChanged, this, &LinkPanel::refresh);
}

void LinkPanel::addLink()
{
    const int upperRow = m_upper->selectedRow();
    const int lowerRow = m_lower->selectedRow();
    if (m_session.canAddLink(upperRow, lowerRow)) {
        m_session.links.add(upperRow, lowerRow);
        m_model.reload();
        emit linked();
    }
    refresh();
}

void LinkPanel::autoLink()
{
    m_session.autoLink();
    m_model.reload();
    emit linked();
    refresh();
}

void LinkPanel::deleteLink()
{
    const QModelIndex current = m_widgets.list->currentIndex();
    if (current.isValid()) {
        m_session.links.remove(current.row());
        m_model.reload();
        // As in any list, the next link becomes the current one.
        const int next = qMin(current.row(), m_session.links.count() - 1);
        if (next >= 0)
            m_widgets.list->setCurrentIndex(m_model.index(next));
    }
    refresh();
}

void LinkPanel::clearLinks()
{
    m_session.links.clear();
    m_model.reload();
    refresh();
}

void LinkPanel::reload()
{
    m_model.reload();
    refresh();
}

void LinkPanel::refresh()
{
    const int upperRow = m_upper->selectedRow();
    const int lowerRow = m_lower->selectedRow();
    const bool allowed = m_session.canAddLink(upperRow, lowerRow);
    m_widgets.add->setEnabled(allowed);
    // Why not: the link in the way lights up.
    const bool rows
        = upperRow >= 0 && upperRow < m_session.upper.count && lowerRow >= 0 && lowerRow < m_session.lower.count;
    int conflicting = rows && !allowed ? m_session.links.conflictingLink(upperRow, lowerRow) : -1;
    // A pair that is a link already is no conflict.
    if (conflicting >= 0 && m_session.links.at(conflicting).upperRow == upperRow
        && m_session.links.at(conflicting).lowerRow == lowerRow)
        conflicting = -1;
    m_timeline->setConflictingLink(conflicting);
    // The links are drawn from the table itself.
    m_timeline->update();
}

void LinkPanel::selectLink(int k)
{
    if (k < 0 || k >= m_session.links.count())
        return;
    m_upper->selectRow(m_session.links.at(k).upperRow);
    m_lower->selectRow(m_session.links.at(k).lowerRow);
}
