#include "core/formats/mpl2.h"

#include "core/formats/readstate.h"

using namespace reading;

namespace {

// "[10][25]": tenths of a second, the text after them. Ten digits at most,
// so that nothing overflows before the range check.
bool readMpl2Times(const QString &line, qint64 *start, qint64 *end, int *textFrom)
{
    const int n = line.size();
    const QChar *c = line.constData();
    int i = 0;
    while (i < n && isBlank(c[i]))
        ++i;
    qint64 values[2] = {0, 0};
    for (qint64 &value : values) {
        if (i >= n || c[i] != QLatin1Char('['))
            return false;
        ++i;
        int digits = 0;
        for (; i < n && isDigit(c[i]) && digits < 10; ++i, ++digits)
            value = value * 10 + (c[i].unicode() - '0');
        if (digits == 0 || i >= n || c[i] != QLatin1Char(']'))
            return false;
        ++i;
    }
    *start = values[0] * 100;
    *end = values[1] * 100;
    *textFrom = i;
    return true;
}

class Mpl2Reader : public ReadState
{
public:
    using ReadState::ReadState;

private:
    void addLine(const QString &line) override;
};

void Mpl2Reader::addLine(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    int textFrom = 0;
    if (readMpl2Times(line, &start, &end, &textFrom) && end > start && fitsInt32(start + m_appendOffset)
        && fitsInt32(end + m_appendOffset)) {
        // A line of the text that starts with "/" is in italics.
        QStringList parts = line.mid(textFrom).split(QLatin1Char('|'));
        for (QString &part : parts) {
            const QString trimmed = part.trimmed();
            if (trimmed.startsWith(QLatin1Char('/')))
                part = QLatin1String("<i>") + trimmed.mid(1).trimmed() + QLatin1String("</i>");
        }
        keepLineSubtitle(start + m_appendOffset, end + m_appendOffset, parts.join(QLatin1Char('|')), true);
        return;
    }
    if (line.trimmed().isEmpty())
        return;
    skipLine();
}

} // namespace

bool isMpl2Line(const QString &line)
{
    qint64 start = 0;
    qint64 end = 0;
    int at = 0;
    return readMpl2Times(line, &start, &end, &at);
}

FormatInfo mpl2Format()
{
    FormatInfo f(SubtitleFormat::Mpl2, QStringLiteral("MPL2"), {QStringLiteral("txt")});
    f.read = readWith<Mpl2Reader>;
    f.isTimedLine = isMpl2Line;
    return f;
}
