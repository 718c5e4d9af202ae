#pragma once
// The "Timing Corrections" dialog of a set: shift, stretch and frame-rate
// conversion, with its answers left in plain fields for the caller.

#include <QDialog>

namespace Ui {
class TimingDlg;
}

class SubtitleSet;

class TimingDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TimingDlg(QWidget *parent = nullptr);
    ~TimingDlg() override;

    Ui::TimingDlg *ui;

    int shiftMs = 0;
    int stretchMs = 0;
    int fromRate = 1; // frames per 1000 seconds; equal rates mean no conversion
    int toRate = 1;
    bool selectedAndFollowing = false;

public slots:
    void on_buttonBox_accepted();
};

// Runs the dialog for the set and applies shift, stretch and conversion in that order.
void FrameRate(SubtitleSet &set);
