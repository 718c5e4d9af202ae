#pragma once
// Helpers of the window tests: the rows a list or selector shows, a user's
// double click, and the answers to the window's small dialogs.

#include "gui/prompts.h"

#include <QStringList>

class QAbstractItemModel;
class QAbstractItemView;
class QComboBox;
class QDialog;

namespace testutil {

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
