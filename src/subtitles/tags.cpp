#include "subtitles/tags.h"

#include <QRegExp>

namespace {

const QRegExp &braceTag()
{
    static const QRegExp rx(QStringLiteral("\\{[^\\}]*\\}"), Qt::CaseSensitive, QRegExp::RegExp2);
    return rx;
}

const QRegExp &angleTag()
{
    static const QRegExp rx(QStringLiteral("<[^>]*>"), Qt::CaseSensitive, QRegExp::RegExp2);
    return rx;
}

void toMicroDvd(QString &text)
{
    if (!text.contains(QLatin1Char('<')))
        return;
    static const char *const styles[] = {"i", "b", "u", "s"};
    for (const char *style : styles) {
        text.replace(QStringLiteral("<%1>").arg(QLatin1String(style)),
                     QStringLiteral("{y:%1}").arg(QLatin1String(style)), Qt::CaseInsensitive);
    }
    QRegExp rx = angleTag();
    text.remove(rx);
}

// Each pass removes one brace tag, and with it one "}"; the angle tags put in
// its place hold none, so the loop ends.
void toSubRip(QString &text)
{
    if (!text.contains(QLatin1Char('{')))
        return;
    QRegExp rx = braceTag();
    int p = rx.indexIn(text);
    while (p >= 0) {
        const int length = rx.matchedLength();
        QString content = text.mid(p + 1, length - 2);
        content.remove(QLatin1Char(' '));
        content.remove(QLatin1Char(','));
        text.remove(p, length);

        int q = rx.indexIn(text, p);
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
        p = rx.indexIn(text, p);
    }
}

} // namespace

void convertTags(QString &text, bool toSrt)
{
    if (text.isEmpty())
        return;
    if (toSrt)
        toSubRip(text);
    else
        toMicroDvd(text);
}
