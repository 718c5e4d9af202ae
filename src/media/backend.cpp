#include "media/backend.h"

#include "core/modules.h"

#include <mutex>

namespace media {

namespace {

struct Loaded
{
    Backend *backend = nullptr;
    QString error;
};

Loaded load()
{
    Loaded loaded;
    QString error;
    using Entry = Backend *(*)();
    const auto entry = reinterpret_cast<Entry>(loadModuleEntry(QStringLiteral(TWINSCRIPT_MEDIA_MODULE_NAME),
                                                               QStringLiteral(TWINSCRIPT_MEDIA_MODULE),
                                                               "twinscriptMediaBackend", &error));
    if (entry)
        loaded.backend = entry();
    else
        loaded.error = QStringLiteral("video support not loaded: %1").arg(error);
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
