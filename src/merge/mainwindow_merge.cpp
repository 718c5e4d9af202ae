// Process & Save and the colour controls.

#include "app/mainwindow.h"

void MainWindow::on_pushButton_proc_pressed() {}
void MainWindow::on_verticalSlider_RUp_valueChanged(int) {}
void MainWindow::on_verticalSlider_GUp_valueChanged(int) {}
void MainWindow::on_verticalSlider_BUp_valueChanged(int) {}
void MainWindow::on_verticalSlider_RLw_valueChanged(int) {}
void MainWindow::on_verticalSlider_GLw_valueChanged(int) {}
void MainWindow::on_verticalSlider_BLw_valueChanged(int) {}
void MainWindow::on_checkBox_coltag_toggled(bool) {}
void MainWindow::refreshColorPreviews() {}
void MainWindow::syncColorSliders() {}
