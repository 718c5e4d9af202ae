#pragma once
// Writing a set as SubRip or MicroDVD, and the SubRip time line.

#include <QString>

class QTextStream;
class SubtitleSet;
struct Subtitle;

QString formatTimeLine(const Subtitle &subtitle, bool useMergeTimes);
void writeSrtEntry(const Subtitle &subtitle, int number, QTextStream &stream);
void writeSubEntry(const Subtitle &subtitle, int frameRate, QTextStream &stream);

// True when the name's suffix (after its last dot) is "srt" in any case.
bool isSrtName(const QString &fileName);

// The whole file content as it is written: blocks or lines, "\n" line ends.
QString formatSet(const SubtitleSet &set, bool srt);

void SaveSelect(SubtitleSet &set, const QString &caption, bool merged);
void SaveWrite(SubtitleSet &set, bool rememberDir);
void saveSet(SubtitleSet &set, const QString &caption);
