#include "core/formats/subviewer.h"

#include "core/formats/readstate.h"

using namespace reading;

namespace {

// "00:00:20.19,00:00:22.59": hundredths (any decimal fraction) of a second.
bool readSubViewerTimeLine(const QString &line, qint64 *start, qint64 *end)
{
    const int n = line.size();
    const QChar *c = line.constData();
    if (n == 0 || !isDigit(c[0]))
        return false;
    unsigned ignored = 0;
    int i = 0;
    if (!readClockTime(c, n, &i, false, true, start, &ignored) || i >= n || c[i] != QLatin1Char(','))
        return false;
    ++i;
    return readClockTime(c, n, &i, false, true, end, &ignored) && (i == n || c[i].isSpace());
}

class SubViewerReader : public ReadState
{
public:
    using ReadState::ReadState;

private:
    void addLine(const QString &line) override;
    void endOfText() override { finishBlocks(); }
};

void SubViewerReader::addLine(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    if (readSubViewerTimeLine(line, &start, &end)) {
        startBlock(start, end);
        return;
    }
    if (line.trimmed().isEmpty()) {
        m_inText = false;
        return;
    }
    // Header lines ("[INFORMATION]", "[COLF]...") come before the first time
    // line, when no subtitle takes text.
    if (m_inText)
        appendText(QString(line).replace(QLatin1String("[br]"), QLatin1String("|"), Qt::CaseInsensitive));
}

} // namespace

bool isSubViewerTimeLine(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    return readSubViewerTimeLine(line, &start, &end);
}

FormatInfo subViewerFormat()
{
    FormatInfo f(SubtitleFormat::SubViewer, QStringLiteral("SubViewer 2.0"), {QStringLiteral("sub")});
    f.read = readWith<SubViewerReader>;
    f.isTimedLine = isSubViewerTimeLine;
    return f;
}
