#pragma once
// The "Strip Text Inside Brackets" dialog: one check box per bracket kind; on
// OK the patterns of the checked kinds are left in `patterns`.

#include <QDialog>
#include <QStringList>

namespace Ui {
class StripDlg;
}

class SubtitleSet;

class StripDlg : public QDialog
{
    Q_OBJECT
public:
    explicit StripDlg(QWidget *parent = nullptr);
    ~StripDlg() override;

    Ui::StripDlg *ui;
    QStringList patterns;

public slots:
    void on_buttonBox_accepted();
};

// Runs the dialog and removes the chosen kinds of bracketed text from every
// subtitle of the set.
void stripBrackets(SubtitleSet &set);
