// About and Donate.

#include "app/mainwindow.h"

void MainWindow::on_pushButton_about_pressed() {}
void MainWindow::on_pushButton_donate_pressed() {}
