#pragma once
// One set's side of the window: its list over a model of the set, the time
// box of the current subtitle (its own times, or the merge times after
// Process & Save), and the title naming the set and its file.

#include "gui/listmodels.h"

#include <QObject>

#include <utility>

class QLabel;
class QListView;
class QListWidget;

class SetView : public QObject
{
    Q_OBJECT
public:
    // `name` is what the window calls the set ("Upper").
    SetView(const SubtitleSet &set, const QString &name, QListView *list, QListWidget *timeBox, QLabel *title,
            QObject *parent = nullptr);

    const SubtitleSet &set() const { return m_set; }
    QListView *list() const { return m_list; }
    // "Upper: film.en.srt", "Upper" while no file is loaded.
    QString title() const;

    // The current row, -1 for none.
    int selectedRow() const;
    // Makes a row of the set current and shows it; other rows are ignored.
    void selectRow(int row);
    // The first and the last row the list shows (-1 for none).
    std::pair<int, int> listedRows() const;

    // The set got other subtitles (load): the list loses its current row.
    void reload();
    // The texts changed, the rows stayed (strip).
    void textsChanged();
    // The time box shows the merge times until the set's own times change.
    void showMergeTimes(bool on);
    void showTimes();

signals:
    void currentRowChanged(int row);
    void listedRowsChanged();
    void rowDoubleClicked(int row);

private:
    const SubtitleSet &m_set;
    QString m_name;
    SubtitleListModel m_model;
    QListView *m_list;
    QListWidget *m_timeBox;
    QLabel *m_title;
    bool m_mergeTimes = false;
};
