#pragma once
// The codings a user can choose, by the names the coding selectors show.

#include <QString>
#include <QStringList>

namespace Codings {

inline QString autoLocal()
{
    return QStringLiteral("Auto Local");
}

// Reading: the coding is found from the bytes (see decodeFile); saving: UTF-8.
inline QString autoDetect()
{
    return QStringLiteral("Auto Detect");
}

// The 59 codings the selection dialog offers, display names in their order.
// The codings subtitle files are most often in, offered without a search.
QStringList commonList();
QStringList fixedList();

// The codec name of a selector entry: the text before the first " (" when
// that is not at its very start, the whole text otherwise.
QString codecNameOf(const QString &entry);

} // namespace Codings
