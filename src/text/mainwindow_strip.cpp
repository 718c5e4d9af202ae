// The two "Strip ()" buttons.

#include "app/mainwindow.h"
#include "subtitles/mergeworkspace.h"
#include "text/stripdlg.h"

void MainWindow::on_pushButton_strup_pressed()
{
    stripBrackets(workspace().upper);
}

void MainWindow::on_pushButton_strlw_pressed()
{
    stripBrackets(workspace().lower);
}
