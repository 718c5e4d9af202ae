// Readability correction: stretching to the reading speed, the minimum gap,
// the merge times and the end sentinel the stacking engine walks onto.

#include "testutil.h"

#include "app/preferences.h"
#include "subtitles/mergeworkspace.h"

#include <QSpinBox>
#include <QtTest>

#include <limits>

using testutil::LogCapture;

namespace {

// "start/end:chars" items separated by spaces: subtitles with that many visible characters.
void fill(SubtitleSet &set, const QString &spec)
{
    set.reset();
    const QStringList items = spec.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const QStringList timesAndChars = item.split(QLatin1Char(':'));
        const QStringList times = timesAndChars[0].split(QLatin1Char('/'));
        Subtitle &s = set.records[size_t(set.count++)];
        s.start = times[0].toInt();
        s.end = times[1].toInt();
        s.angleTags = true;
        s.text = QString(timesAndChars[1].toInt(), QLatin1Char('x'));
        s.normalize();
    }
}

QString ends(const SubtitleSet &set)
{
    QStringList out;
    for (int i = 0; i < set.count; ++i)
        out << QString::number(set.records[size_t(i)].end);
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestCorrection : public QObject
{
    Q_OBJECT

private:
    QSpinBox cps;
    QSpinBox gap;

    void bind(int charsPerSecond, int minimumGap)
    {
        cps.setRange(10, 50);
        gap.setRange(0, 50);
        cps.setValue(charsPerSecond);
        gap.setValue(minimumGap);
        preferences().spinBox_cps = &cps;
        preferences().spinBox_gap = &gap;
    }

private slots:
    void init() { testutil::resetState(); }

    void correct_data()
    {
        QTest::addColumn<QString>("subs"); // start/end:visible characters
        QTest::addColumn<int>("cps");
        QTest::addColumn<int>("gap");
        QTest::addColumn<QString>("ends");
        QTest::addColumn<int>("stretched");

        QTest::newRow("stretched, no next") << "1000/2000:40" << 25 << 0 << "2600" << 1;
        QTest::newRow("37 chars truncate") << "1000/2000:37" << 25 << 0 << "2480" << 1;
        QTest::newRow("cut back by next, still counted") << "1000/2000:40 2300/4000:1" << 25 << 0 << "2300 4000" << 1;
        QTest::newRow("cut back with gap 50") << "1000/2000:40 2300/4000:1" << 25 << 50 << "2250 4000" << 1;
        QTest::newRow("overlap removed, not stretched") << "1000/5000:1 4000/6000:1" << 25 << 0 << "4000 6000" << 0;
        QTest::newRow("long enough") << "1000/3000:40 5000/6000:1" << 25 << 0 << "3000 6000" << 0;
        QTest::newRow("cps 10") << "0/1000:40" << 10 << 0 << "4000" << 1;
        QTest::newRow("gap kept exactly") << "0/950:1 1000/2000:1" << 25 << 50 << "950 2000" << 0;
        QTest::newRow("gap enforced") << "0/960:1 1000/2000:1" << 25 << 50 << "950 2000" << 0;
        QTest::newRow("zero chars never stretched") << "1000/1000:0" << 25 << 0 << "1000" << 0;
        QTest::newRow("end before start") << "1000/500:0" << 25 << 0 << "1000" << 1;
        QTest::newRow("next starts earlier: negative duration stays") << "1000/2000:1 900/3000:1" << 25 << 0
                                                                      << "900 3000" << 0;
        QTest::newRow("equal starts, gap 0: zero duration") << "1000/2000:1 1000/3000:1" << 25 << 0 << "1000 3000"
                                                            << 0;
        QTest::newRow("empty set") << "" << 25 << 0 << "" << 0;
    }
    void correct()
    {
        QFETCH(QString, subs);
        QFETCH(int, cps);
        QFETCH(int, gap);
        bind(cps, gap);
        SubtitleSet &set = workspace().upper;
        fill(set, subs);
        QVector<int> starts;
        for (int i = 0; i < set.count; ++i)
            starts << set.records[size_t(i)].start;

        LogCapture log;
        set.CorrDurOvlp();

        QTEST(ends(set), "ends");
        QFETCH(int, stretched);
        QCOMPARE(log.lines, QStringList{QStringLiteral("Up: %1 subs stretched").arg(stretched)});
        QCOMPARE(log.levels, QList<int>{4});
        for (int i = 0; i < set.count; ++i) {
            const Subtitle &s = set.records[size_t(i)];
            QCOMPARE(s.start, starts[i]);
            QCOMPARE(s.mergeStart, s.start);
            QCOMPARE(s.mergeEnd, s.end);
        }
    }

    void sentinelFollowsLastSubtitle()
    {
        bind(25, 0);
        SubtitleSet &set = workspace().lower;
        fill(set, QStringLiteral("1000/2000:1 3000/4000:1"));
        Subtitle &sentinel = set.records[2];
        sentinel.start = 7;
        sentinel.end = 8;
        sentinel.text = QStringLiteral("leftover");
        LogCapture log;
        set.CorrDurOvlp();
        QCOMPARE(sentinel.text, QString());
        QCOMPARE(sentinel.mergeStart, 103000);
        QCOMPARE(sentinel.mergeEnd, 104000);
        QCOMPARE(sentinel.start, 7);
        QCOMPARE(sentinel.end, 8);
        QCOMPARE(log.lines, QStringList{QStringLiteral("Lw: 0 subs stretched")});
    }

    void emptySetOnlyEmptiesSentinelText()
    {
        bind(25, 0);
        SubtitleSet &set = workspace().merged;
        Subtitle &slot = set.records[0];
        slot.text = QStringLiteral("old");
        slot.mergeStart = 5;
        slot.mergeEnd = 6;
        LogCapture log;
        set.CorrDurOvlp();
        QCOMPARE(slot.text, QString());
        QCOMPARE(slot.mergeStart, 5);
        QCOMPARE(slot.mergeEnd, 6);
        QCOMPARE(log.lines, QStringList{QStringLiteral("Mx: 0 subs stretched")});
    }

    void extremeTimesDoNotOverflow()
    {
        bind(10, 50);
        SubtitleSet &set = workspace().upper;
        const int max = std::numeric_limits<qint32>::max();
        const int min = std::numeric_limits<qint32>::min();
        fill(set, QStringLiteral("%1/%2:0 %3/%4:500").arg(min).arg(max).arg(max - 10).arg(max - 5));
        set.CorrDurOvlp();
        // The first ends the gap before the second; the second cannot go past the range.
        QCOMPARE(set.records[0].end, max - 60);
        QCOMPARE(set.records[1].end, max);
        QCOMPARE(set.records[2].mergeStart, max);
        QCOMPARE(set.records[2].mergeEnd, max);
    }
};

QTEST_MAIN(TestCorrection)
#include "tst_correction.moc"
