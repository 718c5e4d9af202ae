// The coding selectors' "Add / Remove" entry.

#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "text/codecregistry.h"
#include "text/selectcodecdlg.h"

#include "ui_mainwindow.h"

namespace {

// Refilling the selectors never makes "Add / Remove" current, so the dialog
// cannot reopen itself through these slots.
bool isAddRemove(const QComboBox *box, int index)
{
    return box && box->itemText(index) == CodecRegistry::addRemove();
}

} // namespace

void MainWindow::on_comboBox_loadupr_currentIndexChanged(int index)
{
    if (isAddRemove(ui->comboBox_loadupr, index))
        openCodecDialog();
}

void MainWindow::on_comboBox_loadlwr_currentIndexChanged(int index)
{
    if (isAddRemove(ui->comboBox_loadlwr, index))
        openCodecDialog();
}

void MainWindow::on_comboBox_save_currentIndexChanged(int index)
{
    if (isAddRemove(ui->comboBox_save, index))
        openCodecDialog();
}

void MainWindow::openCodecDialog()
{
    {
        SelectCodecDlg dialog(this);
        prompts().run(dialog);
    }
    // Whatever the dialog's result: its changes are already made.
    CodecRegistry::fillCodingSelectors(settingsStore());
}
