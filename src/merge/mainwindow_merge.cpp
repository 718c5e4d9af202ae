// Process & Save and the colour controls.

#include "app/mainwindow.h"

#include "app/preferences.h"
#include "merge/colors.h"
#include "subtitles/mergeworkspace.h"
#include "subtitles/writer.h"

#include "ui_mainwindow.h"

void MainWindow::on_pushButton_proc_pressed()
{
    MergeWorkspace &ws = workspace();
    SaveSelect(ws.merged, QStringLiteral("Save merged subtitles"), true);
    // Runs after a cancel too: the corrections and merge times are wanted in the lists.
    ws.processMerge();
    SaveWrite(ws.merged, true);
}

namespace {

// A slider changes its channel only while colour tags are on; while they are
// off the sliders show 0 and the stored colours must survive that. `keep` is
// the other two channels; anything above the three colour bytes goes.
bool setChannel(int &color, int keep, int shift, int value)
{
    if (!preferences().colorTags())
        return false;
    color = (color & keep) | ((value & 0xff) << shift);
    return true;
}

} // namespace

void MainWindow::on_verticalSlider_RUp_valueChanged(int value)
{
    if (setChannel(preferences().upperColor, 0x00ffff, 16, value))
        refreshColorPreviews();
}

void MainWindow::on_verticalSlider_GUp_valueChanged(int value)
{
    if (setChannel(preferences().upperColor, 0xff00ff, 8, value))
        refreshColorPreviews();
}

void MainWindow::on_verticalSlider_BUp_valueChanged(int value)
{
    if (setChannel(preferences().upperColor, 0xffff00, 0, value))
        refreshColorPreviews();
}

void MainWindow::on_verticalSlider_RLw_valueChanged(int value)
{
    if (setChannel(preferences().lowerColor, 0x00ffff, 16, value))
        refreshColorPreviews();
}

void MainWindow::on_verticalSlider_GLw_valueChanged(int value)
{
    if (setChannel(preferences().lowerColor, 0xff00ff, 8, value))
        refreshColorPreviews();
}

void MainWindow::on_verticalSlider_BLw_valueChanged(int value)
{
    if (setChannel(preferences().lowerColor, 0xffff00, 0, value))
        refreshColorPreviews();
}

void MainWindow::on_checkBox_coltag_toggled(bool checked)
{
    ui->label_USpl->setEnabled(checked);
    ui->label_LSpl->setEnabled(checked);
    syncColorSliders();
    refreshColorPreviews();
}

void MainWindow::refreshColorPreviews()
{
    const Preferences &prefs = preferences();
    if (!prefs.colorTags()) {
        const QString grey = QStringLiteral("QLabel { background-color : grey; color : #ffffff; font: 18pt; }");
        ui->label_USpl->setStyleSheet(grey);
        ui->label_LSpl->setStyleSheet(grey);
        return;
    }
    const QString sheet = QStringLiteral("QLabel { background-color : black; color : #%1; font: 18pt; }");
    ui->label_USpl->setStyleSheet(sheet.arg(colorHex(prefs.upperColor)));
    ui->label_LSpl->setStyleSheet(sheet.arg(colorHex(prefs.lowerColor)));
}

void MainWindow::syncColorSliders()
{
    const Preferences &prefs = preferences();
    const bool on = prefs.colorTags();
    const int upper = prefs.upperColor;
    const int lower = prefs.lowerColor;
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
