#pragma once
// The codings offered in the three coding selectors and the lookup of a
// selector entry's codec.

#include <QString>
#include <QStringList>

class QSettings;
class QTextCodec;

namespace CodecRegistry {

inline const QString autoLocal()
{
    return QStringLiteral("Auto Local");
}
inline const QString addRemove()
{
    return QStringLiteral("Add / Remove");
}

// The 59 codings the selection dialog offers, display names in their order.
QStringList fixedCodingList();

// The codec name of a selector item: the text before the first " (" when that
// is not at its very start, the whole text otherwise.
QString codecNameOf(const QString &itemText);

// The toolkit's codec for a codec name, or null when it has none of that name
// ("Auto Local" never has one). Names that Qt 5 spells differently are mapped.
QTextCodec *findCodec(const QString &name);

// The codec to read or write with: the named one or else the local 8-bit one;
// *unknown tells whether the fallback was taken for a real coding name.
QTextCodec *codecOrLocal(const QString &name, bool *unknown = nullptr);

// Rebuilds the items of the three selectors of the preferences and restores
// their current items from the store (index 0 without a store). The chosen
// codings lose their duplicates and any copy of a fixed entry first.
void fillCodingSelectors(QSettings *store);

} // namespace CodecRegistry
