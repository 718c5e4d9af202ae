#include "gui/mainwindow.h"

#include "core/codings.h"
#include "core/colors.h"
#include "core/textfile.h"
#include "gui/aboutdlg.h"
#include "gui/frameratedlg.h"
#include "gui/prompts.h"
#include "gui/selectcodecdlg.h"
#include "gui/stripdlg.h"
#include "gui/timingdlg.h"

#include "ui_aboutdlg.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <iterator>

namespace {

const QString fileFilter = QStringLiteral("Subtitles (*.srt *.sub)");
const QString mergedFilter = fileFilter + QStringLiteral(";;Advanced SubStation (*.ass)");
// Files are read by their content, and MPL2 and SubViewer files often end in ".txt".
const QString openFilter = QStringLiteral("Subtitles (*.srt *.sub *.txt);;All files (*)");

QString addRemoveEntry()
{
    return QStringLiteral("Add / Remove");
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
    ui->listWidget_upr->setModel(&m_upperModel);
    ui->listWidget_lwr->setModel(&m_lowerModel);
    ui->listWidget_lnk->setModel(&m_linkModel);
    ui->listWidget_log->setModel(&m_log);
    // Rows of one height let the views skip measuring 20000 texts.
    for (QListView *view : {ui->listWidget_upr, ui->listWidget_lwr, ui->listWidget_log})
        view->setUniformItemSizes(true);

    connectControls();
    restoreSettings();
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
    connect(ui->pushButton_ldel, &QPushButton::pressed, this, &MainWindow::deleteLink);
    connect(ui->pushButton_lclr, &QPushButton::pressed, this, &MainWindow::clearLinks);
    connect(ui->pushButton_proc, &QPushButton::pressed, this, &MainWindow::processAndSave);
    connect(ui->pushButton_about, &QPushButton::pressed, this, &MainWindow::showAbout);
    connect(ui->pushButton_donate, &QPushButton::pressed, this, &MainWindow::donate);
    connect(ui->pushButton_quit, &QPushButton::pressed, qApp, &QCoreApplication::quit);

    for (const SubtitleSet *set : {&m_session.upper, &m_session.lower}) {
        QListView *view = listOf(*set);
        connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this, set]() {
            showCurrent(*set);
            refreshAddLink();
        });
        connect(view, &QListView::doubleClicked, this,
                [this, set](const QModelIndex &index) { jumpToNearest(*set, index.row()); });
    }
    connect(ui->listWidget_lnk, &QListView::doubleClicked, this, [this](const QModelIndex &index) {
        selectLink(index.row());
        refreshAddLink();
    });
    connect(&m_log, &LogModel::lineAdded, this,
            [this](int row) { ui->listWidget_log->setCurrentIndex(m_log.index(row)); });

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
    o.header = m_settings.header;
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
        return;
    }
    const Subtitle &s = set.at(row);
    timeBox->addItem(m_showMergeTimes[sideOf(set)] ? formatTimeLine(s.mergeStart, s.mergeEnd)
                                                   : formatTimeLine(s.start, s.end));
    label->setText(s.text);
}

void MainWindow::timesChanged(SubtitleSet &set)
{
    m_showMergeTimes[sideOf(set)] = false;
    showCurrent(set);
}

void MainWindow::refreshAddLink()
{
    ui->pushButton_ladd->setEnabled(m_session.canAddLink(selectedRow(m_session.upper), selectedRow(m_session.lower)));
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
    const bool append = ui->checkBox_app->isChecked();
    const QString name = prompts().openFileName(this, caption, m_settings.loadDir, openFilter);
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
    }
    ui->checkBox_app->setChecked(false);
    refreshAddLink();
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
    const QString name
        = prompts().saveFileName(this, QStringLiteral("Save merged subtitles"), m_settings.saveDir, mergedFilter);
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
}

void MainWindow::refreshColorPreviews()
{
    if (!ui->checkBox_coltag->isChecked()) {
        const QString grey = QStringLiteral("QLabel { background-color : grey; color : #ffffff; font: 18pt; }");
        ui->label_USpl->setStyleSheet(grey);
        ui->label_LSpl->setStyleSheet(grey);
        return;
    }
    const QString sheet = QStringLiteral("QLabel { background-color : black; color : #%1; font: 18pt; }");
    ui->label_USpl->setStyleSheet(sheet.arg(colorHex(m_settings.upperColor)));
    ui->label_LSpl->setStyleSheet(sheet.arg(colorHex(m_settings.lowerColor)));
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
    // Refilling the selectors never makes "Add / Remove" current, so the
    // dialog cannot reopen itself from here.
    if (box->itemText(index) != addRemoveEntry())
        return;
    {
        SelectCodecDlg dialog(Codings::fixedList(), m_settings.chosenCodings, this);
        prompts().run(dialog);
    }
    // Whatever the dialog's result: its changes are already made.
    fillCodingSelectors();
}

// The selectors get the fixed entries, the chosen codings and "Add / Remove";
// each comes back to its stored entry (the first without a store).
void MainWindow::fillCodingSelectors()
{
    QStringList &chosen = m_settings.chosenCodings;
    chosen.removeDuplicates();
    // A hand-edited store may name a fixed entry; "Add / Remove" among the
    // chosen codings could be restored as current and reopen the dialog
    // without end.
    chosen.removeAll(QString());
    chosen.removeAll(Codings::autoDetect());
    chosen.removeAll(Codings::autoLocal());
    chosen.removeAll(QStringLiteral("UTF-8"));
    chosen.removeAll(addRemoveEntry());
    QStringList items;
    items << Codings::autoDetect() << Codings::autoLocal() << QStringLiteral("UTF-8") << chosen << addRemoveEntry();

    struct Selector
    {
        QComboBox *box;
        const char *key;
    };
    const Selector selectors[] = {{ui->comboBox_loadupr, "select/codldup"},
                                  {ui->comboBox_loadlwr, "select/codldlw"},
                                  {ui->comboBox_save, "select/codsave"}};
    for (const Selector &sel : selectors) {
        sel.box->clear();
        sel.box->addItems(items);
    }
    // Settings stored before "Auto Detect" was offered count from "Auto Local".
    const int shift = m_store && !m_store->contains(QStringLiteral("select/autodetect")) ? 1 : 0;
    for (const Selector &sel : selectors) {
        qint64 stored = 0;
        if (m_store && m_store->contains(QLatin1String(sel.key)))
            stored = qint64(m_store->value(QLatin1String(sel.key)).toInt()) + shift;
        // Never "Add / Remove" (the last item) nor anything past it or before the first.
        sel.box->setCurrentIndex(stored >= 0 && stored < sel.box->count() - 1 ? int(stored) : 0);
    }
}

void MainWindow::restoreSettings()
{
    QSettings *s = m_store;
    if (!s) {
        fillCodingSelectors();
        return;
    }
    m_settings.loadDir = s->value(QStringLiteral("workdir/load"), QStringLiteral(".")).toString();
    m_settings.saveDir = s->value(QStringLiteral("workdir/save"), QStringLiteral(".")).toString();
    m_settings.chosenCodings = s->value(QStringLiteral("codecs"), QStringList()).toStringList();
    fillCodingSelectors();
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
}

void MainWindow::storeSettings()
{
    QSettings *s = m_store;
    if (!s)
        return;
    s->setValue(QStringLiteral("workdir/load"), m_settings.loadDir);
    s->setValue(QStringLiteral("workdir/save"), m_settings.saveDir);
    s->setValue(QStringLiteral("codecs"), m_settings.chosenCodings);
    s->setValue(QStringLiteral("select/codldup"), ui->comboBox_loadupr->currentIndex());
    s->setValue(QStringLiteral("select/codldlw"), ui->comboBox_loadlwr->currentIndex());
    s->setValue(QStringLiteral("select/codsave"), ui->comboBox_save->currentIndex());
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
    s->sync();
}
