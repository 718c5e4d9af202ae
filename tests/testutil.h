#pragma once
// Shared helpers of the test executables: data-table rows, a log that collects
// its lines, a session with a folder for its files, sets built from short
// descriptions, and small files written on the fly.

#include "core/brackets.h"
#include "core/logsink.h"
#include "core/session.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>

#include <limits>

Q_DECLARE_METATYPE(Bracket)

namespace testutil {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

// The coding entries this platform's toolkit (Qt 5.15 with ICU, Debian) has no
// codec for. A change here means files in these codings are read differently.
inline const QStringList fallbackEntries = {"JIS X 0201 (Japanese)", "JIS X 0208 (Japanese)", "MuleLao-1", "WINSAMI2"};

// The tag style a table's flag column names: SubRip (angle tags) when set.
inline TagStyle styleOf(bool subRip)
{
    return subRip ? TagStyle::SubRip : TagStyle::MicroDvd;
}

// One row of a data table, its values in the order of the columns.
template<typename... T> void row(const char *name, const T &...values)
{
    (QTest::newRow(name) << ... << values);
}

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
    // Every line as "level line".
    QStringList withLevels() const;
    void clear()
    {
        lines.clear();
        levels.clear();
    }
};

// What a load gives a reader, as the session would for these answers.
ReadRequest request(int frameRate, bool append, int gap, const QString &fileName, int cps = 25);

// What FFmpeg reads from a subtitle file: its packets (ffprobe) and the
// texts of the events of its own ASS copy written to `copy`. `problems` says
// what went wrong (a tool missing, an exit status, any warning); empty when it
// read the file without a word.
struct FfmpegReading
{
    QString problems;
    int packets = 0;
    QStringList events;
};
FfmpegReading readWithFfmpeg(const QString &file, const QString &copy);

// Writes bytes to dir/name and returns the full path.
QString writeFile(const QString &dir, const QString &name, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Path of a fixture file in tests/data.
QString fixture(const QString &name);

// A temporary folder for the files a test writes.
struct TempDir
{
    QTemporaryDir tmp;
    QString path(const QString &name) const { return tmp.filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const { return writeFile(tmp.path(), name, bytes); }
};

// A session on a collecting log, and the temporary folder.
struct SessionFixture : TempDir
{
    CollectingLog log;
    Session session {log};
    SubtitleSet &up = session.upper;
};

// Empties the set, then appends "start/end text" items.
void fillSet(SubtitleSet &set, const QStringList &items);
// Empties the set, then appends text-less subtitles at the starts, each
// lasting `duration` ms (the end clamped to 32 bits).
void fillStarts(SubtitleSet &set, const QVector<int> &starts, int duration = 0);
QVector<int> startsOf(const SubtitleSet &set);
QVector<int> durationsOf(const SubtitleSet &set);
// "start-end text" of every subtitle, or "start-end" of the merge times.
QStringList describe(const SubtitleSet &set);
QString mergeTimes(const SubtitleSet &set);
// SubRip subtitles "line N" starting at the given milliseconds, 500 ms each.
QByteArray srtBytes(const QVector<int> &startsMs);
// Starts of a film's dialogue from `seed`: irregular gaps of 1.5 to 8 s, so
// that no offset but the true one makes two of them line up.
QVector<int> irregularStarts(int count, unsigned seed, int firstMs = 5000);

} // namespace testutil
