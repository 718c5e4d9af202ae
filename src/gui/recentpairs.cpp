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
        const RecentPair &old = m_pairs.at(i);
        if (old.upper == pair.upper && old.lower == pair.lower && old.upperTrack == pair.upperTrack
            && old.lowerTrack == pair.lowerTrack)
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
        const auto name = [](const QString &path, int track) {
            const QString fileName = QFileInfo(path).fileName();
            return track < 0 ? fileName : QStringLiteral("%1 #%2").arg(fileName).arg(track);
        };
        QAction *action = menu->addAction(
            QStringLiteral("%1 + %2").arg(name(pair.upper, pair.upperTrack), name(pair.lower, pair.lowerTrack)));
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
    const QStringList upperTracks = settings.value(Key::RecentUpperTrack).toStringList();
    const QStringList lowerTracks = settings.value(Key::RecentLowerTrack).toStringList();
    const auto track = [](const QStringList &tracks, int i) {
        bool ok = false;
        const int number = tracks.value(i).toInt(&ok);
        return ok && number >= 0 ? number : -1;
    };
    // Both lists must be pairs; a hand-edited store may disagree.
    QVector<RecentPair> pairs;
    for (int i = 0; i < qMin(uppers.size(), lowers.size()); ++i)
        pairs.append({uppers.at(i), lowers.at(i), upperCodings.value(i), lowerCodings.value(i), track(upperTracks, i),
                      track(lowerTracks, i)});
    setPairs(pairs);
}

void RecentPairs::store(Settings &settings) const
{
    using Key = Settings::Key;
    QStringList lists[6];
    for (const RecentPair &pair : m_pairs) {
        lists[0] << pair.upper;
        lists[1] << pair.lower;
        lists[2] << pair.upperCoding;
        lists[3] << pair.lowerCoding;
        lists[4] << QString::number(pair.upperTrack);
        lists[5] << QString::number(pair.lowerTrack);
    }
    settings.setValue(Key::RecentUpper, lists[0]);
    settings.setValue(Key::RecentLower, lists[1]);
    settings.setValue(Key::RecentUpperCoding, lists[2]);
    settings.setValue(Key::RecentLowerCoding, lists[3]);
    settings.setValue(Key::RecentUpperTrack, lists[4]);
    settings.setValue(Key::RecentLowerTrack, lists[5]);
}
