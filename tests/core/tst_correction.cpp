// Readability correction: stretching to the reading speed, the minimum gap,
// the merge times and the end sentinel the stacking engine walks onto.

#include "testutil.h"

#include "core/merge.h"
#include "core/subtitleset.h"

#include <QtTest>

using namespace testutil;

class TestCorrection : public QObject
{
    Q_OBJECT

private slots:
    void correct_data()
    {
        QTest::addColumn<QString>("subs"); // "start/end:visible characters" items
        QTest::addColumn<int>("cps");
        QTest::addColumn<int>("gap");
        QTest::addColumn<QString>("ends");
        QTest::addColumn<int>("stretched");
        row("stretched, no next", "1000/2000:40", 25, 0, "2600", 1);
        row("37 chars truncate", "1000/2000:37", 25, 0, "2480", 1);
        row("cut back by next, still counted", "1000/2000:40 2300/4000:1", 25, 0, "2300 4000", 1);
        row("cut back with gap 50", "1000/2000:40 2300/4000:1", 25, 50, "2250 4000", 1);
        row("overlap removed, not stretched", "1000/5000:1 4000/6000:1", 25, 0, "4000 6000", 0);
        row("long enough", "1000/3000:40 5000/6000:1", 25, 0, "3000 6000", 0);
        row("cps 10", "0/1000:40", 10, 0, "4000", 1);
        row("gap kept exactly", "0/950:1 1000/2000:1", 25, 50, "950 2000", 0);
        row("gap enforced", "0/960:1 1000/2000:1", 25, 50, "950 2000", 0);
        row("zero chars never stretched", "1000/1000:0", 25, 0, "1000", 0);
        row("end before start", "1000/500:0", 25, 0, "1000", 1);
        row("next starts earlier: negative duration stays", "1000/2000:1 900/3000:1", 25, 0, "900 3000", 0);
        row("equal starts, gap 0", "1000/2000:1 1000/3000:1", 25, 0, "1000 3000", 0);
        row("empty set", "", 25, 0, "", 0);
        // The first ends the gap before the second; nothing goes past the range.
        row("extreme times",
            QStringLiteral("%1/%2:0 %3/%4:500").arg(intMin).arg(intMax).arg(intMax - 10).arg(intMax - 5), 10, 50,
            QStringLiteral("%1 %2").arg(intMax - 60).arg(intMax), 1);
    }
    void correct()
    {
        QFETCH(QString, subs);
        QFETCH(int, cps);
        QFETCH(int, gap);
        QFETCH(int, stretched);
        SubtitleSet set(QStringLiteral("Up: "));
        QVector<int> starts;
        for (const QString &item : subs.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList parts = item.split(QRegularExpression(QStringLiteral("[/:]")));
            set.append(parts[0].toInt(), parts[1].toInt(), QString(parts[2].toInt(), QLatin1Char('x')));
            starts << parts[0].toInt();
        }
        // A leftover in the slot after the last subtitle.
        Subtitle &leftover = set.slot(set.count);
        leftover.start = 7;
        leftover.mergeStart = 5;
        leftover.mergeEnd = 6;
        leftover.text = QStringLiteral("leftover");

        CollectingLog log;
        correctDurations(set, cps, gap, log);

        QStringList ends;
        for (int i = 0; i < set.count; ++i)
            ends << QString::number(set.at(i).end);
        QTEST(ends.join(QLatin1Char(' ')), "ends");
        QCOMPARE(log.lines, QStringList {QStringLiteral("Up: %1 subs stretched").arg(stretched)});
        QCOMPARE(log.levels, QList<int> {LogDebug});
        QCOMPARE(startsOf(set), starts);
        for (int i = 0; i < set.count; ++i) {
            QCOMPARE(set.at(i).mergeStart, set.at(i).start);
            QCOMPARE(set.at(i).mergeEnd, set.at(i).end);
        }
        // The sentinel lies 100 s after the last subtitle (an empty set leaves its times).
        const Subtitle &sentinel = set.slot(set.count);
        const Subtitle *last = set.count ? &set.at(set.count - 1) : nullptr;
        QCOMPARE(sentinel.text, QString());
        QCOMPARE(sentinel.start, 7);
        QCOMPARE(sentinel.mergeStart, last ? clampToInt32(qint64(last->mergeStart) + 100000) : 5);
        QCOMPARE(sentinel.mergeEnd, last ? clampToInt32(qint64(last->mergeEnd) + 100000) : 6);
    }
};

QTEST_MAIN(TestCorrection)
#include "tst_correction.moc"
