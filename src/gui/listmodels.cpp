#include "gui/listmodels.h"

#include "core/formats.h"
#include "core/subtitleset.h"
#include "core/synclinks.h"

#include <QColor>

#include <climits>

namespace {

QString signedTime(int ms)
{
    return ms < 0 ? QLatin1Char('-') + formatTime(ms == INT_MIN ? INT_MAX : -ms) : formatTime(ms);
}

} // namespace

QString timeLineText(int start, int end)
{
    return signedTime(start) + QLatin1String(" --> ") + signedTime(end);
}

SubtitleListModel::SubtitleListModel(const SubtitleSet &set, QObject *parent)
    : QAbstractListModel(parent)
    , m_set(set)
    , m_rows(set.count)
{
}

int SubtitleListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

QVariant SubtitleListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows || index.row() >= m_set.count)
        return QVariant();
    return QString::number(index.row() + 1).rightJustified(4, QLatin1Char('0')) + QLatin1Char(' ')
        + m_set.at(index.row()).text;
}

void SubtitleListModel::reload()
{
    beginResetModel();
    m_rows = m_set.count;
    endResetModel();
}

void SubtitleListModel::textsChanged()
{
    if (m_rows != m_set.count) {
        reload();
        return;
    }
    if (m_rows > 0)
        emit dataChanged(index(0), index(m_rows - 1), {Qt::DisplayRole});
}

LinkListModel::LinkListModel(const SyncLinks &links, const SubtitleSet &upper, const SubtitleSet &lower,
                             QObject *parent)
    : QAbstractListModel(parent)
    , m_links(links)
    , m_upper(upper)
    , m_lower(lower)
    , m_rows(links.count())
{
}

namespace {

// Enough of a text to recognise the line by, short enough for both to show.
constexpr int linkTextLength = 14;

// "00:00:09,000 Where are you going?" with the lines joined, shortened.
QString rowSummary(const SubtitleSet &set, int row, int length = linkTextLength)
{
    if (row < 0 || row >= set.count)
        return QString();
    QString text = set.at(row).text;
    text.replace(QLatin1Char('|'), QLatin1Char(' '));
    if (text.size() > length)
        text = text.left(length - 1) + QChar(0x2026);
    return signedTime(set.at(row).start) + QLatin1Char(' ') + text;
}

} // namespace

int LinkListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

QVariant LinkListModel::data(const QModelIndex &index, int role) const
{
    const bool tip = role == Qt::ToolTipRole;
    if ((role != Qt::DisplayRole && !tip) || !index.isValid() || index.row() >= m_rows
        || index.row() >= m_links.count())
        return QVariant();
    // The tooltip has the whole texts.
    const int length = tip ? INT_MAX : linkTextLength;
    const SyncLinks::Link &link = m_links.at(index.row());
    return m_links.label(index.row()) + QLatin1String(tip ? "\n" : "  ") + rowSummary(m_upper, link.upperRow, length)
        + QLatin1String(tip ? "\n" : " / ") + rowSummary(m_lower, link.lowerRow, length);
}

void LinkListModel::reload()
{
    beginResetModel();
    m_rows = m_links.count();
    endResetModel();
}

int LogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_lines.size();
}

QVariant LogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_lines.at(index.row());
    // Errors stand out.
    if (role == Qt::ForegroundRole && m_levels.at(index.row()) == LogError)
        return QColor(Qt::red);
    return QVariant();
}

void LogModel::write(int level, const QString &line)
{
    const int row = m_lines.size();
    beginInsertRows(QModelIndex(), row, row);
    m_lines.append(line);
    m_levels.append(level);
    endInsertRows();
    emit lineAdded(row);
}
