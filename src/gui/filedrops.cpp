#include "gui/filedrops.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

namespace {

QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (!data)
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

} // namespace

void FileDrops::watch(QWidget *target, int side)
{
    target->setAcceptDrops(true);
    target->installEventFilter(this);
    m_sides.insert(target, side);
}

bool FileDrops::eventFilter(QObject *watched, QEvent *event)
{
    const auto side = m_sides.constFind(watched);
    if (side == m_sides.cend())
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (localFiles(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList files = localFiles(drop->mimeData());
        if (files.isEmpty())
            return false;
        drop->acceptProposedAction();
        emit dropped(files, *side);
        return true;
    }
    default:
        return false;
    }
}
