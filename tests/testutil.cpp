#include "testutil.h"

#include "app/actionlog.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include <QDir>
#include <QFile>

namespace testutil {

void resetState()
{
    workspace().init();
    preferences().init();
    ActionLog &log = actionLog();
    log.threshold = 0;
    log.prefix.clear();
    log.context.clear();
    log.list = nullptr;
    log.listener = nullptr;
    setPrompts(nullptr);
    setDialogParent(nullptr);
    setSettingsStore(nullptr);
}

LogCapture::LogCapture()
{
    actionLog().listener = [this](int level, const QString &line) {
        lines.append(line);
        levels.append(level);
    };
}

LogCapture::~LogCapture()
{
    actionLog().listener = nullptr;
}

QString writeFile(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString fixture(const QString &name)
{
    return QStringLiteral(TESTDATA_DIR "/") + name;
}

} // namespace testutil
