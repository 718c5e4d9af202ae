#include "gui/recentpairs.h"

#include "gui/settings.h"

#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

RecentPairs::RecentPairs(QToolButton *button, QObject *parent)
    : QObject(parent)
    , m_button(button)
{
    if (!m_button->menu())
        m_button->setMenu(new QMenu(m_button));
    m_button->menu()->setToolTipsVisible(true);
    fillMenu();
}

void RecentPairs::setPairs(const QVector<RecentPair> &pairs)
{
    m_pairs.clear();
    for (const RecentPair &pair : pairs) {
        if (!pair.upper.isEmpty() && !pair.lower.isEmpty() && m_pairs.size() < maxPairs)
            m_pairs << pair;
    }
    fillMenu();
}

void RecentPairs::add(const RecentPair &pair)
{
    if (pair.upper.isEmpty() || pair.lower.isEmpty())
        return;
    for (int i = m_pairs.size() - 1; i >= 0; --i) {
        if (m_pairs.at(i).upper == pair.upper && m_pairs.at(i).lower == pair.lower)
            m_pairs.removeAt(i);
    }
    m_pairs.prepend(pair);
    m_pairs.resize(qMin(m_pairs.size(), int(maxPairs)));
    fillMenu();
}

void RecentPairs::fillMenu()
{
    QMenu *menu = m_button->menu();
    menu->clear();
    for (const RecentPair &pair : qAsConst(m_pairs)) {
        QAction *action = menu->addAction(
            QStringLiteral("%1 + %2").arg(QFileInfo(pair.upper).fileName(), QFileInfo(pair.lower).fileName()));
        action->setToolTip(pair.upper + QLatin1Char('\n') + pair.lower);
        connect(action, &QAction::triggered, this, [this, pair] { emit chosen(pair); });
    }
    m_button->setEnabled(!m_pairs.isEmpty());
}

void RecentPairs::restore(const Settings &settings)
{
    using Key = Settings::Key;
    const QStringList uppers = settings.value(Key::RecentUpper).toStringList();
    const QStringList lowers = settings.value(Key::RecentLower).toStringList();
    const QStringList upperCodings = settings.value(Key::RecentUpperCoding).toStringList();
    const QStringList lowerCodings = settings.value(Key::RecentLowerCoding).toStringList();
    // Both lists must be pairs; a hand-edited store may disagree.
    QVector<RecentPair> pairs;
    for (int i = 0; i < qMin(uppers.size(), lowers.size()); ++i)
        pairs.append({uppers.at(i), lowers.at(i), upperCodings.value(i), lowerCodings.value(i)});
    setPairs(pairs);
}

void RecentPairs::store(Settings &settings) const
{
    using Key = Settings::Key;
    QStringList lists[4];
    for (const RecentPair &pair : m_pairs) {
        lists[0] << pair.upper;
        lists[1] << pair.lower;
        lists[2] << pair.upperCoding;
        lists[3] << pair.lowerCoding;
    }
    settings.setValue(Key::RecentUpper, lists[0]);
    settings.setValue(Key::RecentLower, lists[1]);
    settings.setValue(Key::RecentUpperCoding, lists[2]);
    settings.setValue(Key::RecentLowerCoding, lists[3]);
}
