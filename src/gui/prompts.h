#pragma once
// Every file dialog and every modal dialog run goes through here, so that tests
// and the command-line tool can answer them without anyone clicking.

#include <QString>
#include <QUrl>

#include <deque>
#include <functional>

class QDialog;
class QProgressDialog;
class QWidget;

class Prompts
{
public:
    virtual ~Prompts();
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
    // A save dialog opened on a proposed file, with a choice of filters;
    // `selectedFilter` holds the one shown first and gets the one chosen.
    virtual QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &proposed,
                                   const QString &filters, QString *selectedFilter);
    // Runs the dialog modally and returns its result (QDialog::Accepted or Rejected).
    virtual int run(QDialog &dialog);
    virtual void openUrl(const QUrl &url);
    // The progress of a long read or write, once it has taken progressDelay() ms.
    virtual void showProgress(QProgressDialog &dialog);
    virtual int progressDelay() const { return 500; }
};

// Answers from a script: file names and dialog handlers are taken in order.
// A handler sets the dialog's widgets as a user would and returns its result;
// with no handler queued a dialog is cancelled, with no name queued a file
// dialog is cancelled.
class ScriptedPrompts : public Prompts
{
public:
    using DialogHandler = std::function<int(QDialog &)>;

    std::deque<QString> openNames;
    std::deque<QString> saveNames;
    std::deque<DialogHandler> dialogs;
    std::deque<QString> saveFilterChoices; // filters chosen in save dialogs; none: the one shown first
    QStringList shownFilters; // the filter each chooseSaveFile showed first
    QList<QUrl> openedUrls;
    QStringList captions; // every file dialog's caption, in order
    QStringList dirs; // every file dialog's start directory, in order
    int dialogsRun = 0;
    int progressDelayMs = 500;
    bool cancelProgress = false; // Cancel is pressed as soon as a progress dialog shows
    int progressShown = 0;

    QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override;
    QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &proposed, const QString &filters,
                           QString *selectedFilter) override;
    int run(QDialog &dialog) override;
    void openUrl(const QUrl &url) override;
    void showProgress(QProgressDialog &dialog) override;
    int progressDelay() const override { return progressDelayMs; }
};

Prompts &prompts();
// Installs p (not owned); nullptr restores the interactive prompts.
void setPrompts(Prompts *p);
