#include "gui/selectcodecdlg.h"

#include "ui_selectcodecdlg.h"

#include <QPushButton>

#include <algorithm>

SelectCodecDlg::SelectCodecDlg(const QStringList &all, const QString &current, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::SelectCodecDlg)
{
    ui->setupUi(this);
    ui->codingList->addItems(all);
    const QList<QListWidgetItem *> found = ui->codingList->findItems(current, Qt::MatchExactly);
    if (!found.isEmpty())
        ui->codingList->setCurrentItem(found.first());
    connect(ui->searchEdit, &QLineEdit::textChanged, this, &SelectCodecDlg::filter);
    connect(ui->codingList, &QListWidget::currentItemChanged, this, &SelectCodecDlg::refreshOk);
    connect(ui->codingList, &QListWidget::itemActivated, this, &QDialog::accept);
    ui->searchEdit->setFocus();
    refreshOk();
}

SelectCodecDlg::~SelectCodecDlg() = default;

QString SelectCodecDlg::chosen() const
{
    const QListWidgetItem *item = ui->codingList->currentItem();
    return item && !item->isHidden() ? item->text() : QString();
}

// Every word typed must occur in the entry ("8859 greek"); the first match
// becomes current unless the current entry still matches.
void SelectCodecDlg::filter(const QString &text)
{
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QListWidget *list = ui->codingList;
    QListWidgetItem *first = nullptr;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem *item = list->item(i);
        const bool match = std::all_of(words.begin(), words.end(), [item](const QString &word) {
            return item->text().contains(word, Qt::CaseInsensitive);
        });
        item->setHidden(!match);
        if (match && !first)
            first = item;
    }
    if (!list->currentItem() || list->currentItem()->isHidden())
        list->setCurrentItem(first);
    refreshOk();
}

void SelectCodecDlg::refreshOk()
{
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!chosen().isEmpty());
}
