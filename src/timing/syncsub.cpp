// Rubber-band synchronization: one set moved onto the other through the links,
// and the two primitives that move times (also used by the timing corrections).

#include "app/actionlog.h"
#include "subtitles/subtitleset.h"
#include "timing/synclinklist.h"

namespace {

// A distance between two 32-bit times needs 33 bits, so moves are carried in
// 64 bits; a time that would leave the 32-bit range stops at its end.
void moveRecord(Subtitle &s, qint64 delta)
{
    if (fitsInt32(delta)) {
        s.shift(qint32(delta));
        return;
    }
    s.start = clampToInt32(qint64(s.start) + delta);
    s.end = clampToInt32(qint64(s.end) + delta);
}

void moveFrom(SubtitleSet &set, int index, qint64 delta)
{
    if (delta == 0)
        return;
    for (int i = qMax(0, index); i < set.count; ++i)
        moveRecord(set.records[size_t(i)], delta);
}

} // namespace

void SubtitleSet::shiftFrom(int index, int delta)
{
    moveFrom(*this, index, delta);
}

void SubtitleSet::stretchRange(int first, int last, int oldSpan, int newSpan)
{
    // Two linked subtitles with the same start leave nothing to scale: the
    // segment stays with its anchor and only `last` and what follows move.
    if (oldSpan != 0 && first >= 0 && first < count) {
        const qint64 anchor = records[size_t(first)].start;
        const int stop = qMin(last, count);
        for (int i = first; i < stop; ++i) {
            Subtitle &s = records[size_t(i)];
            const qint64 d = qint64(s.start) - anchor;
            // |d| < 2^32 and |newSpan| <= 2^31, so the product fits in 64 bits.
            // Bounding e keeps e - d in range; anything that far out ends up
            // clamped to the 32-bit range by the move anyway.
            const qint64 limit = qint64(1) << 34;
            const qint64 e = qBound(-limit, d * newSpan / oldSpan, limit);
            moveRecord(s, e - d);
        }
    }
    if (newSpan != oldSpan)
        moveFrom(*this, last, qint64(newSpan) - oldSpan);
}

void SyncLinkList::SyncSub(SubtitleSet &target, SubtitleSet &reference)
{
    ActionLog &log = actionLog();
    log.setScope(QString(), QStringLiteral("SyncSub"));
    const int n = count;
    if (n > 0) {
        // Rows grow with the link index, so the last link holds the largest row of each set.
        const bool referenceStale = reference.linkRows[size_t(n - 1)] >= reference.count;
        if (referenceStale)
            log.log(0, reference.logPrefix + QStringLiteral("error: sync point beyond end"));
        if (target.linkRows[size_t(n - 1)] >= target.count) {
            log.log(0, target.logPrefix + QStringLiteral("error: sync point beyond end"));
            return;
        }
        if (referenceStale)
            return;

        moveFrom(target, 0, qint64(reference.startOf(reference.linkRows[0])) - target.startOf(target.linkRows[0]));
        log.log(2,
                target.logPrefix + QStringLiteral("synced to ") + reference.logPrefix + QString::number(n)
                    + QStringLiteral(" points"));

        for (int k = 1; k < n; ++k) {
            const int a = target.linkRows[size_t(k - 1)];
            const int b = target.linkRows[size_t(k)];
            const qint64 oldSpan = qint64(target.startOf(b)) - target.startOf(a);
            const qint64 newSpan = qint64(reference.startOf(reference.linkRows[size_t(k)]))
                - reference.startOf(reference.linkRows[size_t(k - 1)]);
            target.stretchRange(a, b, clampToInt32(oldSpan), clampToInt32(newSpan));
        }
    }
    target.CorrDurOvlp();
    target.select(target.current);
}
