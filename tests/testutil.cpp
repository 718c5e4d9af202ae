#include "testutil.h"

#include "core/subtitleset.h"

#include <QDir>
#include <QFile>
#include <QProcess>

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

namespace {

// Standard output, or a problem: the program missing or failing, or saying anything on standard error.
QByteArray runQuietly(const QString &program, const QStringList &args, QString *problems)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        *problems += program + QStringLiteral(" is missing: run scripts/setup.sh\n");
        return {};
    }
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        *problems += program + QStringLiteral(" failed\n");
    *problems += QString::fromUtf8(p.readAllStandardError());
    return p.readAllStandardOutput();
}

} // namespace

FfmpegReading readWithFfmpeg(const QString &file, const QString &copy)
{
    FfmpegReading read;
    const QByteArray packets
        = runQuietly(QStringLiteral("ffprobe"),
                     {"-v", "warning", "-select_streams", "s:0", "-show_entries", "packet=pts", "-of", "csv=p=0", file},
                     &read.problems);
    read.packets = packets.trimmed().isEmpty() ? 0 : packets.trimmed().split('\n').size();
    runQuietly(QStringLiteral("ffmpeg"), {"-v", "warning", "-nostdin", "-y", "-i", file, "-c:s", "ass", copy},
               &read.problems);
    const QStringList lines = QString::fromUtf8(readFile(copy)).split(QLatin1Char('\n'));
    for (const QString &line : lines)
        if (line.startsWith(QLatin1String("Dialogue: ")))
            read.events << line.section(QLatin1Char(','), 9).trimmed();
    return read;
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
