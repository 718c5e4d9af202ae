#include "core/formats/microdvd.h"

#include "core/formats/readstate.h"
#include "core/tags.h"

using namespace reading;

namespace {

// A frame number between braces: digits with optional sign and white space around.
bool parseFrame(const QString &field, qint64 *frame)
{
    bool ok = false;
    const int v = field.trimmed().toInt(&ok, 10);
    if (ok)
        *frame = v;
    return ok;
}

// "{start}{end}" anywhere in the line; `close` is the second "}".
bool readFrames(const QString &line, qint64 *startFrame, qint64 *endFrame, int *close)
{
    const int open = line.indexOf(QLatin1Char('{'));
    if (open < 0)
        return false;
    const int mid = line.indexOf(QLatin1String("}{"), open);
    if (mid < 0)
        return false;
    *close = line.indexOf(QLatin1Char('}'), mid + 2);
    return *close >= 0 && parseFrame(line.mid(open + 1, mid - open - 1), startFrame)
        && parseFrame(line.mid(mid + 2, *close - mid - 2), endFrame);
}

// "29.970", "25", "23.9760": one of the prompt's rates, with any number of
// decimals, in frames per 1000 s; 0 for any other text.
int rateOfText(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    qint64 rate = 0;
    for (; i < t.size() && isDigit(t.at(i)) && i < 3; ++i)
        rate = rate * 10 + (t.at(i).unicode() - '0');
    if (i == 0)
        return 0;
    rate *= 1000;
    if (i < t.size() && t.at(i) == QLatin1Char('.')) {
        const int point = i++;
        for (; i < t.size() && isDigit(t.at(i)); ++i) {
            const int place = i - point; // 1 for tenths
            if (place <= 3)
                rate += (t.at(i).unicode() - '0') * (place == 1 ? 100 : place == 2 ? 10 : 1);
            else if (t.at(i) != QLatin1Char('0'))
                return 0;
        }
        if (i == point + 1)
            return 0;
    }
    if (i != t.size())
        return 0;
    for (int known : microDvdFrameRates)
        if (rate == known)
            return known;
    return 0;
}

// The rate a MicroDVD line declares, when it is {0}{0}R or {1}{1}R.
int declaredRateOf(const QString &line, qint64 startFrame, qint64 endFrame, int close)
{
    return startFrame == endFrame && (startFrame == 0 || startFrame == 1) ? rateOfText(line.mid(close + 1)) : 0;
}

class MicroDvdReader : public ReadState
{
public:
    MicroDvdReader(SubtitleSet &set, const ReadRequest &request, LogSink &log)
        : ReadState(set, request, log)
    {
        set.frameRate = request.frameRate;
    }

private:
    bool m_framesSeen = false;

    void addLine(const QString &line) override;
};

void MicroDvdReader::addLine(const QString &line)
{
    const int frameRate = m_request.frameRate;
    qint64 startFrame = 0;
    qint64 endFrame = 0;
    int close = -1;
    const bool read = readFrames(line, &startFrame, &endFrame, &close);
    if (read && !m_framesSeen) {
        m_framesSeen = true;
        const int rate = declaredRateOf(line, startFrame, endFrame, close);
        if (rate > 0) {
            m_declaredRate = rate;
            return;
        }
    }
    qint64 start = 0;
    qint64 end = 0;
    if (read && endFrame > startFrame && frameRate > 0) {
        start = msOfFrame(startFrame, frameRate) + m_appendOffset;
        end = msOfFrame(endFrame, frameRate) + m_appendOffset;
    }
    // Frames whose time does not fit the 32-bit fields are no subtitle either.
    if (!read || endFrame <= startFrame || frameRate <= 0 || !fitsInt32(start) || !fitsInt32(end)) {
        skipLine();
        return;
    }
    keepLineSubtitle(start, end, line.mid(close + 1), false);
}

void appendMicroDvd(QString &out, const Subtitle &subtitle, int start, int frameRate)
{
    const qint64 startFrame = frameOfMs(start, frameRate);
    const qint64 endFrame = frameOfMs(subtitle.end, frameRate);
    QString text = subtitle.text;
    if (subtitle.angleTags)
        convertTags(text, TagStyle::MicroDvd);
    out += QLatin1Char('{');
    out += QString::number(startFrame);
    out += QLatin1String("}{");
    out += QString::number(endFrame);
    out += QLatin1Char('}');
    out += text;
    out += QLatin1Char('\n');
}

FormattedSet writeMicroDvd(const WriteRequest &request, const PieceSink &out)
{
    const int frameRate = request.frameRate;
    return writeEachSubtitle(request.set, out, [frameRate](QString &piece, const Subtitle &s, int start, int) {
        appendMicroDvd(piece, s, start, frameRate);
    });
}

} // namespace

int frameRateOfEntry(const QString &entry)
{
    QString digits = entry.left(6);
    digits.remove(QLatin1Char('.'));
    bool ok = false;
    const int rate = digits.toInt(&ok);
    return ok ? rate : 0;
}

int declaredFrameRate(const QString &text)
{
    LineReader lines(text, maxLineLength);
    QString line;
    qint64 startFrame = 0;
    qint64 endFrame = 0;
    int close = -1;
    while (lines.next(&line))
        if (readFrames(line, &startFrame, &endFrame, &close))
            return declaredRateOf(line, startFrame, endFrame, close);
    return 0;
}

bool isMicroDvdLine(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    int close = 0;
    return readFrames(line, &start, &end, &close);
}

FormatInfo microDvdFormat()
{
    FormatInfo f(SubtitleFormat::MicroDvd, QStringLiteral("MicroDVD"), {QStringLiteral("sub"), QStringLiteral("txt")});
    f.read = readWith<MicroDvdReader>;
    f.isTimedLine = isMicroDvdLine;
    f.write = writeMicroDvd;
    f.needsFrameRate = true;
    f.saveFilter = QStringLiteral("MicroDVD (*.sub)");
    f.mergedTags = TagStyle::MicroDvd;
    return f;
}
