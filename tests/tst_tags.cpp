// Tag conversion between SubRip (<i>) and MicroDVD ({y:i}) styles.

#include "subtitles/tags.h"

#include <QtTest>

class TestTags : public QObject
{
    Q_OBJECT

private slots:
    void toMicroDvd_data()
    {
        QTest::addColumn<QString>("srt");
        QTest::addColumn<QString>("sub");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("italic") << "<i>x</i>"
                                << "{y:i}x";
        QTest::newRow("capital italic") << "<I>x</I>"
                                        << "{y:i}x";
        QTest::newRow("font dropped") << "<font color=#ffffff>x</font>"
                                      << "x";
        QTest::newRow("two lines") << "<b>a</b>|<u>b</u>"
                                   << "{y:b}a|{y:u}b";
        QTest::newRow("strike mid-line") << "a <s>b</s>"
                                         << "a {y:s}b";
        QTest::newRow("tag with space dropped") << "<i >x</i>"
                                                << "x";
        QTest::newRow("lone angle stays") << "a < b"
                                          << "a < b";
        QTest::newRow("unknown dropped") << "<x>y</x>"
                                         << "y";
    }
    void toMicroDvd()
    {
        QFETCH(QString, srt);
        convertTags(srt, false);
        QTEST(srt, "sub");
    }

    void toSubRip_data()
    {
        QTest::addColumn<QString>("sub");
        QTest::addColumn<QString>("srt");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("italic") << "{y:i}Hello"
                                << "<i>Hello</i>";
        QTest::newRow("two lines") << "{y:i}One|{y:b}Two"
                                   << "<i>One</i>|<b>Two</b>";
        QTest::newRow("capitals kept") << "{Y:I}Hello"
                                       << "<I>Hello</I>";
        QTest::newRow("list with space") << "{y:i, b}Hi"
                                         << "<b><i>Hi</i></b>";
        QTest::newRow("colour on next line") << "{y:b,i}Hi|{c:$0000FF}There"
                                             << "<i><b>Hi</i></b>|There";
        QTest::newRow("two tags in a row") << "{y:i}{y:b}Text"
                                           << "<i></i><b>Text</b>";
        QTest::newRow("style then colour") << "One|{y:i}{c:$0000FF}Two"
                                           << "One|<i></i>Two";
        QTest::newRow("colour only") << "{c:$0000FF}Text"
                                     << "Text";
        QTest::newRow("strike") << "{y:s}x"
                                << "<s>x</s>";
        QTest::newRow("any letter") << "{y:x}a"
                                    << "<x>a</x>";
        QTest::newRow("no letters") << "{y:}a"
                                    << "a";
        QTest::newRow("nothing after") << "{y:ib}"
                                       << "<b><i></i></b>";
        QTest::newRow("open brace without close") << "a { b"
                                                  << "a { b";
        QTest::newRow("brace inside letters") << "{y:{}x}"
                                              << "<</{>";
    }
    void toSubRip()
    {
        QFETCH(QString, sub);
        convertTags(sub, true);
        QTEST(sub, "srt");
    }

    void roundTripKeepsTheFourStyles()
    {
        QString text = QStringLiteral("<I>a</I>|<b>b</b> <U>c</U><s>d</s><font color=#00ff00>e</font>");
        convertTags(text, false);
        QCOMPARE(text, QStringLiteral("{y:i}a|{y:b}b {y:u}c{y:s}de"));
        convertTags(text, true);
        QCOMPARE(text, QStringLiteral("<i>a</i>|<b>b </b><u>c</u><s>de</s>"));
    }
};

QTEST_APPLESS_MAIN(TestTags)
#include "tst_tags.moc"
