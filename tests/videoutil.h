#pragma once
// Small videos made while the tests run (never kept in the tree): a colour
// source of a few seconds from ffmpeg's lavfi, a tone, and subtitle tracks
// made from text files with their tags; and the ffmpeg and ffprobe runs that
// check what the copies hold.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace testutil {

struct TrackSpec
{
    QString file; // the text file the track is made from
    QString codec; // as ffmpeg names the encoder: srt, ass, webvtt, mov_text; copy keeps a file's own packets
    QString language;
    QString title;
};

struct Ran
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};
Ran run(const QString &program, const QStringList &args);

// dir/name (its suffix picks the container) with a video and an audio
// stream and the tracks, in their order after them. `inputs` are more of
// ffmpeg's inputs, behind the tracks' files (chapters), `extra` its output
// options (-map_chapters, -attach). Empty when ffmpeg fails.
QString makeVideo(const QString &dir, const QString &name, const QVector<TrackSpec> &tracks,
                  const QStringList &inputs = {}, const QStringList &extra = {});
// A copy of `video` with a picture track (PGS, tagged "eng") added last.
QString withPictureTrack(const QString &video, const QString &name);
// The first `percent` of a file, as a download cut short leaves it.
QString truncated(const QString &path, const QString &name, int percent);

// ffprobe's entries of every stream ("codec_name", "TAG:language",
// "DISPOSITION:default", ...), one map per stream.
QVector<QMap<QString, QString>> probeStreams(const QString &path);
int probeChapterCount(const QString &path);
// The hash of every packet of stream `index` (ffmpeg's streamhash muxer).
QByteArray streamHash(const QString &path, int index);
// Stream `index` written by ffmpeg's muxer for `format` ("ass", "srt").
QByteArray extractTrack(const QString &path, int index, const QString &format);

} // namespace testutil
