// The coding list and the codec seam: codec names of the entries, every entry
// on this platform, and reading and saving in a chosen coding.

#include "testutil.h"

#include "core/codings.h"
#include "core/session.h"

#include <QTextCodec>
#include <QtTest>

using testutil::fallbackEntries;
using testutil::row;

class TestCodings : public QObject, testutil::SessionFixture
{
    Q_OBJECT

private slots:
    void init() { log.clear(); }

    void codecNameOf_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name");
        row("description", "Windows-1253 (Greek)", "Windows-1253");
        row("slash in description", "KOI8-U (Cyrillic/Ukrainian)", "KOI8-U");
        row("auto local", "Auto Local", "Auto Local");
        row("utf-8", "UTF-8", "UTF-8");
        row("parenthesis first", " (x)", " (x)");
        row("only first cut", "A (b) (c)", "A");
        row("no space before", "A(b)", "A(b)");
    }
    void codecNameOf()
    {
        QFETCH(QString, entry);
        QTEST(Codings::codecNameOf(entry), "name");
    }

    void fixedListHas59DistinctEntries()
    {
        const QStringList all = Codings::fixedList();
        QCOMPARE(all.size(), 59);
        QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), 59);
        QCOMPARE(all.first(), QStringLiteral("Apple Roman"));
        QCOMPARE(all.last(), QStringLiteral("WINSAMI2"));
        QVERIFY(!all.contains(Codings::autoLocal()) && !all.contains(QStringLiteral("UTF-8")));
    }

    // Every entry the selectors offer resolves on this machine, except "Auto
    // Local" (the local coding, silently) and the known fallbacks (the local
    // coding, said so).
    void everyEntryOnThisPlatform_data()
    {
        QTest::addColumn<QString>("entry");
        for (const QString &e : QStringList {Codings::autoLocal(), "UTF-8"} + Codings::fixedList())
            row(qPrintable(e), e);
    }
    void everyEntryOnThisPlatform()
    {
        QFETCH(QString, entry);
        const QString name = Codings::codecNameOf(entry);
        bool unknown = false;
        const TextCodec codec = TextCodec::named(name, &unknown);
        QCOMPARE(unknown, fallbackEntries.contains(entry));
        QCOMPARE(TextCodec::exists(name), !unknown && entry != Codings::autoLocal());
        if (!TextCodec::exists(name))
            QCOMPARE(codec.name(), QString::fromLatin1(QTextCodec::codecForLocale()->name()));
        int lost = -1;
        if (entry == QLatin1String("GB18030-0")) // Qt 5 knows it as "GB18030"
            QCOMPARE(codec.encode(QStringLiteral("\u4e2d\u6587"), &lost), QByteArray("\xd6\xd0\xce\xc4"));
        // A subtitle's digits and arrows must survive every offered coding.
        const QString ascii = QStringLiteral("00:00:01,000 --> 00:00:02,000 Hello");
        const QByteArray bytes = codec.encode(ascii, &lost);
        QCOMPARE(lost, 0);
        QCOMPARE(codec.decode(bytes), ascii);
    }

    // The seam converts Unicode itself and asks the toolkit only for the rest:
    // either way a coding keeps the toolkit's name and aliases, and one coding
    // under any spelling is one codec.
    void namesAsTheToolkitHasThem_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &e : QStringList {"utf8", "UTF-16le", "utf-32BE", "UTF-16", "UTF-32", "ISO-10646-UCS-2"}
                 + Codings::fixedList()) {
            if (!fallbackEntries.contains(e))
                row(qPrintable(e), Codings::codecNameOf(e));
        }
    }
    void namesAsTheToolkitHasThem()
    {
        QFETCH(QString, name);
        const QByteArray toolkitName = name == QLatin1String("GB18030-0") ? "GB18030" : name.toLatin1();
        const QTextCodec *toolkit = QTextCodec::codecForName(toolkitName);
        QVERIFY(toolkit);
        QStringList names {QString::fromLatin1(toolkit->name())};
        for (const QByteArray &alias : toolkit->aliases())
            names.append(QString::fromLatin1(alias));
        const TextCodec codec = TextCodec::named(name);
        QCOMPARE(codec.names(), names);
        QVERIFY(codec == TextCodec::named(names.first()));
    }

    // Tamil and Indian scripts decode as their standards have it: a TSCII dead
    // consonant carries the virama (Qt 5 gave it an anusvara), and an ISCII
    // explicit or soft halant a zero-width (non-)joiner.
    void indicScriptsDecode_data()
    {
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        row("TSCII dead ka", "TSCII", QByteArray("\xec"), QStringLiteral("\u0b95\u0bcd"));
        row("TSCII dead ja", "TSCII", QByteArray("\x88"), QStringLiteral("\u0b9c\u0bcd"));
        row("TSCII ka", "TSCII", QByteArray("\xb8"), QStringLiteral("\u0b95"));
        row("ISCII explicit halant", "Iscii-Dev", QByteArray("\xb3\xe8\xe8"), QStringLiteral("\u0915\u094d\u200c"));
        row("ISCII soft halant", "Iscii-Dev", QByteArray("\xb3\xe8\xe9"), QStringLiteral("\u0915\u094d\u200d"));
    }
    void indicScriptsDecode()
    {
        QFETCH(QString, coding);
        QFETCH(QByteArray, bytes);
        const TextCodec::Decoded decoded
            = TextCodec::named(coding).decodeCounting(bytes.constData(), int(bytes.size()));
        QTEST(decoded.text, "text");
        QCOMPARE(decoded.undecodable, 0);
    }

    // Written in the chosen coding, with a byte-order mark in the coding's
    // byte order only for UTF-16 (players tell it by the mark), and read back
    // whole under the same choice; an unknown coding falls back to the local
    // one and says so once for each load and save.
    void savesInChosenCoding_data()
    {
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("mark");
        const QString text = QStringLiteral("Naïve café");
        const QByteArray none;
        row("Windows-1252", "Windows-1252 (Western)", QByteArray("Na\xefve caf\xe9"), none);
        row("UTF-8", "UTF-8", text.toUtf8(), none);
        // The tests run under a UTF-8 locale.
        row("Auto Local", "Auto Local", QTextCodec::codecForLocale()->fromUnicode(text), none);
        const QByteArray bigEndian("\0N\0a\0\xef\0v\0e\0 \0c\0a\0f\0\xe9", 20);
        row("UTF-16BE", "UTF-16BE", bigEndian, QByteArray("\xfe\xff"));
        // Plain UTF-16 is written in the machine's byte order.
        const bool bigEndianHost = QSysInfo::ByteOrder == QSysInfo::BigEndian;
        row("UTF-16", "UTF-16", bigEndianHost ? bigEndian : bigEndian.mid(1) + '\0',
            QByteArray(bigEndianHost ? "\xfe\xff" : "\xff\xfe"));
        row("unknown, local", "WINSAMI2", text.toUtf8(), none);
    }
    void savesInChosenCoding()
    {
        QFETCH(QString, coding);
        QFETCH(QByteArray, bytes);
        const QString name = Codings::codecNameOf(coding);
        const QString unknown = QStringLiteral("Up: coding %1 unknown, local coding used").arg(name);
        const int fallback = fallbackEntries.contains(coding) ? 1 : 0;
        QVERIFY(session.loadFile(up, testutil::fixture("utf8_bom_crlf.srt"), Codings::autoLocal(), 25000, false));
        QCOMPARE(up.at(1).text, QStringLiteral("Naïve café"));
        log.clear();
        const QString out = path(QStringLiteral("out.srt"));
        QVERIFY(session.saveFile(up, out, name, 25000));
        QCOMPARE(log.lines.last(), QStringLiteral("Up: 2 subs saved to out.srt"));
        QCOMPARE(log.lines.count(unknown), fallback);
        if (fallback)
            QCOMPARE(log.levels.at(log.lines.indexOf(unknown)), 1);
        const QByteArray written = testutil::readFile(out);
        QVERIFY2(written.contains(bytes), written.toHex().constData());
        QFETCH(QByteArray, mark);
        QCOMPARE(written.left(mark.size()), mark);
        for (const char *other : {"\xef\xbb\xbf", "\xff\xfe", "\xfe\xff"}) // and only one
            QVERIFY(!written.mid(mark.size()).startsWith(other));

        QVERIFY(session.loadFile(up, out, name, 25000, false));
        QCOMPARE(up.count, 2);
        QCOMPARE(up.at(1).text, QStringLiteral("Naïve café"));
        QCOMPARE(log.lines.count(unknown), 2 * fallback);
    }
};

QTEST_GUILESS_MAIN(TestCodings)
#include "tst_codings.moc"
