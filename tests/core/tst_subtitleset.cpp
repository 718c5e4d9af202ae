// The subtitle record and the set: cleaning texts, visible lengths, clamped
// shifts, the nearest start, and the slots past the subtitles.

#include "testutil.h"

#include "core/subtitleset.h"

#include <QtTest>

using namespace testutil;

class TestSubtitleSet : public QObject
{
    Q_OBJECT

private slots:
    void normalize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("angle");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("visible");
        row("spaces", "  Hello  |  World ", true, "Hello|World", 11);
        row("leading separators", "| |  Hi", true, "Hi", 2);
        row("trailing separator stays", "Hi|", true, "Hi|", 3);
        row("tabs and newlines", "a\t\tb\nc", false, "a b c", 5);
        row("angle tags", "<i>Hi</i>|there", true, "<i>Hi</i>|there", 8);
        row("lone angle", "a < b", true, "a < b", 5);
        row("angle open without close counts rest", "<i>a<b", true, "<i>a<b", 3);
        row("nested angle opener", "<<i>>x", true, "<<i>>x", 2);
        row("empty tag", "<>x{}", true, "<>x{}", 3);
        row("braces", "{y:i}Hi", false, "{y:i}Hi", 2);
        row("brace closer first", "}{y:i}Hi{", false, "}{y:i}Hi{", 4);
        row("braces ignored for angle style", "{y:i}Hi", true, "{y:i}Hi", 7);
        row("empty", "", true, "", 0);
        // White space beyond ASCII is cleaned too; letters beyond ASCII are text.
        row("no-break space", "a\u00a0b", true, "a b", 3);
        row("next line", "a\u0085\u0085b", true, "a b", 3);
        row("ideographic space", "a \u3000b", true, "a b", 3);
        row("letters beyond ASCII", "\u010daj \u017eivot|\u0436\u0438\u0437\u043d\u044c", true,
            "\u010daj \u017eivot|\u0436\u0438\u0437\u043d\u044c", 15);
    }
    void normalize()
    {
        QFETCH(QString, text);
        QFETCH(bool, angle);
        QFETCH(int, visible);
        Subtitle s;
        s.text = text;
        s.angleTags = angle;
        s.normalize();
        QTEST(s.text, "expected");
        QCOMPARE(s.visibleLength, visible);
        QCOMPARE(visibleLengthOf(s.text, styleOf(angle)), visible);
    }

    void shiftClampsInsteadOfWrapping()
    {
        Subtitle s;
        s.start = intMax - 10;
        s.end = intMin + 10;
        s.shift(100);
        QCOMPARE(s.start, intMax);
        QCOMPARE(s.end, intMin + 110);
        s.shift(-200);
        QCOMPARE(s.start, intMax - 200);
        QCOMPARE(s.end, intMin);
    }

    // The nearest start wins, the first of equals; an empty set gives row 0.
    void nearestRow_data()
    {
        QTest::addColumn<QVector<int>>("starts");
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("row");
        row("empty", QVector<int>(), 5000, 0);
        row("before the first", QVector<int> {1000, 2000}, -7000, 0);
        row("after the last", QVector<int> {1000, 2000}, intMax, 1);
        row("exact", QVector<int> {1000, 2000, 3000}, 2000, 1);
        row("nearer the later", QVector<int> {1000, 2000, 3000}, 2501, 2);
        row("halfway takes the first", QVector<int> {1000, 2000}, 1500, 0);
        row("equal starts take the first", QVector<int> {1000, 3000, 3000}, 2900, 1);
        row("not in order", QVector<int> {5000, 1000, 3000}, 1200, 1);
        row("extremes without overflow", QVector<int> {intMin, intMax}, 0, 1);
        row("extremes, lowest", QVector<int> {intMin, intMax}, intMin, 0);
    }
    void nearestRow()
    {
        QFETCH(QVector<int>, starts);
        QFETCH(int, time);
        SubtitleSet set(QStringLiteral("Up: "));
        fillStarts(set, starts);
        QTEST(set.nearestRow(time), "row");
    }

    void startOfRowsThatAreNoSubtitle()
    {
        SubtitleSet set(QStringLiteral("Up: "));
        fillStarts(set, {1000, 2000});
        QCOMPARE(set.startOf(1), 2000);
        QCOMPARE(set.startOf(2), 0); // the sentinel
        QCOMPARE(set.startOf(-1), 0);
    }

    // The merged set grows past a loaded set's capacity; clearing empties every
    // slot and keeps where the set came from.
    void slotsAndClear()
    {
        SubtitleSet set(QStringLiteral("Mx: "));
        set.filePath = QStringLiteral("/x/a.srt");
        set.frameRate = 23976;
        const int far = 4 * SubtitleSet::Capacity + 1;
        set.slot(far).text = QStringLiteral("far");
        set.slot(far + 1).text = QStringLiteral("sentinel");
        set.append(1000, 2000, QStringLiteral("kept?"));
        set.slot(1).text = QStringLiteral("reader's next");
        set.clear();
        QCOMPARE(set.count, 0);
        for (int i : {0, 1, far, far + 1})
            QVERIFY2(set.slot(i).text.isEmpty() && set.slot(i).start == 0, qPrintable(QString::number(i)));
        QCOMPARE(set.filePath, QStringLiteral("/x/a.srt"));
        QCOMPARE(set.frameRate, 23976);
    }
};

QTEST_APPLESS_MAIN(TestSubtitleSet)
#include "tst_subtitleset.moc"
