#pragma once
// Shared helpers of the test executables: a clean process state per test, the
// log lines as text, and small files written on the fly.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class QDialog;
class QListWidget;
class QTemporaryDir;
class SubtitleSet;
struct Subtitle;

namespace testutil {

// Back to the state the program starts in: empty sets, no links, default
// preferences, no views, interactive prompts replaced by none.
void resetState();

// Collects every log line (and its level) from now until destroyed.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines;
    QList<int> levels;
    QString joined() const { return lines.join(QLatin1Char('\n')); }
};

// Writes bytes to dir/name and returns the full path.
QString writeFile(const QString &dir, const QString &name, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Path of a fixture file in tests/data.
QString fixture(const QString &name);

// Appends a subtitle to the set, its visible length counted.
Subtitle &addSubtitle(SubtitleSet &set, int start, int end, const QString &text, bool angleTags = true);
// Empties the set, then appends "start/end text" items.
void fillSet(SubtitleSet &set, const QStringList &items);
// Empties the set, then appends text-less subtitles at the starts, each
// lasting `duration` ms (the end clamped to 32 bits).
void fillStarts(SubtitleSet &set, const QVector<int> &starts, int duration = 0);
QVector<int> startsOf(const SubtitleSet &set);
// Every row of a list widget.
QStringList rowTexts(const QListWidget &view);
// SubRip subtitles "line N" starting at the given milliseconds, 500 ms each.
QByteArray srtBytes(const QVector<int> &startsMs);
// Presses OK (or Cancel) in the dialog's button box; -1 when it has none.
int closeDialog(QDialog &dialog, bool ok = true);

} // namespace testutil
