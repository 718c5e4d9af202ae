#include "gui/frameratedlg.h"

#include "core/formats.h"
#include "gui/prompts.h"

#include "ui_frameratedlg.h"

FrameRateDlg::FrameRateDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::FrameRateDlg)
{
    ui->setupUi(this);
}

FrameRateDlg::~FrameRateDlg()
{
    delete ui;
}

int askFrameRate(QWidget *parent, int *index)
{
    FrameRateDlg dialog(parent);
    QComboBox *box = dialog.ui->comboBox;
    box->setCurrentIndex(qBound(0, *index, box->count() - 1));
    prompts().run(dialog);
    if (box->currentIndex() < 0)
        box->setCurrentIndex(0);
    *index = box->currentIndex();
    const int rate = frameRateOfEntry(box->currentText());
    return rate > 0 ? rate : 25000;
}
