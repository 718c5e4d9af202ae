#include "subtitles/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTextCodec>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// A device or pipe is opened where it is. Opening a pipe waits for the other
// end, for ever if nobody comes (a pipe unpacked from an archive), so it is
// opened without waiting: a pipe nobody writes to then reads as empty, and one
// nobody reads from cannot be opened for writing.
bool openInPlace(QFile &file, const QString &path, QIODevice::OpenMode mode)
{
#ifdef Q_OS_UNIX
    const int access = mode.testFlag(QIODevice::WriteOnly) ? O_WRONLY : O_RDONLY;
    const int fd = ::open(QFile::encodeName(path).constData(), access | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0
        || !file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    file.setFileName(path);
    return file.open(mode);
#endif
}

} // namespace

ReadResult readWholeFile(const QString &path, QByteArray *bytes)
{
    bytes->clear();
    const QFileInfo info(path);
    if (info.isDir())
        return ReadResult::CannotOpen;
    QFile file(path);
    const bool opened = info.exists() && !info.isFile() ? openInPlace(file, path, QIODevice::ReadOnly)
                                                        : file.open(QIODevice::ReadOnly);
    if (!opened)
        return ReadResult::CannotOpen;
    if (!file.isSequential() && file.size() > MaxInputBytes)
        return ReadResult::CannotRead;
    *bytes = file.read(MaxInputBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes->size() > MaxInputBytes) {
        bytes->clear();
        return ReadResult::CannotRead;
    }
    return ReadResult::Ok;
}

QString decodeText(const QByteArray &bytes, QTextCodec *codec)
{
    struct Mark
    {
        const char *bom;
        int length;
        const char *codec;
    };
    // UTF-32 first: its little-endian mark begins like UTF-16's.
    static const Mark marks[] = {{"\xFF\xFE\x00\x00", 4, "UTF-32LE"},
                                 {"\x00\x00\xFE\xFF", 4, "UTF-32BE"},
                                 {"\xEF\xBB\xBF", 3, "UTF-8"},
                                 {"\xFF\xFE", 2, "UTF-16LE"},
                                 {"\xFE\xFF", 2, "UTF-16BE"}};
    for (const Mark &m : marks) {
        if (bytes.size() >= m.length && memcmp(bytes.constData(), m.bom, size_t(m.length)) == 0) {
            QTextCodec *utf = QTextCodec::codecForName(m.codec);
            if (utf)
                return utf->toUnicode(bytes.constData() + m.length, bytes.size() - m.length);
        }
    }
    if (!codec)
        codec = QTextCodec::codecForLocale();
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->toUnicode(bytes.constData(), bytes.size(), &state);
}

LineReader::LineReader(const QString &text, int maxLength)
    : m_text(text)
    , m_maxLength(maxLength > 0 ? maxLength : 1)
{
}

bool LineReader::next(QString *line)
{
    const int size = m_text.size();
    if (m_pos >= size)
        return false;
    const QChar *data = m_text.constData();
    const int limit = qMin(size, m_pos + m_maxLength);
    int j = m_pos;
    while (j < limit && data[j] != QLatin1Char('\n') && data[j] != QLatin1Char('\r'))
        ++j;
    if (j == limit && j < size && data[j] != QLatin1Char('\n') && data[j] != QLatin1Char('\r')) {
        // Too long: this piece ends here and the rest is the next line.
        *line = m_text.mid(m_pos, limit - m_pos);
        m_pos = limit;
        return true;
    }
    *line = m_text.mid(m_pos, j - m_pos);
    m_pos = j;
    if (m_pos < size) {
        const bool cr = data[m_pos] == QLatin1Char('\r');
        ++m_pos;
        if (cr && m_pos < size && data[m_pos] == QLatin1Char('\n'))
            ++m_pos;
    }
    return true;
}

namespace {

bool roundTrips(QTextCodec *codec, const QString &piece)
{
    QTextCodec::ConverterState out(QTextCodec::IgnoreHeader);
    const QByteArray bytes = codec->fromUnicode(piece.constData(), piece.size(), &out);
    if (out.invalidChars > 0)
        return false;
    QTextCodec::ConverterState in(QTextCodec::IgnoreHeader);
    return codec->toUnicode(bytes.constData(), bytes.size(), &in) == piece;
}

} // namespace

QByteArray encodeText(const QString &text, QTextCodec *codec, int *unrepresentable)
{
    if (!codec)
        codec = QTextCodec::codecForLocale();
    int bad = 0;
    bool asciiChecked = false;
    bool asciiOk = true;
    QHash<uint, bool> known;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            if (!asciiChecked) {
                // Every coding offered keeps ASCII; test it once to be sure.
                asciiOk = roundTrips(codec, QStringLiteral("Aa0 |<>{}-.\n"));
                asciiChecked = true;
            }
            if (asciiOk)
                continue;
        }
        QString piece(c);
        uint key = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            piece.append(text.at(i + 1));
            key = QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
        }
        auto it = known.constFind(key);
        if (it == known.constEnd())
            it = known.insert(key, roundTrips(codec, piece));
        if (!it.value())
            ++bad;
    }
    if (unrepresentable)
        *unrepresentable = bad;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->fromUnicode(text.constData(), text.size(), &state);
}

struct SafeWriter::Impl
{
    QSaveFile file;
    QFile device; // an existing device or pipe, written in place
    bool direct = false;
};

SafeWriter::SafeWriter(const QString &path)
    : d(new Impl)
{
    d->file.setFileName(path);
}

SafeWriter::~SafeWriter()
{
    if (d->file.isOpen())
        d->file.cancelWriting();
    d->device.close();
    delete d;
}

bool SafeWriter::open()
{
    const QFileInfo info(d->file.fileName());
    if (info.isDir() || (info.exists() && !info.isWritable()))
        return false;
    if (info.exists() && !info.isFile()) {
        // A device or pipe holds no content to keep, and renaming a temporary
        // file over it would put a plain file in its place (for root even
        // /dev/null).
        d->direct = true;
        return openInPlace(d->device, d->file.fileName(), QIODevice::WriteOnly | QIODevice::Text);
    }
    return d->file.open(QIODevice::WriteOnly | QIODevice::Text);
}

WriteResult SafeWriter::commit(const QByteArray &bytes)
{
    if (d->direct) {
        if (!d->device.isOpen())
            return WriteResult::CannotOpen;
        // The write may only fill the buffer: a full device tells at the flush.
        const bool written = d->device.write(bytes) == bytes.size() && d->device.flush();
        d->device.close();
        return written && d->device.error() == QFileDevice::NoError ? WriteResult::Ok : WriteResult::CannotWrite;
    }
    if (!d->file.isOpen())
        return WriteResult::CannotOpen;
    // QSaveFile::commit() ignores a failure of its final buffer flush (a full
    // disk) and would put an empty file in place of the old one: flush first.
    if (d->file.write(bytes) != bytes.size() || !d->file.flush()) {
        d->file.cancelWriting();
        d->file.commit();
        return WriteResult::CannotWrite;
    }
    return d->file.commit() ? WriteResult::Ok : WriteResult::CannotWrite;
}
