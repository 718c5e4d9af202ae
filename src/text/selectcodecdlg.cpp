#include "text/selectcodecdlg.h"

#include "app/preferences.h"

#include "ui_selectcodecdlg.h"

SelectCodecDlg::SelectCodecDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::SelectCodecDlg)
{
    ui->setupUi(this);
    const Preferences &p = preferences();
    ui->listWidget_all->addItems(p.allCodecs);
    ui->listWidget_sel->addItems(p.selectedCodecs);
}

SelectCodecDlg::~SelectCodecDlg()
{
    delete ui;
}

void SelectCodecDlg::on_buttonBox_accepted()
{
    accept();
}

// The double-clicked row is also the current one; taking it from the index
// keeps a click that left no current item from doing anything.
void SelectCodecDlg::on_listWidget_all_doubleClicked(const QModelIndex &index)
{
    const QListWidgetItem *item = ui->listWidget_all->item(index.row());
    if (!item)
        return;
    const QString coding = item->text();
    QStringList &selected = preferences().selectedCodecs;
    if (selected.contains(coding))
        return;
    ui->listWidget_sel->addItem(coding);
    selected.append(coding);
}

void SelectCodecDlg::on_listWidget_sel_doubleClicked(const QModelIndex &index)
{
    if (index.row() < 0)
        return;
    QListWidgetItem *item = ui->listWidget_sel->takeItem(index.row());
    if (!item)
        return;
    const QString coding = item->text();
    delete item;
    preferences().selectedCodecs.removeOne(coding);
}
