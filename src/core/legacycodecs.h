#pragma once
// The codings beyond Unicode come from the toolkit's QTextCodec, which Qt 6
// keeps in a library of its own (Core5Compat, on ICU). Loading it cost every
// start of the tool a good twentieth of its time, though most files are
// UTF-8; so it sits behind the module built from core/qtextcodec/, loaded the
// first time such a coding is asked for. A codec is an opaque handle here.

#include <QByteArray>
#include <QList>
#include <QString>

struct LegacyCodecs
{
    // The codec of that name, or null when the toolkit has none.
    const void *(*find)(const QString &name);
    const void *(*local)();
    int (*mib)(const void *codec);
    QByteArray (*name)(const void *codec);
    QList<QByteArray> (*aliases)(const void *codec);
    // Without taking a byte-order mark out.
    QString (*decode)(const void *codec, const char *data, int size);
    // Also counts the characters it replaced because it could not decode them.
    QString (*decodeCounting)(const void *codec, const char *data, int size, int *undecodable);
    // Whether the piece comes back unchanged once encoded and decoded.
    bool (*roundTrips)(const void *codec, const QString &piece);
    // Encoding in pieces: the state runs on from one to the next.
    void *(*newEncoding)();
    void (*deleteEncoding)(void *state);
    QByteArray (*encode)(const void *codec, void *state, const QChar *chars, int n, int *invalid);
};

// Null when the module cannot be loaded (the tool then knows only Unicode).
const LegacyCodecs *legacyCodecs();

extern "C" Q_DECL_EXPORT const LegacyCodecs *twinscriptLegacyCodecs();
