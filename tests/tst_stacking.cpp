// The stacking engine: snapping within and across sets, the transition walk,
// the layout of every frame, colour tags, and the merged set's capacity.

#include "testutil.h"

#include "app/preferences.h"
#include "merge/colors.h"
#include "merge/stacking.h"
#include "subtitles/mergeworkspace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QtTest>

using testutil::LogCapture;

namespace {

void add(SubtitleSet &set, int start, int end, const QString &text, bool angleTags = true)
{
    Subtitle &s = set.records[size_t(set.count++)];
    s.reset();
    s.start = start;
    s.end = end;
    s.text = text;
    s.angleTags = angleTags;
    s.normalize();
}

// Items "start/end text".
void fill(SubtitleSet &set, const QStringList &items)
{
    set.reset();
    for (const QString &item : items) {
        const int space = item.indexOf(QLatin1Char(' '));
        const QStringList times = item.left(space).split(QLatin1Char('/'));
        add(set, times[0].toInt(), times[1].toInt(), item.mid(space + 1));
    }
}

QStringList frames()
{
    const SubtitleSet &merged = workspace().merged;
    QStringList out;
    for (int i = 0; i < merged.count; ++i) {
        const Subtitle &s = merged.records[size_t(i)];
        out << QStringLiteral("%1-%2 %3").arg(s.start).arg(s.end).arg(s.text);
    }
    return out;
}

// The pipeline up to the stacking pass, without header and final correction.
void stack(bool srtOutput)
{
    MergeWorkspace &ws = workspace();
    ws.upper.CorrDurOvlp();
    ws.lower.CorrDurOvlp();
    ws.upper.snapNeighbours();
    ws.lower.snapNeighbours();
    ws.crossSnapPass();
    ws.merged.reset();
    ws.stackingPass(srtOutput);
}

} // namespace

class TestStacking : public QObject
{
    Q_OBJECT

private:
    // The processing controls, with the ranges of the window's form.
    QSpinBox cps, gap, snap, lines;
    QCheckBox join, colorTags;
    QComboBox last;

private slots:
    void initTestCase()
    {
        cps.setRange(10, 50);
        gap.setRange(0, 50);
        snap.setRange(50, 1000);
        lines.setRange(0, 30);
        last.addItems({QStringLiteral("Last Line Normal"), QStringLiteral("Last is Dot"),
                       QStringLiteral("Last is Doubled")});
    }

    void init()
    {
        testutil::resetState();
        cps.setValue(25);
        gap.setValue(0);
        snap.setValue(500);
        lines.setValue(2);
        join.setChecked(false);
        colorTags.setChecked(false);
        last.setCurrentIndex(0);
        Preferences &p = preferences();
        p.spinBox_cps = &cps;
        p.spinBox_gap = &gap;
        p.spinBox_snp = &snap;
        p.spinBox_lin = &lines;
        p.checkBox_join = &join;
        p.checkBox_coltag = &colorTags;
        p.comboBox_last = &last;
    }

    void commitCursor_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("secondStart"); // the neighbour moves only when it coincided
        QTest::addColumn<QString>("times");   // merge times of both records after the commit
        QTest::newRow("end moves coincident start") << 1 << 2000 << "1000 1900 1900 3000";
        QTest::newRow("end leaves separate start") << 1 << 2100 << "1000 1900 2100 3000";
        QTest::newRow("start moves coincident end") << 2 << 2000 << "1000 1900 1900 3000";
        QTest::newRow("start leaves separate end") << 2 << 2100 << "1000 2000 1900 3000";
        QTest::newRow("first start has no neighbour") << 0 << 2000 << "1900 2000 2000 3000";
        QTest::newRow("last end has no neighbour") << 3 << 2000 << "1000 2000 2000 1900";
    }
    void commitCursor()
    {
        QFETCH(int, position);
        QFETCH(int, secondStart);
        SubtitleSet &set = workspace().upper;
        fill(set, {QStringLiteral("1000/2000 A"), QStringLiteral("%1/3000 B").arg(secondStart)});
        set.CorrDurOvlp();
        set.seekTransition(position);
        set.cursorTime = 1900;
        set.commitCursor();
        const Subtitle &a = set.records[0];
        const Subtitle &b = set.records[1];
        QTEST(QStringLiteral("%1 %2 %3 %4").arg(a.mergeStart).arg(a.mergeEnd).arg(b.mergeStart).arg(b.mergeEnd),
              "times");
        QCOMPARE(a.start, 1000); // only merge times are snapped
    }

    void snapNeighbours_data()
    {
        QTest::addColumn<int>("secondStart");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<int>("meet"); // -1: they stay apart
        QTest::newRow("300 apart, tolerance 500") << 2300 << 500 << 2150;
        QTest::newRow("exactly the tolerance apart") << 2500 << 500 << -1;
        QTest::newRow("just inside the tolerance") << 2499 << 500 << 2249;
        QTest::newRow("touching") << 2000 << 50 << 2000;
        QTest::newRow("odd difference truncates") << 2001 << 50 << 2000;
    }
    void snapNeighbours()
    {
        QFETCH(int, secondStart);
        QFETCH(int, tolerance);
        QFETCH(int, meet);
        snap.setValue(tolerance);
        SubtitleSet &set = workspace().upper;
        fill(set, {QStringLiteral("1000/2000 A"), QStringLiteral("%1/3000 B").arg(secondStart)});
        set.CorrDurOvlp();
        set.snapNeighbours();
        QCOMPARE(set.records[0].mergeEnd, meet < 0 ? 2000 : meet);
        QCOMPARE(set.records[1].mergeStart, meet < 0 ? secondStart : meet);
        QCOMPARE(set.records[0].end, 2000);
    }

    void crossSnap_data()
    {
        QTest::addColumn<int>("upperStart");
        QTest::addColumn<int>("lowerStart");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<int>("expectedUpper");
        QTest::addColumn<int>("expectedLower");
        QTest::newRow("400 apart, tolerance 500") << 1000 << 1400 << 500 << 1200 << 1200;
        QTest::newRow("400 apart, tolerance 350") << 1000 << 1400 << 350 << 1000 << 1400;
        QTest::newRow("exactly the tolerance") << 1000 << 1400 << 400 << 1200 << 1200;
        QTest::newRow("lower first") << 1400 << 1000 << 500 << 1200 << 1200;
        QTest::newRow("odd sum truncates") << 1000 << 1001 << 50 << 1000 << 1000;
        QTest::newRow("negative odd sum truncates toward zero") << -1001 << -1000 << 50 << -1000 << -1000;
    }
    void crossSnap()
    {
        QFETCH(int, upperStart);
        QFETCH(int, lowerStart);
        QFETCH(int, tolerance);
        snap.setValue(tolerance);
        MergeWorkspace &ws = workspace();
        // Ends far apart, so only the starts can meet.
        fill(ws.upper, {QStringLiteral("%1/5000 Up").arg(upperStart)});
        fill(ws.lower, {QStringLiteral("%1/9000 Low").arg(lowerStart)});
        ws.upper.CorrDurOvlp();
        ws.lower.CorrDurOvlp();
        ws.crossSnapPass();
        QTEST(ws.upper.records[0].mergeStart, "expectedUpper");
        QTEST(ws.lower.records[0].mergeStart, "expectedLower");
        QCOMPARE(ws.upper.records[0].mergeEnd, 5000);
        QCOMPARE(ws.lower.records[0].mergeEnd, 9000);
        QCOMPARE(ws.upper.records[0].start, upperStart);
    }

    void crossSnapMovesCoincidentNeighbour()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {QStringLiteral("1000/2000 A"), QStringLiteral("2000/3000 B")});
        fill(ws.lower, {QStringLiteral("1800/9000 L")});
        ws.upper.CorrDurOvlp();
        ws.lower.CorrDurOvlp();
        ws.crossSnapPass();
        QCOMPARE(ws.upper.records[0].mergeEnd, 1900);
        QCOMPARE(ws.upper.records[1].mergeStart, 1900);
        QCOMPARE(ws.lower.records[0].mergeStart, 1900);
    }

    void frames_data()
    {
        QTest::addColumn<QStringList>("upper");
        QTest::addColumn<QStringList>("lower");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("srt");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<QStringList>("expected");

        const QStringList up = {QStringLiteral("1000/2000 Up")};
        const QStringList none;
        QTest::newRow("partial overlap, srt")
            << QStringList{"1000/3000 Up"} << QStringList{"2000/4000 Low"} << 2 << 0 << true << 50
            << QStringList{"1000-2000 Up|<b> </b>|<b> </b>", "2000-3000 Up|<b> </b>|Low", "3000-4000 Low"};
        QTest::newRow("partial overlap, sub")
            << QStringList{"1000/3000 Up"} << QStringList{"2000/4000 Low"} << 2 << 0 << false << 50
            << QStringList{"1000-2000 Up| | ", "2000-3000 Up| |Low", "3000-4000 Low"};
        QTest::newRow("near transitions snap into one frame")
            << QStringList{"1000/3000 Up"} << QStringList{"1300/3400 Low"} << 2 << 0 << true << 500
            << QStringList{"1150-3200 Up|<b> </b>|Low"};
        QTest::newRow("equal transitions in one step")
            << QStringList{"1000/2000 A"} << QStringList{"1000/2000 B"} << 2 << 0 << true << 50
            << QStringList{"1000-2000 A|<b> </b>|B"};
        QTest::newRow("adjacent records: zero-length frame dropped")
            << QStringList{"1000/2000 A", "2000/3000 B"} << QStringList{"500/4000 L"} << 2 << 0 << true << 50
            << QStringList{"500-1000 L", "1000-2000 A|<b> </b>|L", "2000-3000 B|<b> </b>|L", "3000-4000 L"};
        QTest::newRow("lower comes and goes")
            << QStringList{"1000/5000 Up"} << QStringList{"1000/2000 A", "3000/4000 B"} << 2 << 0 << true << 50
            << QStringList{"1000-2000 Up|<b> </b>|A", "2000-3000 Up|<b> </b>|<b> </b>", "3000-4000 Up|<b> </b>|B",
                           "4000-5000 Up|<b> </b>|<b> </b>"};
        QTest::newRow("pause between: no frame")
            << QStringList{"1000/2000 A"} << QStringList{"3000/4000 B"} << 2 << 0 << true << 50
            << QStringList{"1000-2000 A|<b> </b>|<b> </b>", "3000-4000 B"};
        QTest::newRow("three-line lower: no filler")
            << up << QStringList{"1000/2000 a|b|c"} << 2 << 0 << true << 50 << QStringList{"1000-2000 Up|a|b|c"};
        QTest::newRow("two-line upper")
            << QStringList{"1000/2000 one|two"} << QStringList{"1000/2000 Low"} << 2 << 0 << false << 50
            << QStringList{"1000-2000 one|two| |Low"};
        QTest::newRow("four bottom lines")
            << up << QStringList{"1000/2000 a|b"} << 4 << 0 << false << 50 << QStringList{"1000-2000 Up| | |a|b"};
        QTest::newRow("dot, srt") << up << none << 2 << 1 << true << 50 << QStringList{"1000-2000 Up|<b> </b>|."};
        QTest::newRow("dot, sub") << up << none << 2 << 1 << false << 50 << QStringList{"1000-2000 Up| |."};
        QTest::newRow("doubled, srt") << up << none << 2 << 2 << true << 50
                                      << QStringList{"1000-2000 Up|<b> </b>|<b> </b>|<b> </b>"};
        QTest::newRow("doubled, sub") << up << none << 2 << 2 << false << 50 << QStringList{"1000-2000 Up| || "};
        QTest::newRow("doubled, three bottom lines") << up << none << 3 << 2 << true << 50
                                                     << QStringList{"1000-2000 Up|<b> </b>|<b> </b>|<b> </b>|<b> </b>"};
        QTest::newRow("no bottom lines, no lower") << up << none << 0 << 1 << true << 50
                                                   << QStringList{"1000-2000 Up|"};
        QTest::newRow("no bottom lines, both") << up << QStringList{"1000/2000 Low"} << 0 << 0 << true << 50
                                               << QStringList{"1000-2000 Up|Low"};
        QTest::newRow("no bottom lines, lower alone") << none << QStringList{"1000/2000 Low"} << 0 << 0 << true << 50
                                                      << QStringList{"1000-2000 Low"};
        QTest::newRow("upper cut back to zero length is never shown")
            << QStringList{"1000/2000 A", "1000/3000 B"} << none << 2 << 0 << false << 50
            << QStringList{"1000-3000 B| | "};
    }
    void frames()
    {
        QFETCH(QStringList, upper);
        QFETCH(QStringList, lower);
        QFETCH(int, bottom);
        QFETCH(int, style);
        QFETCH(bool, srt);
        QFETCH(int, tolerance);
        lines.setValue(bottom);
        last.setCurrentIndex(style);
        snap.setValue(tolerance);
        MergeWorkspace &ws = workspace();
        fill(ws.upper, upper);
        fill(ws.lower, lower);
        LogCapture log;
        stack(srt);
        QTEST(::frames(), "expected");
        QCOMPARE(ws.upper.current, ws.upper.count);
        QCOMPARE(ws.lower.current, ws.lower.count);
        QVERIFY(!log.levels.contains(0));
    }

    void visibleLengthIsSumOfShownTexts()
    {
        MergeWorkspace &ws = workspace();
        snap.setValue(50);
        fill(ws.upper, {QStringLiteral("1000/3000 <i>Up</i>")});
        fill(ws.lower, {QStringLiteral("2000/4000 Low|er")});
        stack(true);
        QCOMPARE(ws.merged.count, 3);
        QCOMPARE(ws.merged.records[0].visibleLength, 2);
        QCOMPARE(ws.merged.records[1].visibleLength, 8);
        QCOMPARE(ws.merged.records[2].visibleLength, 6);
    }

    void tagsConvertedToOutputStyle_data()
    {
        QTest::addColumn<bool>("srt");
        QTest::addColumn<QString>("expected");
        QTest::newRow("srt") << true << "<i>Hi</i>|<b> </b>|<b>Lo</b>";
        QTest::newRow("sub") << false << "{y:i}Hi| |{y:b}Lo";
    }
    void tagsConvertedToOutputStyle()
    {
        QFETCH(bool, srt);
        MergeWorkspace &ws = workspace();
        add(ws.upper, 1000, 2000, QStringLiteral("{y:i}Hi"), false);
        add(ws.lower, 1000, 2000, QStringLiteral("<b>Lo</b>"), true);
        stack(srt);
        QCOMPARE(ws.merged.count, 1);
        QTEST(ws.merged.records[0].text, "expected");
    }

    void colouredFrames_data()
    {
        QTest::addColumn<bool>("srt");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("srt") << true
                             << QStringList{"1000-2000 <font color=#12ab56>Up|Two</font>|<b> </b>|<font color=#000000>Low</font>",
                                            "2000-3000 <font color=#12ab56>Up|Two</font>|<b> </b>|<font color=#505050>.</font>"};
        QTest::newRow("sub") << false
                             << QStringList{"1000-2000 {c:$56AB12}Up|{c:$56AB12}Two| |{c:$000000}Low",
                                            "2000-3000 {c:$56AB12}Up|{c:$56AB12}Two| |{c:$505050}."};
    }
    void colouredFrames()
    {
        QFETCH(bool, srt);
        colorTags.setChecked(true);
        last.setCurrentIndex(1);
        snap.setValue(50);
        preferences().upperColor = 0x12ab56;
        preferences().lowerColor = 0x000000;
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {QStringLiteral("1000/3000 Up|Two")});
        fill(ws.lower, {QStringLiteral("1000/2000 Low")});
        stack(srt);
        QTEST(::frames(), "expected");
    }

    void prepareLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("angleTags");
        QTest::addColumn<bool>("srt");
        QTest::addColumn<bool>("joinLines");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("lineCount");
        QTest::newRow("empty") << "" << true << true << true << "" << 0;
        QTest::newRow("two lines") << "One|Two" << true << true << false << "One|Two" << 2;
        QTest::newRow("trailing separator") << "Hi|" << true << true << false << "Hi|" << 2;
        QTest::newRow("one space lost per pass") << "  One |  Two  " << true << true << false << "One| Two" << 2;
        QTest::newRow("join: hyphen glued, break becomes space")
            << "Hyph-|enated|word" << true << true << true << "Hyphenated word" << 1;
        QTest::newRow("join: spaces simplified") << "A |B" << true << true << true << "A B" << 1;
        QTest::newRow("srt source to sub") << "<i>Hi</i>|there" << true << false << false << "{y:i}Hi|there" << 2;
        QTest::newRow("sub source to srt") << "{y:i}Hi|there" << false << true << false << "<i>Hi|there</i>" << 2;
        QTest::newRow("same style untouched") << "{y:i}Hi" << false << false << false << "{y:i}Hi" << 1;
        QTest::newRow("join before converting") << "{y:i}One-|two" << false << true << true << "<i>Onetwo</i>" << 1;
    }
    void prepareLines()
    {
        QFETCH(QString, text);
        QFETCH(bool, angleTags);
        QFETCH(bool, srt);
        QFETCH(bool, joinLines);
        join.setChecked(joinLines);
        const int count = ::prepareLines(text, angleTags, srt);
        QTEST(text, "expected");
        QTEST(count, "lineCount");
    }

    void applyColorTag_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("color");
        QTest::addColumn<bool>("srt");
        QTest::addColumn<QString>("expected");
        QTest::newRow("srt 12ab56") << "Hi" << 0x12ab56 << true << "<font color=#12ab56>Hi</font>";
        QTest::newRow("sub 12ab56") << "Hi" << 0x12ab56 << false << "{c:$56AB12}Hi";
        QTest::newRow("srt black") << "Hi" << 0x000000 << true << "<font color=#000000>Hi</font>";
        QTest::newRow("sub black") << "Hi" << 0x000000 << false << "{c:$000000}Hi";
        QTest::newRow("sub red is blue last") << "Hi" << 0xff0000 << false << "{c:$0000FF}Hi";
        QTest::newRow("sub three lines") << "a|b|c" << 0x0000ff << false << "{c:$FF0000}a|{c:$FF0000}b|{c:$FF0000}c";
        QTest::newRow("srt three lines") << "a|b|c" << 0x0000ff << true << "<font color=#0000ff>a|b|c</font>";
        QTest::newRow("empty srt") << "" << 0x12ab56 << true << "";
        QTest::newRow("empty sub") << "" << 0x12ab56 << false << "";
        QTest::newRow("bits above the colour ignored") << "Hi" << -1 << false << "{c:$FFFFFF}Hi";
    }
    void applyColorTag()
    {
        QFETCH(QString, text);
        QFETCH(int, color);
        QFETCH(bool, srt);
        ::applyColorTag(text, color, srt);
        QTEST(text, "expected");
    }

    // With one set empty the other's subtitles still make frames, the
    // placeholders standing in for the missing lower text.
    void lowerEmpty()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {QStringLiteral("1000/2000 A"), QStringLiteral("3000/4000 B"), QStringLiteral("5000/6000 C")});
        stack(true);
        QCOMPARE(::frames(), (QStringList{"1000-2000 A|<b> </b>|<b> </b>", "3000-4000 B|<b> </b>|<b> </b>",
                                          "5000-6000 C|<b> </b>|<b> </b>"}));
    }

    void upperEmpty()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.lower, {QStringLiteral("1000/2000 A"), QStringLiteral("3000/4000 B")});
        stack(false);
        QCOMPARE(::frames(), (QStringList{"1000-2000 A", "3000-4000 B"}));
    }

    void bothEmpty()
    {
        stack(true);
        QCOMPARE(workspace().merged.count, 0);
    }

    // The lower set runs ten minutes past the upper set's end (and past the
    // upper sentinel, 100 s after it): every lower subtitle is kept.
    void lowerRunsLongPastUpper()
    {
        MergeWorkspace &ws = workspace();
        fill(ws.upper, {QStringLiteral("1000/2000 Up")});
        QStringList lower;
        QStringList expected{QStringLiteral("1000-2000 Up|<b> </b>|<b> </b>")};
        for (int i = 0; i <= 31; ++i) {
            const int start = 3000 + i * 20000;
            lower << QStringLiteral("%1/%2 L%3").arg(start).arg(start + 2000).arg(i);
            expected << QStringLiteral("%1-%2 L%3").arg(start).arg(start + 2000).arg(i);
        }
        fill(ws.lower, lower);
        QVERIFY(ws.lower.records[31].end > 2000 + 600000);
        stack(true);
        QCOMPARE(::frames(), expected);
    }

    // 30000 frames of non-zero length: 20000 fit, each further one is reported
    // and dropped, and the header and the sentinel still find their slots.
    void mergedSetFull()
    {
        MergeWorkspace &ws = workspace();
        snap.setValue(50);
        for (int i = 0; i < 15000; ++i) {
            add(ws.upper, i * 4000, i * 4000 + 1000, QStringLiteral("U"));
            add(ws.lower, i * 4000 + 2000, i * 4000 + 3000, QStringLiteral("L"));
        }
        ws.merged.file.setFileName(QStringLiteral("out.srt"));
        LogCapture log;
        ws.processMerge();
        QCOMPARE(log.lines.count(QStringLiteral("Mx: too many lines")), 10000);
        QCOMPARE(log.levels.count(0), 10000);
        QCOMPARE(ws.merged.count, SubtitleSet::Capacity + 1);
        const Subtitle &lastFrame = ws.merged.records[SubtitleSet::Capacity - 1];
        QCOMPARE(lastFrame.start, 9999 * 4000 + 2000);
        QCOMPARE(lastFrame.text, QStringLiteral("L"));
        const Subtitle &header = ws.merged.records[SubtitleSet::Capacity];
        QCOMPARE(header.text, QStringLiteral("Subtitles processed with|Twinscript"));
        QCOMPARE(header.start, lastFrame.end + 2000);
        QCOMPARE(ws.merged.records[SubtitleSet::Capacity + 1].text, QString());
        QCOMPARE(ws.merged.records[SubtitleSet::Capacity + 1].mergeStart, header.mergeStart + 100000);
    }

    void extremeTimesDoNotOverflow()
    {
        const int max = std::numeric_limits<qint32>::max();
        const int min = std::numeric_limits<qint32>::min();
        MergeWorkspace &ws = workspace();
        snap.setValue(1000);
        add(ws.upper, min, min + 500, QStringLiteral("A"));
        add(ws.upper, max - 3000, max - 100, QStringLiteral("B"));
        add(ws.lower, min + 100, min + 900, QStringLiteral("C"));
        add(ws.lower, max - 2000, max, QStringLiteral("D"));
        ws.merged.file.setFileName(QStringLiteral("out.sub"));
        ws.processMerge();
        // Starts and ends meet within the tolerance; the header cannot go past the range.
        QCOMPARE(::frames(), (QStringList{QStringLiteral("%1-%2 A| |C").arg(min + 50).arg(min + 700),
                                          QStringLiteral("%1-%2 B| |D").arg(max - 2500).arg(max - 50),
                                          QStringLiteral("%1-%1 Subtitles processed with|Twinscript").arg(max)}));
    }
};

QTEST_MAIN(TestStacking)
#include "tst_stacking.moc"
