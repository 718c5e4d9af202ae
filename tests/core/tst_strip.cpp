// Stripping bracketed text: each kind, the order of removal, the clean-up
// afterwards, and the line "Strip ()" logs.

#include "testutil.h"

#include "core/session.h"

#include <QtTest>

using namespace testutil;
using Kinds = QVector<Bracket>;

class TestStrip : public QObject
{
    Q_OBJECT

private slots:
    void strip_data()
    {
        QTest::addColumn<Kinds>("kinds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const Kinds round {Bracket::Round};
        const Kinds square {Bracket::Square};
        row("round, first line", round, "(sighs)|Hello", "Hello");
        row("round, after a dash", round, "- (laughs)", "");
        row("round, end of line", round, "Hello (x)|World", "Hello|World");
        row("square, last line", square, "Hello|[door slams]", "Hello");
        // What a removed description leaves: lines of dashes and punctuation
        // go, and a lone remaining speaker loses the dialogue dash.
        row("dash line, speaker left", square, "- [DOOR SLAMS]|- Who's there?", "Who's there?");
        row("two speakers keep dashes", square, "- [sighs] Yes.|- No.", "- Yes.|- No.");
        row("dashes and dots", square, "\u2013 [x] ...|\u2014 ;:, [y]|Go", "Go");
        row("dash without space kept", square, "[x]|-Go", "-Go");
        row("untouched text keeps its dash", square, "- Who's there?", "- Who's there?");
        row("across a line break", round, "He (quietly|softly) said", "He said");
        row("nested", round, "(a (b) c)", "c)");
        row("unmatched opener", round, "(abc", "(abc");
        row("closer without opener", round, "abc) d", "abc) d");
        row("whole text, subtitle kept", square, "[MUSIC]", "");
        row("angle", Kinds {Bracket::Angle}, "<i>Hello</i>", "Hello");
        row("curly", Kinds {Bracket::Curly}, "{y:i}Hello", "Hello");
        row("other kinds untouched", round, "[a] {b} <c> (d)", "[a] {b} <c>");
        // In the order given: round first eats the square opener.
        row("round, then square", Kinds {Bracket::Round, Bracket::Square}, "(a [b) c]", "c]");
        row("square, then round", Kinds {Bracket::Square, Bracket::Round}, "(a [b) c]", "(a");
        row("none chosen still cleans", Kinds {}, "  |  Hi   there ", "Hi there");
    }
    void strip()
    {
        QFETCH(Kinds, kinds);
        QFETCH(QString, text);
        SubtitleSet set(QStringLiteral("Up: "));
        set.append(0, 500, QString()).text = text; // as it is, not cleaned
        const StripResult result = stripBrackets(set, kinds);
        QTEST(set.at(0).text, "expected");
        QCOMPARE(set.count, 1);
        QCOMPARE(set.at(0).end, 500);
        QCOMPARE(result.changed, text != set.at(0).text ? 1 : 0);
        QCOMPARE(result.leftEmpty, set.at(0).text.isEmpty() ? 1 : 0);
    }

    // The visible length is counted anew, leaving out the tags of each subtitle's own format.
    void visibleLengthRecounted()
    {
        SubtitleSet set(QStringLiteral("Lw: "));
        set.append(0, 500, QStringLiteral("{y:i}Hi (there)"), false);
        set.append(1000, 1500, QStringLiteral("<i>Hi</i> (there)"), true);
        stripBrackets(set, {Bracket::Round});
        QCOMPARE(set.at(0).text, QStringLiteral("{y:i}Hi"));
        QCOMPARE(set.at(0).visibleLength, 2);
        QCOMPARE(set.at(1).text, QStringLiteral("<i>Hi</i>"));
        QCOMPARE(set.at(1).visibleLength, 2);
    }

    // One line a run: the subtitles whose text changed, and of those the ones left empty.
    void logLine_data()
    {
        QTest::addColumn<Kinds>("kinds");
        QTest::addColumn<QString>("line");
        row("round and square", Kinds {Bracket::Round, Bracket::Square}, "Lw: 3 subs stripped, 1 left empty");
        row("angle", Kinds {Bracket::Angle}, "Lw: 1 subs stripped, 0 left empty");
        row("nothing to strip", Kinds {Bracket::Curly}, "Lw: 0 subs stripped, 0 left empty");
    }
    void logLine()
    {
        QFETCH(Kinds, kinds);
        QFETCH(QString, line);
        CollectingLog log;
        Session session(log);
        fillSet(session.lower,
                {"0/500 (sighs)|Hello", "1000/1500 [MUSIC]", "2000/2500 <i>Bye</i> (x)", "3000/3500 Plain"});
        session.strip(session.lower, kinds);
        QCOMPARE(log.lines, QStringList {line});
        QCOMPARE(log.levels, QList<int> {LogInfo});
        QCOMPARE(session.lower.count, 4);
    }
};

QTEST_MAIN(TestStrip)
#include "tst_strip.moc"
