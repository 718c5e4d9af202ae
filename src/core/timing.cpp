#include "core/timing.h"

#include "core/logsink.h"
#include "core/subtitleset.h"

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

// The anchor stays, the last subtitle's start moves by ms, the ones between
// follow in proportion. Starts may lie up to 2^32 ms apart; a span that does
// not fit an int is clamped.
void stretchFrom(SubtitleSet &set, int anchor, int ms)
{
    const int last = set.count - 1;
    const qint64 span = qint64(set.startOf(last)) - set.startOf(anchor);
    stretchRange(set, anchor, last, clampToInt32(span), clampToInt32(span + ms));
}

} // namespace

QStringList frameRateConversions()
{
    return {QStringLiteral("23.976 => 25.000"), QStringLiteral("24.000 => 25.000"), QStringLiteral("29.970 => 25.000"),
            QStringLiteral("25.000 => 23.976"), QStringLiteral("25.000 => 24.000"), QStringLiteral("25.000 => 29.970")};
}

void parseConversion(const QString &entry, int *fromRate, int *toRate)
{
    // "23.976 => 25.000" reads as "23976 => 25000".
    QString text = entry;
    text.remove(QLatin1Char('.'));
    bool fromOk = false;
    bool toOk = false;
    const int from = text.mid(0, 5).toInt(&fromOk, 10);
    const int to = text.mid(9, 5).toInt(&toOk, 10);
    const bool valid = fromOk && toOk && from > 0 && to > 0;
    *fromRate = valid ? from : 1;
    *toRate = valid ? to : 1;
}

void shiftFrom(SubtitleSet &set, int row, qint64 delta)
{
    if (delta == 0)
        return;
    for (int i = qMax(0, row); i < set.count; ++i)
        moveRecord(set.at(i), delta);
}

void stretchRange(SubtitleSet &set, int first, int last, int oldSpan, int newSpan)
{
    // Two linked subtitles with the same start leave nothing to scale: the
    // segment stays with its anchor and only `last` and what follows move.
    if (oldSpan != 0 && first >= 0 && first < set.count) {
        const qint64 anchor = set.at(first).start;
        const int stop = qMin(last, set.count);
        for (int i = first; i < stop; ++i) {
            Subtitle &s = set.at(i);
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
        shiftFrom(set, last, qint64(newSpan) - oldSpan);
}

void scaleTimes(SubtitleSet &set, int num, int den)
{
    // den 0 could only come from a malformed conversion entry; it converts nothing.
    if (num == den || set.count == 0 || den == 0)
        return;
    for (int i = 0; i < set.count; ++i) {
        Subtitle &s = set.at(i);
        // 64-bit division truncates toward zero, also for times a shift made negative.
        s.start = clampToInt32(qint64(s.start) * num / den);
        s.end = clampToInt32(qint64(s.end) * num / den);
    }
}

void correctTiming(SubtitleSet &set, const TimingCorrection &c, int selectedRow, LogSink &log)
{
    if (set.count == 0)
        return;
    const QString &prefix = set.logPrefix;
    const int last = set.count - 1;
    if (c.shiftMs != 0) {
        if (c.selectedAndFollowing) {
            shiftFrom(set, selectedRow, c.shiftMs);
            log.log(LogInfo, prefix, QStringLiteral("%1 ms shifted from #%2").arg(c.shiftMs).arg(selectedRow));
        } else {
            shiftFrom(set, 0, c.shiftMs);
            log.log(LogInfo, prefix, QStringLiteral("%1 ms shifted").arg(c.shiftMs));
        }
    }

    if (c.stretchMs != 0) {
        if (!c.selectedAndFollowing) {
            stretchFrom(set, 0, c.stretchMs);
            log.log(LogInfo, prefix, QStringLiteral("%1 ms stretched").arg(c.stretchMs));
        } else if (selectedRow < last) {
            stretchFrom(set, selectedRow, c.stretchMs);
            log.log(LogInfo, prefix, QStringLiteral("%1 ms stretched from #%2").arg(c.stretchMs).arg(selectedRow));
        } else {
            log.log(LogError, prefix, QStringLiteral("cannot stretch single line"));
        }
    }

    if (c.fromRate != c.toRate) {
        scaleTimes(set, c.fromRate, c.toRate);
        log.log(LogInfo, prefix, QStringLiteral("converted %1 => %2").arg(c.fromRate).arg(c.toRate));
    }
}
