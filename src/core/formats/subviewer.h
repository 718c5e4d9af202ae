#pragma once
// SubViewer 2.0: an "[INFORMATION]" header, then blocks of a time line
// "00:00:20.19,00:00:22.59" (a decimal fraction of a second) and one text
// line with "[br]" between its lines. Read only.

#include "core/formats/formattable.h"

bool isSubViewerTimeLine(const QString &line);

FormatInfo subViewerFormat();
