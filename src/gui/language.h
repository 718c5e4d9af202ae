#pragma once
// The languages the window speaks, and installing one of them: the window's
// own texts (Qt Linguist files built into the program) and the toolkit's
// (standard buttons, file dialogs). Log lines stay English whatever is chosen.

#include <QString>
#include <QVector>

namespace Language {

struct Offered
{
    QString code; // "de"; empty: the system's language
    QString name; // in its own language ("Deutsch"); the system entry in the window's language
};

// The system's language first, then English, German and Spanish.
QVector<Offered> offered();

// Installs the translations for `code`, the system's language when it is
// empty or not offered; replaces the ones installed before.
void install(const QString &code);

} // namespace Language
