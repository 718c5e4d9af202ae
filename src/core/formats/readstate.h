#pragma once
// What the readers of all formats share: the slot being filled, the append
// offset, the checks of a subtitle against the one before, the counts the log
// reports at the end of a load, and the scanning of clock times. A format's
// reader derives from ReadState and turns each line into calls on it.

#include "core/formats/formattable.h"
#include "core/subtitleset.h"
#include "core/textfile.h"

class LogSink;

namespace reading {

constexpr int maxLineLength = 1024;

// The readers' margin in ms: a subtitle that starts less than this after the
// previous one is out of sequence, and one that ends more than this before
// its own start is refused as too short.
constexpr int timeToleranceMs = 100;

inline bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

inline bool isBlank(QChar c)
{
    return c.unicode() == ' ' || c.unicode() == '\t';
}

// What a time line needed to be read, counted per load by kind.
enum Repair { BrokenArrow, ShortFraction, NoFraction, ShortField, NoBlankLine, EndBeforeStart, RepairKinds };

// "h:m:s" with one to three digits a field, then a fraction of one to three
// digits after a "." (or, with `commaToo`, a ","), a decimal fraction of a
// second: ",5" is 500 ms. Sets the Repair bits of what differs from the
// two-digit fields and three-digit fraction of SubRip. A fourth digit is left
// for the caller, whom it never suits.
bool readClockTime(const QChar *c, int n, int *at, bool commaToo, bool fractionNeeded, qint64 *ms, unsigned *repairs);

} // namespace reading

class ReadState
{
public:
    ReadState(SubtitleSet &set, const ReadRequest &request, LogSink &log);
    virtual ~ReadState() = default;

    // Reads every line of the text (until the set is full) and logs what was read.
    void run(const QString &text);

protected:
    SubtitleSet &m_set;
    const ReadRequest &m_request;
    LogSink &m_log;
    int m_current = 0;
    int m_appendOffset = 0;
    int m_linesRead = 0;
    int m_skipped = 0;
    int m_declaredRate = 0;
    int m_repairs[reading::RepairKinds] = {};
    int m_joined = 0;
    bool m_inText = false;

    virtual void addLine(const QString &line) = 0;
    // After the last line: block formats end their last subtitle.
    virtual void endOfText() { }

    void report(int level, const QString &message);
    // A time line of a block format: the subtitle it opens, checked against
    // the one before. One that starts before it is out of sequence; one that
    // starts with it (within the margin) joins it, its text further lines of
    // that subtitle. One whose end lies before its start gets the end its
    // text needs at the reading speed.
    void startBlock(qint64 start, qint64 end);
    // A line of the open block's text.
    void appendText(const QString &line);
    bool blockHasText() const;
    // Ends the last block of a text.
    void finishBlocks();
    // A subtitle of a one-line format behind the others.
    void keepLineSubtitle(qint64 start, qint64 end, const QString &text, bool angleTags);
    // A line that is no subtitle in a one-line format.
    void skipLine();
    // Counts the repairs whose bits are set.
    void countRepairs(unsigned repaired);

private:
    // The open block: the subtitle its text goes to (the one before, when it
    // joins it), how much text that subtitle had before, and its own times.
    int m_target = 0;
    int m_textFrom = 0;
    qint64 m_blockStart = 0;
    qint64 m_blockEnd = 0;
    bool m_endBeforeStart = false;

    void closeBlock();
    void summarize(int first);
};

// A format's read function: its reader run over the text.
template<typename Reader> void readWith(SubtitleSet &set, const QString &text, const ReadRequest &request, LogSink &log)
{
    Reader(set, request, log).run(text);
}
