// Finding a file's coding (byte-order marks, UTF-8, uchardet's proposal, the
// fallback), counting what a coding cannot decode with a likelier coding, and
// the byte-order mark written for UTF-16 and UTF-32.

#include "testutil.h"

#include "core/codings.h"

#include <QtTest>

using testutil::row;
using Source = DecodedText::Source;

Q_DECLARE_METATYPE(DecodedText::Source)

namespace {

QByteArray fixtureBytes(const QString &name)
{
    return testutil::readFile(testutil::fixture(name));
}

// Russian, Chinese and a character beyond the 16-bit range.
const QString wideText = QStringLiteral("1\n00:00:01,000 --> 00:00:02,500\nПривет, 你好 \U0001F600\n");

} // namespace

class TestDetection : public QObject
{
    Q_OBJECT

private slots:
    // Each fixture under "Auto Detect" and under a chosen coding: where the
    // coding came from, its name, and a word only the right coding gives.
    void decodesFixture_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<Source>("source");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QString>("word");
        const QString detect = Codings::autoDetect();
        // uchardet's ISO-8859-1 and -9 are read as their Windows supersets.
        row("Windows-1252", "detect_cp1252_spanish.srt", detect, Source::Detected, "WINDOWS-1252", "la estación");
        row("Windows-1254", "detect_cp1254_turkish.srt", detect, Source::Detected, "WINDOWS-1254", "uzun yürüdük…");
        row("Windows-1250", "detect_cp1250_polish.srt", detect, Source::Detected, "WINDOWS-1250", "gęślą jaźń");
        row("Windows-1251", "detect_cp1251_russian.srt", detect, Source::Detected, "WINDOWS-1251", "вокзал");
        row("KOI8-R", "detect_koi8r_russian.srt", detect, Source::Detected, "KOI8-R", "вокзал");
        row("Windows-1256", "detect_cp1256_arabic.srt", detect, Source::Detected, "WINDOWS-1256", "محطة القطار");
        row("UTF-8", "detect_utf8_czech.srt", detect, Source::Utf8, "UTF-8", "Žluťoučký kůň");
        row("UTF-8 mark", "detect_utf8_bom_russian.srt", detect, Source::ByteOrderMark, "UTF-8", "вокзал");
        row("UTF-16LE mark", "detect_utf16le_bom_spanish.srt", detect, Source::ByteOrderMark, "UTF-16LE",
            "la estación");
        row("UTF-16LE", "detect_utf16le_spanish.srt", detect, Source::Detected, "UTF-16LE", "la estación");
        row("UTF-16BE mark", "detect_utf16be_bom_russian.srt", detect, Source::ByteOrderMark, "UTF-16BE", "вокзал");
        row("UTF-16BE", "detect_utf16be_russian.srt", detect, Source::Detected, "UTF-16BE", "вокзал");
        // A chosen coding is taken as it is; a mark decides over it.
        row("chosen", "detect_cp1250_polish.srt", "Windows-1250", Source::Chosen, "Windows-1250", "gęślą jaźń");
        row("mark over choice", "detect_utf8_bom_russian.srt", "KOI8-R", Source::ByteOrderMark, "UTF-8", "вокзал");
        row("mark over other order", "detect_utf16be_bom_russian.srt", "UTF-16LE", Source::ByteOrderMark, "UTF-16BE",
            "вокзал");
    }
    void decodesFixture()
    {
        QFETCH(QString, file);
        QFETCH(QString, choice);
        const DecodedText decoded = decodeFile(fixtureBytes(file), choice);
        QTEST(decoded.source, "source");
        QTEST(decoded.coding, "coding");
        QCOMPARE(decoded.undecodable, 0);
        QCOMPARE(decoded.likely, QString());
        QFETCH(QString, word);
        QVERIFY2(decoded.text.contains(word), qPrintable(word));
        QCOMPARE(decoded.text.count(QStringLiteral(" --> ")), 10);
        for (const QChar c : {QChar(QChar::ByteOrderMark), QChar(QChar::ReplacementCharacter), QChar(0)})
            QVERIFY(!decoded.text.contains(c));
    }

    // The same subtitles in every coding read the same, letter for letter.
    void sameTextInEveryCoding_data()
    {
        QTest::addColumn<QStringList>("files");
        row("Spanish",
            QStringList {"detect_cp1252_spanish.srt", "detect_utf16le_bom_spanish.srt", "detect_utf16le_spanish.srt"});
        row("Russian",
            QStringList {"detect_cp1251_russian.srt", "detect_koi8r_russian.srt", "detect_utf8_bom_russian.srt",
                         "detect_utf16be_bom_russian.srt", "detect_utf16be_russian.srt"});
    }
    void sameTextInEveryCoding()
    {
        QFETCH(QStringList, files);
        const auto textOf = [](const QString &file) {
            return decodeFile(fixtureBytes(file), Codings::autoDetect()).text.remove(QLatin1Char('\r'));
        };
        const QString first = textOf(files.first());
        QCOMPARE(first.count(QStringLiteral(" --> ")), 10);
        for (const QString &file : files.mid(1))
            QVERIFY2(textOf(file) == first, qPrintable(file));
    }

    // A large file is detected by its lines beyond ASCII, wherever they are:
    // here after 150 KB of ASCII.
    void largeFileDetectedByItsLettersLaterOn()
    {
        QVector<int> starts;
        for (int i = 0; i < 5000; ++i)
            starts.append(1000 * i);
        const QByteArray bytes = testutil::srtBytes(starts) + fixtureBytes("detect_cp1250_polish.srt");
        QVERIFY(bytes.size() > 150 * 1024);
        const DecodedText decoded = decodeFile(bytes, Codings::autoDetect());
        QCOMPARE(decoded.source, Source::Detected);
        QCOMPARE(decoded.coding, QStringLiteral("WINDOWS-1250"));
        QVERIFY(decoded.text.contains(QStringLiteral("Zażółć gęślą jaźń")));
        QCOMPARE(decoded.undecodable, 0);
    }

    // UTF-16 and UTF-32 as the encoder writes them (with the mark) and without
    // it, found by their zero bytes.
    void wideCodings_data()
    {
        QTest::addColumn<QString>("coding");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<Source>("source");
        for (const char *coding : {"UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
            QTest::addRow("%s with mark", coding) << coding << true << Source::ByteOrderMark;
            QTest::addRow("%s without", coding) << coding << false << Source::Detected;
        }
    }
    void wideCodings()
    {
        QFETCH(QString, coding);
        QFETCH(bool, marked);
        int lost = -1;
        QByteArray bytes = TextCodec::named(coding).encode(wideText, &lost);
        QCOMPARE(lost, 0);
        if (!marked)
            bytes.remove(0, coding.startsWith(QLatin1String("UTF-16")) ? 2 : 4);
        const DecodedText decoded = decodeFile(bytes, Codings::autoDetect());
        QTEST(decoded.source, "source");
        QCOMPARE(decoded.coding, coding);
        QCOMPARE(decoded.text, wideText);
        QCOMPARE(decoded.undecodable, 0);
    }

    // What a coding cannot decode is counted once per replaced character, and
    // a likelier coding named: uchardet's answer, else UTF-8 or Windows-1252,
    // never the coding just used.
    void undecodable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<Source>("source");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<int>("undecodable");
        QTest::addColumn<int>("replacementChars");
        QTest::addColumn<QString>("likely");
        const QByteArray spanish = fixtureBytes("detect_cp1252_spanish.srt");
        const QByteArray czech = fixtureBytes("detect_utf8_czech.srt");
        const QString detect = Codings::autoDetect();
        // 22 and 41 letters, each one byte that UTF-8 cannot take.
        row("Windows-1252 as UTF-8", spanish, "UTF-8", Source::Chosen, "UTF-8", 22, 22, "Windows-1252");
        row("Windows-1254 as UTF-8", fixtureBytes("detect_cp1254_turkish.srt"), "UTF-8", Source::Chosen, "UTF-8", 41,
            41, "Windows-1254");
        // A UTF-8 mark is ignored before text that is not UTF-8 (see wrongUtf8Mark).
        row("mark over Windows-1252 text", "\xEF\xBB\xBF" + spanish, detect, Source::Detected, "WINDOWS-1252", 0, 0,
            "");
        // Mojibake, but every byte has a character there.
        row("UTF-8 as KOI8-R", czech, "KOI8-R", Source::Chosen, "KOI8-R", 0, 0, "");
        row("UTF-8 as ISO 8859-1", czech, "ISO 8859-1", Source::Chosen, "ISO 8859-1", 0, 0, "");
        // Bytes these codings leave undefined (ICU replaces them uncounted).
        row("UTF-8 as ISO 8859-8", czech, "ISO 8859-8", Source::Chosen, "ISO 8859-8", 61, 61, "UTF-8");
        row("UTF-8 as ISO 8859-3", czech, "ISO 8859-3", Source::Chosen, "ISO 8859-3", 28, 28, "UTF-8");
        // uchardet's answer is the coding that failed: nothing likelier known.
        QByteArray strayByte = czech;
        strayByte.replace("Brna", "Brn\xFF");
        row("stray byte in UTF-8", strayByte, detect, Source::Detected, "UTF-8", 1, 1, "");
        // No answer from uchardet, and not UTF-8: the coding whose decoding
        // has the most letters ("Џђќ" against Windows-1252's control codes),
        // Windows-1252 on a tie ("œŒ", "śŚ", "њЊ").
        const QByteArray controls("1\r\n00:00:01,000 --> 00:00:02,000\r\n\x8F\x90\x9D\r\n");
        row("no answer, read as UTF-8", controls, "UTF-8", Source::Chosen, "UTF-8", 3, 3, "Windows-1252");
        row("no answer, most letters", controls, detect, Source::Detected, "WINDOWS-1251", 0, 0, "");
        row("no answer, fallback", QByteArray("1\r\n00:00:01,000 --> 00:00:02,000\r\n\x9C\x8C\r\n"), detect,
            Source::Fallback, "Windows-1252", 0, 0, "");
        // A U+FFFD written in the file is a character, not a replacement
        // (uchardet takes these for the codings they are read in).
        row("UTF-8 with U+FFFD", QByteArray("a\xEF\xBF\xBD b \xFF c"), "UTF-8", Source::Chosen, "UTF-8", 1, 2, "");
        row("GB18030 with U+FFFD", QByteArray("a\x84\x31\xA4\x37 b \xFF c"), "GB18030", Source::Chosen, "GB18030", 1, 2,
            "");
        // Sequences cut off by the end of the file.
        row("UTF-8 cut off", QByteArray("Hello \xC3"), "UTF-8", Source::Chosen, "UTF-8", 1, 1, "Windows-1252");
        row("Shift-JIS cut off", QByteArray("abc\x82"), "Shift-JIS", Source::Chosen, "Shift-JIS", 1, 1, "Windows-1252");
        row("Shift-JIS bad second byte", QByteArray("a\x82 b"), "Shift-JIS", Source::Chosen, "Shift-JIS", 1, 1,
            "Windows-1252");
        row("UTF-16LE odd byte", QByteArray("a\0b", 3), "UTF-16LE", Source::Chosen, "UTF-16LE", 1, 1, "UTF-8");
        // uchardet's ISO-8859-15, as the selectors spell it.
        row("UTF-16LE lone surrogate", QByteArray::fromHex("6100 00d8 6200"), "UTF-16LE", Source::Chosen, "UTF-16LE", 1,
            1, "ISO 8859-15");
        row("UTF-32LE beyond Unicode", QByteArray("a\0\0\0\0\0\x11\0", 8), "UTF-32LE", Source::Chosen, "UTF-32LE", 1, 1,
            "UTF-8");
        row("UTF-32BE cut off", QByteArray("\0\0\0a\0\0", 6), "UTF-32BE", Source::Chosen, "UTF-32BE", 1, 1, "UTF-8");
        row("ASCII is UTF-8", QByteArray("1\n00:00:01,000 --> 00:00:02,000\nHello\n"), detect, Source::Utf8, "UTF-8", 0,
            0, "");
        row("empty, Auto Detect", QByteArray(), detect, Source::Utf8, "UTF-8", 0, 0, "");
        row("empty, chosen", QByteArray(), "Windows-1250", Source::Chosen, "Windows-1250", 0, 0, "");
        row("empty, UTF-32", QByteArray(), "UTF-32", Source::Chosen, "UTF-32", 0, 0, "");
        // A coding the toolkit lacks reads as the local one (UTF-8 in the tests).
        row("unknown coding", QByteArray("caf\xC3\xA9"), "No Such Coding", Source::Chosen, "UTF-8", 0, 0, "");
    }
    void undecodable()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, choice);
        QFETCH(int, replacementChars);
        const DecodedText decoded = decodeFile(bytes, choice);
        QTEST(decoded.source, "source");
        QTEST(decoded.coding, "coding");
        QTEST(decoded.undecodable, "undecodable");
        QCOMPARE(decoded.text.count(QChar(QChar::ReplacementCharacter)), replacementChars);
        QTEST(decoded.likely, "likely");
    }

    // A UTF-8 mark before bytes that mostly are not UTF-8 (an editor added it
    // to a Windows-1252 file) is ignored: the bytes are read as without it.
    // A right mark, or one before UTF-8 with a stray broken byte, still decides.
    void wrongUtf8Mark_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<Source>("source");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QString>("ignoredMark");
        QTest::addColumn<QString>("word");
        const QByteArray mark = "\xEF\xBB\xBF", spanish = fixtureBytes("detect_cp1252_spanish.srt");
        QByteArray czech = fixtureBytes("detect_utf8_czech.srt");
        const QString detect = Codings::autoDetect();
        row("Windows-1252, detected", mark + spanish, detect, Source::Detected, "WINDOWS-1252", "UTF-8", "la estación");
        row("Windows-1252, chosen", mark + spanish, "Windows-1252", Source::Chosen, "Windows-1252", "UTF-8",
            "la estación");
        row("UTF-8", mark + czech, detect, Source::ByteOrderMark, "UTF-8", "", "Žluťoučký kůň");
        row("UTF-8 with a stray byte", mark + czech.replace("Brna", "Brn\xFF"), "Windows-1250", Source::ByteOrderMark,
            "UTF-8", "", "Žluťoučký kůň");
        row("UTF-16LE", fixtureBytes("detect_utf16le_bom_spanish.srt"), detect, Source::ByteOrderMark, "UTF-16LE", "",
            "la estación");
    }
    void wrongUtf8Mark()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, choice);
        QFETCH(QString, word);
        const DecodedText decoded = decodeFile(bytes, choice);
        QTEST(decoded.source, "source");
        QTEST(decoded.coding, "coding");
        QTEST(decoded.ignoredMark, "ignoredMark");
        QVERIFY2(decoded.text.contains(word), qPrintable(decoded.text));
        QVERIFY(!decoded.text.startsWith(QChar(QChar::ByteOrderMark)));
        QVERIFY(!decoded.text.startsWith(QString::fromLatin1("\xEF\xBB\xBF")));
    }

    // "Auto Detect" saves as UTF-8 (see encoderMark); it is a choice, not a codec.
    void autoDetectIsUtf8ForSaving()
    {
        bool unknown = true;
        QCOMPARE(TextCodec::named(Codings::autoDetect(), &unknown).name(), QStringLiteral("UTF-8"));
        QVERIFY(!unknown);
        QVERIFY(!TextCodec::exists(Codings::autoDetect()));
    }

    // The mark comes first for UTF-16 and UTF-32, in the coding's byte order;
    // every other coding writes as before, without one.
    void encoderMark_data()
    {
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        const bool bigEndianHost = QSysInfo::ByteOrder == QSysInfo::BigEndian;
        const QByteArray le16 = QByteArray::fromHex("fffe 4100 f100"), be16 = QByteArray::fromHex("feff 0041 00f1");
        const QByteArray le32 = QByteArray::fromHex("fffe0000 41000000 f1000000");
        const QByteArray be32 = QByteArray::fromHex("0000feff 00000041 000000f1");
        row("UTF-16", "UTF-16", "Añ", bigEndianHost ? be16 : le16);
        row("UTF-16LE", "UTF-16LE", "Añ", le16);
        row("UTF-16BE", "UTF-16BE", "Añ", be16);
        row("UTF-32", "UTF-32", "Añ", bigEndianHost ? be32 : le32);
        row("UTF-32LE", "UTF-32LE", "Añ", le32);
        row("UTF-32BE", "UTF-32BE", "Añ", be32);
        row("UTF-8", "UTF-8", "Añ", QByteArray("A\xC3\xB1"));
        row("Auto Detect", Codings::autoDetect(), "Añ", QByteArray("A\xC3\xB1"));
        row("Auto Local", Codings::autoLocal(), "Añ", QByteArray("A\xC3\xB1"));
        row("Windows-1252", "Windows-1252", "Añ", QByteArray("A\xF1"));
        row("ISO 8859-1", "ISO 8859-1", "Añ", QByteArray("A\xF1"));
        row("KOI8-R", "KOI8-R", "Aж", QByteArray("A\xD6"));
        row("Windows-1250", "Windows-1250", "Aś", QByteArray("A\x9C"));
    }
    void encoderMark()
    {
        QFETCH(QString, coding);
        QFETCH(QString, text);
        int lost = -1;
        QTEST(TextCodec::named(coding).encode(text, &lost), "bytes");
        QCOMPARE(lost, 0);
    }

    // Encoded piece by piece, the mark is written once, at the very start, and
    // the whole reads back as the text.
    void piecewiseMarkOnce_data()
    {
        QTest::addColumn<QString>("coding");
        QTest::addColumn<int>("markLength");
        for (const char *coding : {"UTF-16", "UTF-16LE", "UTF-16BE"})
            QTest::newRow(coding) << coding << 2;
        for (const char *coding : {"UTF-32", "UTF-32LE", "UTF-32BE"})
            QTest::newRow(coding) << coding << 4;
        QTest::newRow("UTF-8") << "UTF-8" << 0;
    }
    void piecewiseMarkOnce()
    {
        QFETCH(QString, coding);
        QFETCH(int, markLength);
        const TextCodec codec = TextCodec::named(coding);
        TextEncoder encoder(codec);
        QByteArray written;
        const QStringList pieces {wideText, QString(), wideText.left(5), wideText.mid(5)};
        for (const QString &piece : pieces) {
            encoder.add(piece);
            written += encoder.bytes;
            encoder.bytes.clear();
        }
        QCOMPARE(encoder.unrepresentable, 0);
        int lost = -1;
        QCOMPARE(written, codec.encode(pieces.join(QString()), &lost));
        const DecodedText decoded = decodeFile(written, Codings::autoDetect());
        QCOMPARE(decoded.source, markLength ? Source::ByteOrderMark : Source::Utf8);
        QCOMPARE(decoded.text, wideText + wideText); // a second mark would be a U+FEFF in the text
        QCOMPARE(written.left(markLength), codec.encode(QString(), &lost));
    }
};

QTEST_GUILESS_MAIN(TestDetection)
#include "tst_detection.moc"
