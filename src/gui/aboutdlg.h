#pragma once
// The About dialog: description, work-flow help and version history, and the
// toolkit version the program was built with.

#include <QDialog>
#include <QScopedPointer>
#include <QString>
#include <QUrl>

namespace Ui {
class AboutDlg;
}

class AboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDlg(QWidget *parent = nullptr);
    ~AboutDlg() override;

private:
    QScopedPointer<Ui::AboutDlg> ui;
};

// The text the About dialog shows.
QString aboutText();

// The donation page the program was built with; empty when none was named.
QUrl donationUrl();
