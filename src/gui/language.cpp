#include "gui/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace Language {

QVector<Offered> offered()
{
    return {{QString(), QCoreApplication::translate("Language", "System language")},
            {QStringLiteral("en"), QStringLiteral("English")},
            {QStringLiteral("de"), QStringLiteral("Deutsch")},
            {QStringLiteral("es"), QStringLiteral("Español")}};
}

void install(const QString &code)
{
    // A translator removes itself when it goes.
    static std::unique_ptr<QTranslator> own, toolkit;
    bool known = false;
    for (const Offered &o : offered())
        known = known || (!code.isEmpty() && o.code == code);
    const QLocale locale = known ? QLocale(code) : QLocale();
    own = std::make_unique<QTranslator>();
    // English is the texts as written: no file, so nothing is found for it.
    if (own->load(locale, QStringLiteral("twinscript"), QStringLiteral("_"), QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(own.get());
    toolkit = std::make_unique<QTranslator>();
    if (toolkit->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(toolkit.get());
}

} // namespace Language
