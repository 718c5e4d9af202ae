#pragma once
// The one kind of pattern the program looks for in texts: an opening bracket,
// anything but its closing bracket, and the closing bracket, as the regular
// expression "\([^\)]*\)" finds it. Tags ("<i>", "{y:i}") and the text that
// "Strip ()" removes are all of this kind, so no regular expression engine is
// needed.

#include <QString>

enum class Bracket { Round, Square, Curly, Angle };

// The first match at or after `from`: its position, and its length in *length;
// -1 when there is none. The earliest opener with a closer after it starts the
// match, which ends at the first closer after that opener.
int findBracketed(const QString &text, Bracket kind, int from, int *length);

// Removes every match, left to right, as QString::remove with that expression does.
void removeBracketed(QString &text, Bracket kind);
