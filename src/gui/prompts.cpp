#include "gui/prompts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>

Prompts::~Prompts() = default;

QString Prompts::openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString Prompts::saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter, nullptr, QFileDialog::Options());
}

QString Prompts::chooseSaveFile(QWidget *parent, const QString &caption, const QString &proposed,
                                const QString &filters, QString *selectedFilter)
{
    return QFileDialog::getSaveFileName(parent, caption, proposed, filters, selectedFilter);
}

int Prompts::run(QDialog &dialog)
{
    return dialog.exec();
}

void Prompts::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

QString ScriptedPrompts::openFileName(QWidget *, const QString &caption, const QString &dir, const QString &)
{
    captions.append(caption);
    dirs.append(dir);
    if (openNames.empty())
        return QString();
    QString name = openNames.front();
    openNames.pop_front();
    return name;
}

QString ScriptedPrompts::saveFileName(QWidget *, const QString &caption, const QString &dir, const QString &)
{
    captions.append(caption);
    dirs.append(dir);
    if (saveNames.empty())
        return QString();
    QString name = saveNames.front();
    saveNames.pop_front();
    return name;
}

QString ScriptedPrompts::chooseSaveFile(QWidget *parent, const QString &caption, const QString &proposed,
                                        const QString &filters, QString *selectedFilter)
{
    shownFilters.append(selectedFilter ? *selectedFilter : QString());
    if (selectedFilter && !saveFilterChoices.empty()) {
        *selectedFilter = saveFilterChoices.front();
        saveFilterChoices.pop_front();
    }
    return saveFileName(parent, caption, proposed, filters);
}

int ScriptedPrompts::run(QDialog &dialog)
{
    ++dialogsRun;
    if (dialogs.empty())
        return QDialog::Rejected;
    DialogHandler handler = std::move(dialogs.front());
    dialogs.pop_front();
    return handler(dialog);
}

void ScriptedPrompts::openUrl(const QUrl &url)
{
    openedUrls.append(url);
}

namespace {
Prompts interactivePrompts;
Prompts *currentPrompts = &interactivePrompts;
} // namespace

Prompts &prompts()
{
    return *currentPrompts;
}

void setPrompts(Prompts *p)
{
    currentPrompts = p ? p : &interactivePrompts;
}
