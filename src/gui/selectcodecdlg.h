#pragma once
// The full list of codings behind the selectors' "More…" entry: type to
// narrow it, then OK or a double-click chooses one.

#include <QDialog>
#include <QScopedPointer>
#include <QStringList>

namespace Ui {
class SelectCodecDlg;
}

class SelectCodecDlg : public QDialog
{
    Q_OBJECT
public:
    SelectCodecDlg(const QStringList &all, const QString &current, QWidget *parent = nullptr);
    ~SelectCodecDlg() override;

    // The coding chosen, empty when none is.
    QString chosen() const;

private:
    QScopedPointer<Ui::SelectCodecDlg> ui;
    void filter(const QString &text);
    void refreshOk();
};
