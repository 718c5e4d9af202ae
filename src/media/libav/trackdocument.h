#pragma once
// A text track's packets turned into the text of a subtitle file that the
// core's readers take: SubRip packets into SubRip, SubStation packets and
// their header into a SubStation script, WebVTT cues into WebVTT, and every
// other text codec libavcodec decodes through its decoder and the SubRip
// encoder into SubRip (what `ffmpeg -i film.mp4 out.srt` does).

#include "media/videofile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QStringList>

#include <memory>

namespace media {

// Times are counted from the film's start (`originMs` in the container's
// time), as ffmpeg and players count them.
class DocumentBuilder
{
public:
    DocumentBuilder(AVRational base, qint64 originMs)
        : m_base(base)
        , m_originMs(originMs)
    {
    }
    virtual ~DocumentBuilder() = default;
    // False when the packet cannot be read; error() says why.
    virtual bool add(const AVPacket *packet) = 0;
    virtual TrackDocument finish() = 0;
    QString error() const { return m_error; }

protected:
    QString m_error;

    qint64 startOf(const AVPacket *packet) const;
    // 0 when the packet does not say.
    qint64 durationOf(const AVPacket *packet) const;

private:
    AVRational m_base;
    qint64 m_originMs;
};

// A text codec's packets as SubRip text: libavcodec's decoder gives each as a
// SubStation event, its SubRip encoder turns that into SubRip text, with the
// styles' italics and the override tags it knows as SubRip tags.
class SubRipTranscoder
{
public:
    SubRipTranscoder();
    ~SubRipTranscoder();
    bool open(const AVStream *stream, QString *error);
    // The packet's text, empty for one that only ends a subtitle;
    // `displayMs` how long the decoder shows it (0 when it does not say).
    // False on a packet the decoder refuses.
    bool transcode(const AVPacket *packet, QByteArray *text, qint64 *displayMs, QString *error);
    const AVCodecContext *encoder() const { return m_encoder; }

private:
    AVCodecContext *m_decoder = nullptr;
    AVCodecContext *m_encoder = nullptr;
};

// Whether a track of this codec can be read.
bool readsTrack(AVCodecID codec);
// The builder for the stream's codec; none (with `error`) when it cannot be read.
std::unique_ptr<DocumentBuilder> documentBuilder(const AVStream *stream, qint64 originMs, QString *error);

} // namespace media
