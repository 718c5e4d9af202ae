#include "media/libav/videocopy.h"

#include "media/libav/libav.h"
#include "media/libav/trackdocument.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/mem.h>
}

namespace media {

namespace {

int writeToFile(void *opaque, uint8_t *data, int size)
{
    auto *file = static_cast<QSaveFile *>(opaque);
    return file->write(reinterpret_cast<const char *>(data), size) == size ? size : AVERROR(EIO);
}

int64_t seekInFile(void *opaque, int64_t offset, int whence)
{
    auto *file = static_cast<QSaveFile *>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return file->size();
    case SEEK_SET:
        break;
    case SEEK_CUR:
        offset += file->pos();
        break;
    case SEEK_END:
        offset += file->size();
        break;
    default:
        return AVERROR(EINVAL);
    }
    return file->seek(offset) ? offset : AVERROR(EIO);
}

// The muxer on a QSaveFile, so that the copy is written under a temporary
// name and renamed once whole, as every other file Twinscript writes.
class Output
{
public:
    ~Output()
    {
        avformat_free_context(context);
        if (m_io) {
            av_freep(&m_io->buffer);
            avio_context_free(&m_io);
        }
    }

    bool open(QSaveFile &file, QString *error)
    {
        int result = avformat_alloc_output_context2(&context, nullptr, "matroska", nullptr);
        constexpr int bufferSize = 1 << 18;
        auto *buffer = static_cast<unsigned char *>(av_malloc(bufferSize));
        m_io = buffer ? avio_alloc_context(buffer, bufferSize, 1, &file, nullptr, writeToFile, seekInFile) : nullptr;
        if (!m_io)
            av_free(buffer);
        if (result >= 0 && !m_io)
            result = AVERROR(ENOMEM);
        if (result < 0) {
            *error = av::errorText(result);
            return false;
        }
        context->pb = m_io;
        return true;
    }

    AVFormatContext *context = nullptr;

private:
    AVIOContext *m_io = nullptr;
};

// What happens to each stream of the source in the copy.
struct StreamPlan
{
    int output = -1; // -1: left out
    std::unique_ptr<SubRipTranscoder> toSubRip; // a text track Matroska holds only as SubRip
};

QString streamName(const AVStream *stream)
{
    return QStringLiteral("track #%1 (%2)")
        .arg(stream->index)
        .arg(QString::fromUtf8(avcodec_get_name(stream->codecpar->codec_id)));
}

bool copyChapters(const AVFormatContext *in, AVFormatContext *out)
{
    for (unsigned i = 0; i < in->nb_chapters; ++i) {
        const AVChapter *from = in->chapters[i];
        auto *chapter = static_cast<AVChapter *>(av_mallocz(sizeof(AVChapter)));
        if (!chapter
            || av_dynarray_add_nofree(&out->chapters, reinterpret_cast<int *>(&out->nb_chapters), chapter) < 0) {
            av_free(chapter);
            return false;
        }
        chapter->id = from->id;
        chapter->time_base = from->time_base;
        chapter->start = from->start;
        chapter->end = from->end;
        av_dict_copy(&chapter->metadata, from->metadata, 0);
    }
    return true;
}

} // namespace

CopyOutcome copyWithTrack(const QString &source, const QString &target, const AddedTrack &track,
                          const Progress &progress)
{
    CopyOutcome outcome;
    QString &error = outcome.error;
    const QString sourcePath = QFileInfo(source).canonicalFilePath();
    if (!sourcePath.isEmpty() && sourcePath == QFileInfo(target).canonicalFilePath()) {
        error = QStringLiteral("the copy cannot replace the video it is made from");
        return outcome;
    }
    const std::unique_ptr<av::Input> in = av::openInput(source, &error);
    if (!in)
        return outcome;
    // The first packets are looked at, as ffmpeg does before it copies: the
    // muxer needs a picture's size and a sound's rate, which some containers
    // leave to the decoder (mpeg4 video in MP4), and the order in which the
    // frames are decoded, which Matroska does not store: without it the
    // packets of a video with B-frames would reach the muxer out of order.
    const int probed = avformat_find_stream_info(in->context, nullptr);
    if (probed < 0) {
        error = av::errorText(probed);
        return outcome;
    }
    // From here on an error libav logs (a file cut short) fails the copy;
    // the decoders' complaints about the first frames above did not.
    av::ErrorCapture errors;
    const std::unique_ptr<av::Input> added = av::openInput(track.document, track.subStation ? "ass" : "srt", &error);
    if (!added)
        return outcome;
    if (added->context->nb_streams != 1) {
        error = QStringLiteral("the merged track cannot be read");
        return outcome;
    }

    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return outcome;
    }
    Output out;
    if (!out.open(file, &error))
        return outcome;
    AVFormatContext *const mux = out.context;

    std::vector<StreamPlan> plan(in->context->nb_streams);
    for (unsigned i = 0; i < in->context->nb_streams; ++i) {
        const AVStream *from = in->context->streams[i];
        const AVCodecParameters *codec = from->codecpar;
        const bool attachment = codec->codec_type == AVMEDIA_TYPE_ATTACHMENT;
        const bool held = attachment || avformat_query_codec(mux->oformat, codec->codec_id, FF_COMPLIANCE_NORMAL) == 1;
        StreamPlan &p = plan[i];
        if (!held && codec->codec_type == AVMEDIA_TYPE_SUBTITLE && readsTrack(codec->codec_id)) {
            p.toSubRip = std::make_unique<SubRipTranscoder>();
            if (!p.toSubRip->open(from, &error))
                return outcome;
            outcome.warnings << QStringLiteral("%1 written as SubRip").arg(streamName(from));
        } else if (!held) {
            outcome.warnings << QStringLiteral("%1 left out: Matroska cannot hold it").arg(streamName(from));
            continue;
        }
        AVStream *to = avformat_new_stream(mux, nullptr);
        if (!to) {
            error = av::errorText(AVERROR(ENOMEM));
            return outcome;
        }
        p.output = to->index;
        const int result = p.toSubRip ? avcodec_parameters_from_context(to->codecpar, p.toSubRip->encoder())
                                      : avcodec_parameters_copy(to->codecpar, codec);
        if (result < 0) {
            error = av::errorText(result);
            return outcome;
        }
        to->codecpar->codec_tag = 0;
        to->time_base = from->time_base;
        to->avg_frame_rate = from->avg_frame_rate;
        to->r_frame_rate = from->r_frame_rate;
        to->sample_aspect_ratio = from->sample_aspect_ratio;
        av_dict_copy(&to->metadata, from->metadata, 0);
        to->disposition = from->disposition;
        // The merged track is the one players show.
        if (codec->codec_type == AVMEDIA_TYPE_SUBTITLE)
            to->disposition &= ~AV_DISPOSITION_DEFAULT;
    }
    const AVStream *addedFrom = added->context->streams[0];
    AVStream *addedTo = avformat_new_stream(mux, nullptr);
    if (!addedTo || avcodec_parameters_copy(addedTo->codecpar, addedFrom->codecpar) < 0) {
        error = av::errorText(AVERROR(ENOMEM));
        return outcome;
    }
    addedTo->time_base = addedFrom->time_base;
    addedTo->disposition = AV_DISPOSITION_DEFAULT;
    av_dict_set(&addedTo->metadata, "language", track.language.toUtf8().constData(), 0);
    if (!track.title.isEmpty())
        av_dict_set(&addedTo->metadata, "title", track.title.toUtf8().constData(), 0);
    // Listing the copy's tracks counts the merged one from this: its index
    // holds one entry for events that start together.
    if (track.count >= 0)
        av_dict_set_int(&addedTo->metadata, "NUMBER_OF_FRAMES", track.count, 0);
    av_dict_copy(&mux->metadata, in->context->metadata, 0);
    if (!copyChapters(in->context, mux)) {
        error = av::errorText(AVERROR(ENOMEM));
        return outcome;
    }

    // The track's times count from the film's start, the container's from its own origin.
    const int64_t origin = in->context->start_time != AV_NOPTS_VALUE
        ? av_rescale_q(in->context->start_time, AVRational {1, AV_TIME_BASE}, addedFrom->time_base)
        : 0;
    int result = avformat_write_header(mux, nullptr);
    const av::Packet packet = av::newPacket();
    const av::Packet addedPacket = av::newPacket();
    bool addedLeft = true;
    // The added track's packets go in before the source's packets that
    // follow them, so that the muxer holds only a few of them at a time.
    const auto writeAddedUntil = [&](int64_t until, AVRational base) {
        while (result >= 0 && addedLeft) {
            if (addedPacket->data == nullptr) {
                if (av_read_frame(added->context, addedPacket.get()) < 0) {
                    addedLeft = false;
                    break;
                }
                addedPacket->pts += origin;
                addedPacket->dts += origin;
            }
            if (until != AV_NOPTS_VALUE && av_compare_ts(addedPacket->pts, addedFrom->time_base, until, base) > 0)
                break;
            av_packet_rescale_ts(addedPacket.get(), addedFrom->time_base, addedTo->time_base);
            addedPacket->stream_index = addedTo->index;
            addedPacket->pos = -1;
            result = av_interleaved_write_frame(mux, addedPacket.get());
            av_packet_unref(addedPacket.get());
        }
    };
    const int64_t size = qMax<int64_t>(1, avio_size(in->context->pb));
    for (unsigned n = 0; result >= 0 && errors.lines.isEmpty(); ++n) {
        const int read = av_read_frame(in->context, packet.get());
        if (read == AVERROR_EOF)
            break;
        if (read < 0) {
            result = read;
            break;
        }
        StreamPlan &p = plan[size_t(packet->stream_index)];
        const AVStream *from = in->context->streams[packet->stream_index];
        if (p.output >= 0) {
            writeAddedUntil(packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts, from->time_base);
            if (p.toSubRip) {
                QByteArray text;
                qint64 shown = 0;
                if (!p.toSubRip->transcode(packet.get(), &text, &shown, &error))
                    break;
                // A packet that only ends a subtitle is left out; the one
                // before it carries its duration.
                if (text.isEmpty()) {
                    av_packet_unref(packet.get());
                    continue;
                }
                if (packet->duration <= 0 && shown > 0)
                    packet->duration = av_rescale_q(shown, AVRational {1, 1000}, from->time_base);
                if (av_buffer_realloc(&packet->buf, text.size() + AV_INPUT_BUFFER_PADDING_SIZE) < 0) {
                    result = AVERROR(ENOMEM);
                    break;
                }
                memcpy(packet->buf->data, text.constData(), size_t(text.size()));
                memset(packet->buf->data + text.size(), 0, AV_INPUT_BUFFER_PADDING_SIZE);
                packet->data = packet->buf->data;
                packet->size = text.size();
                av_packet_free_side_data(packet.get());
            }
            AVStream *to = mux->streams[p.output];
            av_packet_rescale_ts(packet.get(), from->time_base, to->time_base);
            packet->stream_index = p.output;
            packet->pos = -1;
            result = av_interleaved_write_frame(mux, packet.get());
        }
        av_packet_unref(packet.get());
        if (progress && n % 256 == 0 && !progress(double(avio_tell(in->context->pb)) / double(size))) {
            outcome.result = CopyOutcome::Cancelled;
            file.cancelWriting();
            return outcome;
        }
    }
    writeAddedUntil(AV_NOPTS_VALUE, AVRational {1, 1});
    if (result >= 0)
        result = av_write_trailer(mux);
    if (result >= 0)
        avio_flush(mux->pb);
    if (!error.isEmpty() || result < 0 || !errors.lines.isEmpty()) {
        if (error.isEmpty())
            error = errors.lines.isEmpty() ? av::errorText(result) : errors.lines.first();
        file.cancelWriting();
        return outcome;
    }
    if (!file.commit()) {
        error = file.errorString();
        return outcome;
    }
    outcome.result = CopyOutcome::Ok;
    return outcome;
}

} // namespace media
