#pragma once
// Everything one merge works on (the upper, lower and merged sets, the sync
// links and the processing options) and the operations a user runs on it,
// each reporting to the log as the window shows it. The window and the
// command-line tool both drive this; answers a dialog would give (a file
// name, a coding, a frame rate) come in as arguments.

#include "core/detection.h"
#include "core/formats.h"
#include "core/processing.h"
#include "core/strip.h"
#include "core/subtitleset.h"
#include "core/synclinks.h"
#include "core/timing.h"

#include <QByteArray>

#include <memory>
#include <optional>

class LogSink;
class SafeWriter;

class Session
{
public:
    explicit Session(LogSink &log);
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    SubtitleSet upper {QStringLiteral("Up: ")};
    SubtitleSet lower {QStringLiteral("Lw: ")};
    SubtitleSet merged {QStringLiteral("Mx: ")};
    SyncLinks links;
    ProcessingOptions options;

    LogSink &log() { return m_log; }
    SubtitleSet &otherSet(const SubtitleSet &set) { return &set == &upper ? lower : upper; }

    // A file decoded and recognised, ready to be read into a set.
    struct PreparedLoad
    {
        QString path;
        QString text;
        SubtitleFormat format = SubtitleFormat::SubRip;
        int declaredFrameRate = 0; // a MicroDVD file's own rate, 0 when it declares none
        QString coding; // the coding the text was read in, as a codec name (the detected one for "Auto Detect")
        int track = -1; // the track of a video the text was read from
    };

    // Loading takes three steps, so that a MicroDVD file's frame rate is asked
    // only once the file could be read and recognised, with the rate it
    // declares offered first. An empty path is a cancelled dialog.
    bool readFile(SubtitleSet &set, const QString &path, QByteArray *bytes);
    // Decodes a file's bytes (a byte-order mark decides; "Auto Detect" finds
    // the coding) and logs the coding found and what it could not decode.
    DecodedText decode(const SubtitleSet &set, const QByteArray &bytes, const QString &codecName);
    // Decodes the bytes as decode() does and finds the format by the content. Nothing when the file holds
    // no subtitles: the set stays as it was.
    std::optional<PreparedLoad> prepareLoad(const SubtitleSet &set, const QByteArray &bytes, const QString &path,
                                            const QString &codecName);
    // Reads the file into the set or behind it; a MicroDVD file at
    // `frameRate` (0: the rate it declares, or else 23.976). Another file (or
    // another track of a video) than the set's last one drops the links.
    void loadPrepared(SubtitleSet &set, const PreparedLoad &load, int frameRate, bool append);
    bool loadBytes(SubtitleSet &set, const QByteArray &bytes, const QString &path, const QString &codecName,
                   int frameRate, bool append);
    bool loadFile(SubtitleSet &set, const QString &path, const QString &codecName, int frameRate, bool append);

    StripResult strip(SubtitleSet &set, const QVector<Bracket> &kinds);
    void correctTiming(SubtitleSet &set, const TimingCorrection &correction, int selectedRow);

    // A link may join two subtitles that exist, without crossing another.
    bool canAddLink(int upperRow, int lowerRow) const;
    // Replaces the links "Auto Link" placed before by the ones it finds now,
    // keeping the user's own; logs what it found on the lower set.
    void autoLink();
    // Moves `target` onto the other set through the links.
    void synchronize(SubtitleSet &target);
    // Fills the merged set; texts get the tags of the output format. For
    // Advanced SubStation only the merge times of both sets are made, and
    // writing the merged set writes both sets.
    void process(SubtitleFormat outputFormat);

    // Saving takes two steps too: the target is opened first (the old file
    // stays until the new one is whole), then the MicroDVD rate may be asked.
    std::unique_ptr<SafeWriter> openTarget(const SubtitleSet &set, const QString &path);
    bool write(SubtitleSet &set, SafeWriter &target, const QString &path, const QString &codecName, int frameRate);
    bool saveFile(SubtitleSet &set, const QString &path, const QString &codecName, int frameRate);
    // The merged file's text (after process()) handed to `out` in pieces, as
    // saving it writes it: both sets for a format that writes them as events,
    // else the merged set.
    FormattedSet formatMerged(SubtitleFormat format, const PieceSink &out);
    // The lines that say what was saved to `path`.
    void logSaved(const SubtitleSet &set, const QString &path, const FormattedSet &formatted);

private:
    LogSink &m_log;

    // What a writer gets for the set: for the merged one, both sets.
    WriteRequest writeRequest(const SubtitleSet &set, int frameRate) const;
    // Completes the file and logs what was saved.
    bool commitSaved(const SubtitleSet &set, SafeWriter &target, const QString &path, const FormattedSet &formatted);
};
