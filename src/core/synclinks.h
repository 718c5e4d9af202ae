#pragma once
// Sync links: pairs of an upper and a lower subtitle that start at the same
// moment, and the rubber-band synchronization that moves one set onto the
// other through them. Links never cross and no row carries two, so both
// columns increase with the link's index.

#include <QString>

#include <vector>

class LogSink;
class SubtitleSet;

class SyncLinks
{
public:
    static constexpr int Capacity = 20000;

    struct Link
    {
        int upperRow;
        int lowerRow;
        bool automatic = false; // placed by "Auto Link", which replaces its own links
        // Where "Auto Link" found the offset to jump between the previous
        // link and this one: the first row of each set after the jump, -1
        // for none. Synchronizing then moves the rows on either side with
        // their own link instead of spreading the jump over them.
        int jumpUpperRow = -1;
        int jumpLowerRow = -1;
    };

    int count() const { return int(m_links.size()); }
    const Link &at(int k) const { return m_links[size_t(k)]; }

    // Whether the pair fits between the existing links without crossing one
    // or sharing a row with one.
    bool canAdd(int upperRow, int lowerRow) const;
    // The link that the pair would cross or share a row with, -1 when none
    // (the one the window points at when it refuses "Add Link").
    int conflictingLink(int upperRow, int lowerRow) const;
    // Inserts in order; a full table takes no more.
    void add(int upperRow, int lowerRow, bool automatic = false);
    void remove(int k);
    void clear() { m_links.clear(); }
    // Replaces the automatic links by `found` (both rows increasing) and keeps
    // the user's own; a found link that would cross or share a row with one of
    // them is left out. Returns how many were placed.
    int replaceAutomatic(const std::vector<Link> &found);

    // "0003 0005": both rows numbered from 1, as the link list shows them.
    QString label(int k) const;

private:
    std::vector<Link> m_links;

    int insertPosition(int upperRow) const;
};

// Moves `target` so that every linked subtitle starts with its partner in
// `reference`: shifted to the first link, each stretch between two links
// scaled to the reference's. Then the readability correction runs on the
// target (reading speed `cps`, `gap`), also with no links.
void synchronize(SubtitleSet &target, const SubtitleSet &reference, bool targetIsUpper, const SyncLinks &links, int cps,
                 int gap, LogSink &log);
