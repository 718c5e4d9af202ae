#include "core/codinglist.h"

namespace Codings {

QStringList fixedList()
{
    return {
        QStringLiteral("Apple Roman"),
        QStringLiteral("Big5 (Chinese Traditional)"),
        QStringLiteral("Big5-HKSCS (Chinese Traditional)"),
        QStringLiteral("CP949 (Korean)"),
        QStringLiteral("EUC-JP (Japanese)"),
        QStringLiteral("EUC-KR (Korean)"),
        QStringLiteral("GB18030-0"),
        QStringLiteral("IBM 850 (Western)"),
        QStringLiteral("IBM 866 (Russian)"),
        QStringLiteral("IBM 874 (Thai)"),
        QStringLiteral("ISO 2022-JP"),
        QStringLiteral("ISO 8859-1 (Western)"),
        QStringLiteral("ISO 8859-2 (Central European)"),
        QStringLiteral("ISO 8859-3 (South European)"),
        QStringLiteral("ISO 8859-4 (Baltic)"),
        QStringLiteral("ISO 8859-5 (Cyrillic)"),
        QStringLiteral("ISO 8859-6 (Arabic)"),
        QStringLiteral("ISO 8859-7 (Greek)"),
        QStringLiteral("ISO 8859-8 (Hebrew)"),
        QStringLiteral("ISO 8859-9 (Turkish)"),
        QStringLiteral("ISO 8859-10 (Nordic)"),
        QStringLiteral("ISO 8859-13 (Baltic)"),
        QStringLiteral("ISO 8859-14 (Celtic)"),
        QStringLiteral("ISO 8859-15 (Western)"),
        QStringLiteral("ISO 8859-16 (Romanian)"),
        QStringLiteral("Iscii-Bng"),
        QStringLiteral("Iscii-Dev"),
        QStringLiteral("Iscii-Gjr"),
        QStringLiteral("Iscii-Knd"),
        QStringLiteral("Iscii-Mlm"),
        QStringLiteral("Iscii-Ori"),
        QStringLiteral("Iscii-Pnj"),
        QStringLiteral("Iscii-Tlg"),
        QStringLiteral("Iscii-Tml"),
        QStringLiteral("JIS X 0201 (Japanese)"),
        QStringLiteral("JIS X 0208 (Japanese)"),
        QStringLiteral("KOI8-R (Cyrillic)"),
        QStringLiteral("KOI8-U (Cyrillic/Ukrainian)"),
        QStringLiteral("MuleLao-1"),
        QStringLiteral("ROMAN8"),
        QStringLiteral("Shift-JIS (Japanese)"),
        QStringLiteral("TIS-620 (Thai)"),
        QStringLiteral("TSCII (Tamil)"),
        QStringLiteral("UTF-16"),
        QStringLiteral("UTF-16BE"),
        QStringLiteral("UTF-16LE"),
        QStringLiteral("UTF-32"),
        QStringLiteral("UTF-32BE"),
        QStringLiteral("UTF-32LE"),
        QStringLiteral("Windows-1250 (Central Europe)"),
        QStringLiteral("Windows-1251 (Cyrillic)"),
        QStringLiteral("Windows-1252 (Western)"),
        QStringLiteral("Windows-1253 (Greek)"),
        QStringLiteral("Windows-1254 (Turkish)"),
        QStringLiteral("Windows-1255 (Hebrew)"),
        QStringLiteral("Windows-1256 (Arabic)"),
        QStringLiteral("Windows-1257 (Baltic)"),
        QStringLiteral("Windows-1258 (Vietnam)"),
        QStringLiteral("WINSAMI2"),
    };
}

QStringList commonList()
{
    return {
        QStringLiteral("Windows-1252 (Western)"),        QStringLiteral("Windows-1250 (Central Europe)"),
        QStringLiteral("Windows-1251 (Cyrillic)"),       QStringLiteral("Windows-1253 (Greek)"),
        QStringLiteral("Windows-1254 (Turkish)"),        QStringLiteral("Windows-1255 (Hebrew)"),
        QStringLiteral("Windows-1256 (Arabic)"),         QStringLiteral("ISO 8859-1 (Western)"),
        QStringLiteral("ISO 8859-2 (Central European)"), QStringLiteral("UTF-16"),
    };
}

QString codecNameOf(const QString &entry)
{
    const int cut = entry.indexOf(QLatin1String(" ("));
    return cut > 0 ? entry.left(cut) : entry;
}

} // namespace Codings
