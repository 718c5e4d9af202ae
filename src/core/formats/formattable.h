#pragma once
// The table of subtitle formats: what each is called, the suffixes it goes by,
// how it is read, told by its content and written. The dialogs' filters, the
// choice by suffix in "Save as" and in the tool, the tool's help and the order
// of sniffing all come from it. A format is a row here and a file beside this
// one; no format touches files, codings or dialogs.

#include "core/tags.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class LogSink;
class SubtitleSet;
struct ProcessingOptions;

enum class SubtitleFormat { SubRip, MicroDvd, Mpl2, SubViewer, Ass, WebVtt };

// What a load gives a reader besides the text.
struct ReadRequest
{
    int frameRate = 0; // MicroDVD: the rate the user gave, in frames per 1000 s
    bool append = false; // behind the set's subtitles, starting `gap` ms after the last one ends
    int gap = 0;
    int cps = 25; // reading speed ("Chars/sec") for a subtitle whose end must be made up
    QString fileName; // as the log names it
};

struct FormattedSet
{
    QString text; // "\n" line ends
    int written = 0;
    int cutAtZero = 0; // started before 0:00 and cut, or ended by then and left out
};

using PieceSink = std::function<void(const QString &piece)>;

// What a save gives a writer. For the merged set of a format that writes
// both sets as they are (.ass events), `upper` and `lower` are those sets.
struct WriteRequest
{
    const SubtitleSet &set;
    const ProcessingOptions &options;
    int frameRate = 0;
    const SubtitleSet *upper = nullptr;
    const SubtitleSet *lower = nullptr;
    bool merged = false;
};

struct FormatInfo
{
    FormatInfo(SubtitleFormat format, const QString &name, const QStringList &suffixes)
        : format(format)
        , name(name)
        , suffixes(suffixes)
    {
    }

    SubtitleFormat format;
    QString name; // "SubRip": as the log, the dialogs and the help name it
    QStringList suffixes; // lower case, no dot; the first is the one a save gives
    // Reads the text into the set (or behind it) and logs what it read,
    // rejected and repaired; null for a format that is only written.
    void (*read)(SubtitleSet &set, const QString &text, const ReadRequest &request, LogSink &log) = nullptr;
    // Sniffing: a format known by its whole text (a header) is taken before
    // any other; the others vote with the lines that carry a time.
    bool (*looksLike)(const QString &text) = nullptr;
    bool (*isTimedLine)(const QString &line) = nullptr;
    // Hands the file's text to `out` in pieces; null for a format not written.
    FormattedSet (*write)(const WriteRequest &request, const PieceSink &out) = nullptr;
    bool needsFrameRate = false; // read and written in frames: the frame-rate prompt asks
    QString saveFilter; // "SubRip (*.srt)" in the save dialogs; empty: not offered there
    bool savesOneSet = true; // offered by "Save as" for one set, not only by Process & Save
    // The merged file: frames stacked with tags of this style, or (with
    // `mergedAsEvents`) both sets' subtitles as events in their merge times.
    TagStyle mergedTags = TagStyle::SubRip;
    bool mergedAsEvents = false;
    bool colorClasses = false; // colours as classes the file's style block defines
    bool utf8Only = false; // written in UTF-8 whatever coding is chosen
    bool byteOrderMark = false; // ... and with its byte-order mark
};

// Every format, in the order of sniffing; the dialogs list them in this order too.
const std::vector<FormatInfo> &formatTable();
const FormatInfo &formatInfo(SubtitleFormat format);
QString formatName(SubtitleFormat format);

// What a save writes for a name: the written format whose suffix it has, in
// any case; MicroDVD for any other name.
SubtitleFormat formatOfFileName(const QString &fileName);
constexpr SubtitleFormat fallbackFormat = SubtitleFormat::MicroDvd;

// The format of a text: one that knows it by its whole text, else the one
// whose time lines are the majority of the first five (the first of them
// on a tie); none when no line carries a time in any format, so that no
// reader would find a subtitle in it.
std::optional<SubtitleFormat> sniffFormat(const QString &text);

// Reads with the format's reader (nothing for a format that is not read).
void readSubtitles(SubtitleSet &set, const QString &text, SubtitleFormat format, const ReadRequest &request,
                   LogSink &log);

// Subtitles are written in pieces of this many, so that no file is held whole as text.
constexpr int subtitlesPerPiece = 500;

// No player reads a negative time: what a shift moved before the film starts
// is cut there, in the file only (shifting back restores it). Moves `start`
// to 0:00 or, for a subtitle that ends by then, returns false to leave it
// out; both are counted in `result.cutAtZero`.
bool cutAtZero(int &start, int end, FormattedSet &result);

struct Subtitle;
// For formats that write one subtitle after another: `append` adds a
// subtitle to the piece (`start` as cut at 0:00, `number` counting from 1 as
// written) for every subtitle with text that is not over by 0:00, and the
// pieces go to `out`, the first one after `header`.
using AppendSubtitle = std::function<void(QString &piece, const Subtitle &subtitle, int start, int number)>;
FormattedSet writeEachSubtitle(const SubtitleSet &set, const PieceSink &out, const AppendSubtitle &append,
                               const QString &header = QString());

// One set's file text with the processing defaults. Subtitles without text
// are left out, and so are those that end at or before 0:00; those that
// start before it start at 0:00.
FormattedSet formatSubtitles(const SubtitleSet &set, SubtitleFormat format, int frameRate);
// The same text handed to `out` in pieces of some hundred subtitles, so that
// a merged set of 80000 frames is never held as one text; `text` stays empty.
FormattedSet formatSubtitles(const SubtitleSet &set, SubtitleFormat format, int frameRate, const PieceSink &out);
