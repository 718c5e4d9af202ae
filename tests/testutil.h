#pragma once
// Shared helpers of the test executables: a clean process state per test, the
// log lines as text, and small files written on the fly.

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTemporaryDir;

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

} // namespace testutil
