#pragma once
// The sync links: their list (both rows' starts and texts; a click selects
// the rows), "Add Link" enabled only while the selected rows may be linked,
// with the link in the way lit on the time line, "Auto Link", "Delete Link"
// and "Clear Links".

#include "gui/listmodels.h"

#include <QObject>

class QAbstractButton;
class QListView;
class Session;
class SetView;
class TimelineView;

class LinkPanel : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QListView *list;
        QAbstractButton *add;
        QAbstractButton *autoLink;
        QAbstractButton *remove;
        QAbstractButton *clear;
    };

    LinkPanel(const Widgets &widgets, Session &session, SetView *upper, SetView *lower, TimelineView *timeline,
              QObject *parent = nullptr);

    void addLink();
    void autoLink();
    void deleteLink();
    void clearLinks();
    // The links or the selected rows changed.
    void reload();
    void refresh();

signals:
    // The user linked the two sets: a pair worth remembering.
    void linked();

private:
    void selectLink(int k);

    Widgets m_widgets;
    Session &m_session;
    SetView *m_upper;
    SetView *m_lower;
    TimelineView *m_timeline;
    LinkListModel m_model;
};
