#include "gui/mainwindow.h"

#include "core/textfile.h"
#include "gui/aboutdlg.h"
#include "gui/codingselector.h"
#include "gui/filedrops.h"
#include "gui/frameratedlg.h"
#include "gui/linkpanel.h"
#include "gui/previewpanel.h"
#include "gui/prompts.h"
#include "gui/recentpairs.h"
#include "gui/savename.h"
#include "gui/settings.h"
#include "gui/setview.h"
#include "gui/stripdlg.h"
#include "gui/timelineview.h"
#include "gui/timingdlg.h"
#include "gui/trackdlg.h"
#include "gui/workprogress.h"
#include "media/languages.h"
#include "media/videoload.h"

#include "ui_mainwindow.h"
#include "version.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>

namespace {

using Key = Settings::Key;

constexpr int logLinesShown = 6;

// The set's name in the window ("Upper").
QString setName(const SubtitleSet &set)
{
    return set.logPrefix == QLatin1String("Up: ") ? MainWindow::tr("Upper") : MainWindow::tr("Lower");
}

} // namespace

MainWindow::MainWindow(QSettings *store, QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , m_session(m_log)
    , m_settings(store)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Twinscript " TWINSCRIPT_VERSION));
    // Under the lists, so that rows, bars and links are seen together.
    m_timeline = ui->timelineView;
    m_timeline->setSources(&m_session.upper, &m_session.lower, &m_session.links);
    m_timeline->setTitles(tr("Upper"), tr("Lower"));
    m_views[0] = new SetView(m_session.upper, tr("Upper"), ui->upperList, ui->upperTimeBox, ui->upperTitle, this);
    m_views[1] = new SetView(m_session.lower, tr("Lower"), ui->lowerList, ui->lowerTimeBox, ui->lowerTitle, this);
    ui->logList->setModel(&m_log);
    ui->logList->setUniformItemSizes(true);
    // The lists get the room; the processing controls keep their height; the
    // log shows at least a few lines and grows with the window too.
    const int stretch[] = {4, 1, 0, 1};
    for (int i = 0; i < 4; ++i)
        ui->mainSplitter->setStretchFactor(i, stretch[i]);

    auto *drops = new FileDrops(this);
    drops->watch(this, -1);
    drops->watch(ui->upperList->viewport(), 0);
    drops->watch(ui->lowerList->viewport(), 1);
    connect(drops, &FileDrops::dropped, this, [this](const QStringList &files, int side) {
        statusBar()->clearMessage();
        loadDropped(files, side < 0 ? nullptr : side == 0 ? &m_session.upper : &m_session.lower);
    });

    // An error stays in the status bar until the next action; connected
    // before the actions, so that the action's own errors show.
    for (QAbstractButton *button : findChildren<QAbstractButton *>())
        connect(button, &QAbstractButton::pressed, statusBar(), &QStatusBar::clearMessage);
    m_links = new LinkPanel(
        {ui->linkList, ui->addLinkButton, ui->autoLinkButton, ui->deleteLinkButton, ui->clearLinksButton}, m_session,
        m_views[0], m_views[1], m_timeline, this);
    m_codings = new CodingSelectors(ui->upperCodingBox, ui->lowerCodingBox, ui->saveCodingBox, this);
    m_recent = new RecentPairs(ui->recentButton, this);
    m_preview = new PreviewPanel({ui->colorTagsCheckBox,
                                  {ui->upperRedSlider, ui->upperGreenSlider, ui->upperBlueSlider},
                                  {ui->lowerRedSlider, ui->lowerGreenSlider, ui->lowerBlueSlider},
                                  ui->upperPreview,
                                  ui->lowerPreview,
                                  ui->mergedPreview,
                                  {ui->upperSwatch, ui->lowerSwatch}},
                                 m_session, this);

    ui->donateButton->setVisible(!donationUrl().isEmpty());
    connectControls();
    // The shortcuts are the form's; the tooltips name them.
    for (QAbstractButton *button : findChildren<QAbstractButton *>()) {
        if (!button->shortcut().isEmpty())
            button->setToolTip(QStringLiteral("%1 (%2)").arg(
                button->toolTip().isEmpty() ? button->text().remove(QLatin1Char('&')) : button->toolTip(),
                button->shortcut().toString(QKeySequence::NativeText)));
    }
    restoreSettings();
    setFont(QFont(QStringLiteral("Arial"), 9));
    // A row is a line and the item's margins.
    const int logRow = ui->logList->fontMetrics().lineSpacing() + 3;
    ui->logList->setMinimumHeight(logLinesShown * logRow + 2 * ui->logList->frameWidth());
}

MainWindow::~MainWindow()
{
    storeSettings();
}

const Settings &MainWindow::settings() const
{
    collectSettings();
    return m_settings;
}

void MainWindow::connectControls()
{
    connect(ui->loadUpperButton, &QPushButton::clicked, this, &MainWindow::loadUpper);
    connect(ui->loadLowerButton, &QPushButton::clicked, this, &MainWindow::loadLower);
    // Each set's buttons act on that set.
    const struct
    {
        QAbstractButton *save, *timing, *strip, *synchronize;
        SubtitleSet &set;
        const char *saveCaption;
    } sides[] = {{ui->saveUpperButton, ui->upperTimingButton, ui->stripUpperButton, ui->syncUpperButton,
                  m_session.upper, QT_TR_NOOP("Save upper subtitles")},
                 {ui->saveLowerButton, ui->lowerTimingButton, ui->stripLowerButton, ui->syncLowerButton,
                  m_session.lower, QT_TR_NOOP("Save lower subtitles")}};
    for (const auto &side : sides) {
        SubtitleSet *set = &side.set;
        const QString caption = tr(side.saveCaption);
        connect(side.save, &QPushButton::pressed, this, [this, set, caption] { save(*set, caption); });
        connect(side.timing, &QPushButton::pressed, this, [this, set] { correctTiming(*set); });
        connect(side.strip, &QPushButton::pressed, this, [this, set] { strip(*set); });
        connect(side.synchronize, &QPushButton::pressed, this, [this, set] { synchronize(*set); });
    }
    connect(ui->processButton, &QPushButton::pressed, this, &MainWindow::processAndSave);
    connect(ui->aboutButton, &QPushButton::pressed, this, [this] {
        AboutDlg dialog(m_settings.value(Key::Language).toString(), this);
        prompts().run(dialog);
        m_settings.setValue(Key::Language, dialog.language());
    });
    connect(ui->donateButton, &QPushButton::pressed, this, &MainWindow::donate);
    connect(ui->quitButton, &QPushButton::pressed, qApp, &QCoreApplication::quit);
    connect(m_links, &LinkPanel::linked, this, &MainWindow::rememberPair);

    for (SetView *view : m_views) {
        connect(view, &SetView::currentRowChanged, this, [this, view](int row) {
            if (row >= 0)
                m_preview->setFrameRow(view == m_views[0], row);
            showCurrent(view->set());
            m_timeline->setCurrentRows(m_views[0]->selectedRow(), m_views[1]->selectedRow());
        });
        connect(view, &SetView::listedRowsChanged, this, [this, view] { showListedRows(view->set()); });
        connect(view, &SetView::rowDoubleClicked, this, [this, view](int row) { jumpToNearest(view->set(), row); });
    }
    // The newest line comes into view; selecting it would hide an error's red.
    connect(&m_log, &LogModel::lineAdded, this, [this](int row) {
        ui->logList->scrollTo(m_log.index(row));
        if (m_log.levelAt(row) == LogError)
            statusBar()->showMessage(m_log.lines().at(row));
    });
    connect(m_timeline, &TimelineView::subtitleClicked, this, [this](bool upperSet, int row) {
        const SubtitleSet &set = upperSet ? m_session.upper : m_session.lower;
        selectRow(set, row);
        m_views[sideOf(set)]->list()->scrollTo(m_views[sideOf(set)]->list()->currentIndex());
    });
    for (QSpinBox *box : {ui->cpsSpinBox, ui->gapSpinBox, ui->snapSpinBox, ui->bottomLinesSpinBox})
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, &MainWindow::showPreviews);
    connect(ui->joinLinesCheckBox, &QCheckBox::toggled, this, &MainWindow::showPreviews);
    for (QComboBox *box : {ui->lastLineBox, ui->upperPositionBox})
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &MainWindow::showPreviews);

    connect(m_recent, &RecentPairs::chosen, this, &MainWindow::loadPair);
    connect(m_preview, &PreviewPanel::colorsChanged, this, [this] {
        m_timeline->setColors(QColor(QRgb(m_preview->upperColor())), QColor(QRgb(m_preview->lowerColor())));
        showPreviews();
    });
}

CodingSelector *MainWindow::codingOf(const SubtitleSet &set) const
{
    if (&set == &m_session.merged)
        return m_codings->merged();
    return sideOf(set) == 0 ? m_codings->upper() : m_codings->lower();
}

int MainWindow::selectedRow(const SubtitleSet &set) const
{
    return m_views[sideOf(set)]->selectedRow();
}

void MainWindow::selectRow(const SubtitleSet &set, int row)
{
    m_views[sideOf(set)]->selectRow(row);
}

void MainWindow::readProcessingOptions()
{
    // What the controls show, not yet what is stored: the controls may still
    // be being restored.
    Settings shown(nullptr);
    shown.takeFrom(this);
    m_preview->store(shown);
    m_session.options = shown.processingOptions();
}

void MainWindow::showCurrent(const SubtitleSet &set)
{
    const int row = selectedRow(set);
    m_preview->showSubtitle(sideOf(set) == 0, row >= 0 && row < set.count ? &set.at(row) : nullptr);
    m_preview->refreshColors();
    showPreviews();
}

void MainWindow::timesChanged(SubtitleSet &set)
{
    m_views[sideOf(set)]->showMergeTimes(false);
    m_preview->setsChanged();
    showCurrent(set);
    refreshTimeline();
}

void MainWindow::refreshTimeline()
{
    m_timeline->refresh();
    m_timeline->setCurrentRows(selectedRow(m_session.upper), selectedRow(m_session.lower));
    showListedRows(m_session.upper);
    showListedRows(m_session.lower);
    m_links->refresh();
}

void MainWindow::showListedRows(const SubtitleSet &set)
{
    const std::pair<int, int> rows = m_views[sideOf(set)]->listedRows();
    m_timeline->setShownRows(sideOf(set) == 0, rows.first, rows.second);
}

void MainWindow::jumpToNearest(const SubtitleSet &from, int row)
{
    const SubtitleSet &other = m_session.otherSet(from);
    selectRow(other, other.nearestRow(from.startOf(row)));
}

void MainWindow::loadUpper()
{
    load(m_session.upper, tr("Load upper subtitles"));
}

void MainWindow::loadLower()
{
    load(m_session.lower, tr("Load lower subtitles"));
}

void MainWindow::load(SubtitleSet &set, const QString &caption)
{
    loadPath(set, prompts().openFileName(this, caption, m_settings.value(Key::LoadDir).toString(), openFilter()));
}

void MainWindow::rememberLoadDir(const QString &path)
{
    const QString dir = QFileInfo(path).absolutePath();
    if (dir != m_settings.value(Key::LoadDir).toString()) {
        m_settings.setValue(Key::LoadDir, dir);
        m_settings.setValue(Key::SaveDir, dir);
    }
}

int MainWindow::preferredTrack(const media::VideoFile &video, const SubtitleSet &set, int otherTrack) const
{
    const SubtitleSet &other = &set == &m_session.upper ? m_session.lower : m_session.upper;
    if (otherTrack < 0 && other.filePath == QFileInfo(video.path()).absoluteFilePath())
        otherTrack = other.track;
    return media::preferredTrack(video, media::languageOfSet(set), media::languageOfSet(other), otherTrack);
}

std::optional<Session::PreparedLoad> MainWindow::prepareVideoLoad(SubtitleSet &set, const QString &path, int track,
                                                                  const QString &codecName)
{
    media::VideoFile video;
    if (!media::openForSet(video, path, set, m_log))
        return std::nullopt;
    if (!video.track(track)) {
        TrackDlg dialog(path, video.tracks(), setName(set), preferredTrack(video, set), this);
        if (prompts().run(dialog) != QDialog::Accepted) {
            m_log.log(LogInfo, set.logPrefix, QStringLiteral("load cancelled"));
            return std::nullopt;
        }
        track = dialog.upperTrack();
    }
    WorkProgress progress(this, tr("Reading %1").arg(QFileInfo(path).fileName()));
    return media::readTrack(m_session, video, track, set, codecName, progress.callback());
}

bool MainWindow::loadBothTracks(const QString &path)
{
    media::VideoFile video;
    QString error;
    if (!video.open(path, &error))
        return false;
    const auto texts = std::count_if(video.tracks().begin(), video.tracks().end(),
                                     [](const media::Track &t) { return t.kind == media::TrackKind::Text; });
    if (texts < 2)
        return false;
    const int upper = preferredTrack(video, m_session.upper);
    TrackDlg dialog(path, video.tracks(), upper, preferredTrack(video, m_session.lower, upper), this);
    if (prompts().run(dialog) != QDialog::Accepted) {
        m_log.log(LogInfo, m_session.upper.logPrefix, QStringLiteral("load cancelled"));
        return true;
    }
    loadPair({path, path, QString(), QString(), dialog.upperTrack(), dialog.lowerTrack()});
    return true;
}

void MainWindow::loadPath(SubtitleSet &set, const QString &name, const QString &coding, int track)
{
    const bool append = ui->appendCheckBox->isChecked();
    for (SetView *view : m_views)
        view->showMergeTimes(false);
    readProcessingOptions();
    QByteArray bytes;
    std::optional<Session::PreparedLoad> prepared;
    if (!name.isEmpty() && media::isVideoFile(name)) {
        rememberLoadDir(name);
        prepared = prepareVideoLoad(set, name, track, coding.isEmpty() ? codingOf(set)->codecName() : coding);
    } else if (m_session.readFile(set, name, &bytes)) {
        rememberLoadDir(name);
        prepared = m_session.prepareLoad(set, bytes, name, coding.isEmpty() ? codingOf(set)->codecName() : coding);
    }
    int rate = set.frameRate;
    if (prepared && formatInfo(prepared->format).needsFrameRate) {
        rate = askFrameRate(Key::LoadFrameRate, name, prepared->declaredFrameRate);
        // A cancelled prompt loads nothing.
        if (rate == 0)
            prepared.reset();
    }
    if (prepared) {
        const int first = append ? set.count : 0;
        const int links = m_session.links.count();
        m_session.loadPrepared(set, *prepared, rate, append);
        if (m_session.links.count() < links)
            m_log.log(LogWarning, set.logPrefix,
                      QStringLiteral("%1 links removed").arg(links - m_session.links.count()));
        if (!append)
            m_readCoding[sideOf(set)] = prepared->coding;
        m_preview->setsChanged();
        m_views[sideOf(set)]->reload();
        m_timeline->setTitles(m_views[0]->title(), m_views[1]->title());
        m_links->reload();
        selectRow(set, first);
        showCurrent(set);
        refreshTimeline();
    }
    ui->appendCheckBox->setChecked(false);
    m_links->refresh();
}

// Only pairs worked on together are remembered, not every combination that
// happened to be loaded.
void MainWindow::rememberPair()
{
    m_recent->add({m_session.upper.filePath, m_session.lower.filePath, m_readCoding[0], m_readCoding[1],
                   m_session.upper.track, m_session.lower.track});
}

void MainWindow::loadPair(const RecentPair &pair)
{
    statusBar()->clearMessage();
    // A pair replaces both sets, whatever "Append" says.
    ui->appendCheckBox->setChecked(false);
    loadPath(m_session.upper, pair.upper, pair.upperCoding, pair.upperTrack);
    ui->appendCheckBox->setChecked(false);
    loadPath(m_session.lower, pair.lower, pair.lowerCoding, pair.lowerTrack);
}

void MainWindow::loadDropped(const QStringList &paths, SubtitleSet *target)
{
    if (paths.isEmpty())
        return;
    if (paths.size() >= 2) {
        loadPair({paths.at(0), paths.at(1), QString(), QString()});
        return;
    }
    if (!target && media::isVideoFile(paths.first()) && loadBothTracks(paths.first()))
        return;
    if (!target)
        target = m_session.upper.count == 0 ? &m_session.upper : &m_session.lower;
    loadPath(*target, paths.first());
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    m_preview->refreshColors();
    showPreviews();
}

void MainWindow::showPreviews()
{
    readProcessingOptions();
    m_preview->showFrame(m_session.options);
}

// The file name first, then the target, then a MicroDVD file's rate: a
// cancel at any step is logged once and leaves everything as it was.
MainWindow::SaveTarget MainWindow::askSaveTarget(const SubtitleSet &set, const QString &caption,
                                                 const QString &proposed, const QString &filters, QString filter,
                                                 bool videoCopy)
{
    SaveTarget target;
    target.name = withSuffix(prompts().chooseSaveFile(this, caption, proposed, filters, &filter), filter);
    target.videoCopy = videoCopy && media::VideoOutput::isTarget(target.name);
    if (target.videoCopy)
        return target;
    if (!target.name.isEmpty())
        target.writer = m_session.openTarget(set, target.name);
    target.rate = set.frameRate;
    if (target.writer && formatInfo(formatOfFileName(target.name)).needsFrameRate)
        target.rate = askFrameRate(Key::SaveFrameRate, target.name);
    if (target.name.isEmpty() || (target.writer && target.rate == 0)) {
        m_log.log(LogInfo, set.logPrefix, QStringLiteral("save cancelled"));
        target.writer.reset();
    }
    return target;
}

void MainWindow::save(SubtitleSet &set, const QString &caption)
{
    // A set read from a video is proposed as SubRip, named with its track's language.
    const QFileInfo file(set.filePath);
    const QString ownPath = set.track < 0 ? set.filePath
                                          : file.dir().filePath(file.completeBaseName() + QLatin1Char('.')
                                                                + media::languageOfSet(set) + QStringLiteral(".srt"));
    const QString filter = filterOfSuffix(suffixOfFormat(formatOfFileName(ownPath)), setFilters());
    const SaveTarget target = askSaveTarget(
        set, caption, ownName(ownPath, m_settings.value(Key::LoadDir).toString(), filter), setFilters(), filter);
    if (target.writer)
        m_session.write(set, *target.writer, target.name, codingOf(set)->codecName(), target.rate);
}

QString MainWindow::mergeFilterList() const
{
    return mergeFilters(!media::copySource(m_session).isEmpty());
}

SubtitleFormat MainWindow::trackFormat() const
{
    return m_settings.value(Key::TrackFormat).toString() == QLatin1String("srt") ? SubtitleFormat::SubRip
                                                                                 : SubtitleFormat::Ass;
}

void MainWindow::processAndSave()
{
    SubtitleSet &merged = m_session.merged;
    const QString filters = mergeFilterList();
    SaveTarget target = askSaveTarget(merged, tr("Save merged subtitles"), suggestedMergeName(), filters,
                                      filterOfSuffix(m_settings.value(Key::OutputSuffix).toString(), filters), true);
    if (!target.writer && !target.videoCopy)
        return;
    const SubtitleFormat format = target.videoCopy ? trackFormat() : formatOfFileName(target.name);
    m_settings.setValue(Key::OutputSuffix, target.videoCopy ? media::VideoOutput::suffix() : suffixOfFormat(format));
    if (!target.videoCopy && (format == SubtitleFormat::SubRip || format == SubtitleFormat::Ass))
        m_settings.setValue(Key::TrackFormat, suffixOfFormat(format));
    m_settings.setValue(Key::SaveDir, QFileInfo(target.name).absolutePath());
    m_preview->setOutputSuffix(suffixOfFormat(format));
    readProcessingOptions();
    m_session.process(format);
    for (SetView *view : m_views)
        view->showMergeTimes(true);
    m_preview->setsChanged();
    showPreviews();
    if (target.videoCopy) {
        WorkProgress progress(this, tr("Writing %1").arg(QFileInfo(target.name).fileName()));
        media::saveVideoCopy(m_session, target.name, format, progress.callback());
    } else {
        m_session.write(merged, *target.writer, target.name, m_codings->merged()->codecName(), target.rate);
    }
    rememberPair();
}

QString MainWindow::suggestedMergeName() const
{
    // The format last written, when it is offered now.
    const QString filters = mergeFilterList();
    const QString suffix = suffixOfFilter(filterOfSuffix(m_settings.value(Key::OutputSuffix).toString(), filters));
    const SubtitleSet &lower = m_session.lower;
    // A track without a language tag ("und") names none.
    QString language = lower.track >= 0 ? media::languageOfSet(lower) : QString();
    if (language == QLatin1String("und"))
        language.clear();
    return mergeName(m_session.upper.filePath, lower.filePath, m_settings.value(Key::SaveDir).toString(), suffix,
                     language);
}

void MainWindow::correctTiming(SubtitleSet &set)
{
    TimingDlg dialog(this);
    if (prompts().run(dialog) != QDialog::Accepted || set.count == 0)
        return;
    m_session.correctTiming(set, dialog.correction, qMax(0, selectedRow(set)));
    timesChanged(set);
}

void MainWindow::strip(SubtitleSet &set)
{
    StripDlg dialog(StripDlg::kindsNamed(m_settings.value(Key::StripKinds).toStringList()), this);
    if (prompts().run(dialog) != QDialog::Accepted)
        return;
    m_settings.setValue(Key::StripKinds, StripDlg::names(dialog.kinds));
    m_session.strip(set, dialog.kinds);
    m_views[sideOf(set)]->textsChanged();
    timesChanged(set);
}

void MainWindow::synchronize(SubtitleSet &set)
{
    readProcessingOptions();
    m_session.synchronize(set);
    timesChanged(set);
    rememberPair();
}

void MainWindow::autoLink()
{
    m_links->autoLink();
}

void MainWindow::donate()
{
    // Whether a browser could be started is not reported.
    if (!donationUrl().isEmpty())
        prompts().openUrl(donationUrl());
}

int MainWindow::askFrameRate(Settings::Key entryKey, const QString &path, int declaredRate)
{
    int entry = m_settings.value(entryKey).toInt();
    const int rate = ::askFrameRate(this, path, declaredRate, &entry);
    m_settings.setValue(entryKey, entry);
    return rate;
}

void MainWindow::restoreSettings()
{
    m_codings->restore(m_settings);
    m_preview->restore(m_settings);
    m_settings.showIn(this);
    m_recent->restore(m_settings);
    if (m_settings.value(Key::OutputSuffix).toString() == media::VideoOutput::suffix())
        m_preview->setOutputSuffix(suffixOfFormat(trackFormat()));
    restoreGeometry(m_settings.value(Key::WindowGeometry).toByteArray());
    ui->mainSplitter->restoreState(m_settings.value(Key::WindowSplitter).toByteArray());
}

void MainWindow::collectSettings() const
{
    m_settings.takeFrom(this);
    m_codings->store(m_settings);
    m_preview->store(m_settings);
    m_recent->store(m_settings);
    m_settings.setValue(Key::WindowGeometry, saveGeometry());
    m_settings.setValue(Key::WindowSplitter, ui->mainSplitter->saveState());
}

void MainWindow::storeSettings()
{
    collectSettings();
    m_settings.store();
}
