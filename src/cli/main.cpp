// twinscript-cli: the window's operations from the command line. It drives the
// real main window offscreen and answers its dialogs from the options, so a
// run does exactly what the same clicks would do.

#include "app/actionlog.h"
#include "app/mainwindow.h"
#include "app/preferences.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"
#include "text/codecregistry.h"

#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QPushButton>

#include <cstdio>
#include <functional>
#include <optional>

namespace {

const char usageText[]
    = "usage: twinscript-cli convert IN OUT [options]\n"
      "       twinscript-cli merge UPPER LOWER OUT [options]\n"
      "       twinscript-cli --help | --version\n"
      "\n"
      "The suffix of OUT picks SubRip (.srt) or MicroDVD (anything else).\n"
      "\n"
      "Codings and frame rates:\n"
      "  --upper-coding NAME, --lower-coding NAME, --out-coding NAME (--coding for convert)\n"
      "        a coding as the selectors list it, or its codec name; default \"Auto Local\"\n"
      "  --upper-fps R, --lower-fps R, --out-fps R (--fps for convert)\n"
      "        MicroDVD frame rate: 23.976, 24, 25 or 29.97; default 23.976\n"
      "  --append-upper FILE, --append-lower FILE (--append for convert)\n"
      "        append FILE behind the set; repeatable\n"
      "Processing (merge):\n"
      "  --cps N (25)  --gap N (0)  --snap N (500)  --bottom-lines N (2)\n"
      "  --join-lines  --last-line normal|dot|doubled  --no-header\n"
      "  --colors  --upper-color RRGGBB  --lower-color RRGGBB\n"
      "Corrections (prefix upper-/lower- for merge, none for convert):\n"
      "  --upper-strip KINDS      comma list of round, square, curly, angle\n"
      "  --upper-shift S          seconds, three decimals\n"
      "  --upper-stretch S        seconds, three decimals\n"
      "  --upper-convert \"23.976 => 25.000\"   a frame-rate conversion of the Timing dialog\n"
      "Synchronizing (merge):\n"
      "  --link U:L               link upper subtitle U to lower subtitle L (numbered from 1); repeatable\n"
      "  --sync upper|lower       synchronize that set to the other through the links\n"
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

const QStringList conversions
    = {QStringLiteral("23.976 => 25.000"), QStringLiteral("24.000 => 25.000"), QStringLiteral("29.970 => 25.000"),
       QStringLiteral("25.000 => 23.976"), QStringLiteral("25.000 => 24.000"), QStringLiteral("25.000 => 29.970")};

struct SetOptions
{
    QString coding = CodecRegistry::autoLocal();
    int fpsIndex = 0;
    QStringList appends;
    QStringList strip; // check box names
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
    QString outCoding = CodecRegistry::autoLocal();
    int outFpsIndex = 0;
    std::optional<int> cps, gap, snap, bottomLines;
    bool joinLines = false;
    int lastLine = 0;
    bool colors = false;
    std::optional<int> upperColor, lowerColor;
    bool header = true;
    QList<QPair<int, int>> links;
    QString sync;
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
    if (value == CodecRegistry::autoLocal() || value == QLatin1String("UTF-8"))
        return value;
    const QStringList all = CodecRegistry::fixedCodingList();
    for (const QString &entry : all)
        if (entry == value || CodecRegistry::codecNameOf(entry) == value)
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

QStringList parseStrip(const QString &option, const QString &value)
{
    QStringList boxes;
    const QStringList kinds = value.split(QLatin1Char(','));
    for (const QString &kind : kinds) {
        const QString k = kind.trimmed();
        if (k == QLatin1String("round") || k == QLatin1String("square") || k == QLatin1String("curly")
            || k == QLatin1String("angle"))
            boxes << QStringLiteral("checkBox_") + k;
        else
            fail(QStringLiteral("%1: unknown bracket kind '%2'").arg(option, k));
    }
    return boxes;
}

Options parseArguments(const QStringList &args)
{
    Options o;
    if (args.isEmpty())
        fail(QStringLiteral("missing command"));
    o.command = args.first();
    if (o.command != QLatin1String("convert") && o.command != QLatin1String("merge"))
        fail(QStringLiteral("unknown command '%1'").arg(o.command));
    const bool convert = o.command == QLatin1String("convert");

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
            else if (!conversions.contains(v))
                fail(QStringLiteral("%1: '%2' is not one of \"%3\"")
                         .arg(a, v, conversions.join(QStringLiteral("\", \""))));
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
        } else if (!convert && a == QLatin1String("--link")) {
            const QString v = value();
            const QStringList parts = v.split(QLatin1Char(':'));
            if (parts.size() != 2)
                fail(QStringLiteral("--link: '%1' is not U:L").arg(v));
            o.links.append({parseInt(a, parts[0]), parseInt(a, parts[1])});
        } else if (!convert && a == QLatin1String("--sync")) {
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

// Answers the window's dialogs as a user following the options would.
class CliPrompts : public Prompts
{
public:
    QString openName;
    QString saveName;
    std::function<int(QDialog &)> handler;

    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return openName; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return saveName; }
    int run(QDialog &dialog) override { return handler ? handler(dialog) : int(QDialog::Rejected); }
    void openUrl(const QUrl &) override { }
};

int pressOk(QDialog &dialog)
{
    auto *box = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QPushButton *ok = box ? box->button(QDialogButtonBox::Ok) : nullptr;
    if (!ok)
        return QDialog::Rejected;
    ok->click();
    return dialog.result();
}

int answerFrameRate(QDialog &dialog, int index)
{
    if (auto *box = dialog.findChild<QComboBox *>(QStringLiteral("comboBox")))
        box->setCurrentIndex(index);
    return pressOk(dialog);
}

void selectCoding(QComboBox *box, const QString &coding)
{
    const int i = box->findText(coding);
    box->setCurrentIndex(i >= 0 ? i : 0);
}

void setSpin(QSpinBox *box, const std::optional<int> &value)
{
    if (!value)
        return;
    // Out-of-range values get the correction that typing them into the box gets.
    if (*value >= box->minimum() && *value <= box->maximum())
        box->setValue(*value);
    else if (box->correctionMode() == QAbstractSpinBox::CorrectToNearestValue)
        box->setValue(qBound(box->minimum(), *value, box->maximum()));
}

class Runner
{
public:
    Runner(MainWindow &window, CliPrompts &prompts, const Options &o)
        : w(window)
        , ui(*window.ui)
        , p(prompts)
        , o(o)
    {
    }

    void run();

private:
    MainWindow &w;
    Ui::MainWindow &ui;
    CliPrompts &p;
    const Options &o;

    void load(bool upper, const QString &file, const SetOptions &set, bool append);
    void strip(bool upper, const SetOptions &set);
    void timing(bool upper, const SetOptions &set);
    void links();
};

void Runner::load(bool upper, const QString &file, const SetOptions &set, bool append)
{
    p.openName = file;
    p.handler = [&set](QDialog &d) { return answerFrameRate(d, set.fpsIndex); };
    ui.checkBox_app->setChecked(append);
    if (upper)
        w.on_pushButton_ldupr_clicked();
    else
        w.on_pushButton_ldlwr_clicked();
}

void Runner::strip(bool upper, const SetOptions &set)
{
    if (set.strip.isEmpty())
        return;
    p.handler = [&set](QDialog &d) {
        for (const QString &name : set.strip)
            if (auto *box = d.findChild<QCheckBox *>(name))
                box->setChecked(true);
        return pressOk(d);
    };
    if (upper)
        w.on_pushButton_strup_pressed();
    else
        w.on_pushButton_strlw_pressed();
}

void Runner::timing(bool upper, const SetOptions &set)
{
    if (!set.shift && !set.stretch && set.convert.isEmpty())
        return;
    p.handler = [&set](QDialog &d) {
        if (auto *box = d.findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_shft")))
            box->setValue(set.shift.value_or(0.0));
        if (auto *box = d.findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_strc")))
            box->setValue(set.stretch.value_or(0.0));
        if (auto *box = d.findChild<QComboBox *>(QStringLiteral("comboBox_frmrte")))
            if (!set.convert.isEmpty())
                box->setCurrentIndex(box->findText(set.convert));
        return pressOk(d);
    };
    if (upper)
        w.on_pushButton_timgup_pressed();
    else
        w.on_pushButton_timgw_pressed();
}

void Runner::links()
{
    MergeWorkspace &ws = workspace();
    for (const auto &link : o.links) {
        if (link.first < 1 || link.first > ws.upper.count || link.second < 1 || link.second > ws.lower.count)
            fail(QStringLiteral("--link %1:%2: no such subtitle (upper has %3, lower %4)")
                     .arg(link.first)
                     .arg(link.second)
                     .arg(ws.upper.count)
                     .arg(ws.lower.count));
        ui.listWidget_upr->setCurrentRow(link.first - 1);
        ui.listWidget_lwr->setCurrentRow(link.second - 1);
        ws.upper.select(link.first - 1);
        ws.lower.select(link.second - 1);
        w.refreshAddLink();
        if (!ui.pushButton_ladd->isEnabled())
            fail(QStringLiteral("--link %1:%2 crosses or repeats another link").arg(link.first).arg(link.second));
        w.on_pushButton_ladd_pressed();
    }
}

void Runner::run()
{
    const bool merge = o.command == QLatin1String("merge");
    Preferences &prefs = preferences();

    // Every coding named on the command line is offered in the selectors.
    for (const QString &c : {o.upper.coding, o.lower.coding, o.outCoding})
        if (c != CodecRegistry::autoLocal() && c != QLatin1String("UTF-8") && !prefs.selectedCodecs.contains(c))
            prefs.selectedCodecs << c;
    CodecRegistry::fillCodingSelectors(nullptr);
    selectCoding(ui.comboBox_loadupr, o.upper.coding);
    selectCoding(ui.comboBox_loadlwr, o.lower.coding);
    selectCoding(ui.comboBox_save, o.outCoding);

    setSpin(ui.spinBox_cps, o.cps);
    setSpin(ui.spinBox_gap, o.gap);
    setSpin(ui.spinBox_snp, o.snap);
    setSpin(ui.spinBox_lin, o.bottomLines);
    ui.checkBox_join->setChecked(o.joinLines);
    ui.comboBox_last->setCurrentIndex(o.lastLine);
    prefs.upperColor = o.upperColor.value_or(0xffffff);
    prefs.lowerColor = o.lowerColor.value_or(0xffffff);
    ui.checkBox_coltag->setChecked(o.colors);
    prefs.addHeader = o.header;

    load(true, o.files.at(0), o.upper, false);
    for (const QString &f : o.upper.appends)
        load(true, f, o.upper, true);
    if (merge) {
        load(false, o.files.at(1), o.lower, false);
        for (const QString &f : o.lower.appends)
            load(false, f, o.lower, true);
    }

    strip(true, o.upper);
    if (merge)
        strip(false, o.lower);
    timing(true, o.upper);
    if (merge)
        timing(false, o.lower);
    if (merge) {
        links();
        if (o.sync == QLatin1String("upper"))
            w.on_pushButton_synu_pressed();
        else if (o.sync == QLatin1String("lower"))
            w.on_pushButton_synl_pressed();
    }

    p.saveName = o.files.last();
    const int outFps = o.outFpsIndex;
    p.handler = [outFps](QDialog &d) { return answerFrameRate(d, outFps); };
    if (merge) {
        w.on_pushButton_proc_pressed();
    } else {
        // A set is saved in the coding of its own selector.
        selectCoding(ui.comboBox_loadupr, o.outCoding);
        w.on_pushButton_savup_pressed();
    }
}

// Standard error carries the log lines; the toolkit's own chatter (a missing
// runtime directory, fonts of the offscreen platform) would only bury them.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "twinscript-cli: %s\n", message.toLocal8Bit().constData());
}

void printUsage(FILE *to)
{
    std::fputs(usageText, to);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    workspace();
    preferences().allCodecs = CodecRegistry::fixedCodingList();
    setSettingsStore(nullptr);

    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        printUsage(stdout);
        return 0;
    }
    if (args.contains(QStringLiteral("--version"))) {
        std::printf("twinscript-cli 1.1\n");
        return 0;
    }

    Options options;
    try {
        options = parseArguments(args);
    } catch (const UsageError &e) {
        std::fprintf(stderr, "twinscript-cli: %s\n\n", qPrintable(e.message));
        printUsage(stderr);
        return 2;
    }

    bool errorLogged = false;
    actionLog().listener = [&errorLogged](int level, const QString &line) {
        if (level == 0)
            errorLogged = true;
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    };

    CliPrompts cliPrompts;
    setPrompts(&cliPrompts);
    int code = 0;
    {
        MainWindow window;
        Runner runner(window, cliPrompts, options);
        try {
            runner.run();
            code = errorLogged ? 1 : 0;
        } catch (const UsageError &e) {
            std::fprintf(stderr, "twinscript-cli: %s\n\n", qPrintable(e.message));
            printUsage(stderr);
            code = 2;
        }
    }
    setPrompts(nullptr);
    actionLog().listener = nullptr;
    return code;
}
