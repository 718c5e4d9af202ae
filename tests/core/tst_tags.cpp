// Tag conversion between SubRip (<i>) and MicroDVD ({y:i}) styles, and the
// bracket matcher under it, which must find what "<[^>]*>" and its kin find.

#include "testutil.h"

#include "core/tags.h"

#include <QRegularExpression>
#include <QtTest>

using testutil::row;

namespace {

const char *const patterns[] = {R"(\([^\)]*\))", R"(\[[^\]]*\])", R"(\{[^\}]*\})", R"(<[^>]*>)"};
const char *const pairs[] = {"()", "[]", "{}", "<>"};

} // namespace

class TestTags : public QObject
{
    Q_OBJECT

private slots:
    void convert_data()
    {
        QTest::addColumn<bool>("toSrt");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        row("to MicroDVD: empty", false, "", "");
        row("to MicroDVD: italic", false, "<i>x</i>", "{y:i}x");
        row("to MicroDVD: capital italic", false, "<I>x</I>", "{y:i}x");
        row("to MicroDVD: font dropped", false, "<font color=#ffffff>x</font>", "x");
        row("to MicroDVD: two lines", false, "<b>a</b>|<u>b</u>", "{y:b}a|{y:u}b");
        row("to MicroDVD: strike mid-line", false, "a <s>b</s>", "a {y:s}b");
        row("to MicroDVD: tag with space dropped", false, "<i >x</i>", "x");
        row("to MicroDVD: lone angle stays", false, "a < b", "a < b");
        row("to MicroDVD: unknown dropped", false, "<x>y</x>", "y");
        row("to MicroDVD: nested opener", false, "a<<x>b>c", "ab>c");
        // Back and forth, the four styles come through; only the font is lost.
        row("to MicroDVD: the four styles", false, "<I>a</I>|<b>b</b> <U>c</U><s>d</s><font color=#00ff00>e</font>",
            "{y:i}a|{y:b}b {y:u}c{y:s}de");
        row("to SubRip: empty", true, "", "");
        row("to SubRip: italic", true, "{y:i}Hello", "<i>Hello</i>");
        row("to SubRip: two lines", true, "{y:i}One|{y:b}Two", "<i>One</i>|<b>Two</b>");
        row("to SubRip: capitals kept", true, "{Y:I}Hello", "<I>Hello</I>");
        row("to SubRip: list with space", true, "{y:i, b}Hi", "<b><i>Hi</i></b>");
        row("to SubRip: colour on next line", true, "{y:b,i}Hi|{c:$0000FF}There", "<i><b>Hi</i></b>|There");
        row("to SubRip: two tags in a row", true, "{y:i}{y:b}Text", "<i></i><b>Text</b>");
        row("to SubRip: style then colour", true, "One|{y:i}{c:$0000FF}Two", "One|<i></i>Two");
        row("to SubRip: colour only", true, "{c:$0000FF}Text", "Text");
        row("to SubRip: strike", true, "{y:s}x", "<s>x</s>");
        row("to SubRip: any letter", true, "{y:x}a", "<x>a</x>");
        row("to SubRip: no letters", true, "{y:}a", "a");
        row("to SubRip: nothing after", true, "{y:ib}", "<b><i></i></b>");
        row("to SubRip: open brace without close", true, "a { b", "a { b");
        row("to SubRip: brace inside letters", true, "{y:{}x}", "<</{>");
        row("to SubRip: closer before opener", true, "a}{y:i}b", "a}<i>b</i>");
        row("to SubRip: empty braces", true, "{}a", "a");
        row("to SubRip: the four styles", true, "{y:i}a|{y:b}b {y:u}c{y:s}de", "<i>a</i>|<b>b </b><u>c</u><s>de</s>");
    }
    void convert()
    {
        QFETCH(bool, toSrt);
        QFETCH(QString, text);
        convertTags(text, testutil::styleOf(toSrt));
        QTEST(text, "expected");
    }

    void brackets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Bracket>("kind");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("removed");
        row("nested openers", "x<a<b>c>", Bracket::Angle, 0, 1, 5, "xc>");
        row("unclosed opener", "a<b", Bracket::Angle, 0, -1, 0, "a<b");
        row("closer before opener", "a>b<c>d", Bracket::Angle, 0, 3, 3, "a>bd");
        row("empty brackets", "<>x<>", Bracket::Angle, 0, 0, 2, "x");
        row("from skips a match", "<a>b<c>", Bracket::Angle, 1, 4, 3, "b");
        row("from inside a match", "(ab)", Bracket::Round, 1, -1, 0, "");
        row("opener after the last closer", "[a][b", Bracket::Square, 0, 0, 3, "[b");
        row("curly nested", "{a{b}}", Bracket::Curly, 0, 0, 5, "}");
        row("other kinds untouched", "<a>[b]{c}", Bracket::Round, 0, -1, 0, "<a>[b]{c}");
    }
    void brackets()
    {
        QFETCH(QString, text);
        QFETCH(Bracket, kind);
        QFETCH(int, from);
        int length = 0;
        const int at = findBracketed(text, kind, from, &length);
        QTEST(at, "at");
        if (at >= 0)
            QTEST(length, "length");
        removeBracketed(text, kind);
        QTEST(text, "removed");
    }

    // Every text of up to seven characters from opener, closer and a letter,
    // from every position, against the regular expression itself.
    void bracketsMatchTheExpression()
    {
        for (int kind = 0; kind < 4; ++kind) {
            const QRegularExpression re(QLatin1String(patterns[kind]));
            const QString alphabet = QLatin1String(pairs[kind]) + QLatin1Char('a');
            QStringList texts {QString()};
            for (int k = 0; k < texts.size(); ++k) {
                if (texts[k].size() < 7) {
                    for (const QChar c : alphabet)
                        texts << texts[k] + c;
                }
            }
            for (const QString &text : qAsConst(texts)) {
                for (int from = 0; from <= text.size(); ++from) {
                    const QRegularExpressionMatch m = re.match(text, from);
                    int length = -1;
                    const int at = findBracketed(text, Bracket(kind), from, &length);
                    QVERIFY2(at == (m.hasMatch() ? m.capturedStart() : -1), qPrintable(text));
                    if (at >= 0)
                        QVERIFY2(length == m.capturedLength(), qPrintable(text));
                }
                QString removed = text;
                removeBracketed(removed, Bracket(kind));
                QCOMPARE(removed, QString(text).remove(re));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestTags)
#include "tst_tags.moc"
