#include "core/codings.h"

#include <QHash>
#include <QMutex>
#include <QTextCodec>

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

bool roundTrips(QTextCodec *codec, const QString &piece)
{
    QTextCodec::ConverterState out(QTextCodec::IgnoreHeader);
    const QByteArray bytes = codec->fromUnicode(piece.constData(), piece.size(), &out);
    if (out.invalidChars > 0)
        return false;
    QTextCodec::ConverterState in(QTextCodec::IgnoreHeader);
    return codec->toUnicode(bytes.constData(), bytes.size(), &in) == piece;
}

} // namespace

TextCodec::TextCodec(QTextCodec *codec)
    : m_codec(codec ? codec : QTextCodec::codecForLocale())
{
}

TextCodec TextCodec::named(const QString &codecName, bool *unknown)
{
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
    struct Mark
    {
        const char *bom;
        int length;
        const char *codec;
    };
    // UTF-32 first: its little-endian mark begins like UTF-16's.
    static const Mark marks[] = {{"\xFF\xFE\x00\x00", 4, "UTF-32LE"},
                                 {"\x00\x00\xFE\xFF", 4, "UTF-32BE"},
                                 {"\xEF\xBB\xBF", 3, "UTF-8"},
                                 {"\xFF\xFE", 2, "UTF-16LE"},
                                 {"\xFE\xFF", 2, "UTF-16BE"}};
    for (const Mark &m : marks) {
        if (bytes.size() >= m.length && std::memcmp(bytes.constData(), m.bom, size_t(m.length)) == 0) {
            if (QTextCodec *utf = QTextCodec::codecForName(m.codec))
                return utf->toUnicode(bytes.constData() + m.length, bytes.size() - m.length);
        }
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
    bytes += d->codec->fromUnicode(text.constData(), text.size(), &d->converter);
}
