#pragma once
// The question which text track of a video to read: one list for one set, or
// two (upper and lower) when one video gives both sets at once. Picture
// tracks are listed too, as the file has them; choosing one is refused when
// it is read.

#include "media/videofile.h"

#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class TrackDlg;
}

class QListWidget;

class TrackDlg : public QDialog
{
    Q_OBJECT
public:
    // One list, for the set named by `setName` ("Upper"), opened on track `preselected`.
    TrackDlg(const QString &path, const QVector<media::Track> &tracks, const QString &setName, int preselected,
             QWidget *parent = nullptr);
    // Two lists, for the upper and the lower set.
    TrackDlg(const QString &path, const QVector<media::Track> &tracks, int upperPreselected, int lowerPreselected,
             QWidget *parent = nullptr);
    ~TrackDlg() override;

    // The chosen tracks' numbers; the lower one is -1 with one list.
    int upperTrack() const;
    int lowerTrack() const;

private:
    QScopedPointer<Ui::TrackDlg> ui;
    QVector<media::Track> m_tracks;
    bool m_twoLists = true;

    void fill(QListWidget *list, int preselected);
    int chosen(const QListWidget *list) const;
};
