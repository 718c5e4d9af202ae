// WebVTT as media servers read it: FFmpeg (which they use) takes every file
// we write without a warning, finds every cue, and reads their text as we
// meant it, the style block of the coloured merged file included.

#include "testutil.h"

#include "core/session.h"

#include <QtTest>

using namespace testutil;

class TestWebVttFfmpeg : public QObject, SessionFixture
{
    Q_OBJECT

private slots:
    void readsWhatWasWritten_data()
    {
        QTest::addColumn<int>("what"); // 0: one set, 1: merged, 2: merged with colours and the dot
        QTest::addColumn<QStringList>("texts"); // in the events FFmpeg makes of the first cues
        row("one set", 0,
            QStringList {"{\\i1}Tom & Jerry{\\i0}\\N<3 -->", "a\\N \\Nb", "red", "{\\b1}Bold\\Ntwo{\\b0}"});
        row("merged", 1,
            QStringList {"Morning, Elena. You're early.\\N{\\b1} {\\b0}\\NBuenos d\u00edas, Elena. Llegas temprano."});
        row("merged with colours", 2,
            QStringList {"Morning, Elena. You're early.\\N{\\b1} {\\b0}\\NBuenos d\u00edas, Elena. Llegas temprano.",
                         "The train was empty for once.\\N{\\b1} {\\b0}\\N."});
    }
    void readsWhatWasWritten()
    {
        QFETCH(int, what);
        QFETCH(QStringList, texts);
        SubtitleSet *saved = &session.upper;
        if (what == 0) {
            fillSet(
                session.upper,
                {"1000/2000 <i>Tom & Jerry</i>|<3 -->", "5000/6000 a||b", "7000/8000 <font color=#ff0000>red</font>"});
            session.upper.append(9000, 10000, QStringLiteral("{y:b}Bold|two"), false);
        } else {
            QVERIFY(session.loadFile(session.upper, fixture("pair_upper.srt"), QStringLiteral("UTF-8"), 0, false));
            QVERIFY(session.loadFile(session.lower, fixture("pair_lower.srt"), QStringLiteral("UTF-8"), 0, false));
            session.options.colorTags = what == 2;
            session.options.lastLine = LastLineStyle::Dot;
            session.process(SubtitleFormat::WebVtt);
            saved = &session.merged;
        }
        log.clear();
        const QString file = path(QStringLiteral("out.vtt"));
        QVERIFY(session.saveFile(*saved, file, QStringLiteral("UTF-8"), 25000));
        const int written = log.lines.last().section(QLatin1Char(' '), 1, 1).toInt();
        QVERIFY(written >= texts.size());

        const FfmpegReading read = readWithFfmpeg(file, path(QStringLiteral("copy.ass")));
        QVERIFY2(read.problems.isEmpty(), qPrintable(read.problems));
        QCOMPARE(read.packets, written);
        QCOMPARE(read.events.size(), written);
        QCOMPARE(read.events.mid(0, texts.size()), texts);
    }
};

QTEST_GUILESS_MAIN(TestWebVttFfmpeg)
#include "tst_webvttffmpeg.moc"
