#include "gui/timingdlg.h"

#include "ui_timingdlg.h"

TimingDlg::TimingDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::TimingDlg)
{
    ui->setupUi(this);
    ui->conversionBox->addItems(frameRateConversions());
}

TimingDlg::~TimingDlg() = default;

void TimingDlg::accept()
{
    // Truncated, not rounded: 1.001 s is 1000.9999999999999 ms in double precision
    // and gives 1000. The boxes stop at 60 s, so the products fit an int.
    correction.shiftMs = int(ui->shiftSpinBox->value() * 1000.0);
    correction.stretchMs = int(ui->stretchSpinBox->value() * 1000.0);
    correction.selectedAndFollowing = ui->selectedAndFollowingCheckBox->isChecked();
    parseConversion(ui->conversionBox->currentText(), &correction.fromRate, &correction.toRate);
    QDialog::accept();
}
