#include "gui/trackdlg.h"

#include "ui_trackdlg.h"

#include <QFileInfo>

TrackDlg::TrackDlg(const QString &path, const QVector<media::Track> &tracks, const QString &setName, int preselected,
                   QWidget *parent)
    : TrackDlg(path, tracks, preselected, -1, parent)
{
    m_twoLists = false;
    ui->upperLabel->setText(setName);
    ui->lowerLabel->hide();
    ui->lowerTrackList->hide();
}

TrackDlg::TrackDlg(const QString &path, const QVector<media::Track> &tracks, int upperPreselected, int lowerPreselected,
                   QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::TrackDlg)
    , m_tracks(tracks)
{
    ui->setupUi(this);
    ui->questionLabel->setText(tr("Subtitle tracks of %1").arg(QFileInfo(path).fileName()));
    fill(ui->upperTrackList, upperPreselected);
    fill(ui->lowerTrackList, lowerPreselected);
    // A double click chooses as OK does.
    for (QListWidget *list : {ui->upperTrackList, ui->lowerTrackList})
        connect(list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

TrackDlg::~TrackDlg() = default;

void TrackDlg::fill(QListWidget *list, int preselected)
{
    for (const media::Track &track : qAsConst(m_tracks)) {
        list->addItem(track.description());
        if (track.number == preselected)
            list->setCurrentRow(list->count() - 1);
    }
    if (list->currentRow() < 0 && list->count() > 0)
        list->setCurrentRow(0);
}

int TrackDlg::chosen(const QListWidget *list) const
{
    const int row = list->currentRow();
    return row >= 0 && row < m_tracks.size() ? m_tracks.at(row).number : -1;
}

int TrackDlg::upperTrack() const
{
    return chosen(ui->upperTrackList);
}

int TrackDlg::lowerTrack() const
{
    return m_twoLists ? chosen(ui->lowerTrackList) : -1;
}
