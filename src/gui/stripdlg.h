#pragma once
// The "Strip Text Inside Brackets" dialog: one check box per bracket kind; on
// OK the checked kinds are left in `kinds`, in the order they are removed.

#include "core/brackets.h"

#include <QDialog>
#include <QScopedPointer>
#include <QVector>

namespace Ui {
class StripDlg;
}

class StripDlg : public QDialog
{
    Q_OBJECT
public:
    explicit StripDlg(QWidget *parent = nullptr);
    ~StripDlg() override;

    QVector<Bracket> kinds;

public slots:
    void accept() override;

private:
    QScopedPointer<Ui::StripDlg> ui;
};
