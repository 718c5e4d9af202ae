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
    // Asks for the rate of `path`, opening on entry `index` (one out of
    // range means the first).
    FrameRateDlg(const QString &path, int index, QWidget *parent = nullptr);
    ~FrameRateDlg() override;

    int index() const;
    // The chosen rate in frames per 1000 s.
    int rate() const;

private:
    QScopedPointer<Ui::FrameRateDlg> ui;
};

// "23.976 NTSC" for 23976: a prompt entry, as frameRateOfEntry() reads it.
QString frameRateEntry(int rate);

// Runs the prompt for `path` with the entry of `declaredRate` (the rate the
// file declares, 0 for none) or else entry `*index` preselected, and returns
// the chosen rate in frames per 1000 s, or 0 when it is cancelled. *index
// becomes the entry chosen.
int askFrameRate(QWidget *parent, const QString &path, int declaredRate, int *index);
