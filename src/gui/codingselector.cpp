#include "gui/codingselector.h"

#include "core/codings.h"
#include "gui/prompts.h"
#include "gui/selectcodecdlg.h"
#include "gui/settings.h"

#include <QComboBox>

CodingSelector::CodingSelector(QComboBox *box, QStringList *chosen, QObject *parent)
    : QObject(parent)
    , m_box(box)
    , m_chosen(chosen)
{
    refill();
    m_box->setCurrentIndex(0);
    m_last = m_box->currentText();
    connect(m_box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CodingSelector::entryChosen);
}

const QStringList &CodingSelector::fixedEntries()
{
    static const QStringList entries {Codings::autoDetect(), Codings::autoLocal(), QStringLiteral("UTF-8")};
    return entries;
}

QString CodingSelector::moreEntry()
{
    return tr("More…");
}

void CodingSelector::clean(QStringList &chosen)
{
    chosen.removeDuplicates();
    // A hand-edited store may name a selector's own entries; restored as
    // current, they could open the dialog without end.
    chosen.removeAll(QString());
    for (const QString &fixed : fixedEntries())
        chosen.removeAll(fixed);
    chosen.removeAll(moreEntry());
    chosen.removeAll(QStringLiteral("Add / Remove"));
}

QString CodingSelector::entry() const
{
    return m_box->currentText();
}

QString CodingSelector::codecName() const
{
    return Codings::codecNameOf(entry());
}

void CodingSelector::setEntry(const QString &entry)
{
    if (entry.isEmpty() || entry == moreEntry())
        return;
    if (m_box->findText(entry) < 0) {
        addChosen(entry);
        refill();
        emit chosenChanged();
    }
    const int found = m_box->findText(entry);
    if (found >= 0)
        m_box->setCurrentIndex(found);
}

// The fixed entries, the chosen codings and the ones people use most.
QStringList CodingSelector::entries() const
{
    QStringList entries = fixedEntries() + *m_chosen;
    for (const QString &common : Codings::commonList()) {
        if (!entries.contains(common))
            entries << common;
    }
    return entries << moreEntry();
}

void CodingSelector::refill()
{
    const QString shown = m_box->currentText();
    const QSignalBlocker blocker(m_box);
    m_box->clear();
    const QStringList items = entries();
    m_box->addItems(items);
    m_box->setCurrentIndex(shown == moreEntry() ? 0 : qMax(0, items.indexOf(shown)));
    m_last = m_box->currentText();
}

void CodingSelector::addChosen(const QString &entry)
{
    if (fixedEntries().contains(entry) || m_chosen->contains(entry))
        return;
    m_chosen->append(entry);
    while (m_chosen->size() > maxChosenCodings)
        m_chosen->removeFirst();
}

void CodingSelector::entryChosen(int index)
{
    if (m_box->itemText(index) != moreEntry()) {
        if (index >= 0)
            m_last = m_box->itemText(index);
        return;
    }
    const QString before = m_last;
    QString chosen;
    {
        SelectCodecDlg dialog(Codings::fixedList(), before, m_box->window());
        if (prompts().run(dialog) == QDialog::Accepted)
            chosen = dialog.chosen();
    }
    if (!chosen.isEmpty())
        addChosen(chosen);
    {
        // Back to the entry before until the lists are rebuilt, so that
        // refilling never sees "More…" as the entry shown.
        const QSignalBlocker blocker(m_box);
        m_box->setCurrentIndex(qMax(0, m_box->findText(before)));
    }
    refill();
    emit chosenChanged();
    // The choice is made at once; a cancelled dialog leaves the entry the
    // selector had.
    const int found = m_box->findText(chosen.isEmpty() ? before : chosen);
    m_box->setCurrentIndex(found >= 0 ? found : 0);
}

namespace {

using Key = Settings::Key;
constexpr Key storedUnder[3] = {Key::UpperCoding, Key::LowerCoding, Key::SaveCoding};

} // namespace

CodingSelectors::CodingSelectors(QComboBox *upper, QComboBox *lower, QComboBox *merged, QObject *parent)
    : QObject(parent)
    , m_selectors {new CodingSelector(upper, &m_chosen, this), new CodingSelector(lower, &m_chosen, this),
                   new CodingSelector(merged, &m_chosen, this)}
{
    // A coding chosen in one selector is offered by all.
    for (CodingSelector *selector : m_selectors)
        connect(selector, &CodingSelector::chosenChanged, this, [this, selector] {
            for (CodingSelector *other : m_selectors)
                if (other != selector)
                    other->refill();
        });
}

void CodingSelectors::restore(const Settings &settings)
{
    m_chosen = settings.value(Key::ChosenCodings).toStringList();
    const QStringList storable = CodingSelector::fixedEntries() + m_chosen;
    for (int i = 0; i < 3; ++i) {
        m_selectors[i]->refill();
        const qint64 stored = settings.value(storedUnder[i]).toLongLong();
        m_selectors[i]->setEntry(storable.value(stored >= 0 && stored < storable.size() ? int(stored) : 0));
    }
}

void CodingSelectors::store(Settings &settings) const
{
    QStringList chosen = m_chosen;
    for (const CodingSelector *selector : m_selectors) {
        const QString entry = selector->entry();
        if (!entry.isEmpty() && entry != CodingSelector::moreEntry() && !CodingSelector::fixedEntries().contains(entry)
            && !chosen.contains(entry))
            chosen << entry;
    }
    const QStringList storable = CodingSelector::fixedEntries() + chosen;
    settings.setValue(Key::ChosenCodings, chosen);
    for (int i = 0; i < 3; ++i)
        settings.setValue(storedUnder[i], qMax(0, storable.indexOf(m_selectors[i]->entry())));
}
