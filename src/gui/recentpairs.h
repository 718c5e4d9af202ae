#pragma once
// The "Open Recent" menu: the last pairs of files worked on together, newest
// first, each with the coding each file was read in (and the track of a
// video), so that a pair reopens as it was read.

#include <QObject>
#include <QString>
#include <QVector>

class QToolButton;
class Settings;

struct RecentPair
{
    QString upper;
    QString lower;
    QString upperCoding; // a selector's entry; empty: the selector's own
    QString lowerCoding;
    int upperTrack = -1; // the track of a video, -1 for a subtitle file
    int lowerTrack = -1;
};

class RecentPairs : public QObject
{
    Q_OBJECT
public:
    static constexpr int maxPairs = 10;

    // Fills the menu of `button`, which is enabled while there are pairs.
    explicit RecentPairs(QToolButton *button, QObject *parent = nullptr);

    const QVector<RecentPair> &pairs() const { return m_pairs; }
    // At most `maxPairs`; pairs without both files are dropped.
    void setPairs(const QVector<RecentPair> &pairs);
    // Puts the pair first, replacing the same two files further down.
    void add(const RecentPair &pair);

    // Six lists of one length; stores of earlier versions have no codings or
    // tracks, and their pairs open in the selectors' codings.
    void restore(const Settings &settings);
    void store(Settings &settings) const;

signals:
    void chosen(const RecentPair &pair);

private:
    void fillMenu();

    QToolButton *m_button;
    QVector<RecentPair> m_pairs;
};
