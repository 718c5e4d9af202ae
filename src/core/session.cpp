#include "core/session.h"

#include "core/autolink.h"
#include "core/codinglist.h"
#include "core/detection.h"
#include "core/logsink.h"
#include "core/merge.h"
#include "core/textcodec.h"
#include "core/textfile.h"

#include <QFileInfo>

namespace {

TextCodec codecFor(const SubtitleSet &set, const QString &codecName, LogSink &log, bool *unknown)
{
    const TextCodec codec = TextCodec::named(codecName, unknown);
    if (*unknown)
        log.log(LogWarning, set.logPrefix, QStringLiteral("coding %1 unknown, local coding used").arg(codecName));
    return codec;
}

// Formats through `format`, each piece encoded and written as it comes: a
// merged set can make a file of many megabytes, which would otherwise be held
// twice, as text and as bytes.
template<typename Format> FormattedSet writeEncoded(SafeWriter &target, TextEncoder &encoder, Format format)
{
    return format([&](const QString &piece) {
        encoder.add(piece);
        target.write(encoder.bytes);
        encoder.bytes.clear();
    });
}

} // namespace

Session::Session(LogSink &log)
    : m_log(log)
{
}

bool Session::readFile(SubtitleSet &set, const QString &path, QByteArray *bytes)
{
    if (path.isEmpty()) {
        m_log.log(LogInfo, set.logPrefix, QStringLiteral("load cancelled"));
        return false;
    }
    switch (readWholeFile(path, bytes)) {
    case ReadResult::Ok:
        return true;
    case ReadResult::CannotOpen:
        m_log.log(LogError, set.logPrefix, QStringLiteral("error: cannot open file"));
        break;
    case ReadResult::CannotRead:
        m_log.log(LogError, set.logPrefix, QStringLiteral("error: cannot read file"));
        break;
    }
    return false;
}

DecodedText Session::decode(const SubtitleSet &set, const QByteArray &bytes, const QString &codecName)
{
    const QString &prefix = set.logPrefix;
    bool unknown = false;
    codecFor(set, codecName, m_log, &unknown);
    const DecodedText decoded = decodeFile(bytes, codecName);
    if (!decoded.ignoredMark.isEmpty())
        m_log.log(
            LogWarning, prefix,
            QStringLiteral("byte-order mark says %1, but the text is not: mark ignored").arg(decoded.ignoredMark));
    if (decoded.source == DecodedText::Source::Detected)
        m_log.log(LogWarning, prefix, QStringLiteral("coding detected: %1").arg(decoded.coding));
    else if (decoded.source == DecodedText::Source::Fallback)
        m_log.log(LogWarning, prefix, QStringLiteral("coding not detected, %1 used").arg(decoded.coding));
    if (decoded.undecodable > 0) {
        QString line = QStringLiteral("%1 characters not decodable as %2").arg(decoded.undecodable).arg(decoded.coding);
        if (!decoded.likely.isEmpty())
            line += QStringLiteral("; try ") + decoded.likely;
        m_log.log(LogWarning, prefix, line);
    }
    return decoded;
}

std::optional<Session::PreparedLoad> Session::prepareLoad(const SubtitleSet &set, const QByteArray &bytes,
                                                          const QString &path, const QString &codecName)
{
    const QString &prefix = set.logPrefix;
    const QString fileName = QFileInfo(path).fileName();
    const DecodedText decoded = decode(set, bytes, codecName);
    const std::optional<SubtitleFormat> format = sniffFormat(decoded.text);
    if (!format) {
        m_log.log(LogError, prefix, QStringLiteral("error: no subtitles found in %1").arg(fileName));
        return std::nullopt;
    }
    if (*format != formatOfFileName(path))
        m_log.log(LogWarning, prefix, QStringLiteral("%1 read as %2").arg(fileName, formatName(*format)));
    PreparedLoad load;
    load.path = path;
    load.text = decoded.text;
    load.format = *format;
    load.coding = decoded.coding;
    if (formatInfo(*format).needsFrameRate)
        load.declaredFrameRate = declaredFrameRate(load.text);
    return load;
}

void Session::loadPrepared(SubtitleSet &set, const PreparedLoad &load, int frameRate, bool append)
{
    const QFileInfo info(load.path);
    if (!append && (info.absoluteFilePath() != set.filePath || load.track != set.track)) {
        set.filePath = info.absoluteFilePath();
        set.track = load.track;
        links.clear();
    }
    if (frameRate <= 0)
        frameRate = load.declaredFrameRate > 0 ? load.declaredFrameRate : microDvdFrameRates[0];
    ReadRequest request;
    request.frameRate = frameRate;
    request.append = append;
    request.gap = options.gap;
    request.cps = options.cps;
    request.fileName = info.fileName();
    readSubtitles(set, load.text, load.format, request, m_log);
}

bool Session::loadBytes(SubtitleSet &set, const QByteArray &bytes, const QString &path, const QString &codecName,
                        int frameRate, bool append)
{
    const std::optional<PreparedLoad> load = prepareLoad(set, bytes, path, codecName);
    if (load)
        loadPrepared(set, *load, frameRate, append);
    return load.has_value();
}

bool Session::loadFile(SubtitleSet &set, const QString &path, const QString &codecName, int frameRate, bool append)
{
    QByteArray bytes;
    return readFile(set, path, &bytes) && loadBytes(set, bytes, path, codecName, frameRate, append);
}

StripResult Session::strip(SubtitleSet &set, const QVector<Bracket> &kinds)
{
    const StripResult result = stripBrackets(set, kinds);
    m_log.log(LogInfo, set.logPrefix,
              QStringLiteral("%1 subs stripped, %2 left empty").arg(result.changed).arg(result.leftEmpty));
    return result;
}

void Session::correctTiming(SubtitleSet &set, const TimingCorrection &correction, int selectedRow)
{
    ::correctTiming(set, correction, selectedRow, m_log);
}

bool Session::canAddLink(int upperRow, int lowerRow) const
{
    return upperRow >= 0 && upperRow < upper.count && lowerRow >= 0 && lowerRow < lower.count
        && links.canAdd(upperRow, lowerRow);
}

void Session::autoLink()
{
    if (upper.count == 0 || lower.count == 0) {
        m_log.log(LogWarning, lower.logPrefix,
                  QStringLiteral("nothing to link: the %1 set is empty")
                      .arg(upper.count == 0 ? QStringLiteral("upper") : QStringLiteral("lower")));
        return;
    }
    const AutoLinkResult found = findAutoLinks(upper, lower);
    if (!found.reliable) {
        m_log.log(LogInfo, lower.logPrefix, QStringLiteral("no reliable match found"));
        return;
    }
    const int placed = links.replaceAutomatic(found.links);
    m_log.log(LogInfo, lower.logPrefix, QStringLiteral("%1 links found: %2").arg(placed).arg(describeMapping(found)));
}

void Session::synchronize(SubtitleSet &target)
{
    // Without links there is nothing to move by, and the readability
    // correction alone would change the ends behind the user's back.
    if (links.count() == 0) {
        m_log.log(LogWarning, target.logPrefix, QStringLiteral("no links to synchronize with"));
        return;
    }
    ::synchronize(target, otherSet(target), &target == &upper, links, options.cps, options.gap, m_log);
}

void Session::process(SubtitleFormat outputFormat)
{
    if (formatInfo(outputFormat).mergedAsEvents) {
        prepareMergeTimes(upper, lower, options, m_log);
        merged.clear();
        return;
    }
    mergeSets(upper, lower, merged, options, outputFormat, m_log);
}

std::unique_ptr<SafeWriter> Session::openTarget(const SubtitleSet &set, const QString &path)
{
    if (path.isEmpty()) {
        m_log.log(LogInfo, set.logPrefix, QStringLiteral("save cancelled"));
        return nullptr;
    }
    // Checked before the target is opened, so that no empty file replaces an existing one.
    if (&set == &merged && upper.count == 0 && lower.count == 0) {
        m_log.log(LogWarning, set.logPrefix, QStringLiteral("nothing to save: both sets are empty"));
        return nullptr;
    }
    auto writer = std::make_unique<SafeWriter>(path);
    if (!writer->open()) {
        m_log.log(LogError, set.logPrefix, QStringLiteral("error: cannot write file"));
        return nullptr;
    }
    return writer;
}

bool Session::write(SubtitleSet &set, SafeWriter &target, const QString &path, const QString &codecName, int frameRate)
{
    const FormatInfo &format = formatInfo(formatOfFileName(path));
    const QString &prefix = set.logPrefix;
    bool unknown = false;
    TextCodec codec = TextCodec::named(QStringLiteral("UTF-8"));
    if (format.utf8Only) {
        // Renderers expect UTF-8 (.ass with a byte-order mark), whatever coding was chosen.
        if (codecName != Codings::autoDetect() && codecName != QLatin1String("UTF-8"))
            m_log.log(
                LogWarning, prefix,
                QStringLiteral("coding %1 not used, .%2 written as UTF-8").arg(codecName, format.suffixes.first()));
        if (format.byteOrderMark)
            target.write(QByteArrayLiteral("\xEF\xBB\xBF"));
    } else {
        codec = codecFor(set, codecName, m_log, &unknown);
    }
    if (format.needsFrameRate)
        set.frameRate = frameRate;
    const WriteRequest request = writeRequest(set, frameRate);
    TextEncoder encoder(codec);
    const FormattedSet formatted
        = writeEncoded(target, encoder, [&](const PieceSink &out) { return format.write(request, out); });
    const int unrepresentable = encoder.unrepresentable;
    if (unrepresentable > 0 && !format.utf8Only) {
        const QString shownName = unknown || codecName == Codings::autoLocal() ? codec.name() : codecName;
        m_log.log(LogWarning, prefix,
                  QStringLiteral("%1 characters not representable in %2").arg(unrepresentable).arg(shownName));
    }
    return commitSaved(set, target, path, formatted);
}

bool Session::commitSaved(const SubtitleSet &set, SafeWriter &target, const QString &path,
                          const FormattedSet &formatted)
{
    if (target.commit() != WriteResult::Ok) {
        m_log.log(LogError, set.logPrefix, QStringLiteral("error: cannot write file"));
        return false;
    }
    logSaved(set, path, formatted);
    return true;
}

void Session::logSaved(const SubtitleSet &set, const QString &path, const FormattedSet &formatted)
{
    const QString &prefix = set.logPrefix;
    if (formatted.cutAtZero > 0)
        m_log.log(LogWarning, prefix, QStringLiteral("%1 subs before 0:00 cut or left out").arg(formatted.cutAtZero));
    m_log.log(LogInfo, prefix,
              QStringLiteral("%1 subs saved to %2").arg(formatted.written).arg(QFileInfo(path).fileName()));
}

FormattedSet Session::formatMerged(SubtitleFormat format, const PieceSink &out)
{
    return formatInfo(format).write(writeRequest(merged, merged.frameRate), out);
}

WriteRequest Session::writeRequest(const SubtitleSet &set, int frameRate) const
{
    WriteRequest request {set, options, frameRate};
    if (&set == &merged) {
        request.merged = true;
        request.upper = &upper;
        request.lower = &lower;
    }
    return request;
}

bool Session::saveFile(SubtitleSet &set, const QString &path, const QString &codecName, int frameRate)
{
    const std::unique_ptr<SafeWriter> target = openTarget(set, path);
    return target && write(set, *target, path, codecName, frameRate);
}
