// The subtitle record and the set: cleaning texts, the list rows, selection.

#include "testutil.h"

#include "app/preferences.h"
#include "subtitles/mergeworkspace.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QtTest>

class TestSubtitleSet : public QObject
{
    Q_OBJECT

private slots:
    void init() { testutil::resetState(); }

    void normalize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("angle");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("visible");
        QTest::newRow("spaces") << "  Hello  |  World " << true << "Hello|World" << 11;
        QTest::newRow("leading separators") << "| |  Hi" << true << "Hi" << 2;
        QTest::newRow("trailing separator stays") << "Hi|" << true << "Hi|" << 3;
        QTest::newRow("tabs and newlines") << "a\t\tb\nc" << false << "a b c" << 5;
        QTest::newRow("angle tags") << "<i>Hi</i>|there" << true << "<i>Hi</i>|there" << 8;
        QTest::newRow("lone angle") << "a < b" << true << "a < b" << 5;
        QTest::newRow("angle open without close counts rest") << "<i>a<b" << true << "<i>a<b" << 3;
        QTest::newRow("braces") << "{y:i}Hi" << false << "{y:i}Hi" << 2;
        QTest::newRow("braces ignored for angle style") << "{y:i}Hi" << true << "{y:i}Hi" << 7;
        QTest::newRow("empty") << "" << true << "" << 0;
    }
    void normalize()
    {
        QFETCH(QString, text);
        QFETCH(bool, angle);
        Subtitle s;
        s.text = text;
        s.angleTags = angle;
        s.normalize();
        QTEST(s.text, "expected");
        QTEST(s.visibleLength, "visible");
    }

    void shiftClampsInsteadOfWrapping()
    {
        Subtitle s;
        s.start = std::numeric_limits<qint32>::max() - 10;
        s.end = std::numeric_limits<qint32>::min() + 10;
        s.shift(100);
        QCOMPARE(s.start, std::numeric_limits<qint32>::max());
        s.shift(-200);
        QCOMPARE(s.end, std::numeric_limits<qint32>::min());
    }

    void refreshListRows()
    {
        SubtitleSet &set = workspace().upper;
        QListWidget list;
        set.list = &list;
        set.refreshList();
        QCOMPARE(list.count(), 0);
        for (int i = 0; i < 12345; ++i)
            set.records[size_t(i)].text = QStringLiteral("t%1").arg(i);
        set.records[0].text = QStringLiteral("Hello|World");
        set.count = 12345;
        list.addItem(QStringLiteral("old"));
        list.addItem(QStringLiteral("old"));
        list.setCurrentRow(1);
        set.refreshList();
        QCOMPARE(list.count(), 12345);
        QCOMPARE(list.item(0)->text(), QStringLiteral("0001 Hello|World"));
        QCOMPARE(list.item(9998)->text(), QStringLiteral("9999 t9998"));
        QCOMPARE(list.item(12344)->text(), QStringLiteral("12345 t12344"));
        QCOMPARE(list.currentRow(), 1);
    }

    void select_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("label");
        QTest::newRow("first") << 0 << 0 << "00:00:01,000 --> 00:00:02,000"
                               << "one";
        QTest::newRow("second") << 1 << 1 << "01:02:03,004 --> 01:02:05,500"
                                << "two|lines";
        QTest::newRow("negative") << -1 << 0 << "00:00:01,000 --> 00:00:02,000"
                                  << "one";
        QTest::newRow("past count") << 3 << 0 << "00:00:01,000 --> 00:00:02,000"
                                    << "one";
        QTest::newRow("count: the empty slot") << 2 << 2 << "00:00:00,000 --> 00:00:00,000"
                                               << "";
    }
    void select()
    {
        QFETCH(int, index);
        SubtitleSet &set = workspace().upper;
        QListWidget list, timeBox;
        QLabel label;
        set.list = &list;
        set.timeBox = &timeBox;
        set.textLabel = &label;
        set.records[0] = Subtitle {1000, 2000, 3, 0, 0, QStringLiteral("one"), true};
        set.records[1] = Subtitle {3723004, 3725500, 9, 0, 0, QStringLiteral("two|lines"), true};
        set.count = 2;
        set.refreshList();
        set.select(index);
        QTEST(set.current, "current");
        QCOMPARE(timeBox.count(), 1);
        QTEST(timeBox.item(0)->text(), "time");
        QTEST(label.text(), "label");
    }

    void selectShowsMergeTimesWhenAsked()
    {
        SubtitleSet &set = workspace().lower;
        QListWidget list, timeBox;
        set.list = &list;
        set.timeBox = &timeBox;
        set.records[0] = Subtitle {1000, 2000, 0, 1500, 2500, QStringLiteral("x"), true};
        set.count = 1;
        preferences().showMergeTimes = true;
        set.select(0);
        QCOMPARE(timeBox.item(0)->text(), QStringLiteral("00:00:01,500 --> 00:00:02,500"));
    }

    void codecName_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name");
        QTest::newRow("auto") << "Auto Local"
                              << "Auto Local";
        QTest::newRow("utf8") << "UTF-8"
                              << "UTF-8";
        QTest::newRow("described") << "ISO 8859-7 (Greek)"
                                   << "ISO 8859-7";
        QTest::newRow("leading bracket is not cut") << " (odd)"
                                                    << " (odd)";
    }
    void codecName()
    {
        QFETCH(QString, entry);
        QComboBox box;
        box.addItem(entry);
        workspace().upper.codingBox = &box;
        QTEST(workspace().upper.codecName(), "name");
    }

    void resetKeepsFileAndRate()
    {
        SubtitleSet &set = workspace().upper;
        set.filePath = QStringLiteral("/x/a.srt");
        set.frameRate = 23976;
        set.count = 3;
        set.current = 2;
        set.appendOffset = 500;
        set.records[1].text = QStringLiteral("gone");
        set.reset();
        QCOMPARE(set.count, 0);
        QCOMPARE(set.current, 0);
        QCOMPARE(set.appendOffset, 0);
        QVERIFY(set.records[1].text.isEmpty());
        QCOMPARE(set.filePath, QStringLiteral("/x/a.srt"));
        QCOMPARE(set.frameRate, 23976);
    }
};

QTEST_MAIN(TestSubtitleSet)
#include "tst_subtitleset.moc"
