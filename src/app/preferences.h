#pragma once
// The process-wide options record: what the user chose (directories, codings,
// frame rates, colours) and the processing controls the operations read.

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QSpinBox>
#include <QString>
#include <QStringList>

class QSettings;

class Preferences
{
public:
    bool showMergeTimes = false;
    int loadFrameRateIndex = 0;
    int saveFrameRateIndex = 0;
    int upperColor = 0xffffff;
    int lowerColor = 0xffffff;
    bool addHeader = true;
    QString saveDir = QStringLiteral(".");
    QString loadDir = QStringLiteral(".");
    QStringList selectedCodecs;
    QStringList allCodecs;

    QPointer<QComboBox> comboBox_loadupr;
    QPointer<QComboBox> comboBox_loadlwr;
    QPointer<QComboBox> comboBox_save;
    QPointer<QSpinBox> spinBox_cps;
    QPointer<QSpinBox> spinBox_gap;
    QPointer<QSpinBox> spinBox_snp;
    QPointer<QCheckBox> checkBox_join;
    QPointer<QSpinBox> spinBox_lin;
    QPointer<QComboBox> comboBox_last;
    QPointer<QCheckBox> checkBox_coltag;

    // Back to the first-start state with no controls bound.
    void init();

    // The current values of the processing controls; the form's defaults when
    // no window is bound (the benchmark, headless use of the engine).
    int cps() const;
    int gap() const;
    int snap() const;
    int bottomLines() const;
    bool joinLines() const;
    int lastLineStyle() const;
    bool colorTags() const;

    void loadPreferences(QSettings *store);
    void savePreferences(QSettings *store);
};

Preferences &preferences();

// The per-user settings store; null where nothing may be read or written (the
// command-line tool).
QSettings *settingsStore();
void setSettingsStore(QSettings *store);
