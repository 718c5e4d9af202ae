// The .ass writer on records: every tag of both input styles as override
// blocks, braces and backslashes shown as they read, lines kept in order; the
// margin that puts the upper text over the lower lines; one set saved alone.

#include "testutil.h"

#include "core/asstext.h"
#include "core/formats/advancedsubstation.h"
#include "core/merge.h"
#include "core/subtitleset.h"

#include <QtTest>

using namespace testutil;

Q_DECLARE_METATYPE(UpperPosition)

namespace {

const QString wordJoiner = QString(QChar(0x2060));

// The margin field of every Upper event, in order.
QList<int> upperMargins(const QString &script)
{
    QList<int> margins;
    for (const QString &line : script.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Dialogue: 1,")))
            margins << line.section(QLatin1Char(','), 7, 7).toInt();
    return margins;
}

} // namespace

class TestAssFormat : public QObject, SessionFixture
{
    Q_OBJECT

private slots:
    void text_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("angleTags");
        QTest::addColumn<QString>("expected");
        const bool srt = true;
        const bool sub = false;
        row("empty", "", srt, "");
        row("plain, three lines in order", "One|two|three", srt, "One\\Ntwo\\Nthree");
        // SubRip style: tags hold until closed, over line breaks.
        row("italic", "<i>Hi</i> there", srt, "{\\i1}Hi{\\i0} there");
        row("bold, underline, strike-out, upper case", "<B>a</B><u>b</u><s>c</s>", srt,
            "{\\b1}a{\\b0\\u1}b{\\u0\\s1}c{\\s0}");
        row("italic over two lines, unclosed", "<i>one|two", srt, "{\\i1}one\\Ntwo");
        row("tags that cancel out", "<i></i>x", srt, "x");
        row("font colour, quoted and not", "<font color=\"#ff8800\">A</font> <font color=00ff00>B</font>", srt,
            "{\\c&H0088FF&}A{\\c} {\\c&H00FF00&}B{\\c}");
        row("nested font colours", "<font color=#0000ff>a<font color=#ff0000>b</font>c</font>", srt,
            "{\\c&HFF0000&}a{\\c&H0000FF&}b{\\c&HFF0000&}c{\\c}");
        row("font without a colour", "<font face=Arial>x</font>y", srt, "xy");
        row("no tag without its name", "<fontx>a</font >", srt, "<fontx>a</font >");
        row("other angle text stays", "a < b > c <v Bob>", srt, "a < b > c <v Bob>");
        row("braces shown, not read", "{\\an8}Top {x}", srt, "\\{\\" + wordJoiner + "an8\\}Top \\{x\\}");
        row("backslashes shown", "C:\\New\\h \\", srt,
            "C:\\" + wordJoiner + "New\\" + wordJoiner + "h \\" + wordJoiner);
        row("backslash before a tag", "a\\<i>b</i>", srt, "a\\" + wordJoiner + "{\\i1}b{\\i0}");
        // MicroDVD style: lower case for the line, upper case for the subtitle.
        row("line italic", "{y:i}one|two", sub, "{\\i1}one\\N{\\i0}two");
        row("subtitle italic", "{Y:i}one|two", sub, "{\\i1}one\\Ntwo");
        row("several styles", "{y:bu}x", sub, "{\\b1\\u1}x");
        row("line italic on every line", "{y:i}one|{y:i}two", sub, "{\\i1}one\\Ntwo");
        row("line style on the second line", "one|{y:s}two", sub, "one\\N{\\s1}two");
        row("line colour", "{c:$0088FF}one|two", sub, "{\\c&H0088FF&}one\\N{\\c}two");
        row("subtitle colour, line colour over it", "{C:$FF0000}a|{c:$00FF00}b|c", sub,
            "{\\c&HFF0000&}a\\N{\\c&H00FF00&}b\\N{\\c&HFF0000&}c");
        row("other codes left out", "{f:Arial}{s:20}{P:1}x", sub, "x");
        row("braces that hold no code", "{laughs} a {} b", sub, "\\{laughs\\} a \\{\\} b");
        row("code not closed on its line", "{y:i|x}", sub, "\\{y:i\\Nx\\}");
        row("angle tags are text here", "<i>x</i>", sub, "<i>x</i>");
        row("backslash", "C:\\Neu", sub, "C:\\" + wordJoiner + "Neu");
    }
    void text()
    {
        QFETCH(QString, text);
        QFETCH(bool, angleTags);
        QTEST(assText(text, styleOf(angleTags)), "expected");
    }

    // Over the tallest lower text shown with it: one lower line is 64 px, and
    // 16 px keep the outlines apart; alone, the upper text stands at the
    // bottom; at the top the style places it.
    void upperMargin_data()
    {
        QTest::addColumn<QStringList>("upper");
        QTest::addColumn<QStringList>("lower");
        QTest::addColumn<UpperPosition>("position");
        QTest::addColumn<QList<int>>("margins");
        const QStringList one {"1000/3000 Upper"};
        const UpperPosition above = UpperPosition::Above;
        row("one lower line", one, QStringList {"1000/3000 Lower"}, above, QList<int> {120});
        row("two lower lines", one, QStringList {"1000/3000 a|b"}, above, QList<int> {184});
        row("three lower lines", one, QStringList {"1000/3000 a|b|c"}, above, QList<int> {248});
        row("a line wrapped in two", one, QStringList {"1000/3000 " + QString(60, QLatin1Char('m'))}, above,
            QList<int> {184});
        row("the tallest of those it meets", QStringList {"1000/5000 Upper"},
            QStringList {"500/1500 a", "2000/3000 a|b|c", "4900/6000 a|b"}, above, QList<int> {248});
        row("none met: at the bottom", one, QStringList {"3000/4000 Later"}, above, QList<int> {40});
        row("each upper its own", QStringList {"1000/2000 A", "3000/4000 B"},
            QStringList {"1000/2000 a|b", "3000/4000 a"}, above, QList<int> {184, 120});
        row("top", one, QStringList {"1000/3000 a|b|c"}, UpperPosition::Top, QList<int> {0});
    }
    void upperMargin()
    {
        QFETCH(QStringList, upper);
        QFETCH(QStringList, lower);
        QFETCH(UpperPosition, position);
        fillSet(session.upper, upper);
        fillSet(session.lower, lower);
        session.options.upperPosition = position;
        session.options.snap = 50;
        prepareMergeTimes(session.upper, session.lower, session.options, log);
        QString script;
        formatAssPair(session.upper, session.lower, session.options, [&](const QString &piece) { script += piece; });
        QTEST(upperMargins(script), "margins");
        const int alignment = position == UpperPosition::Top ? 8 : 2;
        QVERIFY(script.contains(QStringLiteral(",1,3,1,%1,80,80,40,1\nStyle: Lower,").arg(alignment)));
    }

    // "Save as" of one set to .ass: its own times, the lower style, no header,
    // what lies before 0:00 cut as in the other formats.
    void singleSet()
    {
        log.clear();
        fillSet(session.upper, {"-2000/-1000 gone", "-500/1500 cut", "2000/3000 <i>kept</i>"});
        QVERIFY(session.saveFile(session.upper, path("up.ass"), QStringLiteral("UTF-8"), 25000));
        const QByteArray bytes = readFile(path("up.ass"));
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF[Script Info]\n"));
        QVERIFY(bytes.endsWith("Dialogue: 0,0:00:00.00,0:00:01.50,Lower,,0,0,0,,cut\n"
                               "Dialogue: 0,0:00:02.00,0:00:03.00,Lower,,0,0,0,,{\\i1}kept{\\i0}\n"));
        QCOMPARE(log.lines, (QStringList {"Up: 2 subs before 0:00 cut or left out", "Up: 2 subs saved to up.ass"}));
    }
};

QTEST_GUILESS_MAIN(TestAssFormat)
#include "tst_assformat.moc"
