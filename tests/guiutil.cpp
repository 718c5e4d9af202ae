#include "guiutil.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>
#include <QtWidgets>

namespace testutil {

namespace {

// A missing widget is a renamed or removed one: the test stops at once.
template<typename T> T *find(const QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("the window has no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

} // namespace

MainForm::MainForm(const QWidget *window)
    : loadGroup(find<QGroupBox>(window, "loadGroup"))
    , loadUpperButton(find<QPushButton>(window, "loadUpperButton"))
    , upperCodingBox(find<QComboBox>(window, "upperCodingBox"))
    , loadLowerButton(find<QPushButton>(window, "loadLowerButton"))
    , lowerCodingBox(find<QComboBox>(window, "lowerCodingBox"))
    , appendCheckBox(find<QCheckBox>(window, "appendCheckBox"))
    , recentButton(find<QToolButton>(window, "recentButton"))
    , exitGroup(find<QGroupBox>(window, "exitGroup"))
    , donateButton(find<QPushButton>(window, "donateButton"))
    , quitButton(find<QPushButton>(window, "quitButton"))
    , aboutButton(find<QPushButton>(window, "aboutButton"))
    , mainSplitter(find<QSplitter>(window, "mainSplitter"))
    , syncGroup(find<QGroupBox>(window, "syncGroup"))
    , upperTitle(find<QLabel>(window, "upperTitle"))
    , upperList(find<QListView>(window, "upperList"))
    , upperTimeBox(find<QListWidget>(window, "upperTimeBox"))
    , syncUpperButton(find<QPushButton>(window, "syncUpperButton"))
    , saveUpperButton(find<QPushButton>(window, "saveUpperButton"))
    , upperTimingButton(find<QPushButton>(window, "upperTimingButton"))
    , stripUpperButton(find<QPushButton>(window, "stripUpperButton"))
    , linkList(find<QListView>(window, "linkList"))
    , addLinkButton(find<QPushButton>(window, "addLinkButton"))
    , autoLinkButton(find<QPushButton>(window, "autoLinkButton"))
    , deleteLinkButton(find<QPushButton>(window, "deleteLinkButton"))
    , clearLinksButton(find<QPushButton>(window, "clearLinksButton"))
    , lowerTitle(find<QLabel>(window, "lowerTitle"))
    , lowerList(find<QListView>(window, "lowerList"))
    , lowerTimeBox(find<QListWidget>(window, "lowerTimeBox"))
    , syncLowerButton(find<QPushButton>(window, "syncLowerButton"))
    , saveLowerButton(find<QPushButton>(window, "saveLowerButton"))
    , lowerTimingButton(find<QPushButton>(window, "lowerTimingButton"))
    , stripLowerButton(find<QPushButton>(window, "stripLowerButton"))
    , processGroup(find<QGroupBox>(window, "processGroup"))
    , processButton(find<QPushButton>(window, "processButton"))
    , saveCodingBox(find<QComboBox>(window, "saveCodingBox"))
    , cpsSpinBox(find<QSpinBox>(window, "cpsSpinBox"))
    , gapSpinBox(find<QSpinBox>(window, "gapSpinBox"))
    , snapSpinBox(find<QSpinBox>(window, "snapSpinBox"))
    , bottomLinesSpinBox(find<QSpinBox>(window, "bottomLinesSpinBox"))
    , upperPositionBox(find<QComboBox>(window, "upperPositionBox"))
    , joinLinesCheckBox(find<QCheckBox>(window, "joinLinesCheckBox"))
    , lastLineBox(find<QComboBox>(window, "lastLineBox"))
    , colorTagsCheckBox(find<QCheckBox>(window, "colorTagsCheckBox"))
    , creditLineCheckBox(find<QCheckBox>(window, "creditLineCheckBox"))
    , upperRedSlider(find<QSlider>(window, "upperRedSlider"))
    , upperGreenSlider(find<QSlider>(window, "upperGreenSlider"))
    , upperBlueSlider(find<QSlider>(window, "upperBlueSlider"))
    , upperSwatch(find<QToolButton>(window, "upperSwatch"))
    , lowerSwatch(find<QToolButton>(window, "lowerSwatch"))
    , upperPreview(find<QLabel>(window, "upperPreview"))
    , lowerPreview(find<QLabel>(window, "lowerPreview"))
    , lowerRedSlider(find<QSlider>(window, "lowerRedSlider"))
    , lowerGreenSlider(find<QSlider>(window, "lowerGreenSlider"))
    , lowerBlueSlider(find<QSlider>(window, "lowerBlueSlider"))
    , previewGroup(find<QGroupBox>(window, "previewGroup"))
    , mergedPreview(find<QLabel>(window, "mergedPreview"))
    , logList(find<QListView>(window, "logList"))
{
}

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
        d.findChild<QComboBox *>(QStringLiteral("frameRateBox"))->setCurrentIndex(index);
        return closeDialog(d);
    };
}

ScriptedPrompts::DialogHandler frameRate(int index, QStringList *opened)
{
    return [index, opened](QDialog &d) {
        if (d.windowTitle() != QLatin1String("Frame Rate required"))
            return int(QDialog::Rejected);
        auto *box = d.findChild<QComboBox *>(QStringLiteral("frameRateBox"));
        *opened << box->currentText();
        if (index >= 0)
            box->setCurrentIndex(index);
        return closeDialog(d);
    };
}

} // namespace testutil
