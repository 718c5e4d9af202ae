#include "gui/stripdlg.h"

#include "ui_stripdlg.h"

StripDlg::StripDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::StripDlg)
{
    ui->setupUi(this);
}

StripDlg::~StripDlg() = default;

void StripDlg::accept()
{
    kinds.clear();
    if (ui->roundCheckBox->isChecked())
        kinds << Bracket::Round;
    if (ui->squareCheckBox->isChecked())
        kinds << Bracket::Square;
    if (ui->curlyCheckBox->isChecked())
        kinds << Bracket::Curly;
    if (ui->angleCheckBox->isChecked())
        kinds << Bracket::Angle;
    QDialog::accept();
}
