#include "guiutil.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace testutil {

int closeDialog(QDialog &dialog, bool ok)
{
    auto *box = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QPushButton *button = box ? box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel) : nullptr;
    if (!button)
        return -1;
    button->click();
    return dialog.result();
}

} // namespace testutil
