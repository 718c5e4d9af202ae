#pragma once
// "Select Character Codings": moves codings between the fixed list and the
// user's chosen list by double-clicking; every change goes straight into the
// chosen list it was given.

#include <QDialog>
#include <QModelIndex>
#include <QStringList>

namespace Ui {
class SelectCodecDlg;
}

class SelectCodecDlg : public QDialog
{
    Q_OBJECT
public:
    SelectCodecDlg(const QStringList &all, QStringList &chosen, QWidget *parent = nullptr);
    ~SelectCodecDlg() override;

    Ui::SelectCodecDlg *ui;

private slots:
    void choose(const QModelIndex &index);
    void unchoose(const QModelIndex &index);

private:
    QStringList &m_chosen;
};
