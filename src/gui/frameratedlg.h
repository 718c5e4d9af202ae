#pragma once
// The "Frame Rate required" prompt: MicroDVD files count frames, not time.
// Its entries are the MicroDVD rates the core knows.

#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class FrameRateDlg;
}

class FrameRateDlg : public QDialog
{
    Q_OBJECT
public:
    // Opens on entry `index` (one out of range means the first).
    explicit FrameRateDlg(int index, QWidget *parent = nullptr);
    ~FrameRateDlg() override;

    int index() const;
    // The chosen rate in frames per 1000 s.
    int rate() const;

private:
    QScopedPointer<Ui::FrameRateDlg> ui;
};

// "23.976 NTSC" for 23976: a prompt entry, as frameRateOfEntry() reads it.
QString frameRateEntry(int rate);

// Runs the prompt with entry `*index` preselected and returns the chosen rate
// in frames per 1000 s; the prompt has no Cancel, so closing it keeps the
// entry shown. *index becomes the entry chosen.
int askFrameRate(QWidget *parent, int *index);
