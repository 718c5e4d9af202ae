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

using testutil::addSubtitle;
using testutil::fillSet;
using testutil::LogCapture;

namespace {

// "start-end text" of every frame of the merged set.
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

// "start-end" of every subtitle of the set, merge times or the subtitle's own.
QString times(const SubtitleSet &set, bool merge)
{
    QStringList out;
    for (int i = 0; i < set.count; ++i) {
        const Subtitle &s = set.records[size_t(i)];
        out << QStringLiteral("%1-%2").arg(merge ? s.mergeStart : s.start).arg(merge ? s.mergeEnd : s.end);
    }
    return out.join(QLatin1Char(' '));
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
        last.addItems({"Last Line Normal", "Last is Dot", "Last is Doubled"});
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
        QTest::addColumn<QString>("times"); // merge times of both records after the commit
        QTest::newRow("end moves coincident start") << 1 << 2000 << "1000-1900 1900-3000";
        QTest::newRow("end leaves separate start") << 1 << 2100 << "1000-1900 2100-3000";
        QTest::newRow("start moves coincident end") << 2 << 2000 << "1000-1900 1900-3000";
        QTest::newRow("start leaves separate end") << 2 << 2100 << "1000-2000 1900-3000";
        QTest::newRow("first start has no neighbour") << 0 << 2000 << "1900-2000 2000-3000";
        QTest::newRow("last end has no neighbour") << 3 << 2000 << "1000-2000 2000-1900";
    }
    void commitCursor()
    {
        QFETCH(int, position);
        QFETCH(int, secondStart);
        SubtitleSet &set = workspace().upper;
        fillSet(set, {"1000/2000 A", QStringLiteral("%1/3000 B").arg(secondStart)});
        set.CorrDurOvlp();
        const QString before = times(set, false);
        set.seekTransition(position);
        set.cursorTime = 1900;
        set.commitCursor();
        QTEST(times(set, true), "times");
        QCOMPARE(times(set, false), before); // only merge times are snapped
    }

    // Within a set, then across the sets (an empty set gives nothing to snap to).
    void snapping_data()
    {
        QTest::addColumn<QStringList>("upper");
        QTest::addColumn<QStringList>("lower");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<QString>("expected"); // upper merge times / lower merge times
        const auto two = [](int second) {
            return QStringList {"1000/2000 A", QStringLiteral("%1/3000 B").arg(second)};
        };
        // Ends far apart, so only the starts can meet.
        const auto up = [](int start) { return QStringList {QStringLiteral("%1/5000 Up").arg(start)}; };
        const auto low = [](int start) { return QStringList {QStringLiteral("%1/9000 Low").arg(start)}; };
        const QStringList none;
        QTest::newRow("within: 300 apart, tolerance 500")
            << two(2300) << low(1000) << 500 << "1000-2150 2150-3000 / 1000-9000";
        QTest::newRow("within: exactly the tolerance") << two(2500) << none << 500 << "1000-2000 2500-3000 / ";
        QTest::newRow("within: just inside the tolerance") << two(2499) << none << 500 << "1000-2249 2249-3000 / ";
        QTest::newRow("within: touching") << two(2000) << none << 50 << "1000-2000 2000-3000 / ";
        QTest::newRow("within: odd difference truncates") << two(2001) << none << 50 << "1000-2000 2000-3000 / ";
        QTest::newRow("across: 400 apart, tolerance 500") << up(1000) << low(1400) << 500 << "1200-5000 / 1200-9000";
        QTest::newRow("across: 400 apart, tolerance 350") << up(1000) << low(1400) << 350 << "1000-5000 / 1400-9000";
        QTest::newRow("across: exactly the tolerance") << up(1000) << low(1400) << 400 << "1200-5000 / 1200-9000";
        QTest::newRow("across: lower first") << up(1400) << low(1000) << 500 << "1200-5000 / 1200-9000";
        QTest::newRow("across: odd sum truncates") << up(1000) << low(1001) << 50 << "1000-5000 / 1000-9000";
        QTest::newRow("across: negative, toward zero") << up(-1001) << low(-1000) << 50 << "-1000-5000 / -1000-9000";
        QTest::newRow("across: coincident neighbour moves too")
            << two(2000) << QStringList {"1800/9000 L"} << 500 << "1000-1900 1900-3000 / 1900-9000";
        QTest::newRow("across: upper empty") << none << low(1000) << 500 << " / 1000-9000";
    }
    void snapping()
    {
        QFETCH(QStringList, upper);
        QFETCH(QStringList, lower);
        QFETCH(int, tolerance);
        snap.setValue(tolerance);
        MergeWorkspace &ws = workspace();
        fillSet(ws.upper, upper);
        fillSet(ws.lower, lower);
        ws.upper.CorrDurOvlp();
        ws.lower.CorrDurOvlp();
        const QString before = times(ws.upper, false) + QStringLiteral(" / ") + times(ws.lower, false);
        ws.upper.snapNeighbours();
        ws.lower.snapNeighbours();
        ws.crossSnapPass();
        QTEST(times(ws.upper, true) + QStringLiteral(" / ") + times(ws.lower, true), "expected");
        QCOMPARE(times(ws.upper, false) + QStringLiteral(" / ") + times(ws.lower, false), before);
    }

    // "_" in an expected frame stands for the filler: "<b> </b>" in SubRip, " " in MicroDVD.
    void frames_data()
    {
        QTest::addColumn<QStringList>("upper");
        QTest::addColumn<QStringList>("lower");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("srt");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("style"); // 0 normal, 1 dot, 2 doubled
        QTest::addColumn<int>("tolerance");
        const auto add = [](const QString &name, bool srt, const QStringList &upper, const QStringList &lower,
                            QStringList expected, int bottom, int style, int tolerance) {
            expected.replaceInStrings(QStringLiteral("_"), srt ? QStringLiteral("<b> </b>") : QStringLiteral(" "));
            QTest::newRow(qPrintable(name + (srt ? ", srt" : ", sub")))
                << upper << lower << expected << srt << bottom << style << tolerance;
        };
        // The same frames in both output styles.
        const auto row = [&add](const char *name, const QStringList &upper, const QStringList &lower,
                                const QStringList &expected, int bottom = 2, int style = 0, int tolerance = 50) {
            add(name, true, upper, lower, expected, bottom, style, tolerance);
            add(name, false, upper, lower, expected, bottom, style, tolerance);
        };
        const QStringList up = {"1000/2000 Up"};
        row("partial overlap", {"1000/3000 Up"}, {"2000/4000 Low"},
            {"1000-2000 Up|_|_", "2000-3000 Up|_|Low", "3000-4000 Low"});
        row("near transitions snap into one frame", {"1000/3000 Up"}, {"1300/3400 Low"}, {"1150-3200 Up|_|Low"}, 2, 0,
            500);
        row("equal transitions in one step", {"1000/2000 A"}, {"1000/2000 B"}, {"1000-2000 A|_|B"});
        row("adjacent records: zero-length frame dropped", {"1000/2000 A", "2000/3000 B"}, {"500/4000 L"},
            {"500-1000 L", "1000-2000 A|_|L", "2000-3000 B|_|L", "3000-4000 L"});
        row("lower comes and goes", {"1000/5000 Up"}, {"1000/2000 A", "3000/4000 B"},
            {"1000-2000 Up|_|A", "2000-3000 Up|_|_", "3000-4000 Up|_|B", "4000-5000 Up|_|_"});
        row("pause between: no frame", {"1000/2000 A"}, {"3000/4000 B"}, {"1000-2000 A|_|_", "3000-4000 B"});
        row("three-line lower: no filler", up, {"1000/2000 a|b|c"}, {"1000-2000 Up|a|b|c"});
        row("two-line upper", {"1000/2000 one|two"}, {"1000/2000 Low"}, {"1000-2000 one|two|_|Low"});
        row("four bottom lines", up, {"1000/2000 a|b"}, {"1000-2000 Up|_|_|a|b"}, 4);
        row("dot", up, {}, {"1000-2000 Up|_|."}, 2, 1);
        add("doubled", true, up, {}, {"1000-2000 Up|_|_|_"}, 2, 2, 50);
        add("doubled", false, up, {}, {"1000-2000 Up| || "}, 2, 2, 50);
        add("doubled, three bottom lines", true, up, {}, {"1000-2000 Up|_|_|_|_"}, 3, 2, 50);
        add("doubled, three bottom lines", false, up, {}, {"1000-2000 Up| | || "}, 3, 2, 50);
        row("no bottom lines, no lower", up, {}, {"1000-2000 Up|"}, 0, 1);
        row("no bottom lines, both", up, {"1000/2000 Low"}, {"1000-2000 Up|Low"}, 0);
        row("no bottom lines, lower alone", {}, {"1000/2000 Low"}, {"1000-2000 Low"}, 0);
        row("upper cut back to zero length is never shown", {"1000/2000 A", "1000/3000 B"}, {}, {"1000-3000 B|_|_"});
        // One set empty: the other's subtitles still make frames.
        row("lower empty", {"1000/2000 A", "3000/4000 B", "5000/6000 C"}, {},
            {"1000-2000 A|_|_", "3000-4000 B|_|_", "5000-6000 C|_|_"});
        row("upper empty", {}, {"1000/2000 A", "3000/4000 B"}, {"1000-2000 A", "3000-4000 B"});
        row("both empty", {}, {}, {});
        // The lower set runs ten minutes past the upper set's end (and past the
        // upper sentinel, 100 s after it): every lower subtitle is kept.
        QStringList lower, expected {"1000-2000 Up|_|_"};
        for (int start = 3000; start <= 3000 + 31 * 20000; start += 20000) {
            lower << QStringLiteral("%1/%2 L").arg(start).arg(start + 2000);
            expected << QStringLiteral("%1-%2 L").arg(start).arg(start + 2000);
        }
        row("lower runs ten minutes past the upper", up, lower, expected);
    }
    void frames()
    {
        QFETCH(QStringList, upper);
        QFETCH(QStringList, lower);
        QFETCH(bool, srt);
        QFETCH(int, bottom);
        QFETCH(int, style);
        QFETCH(int, tolerance);
        lines.setValue(bottom);
        last.setCurrentIndex(style);
        snap.setValue(tolerance);
        MergeWorkspace &ws = workspace();
        fillSet(ws.upper, upper);
        fillSet(ws.lower, lower);
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
        fillSet(ws.upper, {"1000/3000 <i>Up</i>"});
        fillSet(ws.lower, {"2000/4000 Low|er"});
        stack(true);
        QCOMPARE(ws.merged.count, 3);
        QCOMPARE(ws.merged.records[0].visibleLength, 2);
        QCOMPARE(ws.merged.records[1].visibleLength, 8);
        QCOMPARE(ws.merged.records[2].visibleLength, 6);
    }

    // Each text is converted to the output's style, then coloured; the placeholder is grey.
    void tagsAndColours_data()
    {
        QTest::addColumn<bool>("srt");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("srt") << true
                             << QStringList {"1000-2000 <font color=#12ab56><i>Hi|Two</i></font>|<b> </b>|"
                                             "<font color=#000000><b>Lo</b></font>",
                                             "2000-3000 <font color=#12ab56><i>Hi|Two</i></font>|<b> </b>|"
                                             "<font color=#505050>.</font>"};
        QTest::newRow("sub") << false
                             << QStringList {"1000-2000 {c:$56AB12}{y:i}Hi|{c:$56AB12}Two| |{c:$000000}{y:b}Lo",
                                             "2000-3000 {c:$56AB12}{y:i}Hi|{c:$56AB12}Two| |{c:$505050}."};
    }
    void tagsAndColours()
    {
        QFETCH(bool, srt);
        colorTags.setChecked(true);
        last.setCurrentIndex(1);
        snap.setValue(50);
        preferences().upperColor = 0x12ab56;
        preferences().lowerColor = 0x000000;
        MergeWorkspace &ws = workspace();
        addSubtitle(ws.upper, 1000, 3000, QStringLiteral("{y:i}Hi|Two"), false);
        addSubtitle(ws.lower, 1000, 2000, QStringLiteral("<b>Lo</b>"), true);
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

    // Colours in frames are tested above; these are the corners.
    void applyColorTag_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("color");
        QTest::addColumn<bool>("srt");
        QTest::addColumn<QString>("expected");
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

    // 30000 frames of non-zero length: 20000 fit, each further one is reported
    // and dropped, and the header and the sentinel still find their slots.
    void mergedSetFull()
    {
        MergeWorkspace &ws = workspace();
        snap.setValue(50);
        for (int i = 0; i < 15000; ++i) {
            addSubtitle(ws.upper, i * 4000, i * 4000 + 1000, QStringLiteral("U"));
            addSubtitle(ws.lower, i * 4000 + 2000, i * 4000 + 3000, QStringLiteral("L"));
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
        addSubtitle(ws.upper, min, min + 500, QStringLiteral("A"));
        addSubtitle(ws.upper, max - 3000, max - 100, QStringLiteral("B"));
        addSubtitle(ws.lower, min + 100, min + 900, QStringLiteral("C"));
        addSubtitle(ws.lower, max - 2000, max, QStringLiteral("D"));
        ws.merged.file.setFileName(QStringLiteral("out.sub"));
        ws.processMerge();
        // Starts and ends meet within the tolerance; the header cannot go past the range.
        QCOMPARE(::frames(),
                 (QStringList {QStringLiteral("%1-%2 A| |C").arg(min + 50).arg(min + 700),
                               QStringLiteral("%1-%2 B| |D").arg(max - 2500).arg(max - 50),
                               QStringLiteral("%1-%1 Subtitles processed with|Twinscript").arg(max)}));
    }
};

QTEST_MAIN(TestStacking)
#include "tst_stacking.moc"
