#include "gui/mainwindow.h"

#include "core/codings.h"
#include "core/colors.h"
#include "core/merge.h"
#include "core/tags.h"
#include "core/textfile.h"
#include "gui/aboutdlg.h"
#include "gui/frameratedlg.h"
#include "gui/prompts.h"
#include "gui/selectcodecdlg.h"
#include "gui/stripdlg.h"
#include "gui/timelineview.h"
#include "gui/timingdlg.h"

#include "ui_aboutdlg.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTextDocument>

#include <algorithm>
#include <iterator>

namespace {

const QString fileFilter = QStringLiteral("Subtitles (*.srt *.sub)");
// Files are read by their content, and MPL2 and SubViewer files often end in ".txt".
const QString openFilter = QStringLiteral("Subtitles (*.srt *.sub *.txt);;All files (*)");

QString moreEntry()
{
    return QStringLiteral("More\u2026");
}

// The selectors' first entries, always there.
const QStringList &fixedEntries()
{
    static const QStringList entries {Codings::autoDetect(), Codings::autoLocal(), QStringLiteral("UTF-8")};
    return entries;
}

constexpr int maxChosenCodings = 10;
constexpr int maxRecentPairs = 10;

const QString mergeFilters = QStringLiteral("SubRip (*.srt);;MicroDVD (*.sub);;Advanced SubStation (*.ass)");

// "srt" for "SubRip (*.srt)".
QString suffixOfFilter(const QString &filter)
{
    const int from = filter.indexOf(QLatin1String("*."));
    const int to = filter.indexOf(QLatin1Char(')'), from);
    return from < 0 || to < 0 ? QString() : filter.mid(from + 2, to - from - 2);
}

QString filterOfSuffix(const QString &suffix)
{
    const QStringList filters = mergeFilters.split(QLatin1String(";;"));
    for (const QString &filter : filters) {
        if (suffixOfFilter(filter) == suffix)
            return filter;
    }
    return filters.first();
}

QString suffixOfFormat(SubtitleFormat format)
{
    switch (format) {
    case SubtitleFormat::SubRip:
        return QStringLiteral("srt");
    case SubtitleFormat::Ass:
        return QStringLiteral("ass");
    default:
        return QStringLiteral("sub");
    }
}

// The language a file name states, as in "film.es.srt" or "film.ger.1958.srt":
// the last part after the title of two or three letters, or a language's name.
QString languageOf(const QString &path)
{
    static const QStringList names {
        "english",  "spanish", "german",  "french",  "italian",   "portuguese", "dutch",   "polish",    "czech",
        "russian",  "greek",   "turkish", "swedish", "norwegian", "danish",     "finnish", "hungarian", "romanian",
        "croatian", "serbian", "arabic",  "hebrew",  "chinese",   "japanese",   "korean",  "vietnamese"};
    const QStringList parts = QFileInfo(path).completeBaseName().split(QLatin1Char('.'));
    for (int i = parts.size() - 1; i >= 1; --i) {
        const QString &part = parts.at(i);
        const bool letters = std::all_of(part.begin(), part.end(), [](QChar c) { return c.isLetter(); });
        if (letters && (part.size() == 2 || part.size() == 3 || names.contains(part.toLower())))
            return part;
    }
    return QString();
}

// A subtitle's text as rich text: its tags (either style) as HTML, the rest
// escaped, real line breaks.
QString subtitleHtml(QString text, bool angleTags)
{
    if (!angleTags)
        convertTags(text, true);
    static const QStringList kept {"i>", "/i>", "b>", "/b>", "u>", "/u>", "font ", "/font>"};
    QString html;
    html.reserve(text.size() + 16);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('<')) {
            const QStringRef rest = text.midRef(i + 1);
            const bool tag = std::any_of(kept.begin(), kept.end(),
                                         [&](const QString &k) { return rest.startsWith(k, Qt::CaseInsensitive); });
            const int close = text.indexOf(QLatin1Char('>'), i);
            if (tag && close > i) {
                html += text.midRef(i, close - i + 1);
                i = close;
                continue;
            }
            html += QLatin1String("&lt;");
        } else if (c == QLatin1Char('>')) {
            html += QLatin1String("&gt;");
        } else if (c == QLatin1Char('&')) {
            html += QLatin1String("&amp;");
        } else if (c == QLatin1Char('|')) {
            html += QLatin1String("<br>");
        } else {
            html += c;
        }
    }
    return html;
}

QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (!data)
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

QString codecNameIn(const QComboBox *box)
{
    return Codings::codecNameOf(box->currentText());
}

} // namespace

MainWindow::MainWindow(QSettings *store, QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , m_session(m_log)
    , m_upperModel(m_session.upper)
    , m_lowerModel(m_session.lower)
    , m_linkModel(m_session.links)
    , m_store(store)
{
    ui->setupUi(this);
    // Under the lists, so that rows, bars and links are seen together.
    m_timeline = new TimelineView(ui->splitter_main);
    m_timeline->setObjectName(QStringLiteral("timelineView"));
    m_timeline->setToolTip(QStringLiteral("Both time lines and their links: wheel zooms, drag scrolls, a click "
                                          "selects the subtitle"));
    ui->splitter_main->insertWidget(1, m_timeline);
    m_timeline->setSources(&m_session.upper, &m_session.lower, &m_session.links);
    ui->listWidget_upr->setModel(&m_upperModel);
    ui->listWidget_lwr->setModel(&m_lowerModel);
    ui->listWidget_lnk->setModel(&m_linkModel);
    ui->listWidget_log->setModel(&m_log);
    // Rows of one height let the views skip measuring 20000 texts.
    for (QListView *view : {ui->listWidget_upr, ui->listWidget_lwr, ui->listWidget_log})
        view->setUniformItemSizes(true);
    // The lists get the room; the processing controls keep their height.
    ui->splitter_main->setStretchFactor(0, 4);
    ui->splitter_main->setStretchFactor(1, 1);
    ui->splitter_main->setStretchFactor(2, 0);
    ui->splitter_main->setStretchFactor(3, 1);

    setAcceptDrops(true);
    for (QListView *view : {ui->listWidget_upr, ui->listWidget_lwr}) {
        view->viewport()->setAcceptDrops(true);
        view->viewport()->installEventFilter(this);
    }
    ui->toolButton_recent->setMenu(new QMenu(ui->toolButton_recent));
    for (QLabel *label : {ui->label_USpl, ui->label_LSpl})
        label->setTextFormat(Qt::RichText);

    connectControls();
    setUpShortcuts();
    restoreSettings();
    fillRecentMenu();
    refreshColorPreviews();
    syncColorSliders();
    setFont(QFont(QStringLiteral("Arial"), 9));
}

MainWindow::~MainWindow()
{
    storeSettings();
    delete ui;
}

void MainWindow::connectControls()
{
    // An error stays in the status bar until the next action; connected
    // first, so that the action's own errors show.
    for (QAbstractButton *button : findChildren<QAbstractButton *>())
        connect(button, &QAbstractButton::pressed, statusBar(), &QStatusBar::clearMessage);

    connect(ui->pushButton_ldupr, &QPushButton::clicked, this, &MainWindow::loadUpper);
    connect(ui->pushButton_ldlwr, &QPushButton::clicked, this, &MainWindow::loadLower);
    connect(ui->pushButton_savup, &QPushButton::pressed, this, &MainWindow::saveUpper);
    connect(ui->pushButton_savlw, &QPushButton::pressed, this, &MainWindow::saveLower);
    connect(ui->pushButton_timgup, &QPushButton::pressed, this, &MainWindow::correctUpperTiming);
    connect(ui->pushButton_timgw, &QPushButton::pressed, this, &MainWindow::correctLowerTiming);
    connect(ui->pushButton_strup, &QPushButton::pressed, this, &MainWindow::stripUpper);
    connect(ui->pushButton_strlw, &QPushButton::pressed, this, &MainWindow::stripLower);
    connect(ui->pushButton_synu, &QPushButton::pressed, this, &MainWindow::synchronizeUpper);
    connect(ui->pushButton_synl, &QPushButton::pressed, this, &MainWindow::synchronizeLower);
    connect(ui->pushButton_ladd, &QPushButton::pressed, this, &MainWindow::addLink);
    connect(ui->autoLinkButton, &QPushButton::pressed, this, &MainWindow::autoLink);
    connect(ui->pushButton_ldel, &QPushButton::pressed, this, &MainWindow::deleteLink);
    connect(ui->pushButton_lclr, &QPushButton::pressed, this, &MainWindow::clearLinks);
    connect(ui->pushButton_proc, &QPushButton::pressed, this, &MainWindow::processAndSave);
    connect(ui->pushButton_about, &QPushButton::pressed, this, &MainWindow::showAbout);
    connect(ui->pushButton_donate, &QPushButton::pressed, this, &MainWindow::donate);
    connect(ui->pushButton_quit, &QPushButton::pressed, qApp, &QCoreApplication::quit);

    for (const SubtitleSet *set : {&m_session.upper, &m_session.lower}) {
        QListView *view = listOf(*set);
        connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, set](const QModelIndex &current) {
                    if (current.isValid())
                        m_previewTime = set->startOf(current.row());
                    showCurrent(*set);
                    refreshAddLink();
                    m_timeline->setCurrentRows(selectedRow(m_session.upper), selectedRow(m_session.lower));
                });
        QScrollBar *bar = view->verticalScrollBar();
        connect(bar, &QScrollBar::valueChanged, this, [this, set] { showListedRows(*set); });
        connect(bar, &QScrollBar::rangeChanged, this, [this, set] { showListedRows(*set); });
        connect(view, &QListView::doubleClicked, this,
                [this, set](const QModelIndex &index) { jumpToNearest(*set, index.row()); });
    }
    connect(ui->listWidget_lnk, &QListView::doubleClicked, this, [this](const QModelIndex &index) {
        selectLink(index.row());
        refreshAddLink();
    });
    connect(&m_log, &LogModel::lineAdded, this, [this](int row) {
        ui->listWidget_log->setCurrentIndex(m_log.index(row));
        if (m_log.levelAt(row) == LogError)
            statusBar()->showMessage(m_log.lines().at(row));
    });
    connect(m_timeline, &TimelineView::subtitleClicked, this, [this](bool upperSet, int row) {
        const SubtitleSet &set = upperSet ? m_session.upper : m_session.lower;
        selectRow(set, row);
        listOf(set)->scrollTo(listOf(set)->currentIndex());
    });
    connect(ui->checkBox_credit, &QCheckBox::toggled, this, [this](bool checked) { m_settings.header = checked; });
    for (QSpinBox *box : {ui->spinBox_cps, ui->spinBox_gap, ui->spinBox_snp, ui->spinBox_lin})
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, &MainWindow::showPreviews);
    connect(ui->checkBox_join, &QCheckBox::toggled, this, &MainWindow::showPreviews);
    for (QComboBox *box : {ui->comboBox_last, ui->upperPosition})
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &MainWindow::showPreviews);

    for (QComboBox *box : {ui->comboBox_loadupr, ui->comboBox_loadlwr, ui->comboBox_save})
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                [this, box](int index) { codingChosen(box, index); });

    struct Channel
    {
        QSlider *slider;
        bool upper;
        int shift;
    };
    const Channel channels[]
        = {{ui->verticalSlider_RUp, true, 16},  {ui->verticalSlider_GUp, true, 8},  {ui->verticalSlider_BUp, true, 0},
           {ui->verticalSlider_RLw, false, 16}, {ui->verticalSlider_GLw, false, 8}, {ui->verticalSlider_BLw, false, 0}};
    for (const Channel &c : channels)
        connect(c.slider, &QSlider::valueChanged, this,
                [this, c](int value) { setColorChannel(c.upper, c.shift, value); });
    connect(ui->checkBox_coltag, &QCheckBox::toggled, this, [this](bool checked) {
        ui->label_USpl->setEnabled(checked);
        ui->label_LSpl->setEnabled(checked);
        syncColorSliders();
        refreshColorPreviews();
        showPreviews();
    });
}

QListView *MainWindow::listOf(const SubtitleSet &set) const
{
    return sideOf(set) == 0 ? ui->listWidget_upr : ui->listWidget_lwr;
}

QComboBox *MainWindow::codingBoxOf(const SubtitleSet &set) const
{
    if (&set == &m_session.merged)
        return ui->comboBox_save;
    return sideOf(set) == 0 ? ui->comboBox_loadupr : ui->comboBox_loadlwr;
}

int MainWindow::selectedRow(const SubtitleSet &set) const
{
    const QModelIndex current = listOf(set)->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void MainWindow::selectRow(const SubtitleSet &set, int row)
{
    QListView *view = listOf(set);
    if (row >= 0 && row < set.count)
        view->setCurrentIndex(view->model()->index(row, 0));
}

void MainWindow::readProcessingOptions()
{
    ProcessingOptions &o = m_session.options;
    o.cps = ui->spinBox_cps->value();
    o.gap = ui->spinBox_gap->value();
    o.snap = ui->spinBox_snp->value();
    o.bottomLines = ui->spinBox_lin->value();
    o.joinLines = ui->checkBox_join->isChecked();
    o.lastLine = LastLineStyle(qBound(0, ui->comboBox_last->currentIndex(), 2));
    o.colorTags = ui->checkBox_coltag->isChecked();
    o.upperColor = m_settings.upperColor;
    o.lowerColor = m_settings.lowerColor;
    o.header = ui->checkBox_credit->isChecked();
    o.upperPosition = UpperPosition(qBound(0, ui->upperPosition->currentIndex(), 1));
}

void MainWindow::showCurrent(const SubtitleSet &set)
{
    const bool upper = sideOf(set) == 0;
    QListWidget *timeBox = upper ? ui->listWidget_tupr : ui->listWidget_tlwr;
    QLabel *label = upper ? ui->label_USpl : ui->label_LSpl;
    const int row = selectedRow(set);
    timeBox->clear();
    if (row < 0 || row >= set.count) {
        label->clear();
    } else {
        const Subtitle &s = set.at(row);
        timeBox->addItem(m_showMergeTimes[sideOf(set)] ? formatTimeLine(s.mergeStart, s.mergeEnd)
                                                       : formatTimeLine(s.start, s.end));
        label->setText(subtitleHtml(s.text, s.angleTags));
    }
    refreshColorPreviews();
    showPreviews();
}

void MainWindow::timesChanged(SubtitleSet &set)
{
    m_showMergeTimes[sideOf(set)] = false;
    showCurrent(set);
    refreshTimeline();
}

void MainWindow::refreshAddLink()
{
    const int upperRow = selectedRow(m_session.upper);
    const int lowerRow = selectedRow(m_session.lower);
    const bool allowed = m_session.canAddLink(upperRow, lowerRow);
    ui->pushButton_ladd->setEnabled(allowed);
    // Why not: the link in the way lights up.
    const bool rows
        = upperRow >= 0 && upperRow < m_session.upper.count && lowerRow >= 0 && lowerRow < m_session.lower.count;
    int conflicting = rows && !allowed ? m_session.links.conflictingLink(upperRow, lowerRow) : -1;
    // A pair that is a link already is no conflict.
    if (conflicting >= 0 && m_session.links.at(conflicting).upperRow == upperRow
        && m_session.links.at(conflicting).lowerRow == lowerRow)
        conflicting = -1;
    m_timeline->setConflictingLink(conflicting);
    // The links are drawn from the table itself.
    m_timeline->update();
}

void MainWindow::refreshTimeline()
{
    m_timeline->refresh();
    m_timeline->setCurrentRows(selectedRow(m_session.upper), selectedRow(m_session.lower));
    showListedRows(m_session.upper);
    showListedRows(m_session.lower);
    refreshAddLink();
}

void MainWindow::showListedRows(const SubtitleSet &set)
{
    const QListView *view = listOf(set);
    const QModelIndex first = view->indexAt(QPoint(1, 1));
    const QModelIndex last = view->indexAt(QPoint(1, view->viewport()->height() - 2));
    m_timeline->setShownRows(sideOf(set) == 0, first.isValid() ? first.row() : -1,
                             last.isValid() ? last.row() : set.count - 1);
}

void MainWindow::jumpToNearest(const SubtitleSet &from, int row)
{
    const SubtitleSet &other = m_session.otherSet(from);
    selectRow(other, other.nearestRow(from.startOf(row)));
}

void MainWindow::selectLink(int k)
{
    if (k < 0 || k >= m_session.links.count())
        return;
    selectRow(m_session.upper, m_session.links.at(k).upperRow);
    selectRow(m_session.lower, m_session.links.at(k).lowerRow);
}

void MainWindow::loadUpper()
{
    load(m_session.upper, QStringLiteral("Load upper subtitles"));
}

void MainWindow::loadLower()
{
    load(m_session.lower, QStringLiteral("Load lower subtitles"));
}

void MainWindow::load(SubtitleSet &set, const QString &caption)
{
    loadPath(set, prompts().openFileName(this, caption, m_settings.loadDir, openFilter));
}

void MainWindow::loadPath(SubtitleSet &set, const QString &name)
{
    const bool append = ui->checkBox_app->isChecked();
    m_showMergeTimes[0] = m_showMergeTimes[1] = false;
    readProcessingOptions();
    QByteArray bytes;
    std::optional<Session::PreparedLoad> prepared;
    if (m_session.readFile(set, name, &bytes)) {
        const QString dir = QFileInfo(name).absolutePath();
        if (dir != m_settings.loadDir)
            m_settings.loadDir = m_settings.saveDir = dir;
        prepared = m_session.prepareLoad(set, bytes, name, codecNameIn(codingBoxOf(set)));
    }
    if (prepared) {
        int rate = set.frameRate;
        if (prepared->format == SubtitleFormat::MicroDvd) {
            // The rate the file declares is offered first.
            const int *const rates = std::begin(microDvdFrameRates);
            const int *const declared = std::find(rates, std::end(microDvdFrameRates), prepared->declaredFrameRate);
            if (declared != std::end(microDvdFrameRates))
                m_settings.loadFrameRateIndex = int(declared - rates);
            rate = askFrameRate(this, &m_settings.loadFrameRateIndex);
        }
        const int first = append ? set.count : 0;
        m_session.loadPrepared(set, *prepared, rate, append);
        (sideOf(set) == 0 ? m_upperModel : m_lowerModel).reload();
        m_linkModel.reload();
        selectRow(set, first);
        showCurrent(set);
        refreshTimeline();
        if (!m_loadingPair)
            rememberPair();
    }
    ui->checkBox_app->setChecked(false);
    refreshAddLink();
}

void MainWindow::rememberPair()
{
    const QString upper = m_session.upper.filePath;
    const QString lower = m_session.lower.filePath;
    if (upper.isEmpty() || lower.isEmpty())
        return;
    QStringList &uppers = m_settings.recentUpper;
    QStringList &lowers = m_settings.recentLower;
    for (int i = uppers.size() - 1; i >= 0; --i) {
        if (uppers.at(i) == upper && lowers.at(i) == lower) {
            uppers.removeAt(i);
            lowers.removeAt(i);
        }
    }
    uppers.prepend(upper);
    lowers.prepend(lower);
    while (uppers.size() > maxRecentPairs) {
        uppers.removeLast();
        lowers.removeLast();
    }
    fillRecentMenu();
}

void MainWindow::fillRecentMenu()
{
    QMenu *menu = ui->toolButton_recent->menu();
    menu->clear();
    const QStringList &uppers = m_settings.recentUpper;
    for (int i = 0; i < uppers.size(); ++i) {
        const QString &lower = m_settings.recentLower.at(i);
        QAction *action = menu->addAction(
            QStringLiteral("%1 + %2").arg(QFileInfo(uppers.at(i)).fileName(), QFileInfo(lower).fileName()));
        action->setToolTip(uppers.at(i) + QLatin1Char('\n') + lower);
        connect(action, &QAction::triggered, this, [this, i] { openRecent(i); });
    }
    menu->setToolTipsVisible(true);
    ui->toolButton_recent->setEnabled(!uppers.isEmpty());
}

void MainWindow::openRecent(int index)
{
    if (index < 0 || index >= m_settings.recentUpper.size())
        return;
    statusBar()->clearMessage();
    loadDropped({m_settings.recentUpper.at(index), m_settings.recentLower.at(index)}, nullptr);
}

void MainWindow::loadDropped(const QStringList &paths, SubtitleSet *target)
{
    if (paths.isEmpty())
        return;
    if (paths.size() >= 2) {
        // A pair replaces both sets, whatever "Append" says.
        m_loadingPair = true;
        ui->checkBox_app->setChecked(false);
        loadPath(m_session.upper, paths.at(0));
        ui->checkBox_app->setChecked(false);
        loadPath(m_session.lower, paths.at(1));
        m_loadingPair = false;
        rememberPair();
        return;
    }
    if (!target)
        target = m_session.upper.count == 0 ? &m_session.upper : &m_session.lower;
    loadPath(*target, paths.first());
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    statusBar()->clearMessage();
    loadDropped(files, nullptr);
}

// Files dropped on a list go into that list's set.
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    const bool upper = watched == ui->listWidget_upr->viewport();
    const bool lower = watched == ui->listWidget_lwr->viewport();
    if (!upper && !lower)
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (localFiles(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList files = localFiles(drop->mimeData());
        if (files.isEmpty())
            return false;
        drop->acceptProposedAction();
        statusBar()->clearMessage();
        loadDropped(files, upper ? &m_session.upper : &m_session.lower);
        return true;
    }
    default:
        return false;
    }
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    refreshColorPreviews();
    showPreviews();
}

void MainWindow::setUpShortcuts()
{
    const struct
    {
        QAbstractButton *button;
        QKeySequence keys;
    } shortcuts[] = {
        {ui->pushButton_ldupr, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {ui->pushButton_ldlwr, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {ui->pushButton_ladd, QKeySequence(Qt::CTRL | Qt::Key_L)},
        {ui->autoLinkButton, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)},
        {ui->pushButton_ldel, QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {ui->pushButton_synl, QKeySequence(Qt::CTRL | Qt::Key_Y)},
        {ui->pushButton_synu, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Y)},
        {ui->pushButton_proc, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {ui->pushButton_quit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    for (const auto &s : shortcuts) {
        s.button->setShortcut(s.keys);
        QString tip = s.button->toolTip();
        if (tip.isEmpty())
            tip = s.button->text().remove(QLatin1Char('&'));
        s.button->setToolTip(QStringLiteral("%1 (%2)").arg(tip, s.keys.toString(QKeySequence::NativeText)));
    }
}

void MainWindow::saveUpper()
{
    save(m_session.upper, QStringLiteral("Save upper subtitles"));
}

void MainWindow::saveLower()
{
    save(m_session.lower, QStringLiteral("Save lower subtitles"));
}

void MainWindow::save(SubtitleSet &set, const QString &caption)
{
    const QString name = prompts().saveFileName(this, caption, m_settings.loadDir, fileFilter);
    if (name.isEmpty())
        m_log.log(LogInfo, set.logPrefix, QStringLiteral("save cancelled"));
    const std::unique_ptr<SafeWriter> target = m_session.openTarget(set, name);
    if (!target)
        return;
    int rate = set.frameRate;
    if (formatOfFileName(name) == SubtitleFormat::MicroDvd)
        rate = askFrameRate(this, &m_settings.saveFrameRateIndex);
    m_session.write(set, *target, name, codecNameIn(codingBoxOf(set)), rate);
}

void MainWindow::processAndSave()
{
    SubtitleSet &merged = m_session.merged;
    QString filter = filterOfSuffix(m_settings.outputSuffix);
    QString name = prompts().chooseSaveFile(this, QStringLiteral("Save merged subtitles"), suggestedMergeName(),
                                            mergeFilters, &filter);
    // A name without a suffix gets the chosen format's, so that the format
    // written is the one the dialog showed.
    if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + suffixOfFilter(filter);
    if (!name.isEmpty()) {
        m_settings.outputSuffix = suffixOfFormat(formatOfFileName(name));
        showPreviews();
    }
    if (name.isEmpty())
        m_log.log(LogInfo, merged.logPrefix, QStringLiteral("save cancelled"));
    // Runs after a cancel too: the corrections and merge times are wanted in the lists.
    readProcessingOptions();
    m_session.process(formatOfFileName(name));
    m_showMergeTimes[0] = m_showMergeTimes[1] = true;

    const std::unique_ptr<SafeWriter> target = m_session.openTarget(merged, name);
    if (!target)
        return;
    m_settings.saveDir = QFileInfo(name).absolutePath();
    int rate = merged.frameRate;
    if (formatOfFileName(name) == SubtitleFormat::MicroDvd)
        rate = askFrameRate(this, &m_settings.saveFrameRateIndex);
    m_session.write(merged, *target, name, codecNameIn(ui->comboBox_save), rate);
}

QString MainWindow::suggestedMergeName() const
{
    const QString upper = m_session.upper.filePath;
    const QString suffix = QLatin1Char('.') + m_settings.outputSuffix;
    if (upper.isEmpty())
        return QDir(m_settings.saveDir).filePath(QStringLiteral("merged") + suffix);
    QString language = languageOf(m_session.lower.filePath);
    if (language.isEmpty())
        language = QStringLiteral("merged");
    const QFileInfo info(upper);
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + language + suffix);
}

void MainWindow::correctUpperTiming()
{
    correctTiming(m_session.upper);
}

void MainWindow::correctLowerTiming()
{
    correctTiming(m_session.lower);
}

void MainWindow::correctTiming(SubtitleSet &set)
{
    TimingDlg dialog(this);
    if (prompts().run(dialog) != QDialog::Accepted || set.count == 0)
        return;
    m_session.correctTiming(set, dialog.correction, qMax(0, selectedRow(set)));
    timesChanged(set);
}

void MainWindow::stripUpper()
{
    strip(m_session.upper);
}

void MainWindow::stripLower()
{
    strip(m_session.lower);
}

void MainWindow::strip(SubtitleSet &set)
{
    StripDlg dialog(this);
    if (prompts().run(dialog) != QDialog::Accepted)
        return;
    m_session.strip(set, dialog.kinds);
    (sideOf(set) == 0 ? m_upperModel : m_lowerModel).textsChanged();
    timesChanged(set);
}

void MainWindow::synchronizeUpper()
{
    synchronize(m_session.upper);
}

void MainWindow::synchronizeLower()
{
    synchronize(m_session.lower);
}

void MainWindow::synchronize(SubtitleSet &set)
{
    readProcessingOptions();
    m_session.synchronize(set);
    timesChanged(set);
}

void MainWindow::addLink()
{
    const int upperRow = selectedRow(m_session.upper);
    const int lowerRow = selectedRow(m_session.lower);
    if (m_session.canAddLink(upperRow, lowerRow)) {
        m_session.links.add(upperRow, lowerRow);
        m_linkModel.reload();
    }
    refreshAddLink();
}

void MainWindow::autoLink()
{
    m_session.autoLink();
    m_linkModel.reload();
    refreshAddLink();
}

void MainWindow::deleteLink()
{
    const QModelIndex current = ui->listWidget_lnk->currentIndex();
    if (current.isValid()) {
        m_session.links.remove(current.row());
        m_linkModel.reload();
        // As in any list, the next link becomes the current one.
        const int next = qMin(current.row(), m_session.links.count() - 1);
        if (next >= 0)
            ui->listWidget_lnk->setCurrentIndex(m_linkModel.index(next));
    }
    refreshAddLink();
}

void MainWindow::clearLinks()
{
    m_session.links.clear();
    m_linkModel.reload();
    refreshAddLink();
}

void MainWindow::showAbout()
{
    AboutDlg dialog(this);
    QPlainTextEdit *text = dialog.ui->plainTextEdit;
    text->setPlainText(aboutText());
    text->setReadOnly(true);
    // Read-only leaves only mouse selection; the keyboard may select too.
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    prompts().run(dialog);
}

void MainWindow::donate()
{
    // Whether a browser could be started is not reported.
    prompts().openUrl(donationUrl());
}

// While colour tags are off the sliders show 0, and the stored colours must
// survive that: a slider changes its channel only while they are on.
void MainWindow::setColorChannel(bool upper, int shift, int value)
{
    if (!ui->checkBox_coltag->isChecked())
        return;
    int &color = upper ? m_settings.upperColor : m_settings.lowerColor;
    color = (color & 0xffffff & ~(0xff << shift)) | ((value & 0xff) << shift);
    refreshColorPreviews();
    showPreviews();
}

namespace {

// The largest size up to 18 points at which the label's text fits it.
int fittingPointSize(const QLabel *label)
{
    QTextDocument document;
    document.setHtml(label->text());
    const QString plain = document.toPlainText();
    const QStringList lines = plain.split(QChar(QChar::LineSeparator)).join(QLatin1Char('\n')).split(QLatin1Char('\n'));
    const QSize room = label->contentsRect().size() - QSize(4, 4);
    QFont font = label->font();
    int points = 18;
    for (; points > 7; --points) {
        font.setPointSize(points);
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString &line : lines)
            widest = qMax(widest, metrics.horizontalAdvance(line));
        if (widest <= room.width() && metrics.lineSpacing() * lines.size() <= room.height())
            break;
    }
    return points;
}

} // namespace

void MainWindow::refreshColorPreviews()
{
    const bool on = ui->checkBox_coltag->isChecked();
    m_timeline->setColors(QColor(QRgb(m_settings.upperColor)), QColor(QRgb(m_settings.lowerColor)));
    const QString sheet = QStringLiteral("QLabel { background-color : %1; color : #%2; font: %3pt; }");
    for (QLabel *label : {ui->label_USpl, ui->label_LSpl}) {
        const int color = label == ui->label_USpl ? m_settings.upperColor : m_settings.lowerColor;
        label->setStyleSheet(sheet
                                 .arg(on ? QStringLiteral("black") : QStringLiteral("grey"),
                                      on ? colorHex(color) : QStringLiteral("ffffff"))
                                 .arg(fittingPointSize(label)));
    }
}

// The merged frame at the current subtitle's start, stacked as Process &
// Save will stack it, on a black picture at the bottom.
void MainWindow::showPreviews()
{
    readProcessingOptions();
    QLabel *preview = ui->label_preview;
    const int pixels = qMax(8, preview->height() / 12);
    QString html;
    if (m_settings.outputSuffix == QLatin1String("ass")) {
        // Styles, not fillers: each language in its colour, the upper one
        // directly above the lower one or at the top of the picture.
        ProcessingOptions o = m_session.options;
        o.colorTags = true;
        o.bottomLines = 0;
        o.joinLines = false;
        const SubtitleSet none {QString()};
        QString upper = frameAt(m_session.upper, none, m_previewTime, o);
        if (upper.endsWith(QLatin1Char('|')))
            upper.chop(1);
        const QString lower = frameAt(none, m_session.lower, m_previewTime, o);
        QStringList parts;
        if (!upper.isEmpty())
            parts << subtitleHtml(upper, true);
        if (o.upperPosition == UpperPosition::Top) {
            const int room = preview->height() / qMax(1, int(pixels * 1.25));
            const int used = (upper.isEmpty() ? 0 : upper.count(QLatin1Char('|')) + 1)
                + (lower.isEmpty() ? 0 : lower.count(QLatin1Char('|')) + 1);
            for (int i = used; i < room; ++i)
                parts << QStringLiteral("&nbsp;");
        }
        if (!lower.isEmpty())
            parts << subtitleHtml(lower, true);
        html = parts.join(QLatin1String("<br>"));
    } else {
        const QString frame = frameAt(m_session.upper, m_session.lower, m_previewTime, m_session.options);
        html = subtitleHtml(frame, true);
        // Empty filler lines must keep their height.
        html.replace(QLatin1String("<b> </b>"), QLatin1String("&nbsp;"));
        html.replace(QLatin1String("<br><br>"), QLatin1String("<br>&nbsp;<br>"));
    }
    preview->setStyleSheet(
        QStringLiteral("QLabel { background-color : black; color : #ffffff; font: %1px; }").arg(pixels));
    preview->setText(html);
}

void MainWindow::syncColorSliders()
{
    const bool on = ui->checkBox_coltag->isChecked();
    const int upper = m_settings.upperColor;
    const int lower = m_settings.lowerColor;
    QSlider *const sliders[] = {ui->verticalSlider_RUp, ui->verticalSlider_GUp, ui->verticalSlider_BUp,
                                ui->verticalSlider_RLw, ui->verticalSlider_GLw, ui->verticalSlider_BLw};
    const int values[] = {(upper >> 16) & 0xff, (upper >> 8) & 0xff, upper & 0xff,
                          (lower >> 16) & 0xff, (lower >> 8) & 0xff, lower & 0xff};
    // Each value runs its slider's slot, which writes the same channel back.
    for (int i = 0; i < 6; ++i)
        sliders[i]->setValue(on ? values[i] : 0);
    for (QSlider *slider : sliders)
        slider->setEnabled(on);
}

void MainWindow::codingChosen(QComboBox *box, int index)
{
    if (box->itemText(index) != moreEntry()) {
        if (index >= 0)
            m_lastCoding[box] = box->itemText(index);
        return;
    }
    const QString before = m_lastCoding.value(box);
    QString chosen;
    {
        SelectCodecDlg dialog(Codings::fixedList(), before, this);
        if (prompts().run(dialog) == QDialog::Accepted)
            chosen = dialog.chosen();
    }
    if (!chosen.isEmpty() && !fixedEntries().contains(chosen)) {
        QStringList &list = m_settings.chosenCodings;
        if (!list.contains(chosen))
            list.append(chosen);
        while (list.size() > maxChosenCodings)
            list.removeFirst();
    }
    fillCodingSelectors(false);
    // The choice is made at once; a cancelled dialog leaves the entry the
    // selector had.
    const QString entry = chosen.isEmpty() ? before : chosen;
    const int found = box->findText(entry);
    box->setCurrentIndex(found >= 0 ? found : 0);
}

// The fixed entries, the codings chosen through "More…" and the ones people
// use most; the selectors add "More…" behind them.
QStringList MainWindow::codingEntries() const
{
    QStringList entries = fixedEntries() + m_settings.chosenCodings;
    for (const QString &common : Codings::commonList()) {
        if (!entries.contains(common))
            entries << common;
    }
    return entries;
}

// From the store, each selector comes back to its stored index (among the
// fixed and chosen entries, the first without a store); otherwise each keeps
// the entry it shows.
void MainWindow::fillCodingSelectors(bool fromStore)
{
    QStringList &chosen = m_settings.chosenCodings;
    chosen.removeDuplicates();
    // A hand-edited store may name a fixed entry; the selector's own entries
    // among the chosen codings could be restored as current and open the
    // dialog without end.
    chosen.removeAll(QString());
    for (const QString &fixed : fixedEntries())
        chosen.removeAll(fixed);
    chosen.removeAll(moreEntry());
    chosen.removeAll(QStringLiteral("Add / Remove"));
    const QStringList items = codingEntries() + QStringList {moreEntry()};

    struct Selector
    {
        QComboBox *box;
        const char *key;
    };
    const Selector selectors[] = {{ui->comboBox_loadupr, "select/codldup"},
                                  {ui->comboBox_loadlwr, "select/codldlw"},
                                  {ui->comboBox_save, "select/codsave"}};
    // Settings stored before "Auto Detect" was offered count from "Auto Local".
    const int shift = m_store && !m_store->contains(QStringLiteral("select/autodetect")) ? 1 : 0;
    const int storable = fixedEntries().size() + chosen.size();
    for (const Selector &sel : selectors) {
        const QString shown = sel.box->currentText();
        const QSignalBlocker blocker(sel.box);
        sel.box->clear();
        sel.box->addItems(items);
        int index = 0;
        if (fromStore) {
            qint64 stored = 0;
            if (m_store && m_store->contains(QLatin1String(sel.key)))
                stored = qint64(m_store->value(QLatin1String(sel.key)).toInt()) + shift;
            index = stored >= 0 && stored < storable ? int(stored) : 0;
        } else {
            index = qMax(0, items.indexOf(shown));
            if (shown == moreEntry())
                index = 0;
        }
        sel.box->setCurrentIndex(index);
        m_lastCoding[sel.box] = sel.box->currentText();
    }
}

void MainWindow::restoreSettings()
{
    QSettings *s = m_store;
    if (!s) {
        fillCodingSelectors(true);
        return;
    }
    m_settings.loadDir = s->value(QStringLiteral("workdir/load"), QStringLiteral(".")).toString();
    m_settings.saveDir = s->value(QStringLiteral("workdir/save"), QStringLiteral(".")).toString();
    m_settings.chosenCodings = s->value(QStringLiteral("codecs"), QStringList()).toStringList();
    fillCodingSelectors(true);
    m_settings.saveFrameRateIndex = s->value(QStringLiteral("select/fpssave"), 0).toInt();
    m_settings.loadFrameRateIndex = s->value(QStringLiteral("select/fpsload"), 0).toInt();

    // A stored value out of a box's range gets the box's own correction.
    const auto restoreNumber
        = [s](QSpinBox *box, const char *key) { box->setValue(s->value(QLatin1String(key), box->value()).toInt()); };
    restoreNumber(ui->spinBox_cps, "proc/charps");
    restoreNumber(ui->spinBox_gap, "proc/mingap");
    restoreNumber(ui->spinBox_snp, "proc/snap");
    restoreNumber(ui->spinBox_lin, "proc/botlin");
    ui->checkBox_join->setChecked(s->value(QStringLiteral("proc/joinline"), ui->checkBox_join->isChecked()).toBool());
    // An index the list does not have would leave no style selected at all.
    const int style = s->value(QStringLiteral("proc/lastline"), ui->comboBox_last->currentIndex()).toInt();
    if (style >= 0 && style < ui->comboBox_last->count())
        ui->comboBox_last->setCurrentIndex(style);
    const int position = s->value(QStringLiteral("proc/upperpos"), ui->upperPosition->currentIndex()).toInt();
    if (position >= 0 && position < ui->upperPosition->count())
        ui->upperPosition->setCurrentIndex(position);

    // Only 24 bits are a colour; more would give colour tags with too many digits.
    m_settings.upperColor = s->value(QStringLiteral("color/upper"), 0xffffff).toInt() & 0xffffff;
    m_settings.lowerColor = s->value(QStringLiteral("color/lower"), 0xffffff).toInt() & 0xffffff;
    ui->checkBox_coltag->setChecked(
        s->value(QStringLiteral("color/usetag"), ui->checkBox_coltag->isChecked()).toBool());
    m_settings.header = s->value(QStringLiteral("ver11"), true).toBool();
    ui->checkBox_credit->setChecked(m_settings.header);

    // Both lists must be pairs; a hand-edited store may disagree.
    QStringList uppers = s->value(QStringLiteral("recent/upper")).toStringList();
    QStringList lowers = s->value(QStringLiteral("recent/lower")).toStringList();
    const int pairs = qMin(maxRecentPairs, qMin(uppers.size(), lowers.size()));
    m_settings.recentUpper = uppers.mid(0, pairs);
    m_settings.recentLower = lowers.mid(0, pairs);
    const QString suffix = s->value(QStringLiteral("proc/format"), m_settings.outputSuffix).toString();
    if (suffixOfFilter(filterOfSuffix(suffix)) == suffix)
        m_settings.outputSuffix = suffix;
    if (s->contains(QStringLiteral("window/geometry")))
        restoreGeometry(s->value(QStringLiteral("window/geometry")).toByteArray());
    if (s->contains(QStringLiteral("window/splitter")))
        ui->splitter_main->restoreState(s->value(QStringLiteral("window/splitter")).toByteArray());
}

void MainWindow::storeSettings()
{
    QSettings *s = m_store;
    if (!s)
        return;
    s->setValue(QStringLiteral("workdir/load"), m_settings.loadDir);
    s->setValue(QStringLiteral("workdir/save"), m_settings.saveDir);
    // The stored indexes count over the fixed and chosen entries only, so a
    // selector showing one of the most used codings adds it to the chosen ones.
    QStringList chosen = m_settings.chosenCodings;
    for (QComboBox *box : {ui->comboBox_loadupr, ui->comboBox_loadlwr, ui->comboBox_save}) {
        const QString entry = box->currentText();
        if (!entry.isEmpty() && entry != moreEntry() && !fixedEntries().contains(entry) && !chosen.contains(entry))
            chosen << entry;
    }
    const QStringList storable = fixedEntries() + chosen;
    s->setValue(QStringLiteral("codecs"), chosen);
    s->setValue(QStringLiteral("select/codldup"), qMax(0, storable.indexOf(ui->comboBox_loadupr->currentText())));
    s->setValue(QStringLiteral("select/codldlw"), qMax(0, storable.indexOf(ui->comboBox_loadlwr->currentText())));
    s->setValue(QStringLiteral("select/codsave"), qMax(0, storable.indexOf(ui->comboBox_save->currentText())));
    s->setValue(QStringLiteral("select/autodetect"), true);
    s->setValue(QStringLiteral("select/fpssave"), m_settings.saveFrameRateIndex);
    s->setValue(QStringLiteral("select/fpsload"), m_settings.loadFrameRateIndex);
    s->setValue(QStringLiteral("proc/charps"), ui->spinBox_cps->value());
    s->setValue(QStringLiteral("proc/mingap"), ui->spinBox_gap->value());
    s->setValue(QStringLiteral("proc/snap"), ui->spinBox_snp->value());
    s->setValue(QStringLiteral("proc/botlin"), ui->spinBox_lin->value());
    s->setValue(QStringLiteral("proc/joinline"), ui->checkBox_join->isChecked());
    s->setValue(QStringLiteral("proc/lastline"), ui->comboBox_last->currentIndex());
    s->setValue(QStringLiteral("proc/upperpos"), ui->upperPosition->currentIndex());
    s->setValue(QStringLiteral("color/upper"), m_settings.upperColor);
    s->setValue(QStringLiteral("color/lower"), m_settings.lowerColor);
    s->setValue(QStringLiteral("color/usetag"), ui->checkBox_coltag->isChecked());
    s->setValue(QStringLiteral("ver11"), m_settings.header);
    s->setValue(QStringLiteral("recent/upper"), m_settings.recentUpper);
    s->setValue(QStringLiteral("recent/lower"), m_settings.recentLower);
    s->setValue(QStringLiteral("proc/format"), m_settings.outputSuffix);
    s->setValue(QStringLiteral("window/geometry"), saveGeometry());
    s->setValue(QStringLiteral("window/splitter"), ui->splitter_main->saveState());
    s->sync();
}
