// Finding the coding of a file's bytes: a byte-order mark, the zero bytes of
// UTF-16 and UTF-32, valid UTF-8, and else uchardet's proposal.

#include "core/detection.h"

#include "core/codinglist.h"
#include "core/textcodec.h"

#include <uchardet/uchardet.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

TextCodec windows1252()
{
    return TextCodec::named(QStringLiteral("Windows-1252"));
}

// UTF-16 or UTF-32 without a mark, told by where the zero bytes fall: the
// digits, arrows and Latin letters that fill much of any subtitle file have a
// zero high byte, and no other coding puts zero bytes in text.
std::optional<TextCodec> unmarkedWideCoding(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    const int size = bytes.size();
    if (size < 4 || !std::memchr(data, 0, size_t(size)))
        return std::nullopt;
    // The first 64 KB tell as well as the whole.
    const int sampled = qMin(size, 64 * 1024);
    qint64 zeros[4] = {};
    for (int i = 0; i < sampled; ++i)
        zeros[i & 3] += data[i] == 0;
    // UTF-32: the top byte of every unit is zero, the next one of nearly every.
    const qint64 units = sampled / 4;
    if (size % 4 == 0) {
        if (zeros[3] == units && zeros[2] * 10 >= units * 9)
            return TextCodec::unicode(TextCodec::Utf32Le);
        if (zeros[0] == units && zeros[1] * 10 >= units * 9)
            return TextCodec::unicode(TextCodec::Utf32Be);
    }
    // UTF-16: many zeros on one side of the pairs, next to none on the other.
    const qint64 pairs = sampled / 2;
    const qint64 odd = zeros[1] + zeros[3];
    const qint64 even = zeros[0] + zeros[2];
    if (odd * 4 >= pairs && even * 16 <= odd)
        return TextCodec::unicode(TextCodec::Utf16Le);
    if (even * 4 >= pairs && odd * 16 <= even)
        return TextCodec::unicode(TextCodec::Utf16Be);
    return std::nullopt;
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
    std::optional<TextCodec> codec;
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
        proposal.codec = TextCodec::find(proposal.name);
    }
    return proposal;
}

// The one-byte codings of Windows and ISO in which legacy subtitles come; on a
// tie the earlier wins, so the Windows codings, which real files use far more.
const char *const legacyCodings[]
    = {"WINDOWS-1252", "WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1253", "WINDOWS-1254", "WINDOWS-1255",
       "WINDOWS-1256", "WINDOWS-1257", "WINDOWS-1258", "ISO-8859-1",   "ISO-8859-2",   "ISO-8859-3",
       "ISO-8859-4",   "ISO-8859-5",   "ISO-8859-6",   "ISO-8859-7",   "ISO-8859-8",   "ISO-8859-9",
       "ISO-8859-10",  "ISO-8859-11",  "ISO-8859-13",  "ISO-8859-14",  "ISO-8859-15",  "ISO-8859-16"};

// What a wrong one-byte coding makes of letters: signs, superscripts and
// fractions ("Ąą" read as Windows-1252 is "¥¹"), control codes and
// replacement characters. Signs that texts do use are left out.
bool isStraySign(QChar c)
{
    switch (c.category()) {
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
    case QChar::Number_Other:
    case QChar::Other_Control:
        break;
    default:
        return c == QChar(QChar::ReplacementCharacter);
    }
    static const QString common = QStringLiteral("\u20ac\u00a3\u00a9\u00ae\u00b0\u2116\u2122\u266a\u266b");
    return !common.contains(c);
}

// Letters beyond ASCII in the decoded text: those that stand in a word of one
// script (Latin with ASCII letters) against every other character beyond
// ASCII. A wrong coding gives signs, or letters of another script in the
// middle of a word ("Prosz\u0438").
struct LetterShare
{
    int letters = 0;
    int others = 0;
    int signs = 0; // stray signs among the others

    bool better(const LetterShare &b) const
    {
        return qint64(letters) * (b.letters + b.others) > qint64(b.letters) * (letters + others);
    }
};

LetterShare letterShare(const QString &text)
{
    LetterShare share;
    const int n = text.size();
    for (int i = 0; i < n;) {
        const QChar c = text.at(i);
        if (!c.isLetterOrNumber() && !c.isMark()) {
            if (c.unicode() >= 0x80) {
                ++share.others;
                share.signs += isStraySign(c) ? 1 : 0;
            }
            ++i;
            continue;
        }
        // A word: letters and marks of one script, digits anywhere.
        QChar::Script script = QChar::Script_Common;
        bool oneScript = true;
        int beyondAscii = 0;
        for (; i < n && (text.at(i).isLetterOrNumber() || text.at(i).isMark()); ++i) {
            const QChar w = text.at(i);
            if (w.unicode() >= 0x80)
                ++beyondAscii;
            if (!w.isLetter())
                continue;
            const QChar::Script letterScript = w.script();
            if (script == QChar::Script_Common)
                script = letterScript;
            else if (letterScript != script)
                oneScript = false;
        }
        (oneScript ? share.letters : share.others) += beyondAscii;
    }
    return share;
}

// A short file tells uchardet too little: when it names nothing, or a one-byte
// coding whose decoding shows stray signs among letters (a tenth of what it
// decodes beyond ASCII or more), the one-byte coding
// of Windows or ISO whose decoding has the largest share of letters is taken
// (uchardet's own on a tie, else the first in the list).
Proposal proposalByLetters(const char *data, int size, const Proposal &proposal)
{
    const QByteArray sample = detectionSample(data, size);
    LetterShare best;
    if (proposal.codec) {
        const QString text = proposal.codec->decodeCounting(sample.constData(), sample.size()).text;
        // Several bytes a character: a coding of East Asia or Unicode, where
        // one-byte codings are no alternative.
        if (text.size() != sample.size())
            return proposal;
        best = letterShare(text);
        // One "m²" among a file of letters is no sign of a wrong coding.
        if (best.letters == 0 || best.signs * 10 < best.letters + best.others)
            return proposal;
    }
    Proposal chosen = proposal;
    for (const char *name : legacyCodings) {
        const QString coding = QString::fromLatin1(name);
        const std::optional<TextCodec> codec = TextCodec::find(coding);
        if (!codec)
            continue;
        const LetterShare share = letterShare(codec->decodeCounting(sample.constData(), sample.size()).text);
        if (!chosen.codec || share.better(best)) {
            best = share;
            chosen = Proposal {coding, codec};
        }
    }
    // Without a single letter no coding is likelier than the fallback, which
    // is logged as such when it is the coding chosen.
    const bool fallback = !proposal.codec && chosen.name == QLatin1String(legacyCodings[0]);
    return best.letters > 0 && !fallback ? chosen : proposal;
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
QString selectorName(const TextCodec &codec, const QString &hint)
{
    const QStringList wanted = QStringList {hint} + codec.names();
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
QString likelyCoding(const char *data, int size, const TextCodec &used, const Proposal &proposal)
{
    if (proposal.codec)
        return *proposal.codec == used ? QString() : selectorName(*proposal.codec, proposal.name);
    const bool utf8 = TextCodec::utf8().decodeCounting(data, size).undecodable == 0;
    const TextCodec likely = utf8 ? TextCodec::utf8() : windows1252();
    return likely == used ? QString() : QString::fromLatin1(utf8 ? "UTF-8" : "Windows-1252");
}

// Whether bytes after a UTF-8 mark are text in another coding: more of their
// sequences beyond ASCII are invalid UTF-8 than valid. A UTF-8 file with a
// stray broken byte stays UTF-8.
bool contradictsUtf8Mark(const char *data, int size)
{
    const TextCodec::Decoded utf8 = TextCodec::utf8().decodeCounting(data, size);
    if (utf8.undecodable == 0)
        return false;
    const int beyondAscii = int(std::count_if(utf8.text.cbegin(), utf8.text.cend(),
                                              [](QChar c) { return c.unicode() >= 0x80 && !c.isLowSurrogate(); }));
    return utf8.undecodable * 2 > beyondAscii;
}

} // namespace

DecodedText decodeFile(const QByteArray &bytes, const QString &codecName)
{
    DecodedText out;
    const char *data = bytes.constData();
    int size = bytes.size();
    std::optional<TextCodec> codec;
    Proposal proposal;
    bool proposed = false;
    int markLength = 0;
    codec = TextCodec::ofByteOrderMark(bytes, &markLength);
    if (codec && *codec == TextCodec::utf8() && contradictsUtf8Mark(data + markLength, size - markLength)) {
        out.ignoredMark = codec->name();
        codec.reset();
        data += markLength;
        size -= markLength;
    }
    if (codec) {
        out.source = DecodedText::Source::ByteOrderMark;
        out.coding = codec->name();
        data += markLength;
        size -= markLength;
    } else if (codecName != Codings::autoDetect()) {
        out.source = DecodedText::Source::Chosen;
        codec = TextCodec::find(codecName);
        out.coding = codecName;
        if (!codec) {
            codec = TextCodec::local();
            out.coding = codec->name();
        }
    } else if ((codec = unmarkedWideCoding(QByteArray::fromRawData(data, size)))) {
        out.source = DecodedText::Source::Detected;
        out.coding = codec->name();
    } else {
        // Valid UTF-8 comes from the same pass that decodes it.
        TextCodec::Decoded utf8 = TextCodec::utf8().decodeCounting(data, size);
        if (utf8.undecodable == 0) {
            out.source = DecodedText::Source::Utf8;
            out.coding = QStringLiteral("UTF-8");
            out.text = std::move(utf8.text);
            return out;
        }
        proposal = proposalByLetters(data, size, proposedCoding(data, size));
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
    TextCodec::Decoded decoded = codec->decodeCounting(data, size);
    out.text = std::move(decoded.text);
    out.undecodable = decoded.undecodable;
    if (out.undecodable > 0) {
        if (!proposed)
            proposal = proposedCoding(data, size);
        out.likely = likelyCoding(data, size, *codec, proposal);
    }
    return out;
}
