#pragma once
// Shared helpers of the test executables: a log that collects its lines,
// sets built from short descriptions, and small files written on the fly.

#include "core/logsink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class QAbstractItemModel;
class SubtitleSet;

namespace testutil {

// Collects every log line and its level.
class CollectingLog : public LogSink
{
public:
    QStringList lines;
    QList<int> levels;
    void write(int level, const QString &line) override
    {
        lines.append(line);
        levels.append(level);
    }
    QString joined() const { return lines.join(QLatin1Char('\n')); }
    void clear()
    {
        lines.clear();
        levels.clear();
    }
};

// Writes bytes to dir/name and returns the full path.
QString writeFile(const QString &dir, const QString &name, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Path of a fixture file in tests/data.
QString fixture(const QString &name);

// Empties the set, then appends "start/end text" items.
void fillSet(SubtitleSet &set, const QStringList &items);
// Empties the set, then appends text-less subtitles at the starts, each
// lasting `duration` ms (the end clamped to 32 bits).
void fillStarts(SubtitleSet &set, const QVector<int> &starts, int duration = 0);
QVector<int> startsOf(const SubtitleSet &set);
// "start-end text" of every subtitle, or "start-end" of the merge times.
QStringList describe(const SubtitleSet &set);
QString mergeTimes(const SubtitleSet &set);
// Every row a model shows.
QStringList rowTexts(const QAbstractItemModel &model);
// SubRip subtitles "line N" starting at the given milliseconds, 500 ms each.
QByteArray srtBytes(const QVector<int> &startsMs);

} // namespace testutil
