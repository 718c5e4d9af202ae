#include "core/tags.h"

#include "core/brackets.h"

namespace {

void toMicroDvd(QString &text)
{
    if (!text.contains(QLatin1Char('<')))
        return;
    static const char *const styles[] = {"i", "b", "u", "s"};
    for (const char *style : styles) {
        text.replace(QStringLiteral("<%1>").arg(QLatin1String(style)),
                     QStringLiteral("{y:%1}").arg(QLatin1String(style)), Qt::CaseInsensitive);
    }
    removeBracketed(text, Bracket::Angle);
}

// Each pass removes one brace tag, and with it one "}"; the angle tags put in
// its place hold none, so the loop ends.
void toSubRip(QString &text)
{
    if (!text.contains(QLatin1Char('{')))
        return;
    int length = 0;
    int p = findBracketed(text, Bracket::Curly, 0, &length);
    while (p >= 0) {
        QString content = text.mid(p + 1, length - 2);
        content.remove(QLatin1Char(' '));
        content.remove(QLatin1Char(','));
        text.remove(p, length);

        int nextLength = 0;
        int q = findBracketed(text, Bracket::Curly, p, &nextLength);
        while (q > p && text.at(q - 1) == QLatin1Char('|'))
            --q;

        if (content.size() > 2 && content.startsWith(QLatin1String("y:"), Qt::CaseInsensitive)) {
            for (int k = 2; k < content.size(); ++k) {
                const QChar letter = content.at(k);
                text.insert(p, QLatin1Char('<') + QString(letter) + QLatin1Char('>'));
                const QString closing = QLatin1String("</") + QString(letter) + QLatin1Char('>');
                if (q < 0) {
                    text.append(closing);
                } else {
                    q += 3;
                    text.insert(q, closing);
                }
            }
        }
        p = findBracketed(text, Bracket::Curly, p, &length);
    }
}

} // namespace

void convertTags(QString &text, TagStyle to)
{
    if (text.isEmpty())
        return;
    if (to == TagStyle::SubRip)
        toSubRip(text);
    else
        toMicroDvd(text);
}
