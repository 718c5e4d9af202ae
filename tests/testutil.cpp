#include "testutil.h"

#include "core/subtitleset.h"

#include <QDir>
#include <QFile>

#include <random>

namespace testutil {

QStringList CollectingLog::withLevels() const
{
    QStringList out;
    for (int i = 0; i < lines.size(); ++i)
        out << QString::number(levels[i]) + QLatin1Char(' ') + lines[i];
    return out;
}

ReadRequest request(int frameRate, bool append, int gap, const QString &fileName, int cps)
{
    ReadRequest r;
    r.frameRate = frameRate;
    r.append = append;
    r.gap = gap;
    r.fileName = fileName;
    r.cps = cps;
    return r;
}

QString writeFile(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString fixture(const QString &name)
{
    return QStringLiteral(TESTDATA_DIR "/") + name;
}

void fillSet(SubtitleSet &set, const QStringList &items)
{
    set.clear();
    for (const QString &item : items) {
        const QStringList times = item.section(QLatin1Char(' '), 0, 0).split(QLatin1Char('/'));
        set.append(times[0].toInt(), times[1].toInt(), item.section(QLatin1Char(' '), 1));
    }
}

void fillStarts(SubtitleSet &set, const QVector<int> &starts, int duration)
{
    set.clear();
    for (int start : starts)
        set.append(start, clampToInt32(qint64(start) + duration), QString());
}

QVector<int> startsOf(const SubtitleSet &set)
{
    QVector<int> v;
    for (int i = 0; i < set.count; ++i)
        v << set.at(i).start;
    return v;
}

QVector<int> durationsOf(const SubtitleSet &set)
{
    QVector<int> v;
    for (int i = 0; i < set.count; ++i)
        v << set.at(i).end - set.at(i).start;
    return v;
}

QStringList describe(const SubtitleSet &set)
{
    QStringList out;
    for (int i = 0; i < set.count; ++i) {
        const Subtitle &s = set.at(i);
        out << QStringLiteral("%1-%2 %3").arg(s.start).arg(s.end).arg(s.text);
    }
    return out;
}

QString mergeTimes(const SubtitleSet &set)
{
    QStringList out;
    for (int i = 0; i < set.count; ++i)
        out << QStringLiteral("%1-%2").arg(set.at(i).mergeStart).arg(set.at(i).mergeEnd);
    return out.join(QLatin1Char(' '));
}

QByteArray srtBytes(const QVector<int> &startsMs)
{
    const auto t = [](int ms) {
        return QStringLiteral("%1:%2:%3,%4")
            .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
            .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms % 1000, 3, 10, QLatin1Char('0'));
    };
    QByteArray out;
    for (int i = 0; i < startsMs.size(); ++i) {
        out += QStringLiteral("%1\n%2 --> %3\nline %1\n\n")
                   .arg(i + 1)
                   .arg(t(startsMs[i]), t(startsMs[i] + 500))
                   .toUtf8();
    }
    return out;
}

QVector<int> irregularStarts(int count, unsigned seed, int firstMs)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> gap(1500, 8000);
    QVector<int> starts;
    int t = firstMs;
    for (int i = 0; i < count; ++i) {
        starts << t;
        t += gap(random);
    }
    return starts;
}

} // namespace testutil
