#include "media/libav/libav.h"

#include "core/subtitle.h"

#include <QFile>

#include <cstring>
#include <mutex>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace media::av {

namespace {

thread_local ErrorCapture *currentCapture = nullptr;

void logCallback(void *object, int level, const char *format, va_list args)
{
    ErrorCapture *capture = currentCapture;
    if (!capture || level > AV_LOG_ERROR)
        return;
    char line[1024];
    int prefix = 0; // without "[matroska,webm @ 0x...]"
    av_log_format_line2(object, level, format, args, line, sizeof line, &prefix);
    const QString text = QString::fromUtf8(line).trimmed();
    if (!text.isEmpty())
        capture->lines.append(text);
}

void installLogCallback()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(logCallback); });
}

int readMemory(void *opaque, uint8_t *buffer, int size)
{
    auto *input = static_cast<Input *>(opaque);
    const qint64 left = input->bytes.size() - input->position;
    if (left <= 0)
        return AVERROR_EOF;
    const int n = int(qMin<qint64>(size, left));
    std::memcpy(buffer, input->bytes.constData() + input->position, size_t(n));
    input->position += n;
    return n;
}

int64_t seekMemory(void *opaque, int64_t offset, int whence)
{
    auto *input = static_cast<Input *>(opaque);
    const qint64 size = input->bytes.size();
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return size;
    case SEEK_SET:
        break;
    case SEEK_CUR:
        offset += input->position;
        break;
    case SEEK_END:
        offset += size;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (offset < 0 || offset > size)
        return AVERROR(EINVAL);
    input->position = offset;
    return offset;
}

} // namespace

Input::~Input()
{
    avformat_close_input(&context);
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
}

std::unique_ptr<Input> openInput(const QString &path, QString *error)
{
    installLogCallback();
    auto input = std::make_unique<Input>();
    const int result = avformat_open_input(&input->context, QFile::encodeName(path).constData(), nullptr, nullptr);
    if (result < 0) {
        *error = errorText(result);
        return nullptr;
    }
    return input;
}

std::unique_ptr<Input> openInput(const QByteArray &bytes, const char *formatName, QString *error)
{
    installLogCallback();
    auto input = std::make_unique<Input>();
    input->bytes = bytes;
    constexpr int bufferSize = 1 << 16;
    auto *buffer = static_cast<unsigned char *>(av_malloc(bufferSize));
    input->m_io = avio_alloc_context(buffer, bufferSize, 0, input.get(), readMemory, nullptr, seekMemory);
    if (!buffer || !input->m_io) {
        av_free(buffer);
        *error = errorText(AVERROR(ENOMEM));
        return nullptr;
    }
    input->context = avformat_alloc_context();
    if (!input->context) {
        *error = errorText(AVERROR(ENOMEM));
        return nullptr;
    }
    input->context->pb = input->m_io;
    const AVInputFormat *format = formatName ? av_find_input_format(formatName) : nullptr;
    // On failure the context is freed and set to null; the io stays ours.
    const int result = avformat_open_input(&input->context, nullptr, format, nullptr);
    if (result < 0) {
        *error = errorText(result);
        return nullptr;
    }
    return input;
}

bool isVideoDemuxer(const AVInputFormat *format)
{
    if (!format)
        return false;
    const char *name = format->name;
    return std::strcmp(name, "matroska,webm") == 0 || std::strcmp(name, "mov,mp4,m4a,3gp,3g2,mj2") == 0;
}

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

ErrorCapture::ErrorCapture()
    : m_outer(currentCapture)
{
    installLogCallback();
    currentCapture = this;
}

ErrorCapture::~ErrorCapture()
{
    currentCapture = m_outer;
}

qint64 toMs(int64_t ts, AVRational base)
{
    if (ts == AV_NOPTS_VALUE)
        return 0;
    return clampToInt32(av_rescale_q(ts, base, AVRational {1, 1000}));
}

} // namespace media::av
