#pragma once
// Files dragged from a file manager onto the window or onto a set's list:
// accepted while they are local files, and reported with where they landed.

#include <QHash>
#include <QObject>
#include <QStringList>

class QWidget;

class FileDrops : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Takes drops on `target` (a window, or a list's viewport) for `side`:
    // 0 the upper set, 1 the lower, -1 wherever the window puts them.
    void watch(QWidget *target, int side);

signals:
    void dropped(const QStringList &files, int side);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<QObject *, int> m_sides;
};
