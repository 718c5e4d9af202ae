#pragma once
// Helpers of the window tests: the rows a list or selector shows, a user's
// double click, and the answers to the window's small dialogs.

#include "gui/prompts.h"

#include <QStringList>

class QAbstractItemModel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListView;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;
class QSplitter;
class QToolButton;
class QAbstractItemView;
class QComboBox;
class QDialog;

namespace testutil {

// The seam's answers, and the filter every file dialog was given.
struct FilterPrompts : ScriptedPrompts
{
    QStringList openFilters, saveFilters;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        openFilters << filter;
        return ScriptedPrompts::openFileName(parent, caption, dir, filter);
    }
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        saveFilters << filter;
        return ScriptedPrompts::saveFileName(parent, caption, dir, filter);
    }
};

// The main window's widgets, each found by the object name the form gives it.
struct MainForm
{
    explicit MainForm(const QWidget *window);

    QGroupBox *loadGroup;
    QPushButton *loadUpperButton;
    QComboBox *upperCodingBox;
    QPushButton *loadLowerButton;
    QComboBox *lowerCodingBox;
    QCheckBox *appendCheckBox;
    QToolButton *recentButton;
    QGroupBox *exitGroup;
    QPushButton *donateButton;
    QPushButton *quitButton;
    QPushButton *aboutButton;
    QSplitter *mainSplitter;
    QGroupBox *syncGroup;
    QLabel *upperTitle;
    QListView *upperList;
    QListWidget *upperTimeBox;
    QPushButton *syncUpperButton;
    QPushButton *saveUpperButton;
    QPushButton *upperTimingButton;
    QPushButton *stripUpperButton;
    QListView *linkList;
    QPushButton *addLinkButton;
    QPushButton *autoLinkButton;
    QPushButton *deleteLinkButton;
    QPushButton *clearLinksButton;
    QLabel *lowerTitle;
    QListView *lowerList;
    QListWidget *lowerTimeBox;
    QPushButton *syncLowerButton;
    QPushButton *saveLowerButton;
    QPushButton *lowerTimingButton;
    QPushButton *stripLowerButton;
    QGroupBox *processGroup;
    QPushButton *processButton;
    QComboBox *saveCodingBox;
    QSpinBox *cpsSpinBox;
    QSpinBox *gapSpinBox;
    QSpinBox *snapSpinBox;
    QSpinBox *bottomLinesSpinBox;
    QComboBox *upperPositionBox;
    QCheckBox *joinLinesCheckBox;
    QComboBox *lastLineBox;
    QCheckBox *colorTagsCheckBox;
    QCheckBox *creditLineCheckBox;
    QSlider *upperRedSlider;
    QSlider *upperGreenSlider;
    QSlider *upperBlueSlider;
    QToolButton *upperSwatch;
    QToolButton *lowerSwatch;
    QLabel *upperPreview;
    QLabel *lowerPreview;
    QSlider *lowerRedSlider;
    QSlider *lowerGreenSlider;
    QSlider *lowerBlueSlider;
    QGroupBox *previewGroup;
    QLabel *mergedPreview;
    QListView *logList;
};

// Every row a model shows, or the list or selector over it.
QStringList rowsOf(const QAbstractItemModel &model);
template<typename View> QStringList rowsOf(const View *view)
{
    return rowsOf(*view->model());
}

// A double click on a row, as a user makes it, through the view's viewport.
void doubleClick(QAbstractItemView *view, int row);

// Selects the entry, failing the test when the box does not offer it.
void choose(QComboBox *box, const QString &entry);

// Presses OK (or Cancel) in the dialog's button box; -1 when it has none.
int closeDialog(QDialog &dialog, bool ok = true);

// The "Frame Rate required" prompt answered with its entry at `index`; any
// other dialog is cancelled.
ScriptedPrompts::DialogHandler frameRate(int index);
// The same, first adding the entry it opened on to `opened`; at index -1 it
// is answered on that entry.
ScriptedPrompts::DialogHandler frameRate(int index, QStringList *opened);

} // namespace testutil
