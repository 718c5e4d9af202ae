#include "gui/prompts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QProgressDialog>

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

void Prompts::showProgress(QProgressDialog &dialog)
{
    dialog.show();
}

namespace {

// The next scripted answer; none left is a cancelled dialog.
QString takeNext(std::deque<QString> &answers)
{
    if (answers.empty())
        return QString();
    QString answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

} // namespace

QString ScriptedPrompts::openFileName(QWidget *, const QString &caption, const QString &dir, const QString &)
{
    captions.append(caption);
    dirs.append(dir);
    return takeNext(openNames);
}

QString ScriptedPrompts::saveFileName(QWidget *, const QString &caption, const QString &dir, const QString &)
{
    captions.append(caption);
    dirs.append(dir);
    return takeNext(saveNames);
}

QString ScriptedPrompts::chooseSaveFile(QWidget *parent, const QString &caption, const QString &proposed,
                                        const QString &filters, QString *selectedFilter)
{
    shownFilters.append(selectedFilter ? *selectedFilter : QString());
    if (selectedFilter && !saveFilterChoices.empty())
        *selectedFilter = takeNext(saveFilterChoices);
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

void ScriptedPrompts::showProgress(QProgressDialog &dialog)
{
    ++progressShown;
    if (cancelProgress)
        dialog.cancel();
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
