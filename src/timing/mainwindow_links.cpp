// The link buttons and the jumps between the two subtitle lists.

#include "app/mainwindow.h"
#include "subtitles/mergeworkspace.h"

#include "ui_mainwindow.h"

void MainWindow::on_pushButton_ladd_pressed()
{
    workspace().links.addLink();
    refreshAddLink();
}

void MainWindow::on_pushButton_ldel_pressed()
{
    workspace().links.deleteLink();
    refreshAddLink();
}

void MainWindow::on_pushButton_lclr_pressed()
{
    workspace().links.clearLinks();
    refreshAddLink();
}

void MainWindow::on_listWidget_lnk_doubleClicked(const QModelIndex &index)
{
    workspace().links.selectLink(index.row());
    refreshAddLink();
}

void MainWindow::on_listWidget_upr_doubleClicked(const QModelIndex &index)
{
    MergeWorkspace &ws = workspace();
    ui->listWidget_lwr->setCurrentRow(ws.lower.nearestIndex(ws.upper.startOf(index.row())));
}

void MainWindow::on_listWidget_lwr_doubleClicked(const QModelIndex &index)
{
    MergeWorkspace &ws = workspace();
    ui->listWidget_upr->setCurrentRow(ws.upper.nearestIndex(ws.lower.startOf(index.row())));
}
