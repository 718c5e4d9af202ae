// Reading SubStation Alpha and Advanced SubStation scripts: sections and
// Format lines as real scripts have them, override tags to this program's
// tags, styles, effect copies and what is left out; telling a script by its
// content; loading one through the session, also behind a wrong byte-order
// mark. Rows give the script's lines, the subtitles as "start-end text" and
// the log as "level line".

#include "testutil.h"

#include "core/codings.h"
#include "core/formats/substation.h"

#include <QtTest>

using namespace testutil;

namespace {

const QString loaded = QStringLiteral("2 Up: %1 subs loaded from x.ass");

QString leftOut(int count, const char *kind)
{
    return QStringLiteral("1 Up: %1 %2 left out").arg(count).arg(QLatin1String(kind));
}

// An Advanced SubStation script with an italic and a bold style, and its events.
QStringList assScript(const QStringList &events)
{
    return QStringList {"[Script Info]",
                        "ScriptType: v4.00+",
                        "",
                        "[V4+ Styles]",
                        "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, "
                        "Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, "
                        "Shadow, Alignment, MarginL, MarginR, MarginV, Encoding",
                        "Style: Default,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,2,"
                        "2,2,10,10,10,1",
                        "Style: Thoughts,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,-1,0,0,100,100,0,0,1,"
                        "2,2,2,10,10,10,1",
                        "Style: Sign,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,-1,0,0,0,100,100,0,0,1,2,2,"
                        "8,10,10,10,1",
                        "",
                        "[Events]",
                        "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text"}
    + events;
}

QString dialogue(const char *times, const QString &text, const char *style = "Default", int layer = 0)
{
    const QStringList t = QString::fromLatin1(times).split(QLatin1Char(' '));
    return QStringLiteral("Dialogue: %1,%2,%3,%4,,0,0,0,,%5").arg(layer).arg(t[0], t[1], QLatin1String(style), text);
}

} // namespace

class TestSubStation : public QObject, SessionFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        up.clear();
        log.clear();
    }

    void reading_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("subs");
        QTest::addColumn<QStringList>("log");
        row("events, extra commas kept in the text",
            assScript({dialogue("0:00:01.00 0:00:02.50", "One, two,three"),
                       dialogue("0:00:03.00 0:00:04.00", "Second\\Nline")}),
            QStringList {"1000-2500 One, two,three", "3000-4000 Second|line"}, QStringList {loaded.arg(2)});
        row("section names in any case, the style's italic",
            QStringList {"[SCRIPT INFO]", "[v4+ styles]", "Format: Name, Bold, Italic", "Style: Quiet,0,-1", "[EVENTS]",
                         "format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text",
                         "dialogue: 0,0:00:01.00,0:00:02.00,Quiet,,0,0,0,,psst"},
            QStringList {"1000-2000 <i>psst</i>"}, QStringList {loaded.arg(1)});
        row("Format fields in another order and fewer",
            QStringList {"[Events]", "Format: End, Start, Text", "Dialogue: 0:00:02.00,0:00:01.00,a, b"},
            QStringList {"1000-2000 a, b"}, QStringList {loaded.arg(1)});
        row("Comment lines skipped, events sorted by start, equal starts in file order",
            assScript({dialogue("0:00:09.00 0:00:10.00", "last"),
                       "Comment: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,note",
                       dialogue("0:00:01.00 0:00:02.00", "first"), dialogue("0:00:05.00 0:00:06.00", "middle")}),
            QStringList {"1000-2000 first", "5000-6000 middle", "9000-10000 last"}, QStringList {loaded.arg(3)});
        row("flags and colours to tags",
            assScript({dialogue("0:00:01.00 0:00:02.00", "{\\i1}it{\\i0} {\\b1}bo{\\b0} {\\u1}un{\\u0} {\\s1}st{\\s0}"),
                       dialogue("0:00:03.00 0:00:04.00", "{\\c&H0000FF&}red{\\c} {\\1c&HFF8800&}blue"),
                       dialogue("0:00:05.00 0:00:06.00", "{\\i1}a{\\b1}b{\\i0}c")}),
            QStringList {"1000-2000 <i>it</i> <b>bo</b> <u>un</u> <s>st</s>",
                         "3000-4000 <font color=#ff0000>red</font> <font color=#0088ff>blue</font>",
                         "5000-6000 <i>a<b>b</b></i><b>c</b>"},
            QStringList {loaded.arg(3)});
        row("line breaks and hard spaces",
            assScript({dialogue("0:00:01.00 0:00:02.00", "\\NOne\\nTwo\\N\\NThree\\hand\\h\\hfour\\N")}),
            QStringList {"1000-2000 One|Two|Three and four"}, QStringList {loaded.arg(1)});
        row("other overrides dropped, animated ones too",
            assScript({dialogue("0:00:01.00 0:00:02.00",
                                "{\\an8\\pos(10,20)\\fad(200,200)\\bord2\\shad1\\be1\\blur3\\fnArial\\fs30\\frz10"
                                "\\3c&H000000&\\alpha&H80&\\clip(0,0,5,5)\\iclip(1,1,2,2)\\t(0,500,\\i1\\c&HFF&)}Sign"
                                "{comment} text")}),
            QStringList {"1000-2000 Sign text"}, QStringList {loaded.arg(1)});
        row("drawings dropped, an event of one skipped",
            assScript({dialogue("0:00:01.00 0:00:02.00", "{\\p1}m 0 0 l 100 0 100 100{\\p0}"),
                       dialogue("0:00:03.00 0:00:04.00", "Look {\\p2}m 0 0 b 1 1 2 2{\\p0}here"),
                       dialogue("0:00:05.00 0:00:06.00", "{\\pos(5,5)\\p1\\pbo5}m 1 1 l 2 2")}),
            QStringList {"3000-4000 Look here"}, QStringList {loaded.arg(1), leftOut(2, "drawings")});
        row("karaoke dropped, its text kept",
            assScript({dialogue("0:00:01.00 0:00:05.00", "{\\k20}Ko{\\kf35}no {\\K10\\ko5}u{\\kt10}ta")}),
            QStringList {"1000-5000 Kono uta"}, QStringList {loaded.arg(1)});
        row("the style's italic and bold, \\r and an unknown or starred name",
            assScript({dialogue("0:00:01.00 0:00:02.00", "I think{\\i0} so", "Thoughts"),
                       dialogue("0:00:03.00 0:00:04.00", "EXIT{\\b0} here{\\r}!", " *Sign"),
                       dialogue("0:00:05.00 0:00:06.00", "plain{\\rThoughts} thought", "NoSuchStyle"),
                       dialogue("0:00:07.00 0:00:08.00", "{\\rnd3}still{\\rSign} loud", "Thoughts")}),
            QStringList {"1000-2000 <i>I think</i> so", "3000-4000 <b>EXIT</b> here<b>!</b>",
                         "5000-6000 plain <i>thought</i>", "7000-8000 <i>still</i> <b>loud</b>"},
            QStringList {loaded.arg(4)});
        // A glow under the text, and a border layer above: the top layer's colour is the one seen.
        row("effect copies kept once",
            assScript({dialogue("0:00:01.00 0:00:03.00", "{\\blur5\\c&H000000&}Shop", "Sign", 0),
                       dialogue("0:00:01.00 0:00:03.00", "{\\c&H00FFFF&}Shop", "Sign", 2),
                       dialogue("0:00:01.00 0:00:03.00", "{\\bord3}Shop", "Sign", 1),
                       dialogue("0:00:05.00 0:00:06.00", "Again"), dialogue("0:00:05.00 0:00:06.00", "{\\i1}Again")}),
            QStringList {"1000-3000 <font color=#ffff00><b>Shop</b></font>", "5000-6000 Again"},
            QStringList {loaded.arg(2), leftOut(3, "effect copies")});
        row("zero-length, reversed, unreadable and empty events left out",
            assScript({dialogue("0:00:01.00 0:00:01.00", "zero"), dialogue("0:00:03.00 0:00:02.00", "reversed"),
                       dialogue("0:00:0x.00 0:00:05.00", "bad time"), "Dialogue: 0,0:00:05.00,0:00:06.00,Default",
                       dialogue("0:00:07.00 0:00:08.00", "{\\pos(1,1)} \\h\\N"),
                       dialogue("0:00:09.00 0:00:10.00", "kept")}),
            QStringList {"9000-10000 kept"},
            QStringList {loaded.arg(1), leftOut(2, "unreadable events"), leftOut(1, "zero-length events"),
                         leftOut(1, "events ending before they start"), leftOut(1, "events without text")});
        row("events starting together join as lines",
            assScript({dialogue("0:00:01.00 0:00:03.00", "Bottom"), dialogue("0:00:01.05 0:00:04.00", "Top", "Sign"),
                       dialogue("0:00:01.20 0:00:02.00", "Apart")}),
            QStringList {"1000-4000 Bottom|<b>Top</b>", "1200-2000 Apart"},
            QStringList {loaded.arg(2), "1 Up: 1 subs joined with the one before (same start)"});
        row("SubStation Alpha v4",
            QStringList {"[Script Info]", "ScriptType: v4.00", "[V4 Styles]",
                         "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, TertiaryColour, "
                         "BackColour, Bold, Italic, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, "
                         "MarginV, AlphaLevel, Encoding",
                         "Style: Default,Arial,26,65535,65535,65535,-2147483640,-1,0,1,3,0,2,30,30,30,0,0", "",
                         "[Events]", "Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text",
                         "Dialogue: Marked=0,0:00:55.25,0:00:59.40,*Default,,0000,0000,0000,,- One.\\n- "
                         "{\\i1}Two{\\i0}."},
            QStringList {"55250-59400 <b>- One.|- <i>Two</i>.</b>"}, QStringList {loaded.arg(1)});
        row("times: long hours, short and long fractions, spaces",
            QStringList {"Dialogue: 0, 10:00:00.5 , 10:00:01.255,Default,,0,0,0,,a",
                         "Dialogue: 0,100:00:00.00,100:00:01.00,Default,,0,0,0,,b"},
            QStringList {"36000500-36001255 a", "360000000-360001000 b"}, QStringList {loaded.arg(2)});
        // As this program writes them: braces and backslashes that are text.
        row("escaped braces and backslashes",
            assScript({dialogue("0:00:01.00 0:00:02.00", QString::fromUtf8("the \\{old\\} bins in C:\\\u2060New"))}),
            QStringList {"1000-2000 the {old} bins in C:\\New"}, QStringList {loaded.arg(1)});
    }
    void reading()
    {
        QFETCH(QStringList, lines);
        for (const char *end : {"\n", "\r\n"}) {
            log.clear();
            readSubStation(up, lines.join(QLatin1String(end)), false, 0, QStringLiteral("x.ass"), log);
            QTEST(describe(up), "subs");
            QTEST(log.withLevels(), "log");
            for (int i = 0; i < up.count; ++i) {
                QVERIFY(up.at(i).angleTags);
                QCOMPARE(up.at(i).visibleLength, visibleLengthOf(up.at(i).text, TagStyle::SubRip));
            }
        }
    }

    void eventText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QString>("expected");
        row("plain", "Hello, world", false, false, "Hello, world");
        row("style italic and bold over lines", "one\\Ntwo", true, true, "<i><b>one\ntwo</b></i>");
        row("\\i back to the style's", "{\\i0}up{\\i}right", true, false, "up<i>right</i>");
        row("closing before the space, opening after", "a{\\i1} b {\\i0}c", false, false, "a <i>b</i> c");
        row("bold weights", "{\\b700}heavy{\\b400}normal", false, false, "<b>heavy</b>normal");
        row("short colour", "{\\c&HFF&}red", false, false, "<font color=#ff0000>red</font>");
        row("a brace never closed is text", "{sic", false, false, "{sic");
        row("only a drawing", "{\\p1}m 0 0 l 1 1", false, false, "");
    }
    void eventText()
    {
        QFETCH(QString, text);
        QFETCH(bool, italic);
        QFETCH(bool, bold);
        QTEST(subStationEventText(text, italic, bold), "expected");
    }

    // A Matroska track: the styles from its header, the text from its packets.
    void packets()
    {
        const SubStationStyles styles = SubStationStyles::fromHeader(assScript({}).join(QLatin1Char('\n')));
        QCOMPARE(subStationPacketText("3,0,Thoughts,,0,0,0,,Hm, well\\Nyes", styles),
                 QStringLiteral("<i>Hm, well\nyes</i>"));
        QCOMPARE(subStationPacketText("4,1,Default,,0,0,0,,{\\rSign}Exit", styles), QStringLiteral("<b>Exit</b>"));
        QCOMPARE(subStationPacketText("5,0,Default,too few", styles), QString());
    }

    void sniffing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("script");
        QString comments;
        for (int i = 0; i < 50; ++i)
            comments += QStringLiteral("; note %1\n").arg(i);
        row("Script Info", "[Script Info]\nTitle: x\n", true);
        row("lower case, after blank lines", "\n\n  [script info]  \r\n", true);
        row("Events after comments", comments + "[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,,,0,0,0,,a\n", true);
        row("styles section first", "[V4+ Styles]\nStyle: Default,Arial\n", true);
        row("Dialogue lines alone", "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Hi\n", true);
        row("SubRip", "1\n00:00:01,000 --> 00:00:02,000\nHi\n", false);
        row("SubRip saying Dialogue", "1\n00:00:01,000 --> 00:00:02,000\nDialogue: none at all\n", false);
        row("MicroDVD", "{1}{25}[Events]\n", false);
        row("empty", "", false);
    }
    void sniffing()
    {
        QFETCH(QString, text);
        QTEST(looksLikeSubStation(text), "script");
    }

    // Appended behind the set; one starting too close to its last subtitle
    // (which belongs to another file) is skipped.
    void append()
    {
        up.append(0, 10000, QStringLiteral("there"));
        readSubStation(up,
                       assScript({dialogue("0:00:00.00 0:00:01.00", "early"), dialogue("0:00:02.00 0:00:03.00", "b")})
                           .join(QLatin1Char('\n')),
                       true, 500, QStringLiteral("x.ass"), log);
        QCOMPARE(describe(up), (QStringList {"0-10000 there", "10500-11500 early", "12500-13500 b"}));
        QCOMPARE(log.withLevels(), QStringList {"2 Up: 2 subs appended from x.ass"});

        up.clear();
        up.append(5000, 4950, QStringLiteral("ends early"));
        log.clear();
        readSubStation(up, dialogue("0:00:00.00 0:00:01.00", "close") + "\n" + dialogue("0:00:01.00 0:00:02.00", "ok"),
                       true, 0, QStringLiteral("x.ass"), log);
        QCOMPARE(describe(up), (QStringList {"5000-4950 ends early", "5950-6950 ok"}));
        QCOMPARE(log.withLevels(), (QStringList {"2 Up: 1 subs appended from x.ass", "2 Up: 1 subs skipped"}));
    }

    void capacity()
    {
        // Last first: the earliest are kept, whatever the order of the file.
        QStringList events;
        for (int i = SubtitleSet::Capacity + 4; i >= 0; --i)
            events << QString::asprintf("Dialogue: 0,%d:%02d:%02d.00,%d:%02d:%02d.50,,,0,0,0,,sub %d", i / 3600,
                                        i / 60 % 60, i % 60, i / 3600, i / 60 % 60, i % 60, i + 1);
        readSubStation(up, events.join(QLatin1Char('\n')), false, 0, QStringLiteral("x.ass"), log);
        QCOMPARE(up.count, SubtitleSet::Capacity);
        QCOMPARE(up.at(up.count - 1).text, QStringLiteral("sub 20000"));
        QCOMPARE(log.withLevels(), (QStringList {"0 Up: too many lines", loaded.arg(SubtitleSet::Capacity)}));
    }

    // Scripts no one would write load in time all the same: many events at
    // one start, braces that never close.
    void hostile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lastLength");
        QTest::addColumn<QStringList>("log");
        const QString event = QStringLiteral("Dialogue: 0,0:00:01.00,0:00:02.00,,,0,0,0,,");
        QString distinct, copies;
        for (int i = 0; i < 100000; ++i) {
            distinct += event + QStringLiteral("line %1\n").arg(i, 6, 10, QLatin1Char('0'));
            copies += event + QStringLiteral("{\\bord%1}copy\n").arg(i);
        }
        row("100000 events at one start", distinct, 100000 * 12 - 1,
            QStringList {loaded.arg(1), "1 Up: 99999 subs joined with the one before (same start)"});
        row("100000 copies", copies, 4, QStringList {loaded.arg(1), leftOut(99999, "effect copies")});
        row("a million braces", event + QString(1000000, QLatin1Char('{')), 1000000, QStringList {loaded.arg(1)});
        row("a million braces, one closing", event + QString(1000000, QLatin1Char('{')) + "}x", 1,
            QStringList {loaded.arg(1)});
    }
    void hostile()
    {
        QFETCH(QString, text);
        QElapsedTimer timer;
        timer.start();
        readSubStation(up, text, false, 0, QStringLiteral("x.ass"), log);
        // Reading each of them takes well under a second; quadratic work would take minutes.
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(up.count, 1);
        QTEST(up.at(0).text.size(), "lastLength");
        QTEST(log.withLevels(), "log");
    }

    // Through the session: a script by its content, whatever its name; a
    // UTF-8 mark before Windows-1252 text is ignored and said so.
    void loading_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("coding");
        QTest::addColumn<QStringList>("log");
        const QByteArray script = assScript({dialogue("0:00:01.00 0:00:02.00", "Hi")}).join(QLatin1Char('\n')).toUtf8();
        const QByteArray marked = readFile(fixture("substation_utf8_mark_cp1252.ssa"));
        const QString markIgnored
            = QStringLiteral("1 Up: byte-order mark says UTF-8, but the text is not: mark ignored");
        const QString fromFilm = QStringLiteral("2 Up: %1 subs loaded from film.%2");
        row(".ass", "film.ass", script, "UTF-8", QStringList {fromFilm.arg(1).arg("ass")});
        row(".ssa", "film.ssa", script, "UTF-8", QStringList {fromFilm.arg(1).arg("ssa")});
        row(".txt", "film.txt", script, "UTF-8",
            QStringList {"1 Up: film.txt read as Advanced SubStation", fromFilm.arg(1).arg("txt")});
        row("wrong mark, detected", "film.ssa", marked, Codings::autoDetect(),
            QStringList {markIgnored, "1 Up: coding detected: WINDOWS-1252", fromFilm.arg(3).arg("ssa")});
        row("wrong mark, coding chosen", "film.ssa", marked, "Windows-1252",
            QStringList {markIgnored, fromFilm.arg(3).arg("ssa")});
    }
    void loading()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, coding);
        QVERIFY(session.loadFile(up, write(name, bytes), coding, 25000, false));
        QTEST(log.withLevels(), "log");
        if (up.count == 3)
            QCOMPARE(up.at(2).text, QString::fromUtf8("<b>¿Dónde está la estación?|Señor, ¡ya llegó!</b>"));
    }
};

QTEST_GUILESS_MAIN(TestSubStation)
#include "tst_substation.moc"
