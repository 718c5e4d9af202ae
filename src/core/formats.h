#pragma once
// Subtitle formats: text in, subtitles and log lines out (reading SubRip,
// MicroDVD, MPL2 and SubViewer 2.0); a set in, the file's text out (writing
// SubRip and MicroDVD). No files, no codings, no dialogs here.

#include <QString>

#include <functional>
#include <optional>

class LogSink;
class SubtitleSet;
struct Subtitle;

enum class SubtitleFormat { SubRip, MicroDvd, Mpl2, SubViewer, Ass };

// "SubRip", "MicroDVD", "MPL2", "SubViewer 2.0", "Advanced SubStation": as the log names them.
QString formatName(SubtitleFormat format);

// ".srt" in any case is SubRip, ".ass" Advanced SubStation, any other name MicroDVD.
SubtitleFormat formatOfFileName(const QString &fileName);

// The format of the first lines that carry a time (the majority of the first
// five); none when no line of the text carries a time in any of the four
// formats, so no reader would find a subtitle in it.
std::optional<SubtitleFormat> sniffFormat(const QString &text);

// The frame rates the MicroDVD prompt offers, in frames per 1000 s, in its order.
constexpr int microDvdFrameRates[] = {23976, 24000, 25000, 29970};
// The rate of a prompt entry ("23.976 NTSC" gives 23976), 0 if it has none.
int frameRateOfEntry(const QString &entry);
// The rate a MicroDVD text declares in its first subtitle ({1}{1}29.970 or
// {0}{0}25.0: one of the prompt's rates, any number of decimals), in frames
// per 1000 s; 0 when it declares none.
int declaredFrameRate(const QString &text);

// "00:00:00,000 --> 00:00:00,000" with a "." also taken for the "," (the
// strict form; the SubRip reader repairs the near misses real files have).
bool isTimeLine(const QString &line);
QString formatTime(int ms);
QString formatTimeLine(int start, int end);

// Reads the text of a file into the set, or behind its subtitles with
// `append` (then starting `gap` ms after the last one ends), and logs what it
// read, rejected and repaired. `frameRate` is the MicroDVD rate the user gave.
// Advanced SubStation stands for both SubStation versions (readSubStation).
void readSubtitles(SubtitleSet &set, const QString &text, SubtitleFormat format, int frameRate, bool append, int gap,
                   const QString &fileName, LogSink &log);

struct FormattedSet
{
    QString text; // "\n" line ends
    int written = 0;
    int cutAtZero = 0; // started before 0:00 and cut, or ended by then and left out
};

// Subtitles are written in pieces of this many, so that no file is held whole as text.
constexpr int subtitlesPerPiece = 500;

// No player reads a negative time: what a shift moved before the film starts
// is cut there, in the file only (shifting back restores it). Moves `start`
// to 0:00 or, for a subtitle that ends by then, returns false to leave it
// out; both are counted in `result.cutAtZero`.
bool cutAtZero(int &start, int end, FormattedSet &result);

// The file's text. Subtitles without text are left out, and so are those
// that end at or before 0:00; those that start before it start at 0:00.
FormattedSet formatSubtitles(const SubtitleSet &set, SubtitleFormat format, int frameRate);
// The same text handed to `out` in pieces of some hundred subtitles, so that
// a merged set of 80000 frames is never held as one text; `text` stays empty.
FormattedSet formatSubtitles(const SubtitleSet &set, SubtitleFormat format, int frameRate,
                             const std::function<void(const QString &piece)> &out);
