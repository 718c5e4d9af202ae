// The module over QTextCodec: lookups by name, and decoding and encoding in
// the codings Qt Core itself no longer has. UTF-8, UTF-16 and UTF-32 never
// come here (see core/textcodec.cpp).

#include "core/legacycodecs.h"

#include <QHash>
#include <QMutex>
#include <QTextCodec>

namespace {

const QTextCodec *codecOf(const void *handle)
{
    return static_cast<const QTextCodec *>(handle);
}

const void *find(const QString &name)
{
    // A failed lookup makes the toolkit print a warning every time; asking once
    // per name keeps repeated loads in an unknown coding quiet.
    static QMutex lock;
    static QHash<QString, QTextCodec *> known;
    QMutexLocker locker(&lock);
    const auto it = known.constFind(name);
    if (it != known.constEnd())
        return it.value();
    // Qt 5 dropped the "-0" spelling of GB18030.
    QTextCodec *codec
        = QTextCodec::codecForName(name == QLatin1String("GB18030-0") ? QByteArrayLiteral("GB18030") : name.toLatin1());
    known.insert(name, codec);
    return codec;
}

const void *local()
{
    return QTextCodec::codecForLocale();
}

int mib(const void *codec)
{
    return codecOf(codec)->mibEnum();
}

QByteArray name(const void *codec)
{
    return codecOf(codec)->name();
}

QList<QByteArray> aliases(const void *codec)
{
    return codecOf(codec)->aliases();
}

QString decode(const void *codec, const char *data, int size)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codecOf(codec)->toUnicode(data, size, &state);
}

QByteArray encode(const void *codec, void *state, const QChar *chars, int n, int *invalid)
{
    auto *converter = static_cast<QTextCodec::ConverterState *>(state);
    const int before = converter->invalidChars;
    QByteArray bytes = codecOf(codec)->fromUnicode(chars, n, converter);
    *invalid = converter->invalidChars - before;
    return bytes;
}

bool roundTrips(const void *codec, const QString &piece)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    int invalid = 0;
    const QByteArray bytes = encode(codec, &state, piece.constData(), int(piece.size()), &invalid);
    return invalid == 0 && decode(codec, bytes.constData(), int(bytes.size())) == piece;
}

// How often the bytes hold U+FFFD as a character of their own, which is no
// replacement.
int literalReplacements(const void *codec, const char *data, int size)
{
    const QString replacement(1, QChar(QChar::ReplacementCharacter));
    if (!roundTrips(codec, replacement))
        return 0;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QByteArray encoded = codecOf(codec)->fromUnicode(replacement.constData(), 1, &state);
    return int(QByteArray::fromRawData(data, size).count(encoded));
}

QString decodeCounting(const void *codec, const char *data, int size, int *undecodable)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    QString text = codecOf(codec)->toUnicode(data, size, &state);
    *undecodable = int(state.invalidChars);
    // The ICU codecs replace without counting and keep a sequence cut off by
    // the end pending: a line end, which no such sequence takes in, pushes it
    // out as replacements.
    const QString flushed = codecOf(codec)->toUnicode("\n", 1, &state);
    if (flushed.size() > 1 && flushed.endsWith(QLatin1Char('\n')))
        text += flushed.chopped(1);
    // The toolkit's search is vectorised, its count is not: a clean text costs
    // one fast pass.
    int replacements = 0;
    for (qsizetype at = text.indexOf(QChar::ReplacementCharacter); at >= 0;
         at = text.indexOf(QChar::ReplacementCharacter, at + 1))
        ++replacements;
    if (replacements > 0)
        *undecodable = qMax(*undecodable, replacements - literalReplacements(codec, data, size));
    return text;
}

void *newEncoding()
{
    return new QTextCodec::ConverterState(QTextCodec::IgnoreHeader);
}

void deleteEncoding(void *state)
{
    delete static_cast<QTextCodec::ConverterState *>(state);
}

} // namespace

const LegacyCodecs *twinscriptLegacyCodecs()
{
    static const LegacyCodecs codecs {find,           local,      mib,         name,           aliases, decode,
                                      decodeCounting, roundTrips, newEncoding, deleteEncoding, encode};
    return &codecs;
}
