#pragma once
// SubStation events as Matroska stores them in a track: one packet per event,
// its fields without the times (those are the packet's), behind the event's
// place in the script; the script's header is the track's codec data.

#include <QString>
#include <QStringList>

namespace media {

// The fields of a SubStation "Format:" line of the [Events] section of
// `header` ("Layer", "Start", ...); the usual ones when it has none.
QStringList eventFormat(const QString &header);
// The "Dialogue:" line of a packet as Matroska stores it ("ReadOrder,Layer,
// Style,Name,MarginL,MarginR,MarginV,Effect,Text": the event's fields without
// its times, behind its place in the script), at the given times. `readOrder`
// gets the place (-1 when it is no number).
QString dialogueLine(const QStringList &format, const QString &packet, qint64 start, qint64 end, int *readOrder);

} // namespace media
