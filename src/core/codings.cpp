#include "core/codings.h"

#include <QHash>
#include <QMutex>
#include <QTextCodec>
#include <QtEndian>

#include <uchardet/uchardet.h>

#include <algorithm>
#include <cstring>

namespace Codings {

QStringList fixedList()
{
    return {
        QStringLiteral("Apple Roman"),
        QStringLiteral("Big5 (Chinese Traditional)"),
        QStringLiteral("Big5-HKSCS (Chinese Traditional)"),
        QStringLiteral("CP949 (Korean)"),
        QStringLiteral("EUC-JP (Japanese)"),
        QStringLiteral("EUC-KR (Korean)"),
        QStringLiteral("GB18030-0"),
        QStringLiteral("IBM 850 (Western)"),
        QStringLiteral("IBM 866 (Russian)"),
        QStringLiteral("IBM 874 (Thai)"),
        QStringLiteral("ISO 2022-JP"),
        QStringLiteral("ISO 8859-1 (Western)"),
        QStringLiteral("ISO 8859-2 (Central European)"),
        QStringLiteral("ISO 8859-3 (South European)"),
        QStringLiteral("ISO 8859-4 (Baltic)"),
        QStringLiteral("ISO 8859-5 (Cyrillic)"),
        QStringLiteral("ISO 8859-6 (Arabic)"),
        QStringLiteral("ISO 8859-7 (Greek)"),
        QStringLiteral("ISO 8859-8 (Hebrew)"),
        QStringLiteral("ISO 8859-9 (Turkish)"),
        QStringLiteral("ISO 8859-10 (Nordic)"),
        QStringLiteral("ISO 8859-13 (Baltic)"),
        QStringLiteral("ISO 8859-14 (Celtic)"),
        QStringLiteral("ISO 8859-15 (Western)"),
        QStringLiteral("ISO 8859-16 (Romanian)"),
        QStringLiteral("Iscii-Bng"),
        QStringLiteral("Iscii-Dev"),
        QStringLiteral("Iscii-Gjr"),
        QStringLiteral("Iscii-Knd"),
        QStringLiteral("Iscii-Mlm"),
        QStringLiteral("Iscii-Ori"),
        QStringLiteral("Iscii-Pnj"),
        QStringLiteral("Iscii-Tlg"),
        QStringLiteral("Iscii-Tml"),
        QStringLiteral("JIS X 0201 (Japanese)"),
        QStringLiteral("JIS X 0208 (Japanese)"),
        QStringLiteral("KOI8-R (Cyrillic)"),
        QStringLiteral("KOI8-U (Cyrillic/Ukrainian)"),
        QStringLiteral("MuleLao-1"),
        QStringLiteral("ROMAN8"),
        QStringLiteral("Shift-JIS (Japanese)"),
        QStringLiteral("TIS-620 (Thai)"),
        QStringLiteral("TSCII (Tamil)"),
        QStringLiteral("UTF-16"),
        QStringLiteral("UTF-16BE"),
        QStringLiteral("UTF-16LE"),
        QStringLiteral("UTF-32"),
        QStringLiteral("UTF-32BE"),
        QStringLiteral("UTF-32LE"),
        QStringLiteral("Windows-1250 (Central Europe)"),
        QStringLiteral("Windows-1251 (Cyrillic)"),
        QStringLiteral("Windows-1252 (Western)"),
        QStringLiteral("Windows-1253 (Greek)"),
        QStringLiteral("Windows-1254 (Turkish)"),
        QStringLiteral("Windows-1255 (Hebrew)"),
        QStringLiteral("Windows-1256 (Arabic)"),
        QStringLiteral("Windows-1257 (Baltic)"),
        QStringLiteral("Windows-1258 (Vietnam)"),
        QStringLiteral("WINSAMI2"),
    };
}

QStringList commonList()
{
    return {
        QStringLiteral("Windows-1252 (Western)"),        QStringLiteral("Windows-1250 (Central Europe)"),
        QStringLiteral("Windows-1251 (Cyrillic)"),       QStringLiteral("Windows-1253 (Greek)"),
        QStringLiteral("Windows-1254 (Turkish)"),        QStringLiteral("Windows-1255 (Hebrew)"),
        QStringLiteral("Windows-1256 (Arabic)"),         QStringLiteral("ISO 8859-1 (Western)"),
        QStringLiteral("ISO 8859-2 (Central European)"), QStringLiteral("UTF-16"),
    };
}

QString codecNameOf(const QString &entry)
{
    const int cut = entry.indexOf(QLatin1String(" ("));
    return cut > 0 ? entry.left(cut) : entry;
}

} // namespace Codings

namespace {

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

QTextCodec *windows1252()
{
    return findCodec(QStringLiteral("Windows-1252"));
}

struct Decoded
{
    QString text;
    int undecodable = 0;
};

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

QByteArray encodeWith(QTextCodec *codec, const QChar *chars, int n, QTextCodec::ConverterState *state)
{
    const int mib = codec->mibEnum();
    if (isUtf32(mib))
        return encodeUtf32(chars, n, isBigEndianUtf32(mib));
    return codec->fromUnicode(chars, n, state);
}

bool roundTrips(QTextCodec *codec, const QString &piece)
{
    QTextCodec::ConverterState out(QTextCodec::IgnoreHeader);
    const QByteArray bytes = encodeWith(codec, piece.constData(), piece.size(), &out);
    if (out.invalidChars > 0)
        return false;
    const int mib = codec->mibEnum();
    if (isUtf32(mib))
        return decodeUtf32(bytes.constData(), bytes.size(), isBigEndianUtf32(mib)).text == piece;
    QTextCodec::ConverterState in(QTextCodec::IgnoreHeader);
    return codec->toUnicode(bytes.constData(), bytes.size(), &in) == piece;
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
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    Decoded out {codec->toUnicode(data, size, &state), state.invalidChars};
    if (mib == Utf8Mib || isUtf16(mib)) {
        // These hold back a sequence cut off by the end of the file.
        if (state.remainingChars > 0)
            addReplacement(out);
        if (isUtf16(mib))
            out.undecodable += replaceLoneSurrogates(out.text);
        return out;
    }
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

// UTF-16 or UTF-32 without a mark, told by where the zero bytes fall: the
// digits, arrows and Latin letters that fill much of any subtitle file have a
// zero high byte, and no other coding puts zero bytes in text.
QTextCodec *unmarkedWideCoding(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    const int size = bytes.size();
    if (size < 4 || !std::memchr(data, 0, size_t(size)))
        return nullptr;
    // The first 64 KB tell as well as the whole.
    const int sampled = qMin(size, 64 * 1024);
    qint64 zeros[4] = {};
    for (int i = 0; i < sampled; ++i)
        zeros[i & 3] += data[i] == 0;
    // UTF-32: the top byte of every unit is zero, the next one of nearly every.
    const qint64 units = sampled / 4;
    if (size % 4 == 0) {
        if (zeros[3] == units && zeros[2] * 10 >= units * 9)
            return QTextCodec::codecForMib(Utf32LeMib);
        if (zeros[0] == units && zeros[1] * 10 >= units * 9)
            return QTextCodec::codecForMib(Utf32BeMib);
    }
    // UTF-16: many zeros on one side of the pairs, next to none on the other.
    const qint64 pairs = sampled / 2;
    const qint64 odd = zeros[1] + zeros[3];
    const qint64 even = zeros[0] + zeros[2];
    if (odd * 4 >= pairs && even * 16 <= odd)
        return QTextCodec::codecForMib(Utf16LeMib);
    if (even * 4 >= pairs && odd * 16 <= even)
        return QTextCodec::codecForMib(Utf16BeMib);
    return nullptr;
}

// uchardet reads about 10 MB a second. What tells codings apart is in the
// lines with bytes beyond ASCII, so a large file is given as those, up to 64 KB.
QByteArray detectionSample(const char *data, int size)
{
    constexpr int budget = 64 * 1024;
    if (size <= budget)
        return QByteArray::fromRawData(data, size);
    QByteArray sample;
    sample.reserve(budget);
    const char *end = data + size;
    for (const char *line = data; line < end && sample.size() < budget;) {
        const char *next = static_cast<const char *>(std::memchr(line, '\n', size_t(end - line)));
        next = next ? next + 1 : end;
        if (std::any_of(line, next, [](char c) { return uchar(c) >= 0x80; }))
            sample.append(line, int(qMin<qint64>(next - line, budget - sample.size())));
        line = next;
    }
    return sample;
}

// uchardet's name for the coding of the bytes, empty when it has no answer.
QByteArray uchardetAnswer(const char *data, int size)
{
    const QByteArray sample = detectionSample(data, size);
    const std::unique_ptr<uchardet, decltype(&uchardet_delete)> detector(uchardet_new(), uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), sample.constData(), size_t(sample.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    return QByteArray(uchardet_get_charset(detector.get()));
}

struct Proposal
{
    QString name; // as uchardet spells it
    QTextCodec *codec = nullptr;
};

// uchardet's proposal, when the toolkit has a codec for it. ISO-8859-1 and -9
// are read as the Windows codings that hold every character they hold: there
// 0x80-0x9F are control codes, while in real files they are Windows' quotes,
// dashes and "...".
Proposal proposedCoding(const char *data, int size)
{
    QByteArray name = uchardetAnswer(data, size);
    if (name == "ISO-8859-1")
        name = "WINDOWS-1252";
    else if (name == "ISO-8859-9")
        name = "WINDOWS-1254";
    else if (name == "ASCII")
        name = "UTF-8";
    Proposal proposal;
    if (!name.isEmpty()) {
        proposal.name = QString::fromLatin1(name);
        proposal.codec = findCodec(proposal.name);
    }
    return proposal;
}

// Names equal but for case, spaces, hyphens and underscores.
bool sameName(const QString &a, const QString &b)
{
    const auto plain = [](const QString &name) {
        QString out;
        for (const QChar c : name) {
            if (c.isLetterOrNumber())
                out += c.toLower();
        }
        return out;
    };
    return !a.isEmpty() && plain(a) == plain(b);
}

// How the selectors spell a coding ("Windows-1252" for uchardet's
// "WINDOWS-1252" and ICU's "windows-1252"), found by name so that no entry
// this toolkit lacks is looked up (each such lookup prints a warning); the
// hint when no entry has it.
QString selectorName(QTextCodec *codec, const QString &hint)
{
    QStringList wanted {hint, QString::fromLatin1(codec->name())};
    const QList<QByteArray> aliases = codec->aliases();
    for (const QByteArray &alias : aliases)
        wanted.append(QString::fromLatin1(alias));
    const QStringList entries = QStringList {QStringLiteral("UTF-8")} + Codings::fixedList();
    for (const QString &name : wanted) {
        for (const QString &entry : entries) {
            const QString entryName = Codings::codecNameOf(entry);
            if (sameName(entryName, name))
                return entryName;
        }
    }
    return hint;
}

// A coding other than `used` that would likely decode the bytes: uchardet's
// proposal; without one, UTF-8 when they are valid UTF-8, else Windows-1252.
QString likelyCoding(const char *data, int size, QTextCodec *used, const Proposal &proposal)
{
    if (proposal.codec)
        return proposal.codec == used ? QString() : selectorName(proposal.codec, proposal.name);
    const bool utf8 = decodeCounting(utf8Codec(), data, size).undecodable == 0;
    QTextCodec *likely = utf8 ? utf8Codec() : windows1252();
    return likely == used ? QString() : QString::fromLatin1(utf8 ? "UTF-8" : "Windows-1252");
}

} // namespace

DecodedText decodeFile(const QByteArray &bytes, const QString &codecName)
{
    DecodedText out;
    const char *data = bytes.constData();
    int size = bytes.size();
    QTextCodec *codec = nullptr;
    Proposal proposal;
    bool proposed = false;
    if (const Mark *mark = markAtStart(bytes)) {
        out.source = DecodedText::Source::ByteOrderMark;
        codec = QTextCodec::codecForMib(mark->mib);
        out.coding = QString::fromLatin1(codec->name());
        data += mark->length;
        size -= mark->length;
    } else if (codecName != Codings::autoDetect()) {
        out.source = DecodedText::Source::Chosen;
        codec = findCodec(codecName);
        out.coding = codecName;
        if (!codec) {
            codec = QTextCodec::codecForLocale();
            out.coding = QString::fromLatin1(codec->name());
        }
    } else if ((codec = unmarkedWideCoding(bytes))) {
        out.source = DecodedText::Source::Detected;
        out.coding = QString::fromLatin1(codec->name());
    } else {
        // Valid UTF-8 comes from the same pass that decodes it.
        Decoded utf8 = decodeCounting(utf8Codec(), data, size);
        if (utf8.undecodable == 0) {
            out.source = DecodedText::Source::Utf8;
            out.coding = QStringLiteral("UTF-8");
            out.text = std::move(utf8.text);
            return out;
        }
        proposal = proposedCoding(data, size);
        proposed = true;
        if (proposal.codec) {
            out.source = DecodedText::Source::Detected;
            out.coding = proposal.name;
            codec = proposal.codec;
        } else {
            out.source = DecodedText::Source::Fallback;
            out.coding = QStringLiteral("Windows-1252");
            codec = windows1252();
        }
    }
    Decoded decoded = decodeCounting(codec, data, size);
    out.text = std::move(decoded.text);
    out.undecodable = decoded.undecodable;
    if (out.undecodable > 0) {
        if (!proposed)
            proposal = proposedCoding(data, size);
        out.likely = likelyCoding(data, size, codec, proposal);
    }
    return out;
}

TextCodec::TextCodec(QTextCodec *codec)
    : m_codec(codec ? codec : QTextCodec::codecForLocale())
{
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
    return findCodec(codecName) != nullptr;
}

QString TextCodec::name() const
{
    return QString::fromLatin1(m_codec->name());
}

QString TextCodec::decode(const QByteArray &bytes) const
{
    if (const Mark *mark = markAtStart(bytes)) {
        if (QTextCodec *utf = QTextCodec::codecForMib(mark->mib))
            return utf->toUnicode(bytes.constData() + mark->length, bytes.size() - mark->length);
    }
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return m_codec->toUnicode(bytes.constData(), bytes.size(), &state);
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
    bool asciiOk = true;
    QHash<uint, bool> known;
};

TextEncoder::TextEncoder(const TextCodec &codec)
    : d(new State)
{
    d->codec = codec.m_codec;
    // Every coding offered keeps ASCII; tested once to be sure.
    d->asciiOk = roundTrips(d->codec, QStringLiteral("Aa0 |<>{}-.\n"));
    const int mib = d->codec->mibEnum();
    if (isUtf16(mib) || isUtf32(mib)) {
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        const QChar mark(QChar::ByteOrderMark);
        bytes = encodeWith(d->codec, &mark, 1, &state);
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
    bytes += encodeWith(d->codec, text.constData(), text.size(), &d->converter);
}
