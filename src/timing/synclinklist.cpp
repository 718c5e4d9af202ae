#include "timing/synclinklist.h"

#include "subtitles/subtitleset.h"

int SyncLinkList::insertPosition(int upperRow) const
{
    int i = 0;
    while (i < count && upper->linkRows[size_t(i)] < upperRow)
        ++i;
    return i;
}

bool SyncLinkList::canAddLink() const
{
    const int i = insertPosition(upper->current);
    if (i < count && upper->linkRows[size_t(i)] == upper->current)
        return false;
    if (i > 0 && lower->linkRows[size_t(i - 1)] >= lower->current)
        return false;
    if (i < count && lower->linkRows[size_t(i)] <= lower->current)
        return false;
    return true;
}

void SyncLinkList::addLink()
{
    if (count >= Capacity)
        return;
    const int i = insertPosition(upper->current);
    for (int k = count; k > i; --k) {
        upper->linkRows[size_t(k)] = upper->linkRows[size_t(k - 1)];
        lower->linkRows[size_t(k)] = lower->linkRows[size_t(k - 1)];
    }
    upper->linkRows[size_t(i)] = upper->current;
    lower->linkRows[size_t(i)] = lower->current;
    ++count;
    rebuildView();
}

void SyncLinkList::rebuildView()
{
    if (!view)
        return;
    view->clear();
    for (int k = 0; k < count; ++k)
        view->addItem(QString::asprintf("%04i %04i", upper->linkRows[size_t(k)] + 1, lower->linkRows[size_t(k)] + 1));
}

void SyncLinkList::deleteLink()
{
    const int r = view ? view->currentRow() : -1;
    if (r < 0 || r >= count || count <= 0)
        return;
    const int oldCount = count;
    --count;
    for (int k = r + 1; k < oldCount; ++k) {
        upper->linkRows[size_t(k - 1)] = upper->linkRows[size_t(k)];
        lower->linkRows[size_t(k - 1)] = lower->linkRows[size_t(k)];
    }
    delete view->takeItem(r);
}

void SyncLinkList::clearLinks()
{
    count = 0;
    if (view)
        view->clear();
}

void SyncLinkList::selectLink(int k)
{
    if (k < 0 || k >= count)
        return;
    upper->select(upper->linkRows[size_t(k)]);
    lower->select(lower->linkRows[size_t(k)]);
}
