#pragma once
// The sync links: pairs of (upper row, lower row) that start at the same moment.
// The rows live column-wise in the two sets' linkRows; both columns increase.

#include <QListWidget>
#include <QPointer>

class SubtitleSet;

class SyncLinkList
{
public:
    static constexpr int Capacity = 20000;

    QPointer<QListWidget> view;
    SubtitleSet *upper = nullptr;
    SubtitleSet *lower = nullptr;
    int count = 0;

    bool canAddLink() const;
    void addLink();
    void deleteLink();
    void clearLinks();
    void selectLink(int k);
    void SyncSub(SubtitleSet &target, SubtitleSet &reference);

    // Where a link for the given upper row would go: the first link whose upper
    // row is not below it.
    int insertPosition(int upperRow) const;
    void rebuildView();
};
