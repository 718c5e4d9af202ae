#include "text/codecregistry.h"

#include "app/preferences.h"

#include <QHash>
#include <QSettings>
#include <QTextCodec>

namespace CodecRegistry {

QStringList fixedCodingList()
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

QString codecNameOf(const QString &itemText)
{
    const int cut = itemText.indexOf(QLatin1String(" ("));
    return cut > 0 ? itemText.left(cut) : itemText;
}

QTextCodec *findCodec(const QString &name)
{
    if (name.isEmpty() || name == autoLocal())
        return nullptr;
    // A failed lookup makes the toolkit print a warning every time; asking once
    // per name keeps repeated loads in an unknown coding quiet.
    static QHash<QString, QTextCodec *> known;
    const auto it = known.constFind(name);
    if (it != known.constEnd())
        return it.value();
    // Qt 5 dropped the "-0" spelling of GB18030.
    QTextCodec *codec
        = QTextCodec::codecForName(name == QLatin1String("GB18030-0") ? QByteArrayLiteral("GB18030") : name.toLatin1());
    known.insert(name, codec);
    return codec;
}

QTextCodec *codecOrLocal(const QString &name, bool *unknown)
{
    QTextCodec *codec = findCodec(name);
    if (unknown)
        *unknown = !codec && !name.isEmpty() && name != autoLocal();
    return codec ? codec : QTextCodec::codecForLocale();
}

void fillCodingSelectors(QSettings *store)
{
    Preferences &p = preferences();
    p.selectedCodecs.removeDuplicates();
    // A hand-edited store may name a fixed entry; "Add / Remove" among the
    // chosen codings could be restored as current and reopen the dialog
    // without end.
    p.selectedCodecs.removeAll(QString());
    p.selectedCodecs.removeAll(autoLocal());
    p.selectedCodecs.removeAll(QStringLiteral("UTF-8"));
    p.selectedCodecs.removeAll(addRemove());
    QStringList items;
    items << autoLocal() << QStringLiteral("UTF-8") << p.selectedCodecs << addRemove();

    struct Selector
    {
        QComboBox *box;
        const char *key;
    };
    const Selector selectors[] = {{p.comboBox_loadupr, "select/codldup"},
                                  {p.comboBox_loadlwr, "select/codldlw"},
                                  {p.comboBox_save, "select/codsave"}};
    for (const Selector &sel : selectors) {
        if (!sel.box)
            continue;
        sel.box->clear();
        sel.box->addItems(items);
    }
    for (const Selector &sel : selectors) {
        if (!sel.box)
            continue;
        const int stored = store ? store->value(QLatin1String(sel.key), 0).toInt() : 0;
        // Never "Add / Remove" (the last item) nor anything past it or before the first.
        sel.box->setCurrentIndex(stored >= 0 && stored < sel.box->count() - 1 ? stored : 0);
    }
}

} // namespace CodecRegistry
