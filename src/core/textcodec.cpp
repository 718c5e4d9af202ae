// The one seam over the toolkit's codecs: lookup by name, decoding that counts
// what it replaces, and encoding in pieces. UTF-8 and UTF-16 convert through
// Qt Core's QStringConverter, UTF-32 here; every other coding is found, named
// and converted by QTextCodec (Core5Compat in Qt 6, on ICU as in Qt 5), in the
// module that legacyCodecs() loads on first use, so every name stays. Besides
// sparing each start that library, QStringConverter leaves the processor's AVX
// state clean, which Core5Compat's own Unicode converters did not (after
// those, all code ran a good third slower).

#include "core/textcodec.h"

#include "core/codinglist.h"
#include "core/legacycodecs.h"
#include "core/modules.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <cstring>
#include <mutex>

const LegacyCodecs *legacyCodecs()
{
    static std::once_flag once;
    static const LegacyCodecs *codecs = nullptr;
    std::call_once(once, [] {
        QString error;
        using Entry = const LegacyCodecs *(*)();
        if (const auto entry = reinterpret_cast<Entry>(loadModuleEntry(QStringLiteral(TWINSCRIPT_CODEC_MODULE_NAME),
                                                                       QStringLiteral(TWINSCRIPT_CODEC_MODULE),
                                                                       "twinscriptLegacyCodecs", &error)))
            codecs = entry();
        else
            qCritical("codings other than Unicode not loaded: %s", qPrintable(error));
    });
    return codecs;
}

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

bool isUnicode(int mib)
{
    return mib == Utf8Mib || isUtf16(mib) || isUtf32(mib);
}

// The names the toolkit gives its Unicode codecs (none has an alias).
const char *unicodeName(int mib)
{
    switch (mib) {
    case Utf8Mib:
        return "UTF-8";
    case Utf16BeMib:
        return "UTF-16BE";
    case Utf16LeMib:
        return "UTF-16LE";
    case Utf16Mib:
        return "UTF-16";
    case Utf32Mib:
        return "UTF-32";
    case Utf32BeMib:
        return "UTF-32BE";
    case Utf32LeMib:
        return "UTF-32LE";
    default:
        return nullptr;
    }
}

// The Unicode codings by the names the coding lists and detection use; other
// spellings ("utf8") go to the toolkit, which knows them all.
int unicodeMibNamed(const QString &name)
{
    for (int mib : {Utf8Mib, Utf16BeMib, Utf16LeMib, Utf16Mib, Utf32Mib, Utf32BeMib, Utf32LeMib}) {
        if (name.compare(QLatin1String(unicodeName(mib)), Qt::CaseInsensitive) == 0)
            return mib;
    }
    return 0;
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

QString toUnicode(int mib, const void *legacy, const char *data, qsizetype size)
{
    if (legacy)
        return legacyCodecs()->decode(legacy, data, int(size));
    if (isUtf32(mib))
        return decodeUtf32(data, int(size), isBigEndianUtf32(mib)).text;
    return decodeUnicode(*unicodeEncoding(mib), data, size, false);
}

// The state runs on in `unicode` for UTF-8 and UTF-16, in `legacyState` for
// the codings of the module; *invalid gets what could not be encoded.
QByteArray encodeWith(int mib, const void *legacy, const QChar *chars, int n, void *legacyState, Encoder *unicode,
                      int *invalid)
{
    *invalid = 0;
    if (legacy)
        return legacyCodecs()->encode(legacy, legacyState, chars, n, invalid);
    if (isUtf32(mib))
        return encodeUtf32(chars, n, isBigEndianUtf32(mib));
    const qsizetype before = unicode->counts().invalidChars;
    QByteArray bytes = unicode->encode(QStringView(chars, n));
    *invalid = int(unicode->counts().invalidChars - before);
    return bytes;
}

std::optional<Encoder> unicodeEncoder(int mib, const void *legacy)
{
    if (legacy)
        return std::nullopt;
    if (const auto encoding = unicodeEncoding(mib))
        return Encoder(*encoding);
    return std::nullopt;
}

bool roundTrips(int mib, const void *legacy, const QString &piece)
{
    if (legacy)
        return legacyCodecs()->roundTrips(legacy, piece);
    std::optional<Encoder> unicode = unicodeEncoder(mib, legacy);
    int invalid = 0;
    const QByteArray bytes = encodeWith(mib, legacy, piece.constData(), int(piece.size()), nullptr,
                                        unicode ? &*unicode : nullptr, &invalid);
    return invalid == 0 && toUnicode(mib, legacy, bytes.constData(), bytes.size()) == piece;
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

// Decodes and counts the characters replaced because the coding could not
// decode them.
Decoded decodeCounting(int mib, const void *legacy, const char *data, int size)
{
    Decoded out;
    if (legacy) {
        out.text = legacyCodecs()->decodeCounting(legacy, data, size, &out.undecodable);
        return out;
    }
    if (isUtf32(mib))
        return decodeUtf32(data, size, isBigEndianUtf32(mib));
    int remaining = 0;
    out.text = decodeUnicode(*unicodeEncoding(mib), data, size, false, &out.undecodable, &remaining);
    // These hold back a sequence cut off by the end of the file.
    if (remaining > 0)
        addReplacement(out);
    if (isUtf16(mib))
        out.undecodable += replaceLoneSurrogates(out.text);
    return out;
}

} // namespace

// A codec of the module that is one of the Unicode codings is taken as ours.
TextCodec::TextCodec(const void *legacy)
    : m_mib(Utf8Mib)
    , m_legacy(nullptr)
{
    if (legacy) {
        const int mib = legacyCodecs()->mib(legacy);
        if (isUnicode(mib))
            m_mib = mib;
        else
            m_legacy = legacy;
    }
    clearUpperVectorState();
}

TextCodec::TextCodec(int unicodeMib)
    : m_mib(unicodeMib)
    , m_legacy(nullptr)
{
}

std::optional<TextCodec> TextCodec::find(const QString &codecName)
{
    if (codecName.isEmpty() || codecName == Codings::autoLocal())
        return std::nullopt;
    if (const int mib = unicodeMibNamed(codecName))
        return TextCodec(mib);
    const LegacyCodecs *legacy = legacyCodecs();
    const void *codec = legacy ? legacy->find(codecName) : nullptr;
    if (!codec) {
        clearUpperVectorState();
        return std::nullopt;
    }
    return TextCodec(codec);
}

TextCodec TextCodec::utf8()
{
    return TextCodec(int(Utf8Mib));
}

TextCodec TextCodec::local()
{
    const LegacyCodecs *legacy = legacyCodecs();
    return legacy ? TextCodec(legacy->local()) : utf8();
}

TextCodec TextCodec::unicode(Unicode coding)
{
    return TextCodec(int(coding));
}

std::optional<TextCodec> TextCodec::ofByteOrderMark(const QByteArray &bytes, int *markLength)
{
    const Mark *mark = markAtStart(bytes);
    if (!mark)
        return std::nullopt;
    *markLength = mark->length;
    return TextCodec(mark->mib);
}

TextCodec TextCodec::named(const QString &codecName, bool *unknown)
{
    if (codecName == Codings::autoDetect()) {
        if (unknown)
            *unknown = false;
        return utf8();
    }
    const std::optional<TextCodec> codec = find(codecName);
    if (unknown)
        *unknown = !codec && !codecName.isEmpty() && codecName != Codings::autoLocal();
    return codec ? *codec : local();
}

bool TextCodec::exists(const QString &codecName)
{
    return find(codecName).has_value();
}

QString TextCodec::name() const
{
    if (m_legacy)
        return QString::fromLatin1(legacyCodecs()->name(m_legacy));
    return QString::fromLatin1(unicodeName(m_mib));
}

QStringList TextCodec::names() const
{
    QStringList names {name()};
    if (m_legacy) {
        const QList<QByteArray> aliases = legacyCodecs()->aliases(m_legacy);
        for (const QByteArray &alias : aliases)
            names.append(QString::fromLatin1(alias));
    }
    return names;
}

TextCodec::Decoded TextCodec::decodeCounting(const char *data, int size) const
{
    return ::decodeCounting(m_mib, m_legacy, data, size);
}

QString TextCodec::decode(const QByteArray &bytes) const
{
    if (const Mark *mark = markAtStart(bytes)) {
        const char *rest = bytes.constData() + mark->length;
        const qsizetype size = bytes.size() - mark->length;
        // A second mark after the first is skipped too.
        if (const auto encoding = unicodeEncoding(mark->mib))
            return decodeUnicode(*encoding, rest, size, true);
        QString text = decodeUtf32(rest, int(size), isBigEndianUtf32(mark->mib)).text;
        if (text.startsWith(QChar(QChar::ByteOrderMark)))
            text.remove(0, 1);
        return text;
    }
    return toUnicode(m_mib, m_legacy, bytes.constData(), bytes.size());
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
    int mib = 0;
    const void *legacy = nullptr;
    void *legacyState = nullptr;
    std::optional<Encoder> unicode;
    bool asciiOk = true;
    QHash<uint, bool> known;

    ~State()
    {
        if (legacyState)
            legacyCodecs()->deleteEncoding(legacyState);
    }
};

TextEncoder::TextEncoder(const TextCodec &codec)
    : d(new State)
{
    d->mib = codec.m_mib;
    d->legacy = codec.m_legacy;
    if (d->legacy)
        d->legacyState = legacyCodecs()->newEncoding();
    d->unicode = unicodeEncoder(d->mib, d->legacy);
    // Every coding offered keeps ASCII; tested once to be sure.
    d->asciiOk = roundTrips(d->mib, d->legacy, QStringLiteral("Aa0 |<>{}-.\n"));
    if (!d->legacy && (isUtf16(d->mib) || isUtf32(d->mib))) {
        std::optional<Encoder> unicode = unicodeEncoder(d->mib, d->legacy);
        const QChar mark(QChar::ByteOrderMark);
        int invalid = 0;
        bytes = encodeWith(d->mib, d->legacy, &mark, 1, nullptr, unicode ? &*unicode : nullptr, &invalid);
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
            it = d->known.insert(key, roundTrips(d->mib, d->legacy, piece));
        if (!it.value())
            ++unrepresentable;
    }
    int invalid = 0;
    bytes += encodeWith(d->mib, d->legacy, text.constData(), int(text.size()), d->legacyState,
                        d->unicode ? &*d->unicode : nullptr, &invalid);
}
