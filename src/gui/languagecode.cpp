#include "gui/languagecode.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

QString languageOf(const QString &path)
{
    static const QStringList names {
        "english",  "spanish", "german",  "french",  "italian",   "portuguese", "dutch",   "polish",    "czech",
        "russian",  "greek",   "turkish", "swedish", "norwegian", "danish",     "finnish", "hungarian", "romanian",
        "croatian", "serbian", "arabic",  "hebrew",  "chinese",   "japanese",   "korean",  "vietnamese"};
    const QStringList parts = QFileInfo(path).completeBaseName().split(QLatin1Char('.'));
    for (int i = parts.size() - 1; i >= 1; --i) {
        const QString &part = parts.at(i);
        const bool letters = std::all_of(part.begin(), part.end(), [](QChar c) { return c.isLetter(); });
        if (letters && (part.size() == 2 || part.size() == 3 || names.contains(part.toLower())))
            return part;
    }
    return QString();
}
