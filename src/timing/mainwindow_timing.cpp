// Synchronize and Timing buttons.

#include "app/mainwindow.h"
#include "subtitles/mergeworkspace.h"
#include "timing/timingdlg.h"

void MainWindow::on_pushButton_synu_pressed()
{
    MergeWorkspace &ws = workspace();
    ws.links.SyncSub(ws.upper, ws.lower);
}

void MainWindow::on_pushButton_synl_pressed()
{
    MergeWorkspace &ws = workspace();
    ws.links.SyncSub(ws.lower, ws.upper);
}

void MainWindow::on_pushButton_timgup_pressed()
{
    FrameRate(workspace().upper);
}

void MainWindow::on_pushButton_timgw_pressed()
{
    FrameRate(workspace().lower);
}
