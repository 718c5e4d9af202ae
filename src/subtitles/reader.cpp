// Reading SubRip and MicroDVD files into a set.

#include "app/actionlog.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/framerate.h"
#include "subtitles/subtitleset.h"
#include "subtitles/textfile.h"
#include "subtitles/writer.h"

#include "ui_framerate.h"

#include <QFileInfo>

namespace {

const char timeTemplate[] = "00:00:00,000 --> 00:00:00,000";
constexpr int timeTemplateLength = 29;

qint64 digitsAt(const QString &line, int from, int n)
{
    qint64 v = 0;
    for (int i = from; i < from + n; ++i)
        v = v * 10 + (line.at(i).unicode() - '0');
    return v;
}

qint64 timeAt(const QString &line, int from)
{
    return digitsAt(line, from, 2) * 3600000 + digitsAt(line, from + 3, 2) * 60000 + digitsAt(line, from + 6, 2) * 1000
        + digitsAt(line, from + 9, 3);
}

// A frame number between braces: digits with optional sign and white space around.
bool parseFrame(const QString &field, qint64 *frame)
{
    bool ok = false;
    const int v = field.trimmed().toInt(&ok, 10);
    if (ok)
        *frame = v;
    return ok;
}

} // namespace

bool isTimeLine(const QString &line)
{
    if (line.size() < timeTemplateLength)
        return false;
    for (int i = 0; i < timeTemplateLength; ++i) {
        const char t = timeTemplate[i];
        const QChar c = line.at(i);
        if (t == '0') {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        } else if (c != QLatin1Char(t) && !(t == ',' && c == QLatin1Char('.'))) {
            return false;
        }
    }
    return true;
}

void parseTimeLine(Subtitle &subtitle, const QString &line, int offset)
{
    subtitle.text.clear();
    subtitle.start = clampToInt32(timeAt(line, 0) + offset);
    subtitle.end = clampToInt32(timeAt(line, 17) + offset);
}

void SubtitleSet::LoadFile(const QString &caption, bool append)
{
    const QString name = prompts().openFileName(dialogParent(), caption, preferences().loadDir,
                                                QStringLiteral("Subtitles (*.srt *.sub)"));
    loadPath(name, append);
}

bool SubtitleSet::loadPath(const QString &path, bool append)
{
    ActionLog &log = actionLog();
    log.setScope(logPrefix, QStringLiteral("LoadFile"));
    preferences().showMergeTimes = false;
    linesRead = 0;
    skipped = 0;
    if (path.isEmpty()) {
        log.log(2, QStringLiteral("load cancelled"));
        return false;
    }
    QByteArray bytes;
    switch (readWholeFile(path, &bytes)) {
    case ReadResult::Ok:
        break;
    case ReadResult::CannotOpen:
        log.log(0, QStringLiteral("error: cannot open file"));
        return false;
    case ReadResult::CannotRead:
        log.log(0, QStringLiteral("error: cannot read file"));
        return false;
    }

    const QFileInfo info(path);
    Preferences &prefs = preferences();
    if (info.absolutePath() != prefs.loadDir) {
        prefs.loadDir = info.absolutePath();
        prefs.saveDir = prefs.loadDir;
    }
    if (!append && info.absoluteFilePath() != filePath) {
        filePath = info.absoluteFilePath();
        freshLoad = true;
    }
    const bool srt = isSrtName(path);
    const QString content = decodeText(bytes, chosenCodec());
    bytes.clear();

    if (!srt)
        prefs.loadFrameRateIndex = askFrameRate(prefs.loadFrameRateIndex);

    readContent(content, srt, append, info.fileName());
    return true;
}

void SubtitleSet::readContent(const QString &content, bool srt, bool append, const QString &fileName)
{
    linesRead = 0;
    skipped = 0;
    if (append && count > 0)
        appendOffset = clampToInt32(qint64(records[size_t(count - 1)].end) + preferences().gap());
    else
        reset();

    const int first = count;
    current = count;
    LineReader lines(content, MaxLineLength);
    QString line;
    while (current < Capacity && lines.next(&line)) {
        ++linesRead;
        if (srt)
            AddSrtLine(line);
        else
            AddSubLine(line);
    }
    if (srt) {
        records[size_t(current)].normalize();
        AddSrtLine(QString());
    }
    count = current + (records[size_t(current)].text.isEmpty() ? 0 : 1);

    refreshList();
    select(first);

    ActionLog &log = actionLog();
    log.setScope(logPrefix, QStringLiteral("LoadFile"));
    log.log(2,
            QStringLiteral("%1 subs %2 from %3")
                .arg(count - first)
                .arg(append ? QStringLiteral("appended") : QStringLiteral("loaded"))
                .arg(fileName));
    if (skipped > 0)
        log.log(2, QStringLiteral("%1 subs skipped").arg(skipped));
}

void SubtitleSet::AddSrtLine(const QString &line)
{
    ActionLog &log = actionLog();
    log.setScope(logPrefix, QStringLiteral("AddSrtLine"));
    if (isTimeLine(line)) {
        records[size_t(current)].normalize();
        if (!records[size_t(current)].text.isEmpty()) {
            if (current < Capacity - 1)
                ++current;
            else
                log.log(0, QStringLiteral("too many lines"));
        }
        Subtitle &s = records[size_t(current)];
        parseTimeLine(s, line, appendOffset);
        s.visibleLength = 0;
        s.angleTags = true;
        inText = true;
        const qint64 start = timeAt(line, 0) + appendOffset;
        const qint64 end = timeAt(line, 17) + appendOffset;
        if (!fitsInt32(start) || !fitsInt32(end)) {
            // Would wrap in the 32-bit time fields: refuse rather than misplace it.
            log.log(1, QStringLiteral("time out of range #%1").arg(linesRead));
            ++skipped;
            inText = false;
            return;
        }
        if (current > 0 && qint64(s.start) < qint64(records[size_t(current - 1)].start) + 100) {
            log.log(1, QStringLiteral("out of sequence #%1").arg(linesRead));
            ++skipped;
            inText = false;
        }
        if (qint64(s.start) > qint64(s.end) + 100) {
            log.log(1, QStringLiteral("sub too short #%1").arg(linesRead));
            ++skipped;
            inText = false;
        }
        return;
    }
    if (line.isEmpty()) {
        inText = false;
        return;
    }
    if (inText) {
        Subtitle &s = records[size_t(current)];
        if (!s.text.isEmpty())
            s.text += QLatin1Char('|');
        s.text += line;
    }
}

void SubtitleSet::AddSubLine(const QString &line)
{
    ActionLog &log = actionLog();
    log.setScope(logPrefix, QStringLiteral("AddSubLine"));

    qint64 startFrame = 0;
    qint64 endFrame = 0;
    int close = -1;
    bool read = false;
    const int open = line.indexOf(QLatin1Char('{'));
    if (open >= 0) {
        const int mid = line.indexOf(QLatin1String("}{"), open);
        if (mid >= 0) {
            close = line.indexOf(QLatin1Char('}'), mid + 2);
            if (close >= 0)
                read = parseFrame(line.mid(open + 1, mid - open - 1), &startFrame)
                    && parseFrame(line.mid(mid + 2, close - mid - 2), &endFrame);
        }
    }
    qint64 start = 0;
    qint64 end = 0;
    if (read && endFrame > startFrame && frameRate > 0) {
        start = startFrame * 1000000 / frameRate + appendOffset;
        end = endFrame * 1000000 / frameRate + appendOffset;
    }
    // Frames whose time does not fit the 32-bit fields are no subtitle either.
    if (!read || endFrame <= startFrame || frameRate <= 0 || !fitsInt32(start) || !fitsInt32(end)) {
        log.log(3, QStringLiteral("sub too short#%1").arg(linesRead));
        ++skipped;
        return;
    }

    Subtitle &s = records[size_t(current)];
    s.start = qint32(start);
    s.end = qint32(end);
    s.text = line.mid(close + 1);
    s.angleTags = false;
    s.normalize();
    if (current > 0 && start < qint64(records[size_t(current - 1)].start) + 100) {
        log.log(1, QStringLiteral("out of sequence #%1").arg(linesRead));
        ++skipped;
        s.reset();
        return;
    }
    if (current < Capacity) {
        ++current;
        count = current;
    } else {
        log.log(0, QStringLiteral("too many lines"));
    }
}

int SubtitleSet::askFrameRate(int lastIndex)
{
    FrameRateDlg dialog(dialogParent());
    QComboBox *box = dialog.ui->comboBox;
    // A stored index from an older or edited settings file may be out of range.
    box->setCurrentIndex(qBound(0, lastIndex, box->count() - 1));
    prompts().run(dialog);
    if (box->currentIndex() < 0)
        box->setCurrentIndex(0);
    const int rate = frameRateOfEntry(box->currentText());
    frameRate = rate > 0 ? rate : 25000;
    return box->currentIndex();
}
