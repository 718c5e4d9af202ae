// Synchronize and Timing buttons.

#include "app/mainwindow.h"

void MainWindow::on_pushButton_synu_pressed() {}
void MainWindow::on_pushButton_synl_pressed() {}
void MainWindow::on_pushButton_timgup_pressed() {}
void MainWindow::on_pushButton_timgw_pressed() {}
