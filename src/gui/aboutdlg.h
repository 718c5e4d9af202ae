#pragma once
// The About dialog: description, work-flow help and version history, the
// toolkit version the program was built with, and the window's language.

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
    // `language` is the code chosen before (see Language::offered).
    explicit AboutDlg(const QString &language, QWidget *parent = nullptr);
    ~AboutDlg() override;

    // The language code chosen; empty for the system's language.
    QString language() const;

private:
    QScopedPointer<Ui::AboutDlg> ui;
};

// The text the About dialog shows.
QString aboutText();

// The donation page the program was built with; empty when none was named.
QUrl donationUrl();
