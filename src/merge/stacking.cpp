// The stacking engine: both sets' transitions walked in time order, nearby
// transitions snapped together, and one merged frame built per interval.

#include "merge/stacking.h"

#include "app/actionlog.h"
#include "app/preferences.h"
#include "merge/colors.h"
#include "subtitles/mergeworkspace.h"
#include "subtitles/tags.h"

namespace {

// A set whose cursor stands on its end position (the sentinel slot) has no
// transitions left; an empty set is exhausted from the start.
bool exhausted(const SubtitleSet &set)
{
    return set.current >= set.count;
}

// Visits the transitions of both sets in time order, equal times together,
// and runs `step` on every pair of cursor positions.
template<typename Step> void walkTransitions(SubtitleSet &upper, SubtitleSet &lower, Step step)
{
    int upperPos = 0;
    int lowerPos = 0;
    const int upperEnd = 2 * upper.count;
    const int lowerEnd = 2 * lower.count;
    upper.seekTransition(0);
    for (;;) {
        lower.seekTransition(lowerPos);
        upper.seekTransition(upperPos);
        if (upperPos >= upperEnd && lowerPos >= lowerEnd)
            return;
        step();
        const bool upperDone = upperPos >= upperEnd;
        const bool lowerDone = lowerPos >= lowerEnd;
        // Compared after the step: a snap makes both times equal, and both move on.
        const int upperTime = upper.cursorTime;
        const int lowerTime = lower.cursorTime;
        if ((lowerDone || upperTime <= lowerTime) && upperPos < upperEnd)
            ++upperPos;
        if ((upperDone || upperTime >= lowerTime) && lowerPos < lowerEnd)
            ++lowerPos;
    }
}

// The text the record under a set's cursor adds to a frame, in the output's
// tag style and colour; returns its number of lines.
int sourcePart(SubtitleSet &set, int color, bool colorTags, bool srtOutput, QString &text)
{
    const Subtitle &source = set.currentSubtitle();
    text = source.text;
    const int lines = prepareLines(text, source.angleTags, srtOutput);
    if (colorTags)
        applyColorTag(text, color, srtOutput);
    return lines;
}

} // namespace

void SubtitleSet::seekTransition(int position)
{
    current = position / 2;
    cursorIsEnd = position % 2 != 0;
    const Subtitle &s = currentSubtitle();
    cursorTime = cursorIsEnd ? s.mergeEnd : s.mergeStart;
}

bool SubtitleSet::cursorNear(int time) const
{
    return qAbs(qint64(cursorTime) - time) <= preferences().snap();
}

void SubtitleSet::commitCursor()
{
    Subtitle &s = currentSubtitle();
    if (cursorIsEnd) {
        if (current < count - 1) {
            Subtitle &next = records[size_t(current + 1)];
            if (s.mergeEnd == next.mergeStart)
                next.mergeStart = cursorTime;
        }
        s.mergeEnd = cursorTime;
    } else {
        if (current >= 1) {
            Subtitle &previous = records[size_t(current - 1)];
            if (s.mergeStart == previous.mergeEnd)
                previous.mergeEnd = cursorTime;
        }
        s.mergeStart = cursorTime;
    }
}

bool SubtitleSet::activeAt(int time)
{
    const Subtitle &s = currentSubtitle();
    return s.mergeStart <= time && time < s.mergeEnd && !s.text.isEmpty();
}

void SubtitleSet::snapNeighbours()
{
    const int tolerance = preferences().snap();
    for (int i = 1; i < count; ++i) {
        Subtitle &previous = records[size_t(i - 1)];
        Subtitle &next = records[size_t(i)];
        const qint64 d = qint64(next.mergeStart) - previous.mergeEnd;
        if (d < tolerance) {
            // Lies between two 32-bit times, so it fits.
            const int m = clampToInt32(previous.mergeEnd + d / 2);
            previous.mergeEnd = m;
            next.mergeStart = m;
        }
    }
}

int prepareLines(QString &text, bool angleTags, bool srtOutput)
{
    if (text.isEmpty())
        return 0;
    if (preferences().joinLines()) {
        text.remove(QLatin1String("-|"));
        text.replace(QLatin1Char('|'), QLatin1Char(' '));
    }
    if (angleTags != srtOutput)
        convertTags(text, srtOutput);
    text.replace(QLatin1String("| "), QLatin1String("|"));
    text.replace(QLatin1String(" |"), QLatin1String("|"));
    text = text.simplified();
    return text.count(QLatin1Char('|')) + 1;
}

void MergeWorkspace::crossSnapPass()
{
    walkTransitions(upper, lower, [this]() {
        // An exhausted set stands on its sentinel, which is no transition to meet.
        if (exhausted(upper) || exhausted(lower))
            return;
        if (!upper.cursorNear(lower.cursorTime) || !lower.cursorNear(upper.cursorTime))
            return;
        const int m = int((qint64(upper.cursorTime) + lower.cursorTime) / 2);
        upper.cursorTime = m;
        lower.cursorTime = m;
        upper.commitCursor();
        lower.commitCursor();
    });
}

void MergeWorkspace::stackingPass(bool srtOutput)
{
    walkTransitions(upper, lower, [this, srtOutput]() { StackFrame(srtOutput); });
}

void MergeWorkspace::StackFrame(bool srtOutput)
{
    ActionLog &log = actionLog();
    log.setScope(merged.logPrefix, QStringLiteral("StackFrame"));
    const Preferences &prefs = preferences();

    // Once one set has run out, time follows the other one; its sentinel time
    // would hold every later frame back and lose the rest of the other set.
    const bool upperDone = exhausted(upper);
    const bool lowerDone = exhausted(lower);
    int t;
    if (upperDone && !lowerDone)
        t = lower.cursorTime;
    else if (lowerDone && !upperDone)
        t = upper.cursorTime;
    else
        t = qMin(upper.cursorTime, lower.cursorTime);
    const int bottomLines = prefs.bottomLines();

    if (!merged.currentSubtitle().text.isEmpty()) {
        merged.currentSubtitle().end = t;
        if (merged.currentSubtitle().start != t) {
            if (merged.current >= SubtitleSet::Capacity)
                log.log(0, QStringLiteral("too many lines"));
            else
                merged.advance();
        }
        // A zero-length frame, or one that found no room, is dropped here.
        merged.currentSubtitle().reset();
        merged.count = merged.current;
    }

    const bool upperActive = upper.activeAt(t);
    const bool lowerActive = lower.activeAt(t);
    if (!upperActive && !lowerActive)
        return;

    Subtitle &frame = merged.currentSubtitle();
    frame.reset();
    frame.start = t;
    const bool colorTags = prefs.colorTags();

    QString upperText;
    int upperLines = 0;
    if (upperActive)
        upperLines = sourcePart(upper, prefs.upperColor, colorTags, srtOutput, upperText);

    QString lowerText;
    int lowerLines = 0;
    if (lowerActive) {
        lowerLines = sourcePart(lower, prefs.lowerColor, colorTags, srtOutput, lowerText);
    } else if (bottomLines > 0) {
        // Some players drop trailing empty lines, so the bottom line always holds something.
        lowerLines = 1;
        switch (prefs.lastLineStyle()) {
        case 1:
            lowerText = QStringLiteral(".");
            if (colorTags)
                applyColorTag(lowerText, 0x505050, srtOutput);
            break;
        case 2:
            lowerText = srtOutput ? QStringLiteral("<b> </b>|<b> </b>") : QStringLiteral("| ");
            break;
        default:
            lowerText = srtOutput ? QStringLiteral("<b> </b>") : QStringLiteral(" ");
            break;
        }
    }

    if (upperLines != 0) {
        const QString filler = srtOutput ? QStringLiteral("|<b> </b>") : QStringLiteral("| ");
        QString text;
        text.reserve(upperText.size() + filler.size() * qMax(0, bottomLines - lowerLines) + 1 + lowerText.size());
        text += upperText;
        for (int i = lowerLines; i < bottomLines; ++i)
            text += filler;
        text += QLatin1Char('|');
        frame.text = text;
        frame.visibleLength = upper.currentSubtitle().visibleLength;
    }
    frame.text += lowerText;
    if (lowerActive)
        frame.visibleLength = clampToInt32(qint64(frame.visibleLength) + lower.currentSubtitle().visibleLength);
}
