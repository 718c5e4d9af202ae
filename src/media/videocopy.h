#pragma once
// A copy of a video with one subtitle track added: every stream, chapter,
// attachment and tag of the source is copied packet for packet (nothing is
// re-encoded), the new track comes last and is the default one. The copy is
// written under a temporary name and takes the target's name once it is whole;
// the source is only read.

#include "media/videofile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace media {

struct AddedTrack
{
    QByteArray document; // the UTF-8 text of an Advanced SubStation or SubRip file
    bool subStation = true;
    QString language = QStringLiteral("mul");
    QString title;
    int count = -1; // its subtitles, stored as Matroska's statistics tags store them; -1: not stored
};

struct CopyOutcome
{
    enum Result { Ok, Cancelled, Failed } result = Failed;
    QString error;
    QStringList warnings; // streams the target container cannot hold as they are
};

CopyOutcome writeVideoCopy(const QString &source, const QString &target, const AddedTrack &track,
                           const Progress &progress = {});

} // namespace media
