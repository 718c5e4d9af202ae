#pragma once
// The language a subtitle file's name states, for the name Process & Save
// proposes.

#include <QString>

// "es" for "film.es.srt", "ger" for "film.ger.1958.srt", "Spanish" for
// "film.Spanish.srt": the last part after the title of two or three letters,
// or a language's English name; empty when the name states none.
QString languageOf(const QString &path);
