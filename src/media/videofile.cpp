#include "media/videofile.h"

#include "media/backend.h"
#include "media/languages.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <mutex>

namespace media {

namespace {

// Counts found by reading, for the file as it is now: the question that
// comes up for the same file again shows them.
class ReadCounts
{
public:
    static QString keyOf(const QString &path)
    {
        const QFileInfo info(path);
        return QStringLiteral("%1|%2|%3")
            .arg(info.absoluteFilePath())
            .arg(info.size())
            .arg(info.lastModified().toMSecsSinceEpoch());
    }
    QHash<int, int> get(const QString &key)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_counts.value(key);
    }
    void put(const QString &key, const QHash<int, int> &counts)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_counts.insert(key, counts);
    }

private:
    std::mutex m_mutex;
    QHash<QString, QHash<int, int>> m_counts;
};

ReadCounts &readCounts()
{
    static ReadCounts counts;
    return counts;
}

} // namespace

QString Track::description() const
{
    QString text = QStringLiteral("#%1 %2").arg(number).arg(language);
    const QString name = title.isEmpty() ? languageName(language) : title;
    if (!name.isEmpty())
        text += QStringLiteral(" — ") + name;
    text += QStringLiteral(", ") + codec;
    if (kind == TrackKind::Pictures)
        text += QStringLiteral(", pictures");
    else if (kind == TrackKind::Unreadable)
        text += QStringLiteral(", not readable");
    else if (count >= 0)
        text += count == 1 ? QStringLiteral(", 1 subtitle") : QStringLiteral(", %1 subtitles").arg(count);
    return text;
}

QString Track::tabLine() const
{
    const char *kinds[] = {"text", "pictures", "unreadable"};
    QString cleanTitle = title;
    cleanTitle.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringList {
        QString::number(number),        language, cleanTitle, codec, count >= 0 ? QString::number(count) : QString(),
        QLatin1String(kinds[int(kind)])}
        .join(QLatin1Char('\t'));
}

bool isVideoFile(const QString &path)
{
    // Matroska and WebM start with an EBML header, MP4 and QuickTime with a
    // box: its size, then a type of four letters. No text file starts so.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(8);
    if (head.startsWith("\x1a\x45\xdf\xa3"))
        return true;
    static const char *const boxes[] = {"ftyp", "moov", "mdat", "free", "skip", "wide", "pnot"};
    for (const char *box : boxes)
        if (head.size() == 8 && head.mid(4) == box)
            return true;
    return false;
}

QStringList videoSuffixes()
{
    return {QStringLiteral("mkv"), QStringLiteral("mka"), QStringLiteral("mp4"),
            QStringLiteral("m4v"), QStringLiteral("mov"), QStringLiteral("webm")};
}

VideoFile::VideoFile() = default;
VideoFile::~VideoFile() = default;

bool VideoFile::open(const QString &path, QString *error)
{
    m_path = path;
    Backend *module = backend(error);
    return module && opened(module->open(path, nullptr, error));
}

bool VideoFile::openBytes(const QByteArray &bytes, QString *error)
{
    m_path.clear();
    Backend *module = backend(error);
    return module && opened(module->open(QString(), &bytes, error));
}

bool VideoFile::opened(std::unique_ptr<TrackSource> source)
{
    m_source = std::move(source);
    m_tracks.clear();
    if (!m_source)
        return false;
    m_tracks = m_source->tracks();
    const QHash<int, int> known = m_path.isEmpty() ? QHash<int, int>() : readCounts().get(ReadCounts::keyOf(m_path));
    for (Track &track : m_tracks)
        track.count = known.value(track.number, track.count);
    return true;
}

const Track *VideoFile::track(int number) const
{
    for (const Track &t : m_tracks)
        if (t.number == number)
            return &t;
    return nullptr;
}

int VideoFile::firstText() const
{
    for (const Track &t : m_tracks)
        if (t.kind == TrackKind::Text)
            return t.number;
    return -1;
}

int VideoFile::find(const QString &choice) const
{
    bool isNumber = false;
    const int number = choice.toInt(&isNumber);
    if (isNumber)
        return track(number) ? number : -1;
    for (const Track &t : m_tracks) {
        if (t.kind == TrackKind::Text
            && (sameLanguage(t.language, choice) || t.language.compare(choice, Qt::CaseInsensitive) == 0
                || (!t.title.isEmpty() && t.title.compare(choice, Qt::CaseInsensitive) == 0)))
            return t.number;
    }
    return -1;
}

VideoFile::ReadResult VideoFile::read(int number, TrackDocument *document, QString *error, const Progress &progress)
{
    if (!m_source) {
        *error = QStringLiteral("no file open");
        return ReadResult::Failed;
    }
    QHash<int, int> counts;
    const ReadResult result = m_source->read(number, document, &counts, error, progress);
    if (result != ReadResult::Ok)
        return result;
    for (Track &t : m_tracks)
        t.count = counts.value(t.number);
    if (!m_path.isEmpty())
        readCounts().put(ReadCounts::keyOf(m_path), counts);
    return result;
}

} // namespace media
