#include "subtitles/writer.h"

#include "app/actionlog.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/subtitleset.h"
#include "subtitles/tags.h"
#include "subtitles/textfile.h"
#include "text/codecregistry.h"

#include <QFileInfo>
#include <QTextCodec>
#include <QTextStream>

namespace {

QString formatTime(int t)
{
    // Saving 20000 subtitles formats 40000 times: the usual case by hand, the
    // rest (negative, 100 hours and more) through printf.
    if (t >= 0 && t < 360000000) {
        const int parts[4] = {t / 3600000, t / 60000 % 60, t / 1000 % 60, t % 1000};
        QChar out[12];
        int k = 0;
        for (int i = 0; i < 4; ++i) {
            if (i == 3)
                out[k++] = QLatin1Char(char('0' + parts[i] / 100));
            out[k++] = QLatin1Char(char('0' + parts[i] / 10 % 10));
            out[k++] = QLatin1Char(char('0' + parts[i] % 10));
            if (i < 3)
                out[k++] = QLatin1Char(i == 2 ? ',' : ':');
        }
        return QString(out, 12);
    }
    const int ms = t % 1000;
    const int totalSeconds = t / 1000;
    const int seconds = totalSeconds % 60;
    const int totalMinutes = totalSeconds / 60;
    return QString::asprintf("%02i:%02i:%02i,%03i", totalMinutes / 60, totalMinutes % 60, seconds, ms);
}

} // namespace

QString formatTimeLine(const Subtitle &subtitle, bool useMergeTimes)
{
    const int a = useMergeTimes ? subtitle.mergeStart : subtitle.start;
    const int b = useMergeTimes ? subtitle.mergeEnd : subtitle.end;
    return formatTime(a) + QLatin1String(" --> ") + formatTime(b);
}

void writeSrtEntry(const Subtitle &subtitle, int number, QTextStream &stream)
{
    QString text = subtitle.text;
    if (!subtitle.angleTags)
        convertTags(text, true);
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    stream << QString::number(number) + QLatin1Char('\n') + formatTimeLine(subtitle, false) + QLatin1Char('\n') + text
            + QLatin1String("\n\n");
}

void writeSubEntry(const Subtitle &subtitle, int frameRate, QTextStream &stream)
{
    const qint64 startFrame = qint64(subtitle.start) * frameRate / 1000000;
    const qint64 endFrame = qint64(subtitle.end) * frameRate / 1000000;
    QString text = subtitle.text;
    if (subtitle.angleTags)
        convertTags(text, false);
    stream << QLatin1Char('{') + QString::number(startFrame) + QLatin1String("}{") + QString::number(endFrame)
            + QLatin1Char('}') + text + QLatin1Char('\n');
}

bool isSrtName(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("srt"), Qt::CaseInsensitive) == 0;
}

QString formatSet(const SubtitleSet &set, bool srt)
{
    QString out;
    QTextStream stream(&out);
    int number = 1;
    for (int i = 0; i < set.count; ++i) {
        const Subtitle &s = set.records[size_t(i)];
        if (s.text.isEmpty())
            continue;
        if (srt)
            writeSrtEntry(s, number++, stream);
        else
            writeSubEntry(s, set.frameRate, stream);
    }
    stream.flush();
    return out;
}

void SaveSelect(SubtitleSet &set, const QString &caption, bool merged)
{
    actionLog().setScope(set.logPrefix, QStringLiteral("SaveSelect"));
    const Preferences &prefs = preferences();
    const QString name = prompts().saveFileName(dialogParent(), caption, merged ? prefs.saveDir : prefs.loadDir,
                                                QStringLiteral("Subtitles (*.srt *.sub)"));
    if (name.isEmpty())
        actionLog().log(2, QStringLiteral("save cancelled"));
    set.file.setFileName(name);
}

void SaveWrite(SubtitleSet &set, bool rememberDir)
{
    ActionLog &log = actionLog();
    log.setScope(set.logPrefix, QStringLiteral("SaveWrite"));
    const QString name = set.file.fileName();
    if (name.isEmpty()) {
        log.log(2, QStringLiteral("save cancelled"));
        return;
    }
    // The old file is replaced only once the new one is written whole.
    SafeWriter writer(name);
    if (!writer.open()) {
        log.log(0, QStringLiteral("error: cannot write file"));
        return;
    }
    const QFileInfo info(name);
    Preferences &prefs = preferences();
    if (rememberDir)
        prefs.saveDir = info.absolutePath();
    const bool srt = isSrtName(name);

    const QString coding = set.codecName();
    bool unknown = false;
    QTextCodec *codec = set.chosenCodec(&unknown);

    if (!srt)
        prefs.saveFrameRateIndex = set.askFrameRate(prefs.saveFrameRateIndex);

    int unrepresentable = 0;
    const QByteArray bytes = encodeText(formatSet(set, srt), codec, &unrepresentable);
    log.setScope(set.logPrefix, QStringLiteral("SaveWrite"));
    if (unrepresentable > 0)
        log.log(
            1,
            QStringLiteral("%1 characters not representable in %2")
                .arg(unrepresentable)
                .arg(unknown || coding == CodecRegistry::autoLocal() ? QString::fromLatin1(codec->name()) : coding));
    if (writer.commit(bytes) != WriteResult::Ok) {
        log.log(0, QStringLiteral("error: cannot write file"));
        return;
    }
    log.log(2, QStringLiteral("%1 subs saved to %2").arg(set.count).arg(info.fileName()));
}

void saveSet(SubtitleSet &set, const QString &caption)
{
    SaveSelect(set, caption, false);
    SaveWrite(set, false);
}
