// The coding selectors' "Add / Remove" entry.

#include "app/mainwindow.h"

void MainWindow::on_comboBox_loadupr_currentIndexChanged(int) {}
void MainWindow::on_comboBox_loadlwr_currentIndexChanged(int) {}
void MainWindow::on_comboBox_save_currentIndexChanged(int) {}
void MainWindow::openCodecDialog() {}
