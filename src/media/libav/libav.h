#pragma once
// The libav* pieces the media layer shares (not for the window or the tool):
// an input opened on a file or on bytes in memory, owning pointers, error
// texts, and the error lines libav logs while a piece of work runs.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace media::av {

struct PacketFree
{
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
using Packet = std::unique_ptr<AVPacket, PacketFree>;
inline Packet newPacket()
{
    return Packet(av_packet_alloc());
}

struct CodecFree
{
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
using Codec = std::unique_ptr<AVCodecContext, CodecFree>;

// A demuxer on a file or on bytes held here; closed with it.
class Input
{
public:
    Input() = default;
    Input(const Input &) = delete;
    Input &operator=(const Input &) = delete;
    ~Input();

    AVFormatContext *context = nullptr;
    QByteArray bytes; // what a memory input reads
    qint64 position = 0;

private:
    friend std::unique_ptr<Input> openInput(const QByteArray &, const char *, QString *);
    AVIOContext *m_io = nullptr;
};

// The header is read, no packet yet. `error` gets libav's reason on failure.
std::unique_ptr<Input> openInput(const QString &path, QString *error);
// Bytes as a file of the named format (nullptr: found by probing).
std::unique_ptr<Input> openInput(const QByteArray &bytes, const char *formatName, QString *error);

// Whether the demuxer is one of those whose files hold subtitle tracks we read.
bool isVideoDemuxer(const AVInputFormat *format);

QString errorText(int code);

// While one lives, the error lines libav logs on this thread are kept in
// `lines`; all other libav output is silenced, so that the tool's standard
// error carries only log lines.
class ErrorCapture
{
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture &) = delete;
    ErrorCapture &operator=(const ErrorCapture &) = delete;

    QStringList lines;

private:
    ErrorCapture *m_outer;
};

// Milliseconds of a timestamp in `base`; clamped to what a subtitle time holds.
qint64 toMs(int64_t ts, AVRational base);

} // namespace media::av
