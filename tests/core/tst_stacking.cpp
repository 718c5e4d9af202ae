// The stacking engine: snapping within and across sets, the transition walk,
// the layout of every frame, colour tags, and a merged set past 20000 frames.

#include "testutil.h"

#include "core/colors.h"
#include "core/merge.h"
#include "core/session.h"

#include <QtTest>

using namespace testutil;

namespace {

// The pipeline up to the stacking pass, without header and final correction.
void stack(SubtitleSet &upper, SubtitleSet &lower, SubtitleSet &merged, const ProcessingOptions &options, bool srt)
{
    CollectingLog log;
    stackSets(upper, lower, merged, options, styleOf(srt), log);
}

} // namespace

class TestStacking : public QObject
{
    Q_OBJECT

private:
    SubtitleSet upper {QStringLiteral("Up: ")};
    SubtitleSet lower {QStringLiteral("Lw: ")};
    SubtitleSet merged {QStringLiteral("Mx: ")};

private slots:
    // Within a set, then across the sets (an empty set gives nothing to snap to).
    void snapping_data()
    {
        QTest::addColumn<QStringList>("up");
        QTest::addColumn<QStringList>("low");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<QString>("expected"); // upper merge times / lower merge times
        const auto two = [](int second) {
            return QStringList {"1000/2000 A", QStringLiteral("%1/3000 B").arg(second)};
        };
        // Ends far apart, so only the starts can meet.
        const auto u = [](int start) { return QStringList {QStringLiteral("%1/5000 Up").arg(start)}; };
        const auto l = [](int start) { return QStringList {QStringLiteral("%1/9000 Low").arg(start)}; };
        const QStringList none;
        row("within: 300 apart, tolerance 500", two(2300), l(1000), 500, "1000-2150 2150-3000 / 1000-9000");
        row("within: exactly the tolerance", two(2500), none, 500, "1000-2000 2500-3000 / ");
        row("within: just inside the tolerance", two(2499), none, 500, "1000-2249 2249-3000 / ");
        row("within: touching", two(2000), none, 50, "1000-2000 2000-3000 / ");
        row("within: odd difference truncates", two(2001), none, 50, "1000-2000 2000-3000 / ");
        row("across: 400 apart, tolerance 500", u(1000), l(1400), 500, "1200-5000 / 1200-9000");
        row("across: 400 apart, tolerance 350", u(1000), l(1400), 350, "1000-5000 / 1400-9000");
        row("across: exactly the tolerance", u(1000), l(1400), 400, "1200-5000 / 1200-9000");
        row("across: lower first", u(1400), l(1000), 500, "1200-5000 / 1200-9000");
        row("across: odd sum truncates", u(1000), l(1001), 50, "1000-5000 / 1000-9000");
        row("across: negative, toward zero", u(-1001), l(-1000), 50, "-1000-5000 / -1000-9000");
        row("across: coincident neighbour moves too", two(2000), QStringList {"1800/9000 L"}, 500,
            "1000-1900 1900-3000 / 1900-9000");
        row("across: separate neighbour stays", two(2300), QStringList {"1900/9000 L"}, 150,
            "1000-1950 2300-3000 / 1950-9000");
        // The start of B, moved with the end of A, is moved again and takes A's end along.
        row("across: a start moves its coincident end", two(2000), QStringList {"1500/1800 L1", "2200/9000 L2"}, 300,
            "1000-2050 2050-3000 / 1500-1900 2050-9000");
        row("across: upper empty", none, l(1000), 500, " / 1000-9000");
    }
    void snapping()
    {
        QFETCH(QStringList, up);
        QFETCH(QStringList, low);
        QFETCH(int, tolerance);
        fillSet(upper, up);
        fillSet(lower, low);
        CollectingLog log;
        correctDurations(upper, 25, 0, log);
        correctDurations(lower, 25, 0, log);
        const QStringList before = describe(upper) + describe(lower);
        snapNeighbours(upper, tolerance);
        snapNeighbours(lower, tolerance);
        crossSnap(upper, lower, tolerance);
        QTEST(mergeTimes(upper) + QStringLiteral(" / ") + mergeTimes(lower), "expected");
        QCOMPARE(describe(upper) + describe(lower), before); // only merge times are snapped
    }

    // "_" in an expected frame stands for the filler: "<b> </b>" in SubRip, " " in MicroDVD.
    void frames_data()
    {
        QTest::addColumn<QStringList>("up");
        QTest::addColumn<QStringList>("low");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("srt");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("tolerance");
        const auto add = [](const QString &name, bool srt, const QStringList &up, const QStringList &low,
                            QStringList expected, int bottom, int style, int tolerance) {
            expected.replaceInStrings(QStringLiteral("_"), srt ? QStringLiteral("<b> </b>") : QStringLiteral(" "));
            QTest::newRow(qPrintable(name + (srt ? ", srt" : ", sub")))
                << up << low << expected << srt << bottom << style << tolerance;
        };
        // The same frames in both output styles.
        const auto row = [&add](const char *name, const QStringList &up, const QStringList &low,
                                const QStringList &expected, int bottom = 2, int style = 0, int tolerance = 50) {
            add(name, true, up, low, expected, bottom, style, tolerance);
            add(name, false, up, low, expected, bottom, style, tolerance);
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
        QStringList low, expected {"1000-2000 Up|_|_"};
        for (int start = 3000; start <= 3000 + 31 * 20000; start += 20000) {
            low << QStringLiteral("%1/%2 L").arg(start).arg(start + 2000);
            expected << QStringLiteral("%1-%2 L").arg(start).arg(start + 2000);
        }
        row("lower runs ten minutes past the upper", up, low, expected);
    }
    void frames()
    {
        QFETCH(QStringList, up);
        QFETCH(QStringList, low);
        QFETCH(bool, srt);
        ProcessingOptions options;
        QFETCH(int, bottom);
        QFETCH(int, style);
        QFETCH(int, tolerance);
        options.bottomLines = bottom;
        options.lastLine = LastLineStyle(style);
        options.snap = tolerance;
        fillSet(upper, up);
        fillSet(lower, low);
        stack(upper, lower, merged, options, srt);
        QTEST(describe(merged), "expected");
    }

    void visibleLengthIsSumOfShownTexts()
    {
        fillSet(upper, {"1000/3000 <i>Up</i>"});
        fillSet(lower, {"2000/4000 Low|er"});
        ProcessingOptions options;
        options.snap = 50;
        stack(upper, lower, merged, options, true);
        QCOMPARE(merged.count, 3);
        QCOMPARE(merged.at(0).visibleLength, 2);
        QCOMPARE(merged.at(1).visibleLength, 8);
        QCOMPARE(merged.at(2).visibleLength, 6);
    }

    // Each text is converted to the output's style, then coloured; the placeholder is grey.
    void tagsAndColours_data()
    {
        QTest::addColumn<bool>("srt");
        QTest::addColumn<QStringList>("expected");
        row("srt", true,
            QStringList {"1000-2000 <font color=#12ab56><i>Hi|Two</i></font>|<b> </b>|"
                         "<font color=#000000><b>Lo</b></font>",
                         "2000-3000 <font color=#12ab56><i>Hi|Two</i></font>|<b> </b>|"
                         "<font color=#505050>.</font>"});
        row("sub", false,
            QStringList {"1000-2000 {c:$56AB12}{y:i}Hi|{c:$56AB12}Two| |{c:$000000}{y:b}Lo",
                         "2000-3000 {c:$56AB12}{y:i}Hi|{c:$56AB12}Two| |{c:$505050}."});
    }
    void tagsAndColours()
    {
        QFETCH(bool, srt);
        ProcessingOptions options;
        options.colorTags = true;
        options.lastLine = LastLineStyle::Dot;
        options.snap = 50;
        options.upperColor = 0x12ab56;
        options.lowerColor = 0x000000;
        upper.clear();
        lower.clear();
        upper.append(1000, 3000, QStringLiteral("{y:i}Hi|Two"), false);
        lower.append(1000, 2000, QStringLiteral("<b>Lo</b>"), true);
        stack(upper, lower, merged, options, srt);
        QTEST(describe(merged), "expected");
    }

    void prepareLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("angleTags");
        QTest::addColumn<bool>("joinLines");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("lineCount");
        row("empty", "", true, true, "", 0);
        row("two lines", "One|Two", true, false, "One|Two", 2);
        row("trailing separator", "Hi|", true, false, "Hi|", 2);
        row("one space lost per pass", "  One |  Two  ", true, false, "One| Two", 2);
        row("join: hyphen glued, break becomes space", "Hyph-|enated|word", true, true, "Hyphenated word", 1);
        row("join: spaces simplified", "A |B", true, true, "A B", 1);
        row("join before converting", "{y:i}One-|two", false, true, "<i>Onetwo</i>", 1);
    }
    void prepareLines()
    {
        QFETCH(QString, text);
        QFETCH(bool, angleTags);
        QFETCH(bool, joinLines);
        const int count = ::prepareLines(text, styleOf(angleTags), TagStyle::SubRip, joinLines);
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
        row("empty srt", "", 0x12ab56, true, "");
        row("empty sub", "", 0x12ab56, false, "");
        row("bits above the colour ignored, sub", "Hi", -1, false, "{c:$FFFFFF}Hi");
        row("bits above the colour ignored, srt", "Hi", 0x7f0000ff, true, "<font color=#0000ff>Hi</font>");
    }
    void applyColorTag()
    {
        QFETCH(QString, text);
        QFETCH(int, color);
        QFETCH(bool, srt);
        ::applyColorTag(text, color, styleOf(srt));
        QTEST(text, "expected");
    }

    // Two full sets that half overlap cut each other into three frames a pair:
    // every frame is kept, the last at the end of the film, and the file holds them all.
    // The preview's frame: the subtitles shown at that moment, stacked as the
    // file stacks them, the sets left as they were.
    void frameAt_data()
    {
        QTest::addColumn<QStringList>("upper");
        QTest::addColumn<QStringList>("lower");
        QTest::addColumn<int>("time");
        QTest::addColumn<QString>("expected");
        const QStringList up {"1000/3000 Up", "5000/6000 {y:i}Two|lines"};
        const QStringList low {"1000/3000 Low", "7000/8000 Late"};
        row("both", up, low, 1000, "Up|<b> </b>|Low");
        row("inside both", up, low, 2999, "Up|<b> </b>|Low");
        row("upper alone, fillers and last line", up, low, 5500, "<i>Two|lines</i>|<b> </b>|<b> </b>");
        row("lower alone", up, low, 7000, "Late");
        row("between", up, low, 4000, "");
        row("before all", up, low, 0, "");
        row("empty sets", QStringList(), QStringList(), 1000, "");
    }
    void frameAt()
    {
        QFETCH(QStringList, upper);
        QFETCH(QStringList, lower);
        QFETCH(int, time);
        SubtitleSet up(QStringLiteral("Up: "));
        SubtitleSet low(QStringLiteral("Lw: "));
        fillSet(up, upper);
        fillSet(low, lower);
        for (int i = 0; i < up.count; ++i)
            up.at(i).angleTags = !up.at(i).text.startsWith(QLatin1Char('{'));
        const QStringList before = describe(up) + describe(low);
        QTEST(::frameAt(up, low, time, ProcessingOptions()), "expected");
        QCOMPARE(describe(up) + describe(low), before);
    }

    void mergedSetGrowsPastCapacity()
    {
        CollectingLog log;
        Session session(log);
        session.options.snap = 50;
        session.upper.clear();
        session.lower.clear();
        const int n = SubtitleSet::Capacity;
        for (int i = 0; i < n; ++i) {
            session.upper.append(i * 4000, i * 4000 + 2000, QStringLiteral("U"));
            session.lower.append(i * 4000 + 1000, i * 4000 + 3000, QStringLiteral("L"));
        }
        session.process(SubtitleFormat::SubRip);
        QCOMPARE(session.merged.count, 3 * n + 1);
        const Subtitle &lastFrame = session.merged.at(3 * n - 1);
        QCOMPARE(lastFrame.start, (n - 1) * 4000 + 2000);
        QCOMPARE(lastFrame.end, (n - 1) * 4000 + 3000);
        QCOMPARE(lastFrame.text, QStringLiteral("L"));
        QCOMPARE(session.merged.at(3 * n - 2).text, QStringLiteral("U|<b> </b>|L"));
        const Subtitle &header = session.merged.at(3 * n);
        QCOMPARE(header.text, QStringLiteral("Subtitles processed with|Twinscript"));
        QCOMPARE(header.start, lastFrame.end + 2000);

        QTemporaryDir dir;
        QVERIFY(
            session.saveFile(session.merged, dir.filePath(QStringLiteral("out.srt")), QStringLiteral("UTF-8"), 25000));
        QCOMPARE(log.lines.last(), QStringLiteral("Mx: %1 subs saved to out.srt").arg(3 * n + 1));
        QVERIFY(!log.joined().contains(QStringLiteral("too many lines")));
        QVERIFY(!log.levels.contains(LogError));
    }

    void extremeTimesDoNotOverflow()
    {
        fillSet(upper,
                {QStringLiteral("%1/%2 A").arg(intMin).arg(intMin + 500),
                 QStringLiteral("%1/%2 B").arg(intMax - 3000).arg(intMax - 100)});
        fillSet(lower,
                {QStringLiteral("%1/%2 C").arg(intMin + 100).arg(intMin + 900),
                 QStringLiteral("%1/%2 D").arg(intMax - 2000).arg(intMax)});
        ProcessingOptions options;
        options.snap = 1000;
        CollectingLog log;
        mergeSets(upper, lower, merged, options, SubtitleFormat::MicroDvd, log);
        // Starts and ends meet within the tolerance; the header cannot go past the range.
        QCOMPARE(describe(merged),
                 (QStringList {QStringLiteral("%1-%2 A| |C").arg(intMin + 50).arg(intMin + 700),
                               QStringLiteral("%1-%2 B| |D").arg(intMax - 2500).arg(intMax - 50),
                               QStringLiteral("%1-%1 Subtitles processed with|Twinscript").arg(intMax)}));
    }
};

QTEST_MAIN(TestStacking)
#include "tst_stacking.moc"
