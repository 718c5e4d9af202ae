// The module's side of a video file: its subtitle tracks as the header and
// index describe them, and the reading of one into a document.

#include "media/backend.h"
#include "media/libav/libav.h"
#include "media/libav/trackdocument.h"
#include "media/libav/videocopy.h"

namespace media {

namespace {

QString tag(const AVDictionary *metadata, const char *key)
{
    const AVDictionaryEntry *entry = av_dict_get(metadata, key, nullptr, 0);
    return entry ? QString::fromUtf8(entry->value).trimmed() : QString();
}

// The names people know the subtitle codecs by.
QString codecName(const AVCodecParameters *codec)
{
    if (codec->codec_id == AV_CODEC_ID_ASS || codec->codec_id == AV_CODEC_ID_SSA) {
        const QByteArray header(reinterpret_cast<const char *>(codec->extradata), qMax(0, codec->extradata_size));
        return header.contains("[V4 Styles]") ? QStringLiteral("SubStation Alpha")
                                              : QStringLiteral("Advanced SubStation");
    }
    static const struct
    {
        AVCodecID id;
        const char *name;
    } names[] = {{AV_CODEC_ID_SUBRIP, "SubRip"},         {AV_CODEC_ID_WEBVTT, "WebVTT"},
                 {AV_CODEC_ID_MOV_TEXT, "mov_text"},     {AV_CODEC_ID_TEXT, "plain text"},
                 {AV_CODEC_ID_HDMV_PGS_SUBTITLE, "PGS"}, {AV_CODEC_ID_DVD_SUBTITLE, "VobSub"},
                 {AV_CODEC_ID_DVB_SUBTITLE, "DVB"},      {AV_CODEC_ID_DVB_TELETEXT, "teletext"}};
    for (const auto &n : names)
        if (n.id == codec->codec_id)
            return QLatin1String(n.name);
    return QString::fromUtf8(avcodec_get_name(codec->codec_id));
}

TrackKind kindOf(AVCodecID codec)
{
    const AVCodecDescriptor *descriptor = avcodec_descriptor_get(codec);
    if (descriptor && (descriptor->props & AV_CODEC_PROP_BITMAP_SUB))
        return TrackKind::Pictures;
    return readsTrack(codec) ? TrackKind::Text : TrackKind::Unreadable;
}

// What mkvmerge's statistics tags say (ffmpeg keeps the tag's language as a
// suffix: "NUMBER_OF_FRAMES-eng").
int countOfTags(const AVStream *stream)
{
    const AVDictionaryEntry *entry = av_dict_get(stream->metadata, "NUMBER_OF_FRAMES", nullptr, AV_DICT_IGNORE_SUFFIX);
    bool ok = false;
    const int count = entry ? QByteArray(entry->value).toInt(&ok) : -1;
    return ok && count >= 0 ? count : -1;
}

// The entries of the container's index: Matroska's cues point at every block
// of a subtitle track where the muxer indexed them; MP4's sample table holds
// every sample, the empty ones that end a subtitle included.
int countOfIndex(AVStream *stream)
{
    const int entries = avformat_index_get_entries_count(stream);
    if (entries <= 0)
        return -1;
    const int emptySize = stream->codecpar->codec_id == AV_CODEC_ID_MOV_TEXT ? 2 : 0;
    int count = 0;
    for (int i = 0; i < entries; ++i) {
        const AVIndexEntry *entry = avformat_index_get_entry(stream, i);
        // Matroska's cues do not say how large a block is.
        if (entry->size == 0 || entry->size > emptySize)
            ++count;
    }
    return count;
}

bool isMatroska(const AVFormatContext *context)
{
    return qstrcmp(context->iformat->name, "matroska,webm") == 0;
}

// Packets that carry no subtitle: the empty samples that end one in MP4.
bool isEmptyPacket(const AVPacket *packet, AVCodecID codec)
{
    return packet->size <= (codec == AV_CODEC_ID_MOV_TEXT ? 2 : 0);
}

} // namespace

class LibavTrackSource : public TrackSource
{
public:
    LibavTrackSource(const QString &path, const QByteArray *bytes)
        : m_path(path)
        , m_bytes(bytes ? *bytes : QByteArray())
        , m_fromBytes(bytes)
    {
    }

    // Reads the header; false when the file is none of the videos read.
    bool open(QString *error)
    {
        m_input = m_fromBytes ? av::openInput(m_bytes, nullptr, error) : av::openInput(m_path, error);
        if (m_input && !av::isVideoDemuxer(m_input->context->iformat)) {
            *error = QStringLiteral("not a Matroska or MP4 file");
            m_input.reset();
        }
        m_read = false;
        return m_input != nullptr;
    }

    QVector<Track> tracks() override
    {
        AVFormatContext *context = m_input->context;
        QVector<Track> tracks;
        bool indexNeeded = false;
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            const AVStream *stream = context->streams[i];
            if (stream->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE)
                continue;
            Track track;
            track.number = int(i);
            track.language = tag(stream->metadata, "language");
            if (track.language.isEmpty())
                track.language = QStringLiteral("und");
            track.title = tag(stream->metadata, "title");
            track.codec = codecName(stream->codecpar);
            track.kind = kindOf(stream->codecpar->codec_id);
            track.count = countOfTags(stream);
            indexNeeded = indexNeeded || track.count < 0;
            tracks.append(track);
        }
        if (indexNeeded && isMatroska(context) && !m_read) {
            // The demuxer reads the cues when it first seeks; to the start,
            // so that nothing else is read.
            av_seek_frame(context, -1, 0, AVSEEK_FLAG_BACKWARD);
            m_read = true;
        }
        for (Track &track : tracks)
            if (track.count < 0)
                track.count = countOfIndex(context->streams[track.number]);
        return tracks;
    }

    VideoFile::ReadResult read(int number, TrackDocument *document, QHash<int, int> *counts, QString *error,
                               const Progress &progress) override
    {
        using Result = VideoFile::ReadResult;
        // Back to the top: the header is read again rather than sought to.
        if (m_read && !open(error))
            return Result::Failed;
        m_read = true;
        AVFormatContext *context = m_input->context;
        if (number < 0 || unsigned(number) >= context->nb_streams) {
            *error = QStringLiteral("no track %1").arg(number);
            return Result::Failed;
        }
        const qint64 originMs
            = context->start_time != AV_NOPTS_VALUE ? av::toMs(context->start_time, AVRational {1, AV_TIME_BASE}) : 0;
        std::unique_ptr<DocumentBuilder> builder = documentBuilder(context->streams[number], originMs, error);
        if (!builder)
            return Result::Failed;
        // The other subtitle tracks come along for their counts: their
        // packets are small, and the blocks around them are read anyway.
        for (unsigned i = 0; i < context->nb_streams; ++i)
            context->streams[i]->discard = context->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE
                ? AVDISCARD_DEFAULT
                : AVDISCARD_ALL;

        av::ErrorCapture errors;
        const av::Packet packet = av::newPacket();
        const int64_t size = qMax<int64_t>(1, avio_size(context->pb));
        int result = 0;
        for (unsigned n = 0; (result = av_read_frame(context, packet.get())) >= 0; ++n) {
            const AVStream *stream = context->streams[packet->stream_index];
            if (stream->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE
                && !isEmptyPacket(packet.get(), stream->codecpar->codec_id))
                ++(*counts)[packet->stream_index];
            if (packet->stream_index == number && !builder->add(packet.get()))
                errors.lines.append(builder->error());
            av_packet_unref(packet.get());
            if (progress && n % 64 == 0 && !progress(double(avio_tell(context->pb)) / double(size)))
                return Result::Cancelled;
            if (!errors.lines.isEmpty())
                break;
        }
        if (result < 0 && result != AVERROR_EOF)
            errors.lines.append(av::errorText(result));
        if (!errors.lines.isEmpty()) {
            *error = errors.lines.first();
            return Result::Failed;
        }
        *document = builder->finish();
        return Result::Ok;
    }

private:
    QString m_path;
    QByteArray m_bytes;
    bool m_fromBytes;
    std::unique_ptr<av::Input> m_input;
    bool m_read = false; // packets were read or sought: the next read starts from the top
};

class LibavBackend : public Backend
{
public:
    std::unique_ptr<TrackSource> open(const QString &path, const QByteArray *bytes, QString *error) override
    {
        auto source = std::make_unique<LibavTrackSource>(path, bytes);
        if (!source->open(error))
            return nullptr;
        return source;
    }

    CopyOutcome writeCopy(const QString &source, const QString &target, const AddedTrack &track,
                          const Progress &progress) override
    {
        return copyWithTrack(source, target, track, progress);
    }
};

} // namespace media

media::Backend *twinscriptMediaBackend()
{
    static media::LibavBackend backend;
    return &backend;
}
