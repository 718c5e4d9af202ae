#include "core/synclinks.h"

#include "core/logsink.h"
#include "core/merge.h"
#include "core/subtitleset.h"
#include "core/timing.h"

#include <algorithm>

int SyncLinks::insertPosition(int upperRow) const
{
    const auto first = std::lower_bound(m_links.begin(), m_links.end(), upperRow,
                                        [](const Link &link, int row) { return link.upperRow < row; });
    return int(first - m_links.begin());
}

int SyncLinks::conflictingLink(int upperRow, int lowerRow) const
{
    const int i = insertPosition(upperRow);
    if (i < count() && at(i).upperRow == upperRow)
        return i;
    if (i > 0 && at(i - 1).lowerRow >= lowerRow)
        return i - 1;
    if (i < count() && at(i).lowerRow <= lowerRow)
        return i;
    return -1;
}

bool SyncLinks::canAdd(int upperRow, int lowerRow) const
{
    return conflictingLink(upperRow, lowerRow) < 0;
}

void SyncLinks::add(int upperRow, int lowerRow, bool automatic)
{
    if (count() >= Capacity)
        return;
    m_links.insert(m_links.begin() + insertPosition(upperRow), Link {upperRow, lowerRow, automatic});
}

int SyncLinks::replaceAutomatic(const std::vector<Link> &found)
{
    m_links.erase(std::remove_if(m_links.begin(), m_links.end(), [](const Link &link) { return link.automatic; }),
                  m_links.end());
    // Both lists are in order: one merge pass, each found link checked against its user neighbours.
    std::vector<Link> merged;
    merged.reserve(m_links.size() + found.size());
    size_t user = 0;
    int placed = 0;
    for (const Link &link : found) {
        while (user < m_links.size() && m_links[user].upperRow < link.upperRow)
            merged.push_back(m_links[user++]);
        const bool crossesBefore = !merged.empty() && merged.back().lowerRow >= link.lowerRow;
        const bool crossesAfter = user < m_links.size()
            && (m_links[user].upperRow == link.upperRow || m_links[user].lowerRow <= link.lowerRow);
        if (crossesBefore || crossesAfter || int(m_links.size() + size_t(placed)) >= Capacity)
            continue;
        Link placedLink = link;
        placedLink.automatic = true;
        merged.push_back(placedLink);
        ++placed;
    }
    merged.insert(merged.end(), m_links.begin() + std::ptrdiff_t(user), m_links.end());
    m_links.swap(merged);
    return placed;
}

void SyncLinks::remove(int k)
{
    if (k >= 0 && k < count())
        m_links.erase(m_links.begin() + k);
}

QString SyncLinks::label(int k) const
{
    return QString::asprintf("%04i %04i", at(k).upperRow + 1, at(k).lowerRow + 1);
}

void synchronize(SubtitleSet &target, const SubtitleSet &reference, bool targetIsUpper, const SyncLinks &links, int cps,
                 int gap, LogSink &log)
{
    const int n = links.count();
    const auto targetRow = [&](int k) { return targetIsUpper ? links.at(k).upperRow : links.at(k).lowerRow; };
    const auto referenceRow = [&](int k) { return targetIsUpper ? links.at(k).lowerRow : links.at(k).upperRow; };
    if (n > 0) {
        // Rows grow with the link index, so the last link holds the largest row of each set.
        const bool referenceStale = referenceRow(n - 1) >= reference.count;
        if (referenceStale)
            log.log(LogError, reference.logPrefix, QStringLiteral("error: sync point beyond end"));
        if (targetRow(n - 1) >= target.count) {
            log.log(LogError, target.logPrefix, QStringLiteral("error: sync point beyond end"));
            return;
        }
        if (referenceStale)
            return;

        shiftFrom(target, 0, qint64(reference.startOf(referenceRow(0))) - target.startOf(targetRow(0)));
        log.log(LogInfo, target.logPrefix,
                QStringLiteral("synced to ") + reference.logPrefix + QString::number(n) + QStringLiteral(" points"));

        for (int k = 1; k < n; ++k) {
            const int a = targetRow(k - 1);
            const int b = targetRow(k);
            const int jump = targetIsUpper ? links.at(k).jumpUpperRow : links.at(k).jumpLowerRow;
            if (jump > a && jump <= b) {
                // The rows before the jump keep the previous link's shift,
                // the rows from it on take this link's.
                shiftFrom(target, jump, qint64(reference.startOf(referenceRow(k))) - target.startOf(b));
                continue;
            }
            const qint64 oldSpan = qint64(target.startOf(b)) - target.startOf(a);
            const qint64 newSpan = qint64(reference.startOf(referenceRow(k))) - reference.startOf(referenceRow(k - 1));
            stretchRange(target, a, b, clampToInt32(oldSpan), clampToInt32(newSpan));
        }
    }
    correctDurations(target, cps, gap, log);
}
