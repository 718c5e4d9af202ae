#pragma once
// The single window: every control of the form and the slots that run the
// program's actions. Slots are connected by name, so a slot's name tells which
// control drives it; each subsystem defines its own slots in its own folder.

#include <QMainWindow>
#include <QModelIndex>

namespace Ui {
class MainWindow;
}

class SubtitleSet;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow *ui;

    // Enables "Add Link" exactly when the current pair of rows may be linked.
    void refreshAddLink();
    void refreshColorPreviews();
    void syncColorSliders();
    void openCodecDialog();

public slots:
    void on_pushButton_ldlwr_clicked();
    void on_pushButton_ldupr_clicked();
    void on_listWidget_upr_doubleClicked(const QModelIndex &index);
    void on_listWidget_lwr_doubleClicked(const QModelIndex &index);
    void on_listWidget_upr_currentRowChanged(int row);
    void on_listWidget_lwr_currentRowChanged(int row);
    void on_pushButton_ladd_pressed();
    void on_pushButton_ldel_pressed();
    void on_pushButton_lclr_pressed();
    void on_listWidget_lnk_doubleClicked(const QModelIndex &index);
    void on_pushButton_synu_pressed();
    void on_pushButton_synl_pressed();
    void on_pushButton_savup_pressed();
    void on_pushButton_savlw_pressed();
    void on_pushButton_proc_pressed();
    void on_pushButton_donate_pressed();
    void on_pushButton_quit_pressed();
    void on_comboBox_loadupr_currentIndexChanged(int index);
    void on_comboBox_loadlwr_currentIndexChanged(int index);
    void on_comboBox_save_currentIndexChanged(int index);
    void on_pushButton_timgw_pressed();
    void on_pushButton_timgup_pressed();
    void on_pushButton_about_pressed();
    void on_verticalSlider_RUp_valueChanged(int value);
    void on_verticalSlider_BUp_valueChanged(int value);
    void on_verticalSlider_GUp_valueChanged(int value);
    void on_verticalSlider_RLw_valueChanged(int value);
    void on_verticalSlider_BLw_valueChanged(int value);
    void on_verticalSlider_GLw_valueChanged(int value);
    void on_checkBox_coltag_toggled(bool checked);
    void on_pushButton_strup_pressed();
    void on_pushButton_strlw_pressed();

private:
    void loadSet(SubtitleSet &set, const QString &caption);
};
