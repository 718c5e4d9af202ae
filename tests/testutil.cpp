#include "testutil.h"

#include "app/actionlog.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>

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

Subtitle &addSubtitle(SubtitleSet &set, int start, int end, const QString &text, bool angleTags)
{
    Subtitle &s = set.records[size_t(set.count++)];
    s.reset();
    s.start = start;
    s.end = end;
    s.text = text;
    s.angleTags = angleTags;
    s.normalize();
    return s;
}

void fillSet(SubtitleSet &set, const QStringList &items)
{
    set.reset();
    for (const QString &item : items) {
        const QStringList times = item.section(QLatin1Char(' '), 0, 0).split(QLatin1Char('/'));
        addSubtitle(set, times[0].toInt(), times[1].toInt(), item.section(QLatin1Char(' '), 1));
    }
}

void fillStarts(SubtitleSet &set, const QVector<int> &starts, int duration)
{
    set.reset();
    for (int start : starts)
        addSubtitle(set, start, clampToInt32(qint64(start) + duration), QString());
}

QVector<int> startsOf(const SubtitleSet &set)
{
    QVector<int> v;
    for (int i = 0; i < set.count; ++i)
        v << set.records[size_t(i)].start;
    return v;
}

QStringList rowTexts(const QListWidget &view)
{
    QStringList texts;
    for (int i = 0; i < view.count(); ++i)
        texts << view.item(i)->text();
    return texts;
}

QByteArray srtBytes(const QVector<int> &startsMs)
{
    const auto t = [](int ms) {
        return QStringLiteral("%1:%2:%3,%4")
            .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
            .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms % 1000, 3, 10, QLatin1Char('0'));
    };
    QByteArray out;
    for (int i = 0; i < startsMs.size(); ++i) {
        out += QStringLiteral("%1\n%2 --> %3\nline %1\n\n")
                   .arg(i + 1)
                   .arg(t(startsMs[i]), t(startsMs[i] + 500))
                   .toUtf8();
    }
    return out;
}

int closeDialog(QDialog &dialog, bool ok)
{
    auto *box = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QPushButton *button = box ? box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel) : nullptr;
    if (!button)
        return -1;
    button->click();
    return dialog.result();
}

} // namespace testutil
