// Process & Save through the session: the pipeline's log, byte-exact output
// of a small pair, the header subtitle, and the suffix that picks the style.

#include "testutil.h"

#include "core/codings.h"
#include "core/session.h"

#include <QDir>
#include <QtTest>

using namespace testutil;

class TestProcess : public QObject, TempDir
{
    Q_OBJECT

private:
    // Process, then save the merged set as the window's Process & Save does,
    // answering 25 frames per second for MicroDVD.
    static void processAndSave(Session &session, const QString &path)
    {
        session.process(formatOfFileName(path));
        session.saveFile(session.merged, path, QStringLiteral("UTF-8"), 25000);
    }

private slots:
    // With colours: the dot placeholder too; MicroDVD at 25 frames per second.
    // WebVTT reads back as the frames it wrote.
    void golden_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("colours");
        row("srt", "pair.srt", false);
        row("sub, colours", "pair.sub", true);
        row("vtt, colours", "pair.vtt", true);
    }
    void golden()
    {
        QFETCH(QString, name);
        const QByteArray golden = readFile(fixture(QStringLiteral("pair_merged") + name.mid(4)));
        QVERIFY(!golden.isEmpty());
        CollectingLog log;
        Session session(log);
        QVERIFY(session.loadFile(session.upper, fixture("pair_upper.srt"), Codings::autoLocal(), 25000, false));
        QVERIFY(session.loadFile(session.lower, fixture("pair_lower.srt"), Codings::autoLocal(), 25000, false));
        QCOMPARE(session.upper.count + session.lower.count, 20);
        QFETCH(bool, colours);
        if (colours) {
            session.options.colorTags = true;
            session.options.upperColor = 0x12ab56;
            session.options.lowerColor = 0xffff00;
            session.options.lastLine = LastLineStyle::Dot;
        }
        log.clear();
        const QString out = path(name);
        processAndSave(session, out);
        QCOMPARE(log.lines,
                 (QStringList {"Up: 0 subs stretched", "Lw: 0 subs stretched", "Mx: 10 subs stretched",
                               "Mx: 19 subs saved to " + name}));
        QCOMPARE(log.levels, (QList<int> {4, 4, 4, 2}));
        QCOMPARE(readFile(out), golden);
        if (!name.endsWith(QLatin1String(".vtt")))
            return;
        SubtitleSet merged = session.merged;
        QVERIFY(session.loadFile(session.lower, out, Codings::autoDetect(), 0, false));
        for (int i = 0; i < merged.count; ++i) {
            merged.at(i).text.remove(QRegularExpression(QStringLiteral("</?c[^>]*>")));
            merged.at(i).normalize();
        }
        QCOMPARE(describe(session.lower), describe(merged));
    }

    void header_data()
    {
        QTest::addColumn<bool>("addHeader");
        QTest::addColumn<bool>("colours");
        QTest::addColumn<int>("cps");
        QTest::addColumn<QString>("text"); // empty: no header
        row("plain", true, false, 25, "Subtitles processed with|Twinscript");
        row("cps 10 does not stretch it", true, false, 10, "Subtitles processed with|Twinscript");
        row("coloured", true, true, 25,
            "<font color=#12ab56>Subtitles processed with</font>|"
            "<font color=#000000>Twinscript</font>");
        row("switched off", false, false, 25, "");
    }
    void header()
    {
        QFETCH(bool, addHeader);
        QFETCH(bool, colours);
        QFETCH(int, cps);
        QFETCH(QString, text);
        CollectingLog log;
        Session session(log);
        session.options.header = addHeader;
        session.options.colorTags = colours;
        session.options.upperColor = 0x12ab56;
        session.options.lowerColor = 0x000000;
        session.options.cps = cps;
        session.options.gap = 50;
        fillSet(session.upper, {QStringLiteral("1000/9000 Up")});
        fillSet(session.lower, {QStringLiteral("1000/9000 Low")});
        session.process(SubtitleFormat::SubRip);
        const SubtitleSet &merged = session.merged;
        QCOMPARE(merged.count, text.isEmpty() ? 1 : 2);
        QCOMPARE(merged.at(0).end, 9000); // 2000 ms away: the gap never shortens it
        if (text.isEmpty())
            return;
        const Subtitle &h = merged.at(1);
        QCOMPARE(h.text, text);
        QCOMPARE(h.start, 11000);
        QCOMPARE(h.end, 16000);
        QCOMPARE(h.visibleLength, 35);
        QCOMPARE(h.angleTags, false);
    }

    void suffixPicksFrameStyle_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text"); // of the first frame; empty: both sets empty
        const auto file = [](const char *name, const char *text) { row(name, name, text); };
        file("out.srt", "Up|<b> </b>|<b> </b>");
        file("OUT.SRT", "Up|<b> </b>|<b> </b>");
        file("out.sub", "Up| | ");
        file("out.vtt", "Up|<b> </b>|<b> </b>");
        file("out.txt", "Up| | ");
        file("out", "Up| | ");
        file("d.srt/out", "Up| | "); // ".srt" only in the folder's name
        // Both sets empty: no file in any format, however it would be written.
        file("empty.srt", "");
        file("empty.sub", "");
        file("empty.ass", "");
    }
    void suffixPicksFrameStyle()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("d.srt")));
        CollectingLog log;
        Session session(log);
        if (!text.isEmpty())
            session.upper.append(1000, 3000, QStringLiteral("Up"));
        processAndSave(session, path(name));
        if (text.isEmpty()) {
            QCOMPARE(log.lines.last(), QStringLiteral("Mx: nothing to save: both sets are empty"));
            QCOMPARE(log.levels.last(), int(LogWarning));
            QVERIFY(!QFile::exists(path(name)));
            return;
        }
        QCOMPARE(session.merged.at(0).text, text);
        QCOMPARE(log.lines.last(), QStringLiteral("Mx: 2 subs saved to %1").arg(QFileInfo(name).fileName()));
        QVERIFY(!readFile(path(name)).isEmpty());
    }
};

QTEST_MAIN(TestProcess)
#include "tst_process.moc"
