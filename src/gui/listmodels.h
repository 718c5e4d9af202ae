#pragma once
// List models over the engine's data, so that 20000 subtitles cost no 20000
// list items: a set's subtitles, the sync links, and the log (which is also
// the window's log sink).

#include "core/logsink.h"

#include <QAbstractListModel>
#include <QStringList>
#include <QVector>

class SubtitleSet;
class SyncLinks;

// "00:00:01,000 --> 00:00:02,500" as a time box shows it; a time before 0:00
// (a set shifted back) as "-00:00:09,657".
QString timeLineText(int start, int end);

// "0001 first line|second line" for every subtitle of a set.
class SubtitleListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    SubtitleListModel(const SubtitleSet &set, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The set got other subtitles (load): views lose their current row.
    void reload();
    // Texts changed, the rows stayed (strip).
    void textsChanged();

private:
    const SubtitleSet &m_set;
    int m_rows = 0;
};

// "0003 0005  00:00:09,000 Where are you… / 00:00:09,120 ¿Dónde estás?" for
// every link: both rows, their starts and the beginnings of their texts.
class LinkListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    LinkListModel(const SyncLinks &links, const SubtitleSet &upper, const SubtitleSet &lower,
                  QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    void reload();

private:
    const SyncLinks &m_links;
    const SubtitleSet &m_upper;
    const SubtitleSet &m_lower;
    int m_rows = 0;
};

class LogModel : public QAbstractListModel, public LogSink
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    void write(int level, const QString &line) override;

    const QStringList &lines() const { return m_lines; }
    int levelAt(int row) const { return m_levels.value(row, LogInfo); }

signals:
    void lineAdded(int row);

private:
    QStringList m_lines;
    QVector<int> m_levels;
};
