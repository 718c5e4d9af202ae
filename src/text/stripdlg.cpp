#include "text/stripdlg.h"

#include "app/prompts.h"
#include "subtitles/subtitleset.h"

#include "ui_stripdlg.h"

StripDlg::StripDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::StripDlg)
{
    ui->setupUi(this);
}

StripDlg::~StripDlg()
{
    delete ui;
}

void StripDlg::on_buttonBox_accepted()
{
    // The order matters: with round and square both chosen, "(a [b) c]" loses
    // "(a [b)" first and keeps "c]".
    if (ui->checkBox_round->isChecked())
        patterns << QStringLiteral("\\([^\\)]*\\)");
    if (ui->checkBox_square->isChecked())
        patterns << QStringLiteral("\\[[^\\]]*\\]");
    if (ui->checkBox_curly->isChecked())
        patterns << QStringLiteral("\\{[^\\}]*\\}");
    if (ui->checkBox_angle->isChecked())
        patterns << QStringLiteral("<[^>]*>");
    accept();
}

void stripBrackets(SubtitleSet &set)
{
    StripDlg dialog(dialogParent());
    if (prompts().run(dialog) != QDialog::Accepted)
        return;
    for (int i = 0; i < set.count; ++i) {
        Subtitle &s = set.records[size_t(i)];
        for (const QString &pattern : qAsConst(dialog.patterns))
            s.removeMatches(pattern);
        // Also with nothing chosen: the text is cleaned as after loading.
        s.normalize();
    }
    set.refreshList();
}
