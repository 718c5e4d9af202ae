#pragma once
// Languages as subtitle tracks tag them (ISO 639-2 "spa", or "es") and as
// file names state them ("film.es.srt", "film.Spanish.srt"): for choosing a
// track by language, preselecting one, and naming the merged track.

#include <QString>

// "es" for "film.es.srt", "ger" for "film.ger.1958.srt", "Spanish" for
// "film.Spanish.srt": the last part after the title of two or three letters,
// or a language's English name; empty when the name states none.
QString languageOf(const QString &path);

// "Spanish" for "spa", "es", "Spanish" or "spa-419"; empty when unknown.
QString languageName(const QString &language);

// Whether both name the same known language ("de", "ger", "deu" or "German").
bool sameLanguage(const QString &a, const QString &b);
