#pragma once
// The subtitle tracks of a video file (Matroska, WebM, MP4, QuickTime) and
// the reading of one of them into the text of a subtitle file that the core's
// readers take. Only the header and index are read to list the tracks; a
// track is read packet by packet, and no video or audio is ever decoded.

#include "core/formats.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

namespace media {

class TrackSource;

enum class TrackKind { Text, Pictures, Unreadable };

struct Track
{
    int number = -1; // the container's stream number, as ffmpeg counts them ("0:3")
    QString language; // the track's tag, "und" when it has none
    QString title;
    QString codec; // "SubRip", "PGS", ...
    TrackKind kind = TrackKind::Unreadable;
    int count = -1; // subtitles; -1 while the file's index does not say and the track was not read

    // "#3 spa — Spanish (Latin America), SubRip, 1029 subtitles"; the
    // language's name stands in for a missing title.
    QString description() const;
    // Number, language, title, codec, count (empty while unknown) and
    // "text", "pictures" or "unreadable", separated by tabs.
    QString tabLine() const;
};

// One track as the bytes of a subtitle file of a format the core reads: in
// UTF-8 as Matroska and MP4 want it, or as the track holds it when it was
// muxed from a file in another coding.
struct TrackDocument
{
    QByteArray bytes;
    SubtitleFormat format = SubtitleFormat::SubRip;
    int count = 0; // subtitles with text
};

// Told how much of the file was read (0 to 1); returning false cancels.
using Progress = std::function<bool(double done)>;

// Whether the file is one of the videos whose tracks are read, by its first
// bytes (not by its name).
bool isVideoFile(const QString &path);
// "mkv", "mka", "mp4", ...: what such files are usually named, for the open dialog.
QStringList videoSuffixes();

class VideoFile
{
public:
    VideoFile();
    ~VideoFile();
    VideoFile(const VideoFile &) = delete;
    VideoFile &operator=(const VideoFile &) = delete;

    // Reads the header; false with libav's reason in `error` when the file
    // cannot be read as one of the videos.
    bool open(const QString &path, QString *error);
    // The same on the bytes of a whole file (small files and fuzzing).
    bool openBytes(const QByteArray &bytes, QString *error);

    QString path() const { return m_path; }
    // The subtitle tracks, in the container's order.
    const QVector<Track> &tracks() const { return m_tracks; }
    const Track *track(int number) const;
    bool hasText() const { return firstText() >= 0; }
    int firstText() const;
    // The number of the track `choice` names: a track number, else the first
    // text track in that language (a code of two or three letters or its
    // English name, or a track title); -1 when none does.
    int find(const QString &choice) const;

    enum class ReadResult { Ok, Cancelled, Failed };
    // Reads a text track. The counts of all subtitle tracks become exact.
    ReadResult read(int number, TrackDocument *document, QString *error, const Progress &progress = {});

private:
    std::unique_ptr<TrackSource> m_source;
    QString m_path;
    QVector<Track> m_tracks;

    bool opened(std::unique_ptr<TrackSource> source);
};

} // namespace media
