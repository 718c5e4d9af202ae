#include "media/videofile.h"

#include "media/languages.h"
#include "media/libav.h"
#include "media/trackdocument.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <mutex>

extern "C" {
#include <libavutil/mem.h>
}

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

// Counts found by reading, for the file as it is now: the prompt that comes
// up for the same file again shows them.
class ReadCounts
{
public:
    static QString keyOf(const QString &path)
    {
        const QFileInfo info(path);
        return QStringLiteral("%1|%2|%3")
            .arg(info.absoluteFilePath())
            .arg(info.size())
            .arg(info.lastModified().toMSecsSinceEpoch());
    }
    QHash<int, int> get(const QString &key)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_counts.value(key);
    }
    void put(const QString &key, const QHash<int, int> &counts)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_counts.insert(key, counts);
    }

private:
    std::mutex m_mutex;
    QHash<QString, QHash<int, int>> m_counts;
};

ReadCounts &readCounts()
{
    static ReadCounts counts;
    return counts;
}

// Packets that carry no subtitle: the empty samples that end one in MP4.
bool isEmptyPacket(const AVPacket *packet, AVCodecID codec)
{
    return packet->size <= (codec == AV_CODEC_ID_MOV_TEXT ? 2 : 0);
}

} // namespace

QString Track::description() const
{
    QString text = QStringLiteral("#%1 %2").arg(number).arg(language);
    const QString name = title.isEmpty() ? languageName(language) : title;
    if (!name.isEmpty())
        text += QStringLiteral(" — ") + name;
    text += QStringLiteral(", ") + codec;
    if (kind == TrackKind::Pictures)
        text += QStringLiteral(", pictures");
    else if (kind == TrackKind::Unreadable)
        text += QStringLiteral(", not readable");
    else if (count >= 0)
        text += count == 1 ? QStringLiteral(", 1 subtitle") : QStringLiteral(", %1 subtitles").arg(count);
    return text;
}

QString Track::tabLine() const
{
    const char *kinds[] = {"text", "pictures", "unreadable"};
    QString cleanTitle = title;
    cleanTitle.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringList {
        QString::number(number),        language, cleanTitle, codec, count >= 0 ? QString::number(count) : QString(),
        QLatin1String(kinds[int(kind)])}
        .join(QLatin1Char('\t'));
}

bool isVideoFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    constexpr int probeSize = 4096;
    QByteArray bytes = file.read(probeSize);
    const int size = bytes.size();
    bytes.append(QByteArray(AVPROBE_PADDING_SIZE, '\0'));
    AVProbeData probe {};
    probe.filename = "";
    probe.buf = reinterpret_cast<unsigned char *>(bytes.data());
    probe.buf_size = size;
    int score = 0;
    return size > 0 && av::isVideoDemuxer(av_probe_input_format3(&probe, 1, &score));
}

QStringList videoSuffixes()
{
    return {QStringLiteral("mkv"), QStringLiteral("mka"), QStringLiteral("mp4"),
            QStringLiteral("m4v"), QStringLiteral("mov"), QStringLiteral("webm")};
}

VideoFile::VideoFile() = default;
VideoFile::~VideoFile() = default;

bool VideoFile::open(const QString &path, QString *error)
{
    m_path = path;
    m_input = av::openInput(path, error);
    if (m_input && !av::isVideoDemuxer(m_input->context->iformat)) {
        *error = QStringLiteral("not a Matroska or MP4 file");
        m_input.reset();
    }
    if (!m_input)
        return false;
    listTracks();
    return true;
}

bool VideoFile::openBytes(const QByteArray &bytes, QString *error)
{
    m_path.clear();
    m_input = av::openInput(bytes, nullptr, error);
    if (m_input && !av::isVideoDemuxer(m_input->context->iformat)) {
        *error = QStringLiteral("not a Matroska or MP4 file");
        m_input.reset();
    }
    if (!m_input)
        return false;
    listTracks();
    return true;
}

void VideoFile::listTracks()
{
    AVFormatContext *context = m_input->context;
    m_tracks.clear();
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
        m_tracks.append(track);
    }
    if (indexNeeded && isMatroska(context)) {
        // The demuxer reads the cues when it first seeks; to the start, so
        // that nothing else is read.
        av_seek_frame(context, -1, 0, AVSEEK_FLAG_BACKWARD);
        m_read = true;
    }
    const QHash<int, int> known = m_path.isEmpty() ? QHash<int, int>() : readCounts().get(ReadCounts::keyOf(m_path));
    for (Track &track : m_tracks) {
        if (known.contains(track.number))
            track.count = known.value(track.number);
        else if (track.count < 0)
            track.count = countOfIndex(context->streams[track.number]);
    }
}

const Track *VideoFile::track(int number) const
{
    for (const Track &t : m_tracks)
        if (t.number == number)
            return &t;
    return nullptr;
}

int VideoFile::firstText() const
{
    for (const Track &t : m_tracks)
        if (t.kind == TrackKind::Text)
            return t.number;
    return -1;
}

int VideoFile::find(const QString &choice) const
{
    bool isNumber = false;
    const int number = choice.toInt(&isNumber);
    if (isNumber)
        return track(number) ? number : -1;
    for (const Track &t : m_tracks) {
        if (t.kind == TrackKind::Text
            && (sameLanguage(t.language, choice) || t.language.compare(choice, Qt::CaseInsensitive) == 0
                || (!t.title.isEmpty() && t.title.compare(choice, Qt::CaseInsensitive) == 0)))
            return t.number;
    }
    return -1;
}

VideoFile::ReadResult VideoFile::read(int number, TrackDocument *document, QString *error, const Progress &progress)
{
    if (m_read) {
        // Back to the top: the header is read again rather than sought to.
        std::unique_ptr<av::Input> fresh
            = m_path.isEmpty() ? av::openInput(m_input->bytes, nullptr, error) : av::openInput(m_path, error);
        if (!fresh)
            return ReadResult::Failed;
        m_input = std::move(fresh);
    }
    m_read = true;
    AVFormatContext *context = m_input->context;
    if (number < 0 || unsigned(number) >= context->nb_streams) {
        *error = QStringLiteral("no track %1").arg(number);
        return ReadResult::Failed;
    }
    AVStream *chosen = context->streams[number];
    const qint64 originMs
        = context->start_time != AV_NOPTS_VALUE ? av::toMs(context->start_time, AVRational {1, AV_TIME_BASE}) : 0;
    std::unique_ptr<DocumentBuilder> builder = documentBuilder(chosen, originMs, error);
    if (!builder)
        return ReadResult::Failed;
    // The other subtitle tracks come along for their counts: their packets
    // are small, and the blocks around them are read anyway.
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard
            = context->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    av::ErrorCapture errors;
    const av::Packet packet = av::newPacket();
    QHash<int, int> counts;
    const int64_t size = qMax<int64_t>(1, avio_size(context->pb));
    int result = 0;
    for (unsigned n = 0; (result = av_read_frame(context, packet.get())) >= 0; ++n) {
        const AVStream *stream = context->streams[packet->stream_index];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE
            && !isEmptyPacket(packet.get(), stream->codecpar->codec_id))
            ++counts[packet->stream_index];
        if (packet->stream_index == number && !builder->add(packet.get()))
            errors.lines.append(builder->error());
        av_packet_unref(packet.get());
        if (progress && n % 64 == 0 && !progress(double(avio_tell(context->pb)) / double(size)))
            return ReadResult::Cancelled;
        if (!errors.lines.isEmpty())
            break;
    }
    if (result < 0 && result != AVERROR_EOF)
        errors.lines.append(av::errorText(result));
    if (!errors.lines.isEmpty()) {
        *error = errors.lines.first();
        return ReadResult::Failed;
    }
    *document = builder->finish();
    for (Track &t : m_tracks)
        t.count = counts.value(t.number);
    if (!m_path.isEmpty())
        readCounts().put(ReadCounts::keyOf(m_path), counts);
    return ReadResult::Ok;
}

} // namespace media
