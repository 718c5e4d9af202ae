#pragma once
// Where the engine reports what it did: one line per outcome, with a level.
// The window shows the lines in its log, the command-line tool prints them,
// tests collect them.

#include <QString>

enum LogLevel { LogError = 0, LogWarning = 1, LogInfo = 2, LogDetail = 3, LogDebug = 4 };

class LogSink
{
public:
    virtual ~LogSink() = default;
    virtual void write(int level, const QString &line) = 0;

    // A line about one set starts with the set's prefix ("Up: ").
    void log(int level, const QString &prefix, const QString &message) { write(level, prefix + message); }
};
