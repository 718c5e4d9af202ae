#include "videoutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>

extern "C" {
#include <libavformat/avformat.h>
}

namespace testutil {

Ran run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    Ran r;
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString makeVideo(const QString &dir, const QString &name, const QVector<TrackSpec> &tracks, const QStringList &inputs,
                  const QStringList &extra)
{
    const QString path = QDir(dir).filePath(name);
    QStringList args {"-v",
                      "error",
                      "-y",
                      "-f",
                      "lavfi",
                      "-i",
                      "color=c=navy:s=64x48:r=5:d=12",
                      "-f",
                      "lavfi",
                      "-i",
                      "sine=frequency=440:sample_rate=8000:duration=12"};
    for (const TrackSpec &t : tracks)
        args << "-i" << t.file;
    args << inputs << "-map"
         << "0"
         << "-map"
         << "1";
    for (int i = 0; i < tracks.size(); ++i)
        args << "-map" << QString::number(i + 2);
    // Video with B-frames, whose timestamps come out of order, as films have
    // them; audio without encoder delay, which would shift every other stream.
    const QString audio = name.endsWith(QLatin1String(".mp4")) ? "alac" : "pcm_s16le";
    args << QStringList {"-c:v", "libx264", "-preset", "veryfast", "-bf", "2", "-c:a", audio};
    for (int i = 0; i < tracks.size(); ++i) {
        const QString s = QStringLiteral(":s:%1").arg(i);
        args << "-c" + s << tracks[i].codec << "-metadata:s" + s << "language=" + tracks[i].language;
        if (!tracks[i].title.isEmpty())
            args << "-metadata:s" + s << "title=" + tracks[i].title;
        args << "-disposition" + s << (i == 0 ? "default" : "0");
    }
    args << extra << path;
    const Ran r = run(QStringLiteral("ffmpeg"), args);
    if (r.code != 0) {
        qWarning("ffmpeg: %s", r.err.constData());
        return QString();
    }
    return path;
}

QString withPictureTrack(const QString &video, const QString &name)
{
    // ffmpeg makes picture tracks only from pictures; a PGS track of a few
    // packets is written directly, then added with ffmpeg.
    const QString pictures = QFileInfo(video).dir().filePath(QStringLiteral("pictures-") + name);
    AVFormatContext *out = nullptr;
    if (avformat_alloc_output_context2(&out, nullptr, "matroska", QFile::encodeName(pictures).constData()) < 0)
        return QString();
    AVStream *stream = avformat_new_stream(out, nullptr);
    stream->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
    stream->codecpar->codec_id = AV_CODEC_ID_HDMV_PGS_SUBTITLE;
    stream->time_base = AVRational {1, 1000};
    av_dict_set(&stream->metadata, "language", "eng", 0);
    bool ok = avio_open(&out->pb, QFile::encodeName(pictures).constData(), AVIO_FLAG_WRITE) >= 0
        && avformat_write_header(out, nullptr) >= 0;
    for (int i = 0; ok && i < 3; ++i) {
        AVPacket *packet = av_packet_alloc();
        // A display set of a presentation segment without objects, then its end.
        const unsigned char displaySet[] = {0x16, 0, 11, 0, 64, 0, 48, 0x10, 0, 1, 0x80, 0, 0, 0, 0x80, 0, 0};
        ok = av_new_packet(packet, sizeof displaySet) >= 0;
        if (ok) {
            memcpy(packet->data, displaySet, sizeof displaySet);
            packet->pts = packet->dts = av_rescale_q(1000 + i * 2000, AVRational {1, 1000}, stream->time_base);
            packet->duration = av_rescale_q(1500, AVRational {1, 1000}, stream->time_base);
            ok = av_write_frame(out, packet) >= 0;
        }
        av_packet_free(&packet);
    }
    ok = ok && av_write_trailer(out) >= 0;
    avio_closep(&out->pb);
    avformat_free_context(out);
    const QString path = QFileInfo(video).dir().filePath(name);
    const Ran r = run(QStringLiteral("ffmpeg"),
                      {"-v", "error", "-y", "-i", video, "-i", pictures, "-map", "0", "-map", "1", "-c", "copy", path});
    return ok && r.code == 0 ? path : QString();
}

QString truncated(const QString &path, const QString &name, int percent)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = in.read(in.size() * percent / 100);
    const QString cut = QFileInfo(path).dir().filePath(name);
    QFile out(cut);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? cut : QString();
}

QVector<QMap<QString, QString>> probeStreams(const QString &path)
{
    const Ran r = run(QStringLiteral("ffprobe"), {"-v", "error", "-show_streams", "-of", "flat=s=_", path});
    QVector<QMap<QString, QString>> streams;
    for (const QByteArray &line : r.out.split('\n')) {
        // streams_stream_2_codec_name="ass"
        const QString text = QString::fromUtf8(line);
        const QStringList parts = text.section(QLatin1Char('='), 0, 0).split(QLatin1Char('_'));
        if (parts.size() < 4 || parts[0] != QLatin1String("streams"))
            continue;
        const int index = parts[2].toInt();
        if (streams.size() <= index)
            streams.resize(index + 1);
        QString value = text.section(QLatin1Char('='), 1);
        if (value.startsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        streams[index].insert(parts.mid(3).join(QLatin1Char('_')), value);
    }
    return streams;
}

int probeChapterCount(const QString &path)
{
    const Ran r = run(QStringLiteral("ffprobe"), {"-v", "error", "-show_chapters", "-of", "csv", path});
    return r.out.count("chapter,");
}

QByteArray streamHash(const QString &path, int index)
{
    const Ran r = run(
        QStringLiteral("ffmpeg"),
        {"-v", "error", "-i", path, "-map", QStringLiteral("0:%1").arg(index), "-c", "copy", "-f", "streamhash", "-"});
    return r.code == 0 ? r.out : QByteArray("ffmpeg failed: ") + r.err;
}

QByteArray extractTrack(const QString &path, int index, const QString &format)
{
    const Ran r
        = run(QStringLiteral("ffmpeg"),
              {"-v", "error", "-i", path, "-map", QStringLiteral("0:%1").arg(index), "-c", "copy", "-f", format, "-"});
    return r.code == 0 ? r.out : QByteArray("ffmpeg failed: ") + r.err;
}

} // namespace testutil
