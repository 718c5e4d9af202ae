// Subtitle files as people have them: SubRip time lines that are almost
// right, MPL2 and SubViewer 2.0, a MicroDVD file that declares its frame rate,
// and telling the format from the content. Rows give the input lines, the
// subtitles as "start-end text" and the log lines as "level line".

#include "testutil.h"

#include "core/formats.h"

#include <QTextCodec>
#include <QtTest>

using namespace testutil;

Q_DECLARE_METATYPE(SubtitleFormat)
Q_DECLARE_METATYPE(std::optional<SubtitleFormat>)

namespace {

const QString loaded = QStringLiteral("2 Up: %1 subs loaded from x");
const QString skipped = QStringLiteral("2 Up: %1 subs skipped");
QString repaired(int count, const char *kind)
{
    return QStringLiteral("1 Up: %1 time lines repaired (%2)").arg(count).arg(QLatin1String(kind));
}

} // namespace

// Readable failures: QTest finds this by argument-dependent lookup.
char *toString(const std::optional<SubtitleFormat> &format)
{
    return qstrdup(format ? qPrintable(formatName(*format)) : "none");
}

class TestRealFiles : public QObject
{
    Q_OBJECT

    SubtitleSet up {QStringLiteral("Up: ")};
    CollectingLog log;

    void addColumns()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("subs");
        QTest::addColumn<QStringList>("log");
    }

    // Each row twice, with Unix and with Windows line ends.
    void readAndCompare(SubtitleFormat format, int rate = 25000)
    {
        QFETCH(QStringList, lines);
        for (const char *end : {"\n", "\r\n"}) {
            log.clear();
            readSubtitles(up, lines.join(QLatin1String(end)), format, request(rate, false, 0, QStringLiteral("x")),
                          log);
            QTEST(describe(up), "subs");
            QTEST(log.withLevels(), "log");
            const bool angleTags = format != SubtitleFormat::MicroDvd;
            for (int i = 0; i < up.count; ++i) {
                QCOMPARE(up.at(i).angleTags, angleTags);
                QCOMPARE(up.at(i).visibleLength, visibleLengthOf(up.at(i).text, styleOf(angleTags)));
            }
        }
    }

private slots:
    void subRip_data()
    {
        addColumns();
        const QString second = QStringLiteral("00:00:03,000 --> 00:00:04,000");
        const QStringList one {"1000-2000 A"}, two {"1000-2000 A", "3000-4000 B"};
        row("strict lines need no repair",
            QStringList {"1", "00:00:01,000 --> 00:00:02,000", "A", "", "2", second, "B"}, two,
            QStringList {loaded.arg(2)});
        row("arrow with a space inside", QStringList {"00:00:01,000 - > 00:00:02,000", "A", "", second, "B"}, two,
            QStringList {loaded.arg(2), repaired(1, "broken arrow")});
        row("short arrow", QStringList {"00:00:01,000 -> 00:00:02,000", "A", "", "00:00:03,000->00:00:04,000", "B"},
            two, QStringList {loaded.arg(2), repaired(2, "broken arrow")});
        row("spaces around the arrow",
            QStringList {"00:00:01,000  -->  00:00:02,000", "A", "", "00:00:03,000-->00:00:04,000", "B"}, two,
            QStringList {loaded.arg(2), repaired(2, "broken arrow")});
        row("dash of a word processor", QStringList {QString::fromUtf8("00:00:01,000 —> 00:00:02,000"), "A"}, one,
            QStringList {loaded.arg(1), repaired(1, "broken arrow")});
        row("two-digit fractions are hundredths", QStringList {"00:05:01,77 --> 00:05:02,04", "A"},
            QStringList {"301770-302040 A"}, QStringList {loaded.arg(1), repaired(1, "short fraction")});
        row("one-digit fraction, period", QStringList {"00:00:01.5 --> 00:00:02.500", "A"}, QStringList {"1500-2500 A"},
            QStringList {loaded.arg(1), repaired(1, "short fraction")});
        row("no fraction", QStringList {"00:00:00 --> 00:00:10", "A"}, QStringList {"0-10000 A"},
            QStringList {loaded.arg(1), repaired(1, "no fraction")});
        row("one-digit fields", QStringList {"0:00:01,000 --> 0:0:2,000", "A"}, one,
            QStringList {loaded.arg(1), repaired(1, "short field")});
        row("three-digit hours", QStringList {"100:00:00,000 --> 100:00:01,000", "A"},
            QStringList {"360000000-360001000 A"}, QStringList {loaded.arg(1), repaired(1, "short field")});
        row("positions after a repaired line",
            QStringList {"00:00:01,04 --> 00:00:02 X1:40 X2:600 Y1:20 Y2:50", "A", "", "00:00:03 --> 00:00:04,00", "B"},
            QStringList {"1040-2000 A", "3000-4000 B"},
            QStringList {loaded.arg(2), repaired(2, "short fraction"), repaired(2, "no fraction")});
        row("every kind on one line counts once per kind", QStringList {"0:00:01,5 - > 0:00:02", "A", "", second, "B"},
            QStringList {"1500-2000 A", "3000-4000 B"},
            QStringList {loaded.arg(2), repaired(1, "broken arrow"), repaired(1, "short fraction"),
                         repaired(1, "no fraction"), repaired(1, "short field")});
        row("no blank line before the next number",
            QStringList {"1", "00:00:01,000 --> 00:00:02,000", "A", "2", second, "B", "3",
                         "00:00:05,000 --> 00:00:06,000", "C"},
            QStringList {"1000-2000 A", "3000-4000 B", "5000-6000 C"},
            QStringList {loaded.arg(3), repaired(2, "no blank line")});
        row("no blank line before a repaired time line",
            QStringList {"00:00:01,000 --> 00:00:02,000", "A", "2", "0:00:03 -> 0:00:04", "B"}, two,
            QStringList {loaded.arg(2), repaired(1, "broken arrow"), repaired(1, "no fraction"),
                         repaired(1, "short field"), repaired(1, "no blank line")});
        row("a number ending a text stays",
            QStringList {"00:00:01,000 --> 00:00:02,000", "Room", "101", "", second, "B"},
            QStringList {"1000-2000 Room|101", "3000-4000 B"}, QStringList {loaded.arg(2)});
        row("a number ending the file stays", QStringList {"00:00:01,000 --> 00:00:02,000", "Room", " 101 "},
            QStringList {"1000-2000 Room|101"}, QStringList {loaded.arg(1)});
        row("a number as the whole text stays", QStringList {"00:00:01,000 --> 00:00:02,000", "42", second, "B"},
            QStringList {"1000-2000 42", "3000-4000 B"}, QStringList {loaded.arg(2)});
        // 25 characters a second: "A" needs 40 ms, "Hello there" 440.
        row("end before start: the time its text needs", QStringList {"0:00:05 --> 0:00:04,8", "A", "", second, "B"},
            QStringList {"5000-5040 A"},
            QStringList {"1 Up: out of sequence #4", loaded.arg(1), skipped.arg(1), repaired(1, "short fraction"),
                         repaired(1, "no fraction"), repaired(1, "short field"), repaired(1, "end before start")});
        row("end before start, in order",
            QStringList {"00:00:01,000 --> 00:00:02,000", "A", "", "00:00:05,000 --> 00:00:04,000", "Hello there"},
            QStringList {"1000-2000 A", "5000-5440 Hello there"},
            QStringList {loaded.arg(2), repaired(1, "end before start")});
        row("end slightly before start stays", QStringList {"00:00:05,000 --> 00:00:04,900", "A"},
            QStringList {"5000-4900 A"}, QStringList {loaded.arg(1)});
        row("same start joins the one before",
            QStringList {"1", "00:00:01,000 --> 00:00:02,000", "A", "", "2", "00:00:01,000 --> 00:00:03,000", "B", "b",
                         "", "3", "00:00:01,099 --> 00:00:01,500", "C", "", "4", second, "D"},
            QStringList {"1000-3000 A|B|b|C", "3000-4000 D"},
            QStringList {loaded.arg(2), "1 Up: 2 subs joined with the one before (same start)"});
        row("same start, end before start",
            QStringList {"00:00:01,000 --> 00:00:01,200", "A", "", "00:00:01,050 --> 00:00:00,500", "Hello there"},
            QStringList {"1000-1490 A|Hello there"},
            QStringList {loaded.arg(1), "1 Up: 1 subs joined with the one before (same start)",
                         repaired(1, "end before start")});
        row("same start without text joins nothing",
            QStringList {"00:00:01,000 --> 00:00:02,000", "A", "", "00:00:01,000 --> 00:00:09,000", "", second, "B"},
            QStringList {"1000-2000 A", "3000-4000 B"}, QStringList {loaded.arg(2)});
        row("out of sequence keeps its check", QStringList {second, "B", "", "3", "00:00:01,000 -> 00:00:02,000", "A"},
            QStringList {"3000-4000 B"},
            QStringList {"1 Up: out of sequence #5", loaded.arg(1), skipped.arg(1), repaired(1, "broken arrow")});
        row("an advert at 0 after the film stays out",
            QStringList {second, "B", "", "00:00:00,000 --> 00:00:02,000", "Subtitles by X", "",
                         "00:00:00,000 --> "
                         "00:00:00,000",
                         "www.x.org"},
            QStringList {"3000-4000 B"},
            QStringList {"1 Up: out of sequence #4", "1 Up: out of sequence #7", loaded.arg(1), skipped.arg(2)});
        row("times past 32 bits", QStringList {"999:00:00 --> 999:00:01", "A"}, QStringList(),
            QStringList {"1 Up: time out of range #1", loaded.arg(0), skipped.arg(1), repaired(1, "no fraction"),
                         repaired(1, "short field")});
        // Nothing that real files write: left alone, the text lines not collected.
        for (const char *odd :
             {"00:00:01,0000 --> 00:00:02,000", "00:00:01:000 --> 00:00:02:000", " 00:00:01,000 --> 00:00:02,000",
              "0:00:01,000 --> 0:00:02,000x", "00:00:01,000 > 00:00:02,000", "12:30 -> 13:45",
              "1234:00:00,000 --> 1234:00:01,000", "00:00:01,000 -->"})
            row(odd, QStringList {odd, "lost", "", second, "B"}, QStringList {"3000-4000 B"},
                QStringList {loaded.arg(1)});
    }
    void subRip() { readAndCompare(SubtitleFormat::SubRip); }

    void microDvd_data()
    {
        addColumns();
        const QString declared = QStringLiteral("2 Up: frame rate %1 declared by the file");
        const QStringList a {"1000-2000 a"};
        row("29.970", QStringList {"{1}{1}29.970", "{25}{50}a"}, a,
            QStringList {declared.arg("29.970"), loaded.arg(1)});
        row("25.0 in frame 0", QStringList {"{0}{0}25.0", "{25}{50}a"}, a,
            QStringList {declared.arg("25.000"), loaded.arg(1)});
        row("23.976", QStringList {"{1}{1}23.976", "{25}{50}a"}, a,
            QStringList {declared.arg("23.976"), loaded.arg(1)});
        row("24 without decimals", QStringList {"{0}{0}24", "{25}{50}a"}, a,
            QStringList {declared.arg("24.000"), loaded.arg(1)});
        row("29.97 with many zeros", QStringList {"{1}{1} 29.9700000 ", "{25}{50}a"}, a,
            QStringList {declared.arg("29.970"), loaded.arg(1)});
        row("after a blank line", QStringList {"", "{1}{1}25", "{25}{50}a"}, a,
            QStringList {"3 Up: sub too short#1", declared.arg("25.000"), loaded.arg(1), skipped.arg(1)});
        for (const char *other : {"{1}{1}30", "{1}{1}23.98", "{2}{2}25", "{1}{1}25.", "{1}{1}25 fps", "{1}{1}"})
            row(other, QStringList {other, "{25}{50}a"}, a,
                QStringList {"3 Up: sub too short#1", loaded.arg(1), skipped.arg(1)});
        row("only the first subtitle declares", QStringList {"{25}{50}a", "{1}{1}25"}, a,
            QStringList {"3 Up: sub too short#2", loaded.arg(1), skipped.arg(1)});
        row("a subtitle whose text is a rate", QStringList {"{1}{2}25", "{25}{50}a"},
            QStringList {"40-80 25", "1000-2000 a"}, QStringList {loaded.arg(2)});
    }
    void microDvd() { readAndCompare(SubtitleFormat::MicroDvd); }

    void mpl2_data()
    {
        addColumns();
        row("tenths of a second", QStringList {"[10][25]Hello", "[30][52]Two|lines"},
            QStringList {"1000-2500 Hello", "3000-5200 Two|lines"}, QStringList {loaded.arg(2)});
        row("a slash starts italics on its line", QStringList {"[0][25]/Italic|normal", "[30][40]a| / b |/c"},
            QStringList {"0-2500 <i>Italic</i>|normal", "3000-4000 a|<i>b</i>|<i>c</i>"}, QStringList {loaded.arg(2)});
        row("blank lines are no subtitles", QStringList {"", "[10][25]a", "  ", ""}, QStringList {"1000-2500 a"},
            QStringList {loaded.arg(1)});
        row("out of sequence", QStringList {"[10][25]a", "[10][30]b", "[40][50]c"},
            QStringList {"1000-2500 a", "4000-5000 c"},
            QStringList {"1 Up: out of sequence #2", loaded.arg(2), skipped.arg(1)});
        for (const char *bad : {"[25][10]x", "[25][25]x", "[a][10]x", "[10]x", "[10][]x", "text",
                                "[30000000][30000001]x", "[99999999999][99999999999]x"})
            row(bad, QStringList {bad, "[50][60]kept"}, QStringList {"5000-6000 kept"},
                QStringList {"3 Up: sub too short#1", loaded.arg(1), skipped.arg(1)});
    }
    void mpl2() { readAndCompare(SubtitleFormat::Mpl2); }

    void subViewer_data()
    {
        addColumns();
        const QStringList header {"[INFORMATION]",     "[TITLE]Film", "[AUTHOR]",
                                  "[SOURCE]",          "[PRG]",       "[FILEPATH]",
                                  "[DELAY]0",          "[CD TRACK]0", "[COMMENT]",
                                  "[END INFORMATION]", "[SUBTITLE]",  "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial"};
        const QStringList body {
            "00:00:20.19,00:00:22.59", "Hello[br]there", "", "00:00:23.00,00:00:25.5", "Two", "lines"};
        const QStringList both {"20190-22590 Hello|there", "23000-25500 Two|lines"};
        row("with its header", header + body, both, QStringList {loaded.arg(2)});
        row("without a header", body, both, QStringList {loaded.arg(2)});
        row("text outside a subtitle", QStringList {"stray"} + body + QStringList {"", "after"}, both,
            QStringList {loaded.arg(2)});
        row("[BR] in capitals, one-digit hours", QStringList {"0:00:01.00,0:00:02.00", "a[BR]b"},
            QStringList {"1000-2000 a|b"}, QStringList {loaded.arg(1)});
        row("same start, end before start, out of sequence",
            QStringList {"00:00:05.00,00:00:06.00", "a", "", "00:00:05.05,00:00:07.00", "b", "",
                         "00:00:09.00,00:00:08.00", "c", "", "00:00:08.00,00:00:09.00", "d"},
            QStringList {"5000-7000 a|b", "9000-9040 c"},
            QStringList {"1 Up: out of sequence #10", loaded.arg(2), skipped.arg(1),
                         "1 Up: 1 subs joined with the one before (same start)", repaired(1, "end before start")});
        row("SubRip times are no SubViewer times",
            QStringList {"00:00:01,000 --> 00:00:02,000", "a", "", "00:00:01,00,00:00:02,00", "b"}, QStringList(),
            QStringList {loaded.arg(0)});
    }
    void subViewer() { readAndCompare(SubtitleFormat::SubViewer); }

    void webVtt_data()
    {
        addColumns();
        const QString cue = QStringLiteral("00:00:01.000 --> 00:00:02.000");
        const QStringList a {"1000-2000 a"};
        row("header lines, identifiers, settings",
            QStringList {"WEBVTT - Netflix", "Kind: captions", "Language: en",
                         "X-TIMESTAMP-MAP=MPEGTS:900000,LOCAL:00:00:00.000", "", "1",
                         "00:00:01.000 --> 00:00:02.500 position:50%,line-left line:85% align:center", "Hello", "",
                         "intro-2", "00:00:03.000 --> 00:00:04.000", "Two", "lines"},
            QStringList {"1000-2500 Hello", "3000-4000 Two|lines"}, QStringList {loaded.arg(2)});
        row("hours left out, or of three digits",
            QStringList {"WEBVTT", "", "00:01.000 --> 00:02.000", "a", "", "266:00:00.000 --> 266:00:01.000", "b"},
            QStringList {"1000-2000 a", "957600000-957601000 b"}, QStringList {loaded.arg(2)});
        row("short and missing fractions", QStringList {"WEBVTT", "", "00:01 --> 00:02.04", "a"},
            QStringList {"1000-2040 a"}, QStringList {loaded.arg(1)});
        row("NOTE, STYLE and REGION blocks",
            QStringList {"WEBVTT", "", "NOTE a comment", "that goes on", "", "STYLE", "::cue { color: red }", "",
                         "REGION", "id:fred width:40%", "", cue, "a", "", "NOTE after a cue", "",
                         "00:00:03.000 --> 00:00:04.000", "b"},
            QStringList {"1000-2000 a", "3000-4000 b"}, QStringList {loaded.arg(2)});
        row("old Region lines in the header",
            QStringList {"WEBVTT", "Region: id=fred width=40%", "Region: id=bill width=40%", "", cue + " region:fred",
                         "a"},
            a, QStringList {loaded.arg(1)});
        row("no blank line after the header or between cues",
            QStringList {"WEBVTT", cue, "a", "00:03.000 --> 00:04.000", "b"},
            QStringList {"1000-2000 a", "3000-4000 b"}, QStringList {loaded.arg(2)});
        row("tags",
            QStringList {"WEBVTT", "", cue, "<i>It</i> <b.loud>is</b> <u>so</u>",
                         "<c.colorCCCCCC>grey</c> <v Roger>I said</v> <v.loud Esme Weatherwax>hi",
                         QString::fromUtf8("<lang en>word</lang> <ruby>漢<rt>kan</rt></ruby> one<00:00:01.500>two")},
            QStringList {QString::fromUtf8("1000-2000 <i>It</i> <b>is</b> <u>so</u>|grey I said hi|word 漢kan onetwo")},
            QStringList {loaded.arg(1)});
        row("entities",
            QStringList {"WEBVTT", "", cue, "&amp; &lt;3 &gt; a&nbsp;b &lrm;x&rlm; &#233; &#x1F600; &copy; & alone"},
            QStringList {QString::fromUtf8("1000-2000 & <3 > a b \u200ex\u200f é 😀 &copy; & alone")},
            QStringList {loaded.arg(1)});
        row("an arrow in the text", QStringList {"WEBVTT", "", cue, "she said --> go"},
            QStringList {"1000-2000 she said --> go"}, QStringList {loaded.arg(1)});
        row("a cue without text", QStringList {"WEBVTT", "", cue, "", "00:03.000 --> 00:04.000", "b"},
            QStringList {"3000-4000 b"}, QStringList {loaded.arg(1)});
        row("lines that are no time lines",
            QStringList {"WEBVTT", "", "00:01.000 -> 00:02.000", "lost", "", "00:01.000 --> ", "lost", "",
                         "01.000 --> 02.000", "lost", "", "00:03.000 --> 00:04.000", "b"},
            QStringList {"3000-4000 b"}, QStringList {loaded.arg(1)});
        row("same start, end before start",
            QStringList {"WEBVTT", "", "00:01.000 --> 00:02.000", "a", "", "00:01.000 --> 00:03.000", "b", "",
                         "00:05.000 --> 00:04.000", "Hello there"},
            QStringList {"1000-3000 a|b", "5000-5440 Hello there"},
            QStringList {loaded.arg(2), "1 Up: 1 subs joined with the one before (same start)",
                         repaired(1, "end before start")});
    }
    void webVtt() { readAndCompare(SubtitleFormat::WebVtt); }

    void formatNames()
    {
        QCOMPARE(formatName(SubtitleFormat::SubRip), QStringLiteral("SubRip"));
        QCOMPARE(formatName(SubtitleFormat::MicroDvd), QStringLiteral("MicroDVD"));
        QCOMPARE(formatName(SubtitleFormat::Mpl2), QStringLiteral("MPL2"));
        QCOMPARE(formatName(SubtitleFormat::SubViewer), QStringLiteral("SubViewer 2.0"));
        QCOMPARE(formatName(SubtitleFormat::WebVtt), QStringLiteral("WebVTT"));
        QCOMPARE(formatName(SubtitleFormat::Ass), QStringLiteral("Advanced SubStation"));
    }

    void sniffing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<SubtitleFormat>>("format");
        const std::optional<SubtitleFormat> none, srt = SubtitleFormat::SubRip, sub = SubtitleFormat::MicroDvd,
                                                  mpl2 = SubtitleFormat::Mpl2, viewer = SubtitleFormat::SubViewer,
                                                  vtt = SubtitleFormat::WebVtt, ass = SubtitleFormat::Ass;
        QString manySubRip, longPreamble;
        for (int i = 0; i < 20; ++i)
            manySubRip += QStringLiteral("%1\n%2\nline\n\n").arg(i + 1).arg(formatTimeLine(i * 1000, i * 1000 + 500));
        for (int i = 0; i < 3000; ++i)
            longPreamble += QStringLiteral("note %1\n").arg(i);
        row("SubRip", "1\n00:00:01,000 --> 00:00:02,000\nHi\n", srt);
        row("SubRip with broken arrows", "1\r\n00:00:49,000 - > 00:00:51,240\r\nHola\r\n", srt);
        row("SubRip after blank lines and a mark", QString::fromUtf8("\xEF\xBB\xBF\n\n\n0:00:01 --> 0:00:02\nHi"), srt);
        row("MicroDVD", "{25}{50}Hello\n{75}{100}Again\n", sub);
        row("MicroDVD declaring its rate", "{1}{1}29.970\n{0}{180}PIRATES\n", sub);
        row("MPL2", "[10][25]Hello\n[30][52]/Again\n", mpl2);
        row("SubViewer 2.0",
            "[INFORMATION]\n[TITLE]x\n[END INFORMATION]\n[SUBTITLE]\n00:00:20.19,00:00:22.59\nHi[br]there\n", viewer);
        row("WebVTT", "WEBVTT\n\n00:01.000 --> 00:02.000\nHi\n", vtt);
        row("WebVTT with a mark and a title", QString::fromUtf8("\xEF\xBB\xBFWEBVTT - Film\r\n\r\nNOTE x\r\n"), vtt);
        row("WebVTT without cues", "WEBVTT", vtt);
        row("WebVTT times without the header", "00:01.000 --> 00:02.000\nHi\n", vtt);
        row("SubRip whose text says WEBVTT", "1\n00:00:01,000 --> 00:00:02,000\nWEBVTT\n", srt);
        row("a word that starts with WEBVTT", "WEBVTTX\n00:00:01,000 --> 00:00:02,000\nHi\n", srt);
        row("SubStation before any time line",
            "[Script Info]\nTitle: 00:00:01,000 --> 00:00:02,000\n\n[Events]\nFormat: Layer, Start, End, Style, Text\n"
            "Dialogue: 0,0:00:01.00,0:00:02.00,Default,Hi\n",
            ass);
        row("the majority of the first timed lines", "[1][2] a note\n\n" + manySubRip, srt);
        row("timed lines after a long preamble", longPreamble + manySubRip, srt);
        row("an error page",
            "<!DOCTYPE html>\n<html><body><h1>404 Not Found</h1><p>Try at 12:30:00.</p></body></html>\n", none);
        row("empty", "", none);
        row("blank lines and numbers", "\n\n1\n2\n\n", none);
    }
    void sniffing()
    {
        QFETCH(QString, text);
        QTEST(sniffFormat(text), "format");
        // What the sniffer calls no subtitles, no reader reads anything from.
        if (!sniffFormat(text)) {
            for (const FormatInfo &info : formatTable()) {
                readSubtitles(up, text, info.format, request(25000, false, 0, QStringLiteral("x")), log);
                QCOMPARE(up.count, 0);
            }
        }
    }

    void declaredRate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rate");
        row("29.970", "{1}{1}29.970\r\n{25}{50}a", 29970);
        row("25.0 in frame 0", "{0}{0}25.0\n{25}{50}a", 25000);
        row("23.976", "{1}{1}23.976\n", 23976);
        row("24", "{1}{1}24\n", 24000);
        row("29.97", "{0}{0}29.97", 29970);
        row("after blank lines", "\n\n{1}{1}25.000\n", 25000);
        row("not a prompt rate", "{1}{1}30\n{25}{50}a", 0);
        row("rounded NTSC", "{1}{1}23.98\n", 0);
        row("other frames", "{2}{2}25\n", 0);
        row("not the first subtitle", "{25}{50}a\n{1}{1}25\n", 0);
        row("a subtitle", "{1}{5}25\n", 0);
        row("SubRip", "1\n00:00:01,000 --> 00:00:02,000\n25\n", 0);
        row("empty", "", 0);
    }
    void declaredRate()
    {
        QFETCH(QString, text);
        QTEST(declaredFrameRate(text), "rate");
        // The reader declares the same rate in its log, or none.
        QFETCH(int, rate);
        readSubtitles(up, text, SubtitleFormat::MicroDvd, request(25000, false, 0, QStringLiteral("x")), log);
        QCOMPARE(log.joined().contains(QStringLiteral("declared by the file")), rate > 0);
        log.clear();
    }

    // Appending puts MPL2 and SubViewer subtitles behind the set, as the other formats.
    void append()
    {
        readSubtitles(up, "[10][20]a\n", SubtitleFormat::Mpl2, request(25000, false, 0, QStringLiteral("x")), log);
        readSubtitles(up, "00:00:01.00,00:00:02.00\nb\n", SubtitleFormat::SubViewer,
                      request(25000, true, 100, QStringLiteral("y")), log);
        readSubtitles(up, "[0][5]c\n", SubtitleFormat::Mpl2, request(25000, true, 0, QStringLiteral("z")), log);
        QCOMPARE(describe(up), (QStringList {"1000-2000 a", "3100-4100 b", "4100-4600 c"}));
        QCOMPARE(log.lines.last(), QStringLiteral("Up: 1 subs appended from z"));
        QCOMPARE(up.frameRate, 25000); // only a MicroDVD load sets it
        log.clear();
    }

    // Small files with the quirks of real ones, in the codings they come in.
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<std::optional<SubtitleFormat>>("format");
        QTest::addColumn<QStringList>("subs");
        QTest::addColumn<QStringList>("log");
        const QString from = QStringLiteral("2 Up: %1 subs loaded from %2");
        row("broken arrows", "realfile_broken_arrow_cp1252.srt", "Windows-1252", std::optional(SubtitleFormat::SubRip),
            QStringList {QString::fromUtf8("49000-51240 ¿Dónde está la estación?"),
                         QString::fromUtf8("51500-53000 No lo sé, señor."), QString::fromUtf8("53200-55000 Adiós.")},
            QStringList {from.arg(3).arg("realfile_broken_arrow_cp1252.srt"), repaired(3, "broken arrow")});
        row("short times", "realfile_short_times_utf16le.srt", "UTF-8", std::optional(SubtitleFormat::SubRip),
            QStringList {"99000-101040 (deep rumbling)", "124080-127120 MAN:|How did we end up here?",
                         "132500-135200 This place is horrible."},
            QStringList {from.arg(3).arg("realfile_short_times_utf16le.srt"), repaired(3, "short fraction"),
                         repaired(1, "no fraction"), repaired(1, "short field")});
        row("no blank lines", "realfile_no_blank_lines.srt", "UTF-8", std::optional(SubtitleFormat::SubRip),
            QStringList {"1000-2000 First", "3000-4000 Second|line", "5000-6000 Third"},
            QStringList {from.arg(3).arg("realfile_no_blank_lines.srt"), repaired(2, "no blank line")});
        row("declared rate", "realfile_declared_rate_cp1252.sub", "Windows-1252",
            std::optional(SubtitleFormat::MicroDvd),
            QStringList {"0-6006 PIRATES|English subtitles", QString::fromUtf8("10010-14014 Wait…|{y:i}listen.")},
            QStringList {"2 Up: frame rate 29.970 declared by the file",
                         from.arg(2).arg("realfile_declared_rate_cp1252.sub")});
        row("MPL2", "realfile_mpl2_cp1250.srt", "Windows-1250", std::optional(SubtitleFormat::Mpl2),
            QStringList {QString::fromUtf8("1000-2500 Cześć, jak się masz?"), "3000-5200 <i>Dobrze.</i>|A ty?",
                         QString::fromUtf8("6000-7500 Żółw.")},
            QStringList {from.arg(3).arg("realfile_mpl2_cp1250.srt")});
        row("SubViewer", "realfile_subviewer.sub", "UTF-8", std::optional(SubtitleFormat::SubViewer),
            QStringList {"20190-22590 Hello there.|How are you?", "23000-25500 Fine."},
            QStringList {from.arg(2).arg("realfile_subviewer.sub")});
        row("WebVTT of a streaming service", "realfile_streaming.vtt", "UTF-8", std::optional(SubtitleFormat::WebVtt),
            QStringList {"1200-3400 [door creaks]", "4000-6250 Tom & Jerry's place?|<i>Not yet.</i>",
                         "6250-8000 Wait for <b>me</b>!"},
            QStringList {from.arg(3).arg("realfile_streaming.vtt")});
        row("WebVTT without hours", "realfile_short_hours.vtt", "UTF-8", std::optional(SubtitleFormat::WebVtt),
            QStringList {"5000-6500 Short times,|no hours.", "65000-67000 Bonjour <3|Same start as the one before."},
            QStringList {from.arg(2).arg("realfile_short_hours.vtt"),
                         "1 Up: 1 subs joined with the one before (same start)"});
        row("no subtitles", "realfile_not_subtitles.srt", "UTF-8", std::optional<SubtitleFormat>(), QStringList(),
            QStringList());
    }
    void fixtures()
    {
        QFETCH(QString, file);
        QFETCH(QString, coding);
        QFETCH(std::optional<SubtitleFormat>, format);
        const QByteArray bytes = readFile(fixture(file));
        QVERIFY(!bytes.isEmpty());
        const QString text
            = QTextCodec::codecForUtfText(bytes, QTextCodec::codecForName(coding.toLatin1()))->toUnicode(bytes);
        QCOMPARE(sniffFormat(text), format);
        log.clear();
        up.clear();
        if (format)
            readSubtitles(up, text, *format, request(declaredFrameRate(text), false, 0, file), log);
        QTEST(describe(up), "subs");
        QTEST(log.withLevels(), "log");
    }
};

QTEST_GUILESS_MAIN(TestRealFiles)
#include "tst_realfiles.moc"
