// The two "Strip ()" buttons.

#include "app/mainwindow.h"

void MainWindow::on_pushButton_strup_pressed() {}
void MainWindow::on_pushButton_strlw_pressed() {}
