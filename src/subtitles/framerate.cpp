#include "subtitles/framerate.h"

#include "ui_framerate.h"

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

int frameRateOfEntry(const QString &entry)
{
    QString digits = entry.left(6);
    digits.remove(QLatin1Char('.'));
    bool ok = false;
    const int rate = digits.toInt(&ok);
    return ok ? rate : 0;
}
