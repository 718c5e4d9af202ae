#include "media/backend.h"

#include <QFileInfo>
#include <QLibrary>

#include <mutex>

namespace media {

namespace {

struct Loaded
{
    Backend *backend = nullptr;
    QString error;
};

// Beside the program first, then where `cmake --install` and the package put
// it (lib/twinscript/ beside bin/), then where the build put it (tests and
// benchmarks run from their own folders).
Loaded load()
{
    Loaded loaded;
    using Entry = Backend *(*)();
    const QString programDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString beside = programDir + QStringLiteral("/" TWINSCRIPT_MEDIA_MODULE_NAME);
    const QString installed = programDir + QStringLiteral("/../lib/twinscript/" TWINSCRIPT_MEDIA_MODULE_NAME);
    for (const QString &path : {beside, installed, QStringLiteral(TWINSCRIPT_MEDIA_MODULE)}) {
        QLibrary library(path);
        const auto entry = reinterpret_cast<Entry>(library.resolve("twinscriptMediaBackend"));
        if (entry) {
            loaded.backend = entry();
            return loaded;
        }
        if (loaded.error.isEmpty() || QFileInfo::exists(path))
            loaded.error = QStringLiteral("video support not loaded: %1").arg(library.errorString());
    }
    return loaded;
}

} // namespace

Backend *backend(QString *error)
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    if (!loaded.backend)
        *error = loaded.error;
    return loaded.backend;
}

CopyOutcome writeVideoCopy(const QString &source, const QString &target, const AddedTrack &track,
                           const Progress &progress)
{
    CopyOutcome outcome;
    Backend *module = backend(&outcome.error);
    return module ? module->writeCopy(source, target, track, progress) : outcome;
}

} // namespace media
