#include "app/mainwindow.h"

#include "app/actionlog.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "subtitles/writer.h"

#include "ui_mainwindow.h"

#include <QApplication>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);

    setDialogParent(this);
    actionLog().list = ui->listWidget_log;

    MergeWorkspace &ws = workspace();
    ws.upper.list = ui->listWidget_upr;
    ws.upper.timeBox = ui->listWidget_tupr;
    ws.upper.textLabel = ui->label_USpl;
    ws.upper.codingBox = ui->comboBox_loadupr;
    ws.lower.list = ui->listWidget_lwr;
    ws.lower.timeBox = ui->listWidget_tlwr;
    ws.lower.textLabel = ui->label_LSpl;
    ws.lower.codingBox = ui->comboBox_loadlwr;
    ws.merged.codingBox = ui->comboBox_save;

    Preferences &prefs = preferences();
    prefs.comboBox_loadupr = ui->comboBox_loadupr;
    prefs.comboBox_loadlwr = ui->comboBox_loadlwr;
    prefs.comboBox_save = ui->comboBox_save;
    prefs.spinBox_cps = ui->spinBox_cps;
    prefs.spinBox_gap = ui->spinBox_gap;
    prefs.spinBox_snp = ui->spinBox_snp;
    prefs.checkBox_join = ui->checkBox_join;
    prefs.spinBox_lin = ui->spinBox_lin;
    prefs.comboBox_last = ui->comboBox_last;
    prefs.checkBox_coltag = ui->checkBox_coltag;

    prefs.loadPreferences(settingsStore());
    refreshColorPreviews();
    syncColorSliders();

    ws.links.view = ui->listWidget_lnk;
    ws.links.upper = &ws.upper;
    ws.links.lower = &ws.lower;

    setFont(QFont(QStringLiteral("Arial"), 9));
}

MainWindow::~MainWindow()
{
    preferences().savePreferences(settingsStore());
    delete ui;
}

void MainWindow::loadSet(SubtitleSet &set, const QString &caption)
{
    const bool append = ui->checkBox_app->isChecked();
    set.LoadFile(caption, append);
    ui->checkBox_app->setChecked(false);
    if (set.freshLoad) {
        workspace().links.clearLinks();
        set.freshLoad = false;
        refreshAddLink();
    }
}

void MainWindow::on_pushButton_ldupr_clicked()
{
    loadSet(workspace().upper, QStringLiteral("Load upper subtitles"));
}

void MainWindow::on_pushButton_ldlwr_clicked()
{
    loadSet(workspace().lower, QStringLiteral("Load lower subtitles"));
}

void MainWindow::on_listWidget_upr_currentRowChanged(int row)
{
    workspace().upper.select(row);
    refreshAddLink();
}

void MainWindow::on_listWidget_lwr_currentRowChanged(int row)
{
    workspace().lower.select(row);
    refreshAddLink();
}

void MainWindow::refreshAddLink()
{
    ui->pushButton_ladd->setEnabled(workspace().links.canAddLink());
}

void MainWindow::on_pushButton_savup_pressed()
{
    saveSet(workspace().upper, QStringLiteral("Save upper subtitles"));
}

void MainWindow::on_pushButton_savlw_pressed()
{
    saveSet(workspace().lower, QStringLiteral("Save lower subtitles"));
}

void MainWindow::on_pushButton_quit_pressed()
{
    QApplication::quit();
}
