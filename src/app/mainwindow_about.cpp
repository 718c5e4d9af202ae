// About and Donate.

#include "app/aboutdlg.h"
#include "app/mainwindow.h"
#include "app/prompts.h"

#include "ui_aboutdlg.h"

void MainWindow::on_pushButton_about_pressed()
{
    AboutDlg dialog(this);
    QPlainTextEdit *text = dialog.ui->plainTextEdit;
    text->setPlainText(aboutText());
    text->setReadOnly(true);
    // Read-only leaves only mouse selection; the keyboard may select too.
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    prompts().run(dialog);
}

void MainWindow::on_pushButton_donate_pressed()
{
    // Whether a browser could be started is not reported.
    prompts().openUrl(donationUrl());
}
