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

// The 59 codings the selection dialog offers, display names in their order.
QStringList fixedList();

// The codec name of a selector entry: the text before the first " (" when
// that is not at its very start, the whole text otherwise.
QString codecNameOf(const QString &entry);

} // namespace Codings

class TextCodec
{
public:
    // The codec of that name; "Auto Local", an empty name or one the toolkit
    // lacks give the local coding, and *unknown tells the last case.
    static TextCodec named(const QString &codecName, bool *unknown = nullptr);
    // Whether the toolkit has a codec of that name.
    static bool exists(const QString &codecName);

    QString name() const;

    // A UTF-8, UTF-16 or UTF-32 byte-order mark decides over the codec (and
    // is not part of the text).
    QString decode(const QByteArray &bytes) const;

    // Without a byte-order mark; *unrepresentable counts the characters (code
    // points) the coding cannot hold and so replaced.
    QByteArray encode(const QString &text, int *unrepresentable) const;

private:
    friend class TextEncoder;
    explicit TextCodec(QTextCodec *codec);
    QTextCodec *m_codec;
};

// Encodes a text given in pieces as one: the coding's state runs on from piece
// to piece, so that a large file need not be held whole as text.
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
