#pragma once
// The file layer under the readers and writers: whole-file reading, line
// splitting, and writing that never leaves a half-written file.

#include <QByteArray>
#include <QString>

enum class ReadResult { Ok, CannotOpen, CannotRead };

// Larger inputs are refused: no subtitle file comes near it, and a device or
// pipe given as a file must not exhaust memory.
constexpr qint64 MaxInputBytes = 256LL * 1024 * 1024;

ReadResult readWholeFile(const QString &path, QByteArray *bytes);

// Splits text into lines at "\n", "\r\n" or a lone "\r"; a line longer than
// maxLength comes out in pieces of maxLength characters.
class LineReader
{
public:
    LineReader(const QString &text, int maxLength);
    bool next(QString *line);

private:
    const QString &m_text;
    int m_maxLength;
    int m_pos = 0;
};

enum class WriteResult { Ok, CannotOpen, CannotWrite };

// Opens `path` for replacing; the old file stays as it was until commit().
// An existing device or pipe is written in place instead. The content may come
// in pieces; a failed write is reported by commit().
class SafeWriter
{
public:
    explicit SafeWriter(const QString &path);
    ~SafeWriter();
    bool open();
    void write(const QByteArray &bytes);
    WriteResult commit();
    WriteResult commit(const QByteArray &bytes)
    {
        write(bytes);
        return commit();
    }

private:
    struct Impl;
    Impl *d;
};
