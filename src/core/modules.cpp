#include "core/modules.h"

#include <QFileInfo>
#include <QLibrary>

void *loadModuleEntry(const QString &fileName, const QString &builtAt, const char *entry, QString *error)
{
    const QString programDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString beside = programDir + QLatin1Char('/') + fileName;
    const QString installed = programDir + QStringLiteral("/../lib/twinscript/") + fileName;
    error->clear();
    for (const QString &path : {beside, installed, builtAt}) {
        QLibrary library(path);
        if (QFunctionPointer function = library.resolve(entry))
            return reinterpret_cast<void *>(function);
        if (error->isEmpty() || QFileInfo::exists(path))
            *error = library.errorString();
    }
    return nullptr;
}
