#pragma once
// The "Strip Text Inside Brackets" dialog: one check box per bracket kind; on
// OK the checked kinds are left in `kinds`, in the order they are removed.

#include "core/brackets.h"

#include <QDialog>
#include <QScopedPointer>
#include <QStringList>
#include <QVector>

class QCheckBox;

namespace Ui {
class StripDlg;
}

class StripDlg : public QDialog
{
    Q_OBJECT
public:
    // Opens with `checked` ticked: the choice made last time.
    explicit StripDlg(const QVector<Bracket> &checked, QWidget *parent = nullptr);
    ~StripDlg() override;

    QVector<Bracket> kinds;

    // "round,square" for the kinds; unknown names are left out.
    static QStringList names(const QVector<Bracket> &kinds);
    static QVector<Bracket> kindsNamed(const QStringList &names);

public slots:
    void accept() override;

private:
    QVector<QCheckBox *> boxes() const; // in the order of Bracket
    QScopedPointer<Ui::StripDlg> ui;
};
