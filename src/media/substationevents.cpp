#include "media/substationevents.h"

namespace media {

namespace {

// "0:01:02.35": SubStation counts hundredths.
QString assTime(qint64 ms)
{
    const qint64 cs = (qMax<qint64>(0, ms) + 5) / 10;
    return QString::asprintf("%lld:%02lld:%02lld.%02lld", cs / 360000, cs / 6000 % 60, cs / 100 % 60, cs % 100);
}

const QStringList usualEventFormat {"Layer",   "Start",   "End",     "Style",  "Name",
                                    "MarginL", "MarginR", "MarginV", "Effect", "Text"};

} // namespace

QStringList eventFormat(const QString &header)
{
    const int events = header.indexOf(QLatin1String("[Events]"), 0, Qt::CaseInsensitive);
    if (events >= 0) {
        const QStringList lines = header.mid(events).split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            if (!line.startsWith(QLatin1String("Format:"), Qt::CaseInsensitive))
                continue;
            QStringList fields = line.mid(7).split(QLatin1Char(','));
            for (QString &field : fields)
                field = field.trimmed();
            if (fields.contains(QLatin1String("Start")) && fields.contains(QLatin1String("End")))
                return fields;
        }
    }
    return usualEventFormat;
}

QString dialogueLine(const QStringList &format, const QString &packet, qint64 start, qint64 end, int *readOrder)
{
    // The place in the script, then every field but the times; the text,
    // last, may hold commas.
    const int wanted = int(format.size()) - 1;
    QStringList parts;
    int from = 0;
    while (parts.size() < wanted - 1) {
        const int comma = packet.indexOf(QLatin1Char(','), from);
        if (comma < 0)
            break;
        parts << packet.mid(from, comma - from);
        from = comma + 1;
    }
    parts << packet.mid(from);
    bool ok = false;
    *readOrder = parts.first().trimmed().toInt(&ok);
    if (!ok)
        *readOrder = -1;
    while (parts.size() < wanted)
        parts.insert(parts.size() - 1, QString());
    QStringList fields;
    int next = 1;
    for (const QString &field : format) {
        if (field == QLatin1String("Start"))
            fields << assTime(start);
        else if (field == QLatin1String("End"))
            fields << assTime(end);
        else
            fields << parts.value(next++);
    }
    QString &text = fields.last();
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QLatin1String("\\N"));
    return QStringLiteral("Dialogue: ") + fields.join(QLatin1Char(','));
}

} // namespace media
