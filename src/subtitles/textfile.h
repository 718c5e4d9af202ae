#pragma once
// The file layer under the readers and writers: whole-file reading, decoding
// with byte-order-mark detection, line splitting, encoding with a count of what
// the coding cannot hold, and writing that never leaves a half-written file.

#include <QByteArray>
#include <QString>

class QTextCodec;

enum class ReadResult { Ok, CannotOpen, CannotRead };

// Larger inputs are refused: no subtitle file comes near it, and a device or
// pipe given as a file must not exhaust memory.
constexpr qint64 MaxInputBytes = 256LL * 1024 * 1024;

ReadResult readWholeFile(const QString &path, QByteArray *bytes);

// Decodes with `codec`, unless the bytes start with a UTF-8, UTF-16 or UTF-32
// byte-order mark, which then decides (and is not part of the text).
QString decodeText(const QByteArray &bytes, QTextCodec *codec);

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

// Encodes without a byte-order mark; *unrepresentable counts the characters
// (code points) the codec cannot hold and so replaced.
QByteArray encodeText(const QString &text, QTextCodec *codec, int *unrepresentable);

enum class WriteResult { Ok, CannotOpen, CannotWrite };

// Opens `path` for replacing; the old file stays as it was until commit().
// An existing device or pipe is written in place instead.
class SafeWriter
{
public:
    explicit SafeWriter(const QString &path);
    ~SafeWriter();
    bool open();
    WriteResult commit(const QByteArray &bytes);

private:
    struct Impl;
    Impl *d;
};
