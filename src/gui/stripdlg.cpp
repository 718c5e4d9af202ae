#include "gui/stripdlg.h"

#include "ui_stripdlg.h"

StripDlg::StripDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::StripDlg)
{
    ui->setupUi(this);
}

StripDlg::~StripDlg()
{
    delete ui;
}

void StripDlg::accept()
{
    kinds.clear();
    if (ui->checkBox_round->isChecked())
        kinds << Bracket::Round;
    if (ui->checkBox_square->isChecked())
        kinds << Bracket::Square;
    if (ui->checkBox_curly->isChecked())
        kinds << Bracket::Curly;
    if (ui->checkBox_angle->isChecked())
        kinds << Bracket::Angle;
    QDialog::accept();
}
