#pragma once
// Decoding a file's bytes with the coding the user chose, or with the one
// found from the bytes for "Auto Detect".

#include <QByteArray>
#include <QString>

// A file's text and how its coding was found.
struct DecodedText
{
    enum class Source { ByteOrderMark, Chosen, Utf8, Detected, Fallback };
    QString text;
    Source source = Source::Chosen;
    // The coding read with, as logged: uchardet's name for Detected
    // ("WINDOWS-1252"; "UTF-16LE" when told by zero bytes), "Windows-1252" for
    // Fallback, the name as given for Chosen ("Windows-1250"; the local codec's
    // name for "Auto Local" or an unknown name), the codec's name for a mark
    // ("UTF-8", "UTF-16LE").
    QString coding;
    int undecodable = 0; // characters the coding could not decode (replaced)
    // With undecodable > 0: a coding that would likely decode the bytes
    // ("Windows-1252"), empty when none other is known.
    QString likely;
    // The coding a byte-order mark named when the bytes after it are not in
    // it ("UTF-8" before Windows-1252 text): the mark is ignored and the text
    // decoded as if it had none.
    QString ignoredMark;
};

// Decodes a file's bytes. A byte-order mark decides, unless it is a UTF-8
// mark before bytes that mostly are not UTF-8. With "Auto Detect":
// UTF-16 or UTF-32 without a mark is told by its zero bytes, valid UTF-8 is
// UTF-8; otherwise uchardet proposes the coding (its ISO-8859-1 and -9 read as
// their Windows supersets), and without an answer Windows-1252 is used. Any
// other name is decoded as TextCodec::named decodes it.
DecodedText decodeFile(const QByteArray &bytes, const QString &codecName);
