#include "gui/savename.h"

#include "media/languages.h"
#include "media/videoload.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

QString mergeFilters(bool fromVideo)
{
    const QString filters = QStringLiteral("SubRip (*.srt);;MicroDVD (*.sub);;Advanced SubStation (*.ass)");
    return fromVideo ? filters + QLatin1String(";;") + media::VideoOutput::filter() : filters;
}

QString suffixOfFilter(const QString &filter)
{
    const int from = filter.indexOf(QLatin1String("*."));
    const int to = filter.indexOf(QLatin1Char(')'), from);
    return from < 0 || to < 0 ? QString() : filter.mid(from + 2, to - from - 2);
}

QString setFilters()
{
    return QStringLiteral("SubRip (*.srt);;MicroDVD (*.sub)");
}

QString withSuffix(const QString &name, const QString &filter)
{
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + QLatin1Char('.') + suffixOfFilter(filter);
}

QString filterOfSuffix(const QString &suffix, const QString &filterList)
{
    const QStringList filters = filterList.split(QLatin1String(";;"));
    for (const QString &filter : filters) {
        if (suffixOfFilter(filter) == suffix)
            return filter;
    }
    return filters.first();
}

bool isMergeSuffix(const QString &suffix)
{
    return suffixOfFilter(filterOfSuffix(suffix, mergeFilters(true))) == suffix;
}

QString suffixOfFormat(SubtitleFormat format)
{
    switch (format) {
    case SubtitleFormat::SubRip:
        return QStringLiteral("srt");
    case SubtitleFormat::Ass:
        return QStringLiteral("ass");
    default:
        return QStringLiteral("sub");
    }
}

QString mergeName(const QString &upperPath, const QString &lowerPath, const QString &saveDir, const QString &suffix,
                  const QString &lowerLanguage)
{
    const QString merged = QStringLiteral("merged");
    const QString dotSuffix = QLatin1Char('.') + suffix;
    if (upperPath.isEmpty())
        return QDir(saveDir).filePath(merged + dotSuffix);
    QString language = lowerLanguage.isEmpty() ? languageOf(lowerPath) : lowerLanguage;
    if (language.isEmpty())
        language = merged;
    const QFileInfo info(upperPath);
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + language + dotSuffix);
}

QString ownName(const QString &setPath, const QString &dir, const QString &filter)
{
    const QString own = QFileInfo(setPath).completeBaseName();
    return QDir(dir).filePath((own.isEmpty() ? QStringLiteral("subtitles") : own) + QLatin1Char('.')
                              + suffixOfFilter(filter));
}
