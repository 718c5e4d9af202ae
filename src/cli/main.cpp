// twinscript-cli: the window's operations from the command line, on the same
// engine, with the answers a user would give in the dialogs taken from the
// options. It needs no display and never touches the window's settings.

#include "core/codings.h"
#include "core/logsink.h"
#include "core/session.h"
#include "core/textfile.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

const char usageText[]
    = "usage: twinscript-cli convert IN OUT [options]\n"
      "       twinscript-cli merge UPPER LOWER OUT [options]\n"
      "       twinscript-cli sync REFERENCE INPUT OUT [options]\n"
      "       twinscript-cli --help | --version\n"
      "\n"
      "The suffix of OUT picks SubRip (.srt), Advanced SubStation (.ass) or MicroDVD (anything else).\n"
      "sync loads REFERENCE as the upper and INPUT as the lower set (their options as for merge),\n"
      "synchronizes the lower set onto the upper one and saves it to OUT as \"Save as\" does.\n"
      "\n"
      "Codings and frame rates:\n"
      "  --upper-coding NAME, --lower-coding NAME, --out-coding NAME (--coding for convert)\n"
      "        a coding as the selectors list it, or its codec name, or \"Auto Detect\", \"Auto Local\";\n"
      "        default \"Auto Detect\" (a byte-order mark, else UTF-8, else the likely coding; UTF-8 for output)\n"
      "  --upper-fps R, --lower-fps R, --out-fps R (--fps for convert)\n"
      "        MicroDVD frame rate: 23.976, 24, 25 or 29.97; default the rate the file declares, else 23.976\n"
      "  --append-upper FILE, --append-lower FILE (--append for convert)\n"
      "        append FILE behind the set; repeatable\n"
      "Processing (merge):\n"
      "  --cps N (25)  --gap N (0)  --snap N (500)  --bottom-lines N (2)\n"
      "  --join-lines  --last-line normal|dot|doubled  --no-header\n"
      "  --colors  --upper-color RRGGBB  --lower-color RRGGBB\n"
      "  --upper-position above|top   .ass: the upper text over the lower one (above) or at the top\n"
      "Corrections (prefix upper-/lower- for merge, none for convert):\n"
      "  --upper-strip KINDS      comma list of round, square, curly, angle\n"
      "  --upper-shift S          seconds, three decimals\n"
      "  --upper-stretch S        seconds, three decimals\n"
      "  --upper-convert \"23.976 => 25.000\"   a frame-rate conversion of the Timing dialog\n"
      "Synchronizing (merge, sync):\n"
      "  --link U:L               link upper subtitle U to lower subtitle L (numbered from 1); repeatable\n"
      "  --auto-link              then add the links that automatic linking finds\n"
      "  --sync upper|lower       synchronize that set to the other through the links (merge)\n"
      "  --save-upper FILE, --save-lower FILE\n"
      "                           save that set after its corrections and synchronization (merge)\n"
      "\n"
      "Exit status: 0 done, 1 an error was logged, 2 usage error.\n";

struct UsageError
{
    QString message;
};

[[noreturn]] void fail(const QString &message)
{
    throw UsageError {message};
}

struct SetOptions
{
    QString coding = Codings::autoDetect();
    std::optional<int> fpsIndex; // none: the rate the file declares
    QStringList appends;
    QVector<Bracket> strip; // in the order the dialog removes them
    std::optional<double> shift;
    std::optional<double> stretch;
    QString convert;
};

struct Options
{
    QString command;
    QStringList files;
    SetOptions upper;
    SetOptions lower;
    QString outCoding = Codings::autoDetect();
    int outFpsIndex = 0;
    std::optional<int> cps, gap, snap, bottomLines;
    bool joinLines = false;
    int lastLine = 0;
    bool colors = false;
    std::optional<int> upperColor, lowerColor;
    bool header = true;
    UpperPosition upperPosition = UpperPosition::Above;
    QList<QPair<int, int>> links;
    QString sync;
    bool autoLink = false;
    bool outCodingGiven = false; // else a set saved alone keeps its own coding, as "Save as" does
    QString saveUpper, saveLower;
};

int parseInt(const QString &option, const QString &value)
{
    bool ok = false;
    const int v = value.toInt(&ok);
    if (!ok)
        fail(QStringLiteral("%1: '%2' is not a whole number").arg(option, value));
    return v;
}

double parseSeconds(const QString &option, const QString &value)
{
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !qIsFinite(v))
        fail(QStringLiteral("%1: '%2' is not a number").arg(option, value));
    return v;
}

int parseFps(const QString &option, const QString &value)
{
    bool ok = false;
    const double v = value.toDouble(&ok);
    const double rates[] = {23.976, 24.0, 25.0, 29.97};
    for (int i = 0; ok && i < 4; ++i)
        if (qAbs(v - rates[i]) < 0.0005)
            return i;
    fail(QStringLiteral("%1: '%2' is not one of 23.976, 24, 25, 29.97").arg(option, value));
}

QString parseCoding(const QString &option, const QString &value)
{
    if (value == Codings::autoDetect() || value == Codings::autoLocal() || value == QLatin1String("UTF-8"))
        return value;
    const QStringList all = Codings::fixedList();
    for (const QString &entry : all)
        if (entry == value || Codings::codecNameOf(entry) == value)
            return entry;
    fail(QStringLiteral("%1: unknown coding '%2'").arg(option, value));
}

int parseColor(const QString &option, const QString &value)
{
    bool ok = false;
    const int v = value.toInt(&ok, 16);
    if (!ok || value.size() != 6)
        fail(QStringLiteral("%1: '%2' is not a colour RRGGBB").arg(option, value));
    return v;
}

QVector<Bracket> parseStrip(const QString &option, const QString &value)
{
    const QStringList names
        = {QStringLiteral("round"), QStringLiteral("square"), QStringLiteral("curly"), QStringLiteral("angle")};
    bool chosen[4] = {false, false, false, false};
    const QStringList kinds = value.split(QLatin1Char(','));
    for (const QString &kind : kinds) {
        const int i = names.indexOf(kind.trimmed());
        if (i < 0)
            fail(QStringLiteral("%1: unknown bracket kind '%2'").arg(option, kind.trimmed()));
        chosen[i] = true;
    }
    // The dialog has a check box per kind and removes them in its own order.
    QVector<Bracket> result;
    for (int i = 0; i < 4; ++i)
        if (chosen[i])
            result << Bracket(i);
    return result;
}

Options parseArguments(const QStringList &args)
{
    Options o;
    if (args.isEmpty())
        fail(QStringLiteral("missing command"));
    o.command = args.first();
    if (o.command != QLatin1String("convert") && o.command != QLatin1String("merge")
        && o.command != QLatin1String("sync"))
        fail(QStringLiteral("unknown command '%1'").arg(o.command));
    const bool convert = o.command == QLatin1String("convert");
    const bool merge = o.command == QLatin1String("merge");

    for (int i = 1; i < args.size(); ++i) {
        const QString a = args.at(i);
        if (!a.startsWith(QLatin1String("--"))) {
            o.files << a;
            continue;
        }
        auto value = [&]() -> QString {
            if (i + 1 >= args.size())
                fail(QStringLiteral("%1 needs a value").arg(a));
            return args.at(++i);
        };
        // Options of one set: "--upper-x"/"--lower-x" for merge, "--x" for convert.
        SetOptions *set = nullptr;
        QString name = a.mid(2);
        if (convert) {
            set = &o.upper;
        } else if (name.startsWith(QLatin1String("upper-"))) {
            set = &o.upper;
            name = name.mid(6);
        } else if (name.startsWith(QLatin1String("lower-"))) {
            set = &o.lower;
            name = name.mid(6);
        }
        if (set
            && (name == QLatin1String("coding") || name == QLatin1String("fps") || name == QLatin1String("strip")
                || name == QLatin1String("shift") || name == QLatin1String("stretch")
                || name == QLatin1String("convert"))) {
            const QString v = value();
            if (name == QLatin1String("coding"))
                set->coding = parseCoding(a, v);
            else if (name == QLatin1String("fps"))
                set->fpsIndex = parseFps(a, v);
            else if (name == QLatin1String("strip"))
                set->strip = parseStrip(a, v);
            else if (name == QLatin1String("shift"))
                set->shift = parseSeconds(a, v);
            else if (name == QLatin1String("stretch"))
                set->stretch = parseSeconds(a, v);
            else if (!frameRateConversions().contains(v))
                fail(QStringLiteral("%1: '%2' is not one of \"%3\"")
                         .arg(a, v, frameRateConversions().join(QStringLiteral("\", \""))));
            else
                set->convert = v;
            continue;
        }
        if (convert && a == QLatin1String("--append")) {
            o.upper.appends << value();
        } else if (!convert && a == QLatin1String("--append-upper")) {
            o.upper.appends << value();
        } else if (!convert && a == QLatin1String("--append-lower")) {
            o.lower.appends << value();
        } else if (a == QLatin1String("--out-coding")) {
            o.outCoding = parseCoding(a, value());
            o.outCodingGiven = true;
        } else if (a == QLatin1String("--out-fps")) {
            o.outFpsIndex = parseFps(a, value());
        } else if (!convert && a == QLatin1String("--cps")) {
            o.cps = parseInt(a, value());
        } else if (!convert && a == QLatin1String("--gap")) {
            o.gap = parseInt(a, value());
        } else if (!convert && a == QLatin1String("--snap")) {
            o.snap = parseInt(a, value());
        } else if (!convert && a == QLatin1String("--bottom-lines")) {
            o.bottomLines = parseInt(a, value());
        } else if (!convert && a == QLatin1String("--join-lines")) {
            o.joinLines = true;
        } else if (!convert && a == QLatin1String("--last-line")) {
            const QString v = value();
            const QStringList styles = {QStringLiteral("normal"), QStringLiteral("dot"), QStringLiteral("doubled")};
            o.lastLine = styles.indexOf(v);
            if (o.lastLine < 0)
                fail(QStringLiteral("--last-line: '%1' is not normal, dot or doubled").arg(v));
        } else if (!convert && a == QLatin1String("--colors")) {
            o.colors = true;
        } else if (!convert && a == QLatin1String("--upper-color")) {
            o.upperColor = parseColor(a, value());
        } else if (!convert && a == QLatin1String("--lower-color")) {
            o.lowerColor = parseColor(a, value());
        } else if (!convert && a == QLatin1String("--no-header")) {
            o.header = false;
        } else if (!convert && a == QLatin1String("--upper-position")) {
            const QString v = value();
            if (v != QLatin1String("above") && v != QLatin1String("top"))
                fail(QStringLiteral("--upper-position: '%1' is not above or top").arg(v));
            o.upperPosition = v == QLatin1String("top") ? UpperPosition::Top : UpperPosition::Above;
        } else if (!convert && a == QLatin1String("--link")) {
            const QString v = value();
            const QStringList parts = v.split(QLatin1Char(':'));
            if (parts.size() != 2)
                fail(QStringLiteral("--link: '%1' is not U:L").arg(v));
            o.links.append({parseInt(a, parts[0]), parseInt(a, parts[1])});
        } else if (!convert && a == QLatin1String("--auto-link")) {
            o.autoLink = true;
        } else if (merge && a == QLatin1String("--save-upper")) {
            o.saveUpper = value();
        } else if (merge && a == QLatin1String("--save-lower")) {
            o.saveLower = value();
        } else if (merge && a == QLatin1String("--sync")) {
            o.sync = value();
            if (o.sync != QLatin1String("upper") && o.sync != QLatin1String("lower"))
                fail(QStringLiteral("--sync: '%1' is not upper or lower").arg(o.sync));
        } else {
            fail(QStringLiteral("unknown option '%1'").arg(a));
        }
    }
    const int wanted = convert ? 2 : 3;
    if (o.files.size() != wanted)
        fail(QStringLiteral("%1 takes %2 file arguments, %3 given").arg(o.command).arg(wanted).arg(o.files.size()));
    return o;
}

// Prints every log line as the window's log shows it and remembers errors.
class StandardErrorLog : public LogSink
{
public:
    bool errorLogged = false;

    void write(int level, const QString &line) override
    {
        if (level == LogError)
            errorLogged = true;
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    }
};

// The timing dialog's boxes hold seconds with three decimals between -60 and
// 60; a value given on the command line becomes what typing it there gives.
int timingBoxMs(const std::optional<double> &seconds)
{
    if (!seconds)
        return 0;
    const double shown = qBound(-60.0, QString::number(*seconds, 'f', 3).toDouble(), 60.0);
    // Truncated, as the dialog does.
    return int(shown * 1000.0);
}

class Runner
{
public:
    Runner(Session &session, const Options &o)
        : s(session)
        , o(o)
    {
    }

    void run();

private:
    Session &s;
    const Options &o;

    void load(SubtitleSet &set, const QString &file, const SetOptions &options, bool append);
    void strip(SubtitleSet &set, const SetOptions &options);
    void timing(SubtitleSet &set, const SetOptions &options);
    void links();
    void saveSet(SubtitleSet &set, const QString &file, const SetOptions &options);
};

void Runner::load(SubtitleSet &set, const QString &file, const SetOptions &options, bool append)
{
    const int rate = options.fpsIndex ? microDvdFrameRates[*options.fpsIndex] : 0;
    s.loadFile(set, file, Codings::codecNameOf(options.coding), rate, append);
}

void Runner::strip(SubtitleSet &set, const SetOptions &options)
{
    if (!options.strip.isEmpty())
        s.strip(set, options.strip);
}

void Runner::timing(SubtitleSet &set, const SetOptions &options)
{
    if (!options.shift && !options.stretch && options.convert.isEmpty())
        return;
    TimingCorrection correction;
    correction.shiftMs = timingBoxMs(options.shift);
    correction.stretchMs = timingBoxMs(options.stretch);
    parseConversion(options.convert, &correction.fromRate, &correction.toRate);
    s.correctTiming(set, correction, 0);
}

void Runner::links()
{
    for (const auto &link : o.links) {
        if (link.first < 1 || link.first > s.upper.count || link.second < 1 || link.second > s.lower.count)
            fail(QStringLiteral("--link %1:%2: no such subtitle (upper has %3, lower %4)")
                     .arg(link.first)
                     .arg(link.second)
                     .arg(s.upper.count)
                     .arg(s.lower.count));
        if (!s.canAddLink(link.first - 1, link.second - 1))
            fail(QStringLiteral("--link %1:%2 crosses or repeats another link").arg(link.first).arg(link.second));
        s.links.add(link.first - 1, link.second - 1);
    }
}

void Runner::saveSet(SubtitleSet &set, const QString &file, const SetOptions &options)
{
    const QString coding = o.outCodingGiven ? o.outCoding : options.coding;
    s.saveFile(set, file, Codings::codecNameOf(coding), microDvdFrameRates[o.outFpsIndex]);
}

void Runner::run()
{
    const bool sync = o.command == QLatin1String("sync");
    // sync works on both sets as merge does, and saves the lower one.
    const bool merge = o.command == QLatin1String("merge") || sync;
    ProcessingOptions &p = s.options;
    p.cps = cpsRange.corrected(o.cps.value_or(p.cps), p.cps);
    p.gap = gapRange.corrected(o.gap.value_or(p.gap), p.gap);
    p.snap = snapRange.corrected(o.snap.value_or(p.snap), p.snap);
    p.bottomLines = bottomLinesRange.corrected(o.bottomLines.value_or(p.bottomLines), p.bottomLines);
    p.joinLines = o.joinLines;
    p.lastLine = LastLineStyle(o.lastLine);
    p.colorTags = o.colors;
    p.upperColor = o.upperColor.value_or(0xffffff);
    p.lowerColor = o.lowerColor.value_or(0xffffff);
    p.header = o.header;
    p.upperPosition = o.upperPosition;

    load(s.upper, o.files.at(0), o.upper, false);
    for (const QString &f : o.upper.appends)
        load(s.upper, f, o.upper, true);
    if (merge) {
        load(s.lower, o.files.at(1), o.lower, false);
        for (const QString &f : o.lower.appends)
            load(s.lower, f, o.lower, true);
    }

    strip(s.upper, o.upper);
    if (merge)
        strip(s.lower, o.lower);
    timing(s.upper, o.upper);
    if (merge)
        timing(s.lower, o.lower);
    if (merge) {
        links();
        if (o.autoLink)
            s.autoLink();
        if (sync)
            s.synchronize(s.lower);
        else if (o.sync == QLatin1String("upper"))
            s.synchronize(s.upper);
        else if (o.sync == QLatin1String("lower"))
            s.synchronize(s.lower);
    }

    const QString out = o.files.last();
    const QString outCodec = Codings::codecNameOf(o.outCoding);
    const int outRate = microDvdFrameRates[o.outFpsIndex];
    if (!o.saveUpper.isEmpty())
        saveSet(s.upper, o.saveUpper, o.upper);
    if (!o.saveLower.isEmpty())
        saveSet(s.lower, o.saveLower, o.lower);
    if (sync) {
        saveSet(s.lower, out, o.lower);
    } else if (merge) {
        s.process(formatOfFileName(out));
        s.saveFile(s.merged, out, outCodec, outRate);
    } else {
        s.saveFile(s.upper, out, outCodec, outRate);
    }
}

// One run reads, decodes and frees buffers of megabytes several times over.
// glibc maps each such buffer fresh and unmaps it on free, so every run would
// pay the page faults again; kept in the heap, the next step reuses them.
void keepLargeBuffers()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

// Standard error carries the log lines; the toolkit's own warnings would only
// bury them.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "twinscript-cli: %s\n", message.toLocal8Bit().constData());
}

void printUsage(FILE *to)
{
    std::fputs(usageText, to);
}

int usageError(const UsageError &e)
{
    std::fprintf(stderr, "twinscript-cli: %s\n\n", qPrintable(e.message));
    printUsage(stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    keepLargeBuffers();
    qInstallMessageHandler(quietMessages);
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        printUsage(stdout);
        return 0;
    }
    if (args.contains(QStringLiteral("--version"))) {
        std::printf("twinscript-cli 1.1\n");
        return 0;
    }

    try {
        const Options options = parseArguments(args);
        StandardErrorLog log;
        Session session(log);
        Runner(session, options).run();
        return log.errorLogged ? 1 : 0;
    } catch (const UsageError &e) {
        return usageError(e);
    }
}
