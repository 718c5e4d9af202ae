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

// The rate of an entry of the prompt ("23.976 NTSC" gives 23976), 0 if it has none.
int frameRateOfEntry(const QString &entry);
