#include "app/actionlog.h"

ActionLog &actionLog()
{
    static ActionLog instance;
    return instance;
}

void ActionLog::log(int level, const QString &message)
{
    if (level < threshold)
        return;
    const QString line = level < 5 ? prefix + message : context + prefix + message;
    if (list) {
        list->addItem(line);
        list->setCurrentRow(list->count() - 1);
    }
    if (listener)
        listener(level, line);
}

void ActionLog::setScope(const QString &newPrefix, const QString &newContext)
{
    prefix = newPrefix;
    context = newContext;
}
