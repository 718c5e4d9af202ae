#pragma once
// "Select Character Codings": moves codings between the fixed list and the
// user's chosen list by double-clicking; every change goes straight into
// Preferences::selectedCodecs.

#include <QDialog>
#include <QModelIndex>

namespace Ui {
class SelectCodecDlg;
}

class SelectCodecDlg : public QDialog
{
    Q_OBJECT
public:
    explicit SelectCodecDlg(QWidget *parent = nullptr);
    ~SelectCodecDlg() override;

    Ui::SelectCodecDlg *ui;

public slots:
    void on_buttonBox_accepted();
    void on_listWidget_all_doubleClicked(const QModelIndex &index);
    void on_listWidget_sel_doubleClicked(const QModelIndex &index);
};
