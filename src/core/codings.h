#pragma once
// The codings a user can choose, by the names the coding selectors show, and
// the one seam over the toolkit's codecs (QTextCodec, which Qt 6 moved out of
// Qt Core): everything else decodes and encodes through TextCodec.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QTextCodec;

namespace Codings {

inline QString autoLocal()
{
    return QStringLiteral("Auto Local");
}

// Reading: the coding is found from the bytes (see decodeFile); saving: UTF-8.
inline QString autoDetect()
{
    return QStringLiteral("Auto Detect");
}

// The 59 codings the selection dialog offers, display names in their order.
// The codings subtitle files are most often in, offered without a search.
QStringList commonList();
QStringList fixedList();

// The codec name of a selector entry: the text before the first " (" when
// that is not at its very start, the whole text otherwise.
QString codecNameOf(const QString &entry);

} // namespace Codings

class TextCodec
{
public:
    // The codec of that name; "Auto Detect" gives UTF-8; "Auto Local", an
    // empty name or one the toolkit lacks give the local coding, and *unknown
    // tells the last case.
    static TextCodec named(const QString &codecName, bool *unknown = nullptr);
    // Whether the toolkit has a codec of that name.
    static bool exists(const QString &codecName);

    QString name() const;

    // A UTF-8, UTF-16 or UTF-32 byte-order mark decides over the codec (and
    // is not part of the text).
    QString decode(const QByteArray &bytes) const;

    // With a byte-order mark first for UTF-16 and UTF-32 (see TextEncoder);
    // *unrepresentable counts the characters (code points) the coding cannot
    // hold and so replaced.
    QByteArray encode(const QString &text, int *unrepresentable) const;

private:
    friend class TextEncoder;
    explicit TextCodec(QTextCodec *codec);
    QTextCodec *m_codec;
};

// Encodes a text given in pieces as one: the coding's state runs on from piece
// to piece, so that a large file need not be held whole as text. For UTF-16
// and UTF-32 the bytes start with a byte-order mark in the coding's byte order
// (not counted as a character): without one, players cannot tell the coding.
class TextEncoder
{
public:
    explicit TextEncoder(const TextCodec &codec);
    ~TextEncoder();
    void add(const QString &piece);

    QByteArray bytes;
    int unrepresentable = 0;

private:
    struct State;
    std::unique_ptr<State> d;
};

// A file's text and how its coding was found.
struct DecodedText
{
    enum class Source { ByteOrderMark, Chosen, Utf8, Detected, Fallback };
    QString text;
    Source source = Source::Chosen;
    // The coding read with, as logged: uchardet's name for Detected
    // ("WINDOWS-1252"; "UTF-16LE" when told by zero bytes), "Windows-1252" for
    // Fallback, the name as given for Chosen ("Windows-1250"; the local codec's
    // name for "Auto Local" or an unknown name), the codec's name for a mark
    // ("UTF-8", "UTF-16LE").
    QString coding;
    int undecodable = 0; // characters the coding could not decode (replaced)
    // With undecodable > 0: a coding that would likely decode the bytes
    // ("Windows-1252"), empty when none other is known.
    QString likely;
};

// Decodes a file's bytes. A byte-order mark decides. With "Auto Detect":
// UTF-16 or UTF-32 without a mark is told by its zero bytes, valid UTF-8 is
// UTF-8; otherwise uchardet proposes the coding (its ISO-8859-1 and -9 read as
// their Windows supersets), and without an answer Windows-1252 is used. Any
// other name is decoded as TextCodec::named decodes it.
DecodedText decodeFile(const QByteArray &bytes, const QString &codecName);
