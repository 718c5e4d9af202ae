#include "core/merge.h"

#include "core/colors.h"
#include "core/logsink.h"
#include "core/subtitleset.h"
#include "core/tags.h"

#include <algorithm>

namespace {

// The dot that holds the bottom line, dimmed when colours are on.

// A position on a set's time line: the start (even positions) or the end (odd)
// of a subtitle, or the end sentinel once the set is exhausted.
struct Cursor
{
    SubtitleSet &set;
    int row = 0;
    bool atEnd = false;
    int time = 0;

    explicit Cursor(SubtitleSet &s)
        : set(s)
    {
    }

    const Subtitle &subtitle() const { return set.at(row); }
    bool exhausted() const { return row >= set.count; }

    void seek(int position)
    {
        row = position / 2;
        atEnd = position % 2 != 0;
        time = atEnd ? subtitle().mergeEnd : subtitle().mergeStart;
    }

    bool near(int otherTime, int snap) const { return qAbs(qint64(time) - otherTime) <= snap; }

    bool activeAt(int t) const
    {
        const Subtitle &s = subtitle();
        return s.mergeStart <= t && t < s.mergeEnd && !s.text.isEmpty();
    }

    // Moves the transition under the cursor to `time`, and the touching
    // transition of the neighbour with it.
    void commit()
    {
        Subtitle &s = set.at(row);
        if (atEnd) {
            if (row < set.count - 1) {
                Subtitle &next = set.at(row + 1);
                if (s.mergeEnd == next.mergeStart)
                    next.mergeStart = time;
            }
            s.mergeEnd = time;
        } else {
            if (row >= 1) {
                Subtitle &previous = set.at(row - 1);
                if (s.mergeStart == previous.mergeEnd)
                    previous.mergeEnd = time;
            }
            s.mergeStart = time;
        }
    }
};

// Visits the transitions of both sets in time order, equal times together,
// and runs `step` on every pair of cursor positions.
template<typename Step> void walkTransitions(Cursor &upper, Cursor &lower, Step step)
{
    int upperPos = 0;
    int lowerPos = 0;
    const int upperEnd = 2 * upper.set.count;
    const int lowerEnd = 2 * lower.set.count;
    upper.seek(0);
    for (;;) {
        lower.seek(lowerPos);
        upper.seek(upperPos);
        if (upperPos >= upperEnd && lowerPos >= lowerEnd)
            return;
        step();
        const bool upperDone = upperPos >= upperEnd;
        const bool lowerDone = lowerPos >= lowerEnd;
        // Compared after the step: a snap makes both times equal, and both move on.
        const int upperTime = upper.time;
        const int lowerTime = lower.time;
        if ((lowerDone || upperTime <= lowerTime) && upperPos < upperEnd)
            ++upperPos;
        if ((upperDone || upperTime >= lowerTime) && lowerPos < lowerEnd)
            ++lowerPos;
    }
}

// Builds the merged frames; `current` is the frame being filled.
class Stacker
{
public:
    Stacker(SubtitleSet &upper, SubtitleSet &lower, SubtitleSet &merged, const ProcessingOptions &options,
            FrameStyle style)
        : m_upper(upper)
        , m_lower(lower)
        , m_merged(merged)
        , m_options(options)
        , m_style(style)
    {
    }

    void run()
    {
        walkTransitions(m_upper, m_lower, [this]() { step(); });
    }

private:
    Cursor m_upper;
    Cursor m_lower;
    SubtitleSet &m_merged;
    const ProcessingOptions &m_options;
    const FrameStyle m_style;
    int m_current = 0;

    // A subtitle stays in several frames while the other set changes: its
    // part is made once.
    struct Part
    {
        int row = -1;
        QString text;
        int lines = 0;
    };
    Part m_upperPart;
    Part m_lowerPart;

    void step();
    const Part &sourcePart(const Cursor &cursor, int color, const char *colorClass, Part &part);
};

// The text the subtitle under a cursor adds to a frame, in the output's tag
// style and colour, with its number of lines.
const Stacker::Part &Stacker::sourcePart(const Cursor &cursor, int color, const char *colorClass, Part &part)
{
    if (part.row == cursor.row)
        return part;
    const Subtitle &source = cursor.subtitle();
    part.row = cursor.row;
    part.text = source.text;
    part.lines = prepareLines(part.text, source.tagStyle(), m_style.tags, m_options.joinLines);
    if (m_options.colorTags)
        m_style.applyColor(part.text, color, colorClass);
    return part;
}

void Stacker::step()
{
    // Once one set has run out, time follows the other one; its sentinel time
    // would hold every later frame back and lose the rest of the other set.
    const bool upperDone = m_upper.exhausted();
    const bool lowerDone = m_lower.exhausted();
    int t;
    if (upperDone && !lowerDone)
        t = m_lower.time;
    else if (lowerDone && !upperDone)
        t = m_upper.time;
    else
        t = qMin(m_upper.time, m_lower.time);

    if (!m_merged.slot(m_current).text.isEmpty()) {
        Subtitle &open = m_merged.slot(m_current);
        open.end = t;
        if (open.start != t)
            ++m_current;
        // A zero-length frame is dropped here.
        m_merged.slot(m_current).reset();
        m_merged.count = m_current;
    }

    const bool upperActive = m_upper.activeAt(t);
    const bool lowerActive = m_lower.activeAt(t);
    if (!upperActive && !lowerActive)
        return;

    const int bottomLines = m_options.bottomLines;
    const bool colorTags = m_options.colorTags;
    const bool srt = m_style.tags == TagStyle::SubRip;
    const Part noPart;
    const Part &upperPart
        = upperActive ? sourcePart(m_upper, m_options.upperColor, upperColorClass, m_upperPart) : noPart;
    const QString &upperText = upperPart.text;
    const int upperLines = upperPart.lines;

    QString lowerText;
    int lowerLines = 0;
    if (lowerActive) {
        const Part &part = sourcePart(m_lower, m_options.lowerColor, lowerColorClass, m_lowerPart);
        lowerText = part.text;
        lowerLines = part.lines;
    } else if (bottomLines > 0) {
        // Some players drop trailing empty lines, so the bottom line always holds something.
        lowerLines = 1;
        switch (m_options.lastLine) {
        case LastLineStyle::Dot:
            lowerText = QStringLiteral(".");
            if (colorTags)
                m_style.applyColor(lowerText, dotColor, dotColorClass);
            break;
        case LastLineStyle::Doubled:
            lowerText = srt ? QStringLiteral("<b> </b>|<b> </b>") : QStringLiteral("| ");
            break;
        case LastLineStyle::Normal:
            lowerText = srt ? QStringLiteral("<b> </b>") : QStringLiteral(" ");
            break;
        }
    }

    Subtitle &frame = m_merged.slot(m_current);
    frame.reset();
    frame.start = t;
    if (upperLines != 0) {
        const QString filler = srt ? QStringLiteral("|<b> </b>") : QStringLiteral("| ");
        QString text;
        text.reserve(upperText.size() + filler.size() * qMax(0, bottomLines - lowerLines) + 1 + lowerText.size());
        text += upperText;
        for (int i = lowerLines; i < bottomLines; ++i)
            text += filler;
        text += QLatin1Char('|');
        text += lowerText;
        frame.text = std::move(text);
        frame.visibleLength = m_upper.subtitle().visibleLength;
    } else {
        frame.text = lowerText;
    }
    if (lowerActive)
        frame.visibleLength = clampToInt32(qint64(frame.visibleLength) + m_lower.subtitle().visibleLength);
}

void appendHeader(SubtitleSet &merged, const ProcessingOptions &options, FrameStyle style)
{
    CreditLine credit = creditAfter(merged.at(merged.count - 1).end);
    Subtitle &header = merged.slot(merged.count);
    header.reset();
    header.visibleLength = credit.visibleLength();
    if (options.colorTags) {
        style.applyColor(credit.first, options.upperColor, upperColorClass);
        style.applyColor(credit.second, options.lowerColor, lowerColorClass);
    }
    header.text = credit.first + QLatin1Char('|') + credit.second;
    header.start = credit.start;
    header.end = credit.end;
    ++merged.count;
}

} // namespace

void correctDurations(SubtitleSet &set, int cps, int gap, LogSink &log)
{
    cps = qMax(1, cps);
    const int count = set.count;
    int stretched = 0;
    for (int i = 0; i < count; ++i) {
        Subtitle &s = set.at(i);
        const qint64 minimum = qint64(s.visibleLength) * 1000 / cps;
        qint64 duration = qint64(s.end) - s.start;
        if (duration < minimum) {
            ++stretched;
            duration = minimum;
        }
        qint64 end = qint64(s.start) + duration;
        if (i < count - 1) {
            const qint64 nextStart = set.at(i + 1).start;
            if (nextStart - end < gap)
                end = nextStart - gap;
        }
        s.end = clampToInt32(end);
        s.mergeStart = s.start;
        s.mergeEnd = s.end;
    }
    Subtitle &sentinel = set.slot(count);
    sentinel.text.clear();
    if (count >= 1) {
        const Subtitle &last = set.at(count - 1);
        sentinel.mergeStart = clampToInt32(qint64(last.mergeStart) + 100000);
        sentinel.mergeEnd = clampToInt32(qint64(last.mergeEnd) + 100000);
    }
    log.log(LogDebug, set.logPrefix, QStringLiteral("%1 subs stretched").arg(stretched));
}

void snapNeighbours(SubtitleSet &set, int snap)
{
    for (int i = 1; i < set.count; ++i) {
        Subtitle &previous = set.at(i - 1);
        Subtitle &next = set.at(i);
        const qint64 d = qint64(next.mergeStart) - previous.mergeEnd;
        if (d < snap) {
            // Lies between two 32-bit times, so it fits.
            const int m = clampToInt32(previous.mergeEnd + d / 2);
            previous.mergeEnd = m;
            next.mergeStart = m;
        }
    }
}

void crossSnap(SubtitleSet &upper, SubtitleSet &lower, int snap)
{
    upper.slot(upper.count);
    lower.slot(lower.count);
    Cursor u(upper);
    Cursor l(lower);
    walkTransitions(u, l, [&]() {
        // An exhausted set stands on its sentinel, which is no transition to meet.
        if (u.exhausted() || l.exhausted())
            return;
        if (!u.near(l.time, snap) || !l.near(u.time, snap))
            return;
        const int m = int((qint64(u.time) + l.time) / 2);
        u.time = m;
        l.time = m;
        u.commit();
        l.commit();
    });
}

void stackFrames(SubtitleSet &upper, SubtitleSet &lower, SubtitleSet &merged, const ProcessingOptions &options,
                 FrameStyle style)
{
    merged.clear();
    // Every transition of either set ends at most one frame; the header and the sentinel follow.
    merged.reserve(2 * (upper.count + lower.count) + 3);
    // The sentinels are read when a set runs out.
    upper.slot(upper.count);
    lower.slot(lower.count);
    Stacker(upper, lower, merged, options, style).run();
}

int prepareLines(QString &text, TagStyle from, TagStyle output, bool joinLines)
{
    if (text.isEmpty())
        return 0;
    if (joinLines) {
        text.remove(QLatin1String("-|"));
        text.replace(QLatin1Char('|'), QLatin1Char(' '));
    }
    if (from != output)
        convertTags(text, output);
    if (!isCleanText(text)) {
        text.replace(QLatin1String("| "), QLatin1String("|"));
        text.replace(QLatin1String(" |"), QLatin1String("|"));
        text = text.simplified();
    }
    return text.count(QLatin1Char('|')) + 1;
}

void prepareMergeTimes(SubtitleSet &upper, SubtitleSet &lower, const ProcessingOptions &options, LogSink &log)
{
    correctDurations(upper, options.cps, options.gap, log);
    correctDurations(lower, options.cps, options.gap, log);
    snapNeighbours(upper, options.snap);
    snapNeighbours(lower, options.snap);
    crossSnap(upper, lower, options.snap);
}

void stackSets(SubtitleSet &upper, SubtitleSet &lower, SubtitleSet &merged, const ProcessingOptions &options,
               FrameStyle style, LogSink &log)
{
    prepareMergeTimes(upper, lower, options, log);
    stackFrames(upper, lower, merged, options, style);
}

CreditLine creditAfter(qint64 lastEnd)
{
    CreditLine credit;
    credit.start = clampToInt32(lastEnd + 2000);
    credit.end = clampToInt32(lastEnd + 7000);
    return credit;
}

void mergeSets(SubtitleSet &upper, SubtitleSet &lower, SubtitleSet &merged, const ProcessingOptions &options,
               SubtitleFormat format, LogSink &log)
{
    const FormatInfo &info = formatInfo(format);
    const FrameStyle style(info.mergedTags, info.colorClasses);
    stackSets(upper, lower, merged, options, style, log);
    if (merged.count > 0 && options.header)
        appendHeader(merged, options, style);
    correctDurations(merged, options.cps, options.gap, log);
}

namespace {

class SilentLog : public LogSink
{
public:
    void write(int, const QString &) override { }
};

// The last subtitle starting at or before `time`, when it is still shown then.
void copyShownAt(const SubtitleSet &from, int time, SubtitleSet &to)
{
    const Subtitle *after
        = std::partition_point(from.begin(), from.end(), [time](const Subtitle &s) { return s.start <= time; });
    if (after == from.begin())
        return;
    const Subtitle &s = *(after - 1);
    if (time < s.end)
        to.slot(to.count++) = s;
}

} // namespace

QString frameAt(const SubtitleSet &upper, const SubtitleSet &lower, int time, const ProcessingOptions &options)
{
    SubtitleSet shownUpper(upper.logPrefix);
    SubtitleSet shownLower(lower.logPrefix);
    SubtitleSet merged(QString {});
    copyShownAt(upper, time, shownUpper);
    copyShownAt(lower, time, shownLower);
    if (shownUpper.count == 0 && shownLower.count == 0)
        return QString();
    SilentLog log;
    stackSets(shownUpper, shownLower, merged, options, TagStyle::SubRip, log);
    // Snapping may have moved the transitions a little: the frame holding
    // `time`, else the first.
    for (int i = 0; i < merged.count; ++i) {
        if (merged.at(i).start <= time && time < merged.at(i).end)
            return merged.at(i).text;
    }
    return merged.count > 0 ? merged.at(0).text : QString();
}
