// Process & Save without the dialog and the file: the pipeline that turns the
// upper and lower sets into the merged set, in its fixed order.

#include "app/preferences.h"
#include "merge/colors.h"
#include "subtitles/mergeworkspace.h"
#include "subtitles/writer.h"

namespace {

void appendHeader(SubtitleSet &merged, bool srtOutput)
{
    const Preferences &prefs = preferences();
    const bool colorTags = prefs.colorTags();
    const int lastEnd = merged.records[size_t(merged.count - 1)].end;
    Subtitle &header = merged.records[size_t(merged.count)];
    header.reset();
    QString first = QStringLiteral("Subtitles processed with");
    if (colorTags)
        applyColorTag(first, prefs.upperColor, srtOutput);
    QString second = QStringLiteral("Twinscript");
    if (colorTags)
        applyColorTag(second, prefs.lowerColor, srtOutput);
    header.text = first + QLatin1Char('|') + second;
    header.start = clampToInt32(qint64(lastEnd) + 2000);
    header.end = clampToInt32(qint64(lastEnd) + 7000);
    header.visibleLength = 35; // the uncoloured two lines and their separator
    ++merged.count;
}

} // namespace

void MergeWorkspace::processMerge()
{
    // Texts are built in the tag style of the file that will be written.
    const bool srtOutput = isSrtName(merged.file.fileName());
    Preferences &prefs = preferences();
    prefs.showMergeTimes = true;

    upper.CorrDurOvlp();
    lower.CorrDurOvlp();
    upper.snapNeighbours();
    lower.snapNeighbours();
    crossSnapPass();

    merged.reset();
    stackingPass(srtOutput);
    // At most 20000 frames, so the header's slot and the sentinel's after it exist.
    if (merged.count > 0 && prefs.addHeader)
        appendHeader(merged, srtOutput);
    merged.CorrDurOvlp();
}
