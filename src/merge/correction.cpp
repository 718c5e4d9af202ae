// Readability correction: long enough for the reading speed, apart by the gap.

#include "app/actionlog.h"
#include "app/preferences.h"
#include "subtitles/subtitleset.h"

void SubtitleSet::CorrDurOvlp()
{
    ActionLog &log = actionLog();
    log.setScope(logPrefix, QStringLiteral("CorrDurOvlp"));
    const Preferences &prefs = preferences();
    const int gap = prefs.gap();
    const int cps = qMax(1, prefs.cps());
    int stretched = 0;
    for (int i = 0; i < count; ++i) {
        Subtitle &s = records[size_t(i)];
        const qint64 minimum = qint64(s.visibleLength) * 1000 / cps;
        qint64 duration = qint64(s.end) - s.start;
        if (duration < minimum) {
            ++stretched;
            duration = minimum;
        }
        qint64 end = qint64(s.start) + duration;
        if (i < count - 1) {
            const qint64 nextStart = records[size_t(i + 1)].start;
            if (nextStart - end < gap)
                end = nextStart - gap;
        }
        s.end = clampToInt32(end);
        s.mergeStart = s.start;
        s.mergeEnd = s.end;
    }
    Subtitle &sentinel = records[size_t(count)];
    sentinel.text.clear();
    if (count >= 1) {
        const Subtitle &last = records[size_t(count - 1)];
        sentinel.mergeStart = clampToInt32(qint64(last.mergeStart) + 100000);
        sentinel.mergeEnd = clampToInt32(qint64(last.mergeEnd) + 100000);
    }
    log.log(4, QStringLiteral("%1 subs stretched").arg(stretched));
}
