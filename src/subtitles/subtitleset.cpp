#include "subtitles/subtitleset.h"

#include "app/actionlog.h"
#include "app/preferences.h"
#include "subtitles/writer.h"
#include "text/codecregistry.h"

#include <QStringList>

SubtitleSet::SubtitleSet(const QString &prefix)
    : logPrefix(prefix)
    , linkRows(Capacity, 0)
    , records(SlotCount)
{
}

void SubtitleSet::init()
{
    list = nullptr;
    timeBox = nullptr;
    textLabel = nullptr;
    codingBox = nullptr;
    filePath.clear();
    file.setFileName(QString());
    freshLoad = false;
    frameRate = 25000;
    linesRead = 0;
    skipped = 0;
    cursorTime = 0;
    cursorIsEnd = false;
    reset();
}

Subtitle &SubtitleSet::currentSubtitle()
{
    return records[size_t(qBound(0, current, SlotCount - 1))];
}

void SubtitleSet::reset()
{
    count = 0;
    current = 0;
    appendOffset = 0;
    for (Subtitle &s : records)
        s.reset();
    inText = false;
    if (list)
        list->clear();
}

void SubtitleSet::refreshList()
{
    if (!list)
        return;
    const int row = list->currentRow();
    QStringList rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append(QString::number(i + 1).rightJustified(4, QLatin1Char('0')) + QLatin1Char(' ')
                    + records[size_t(i)].text);
    list->setUpdatesEnabled(false);
    list->clear();
    list->addItems(rows);
    list->setUpdatesEnabled(true);
    list->setCurrentRow(row);
}

void SubtitleSet::select(int index)
{
    if (index < 0 || index > count)
        index = 0;
    current = index;
    const Subtitle &s = records[size_t(index)];
    if (list && timeBox) {
        timeBox->clear();
        timeBox->addItem(formatTimeLine(s, preferences().showMergeTimes));
        list->setCurrentRow(index);
    }
    if (textLabel)
        textLabel->setText(s.text);
}

void SubtitleSet::advance()
{
    ++current;
}

QString SubtitleSet::codecName() const
{
    return CodecRegistry::codecNameOf(codingBox ? codingBox->currentText() : CodecRegistry::autoLocal());
}

QTextCodec *SubtitleSet::chosenCodec(bool *fellBack) const
{
    const QString coding = codecName();
    bool unknown = false;
    QTextCodec *codec = CodecRegistry::codecOrLocal(coding, &unknown);
    if (unknown)
        actionLog().log(1, QStringLiteral("coding %1 unknown, local coding used").arg(coding));
    if (fellBack)
        *fellBack = unknown;
    return codec;
}
