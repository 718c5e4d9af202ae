#pragma once
// The one log of the program: every action reports its outcome as one line in
// the log list of the main window (and to a listener, which the command-line
// tool and the tests use).

#include <QListWidget>
#include <QPointer>
#include <QString>

#include <functional>

class ActionLog
{
public:
    int threshold = 0;
    QString prefix;
    QString context;
    QPointer<QListWidget> list;
    std::function<void(int level, const QString &line)> listener;

    void log(int level, const QString &message);
    void setScope(const QString &newPrefix, const QString &newContext);
};

ActionLog &actionLog();
