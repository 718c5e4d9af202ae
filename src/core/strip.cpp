#include "core/strip.h"

#include "core/subtitleset.h"

#include <QStringList>

#include <algorithm>

namespace {

bool isDebrisCharacter(QChar c)
{
    switch (c.unicode()) {
    case '-':
    case 0x2013: // en dash
    case 0x2014: // em dash
    case '.':
    case ',':
    case ':':
    case ';':
        return true;
    default:
        return c.isSpace();
    }
}

bool isDebrisLine(const QString &line)
{
    return std::all_of(line.begin(), line.end(), isDebrisCharacter);
}

// What a removed description leaves behind: the dialogue dash before it, the
// punctuation after it, an empty line. A dialogue dash is kept only where two
// speakers are left to tell apart.
void removeDebris(QString &text)
{
    QStringList lines = text.split(QLatin1Char('|'));
    lines.erase(std::remove_if(lines.begin(), lines.end(), isDebrisLine), lines.end());
    if (lines.size() == 1) {
        QString &line = lines.first();
        const QString trimmed = line.trimmed();
        if (trimmed.size() >= 2 && trimmed.at(0) == QLatin1Char('-') && trimmed.at(1) == QLatin1Char(' '))
            line = trimmed.mid(2);
    }
    text = lines.join(QLatin1Char('|'));
}

} // namespace

StripResult stripBrackets(SubtitleSet &set, const QVector<Bracket> &kinds)
{
    StripResult result;
    for (int i = 0; i < set.count; ++i) {
        Subtitle &s = set.at(i);
        const QString before = s.text;
        for (Bracket kind : kinds)
            removeBracketed(s.text, kind);
        // Only where something was removed: a lone dialogue dash that the
        // file itself has is the author's.
        if (s.text != before)
            removeDebris(s.text);
        s.normalize();
        if (s.text != before) {
            ++result.changed;
            if (s.text.isEmpty())
                ++result.leftEmpty;
        }
    }
    return result;
}
