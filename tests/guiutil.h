#pragma once
// Helpers of the window tests.

class QDialog;

namespace testutil {

// Presses OK (or Cancel) in the dialog's button box; -1 when it has none.
int closeDialog(QDialog &dialog, bool ok = true);

} // namespace testutil
