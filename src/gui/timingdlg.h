#pragma once
// The "Timing Corrections" dialog of a set: shift, stretch and frame-rate
// conversion; on OK its answers are left in `correction`.

#include "core/timing.h"

#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class TimingDlg;
}

class TimingDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TimingDlg(QWidget *parent = nullptr);
    ~TimingDlg() override;

    TimingCorrection correction;

public slots:
    void accept() override;

private:
    QScopedPointer<Ui::TimingDlg> ui;
};
