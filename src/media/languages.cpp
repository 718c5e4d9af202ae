#include "media/languages.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace {

struct Language
{
    const char *code; // ISO 639-2, the bibliographic form Matroska uses
    const char *other; // the terminological form where it differs, else ""
    const char *shortCode; // ISO 639-1
    const char *name;
};

// The languages films are subtitled in most, with both of the three-letter
// forms that tracks carry.
constexpr Language languages[] = {
    {"ara", "", "ar", "Arabic"},     {"baq", "eus", "eu", "Basque"},        {"bel", "", "be", "Belarusian"},
    {"ben", "", "bn", "Bengali"},    {"bos", "", "bs", "Bosnian"},          {"bul", "", "bg", "Bulgarian"},
    {"cat", "", "ca", "Catalan"},    {"chi", "zho", "zh", "Chinese"},       {"hrv", "", "hr", "Croatian"},
    {"cze", "ces", "cs", "Czech"},   {"dan", "", "da", "Danish"},           {"dut", "nld", "nl", "Dutch"},
    {"eng", "", "en", "English"},    {"est", "", "et", "Estonian"},         {"per", "fas", "fa", "Persian"},
    {"fil", "", "", "Filipino"},     {"fin", "", "fi", "Finnish"},          {"fre", "fra", "fr", "French"},
    {"glg", "", "gl", "Galician"},   {"geo", "kat", "ka", "Georgian"},      {"ger", "deu", "de", "German"},
    {"gre", "ell", "el", "Greek"},   {"heb", "", "he", "Hebrew"},           {"hin", "", "hi", "Hindi"},
    {"hun", "", "hu", "Hungarian"},  {"ice", "isl", "is", "Icelandic"},     {"ind", "", "id", "Indonesian"},
    {"gle", "", "ga", "Irish"},      {"ita", "", "it", "Italian"},          {"jpn", "", "ja", "Japanese"},
    {"kaz", "", "kk", "Kazakh"},     {"kor", "", "ko", "Korean"},           {"lav", "", "lv", "Latvian"},
    {"lit", "", "lt", "Lithuanian"}, {"mac", "mkd", "mk", "Macedonian"},    {"may", "msa", "ms", "Malay"},
    {"mal", "", "ml", "Malayalam"},  {"nob", "", "nb", "Norwegian Bokmål"}, {"nor", "", "no", "Norwegian"},
    {"pol", "", "pl", "Polish"},     {"por", "", "pt", "Portuguese"},       {"rum", "ron", "ro", "Romanian"},
    {"rus", "", "ru", "Russian"},    {"srp", "", "sr", "Serbian"},          {"slo", "slk", "sk", "Slovak"},
    {"slv", "", "sl", "Slovenian"},  {"spa", "", "es", "Spanish"},          {"swe", "", "sv", "Swedish"},
    {"tam", "", "ta", "Tamil"},      {"tel", "", "te", "Telugu"},           {"tha", "", "th", "Thai"},
    {"tur", "", "tr", "Turkish"},    {"ukr", "", "uk", "Ukrainian"},        {"urd", "", "ur", "Urdu"},
    {"vie", "", "vi", "Vietnamese"}, {"wel", "cym", "cy", "Welsh"},
};

// A tag may carry a region or script after the language ("spa-419", "pt-BR").
QString baseOf(const QString &language)
{
    const int cut = language.indexOf(QLatin1Char('-'));
    return (cut < 0 ? language : language.left(cut)).trimmed();
}

const Language *find(const QString &language)
{
    const QString base = baseOf(language);
    if (base.isEmpty())
        return nullptr;
    for (const Language &l : languages) {
        if (base.compare(QLatin1String(l.code), Qt::CaseInsensitive) == 0
            || (*l.other && base.compare(QLatin1String(l.other), Qt::CaseInsensitive) == 0)
            || (*l.shortCode && base.compare(QLatin1String(l.shortCode), Qt::CaseInsensitive) == 0)
            || base.compare(QString::fromUtf8(l.name), Qt::CaseInsensitive) == 0)
            return &l;
    }
    return nullptr;
}

} // namespace

QString languageOf(const QString &path)
{
    const QStringList parts = QFileInfo(path).completeBaseName().split(QLatin1Char('.'));
    for (int i = parts.size() - 1; i >= 1; --i) {
        const QString &part = parts.at(i);
        const bool letters = std::all_of(part.begin(), part.end(), [](QChar c) { return c.isLetter(); });
        if (letters && (part.size() == 2 || part.size() == 3 || find(part)))
            return part;
    }
    return QString();
}

QString languageName(const QString &language)
{
    const Language *l = find(language);
    return l ? QString::fromUtf8(l->name) : QString();
}

bool sameLanguage(const QString &a, const QString &b)
{
    const Language *l = find(a);
    return l && l == find(b);
}
