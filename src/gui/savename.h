#pragma once
// The formats the dialogs offer and the names they propose: a filter per
// format, the suffix each stands for, and the merged file's name beside the
// upper file with the lower file's language.

#include "core/formats.h"

#include <QString>

// The formats' filters, from the table of formats.
// "Subtitles (*.srt *.sub ...);;Videos (*.mkv ...);;All files (*)": every
// suffix a format is read from, and the videos' usual names.
QString openFilter();
// "SubRip (*.srt);;MicroDVD (*.sub);;...": what Process & Save writes, and the
// copy of the video with the merged track while a set comes from a video.
QString mergeFilters(bool fromVideo = false);
// The same without the formats only a merged file is written as: what "Save as" writes a set as.
QString setFilters();
// "srt" for "SubRip (*.srt)".
QString suffixOfFilter(const QString &filter);
// The filter of a suffix among `filters`; the first one for a suffix none has.
QString filterOfSuffix(const QString &suffix, const QString &filters);
// A name typed without a suffix gets the chosen filter's, so that the format
// written is the one the dialog showed; an empty name stays empty.
QString withSuffix(const QString &name, const QString &filter);
bool isMergeSuffix(const QString &suffix);
QString suffixOfFormat(SubtitleFormat format);
// "dir/film.sub" for the set's file "film.srt" and the filter "MicroDVD
// (*.sub)": what "Save as" proposes; "subtitles" for a set without a file.
QString ownName(const QString &setPath, const QString &dir, const QString &filter);
// "film.es.srt" for the upper file "film.en.srt" and the lower "x.es.srt";
// "merged" stands in for a language the lower name does not state, and for
// the whole name in `saveDir` while no upper file is loaded. A lower set read
// from a video states its track's language in `lowerLanguage`.
QString mergeName(const QString &upperPath, const QString &lowerPath, const QString &saveDir, const QString &suffix,
                  const QString &lowerLanguage = QString());
