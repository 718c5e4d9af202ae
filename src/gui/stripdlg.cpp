#include "gui/stripdlg.h"

#include "ui_stripdlg.h"

namespace {

const QStringList kindNames {QStringLiteral("round"), QStringLiteral("square"), QStringLiteral("curly"),
                             QStringLiteral("angle")};

} // namespace

StripDlg::StripDlg(const QVector<Bracket> &checked, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::StripDlg)
{
    ui->setupUi(this);
    for (Bracket kind : checked)
        boxes().at(int(kind))->setChecked(true);
}

StripDlg::~StripDlg() = default;

QVector<QCheckBox *> StripDlg::boxes() const
{
    return {ui->roundCheckBox, ui->squareCheckBox, ui->curlyCheckBox, ui->angleCheckBox};
}

QStringList StripDlg::names(const QVector<Bracket> &kinds)
{
    QStringList names;
    for (Bracket kind : kinds)
        names << kindNames.at(int(kind));
    return names;
}

QVector<Bracket> StripDlg::kindsNamed(const QStringList &names)
{
    QVector<Bracket> kinds;
    for (const QString &name : names) {
        if (kindNames.contains(name))
            kinds << Bracket(kindNames.indexOf(name));
    }
    return kinds;
}

void StripDlg::accept()
{
    kinds.clear();
    const QVector<QCheckBox *> all = boxes();
    for (int i = 0; i < all.size(); ++i) {
        if (all.at(i)->isChecked())
            kinds << Bracket(i);
    }
    QDialog::accept();
}
