#include "guiutil.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

namespace testutil {

QStringList rowsOf(const QAbstractItemModel &model)
{
    QStringList texts;
    for (int i = 0; i < model.rowCount(); ++i)
        texts << model.index(i, 0).data().toString();
    return texts;
}

void doubleClick(QAbstractItemView *view, int row)
{
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void choose(QComboBox *box, const QString &entry)
{
    QVERIFY2(box->findText(entry) >= 0, qPrintable(entry));
    box->setCurrentIndex(box->findText(entry));
}

int closeDialog(QDialog &dialog, bool ok)
{
    auto *box = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QPushButton *button = box ? box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel) : nullptr;
    if (!button)
        return -1;
    button->click();
    return dialog.result();
}

ScriptedPrompts::DialogHandler frameRate(int index)
{
    return [index](QDialog &d) {
        if (d.windowTitle() != QLatin1String("Frame Rate required"))
            return int(QDialog::Rejected);
        d.findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentIndex(index);
        return closeDialog(d);
    };
}

ScriptedPrompts::DialogHandler frameRate(int index, QStringList *opened)
{
    return [index, opened](QDialog &d) {
        if (d.windowTitle() != QLatin1String("Frame Rate required"))
            return int(QDialog::Rejected);
        auto *box = d.findChild<QComboBox *>(QStringLiteral("comboBox"));
        *opened << box->currentText();
        if (index >= 0)
            box->setCurrentIndex(index);
        return closeDialog(d);
    };
}

} // namespace testutil
