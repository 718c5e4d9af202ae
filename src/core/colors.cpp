#include "core/colors.h"

QString colorHex(int color)
{
    return QStringLiteral("%1").arg(color & rgbMask, 6, 16, QLatin1Char('0'));
}

void applyColorTag(QString &text, int color, TagStyle output)
{
    if (text.isEmpty())
        return;
    if (output == TagStyle::SubRip) {
        // One pair spans all lines: SubRip tags carry over line breaks.
        text.prepend(QLatin1String("<font color=#") + colorHex(color) + QLatin1Char('>'));
        text.append(QLatin1String("</font>"));
        return;
    }
    // MicroDVD colours are $BBGGRR and hold for one line only, so every line
    // gets its own code and none is closed.
    const QString tag = QLatin1String("{c:$") + colorHex(bgrOf(color)).toUpper() + QLatin1Char('}');
    text.replace(QLatin1Char('|'), QLatin1Char('|') + tag);
    text.prepend(tag);
}

void FrameStyle::applyColor(QString &text, int color, const char *className) const
{
    if (!colorClasses) {
        applyColorTag(text, color, tags);
    } else if (!text.isEmpty()) {
        // A class span carries over line breaks, as SubRip's font tag does.
        text.prepend(QLatin1String("<c.") + QLatin1String(className) + QLatin1Char('>'));
        text.append(QLatin1String("</c>"));
    }
}
