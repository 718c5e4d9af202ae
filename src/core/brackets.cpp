#include "core/brackets.h"

namespace {

QChar opener(Bracket kind)
{
    static const char openers[] = "([{<";
    return QLatin1Char(openers[int(kind)]);
}

QChar closer(Bracket kind)
{
    static const char closers[] = ")]}>";
    return QLatin1Char(closers[int(kind)]);
}

} // namespace

int findBracketed(const QString &text, Bracket kind, int from, int *length)
{
    const int open = text.indexOf(opener(kind), from);
    if (open < 0)
        return -1;
    // No closer after the first opener means none after any later one either.
    const int close = text.indexOf(closer(kind), open + 1);
    if (close < 0)
        return -1;
    *length = close - open + 1;
    return open;
}

void removeBracketed(QString &text, Bracket kind)
{
    if (!text.contains(opener(kind)))
        return;
    QString out;
    out.reserve(text.size());
    int from = 0;
    int length = 0;
    for (int at = findBracketed(text, kind, 0, &length); at >= 0; at = findBracketed(text, kind, from, &length)) {
        out.append(text.constData() + from, at - from);
        from = at + length;
    }
    out.append(text.constData() + from, text.size() - from);
    text = out;
}
