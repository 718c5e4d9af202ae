#include "core/strip.h"

#include "core/subtitleset.h"

StripResult stripBrackets(SubtitleSet &set, const QVector<Bracket> &kinds)
{
    StripResult result;
    for (int i = 0; i < set.count; ++i) {
        Subtitle &s = set.at(i);
        const QString before = s.text;
        for (Bracket kind : kinds)
            removeBracketed(s.text, kind);
        s.normalize();
        if (s.text != before) {
            ++result.changed;
            if (s.text.isEmpty())
                ++result.leftEmpty;
        }
    }
    return result;
}
