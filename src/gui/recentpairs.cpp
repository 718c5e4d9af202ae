#include "gui/recentpairs.h"

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
