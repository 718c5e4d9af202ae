#pragma once
// One coding drop-down: "Auto Detect", "Auto Local" and "UTF-8", the codings
// the user chose through "More…", the most used ones, and "More…", which opens
// the full list and makes its choice the entry at once. The chosen codings
// are one list that every selector of the window shows.

#include <QObject>
#include <QStringList>

class QComboBox;
class Settings;

class CodingSelector : public QObject
{
    Q_OBJECT
public:
    // `chosen` is shared by the window's selectors and outlives them.
    CodingSelector(QComboBox *box, QStringList *chosen, QObject *parent = nullptr);

    // The entries every selector starts with, and the one that opens the full list.
    static const QStringList &fixedEntries();
    static QString moreEntry();
    // A chosen list as a selector can offer it: no duplicates, nothing empty,
    // none of the fixed entries nor "More…" (nor "Add / Remove", which earlier
    // versions offered).
    static void clean(QStringList &chosen);
    // "More…" adds to the list; beyond this many the oldest choice goes.
    static constexpr int maxChosenCodings = 10;

    QComboBox *box() const { return m_box; }
    QString entry() const;
    // The codec's name for the core ("Auto Detect" stays as it is).
    QString codecName() const;
    // Shows `entry`; one the selector does not offer joins the chosen codings.
    void setEntry(const QString &entry);
    // Rebuilds the entries from the chosen codings; the entry shown stays.
    void refill();

signals:
    // The chosen codings changed: the other selectors refill.
    void chosenChanged();

private:
    void entryChosen(int index);
    void addChosen(const QString &entry);
    QStringList entries() const;

    QComboBox *m_box;
    QStringList *m_chosen;
    QString m_last; // the entry before "More…" was chosen, to go back to on Cancel
};

// The window's three selectors (upper, lower, merged file) over one list of
// chosen codings, and how their entries are stored.
class CodingSelectors : public QObject
{
    Q_OBJECT
public:
    CodingSelectors(QComboBox *upper, QComboBox *lower, QComboBox *merged, QObject *parent = nullptr);

    CodingSelector *upper() const { return m_selectors[0]; }
    CodingSelector *lower() const { return m_selectors[1]; }
    CodingSelector *merged() const { return m_selectors[2]; }

    // Each selector comes back to its stored index among the fixed and
    // chosen entries (the first for an index out of that range).
    void restore(const Settings &settings);
    // The indexes count over the fixed and chosen entries only, so a selector
    // showing one of the most used codings adds it to the chosen ones.
    void store(Settings &settings) const;

private:
    QStringList m_chosen;
    CodingSelector *m_selectors[3];
};
