#pragma once
// The one seam over the toolkit's codecs (QStringConverter for Unicode, and
// QTextCodec, which Qt 6 moved out of Qt Core, for the rest): everything else
// decodes and encodes through TextCodec.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class TextCodec
{
public:
    // Unicode codings that detection names by the bytes (IANA MIB numbers).
    enum Unicode { Utf16Be = 1013, Utf16Le = 1014, Utf32Be = 1018, Utf32Le = 1019 };

    // The codec of that name; "Auto Detect" gives UTF-8; "Auto Local", an
    // empty name or one the toolkit lacks give the local coding, and *unknown
    // tells the last case.
    static TextCodec named(const QString &codecName, bool *unknown = nullptr);
    // The codec of that name when the toolkit has one; asked once per name,
    // as each failed lookup makes the toolkit print a warning.
    static std::optional<TextCodec> find(const QString &codecName);
    // Whether the toolkit has a codec of that name.
    static bool exists(const QString &codecName);
    static TextCodec utf8();
    static TextCodec local();
    static TextCodec unicode(Unicode coding);
    // The coding a UTF-8, UTF-16 or UTF-32 byte-order mark at the start of the
    // bytes names, and the mark's length; none without a mark.
    static std::optional<TextCodec> ofByteOrderMark(const QByteArray &bytes, int *markLength);

    QString name() const;
    // The name and the toolkit's aliases of it.
    QStringList names() const;
    bool operator==(const TextCodec &other) const { return m_mib == other.m_mib && m_legacy == other.m_legacy; }

    // A UTF-8, UTF-16 or UTF-32 byte-order mark decides over the codec (and
    // is not part of the text).
    QString decode(const QByteArray &bytes) const;

    struct Decoded
    {
        QString text;
        int undecodable = 0; // characters the coding could not decode (replaced)
    };
    // Decodes in this coding whatever the bytes start with, and counts the
    // characters it replaced because it could not decode them.
    Decoded decodeCounting(const char *data, int size) const;

    // With a byte-order mark first for UTF-16 and UTF-32 (see TextEncoder);
    // *unrepresentable counts the characters (code points) the coding cannot
    // hold and so replaced.
    QByteArray encode(const QString &text, int *unrepresentable) const;

private:
    friend class TextEncoder;
    explicit TextCodec(const void *legacy);
    explicit TextCodec(int unicodeMib);
    int m_mib; // of the Unicode coding, when there is no legacy codec
    const void *m_legacy; // a codec of the legacy module (core/legacycodecs.h)
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
