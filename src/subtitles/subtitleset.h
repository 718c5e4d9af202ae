#pragma once
// One subtitle stream in memory: fixed slots for up to 20000 subtitles, the
// widgets that show it, and the reader's and the stacking engine's bookkeeping.

#include "subtitles/subtitle.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QString>

#include <vector>

class QTextCodec;
class QTextStream;

class SubtitleSet
{
public:
    static constexpr int Capacity = 20000;
    static constexpr int SlotCount = Capacity + 2; // end sentinel and one spare
    static constexpr int MaxLineLength = 1024;

    explicit SubtitleSet(const QString &prefix);
    SubtitleSet(const SubtitleSet &) = delete;
    SubtitleSet &operator=(const SubtitleSet &) = delete;

    // Views; any of them may be unset (the merged set has none, the tools bind none).
    QPointer<QListWidget> list;
    QPointer<QListWidget> timeBox;
    QPointer<QLabel> textLabel;
    QPointer<QComboBox> codingBox;

    QString logPrefix;
    QString filePath;
    QFile file; // the chosen save file between SaveSelect and SaveWrite
    int current = 0;
    int cursorTime = 0;
    bool cursorIsEnd = false;
    std::vector<int> linkRows; // Capacity entries: this set's column of the link table
    bool freshLoad = false;
    std::vector<Subtitle> records; // SlotCount slots, allocated once
    int count = 0;
    int appendOffset = 0;
    int frameRate = 25000;
    int linesRead = 0;
    int skipped = 0;
    bool inText = false;

    // Back to the state the workspace starts with (used at start-up and by tests).
    void init();

    // The slot at `current`, or the last slot if `current` ever ran past the end.
    Subtitle &currentSubtitle();

    void reset();
    void refreshList();
    void select(int index);
    void advance();
    QString codecName() const;
    // The codec to read or write this set with; a coding the toolkit lacks
    // falls back to the local one and says so in the log (level 1).
    QTextCodec *chosenCodec(bool *fellBack = nullptr) const;

    // Reading (reader.cpp)
    void LoadFile(const QString &caption, bool append);
    bool loadPath(const QString &path, bool append);
    void readContent(const QString &content, bool srt, bool append, const QString &fileName);
    void AddSrtLine(const QString &line);
    void AddSubLine(const QString &line);
    int askFrameRate(int lastIndex);

    // Sync links and timing (timing/)
    int startOf(int index) const;
    int nearestIndex(int time) const;
    void shiftFrom(int index, int delta);
    void stretchRange(int first, int last, int oldSpan, int newSpan);
    void scaleTimes(int num, int den);

    // Merging (merge/)
    void CorrDurOvlp();
    void seekTransition(int position);
    bool cursorNear(int time) const;
    void commitCursor();
    bool activeAt(int time);
    void snapNeighbours();
};

bool isTimeLine(const QString &line);
void parseTimeLine(Subtitle &subtitle, const QString &line, int offset);
