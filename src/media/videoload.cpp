#include "media/videoload.h"

#include "core/logsink.h"
#include "media/languages.h"
#include "media/videocopy.h"

#include <QFileInfo>

namespace media {

namespace VideoOutput {

QString suffix()
{
    return QStringLiteral("mkv");
}

bool isTarget(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(suffix(), Qt::CaseInsensitive) == 0;
}

} // namespace VideoOutput

namespace {

QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// The track a set was read from, for its language and title.
std::optional<Track> trackOfSet(const SubtitleSet &set)
{
    VideoFile video;
    QString error;
    if (set.track < 0 || !video.open(set.filePath, &error) || !video.track(set.track))
        return std::nullopt;
    return *video.track(set.track);
}

// "English" for a set read from an English track or from "film.en.srt";
// without a language, the track's title or the file's name.
QString languageNameOfSet(const SubtitleSet &set, const QString &fallback)
{
    const std::optional<Track> track = trackOfSet(set);
    const QString language = track ? track->language : languageOf(set.filePath);
    if (!languageName(language).isEmpty())
        return languageName(language);
    if (!language.isEmpty() && language != QLatin1String("und"))
        return language;
    const QString name = track ? track->title : QFileInfo(set.filePath).completeBaseName();
    return name.isEmpty() ? fallback : name;
}

} // namespace

bool openForSet(VideoFile &video, const QString &path, const SubtitleSet &set, LogSink &log)
{
    QString error;
    if (!video.open(path, &error)) {
        log.log(LogError, set.logPrefix, QStringLiteral("error: cannot read %1 (%2)").arg(fileNameOf(path), error));
        return false;
    }
    if (!video.hasText()) {
        log.log(LogError, set.logPrefix, QStringLiteral("error: no text subtitle tracks in %1").arg(fileNameOf(path)));
        return false;
    }
    return true;
}

int chooseTrack(const VideoFile &video, const QString &choice, const SubtitleSet &set, LogSink &log)
{
    if (choice.isEmpty())
        return video.firstText();
    const int number = video.find(choice);
    if (number >= 0)
        return number;
    bool isNumber = false;
    choice.toInt(&isNumber);
    log.log(LogError, set.logPrefix,
            isNumber ? QStringLiteral("error: no track %1 in %2").arg(choice, fileNameOf(video.path()))
                     : QStringLiteral("error: no text track in %1 in %2").arg(choice, fileNameOf(video.path())));
    return -1;
}

int preferredTrack(const VideoFile &video, const QString &language, const QString &otherLanguage, int otherTrack)
{
    const QVector<Track> &tracks = video.tracks();
    const auto first = [&tracks](const std::function<bool(const Track &)> &wanted) {
        for (const Track &t : tracks)
            if (t.kind == TrackKind::Text && wanted(t))
                return t.number;
        return -1;
    };
    int number = first([&](const Track &t) { return sameLanguage(t.language, language); });
    if (number < 0)
        number = first([&](const Track &t) {
            return t.number != otherTrack && !(sameLanguage(t.language, otherLanguage) || t.language == otherLanguage);
        });
    if (number < 0)
        number = first([&](const Track &t) { return t.number != otherTrack; });
    return number >= 0 ? number : video.firstText();
}

std::optional<Session::PreparedLoad> readTrack(Session &session, VideoFile &video, int number, const SubtitleSet &set,
                                               const QString &codecName, const Progress &progress)
{
    LogSink &log = session.log();
    const QString &prefix = set.logPrefix;
    const QString fileName = fileNameOf(video.path());
    const Track *track = video.track(number);
    if (!track) {
        log.log(LogError, prefix, QStringLiteral("error: no track %1 in %2").arg(number).arg(fileName));
        return std::nullopt;
    }
    if (track->kind == TrackKind::Pictures) {
        log.log(LogError, prefix,
                QStringLiteral("error: track %1 holds pictures (%2); Twinscript reads text tracks")
                    .arg(number)
                    .arg(track->codec));
        return std::nullopt;
    }
    if (track->kind == TrackKind::Unreadable) {
        log.log(
            LogError, prefix,
            QStringLiteral("error: track %1 holds %2, which Twinscript does not read").arg(number).arg(track->codec));
        return std::nullopt;
    }
    log.log(LogInfo, prefix, QStringLiteral("track ") + track->description());
    TrackDocument document;
    QString error;
    switch (video.read(number, &document, &error, progress)) {
    case VideoFile::ReadResult::Cancelled:
        log.log(LogInfo, prefix, QStringLiteral("load cancelled"));
        return std::nullopt;
    case VideoFile::ReadResult::Failed:
        log.log(LogError, prefix,
                QStringLiteral("error: %1 is damaged or cut short; track %2 not read (%3)")
                    .arg(fileName)
                    .arg(number)
                    .arg(error));
        return std::nullopt;
    case VideoFile::ReadResult::Ok:
        break;
    }
    const DecodedText decoded = session.decode(set, document.bytes, codecName);
    Session::PreparedLoad load;
    load.path = video.path();
    load.text = decoded.text;
    load.format = document.format;
    load.coding = decoded.coding;
    load.track = number;
    return load;
}

bool loadTrack(Session &session, SubtitleSet &set, const QString &path, const QString &choice, bool append,
               const QString &codecName)
{
    VideoFile video;
    if (!openForSet(video, path, set, session.log()))
        return false;
    const int number = chooseTrack(video, choice, set, session.log());
    if (number < 0)
        return false;
    const std::optional<Session::PreparedLoad> load = readTrack(session, video, number, set, codecName);
    if (load)
        session.loadPrepared(set, *load, 0, append);
    return load.has_value();
}

QString languageOfSet(const SubtitleSet &set)
{
    const std::optional<Track> track = trackOfSet(set);
    return track ? track->language : languageOf(set.filePath);
}

QString mergedTrackTitle(const Session &session)
{
    return languageNameOfSet(session.upper, QStringLiteral("Upper")) + QStringLiteral(" + ")
        + languageNameOfSet(session.lower, QStringLiteral("Lower"));
}

QString copySource(const Session &session)
{
    if (session.upper.track >= 0)
        return session.upper.filePath;
    return session.lower.track >= 0 ? session.lower.filePath : QString();
}

bool saveVideoCopy(Session &session, const QString &target, SubtitleFormat trackFormat, const Progress &progress)
{
    const SubtitleSet &merged = session.merged;
    LogSink &log = session.log();
    const QString source = copySource(session);
    if (source.isEmpty()) {
        log.log(LogError, merged.logPrefix, QStringLiteral("error: neither set comes from a video"));
        return false;
    }
    if (session.upper.count == 0 && session.lower.count == 0) {
        log.log(LogWarning, merged.logPrefix, QStringLiteral("nothing to save: both sets are empty"));
        return false;
    }
    QString text;
    const FormattedSet formatted = session.formatMerged(trackFormat, [&text](const QString &piece) { text += piece; });
    AddedTrack track;
    track.document = text.toUtf8();
    track.subStation = trackFormat == SubtitleFormat::Ass;
    track.title = mergedTrackTitle(session);
    track.count = formatted.written;
    const CopyOutcome outcome = writeVideoCopy(source, target, track, progress);
    for (const QString &warning : outcome.warnings)
        log.log(LogWarning, merged.logPrefix, warning);
    switch (outcome.result) {
    case CopyOutcome::Ok:
        session.logSaved(merged, target, formatted);
        return true;
    case CopyOutcome::Cancelled:
        log.log(LogInfo, merged.logPrefix, QStringLiteral("save cancelled"));
        return false;
    case CopyOutcome::Failed:
        break;
    }
    log.log(LogError, merged.logPrefix,
            QStringLiteral("error: cannot write %1 (%2)").arg(fileNameOf(target), outcome.error));
    return false;
}

} // namespace media
