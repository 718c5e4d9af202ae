#include "core/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    // Reading asks for no more than the file holds: a read buffer is allocated
    // whole. Pipes, and files that report no size (/proc), are read in pieces.
    const qint64 expected = file.isSequential() ? 0 : file.size();
    if (expected > 0)
        *bytes = file.read(expected);
    while (file.error() == QFileDevice::NoError && bytes->size() <= MaxInputBytes) {
        const QByteArray piece = file.read(qMin<qint64>(1 << 20, MaxInputBytes + 1 - bytes->size()));
        if (piece.isEmpty())
            break;
        *bytes += piece;
    }
    if (file.error() != QFileDevice::NoError || bytes->size() > MaxInputBytes) {
        bytes->clear();
        return ReadResult::CannotRead;
    }
    return ReadResult::Ok;
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
    // The toolkit's character search is vectorised; a lone "\r" ends a line too.
    const QStringView rest(data + m_pos, limit - m_pos);
    qsizetype end = rest.indexOf(QLatin1Char('\n'));
    const qsizetype returnAt = rest.left(end < 0 ? rest.size() : end).indexOf(QLatin1Char('\r'));
    if (returnAt >= 0)
        end = returnAt;
    const int j = m_pos + int(end < 0 ? rest.size() : end);
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

struct SafeWriter::Impl
{
    QSaveFile file;
    QFile device; // an existing device or pipe, written in place
    bool direct = false;
    bool failed = false;
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

void SafeWriter::write(const QByteArray &bytes)
{
    QFileDevice &target = d->direct ? static_cast<QFileDevice &>(d->device) : d->file;
    if (!d->failed && target.isOpen())
        d->failed = target.write(bytes) != bytes.size();
}

WriteResult SafeWriter::commit()
{
    if (d->direct) {
        if (!d->device.isOpen())
            return WriteResult::CannotOpen;
        // The write may only fill the buffer: a full device tells at the flush.
        const bool written = !d->failed && d->device.flush();
        d->device.close();
        return written && d->device.error() == QFileDevice::NoError ? WriteResult::Ok : WriteResult::CannotWrite;
    }
    if (!d->file.isOpen())
        return WriteResult::CannotOpen;
    // QSaveFile::commit() ignores a failure of its final buffer flush (a full
    // disk) and would put an empty file in place of the old one: flush first.
    if (d->failed || !d->file.flush()) {
        d->file.cancelWriting();
        d->file.commit();
        return WriteResult::CannotWrite;
    }
    return d->file.commit() ? WriteResult::Ok : WriteResult::CannotWrite;
}
