#include "core/subtitleset.h"

#include <cstdlib>

SubtitleSet::SubtitleSet(const QString &prefix)
    : logPrefix(prefix)
{
}

Subtitle &SubtitleSet::slot(int i)
{
    // The vector grows its capacity geometrically; only the slots asked for are made.
    if (size_t(i) + 2 > m_records.size())
        m_records.resize(size_t(i) + 2);
    return m_records[size_t(i)];
}

void SubtitleSet::clear()
{
    count = 0;
    m_records.clear();
}

Subtitle &SubtitleSet::append(int start, int end, const QString &text, bool angleTags)
{
    Subtitle &s = slot(count++);
    s.reset();
    s.start = start;
    s.end = end;
    s.text = text;
    s.angleTags = angleTags;
    s.normalize();
    return s;
}

int SubtitleSet::startOf(int row) const
{
    if (row < 0 || row >= count)
        return 0;
    return at(row).start;
}

int SubtitleSet::nearestRow(int time) const
{
    int best = 0;
    qint64 bestDistance = -1;
    for (int i = 0; i < count; ++i) {
        const qint64 d = std::llabs(qint64(at(i).start) - time);
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}
