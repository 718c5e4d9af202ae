#include "core/colors.h"

QString colorHex(int color)
{
    // Anything above the three colour bytes (an edited settings file) is no colour.
    return QStringLiteral("%1").arg(color & 0xffffff, 6, 16, QLatin1Char('0'));
}

void applyColorTag(QString &text, int color, bool srtOutput)
{
    if (text.isEmpty())
        return;
    if (srtOutput) {
        // One pair spans all lines: SubRip tags carry over line breaks.
        text.prepend(QLatin1String("<font color=#") + colorHex(color) + QLatin1Char('>'));
        text.append(QLatin1String("</font>"));
        return;
    }
    // MicroDVD colours are $BBGGRR and hold for one line only, so every line
    // gets its own code and none is closed.
    const int rgb = color & 0xffffff;
    const int bgr = ((rgb & 0xff) << 16) | (rgb & 0xff00) | (rgb >> 16);
    const QString tag = QLatin1String("{c:$") + colorHex(bgr).toUpper() + QLatin1Char('}');
    text.replace(QLatin1Char('|'), QLatin1Char('|') + tag);
    text.prepend(tag);
}
