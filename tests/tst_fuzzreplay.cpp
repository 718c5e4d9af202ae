// Replays the fuzzers' seed corpora and every input that once found a fault,
// so a fixed fault stays fixed in the normal (and the sanitizer) build.

#include "fuzz/fuzztargets.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestFuzzReplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fuzz::setUp(); }

    void replay_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("file");
        int rows = 0;
        for (int t = 0; t < 5; ++t) {
            for (const char *kind : {"corpus", "regressions"}) {
                const QDir dir(
                    QStringLiteral(FUZZ_DIR "/%1/%2").arg(QLatin1String(kind), QLatin1String(fuzz::targets[t].name)));
                const QStringList files = dir.entryList(QDir::Files, QDir::Name);
                for (const QString &f : files) {
                    QTest::newRow(qPrintable(
                        QStringLiteral("%1/%2/%3").arg(QLatin1String(kind), QLatin1String(fuzz::targets[t].name), f)))
                        << t << dir.filePath(f);
                    ++rows;
                }
            }
        }
        if (rows == 0)
            QTest::newRow("no inputs") << -1 << QString();
    }

    void replay()
    {
        QFETCH(int, target);
        QFETCH(QString, file);
        QVERIFY2(target >= 0, "no fuzz inputs found");
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        fuzz::targets[target].run(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
};

QTEST_APPLESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
