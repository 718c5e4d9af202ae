#pragma once
// The "Frame Rate required" prompt: MicroDVD files count frames, not time.

#include <QDialog>

namespace Ui {
class FrameRateDlg;
}

class FrameRateDlg : public QDialog
{
    Q_OBJECT
public:
    explicit FrameRateDlg(QWidget *parent = nullptr);
    ~FrameRateDlg() override;

    Ui::FrameRateDlg *ui;
};

// Runs the prompt with entry `*index` preselected (a stored index out of range
// means the first) and returns the chosen rate in frames per 1000 s; the
// prompt has no Cancel, so closing it keeps the entry shown. *index becomes
// the entry chosen.
int askFrameRate(QWidget *parent, int *index);
