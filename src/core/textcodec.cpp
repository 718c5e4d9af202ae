// The one seam over the toolkit's codecs: lookup by name, decoding that counts
// what it replaces, and encoding in pieces. Codings are found and named by
// QTextCodec (Core5Compat in Qt 6, on ICU as in Qt 5), so every name stays;
// UTF-8 and UTF-16 convert through Qt Core's QStringConverter, which decodes
// the same and, unlike Core5Compat's own converters, leaves the processor's
// AVX state clean (after those, all code ran a good third slower).

#include "core/textcodec.h"

#include "core/codinglist.h"

#include <QHash>
#include <QMutex>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextCodec>
#include <QtEndian>

#include <cstring>

namespace {

// Looking a codec up hashes its name, and Qt 6 hashes with AES instructions
// that leave the upper halves of the AVX registers in use: until something
// clears them, every SSE instruction pays a penalty, and the loads and saves
// after a lookup ran some 40 % slower. Each lookup here is followed by this.
void clearUpperVectorState()
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (__builtin_cpu_supports("avx"))
        __asm__ volatile("vzeroupper");
#endif
}

QTextCodec *findCodec(const QString &name)
{
    if (name.isEmpty() || name == Codings::autoLocal())
        return nullptr;
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

// The toolkit's own Unicode codecs, by their MIB numbers.
enum UnicodeMib {
    Utf8Mib = 106,
    Utf16BeMib = 1013,
    Utf16LeMib = 1014,
    Utf16Mib = 1015,
    Utf32Mib = 1017,
    Utf32BeMib = 1018,
    Utf32LeMib = 1019
};

bool isUtf16(int mib)
{
    return mib >= Utf16BeMib && mib <= Utf16Mib;
}

bool isUtf32(int mib)
{
    return mib >= Utf32Mib && mib <= Utf32LeMib;
}

// Plain UTF-32 is the machine's byte order, as the toolkit has it.
bool isBigEndianUtf32(int mib)
{
    return mib == Utf32BeMib || (mib == Utf32Mib && QSysInfo::ByteOrder == QSysInfo::BigEndian);
}

QTextCodec *utf8Codec()
{
    return QTextCodec::codecForMib(Utf8Mib);
}

std::optional<QStringConverter::Encoding> unicodeEncoding(int mib)
{
    switch (mib) {
    case Utf8Mib:
        return QStringConverter::Utf8;
    case Utf16BeMib:
        return QStringConverter::Utf16BE;
    case Utf16LeMib:
        return QStringConverter::Utf16LE;
    case Utf16Mib:
        return QStringConverter::Utf16;
    default:
        return std::nullopt;
    }
}

// The converters with what they counted: characters replaced, and bytes of a
// sequence cut off by the end, still pending.
struct Decoder : QStringDecoder
{
    using QStringDecoder::QStringDecoder;
    const State &counts() const { return state; }
};

struct Encoder : QStringEncoder
{
    using QStringEncoder::QStringEncoder;
    const State &counts() const { return state; }
};

// A byte-order mark at the start is kept as a character unless `skipMark`,
// as QTextCodec's IgnoreHeader had it.
QString decodeUnicode(QStringConverter::Encoding encoding, const char *data, qsizetype size, bool skipMark,
                      int *invalid = nullptr, int *remaining = nullptr)
{
    Decoder decoder(encoding, skipMark ? QStringConverter::Flag::Default : QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(QByteArrayView(data, size));
    if (invalid)
        *invalid = int(decoder.counts().invalidChars);
    if (remaining)
        *remaining = int(decoder.counts().remainingChars);
    return text;
}

QString toUnicode(QTextCodec *codec, const char *data, qsizetype size)
{
    if (const auto encoding = unicodeEncoding(codec->mibEnum()))
        return decodeUnicode(*encoding, data, size, false);
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->toUnicode(data, int(size), &state);
}

using Decoded = TextCodec::Decoded;

void addReplacement(Decoded &out)
{
    out.text += QChar(QChar::ReplacementCharacter);
    ++out.undecodable;
}

// UTF-32 is coded here both ways: the toolkit's encoder leaves four bytes
// unwritten after each character beyond 16 bits, and its decoder lets code
// points beyond Unicode through as broken surrogates.
QByteArray encodeUtf32(const QChar *chars, int n, bool bigEndian)
{
    QByteArray out;
    out.reserve(4 * n);
    for (int i = 0; i < n; ++i) {
        uint code = chars[i].unicode();
        if (chars[i].isHighSurrogate() && i + 1 < n && chars[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(chars[i], chars[i + 1]);
            ++i;
        } else if (chars[i].isSurrogate()) {
            code = QChar::ReplacementCharacter;
        }
        char unit[4];
        if (bigEndian)
            qToBigEndian(quint32(code), unit);
        else
            qToLittleEndian(quint32(code), unit);
        out.append(unit, 4);
    }
    return out;
}

Decoded decodeUtf32(const char *data, int size, bool bigEndian)
{
    Decoded out;
    out.text.reserve(size / 4 + 1);
    const auto *bytes = reinterpret_cast<const uchar *>(data);
    int i = 0;
    for (; i + 4 <= size; i += 4) {
        const uint code = bigEndian ? qFromBigEndian<quint32>(bytes + i) : qFromLittleEndian<quint32>(bytes + i);
        if (code > 0x10FFFF || QChar::isSurrogate(code)) {
            addReplacement(out);
        } else if (QChar::requiresSurrogates(code)) {
            out.text += QChar(QChar::highSurrogate(code));
            out.text += QChar(QChar::lowSurrogate(code));
        } else {
            out.text += QChar(ushort(code));
        }
    }
    if (i < size) // a unit cut off by the end of the file
        addReplacement(out);
    return out;
}

// The state runs on in `unicode` for UTF-8 and UTF-16, in `state` for the rest;
// *invalid gets what could not be encoded.
QByteArray encodeWith(QTextCodec *codec, const QChar *chars, int n, QTextCodec::ConverterState *state, Encoder *unicode,
                      int *invalid)
{
    const int mib = codec->mibEnum();
    if (isUtf32(mib))
        return encodeUtf32(chars, n, isBigEndianUtf32(mib));
    if (unicode) {
        const qsizetype before = unicode->counts().invalidChars;
        QByteArray bytes = unicode->encode(QStringView(chars, n));
        *invalid = int(unicode->counts().invalidChars - before);
        return bytes;
    }
    const int before = state->invalidChars;
    QByteArray bytes = codec->fromUnicode(chars, n, state);
    *invalid = state->invalidChars - before;
    return bytes;
}

std::optional<Encoder> unicodeEncoder(QTextCodec *codec)
{
    if (const auto encoding = unicodeEncoding(codec->mibEnum()))
        return Encoder(*encoding);
    return std::nullopt;
}

bool roundTrips(QTextCodec *codec, const QString &piece)
{
    QTextCodec::ConverterState out(QTextCodec::IgnoreHeader);
    std::optional<Encoder> unicode = unicodeEncoder(codec);
    int invalid = 0;
    const QByteArray bytes
        = encodeWith(codec, piece.constData(), piece.size(), &out, unicode ? &*unicode : nullptr, &invalid);
    if (invalid > 0)
        return false;
    const int mib = codec->mibEnum();
    if (isUtf32(mib))
        return decodeUtf32(bytes.constData(), bytes.size(), isBigEndianUtf32(mib)).text == piece;
    return toUnicode(codec, bytes.constData(), bytes.size()) == piece;
}

struct Mark
{
    const char *bom;
    int length;
    int mib;
};

const Mark *markAtStart(const QByteArray &bytes)
{
    // UTF-32 first: its little-endian mark begins like UTF-16's.
    static const Mark marks[] = {{"\xFF\xFE\x00\x00", 4, Utf32LeMib},
                                 {"\x00\x00\xFE\xFF", 4, Utf32BeMib},
                                 {"\xEF\xBB\xBF", 3, Utf8Mib},
                                 {"\xFF\xFE", 2, Utf16LeMib},
                                 {"\xFE\xFF", 2, Utf16BeMib}};
    for (const Mark &m : marks) {
        if (bytes.size() >= m.length && std::memcmp(bytes.constData(), m.bom, size_t(m.length)) == 0)
            return &m;
    }
    return nullptr;
}

// UTF-16 units come through as they are; a surrogate without its partner is
// no character.
int replaceLoneSurrogates(QString &text)
{
    int replaced = 0;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        text[i] = QChar(QChar::ReplacementCharacter);
        ++replaced;
    }
    return replaced;
}

// How often the bytes hold U+FFFD as a character of their own, which is no
// replacement.
int literalReplacements(QTextCodec *codec, const char *data, int size)
{
    const QString replacement(1, QChar(QChar::ReplacementCharacter));
    if (!roundTrips(codec, replacement))
        return 0;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QByteArray encoded = codec->fromUnicode(replacement.constData(), 1, &state);
    return QByteArray::fromRawData(data, size).count(encoded);
}

// Decodes and counts the characters replaced because the coding could not
// decode them.
Decoded decodeCounting(QTextCodec *codec, const char *data, int size)
{
    const int mib = codec->mibEnum();
    if (isUtf32(mib))
        return decodeUtf32(data, size, isBigEndianUtf32(mib));
    if (const auto encoding = unicodeEncoding(mib)) {
        int remaining = 0;
        Decoded out;
        out.text = decodeUnicode(*encoding, data, size, false, &out.undecodable, &remaining);
        // These hold back a sequence cut off by the end of the file.
        if (remaining > 0)
            addReplacement(out);
        if (isUtf16(mib))
            out.undecodable += replaceLoneSurrogates(out.text);
        return out;
    }
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    Decoded out {codec->toUnicode(data, size, &state), int(state.invalidChars)};
    // The ICU codecs replace without counting and keep a sequence cut off by
    // the end pending: a line end, which no such sequence takes in, pushes it
    // out as replacements.
    const QString flushed = codec->toUnicode("\n", 1, &state);
    if (flushed.size() > 1 && flushed.endsWith(QLatin1Char('\n')))
        out.text += flushed.chopped(1);
    // The toolkit's search is vectorised, its count is not: a clean text costs
    // one fast pass.
    int replacements = 0;
    for (int at = out.text.indexOf(QChar::ReplacementCharacter); at >= 0;
         at = out.text.indexOf(QChar::ReplacementCharacter, at + 1))
        ++replacements;
    if (replacements > 0)
        out.undecodable = qMax(out.undecodable, replacements - literalReplacements(codec, data, size));
    return out;
}

} // namespace

TextCodec::TextCodec(QTextCodec *codec)
    : m_codec(codec ? codec : QTextCodec::codecForLocale())
{
    clearUpperVectorState();
}

std::optional<TextCodec> TextCodec::find(const QString &codecName)
{
    QTextCodec *codec = findCodec(codecName);
    if (!codec)
        return std::nullopt;
    return TextCodec(codec);
}

TextCodec TextCodec::utf8()
{
    return TextCodec(utf8Codec());
}

TextCodec TextCodec::local()
{
    return TextCodec(QTextCodec::codecForLocale());
}

TextCodec TextCodec::unicode(Unicode coding)
{
    return TextCodec(QTextCodec::codecForMib(coding));
}

std::optional<TextCodec> TextCodec::ofByteOrderMark(const QByteArray &bytes, int *markLength)
{
    const Mark *mark = markAtStart(bytes);
    if (!mark)
        return std::nullopt;
    *markLength = mark->length;
    return TextCodec(QTextCodec::codecForMib(mark->mib));
}

TextCodec TextCodec::named(const QString &codecName, bool *unknown)
{
    if (codecName == Codings::autoDetect()) {
        if (unknown)
            *unknown = false;
        return TextCodec(utf8Codec());
    }
    QTextCodec *codec = findCodec(codecName);
    if (unknown)
        *unknown = !codec && !codecName.isEmpty() && codecName != Codings::autoLocal();
    return TextCodec(codec);
}

bool TextCodec::exists(const QString &codecName)
{
    const bool found = findCodec(codecName) != nullptr;
    clearUpperVectorState();
    return found;
}

QString TextCodec::name() const
{
    return QString::fromLatin1(m_codec->name());
}

QStringList TextCodec::names() const
{
    QStringList names {name()};
    const QList<QByteArray> aliases = m_codec->aliases();
    for (const QByteArray &alias : aliases)
        names.append(QString::fromLatin1(alias));
    return names;
}

TextCodec::Decoded TextCodec::decodeCounting(const char *data, int size) const
{
    return ::decodeCounting(m_codec, data, size);
}

QString TextCodec::decode(const QByteArray &bytes) const
{
    if (const Mark *mark = markAtStart(bytes)) {
        // A second mark after the first is skipped too.
        if (const auto encoding = unicodeEncoding(mark->mib))
            return decodeUnicode(*encoding, bytes.constData() + mark->length, bytes.size() - mark->length, true);
        if (QTextCodec *utf = QTextCodec::codecForMib(mark->mib))
            return utf->toUnicode(bytes.constData() + mark->length, bytes.size() - mark->length);
    }
    return toUnicode(m_codec, bytes.constData(), bytes.size());
}

QByteArray TextCodec::encode(const QString &text, int *unrepresentable) const
{
    TextEncoder encoder(*this);
    encoder.add(text);
    if (unrepresentable)
        *unrepresentable = encoder.unrepresentable;
    return encoder.bytes;
}

struct TextEncoder::State
{
    QTextCodec *codec;
    QTextCodec::ConverterState converter {QTextCodec::IgnoreHeader};
    std::optional<Encoder> unicode;
    bool asciiOk = true;
    QHash<uint, bool> known;
};

TextEncoder::TextEncoder(const TextCodec &codec)
    : d(new State)
{
    d->codec = codec.m_codec;
    d->unicode = unicodeEncoder(d->codec);
    // Every coding offered keeps ASCII; tested once to be sure.
    d->asciiOk = roundTrips(d->codec, QStringLiteral("Aa0 |<>{}-.\n"));
    const int mib = d->codec->mibEnum();
    if (isUtf16(mib) || isUtf32(mib)) {
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        std::optional<Encoder> unicode = unicodeEncoder(d->codec);
        const QChar mark(QChar::ByteOrderMark);
        int invalid = 0;
        bytes = encodeWith(d->codec, &mark, 1, &state, unicode ? &*unicode : nullptr, &invalid);
    }
}

TextEncoder::~TextEncoder() = default;

// Qt 5's ICU codecs do not count what they replace, so each distinct character
// is tried on its own: encoded and decoded again, it must come back.
void TextEncoder::add(const QString &text)
{
    const int n = text.size();
    const QChar *chars = text.constData();
    for (int i = 0; i < n; ++i) {
        if (d->asciiOk) {
            // Most of a subtitle file is ASCII: skip it four characters at a time.
            for (quint64 four = 0; i + 4 <= n; i += 4) {
                std::memcpy(&four, chars + i, sizeof four);
                if (four & 0xFF80FF80FF80FF80ULL)
                    break;
            }
            while (i < n && chars[i].unicode() < 0x80)
                ++i;
            if (i == n)
                break;
        }
        const QChar c = chars[i];
        QString piece(c);
        uint key = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && chars[i + 1].isLowSurrogate()) {
            piece.append(chars[i + 1]);
            key = QChar::surrogateToUcs4(c, chars[i + 1]);
            ++i;
        }
        auto it = d->known.constFind(key);
        if (it == d->known.constEnd())
            it = d->known.insert(key, roundTrips(d->codec, piece));
        if (!it.value())
            ++unrepresentable;
    }
    int invalid = 0;
    bytes += encodeWith(d->codec, text.constData(), text.size(), &d->converter, d->unicode ? &*d->unicode : nullptr,
                        &invalid);
}
