#include "gui/selectcodecdlg.h"

#include "ui_selectcodecdlg.h"

SelectCodecDlg::SelectCodecDlg(const QStringList &all, QStringList &chosen, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::SelectCodecDlg)
    , m_chosen(chosen)
{
    ui->setupUi(this);
    ui->listWidget_all->addItems(all);
    ui->listWidget_sel->addItems(chosen);
    connect(ui->listWidget_all, &QListWidget::doubleClicked, this, &SelectCodecDlg::choose);
    connect(ui->listWidget_sel, &QListWidget::doubleClicked, this, &SelectCodecDlg::unchoose);
}

SelectCodecDlg::~SelectCodecDlg()
{
    delete ui;
}

// The double-clicked row is also the current one; taking it from the index
// keeps a click that left no current item from doing anything.
void SelectCodecDlg::choose(const QModelIndex &index)
{
    const QListWidgetItem *item = ui->listWidget_all->item(index.row());
    if (!item || m_chosen.contains(item->text()))
        return;
    ui->listWidget_sel->addItem(item->text());
    m_chosen.append(item->text());
}

void SelectCodecDlg::unchoose(const QModelIndex &index)
{
    if (index.row() < 0)
        return;
    QListWidgetItem *item = ui->listWidget_sel->takeItem(index.row());
    if (!item)
        return;
    m_chosen.removeOne(item->text());
    delete item;
}
