#pragma once
// The single window: the wiring of its parts and the user's actions (load,
// save, timing, strip, synchronize, Process & Save). The window owns what the
// user sees and selects; the session owns the subtitles. Its parts have
// classes of their own: the set views, the link panel, the coding selectors,
// the recent pairs, the preview panel, file drops and the settings.

#include "core/session.h"
#include "gui/listmodels.h"
#include "gui/settings.h"

#include <QMainWindow>
#include <QScopedPointer>

namespace Ui {
class MainWindow;
}

namespace media {
class VideoFile;
}

class CodingSelector;
class CodingSelectors;
class PreviewPanel;
class QResizeEvent;
class QSettings;
class SafeWriter;
class LinkPanel;
class RecentPairs;
class SetView;
class TimelineView;
struct RecentPair;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // `store` (may be null: nothing is read or written) holds the settings;
    // they are restored here and stored when the window is destroyed.
    explicit MainWindow(QSettings *store, QWidget *parent = nullptr);
    ~MainWindow() override;

    Session &session() { return m_session; }
    TimelineView *timeline() const { return m_timeline; }
    // The settings as they would be stored now.
    const Settings &settings() const;
    // The row selected in a set's list, -1 for none.
    int selectedRow(const SubtitleSet &set) const;
    void selectRow(const SubtitleSet &set, int row);
    // Where Process & Save proposes to write: beside the upper file, named
    // after it and the lower file's language, in the format last written.
    QString suggestedMergeName() const;
    // Loads `paths` as a drop does: two or more give the upper and the lower
    // set; one goes into `target`, or without one into the upper set while
    // that is empty, else into the lower. One video with two text tracks or
    // more dropped without a target gives both sets, from tracks chosen in
    // one dialog.
    void loadDropped(const QStringList &paths, SubtitleSet *target);

public slots:
    void loadUpper();
    void loadLower();
    void autoLink();
    void processAndSave();
    void donate();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QScopedPointer<Ui::MainWindow> ui;
    LogModel m_log;
    Session m_session;
    // Brought up to date with the controls whenever they are read.
    mutable Settings m_settings;
    TimelineView *m_timeline;
    CodingSelectors *m_codings;
    RecentPairs *m_recent;
    LinkPanel *m_links;
    PreviewPanel *m_preview;
    SetView *m_views[2]; // upper, lower
    QString m_readCoding[2]; // the coding each set's file was read in, for the recent pairs

    int sideOf(const SubtitleSet &set) const { return &set == &m_session.upper ? 0 : 1; }
    CodingSelector *codingOf(const SubtitleSet &set) const;
    void connectControls();
    void readProcessingOptions();
    void showCurrent(const SubtitleSet &set);
    void timesChanged(SubtitleSet &set);
    void refreshTimeline();
    void showListedRows(const SubtitleSet &set);
    void jumpToNearest(const SubtitleSet &from, int row);

    void load(SubtitleSet &set, const QString &caption);
    // `coding` (a codec's name) instead of the set's selector, when given;
    // `track` of a video instead of the question which one.
    void loadPath(SubtitleSet &set, const QString &name, const QString &coding = QString(), int track = -1);
    void rememberLoadDir(const QString &path);
    std::optional<Session::PreparedLoad> prepareVideoLoad(SubtitleSet &set, const QString &path, int track,
                                                          const QString &codecName);
    // The track a set takes first in the question: see media::preferredTrack().
    int preferredTrack(const media::VideoFile &video, const SubtitleSet &set, int otherTrack = -1) const;
    bool loadBothTracks(const QString &path);
    void loadPair(const RecentPair &pair);
    void rememberPair();
    void showPreviews();
    struct SaveTarget
    {
        QString name;
        std::unique_ptr<SafeWriter> writer; // none: cancelled or not writable
        int rate = 0;
        bool videoCopy = false; // a copy of the sets' video, written by the media layer
    };
    SaveTarget askSaveTarget(const SubtitleSet &set, const QString &caption, const QString &proposed,
                             const QString &filters, QString filter, bool videoCopy = false);
    // The format of the merged track in a copy of a video.
    SubtitleFormat trackFormat() const;
    QString mergeFilterList() const;
    void save(SubtitleSet &set, const QString &caption);
    void correctTiming(SubtitleSet &set);
    void strip(SubtitleSet &set);
    void synchronize(SubtitleSet &set);

    // The prompt for `path`, opened on the rate it declares or else the entry
    // stored under `entryKey`; 0 when cancelled.
    int askFrameRate(Settings::Key entryKey, const QString &path, int declaredRate = 0);
    void restoreSettings();
    void collectSettings() const;
    void storeSettings();
};
