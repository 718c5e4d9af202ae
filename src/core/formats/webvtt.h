#pragma once
// WebVTT (.vtt), the format of browsers and media servers: a "WEBVTT" line,
// then blocks separated by blank lines. Cues have an optional identifier, a
// time line "[hh:]mm:ss.ttt --> [hh:]mm:ss.ttt [settings]" and text lines with
// tags and entities; NOTE, STYLE and REGION blocks are no cues.

#include "core/formats/formattable.h"

// The text starts with the "WEBVTT" line (after a byte-order mark).
bool looksLikeWebVtt(const QString &text);
// A cue's time line: without the header it still votes for WebVTT, after the
// formats before it in the table.
bool isWebVttTimeLine(const QString &line);

// One line of cue text as a subtitle line: <i>, <b>, <u> become its tags,
// every other tag (classes, voices, languages, ruby, inline times) goes and
// leaves its text, entities are decoded.
QString webVttLineText(const QString &line);

FormatInfo webVttFormat();
