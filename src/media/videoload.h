#pragma once
// A video's text track as a set's file, and Process & Save into a copy of the
// video: the steps the window and the command-line tool share, each logging
// as the window's log shows it ("Up: error: no text subtitle tracks in film.mkv").

#include "core/codings.h"
#include "core/session.h"
#include "media/videofile.h"

#include <optional>

namespace media {

// The copy of the video as a target of Process & Save, offered while a set
// comes from a video.
namespace VideoOutput {
QString suffix();
bool isTarget(const QString &fileName);
} // namespace VideoOutput

// Opens the video to load a track of it into `set`. Logs an error and
// returns false when it cannot be read or has no text track.
bool openForSet(VideoFile &video, const QString &path, const SubtitleSet &set, LogSink &log);

// The track `choice` names (a number or a language; empty: the first text
// track); -1 with an error logged when there is none.
int chooseTrack(const VideoFile &video, const QString &choice, const SubtitleSet &set, LogSink &log);

// The text track to offer first for a set: one in `language` (the set's
// last file's), else one in another language than `otherLanguage` (the other
// set's) and other than `otherTrack` (the other set's track of this same
// file, -1 for none), else the first.
int preferredTrack(const VideoFile &video, const QString &language, const QString &otherLanguage, int otherTrack);

// Reads the track as a set's file to be loaded with Session::loadPrepared,
// its text decoded as a file's in `codecName` ("Auto Detect": UTF-8, as the
// track should be, else the coding found). Nothing when it holds pictures or
// cannot be read (an error is logged) or the read is cancelled ("load
// cancelled").
std::optional<Session::PreparedLoad> readTrack(Session &session, VideoFile &video, int number, const SubtitleSet &set,
                                               const QString &codecName, const Progress &progress = {});

// All of it, as the tool loads a video given for a set.
bool loadTrack(Session &session, SubtitleSet &set, const QString &path, const QString &choice, bool append,
               const QString &codecName = Codings::autoDetect());

// The language of a set: its track's tag, else what its file's name says.
QString languageOfSet(const SubtitleSet &set);
// "English + Spanish": the title of the merged track.
QString mergedTrackTitle(const Session &session);
// The video the copy is made from: the upper set's, else the lower set's;
// empty while neither set came from a video.
QString copySource(const Session &session);

// Writes the merged file (Session::process() done for `trackFormat`,
// Advanced SubStation or SubRip) as a track into a copy of the video the sets
// came from, saved as `target`. Logs what was saved, or the error.
bool saveVideoCopy(Session &session, const QString &target, SubtitleFormat trackFormat, const Progress &progress = {});

} // namespace media
