// Replays the fuzzers' seed corpora and every input that once found a fault,
// so a fixed fault stays fixed in the normal (and the sanitizer) build. A
// target aborts the run when one of its invariants breaks.

#include "fuzz/fuzztargets.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <iterator>

class TestFuzzReplay : public QObject
{
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("file");
        for (int t = 0; t < int(std::size(fuzz::targets)); ++t) {
            const QLatin1String name(fuzz::targets[t].name);
            for (const char *kind : {"corpus", "regressions"}) {
                const QDir dir(QStringLiteral(FUZZ_DIR "/%1/%2").arg(QLatin1String(kind), name));
                const QStringList files = dir.entryList(QDir::Files, QDir::Name);
                // Every target has seeds; a renamed folder must not pass as empty.
                if (files.isEmpty() && kind == QLatin1String("corpus"))
                    QTest::newRow(qPrintable(QStringLiteral("corpus/%1 missing").arg(name))) << t << QString();
                for (const QString &f : files)
                    QTest::newRow(qPrintable(QStringLiteral("%1/%2/%3").arg(QLatin1String(kind), name, f)))
                        << t << dir.filePath(f);
            }
        }
    }
    void replay()
    {
        QFETCH(int, target);
        QFETCH(QString, file);
        QFile f(file);
        QVERIFY2(f.open(QIODevice::ReadOnly), "no seed inputs");
        const QByteArray bytes = f.readAll();
        fuzz::targets[target].run(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
};

QTEST_APPLESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
