// twinscript-cli: the window's operations from the command line, on the same
// engine, with the answers a user would give in the dialogs taken from the
// options. It needs no display and never touches the window's settings.

#include "core/codinglist.h"
#include "core/colors.h"
#include "core/logsink.h"
#include "core/session.h"
#include "core/textfile.h"
#include "media/videoload.h"
#include "version.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

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
    std::optional<int> frameRate; // none: the rate the file declares
    QStringList appends;
    QVector<Bracket> strip; // in the order the dialog removes them
    std::optional<double> shift;
    std::optional<double> stretch;
    QString convert;
    QString track; // of a video: a number or a language; empty: the first text track
};

struct Options
{
    QString command;
    QStringList files;
    SetOptions upper;
    SetOptions lower;
    QString outCoding = Codings::autoDetect();
    int outFrameRate = microDvdFrameRates[0];
    std::optional<int> cps, gap, snap, bottomLines;
    bool joinLines = false;
    LastLineStyle lastLine = LastLineStyle::Normal;
    bool colors = false;
    std::optional<int> upperColor, lowerColor;
    bool header = true;
    UpperPosition upperPosition = UpperPosition::Above;
    QList<QPair<int, int>> links;
    QString sync;
    bool autoLink = false;
    bool outCodingGiven = false; // else a set saved alone keeps its own coding, as "Save as" does
    QString saveUpper, saveLower;
    SubtitleFormat trackFormat = SubtitleFormat::Ass; // of the merged track in a copy of the video
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

// "23.976, 24, 25, 29.97": the rates of the MicroDVD prompt as typed.
QString frameRatesText()
{
    QStringList rates;
    for (const int rate : microDvdFrameRates)
        rates << QString::number(rate / 1000.0);
    return rates.join(QStringLiteral(", "));
}

int parseFrameRate(const QString &option, const QString &value)
{
    bool ok = false;
    const double v = value.toDouble(&ok);
    for (const int rate : microDvdFrameRates)
        if (ok && qAbs(v * 1000.0 - rate) < 0.5)
            return rate;
    fail(QStringLiteral("%1: '%2' is not one of %3").arg(option, value, frameRatesText()));
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

// One of a few words; `said` lists them for the message ("normal, dot or doubled").
int parseChoice(const QString &option, const QString &value, const QStringList &words, const char *said)
{
    const int i = words.indexOf(value);
    if (i < 0)
        fail(QStringLiteral("%1: '%2' is not %3").arg(option, value, QLatin1String(said)));
    return i;
}

enum Command : unsigned { ConvertCommand = 1, MergeCommand = 2, SyncCommand = 4 };
constexpr unsigned pairCommands = MergeCommand | SyncCommand;
constexpr unsigned allCommands = ConvertCommand | pairCommands;

// How an option of one set is spelt: convert has one set and takes the bare
// name; merge and sync name the set before ("--upper-coding") or after
// ("--append-upper") it.
enum class SetNaming { None, Prefix, Suffix };

// One row of the options table: what the parser accepts and what --help says.
struct OptionSpec
{
    QString section; // the help's heading it stands under
    QString name; // without "--"; for a set option without the set
    SetNaming naming;
    unsigned commands;
    QString value; // placeholder of the value; empty for a switch
    QString help;
    // `set` is the set the option names (convert: the upper one), else null.
    std::function<void(Options &o, SetOptions *set, const QString &option, const QString &value)> apply;
};

QVector<OptionSpec> optionTable()
{
    const ProcessingOptions defaults;
    const QString codings = QStringLiteral("Codings and frame rates");
    const QString processing = QStringLiteral("Processing (merge)");
    const QString corrections = QStringLiteral("Corrections (prefix upper-/lower- for merge, none for convert)");
    const QString syncing = QStringLiteral("Synchronizing (merge, sync)");
    const auto number = [](std::optional<int> Options::*field) {
        return [field](Options &o, SetOptions *, const QString &option, const QString &value) {
            o.*field = parseInt(option, value);
        };
    };
    const auto turn = [](bool Options::*field, bool on) {
        return [field, on](Options &o, SetOptions *, const QString &, const QString &) { o.*field = on; };
    };
    const auto seconds = [](std::optional<double> SetOptions::*field) {
        return [field](Options &, SetOptions *set, const QString &option, const QString &value) {
            set->*field = parseSeconds(option, value);
        };
    };
    const QStringList lastLines {QStringLiteral("normal"), QStringLiteral("dot"), QStringLiteral("doubled")};
    const QStringList positions {QStringLiteral("above"), QStringLiteral("top")};
    const QStringList syncTargets {QStringLiteral("upper"), QStringLiteral("lower")};
    return {
        {codings, QStringLiteral("coding"), SetNaming::Prefix, allCommands, QStringLiteral("NAME"),
         QStringLiteral("a coding as the selectors list it, or its codec name, or \"%1\", \"%2\";\n"
                        "default \"%1\" (a byte-order mark, else UTF-8, else the likely coding)")
             .arg(Codings::autoDetect(), Codings::autoLocal()),
         [](Options &, SetOptions *set, const QString &option, const QString &value) {
             set->coding = parseCoding(option, value);
         }},
        {codings, QStringLiteral("out-coding"), SetNaming::None, allCommands, QStringLiteral("NAME"),
         QStringLiteral("the coding of OUT, as above; default \"%1\" (UTF-8)").arg(Codings::autoDetect()),
         [](Options &o, SetOptions *, const QString &option, const QString &value) {
             o.outCoding = parseCoding(option, value);
             o.outCodingGiven = true;
         }},
        {codings, QStringLiteral("fps"), SetNaming::Prefix, allCommands, QStringLiteral("R"),
         QStringLiteral("MicroDVD frame rate: %1; default the rate the file declares, else %2")
             .arg(frameRatesText(), QString::number(microDvdFrameRates[0] / 1000.0)),
         [](Options &, SetOptions *set, const QString &option, const QString &value) {
             set->frameRate = parseFrameRate(option, value);
         }},
        {codings, QStringLiteral("out-fps"), SetNaming::None, allCommands, QStringLiteral("R"),
         QStringLiteral("the frame rate of a MicroDVD OUT; default %1")
             .arg(QString::number(microDvdFrameRates[0] / 1000.0)),
         [](Options &o, SetOptions *, const QString &option, const QString &value) {
             o.outFrameRate = parseFrameRate(option, value);
         }},
        {codings, QStringLiteral("track"), SetNaming::Prefix, allCommands, QStringLiteral("N|LANG"),
         QStringLiteral("the text track of a video file: its number as `tracks` lists it, or a language\n"
                        "(spa, es, Spanish); default the first text track"),
         [](Options &, SetOptions *set, const QString &, const QString &value) { set->track = value; }},
        {codings, QStringLiteral("append"), SetNaming::Suffix, allCommands, QStringLiteral("FILE"),
         QStringLiteral("append FILE behind the set; repeatable"),
         [](Options &, SetOptions *set, const QString &, const QString &value) { set->appends << value; }},
        {processing, QStringLiteral("cps"), SetNaming::None, pairCommands, QStringLiteral("N"),
         QStringLiteral("reading speed in characters a second (%1)").arg(defaults.cps), number(&Options::cps)},
        {processing, QStringLiteral("gap"), SetNaming::None, pairCommands, QStringLiteral("N"),
         QStringLiteral("ms kept free between two subtitles of a set (%1)").arg(defaults.gap), number(&Options::gap)},
        {processing, QStringLiteral("snap"), SetNaming::None, pairCommands, QStringLiteral("N"),
         QStringLiteral("ms within which transitions of the two sets are joined (%1)").arg(defaults.snap),
         number(&Options::snap)},
        {processing, QStringLiteral("bottom-lines"), SetNaming::None, pairCommands, QStringLiteral("N"),
         QStringLiteral("lines the upper text stands above the bottom (%1)").arg(defaults.bottomLines),
         number(&Options::bottomLines)},
        {processing, QStringLiteral("join-lines"), SetNaming::None, pairCommands, QString(),
         QStringLiteral("join the lines of each subtitle into one"), turn(&Options::joinLines, true)},
        {processing, QStringLiteral("last-line"), SetNaming::None, pairCommands, QStringLiteral("normal|dot|doubled"),
         QStringLiteral("what fills the bottom line when the lower set shows nothing"),
         [lastLines](Options &o, SetOptions *, const QString &option, const QString &value) {
             o.lastLine = LastLineStyle(parseChoice(option, value, lastLines, "normal, dot or doubled"));
         }},
        {processing, QStringLiteral("no-header"), SetNaming::None, pairCommands, QString(),
         QStringLiteral("no credit line at the end"), turn(&Options::header, false)},
        {processing, QStringLiteral("colors"), SetNaming::None, pairCommands, QString(),
         QStringLiteral("colour tags, in the colours below"), turn(&Options::colors, true)},
        {processing, QStringLiteral("color"), SetNaming::Prefix, pairCommands, QStringLiteral("RRGGBB"),
         QStringLiteral("the set's colour (%1)").arg(colorHex(defaultTextColor)),
         [](Options &o, SetOptions *set, const QString &option, const QString &value) {
             (set == &o.upper ? o.upperColor : o.lowerColor) = parseColor(option, value);
         }},
        {processing, QStringLiteral("track-format"), SetNaming::None, MergeCommand, QStringLiteral("ass|srt"),
         QStringLiteral("the format of the merged track in a .mkv OUT (ass)"),
         [](Options &o, SetOptions *, const QString &option, const QString &value) {
             const QStringList formats {QStringLiteral("ass"), QStringLiteral("srt")};
             o.trackFormat = parseChoice(option, value, formats, "ass or srt") == 0 ? SubtitleFormat::Ass
                                                                                    : SubtitleFormat::SubRip;
         }},
        {processing, QStringLiteral("upper-position"), SetNaming::None, pairCommands, QStringLiteral("above|top"),
         QStringLiteral(".ass: the upper text over the lower one (above) or at the top"),
         [positions](Options &o, SetOptions *, const QString &option, const QString &value) {
             o.upperPosition = UpperPosition(parseChoice(option, value, positions, "above or top"));
         }},
        {corrections, QStringLiteral("strip"), SetNaming::Prefix, allCommands, QStringLiteral("KINDS"),
         QStringLiteral("comma list of round, square, curly, angle"),
         [](Options &, SetOptions *set, const QString &option, const QString &value) {
             set->strip = parseStrip(option, value);
         }},
        {corrections, QStringLiteral("shift"), SetNaming::Prefix, allCommands, QStringLiteral("S"),
         QStringLiteral("seconds, three decimals"), seconds(&SetOptions::shift)},
        {corrections, QStringLiteral("stretch"), SetNaming::Prefix, allCommands, QStringLiteral("S"),
         QStringLiteral("seconds, three decimals"), seconds(&SetOptions::stretch)},
        {corrections, QStringLiteral("convert"), SetNaming::Prefix, allCommands, QStringLiteral("\"23.976 => 25.000\""),
         QStringLiteral("a frame-rate conversion of the Timing dialog"),
         [](Options &, SetOptions *set, const QString &option, const QString &value) {
             if (!frameRateConversions().contains(value))
                 fail(QStringLiteral("%1: '%2' is not one of \"%3\"")
                          .arg(option, value, frameRateConversions().join(QStringLiteral("\", \""))));
             set->convert = value;
         }},
        {syncing, QStringLiteral("link"), SetNaming::None, pairCommands, QStringLiteral("U:L"),
         QStringLiteral("link upper subtitle U to lower subtitle L (numbered from 1); repeatable"),
         [](Options &o, SetOptions *, const QString &option, const QString &value) {
             const QStringList parts = value.split(QLatin1Char(':'));
             if (parts.size() != 2)
                 fail(QStringLiteral("%1: '%2' is not U:L").arg(option, value));
             o.links.append({parseInt(option, parts[0]), parseInt(option, parts[1])});
         }},
        {syncing, QStringLiteral("auto-link"), SetNaming::None, pairCommands, QString(),
         QStringLiteral("then add the links that automatic linking finds"), turn(&Options::autoLink, true)},
        {syncing, QStringLiteral("sync"), SetNaming::None, MergeCommand, QStringLiteral("upper|lower"),
         QStringLiteral("synchronize that set to the other through the links (merge)"),
         [syncTargets](Options &o, SetOptions *, const QString &option, const QString &value) {
             o.sync = syncTargets.at(parseChoice(option, value, syncTargets, "upper or lower"));
         }},
        {syncing, QStringLiteral("save"), SetNaming::Suffix, MergeCommand, QStringLiteral("FILE"),
         QStringLiteral("save that set after its corrections and synchronization (merge)"),
         [](Options &o, SetOptions *set, const QString &, const QString &value) {
             (set == &o.upper ? o.saveUpper : o.saveLower) = value;
         }},
    };
}

// The option as a command spells it for a set ("upper"/"lower"; empty for
// convert's one set and for options of no set).
QString spelling(const OptionSpec &spec, const QString &set)
{
    if (set.isEmpty() || spec.naming == SetNaming::None)
        return QLatin1String("--") + spec.name;
    if (spec.naming == SetNaming::Prefix)
        return QLatin1String("--") + set + QLatin1Char('-') + spec.name;
    return QLatin1String("--") + spec.name + QLatin1Char('-') + set;
}

// "A (.a), B (.b) or C": the names joined as a sentence says them.
QString listed(const QStringList &names)
{
    return names.size() < 2
        ? names.join(QString())
        : names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") + names.last();
}

// What the table of formats says about OUT and the inputs.
QString formatsText()
{
    QStringList written;
    QStringList read;
    for (const FormatInfo &info : formatTable()) {
        if (info.write && info.format != fallbackFormat)
            written << QStringLiteral("%1 (.%2)").arg(info.name, info.suffixes.join(QStringLiteral(", .")));
        if (info.read)
            read << info.name;
    }
    written << formatName(fallbackFormat) + QStringLiteral(" (anything else)");
    return QStringLiteral("The suffix of OUT picks %1.\nInputs are known by their content, whatever their names: %2.\n")
        .arg(listed(written), listed(read));
}

QString usageText()
{
    QString text = QStringLiteral("usage: twinscript-cli convert IN OUT [options]\n"
                                  "       twinscript-cli merge UPPER LOWER OUT [options]\n"
                                  "       twinscript-cli sync REFERENCE INPUT OUT [options]\n"
                                  "       twinscript-cli tracks FILE\n"
                                  "       twinscript-cli --help | --version\n"
                                  "\n");
    text += formatsText();
    text += QStringLiteral(
                "merge writes a .%1 OUT as a copy of the video a set came from, with the merged track added.\n"
                "A video file (Matroska, WebM, MP4, QuickTime) is read for one of its text tracks; tracks lists\n"
                "them, one a line: number, language, title, codec, subtitles (empty when the file does not say),\n"
                "and text, pictures or unreadable, separated by tabs.\n"
                "sync loads REFERENCE as the upper and INPUT as the lower set (their options as for merge),\n"
                "synchronizes the lower set onto the upper one and saves it to OUT as \"Save as\" does.\n")
                .arg(media::VideoOutput::suffix());
    QString section;
    for (const OptionSpec &spec : optionTable()) {
        if (spec.section != section) {
            section = spec.section;
            text += QLatin1Char('\n') + section + QStringLiteral(":\n");
        }
        const QString value = spec.value.isEmpty() ? QString() : QLatin1Char(' ') + spec.value;
        QStringList names;
        if (spec.naming == SetNaming::None || spec.commands == ConvertCommand) {
            names << spelling(spec, QString()) + value;
        } else {
            names << spelling(spec, QStringLiteral("upper")) + value << spelling(spec, QStringLiteral("lower")) + value;
        }
        QString line = QStringLiteral("  ") + names.join(QStringLiteral(", "));
        if (spec.naming != SetNaming::None && (spec.commands & ConvertCommand))
            line += QStringLiteral(" (%1 for convert)").arg(spelling(spec, QString()));
        text += line + QLatin1Char('\n');
        for (const QString &helpLine : spec.help.split(QLatin1Char('\n')))
            text += QStringLiteral("        ") + helpLine + QLatin1Char('\n');
    }
    text += QStringLiteral("\nExit status: 0 done, 1 an error was logged, 2 usage error.\n");
    return text;
}

// The spec an argument names for this command, and the set it names.
const OptionSpec *findOption(const QVector<OptionSpec> &table, const QString &argument, unsigned command, Options &o,
                             SetOptions **set)
{
    for (const OptionSpec &spec : table) {
        if (!(spec.commands & command))
            continue;
        if (command == ConvertCommand || spec.naming == SetNaming::None) {
            if (argument == spelling(spec, QString())) {
                *set = spec.naming == SetNaming::None ? nullptr : &o.upper;
                return &spec;
            }
            continue;
        }
        for (SetOptions *candidate : {&o.upper, &o.lower}) {
            if (argument == spelling(spec, candidate == &o.upper ? QStringLiteral("upper") : QStringLiteral("lower"))) {
                *set = candidate;
                return &spec;
            }
        }
    }
    return nullptr;
}

Options parseArguments(const QStringList &args)
{
    Options o;
    if (args.isEmpty())
        fail(QStringLiteral("missing command"));
    o.command = args.first();
    const QStringList commands {QStringLiteral("convert"), QStringLiteral("merge"), QStringLiteral("sync")};
    const int commandIndex = commands.indexOf(o.command);
    if (commandIndex < 0)
        fail(QStringLiteral("unknown command '%1'").arg(o.command));
    const unsigned command = 1u << commandIndex;

    const QVector<OptionSpec> table = optionTable();
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args.at(i);
        if (!a.startsWith(QLatin1String("--"))) {
            o.files << a;
            continue;
        }
        SetOptions *set = nullptr;
        const OptionSpec *spec = findOption(table, a, command, o, &set);
        if (!spec)
            fail(QStringLiteral("unknown option '%1'").arg(a));
        QString value;
        if (!spec->value.isEmpty()) {
            if (i + 1 >= args.size())
                fail(QStringLiteral("%1 needs a value").arg(a));
            value = args.at(++i);
        }
        spec->apply(o, set, a, value);
    }
    const int wanted = command == ConvertCommand ? 2 : 3;
    if (o.files.size() != wanted)
        fail(QStringLiteral("%1 takes %2 file arguments, %3 given").arg(o.command).arg(wanted).arg(o.files.size()));
    if (command != MergeCommand && media::VideoOutput::isTarget(o.files.last()))
        fail(QStringLiteral("%1 writes no .%2; merge writes the merged track into a copy of the video")
                 .arg(o.command, media::VideoOutput::suffix()));
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
    if (media::isVideoFile(file))
        media::loadTrack(s, set, file, options.track, append, Codings::codecNameOf(options.coding));
    else
        s.loadFile(set, file, Codings::codecNameOf(options.coding), options.frameRate.value_or(0), append);
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
    s.saveFile(set, file, Codings::codecNameOf(coding), o.outFrameRate);
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
    p.lastLine = o.lastLine;
    p.colorTags = o.colors;
    p.upperColor = o.upperColor.value_or(p.upperColor);
    p.lowerColor = o.lowerColor.value_or(p.lowerColor);
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
    const int outRate = o.outFrameRate;
    if (!o.saveUpper.isEmpty())
        saveSet(s.upper, o.saveUpper, o.upper);
    if (!o.saveLower.isEmpty())
        saveSet(s.lower, o.saveLower, o.lower);
    if (sync) {
        saveSet(s.lower, out, o.lower);
    } else if (merge && media::VideoOutput::isTarget(out)) {
        s.process(o.trackFormat);
        media::saveVideoCopy(s, out, o.trackFormat);
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
    // A merge of two full sets touches some 30 MB of fresh heap: in pages of
    // 4 KB that is thousands of page faults, a good part of the run. The heap
    // grows in one step now, and that step is offered to the kernel for huge
    // pages (where it has them on request; elsewhere nothing changes).
    constexpr int heapStep = 64 << 20;
    constexpr uintptr_t hugePage = 2 << 20;
    mallopt(M_TOP_PAD, heapStep);
    const auto start = reinterpret_cast<uintptr_t>(sbrk(0));
    // Volatile, so that the compiler keeps an allocation it sees freed at once.
    void *volatile grow = std::malloc(1 << 20);
    std::free(grow);
    const auto end = reinterpret_cast<uintptr_t>(sbrk(0));
    // The first 2 MB stay in small pages: a short run (one file of a few
    // subtitles) never fills them, and so pays for no huge page it hardly uses.
    const uintptr_t from = (start + 2 * hugePage - 1) & ~(hugePage - 1);
    if (end > from)
        madvise(reinterpret_cast<void *>(from), end - from, MADV_HUGEPAGE);
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
    std::fputs(usageText().toUtf8().constData(), to);
}

int usageError(const UsageError &e)
{
    std::fprintf(stderr, "twinscript-cli: %s\n\n", qPrintable(e.message));
    printUsage(stderr);
    return 2;
}

// `tracks FILE`: the subtitle tracks of a video, one a line.
int listTracks(const QStringList &args)
{
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        fail(QStringLiteral("tracks takes one file argument"));
    media::VideoFile video;
    QString error;
    if (!video.open(args.first(), &error)) {
        std::fprintf(stderr, "twinscript-cli: cannot read %s as a video (%s)\n", qPrintable(args.first()),
                     qPrintable(error));
        return 1;
    }
    for (const media::Track &track : video.tracks())
        std::printf("%s\n", track.tabLine().toUtf8().constData());
    return 0;
}

int runTool(int argc, char *argv[])
{
    qInstallMessageHandler(quietMessages);
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        printUsage(stdout);
        return 0;
    }
    if (args.contains(QStringLiteral("--version"))) {
        std::printf("twinscript-cli %s\n", TWINSCRIPT_VERSION);
        return 0;
    }

    try {
        if (args.value(0) == QLatin1String("tracks"))
            return listTracks(args.mid(1));
        const Options options = parseArguments(args);
        StandardErrorLog log;
        Session session(log);
        Runner(session, options).run();
        return log.errorLogged ? 1 : 0;
    } catch (const UsageError &e) {
        return usageError(e);
    }
}

// Everything the run wrote is closed and in place by now; what remains at a
// normal exit is every library's teardown (the toolkit's, ICU's), which cost
// more than a short run's whole work. The sanitizers keep the normal exit:
// their leak check runs there.
[[noreturn]] void exitWithoutTeardown(int status)
{
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}

} // namespace

int main(int argc, char *argv[])
{
    keepLargeBuffers();
    const int status = runTool(argc, argv);
#if defined(__SANITIZE_ADDRESS__)
    return status;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return status;
#endif
#endif
    exitWithoutTeardown(status);
}
