#pragma once
// The libav module behind the media layer. libavformat and libavcodec bring
// some hundred and thirty libraries with them, whose loading would cost every
// start of the window and the tool tens of milliseconds; the module that
// uses them is loaded only once a video is opened.

#include "media/videocopy.h"
#include "media/videofile.h"

#include <QHash>

#include <memory>

namespace media {

// A container the module opened.
class TrackSource
{
public:
    virtual ~TrackSource() = default;
    // The subtitle tracks, with the counts the file's tags or index give.
    virtual QVector<Track> tracks() = 0;
    // Reads a text track from the start of the file; `counts` gets the
    // subtitles of every subtitle track, found on the way.
    virtual VideoFile::ReadResult read(int number, TrackDocument *document, QHash<int, int> *counts, QString *error,
                                       const Progress &progress)
        = 0;
};

class Backend
{
public:
    virtual ~Backend() = default;
    // A file, or the bytes of one when `bytes` is given.
    virtual std::unique_ptr<TrackSource> open(const QString &path, const QByteArray *bytes, QString *error) = 0;
    virtual CopyOutcome writeCopy(const QString &source, const QString &target, const AddedTrack &track,
                                  const Progress &progress)
        = 0;
};

// The module, loaded at the first call; null, with the reason in `error`,
// when it cannot be.
Backend *backend(QString *error);

} // namespace media

// What the module exports: its backend, which lives as long as the process.
extern "C" Q_DECL_EXPORT media::Backend *twinscriptMediaBackend();
