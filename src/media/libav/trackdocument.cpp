#include "media/libav/trackdocument.h"

#include "core/formats/subrip.h"
#include "core/subtitle.h"
#include "media/libav/libav.h"
#include "media/substationevents.h"

#include <QVector>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/mem.h>
}

namespace media {

namespace {

// An end the track does not give is the next subtitle's start, within this.
constexpr qint64 longestOpenEnd = 5000;

// The documents are built of the track's own bytes: its text is meant to be
// UTF-8, but old files hold it in the coding of the file it was made from,
// which the load then finds as it finds a file's.
QByteArray bytesOf(const uint8_t *data, int size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qMax(0, size));
}

QByteArray packetBytes(const AVPacket *packet)
{
    return bytesOf(packet->data, packet->size);
}

// Lines without their CR, the blank ones left out: a blank line would end a
// subtitle early.
QByteArray withoutBlankLines(QByteArray text)
{
    text.replace('\r', QByteArray());
    QList<QByteArray> lines = text.split('\n');
    lines.erase(
        std::remove_if(lines.begin(), lines.end(), [](const QByteArray &line) { return line.trimmed().isEmpty(); }),
        lines.end());
    QByteArray joined;
    for (const QByteArray &line : qAsConst(lines))
        joined += (joined.isEmpty() ? QByteArray() : QByteArray("\n")) + line;
    return joined;
}

QByteArray timeLine(qint64 start, qint64 end, char separator)
{
    QString line;
    appendClockTime(line, clampToInt32(start), separator);
    line += QLatin1String(" --> ");
    appendClockTime(line, clampToInt32(end), separator);
    return line.toLatin1();
}

struct Entry
{
    qint64 start;
    qint64 end; // -1: the packet had no duration
    QByteArray text;
};

// SubRip text: "N", the time line, the text lines, a blank line.
class SubRipBuilder : public DocumentBuilder
{
public:
    using DocumentBuilder::DocumentBuilder;

    bool add(const AVPacket *packet) override
    {
        const qint64 start = startOf(packet);
        const qint64 duration = durationOf(packet);
        addText(start, duration > 0 ? start + duration : -1, packetBytes(packet));
        return true;
    }

    void addText(qint64 start, qint64 end, const QByteArray &text)
    {
        const QByteArray lines = withoutBlankLines(text);
        if (!lines.isEmpty())
            m_entries.push_back({start, end, lines});
    }

    TrackDocument finish() override
    {
        TrackDocument document;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            Entry &e = m_entries[i];
            if (e.end < 0) {
                const qint64 next = i + 1 < m_entries.size() ? m_entries[i + 1].start : e.start + longestOpenEnd;
                e.end = qBound(e.start, next, e.start + longestOpenEnd);
            }
            document.bytes
                += QByteArray::number(++document.count) + '\n' + timeLine(e.start, e.end, ',') + '\n' + e.text + "\n\n";
        }
        document.format = SubtitleFormat::SubRip;
        return document;
    }

private:
    std::vector<Entry> m_entries;
};

// "WEBVTT" and the header blocks (STYLE, REGION) the codec data holds, then a
// cue per packet: its identifier and settings come with it as side data.
class WebVttBuilder : public DocumentBuilder
{
public:
    WebVttBuilder(const AVStream *stream, qint64 originMs)
        : DocumentBuilder(stream->time_base, originMs)
    {
        const AVCodecParameters *codec = stream->codecpar;
        m_bytes = bytesOf(codec->extradata, codec->extradata_size);
        m_bytes.replace('\r', QByteArray());
        if (!m_bytes.startsWith("WEBVTT"))
            m_bytes.prepend("WEBVTT\n");
        if (!m_bytes.endsWith('\n'))
            m_bytes += '\n';
    }

    bool add(const AVPacket *packet) override
    {
        const QByteArray text = withoutBlankLines(packetBytes(packet));
        if (text.isEmpty())
            return true;
        const qint64 start = startOf(packet);
        m_bytes += '\n';
        const QByteArray identifier = sideData(packet, AV_PKT_DATA_WEBVTT_IDENTIFIER);
        if (!identifier.isEmpty())
            m_bytes += identifier + '\n';
        m_bytes += timeLine(start, start + durationOf(packet), '.');
        const QByteArray settings = sideData(packet, AV_PKT_DATA_WEBVTT_SETTINGS);
        if (!settings.isEmpty())
            m_bytes += ' ' + settings;
        m_bytes += '\n' + text + '\n';
        ++m_count;
        return true;
    }

    TrackDocument finish() override
    {
        TrackDocument document;
        document.bytes = m_bytes;
        document.count = m_count;
        document.format = SubtitleFormat::WebVtt;
        return document;
    }

private:
    QByteArray m_bytes;
    int m_count = 0;

    static QByteArray sideData(const AVPacket *packet, AVPacketSideDataType type)
    {
        size_t size = 0;
        const uint8_t *data = av_packet_get_side_data(packet, type, &size);
        return data ? bytesOf(data, int(size)).simplified() : QByteArray();
    }
};

// The script's header as the track's codec data holds it, then one
// "Dialogue:" line per packet in the order of the original script. The
// fields are told apart by their commas, whatever coding the text is in:
// each byte is one Latin-1 character while they are.
class SubStationBuilder : public DocumentBuilder
{
public:
    SubStationBuilder(const AVStream *stream, qint64 originMs)
        : DocumentBuilder(stream->time_base, originMs)
    {
        const AVCodecParameters *codec = stream->codecpar;
        m_header = bytesOf(codec->extradata, codec->extradata_size);
        m_header.replace('\r', QByteArray());
        if (!m_header.isEmpty() && !m_header.endsWith('\n'))
            m_header += '\n';
        m_format = eventFormat(QString::fromLatin1(m_header));
        if (!m_header.toLower().contains("[events]"))
            m_header += "\n[Events]\nFormat: " + m_format.join(QStringLiteral(", ")).toLatin1() + '\n';
    }

    bool add(const AVPacket *packet) override
    {
        const qint64 start = startOf(packet);
        const qint64 end = start + durationOf(packet);
        Line line;
        line.text
            = dialogueLine(m_format, QString::fromLatin1(packetBytes(packet)), start, end, &line.readOrder).toLatin1();
        m_lines.push_back(line);
        return true;
    }

    TrackDocument finish() override
    {
        std::stable_sort(m_lines.begin(), m_lines.end(),
                         [](const Line &a, const Line &b) { return a.readOrder < b.readOrder; });
        TrackDocument document;
        document.bytes = m_header;
        for (const Line &line : m_lines)
            document.bytes += line.text + '\n';
        document.count = int(m_lines.size());
        document.format = SubtitleFormat::Ass;
        return document;
    }

private:
    struct Line
    {
        int readOrder;
        QByteArray text;
    };
    QByteArray m_header;
    QStringList m_format;
    std::vector<Line> m_lines;
};

class DecodingBuilder : public DocumentBuilder
{
public:
    DecodingBuilder(AVRational base, qint64 originMs)
        : DocumentBuilder(base, originMs)
        , m_subRip(base, originMs)
    {
    }

    SubRipTranscoder transcoder;

    bool add(const AVPacket *packet) override
    {
        QByteArray text;
        qint64 shown = 0;
        if (!transcoder.transcode(packet, &text, &shown, &m_error))
            return false;
        if (text.isEmpty())
            return true;
        const qint64 start = startOf(packet);
        const qint64 duration = durationOf(packet) > 0 ? durationOf(packet) : shown;
        m_subRip.addText(start, duration > 0 ? start + duration : -1, text);
        return true;
    }

    TrackDocument finish() override { return m_subRip.finish(); }

private:
    SubRipBuilder m_subRip;
};

bool isTextCodec(AVCodecID codec)
{
    const AVCodecDescriptor *descriptor = avcodec_descriptor_get(codec);
    return descriptor && descriptor->type == AVMEDIA_TYPE_SUBTITLE && (descriptor->props & AV_CODEC_PROP_TEXT_SUB);
}

} // namespace

bool readsTrack(AVCodecID codec)
{
    return codec == AV_CODEC_ID_SUBRIP || (isTextCodec(codec) && avcodec_find_decoder(codec));
}

qint64 DocumentBuilder::startOf(const AVPacket *packet) const
{
    return av::toMs(packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts, m_base) - m_originMs;
}

qint64 DocumentBuilder::durationOf(const AVPacket *packet) const
{
    return packet->duration > 0 ? av::toMs(packet->duration, m_base) : 0;
}

std::unique_ptr<DocumentBuilder> documentBuilder(const AVStream *stream, qint64 originMs, QString *error)
{
    const AVCodecID codec = stream->codecpar->codec_id;
    if (codec == AV_CODEC_ID_SUBRIP)
        return std::make_unique<SubRipBuilder>(stream->time_base, originMs);
    // A script, read by the core's SubStation reader with the styles of its header.
    if (codec == AV_CODEC_ID_ASS || codec == AV_CODEC_ID_SSA)
        return std::make_unique<SubStationBuilder>(stream, originMs);
    if (codec == AV_CODEC_ID_WEBVTT)
        return std::make_unique<WebVttBuilder>(stream, originMs);
    if (!readsTrack(codec)) {
        *error = QStringLiteral("%1 is not read").arg(QString::fromUtf8(avcodec_get_name(codec)));
        return nullptr;
    }
    auto decoding = std::make_unique<DecodingBuilder>(stream->time_base, originMs);
    if (!decoding->transcoder.open(stream, error))
        return nullptr;
    return decoding;
}

SubRipTranscoder::SubRipTranscoder() = default;

SubRipTranscoder::~SubRipTranscoder()
{
    avcodec_free_context(&m_decoder);
    avcodec_free_context(&m_encoder);
}

bool SubRipTranscoder::open(const AVStream *stream, QString *error)
{
    const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    const AVCodec *encoder = avcodec_find_encoder(AV_CODEC_ID_SUBRIP);
    m_decoder = avcodec_alloc_context3(decoder);
    m_encoder = avcodec_alloc_context3(encoder);
    if (!decoder || !encoder || !m_decoder || !m_encoder) {
        *error
            = QStringLiteral("no decoder for %1").arg(QString::fromUtf8(avcodec_get_name(stream->codecpar->codec_id)));
        return false;
    }
    int result = avcodec_parameters_to_context(m_decoder, stream->codecpar);
    m_decoder->pkt_timebase = stream->time_base;
    if (result >= 0)
        result = avcodec_open2(m_decoder, decoder, nullptr);
    if (result >= 0 && m_decoder->subtitle_header_size > 0) {
        // The encoder finds the styles (an italic one) in the decoder's header.
        const size_t size = size_t(m_decoder->subtitle_header_size);
        m_encoder->subtitle_header = static_cast<uint8_t *>(av_mallocz(size + 1));
        if (m_encoder->subtitle_header) {
            memcpy(m_encoder->subtitle_header, m_decoder->subtitle_header, size);
            m_encoder->subtitle_header_size = int(size);
        }
    }
    m_encoder->time_base = AVRational {1, 1000};
    if (result >= 0)
        result = avcodec_open2(m_encoder, encoder, nullptr);
    if (result < 0)
        *error = av::errorText(result);
    return result >= 0;
}

bool SubRipTranscoder::transcode(const AVPacket *packet, QByteArray *text, qint64 *displayMs, QString *error)
{
    text->clear();
    *displayMs = 0;
    AVSubtitle subtitle {};
    int got = 0;
    const int result = avcodec_decode_subtitle2(m_decoder, &subtitle, &got, const_cast<AVPacket *>(packet));
    if (result < 0) {
        *error = av::errorText(result);
        return false;
    }
    if (!got)
        return true;
    if (subtitle.num_rects > 0) {
        text->resize(1 << 16);
        const int size
            = avcodec_encode_subtitle(m_encoder, reinterpret_cast<uint8_t *>(text->data()), text->size(), &subtitle);
        text->resize(qMax(0, size));
        if (subtitle.end_display_time != UINT32_MAX)
            *displayMs = subtitle.end_display_time;
    }
    avsubtitle_free(&subtitle);
    return true;
}

} // namespace media
