#pragma once
// SubRip (.srt): numbered blocks of a time line and text lines. The reader
// takes the near misses real files have (a broken arrow, short fields and
// fractions, no blank line between blocks) and counts what it repaired.

#include "core/formats/formattable.h"

// "00:00:00,000 --> 00:00:00,000" with a "." also taken for the "," (the
// strict form; the reader repairs the near misses).
bool isTimeLine(const QString &line);
// A line the reader takes as a time line: the strict form or a near miss.
bool isSubRipTimeLine(const QString &line);

QString formatTime(int ms);
QString formatTimeLine(int start, int end);
// Appends "hh:mm:ss" and the milliseconds after `separator` (negative and
// 100 hours and more through printf).
void appendClockTime(QString &out, int ms, char separator);

FormatInfo subRipFormat();
