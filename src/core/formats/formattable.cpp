#include "core/formats/formattable.h"

#include "core/formats/advancedsubstation.h"
#include "core/formats/microdvd.h"
#include "core/formats/mpl2.h"
#include "core/formats/readstate.h"
#include "core/formats/subrip.h"
#include "core/formats/substation.h"
#include "core/formats/subviewer.h"
#include "core/formats/webvtt.h"
#include "core/processing.h"

#include <QFileInfo>

namespace {

// Both SubStation versions: read as scripts, written as Advanced SubStation.
FormatInfo subStationFormat()
{
    FormatInfo f = advancedSubStationFormat();
    f.suffixes << QStringLiteral("ssa");
    f.read = [](SubtitleSet &set, const QString &text, const ReadRequest &request, LogSink &log) {
        readSubStation(set, text, request.append, request.gap, request.fileName, log);
    };
    f.looksLike = looksLikeSubStation;
    return f;
}

} // namespace

const std::vector<FormatInfo> &formatTable()
{
    // The order of sniffing: formats known by their whole text first (in
    // this order), then a vote of the time lines, where a line that more than
    // one format would take counts for the first of them (a SubRip time line
    // may hold "{1}{2}" further on).
    static const std::vector<FormatInfo> table {
        subRipFormat(), subViewerFormat(), mpl2Format(), microDvdFormat(), subStationFormat(), webVttFormat(),
    };
    return table;
}

const FormatInfo &formatInfo(SubtitleFormat format)
{
    for (const FormatInfo &info : formatTable())
        if (info.format == format)
            return info;
    return formatInfo(fallbackFormat);
}

QString formatName(SubtitleFormat format)
{
    return formatInfo(format).name;
}

SubtitleFormat formatOfFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const FormatInfo &info : formatTable())
        if (info.write && info.suffixes.contains(suffix))
            return info.format;
    return fallbackFormat;
}

std::optional<SubtitleFormat> sniffFormat(const QString &text)
{
    const std::vector<FormatInfo> &table = formatTable();
    for (const FormatInfo &info : table)
        if (info.read && info.looksLike && info.looksLike(text))
            return info.format;

    // A stray line of another format (a text line that looks like MPL2) is
    // outvoted by the lines around it; a clean file is decided in its first
    // few subtitles.
    constexpr int votesNeeded = 5;
    std::vector<int> votes(table.size(), 0);
    int cast = 0;
    int first = -1;
    LineReader lines(text, reading::maxLineLength);
    QString line;
    while (cast < votesNeeded && lines.next(&line)) {
        for (size_t f = 0; f < table.size(); ++f) {
            if (!table[f].read || !table[f].isTimedLine || !table[f].isTimedLine(line))
                continue;
            if (first < 0)
                first = int(f);
            ++votes[f];
            ++cast;
            break;
        }
    }
    if (first < 0)
        return std::nullopt;
    size_t best = size_t(first);
    for (size_t f = 0; f < table.size(); ++f)
        if (votes[f] > votes[best])
            best = f;
    return table[best].format;
}

void readSubtitles(SubtitleSet &set, const QString &text, SubtitleFormat format, const ReadRequest &request,
                   LogSink &log)
{
    const FormatInfo &info = formatInfo(format);
    if (info.read)
        info.read(set, text, request, log);
}

bool cutAtZero(int &start, int end, FormattedSet &result)
{
    if (end <= 0) {
        ++result.cutAtZero;
        return false;
    }
    if (start < 0) {
        ++result.cutAtZero;
        start = 0;
    }
    return true;
}

FormattedSet writeEachSubtitle(const SubtitleSet &set, const PieceSink &out, const AppendSubtitle &append,
                               const QString &header)
{
    FormattedSet result;
    QString piece = header;
    for (const Subtitle &s : set) {
        int start = s.start;
        if (s.text.isEmpty() || !cutAtZero(start, s.end, result))
            continue;
        ++result.written;
        append(piece, s, start, result.written);
        if (result.written % subtitlesPerPiece == 0) {
            out(piece);
            piece.clear();
        }
    }
    if (!piece.isEmpty())
        out(piece);
    return result;
}

FormattedSet formatSubtitles(const SubtitleSet &set, SubtitleFormat format, int frameRate, const PieceSink &out)
{
    const FormatInfo &info = formatInfo(format);
    const ProcessingOptions defaults;
    if (!info.write)
        return FormattedSet();
    WriteRequest request {set, defaults, frameRate};
    return info.write(request, out);
}

FormattedSet formatSubtitles(const SubtitleSet &set, SubtitleFormat format, int frameRate)
{
    QString text;
    FormattedSet result = formatSubtitles(set, format, frameRate, [&text](const QString &piece) { text += piece; });
    result.text = text;
    return result;
}
