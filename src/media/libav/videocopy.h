#pragma once
// The module's side of writeVideoCopy(): the copy made with libavformat.

#include "media/videocopy.h"

namespace media {

CopyOutcome copyWithTrack(const QString &source, const QString &target, const AddedTrack &track,
                          const Progress &progress);

} // namespace media
