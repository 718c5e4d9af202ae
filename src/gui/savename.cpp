#include "gui/savename.h"

#include "media/languages.h"
#include "media/videoload.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

QString saveFilters(bool oneSet)
{
    QStringList filters;
    for (const FormatInfo &info : formatTable())
        if (info.write && !info.saveFilter.isEmpty() && (info.savesOneSet || !oneSet))
            filters << info.saveFilter;
    return filters.join(QLatin1String(";;"));
}

} // namespace

QString openFilter()
{
    QStringList patterns;
    for (const FormatInfo &info : formatTable()) {
        if (!info.read)
            continue;
        for (const QString &suffix : info.suffixes)
            if (!patterns.contains(QLatin1String("*.") + suffix))
                patterns << QLatin1String("*.") + suffix;
    }
    QStringList videos;
    for (const QString &suffix : media::videoSuffixes())
        videos << QLatin1String("*.") + suffix;
    return QCoreApplication::translate("MainWindow", "Subtitles (%1);;Videos (%2);;All files (*)")
        .arg(patterns.join(QLatin1Char(' ')), videos.join(QLatin1Char(' ')));
}

QString mergeFilters(bool fromVideo)
{
    if (!fromVideo)
        return saveFilters(false);
    return saveFilters(false) + QLatin1String(";;")
        + QCoreApplication::translate("MainWindow", "Matroska video with the merged track (*.%1)")
              .arg(media::VideoOutput::suffix());
}

QString suffixOfFilter(const QString &filter)
{
    const int from = filter.indexOf(QLatin1String("*."));
    const int to = filter.indexOf(QLatin1Char(')'), from);
    return from < 0 || to < 0 ? QString() : filter.mid(from + 2, to - from - 2);
}

QString setFilters()
{
    return saveFilters(true);
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
    return formatInfo(format).suffixes.value(0);
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
