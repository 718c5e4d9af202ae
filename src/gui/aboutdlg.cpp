#include "gui/aboutdlg.h"

#include "gui/language.h"
#include "version.h"

#include "ui_aboutdlg.h"

#include <QCoreApplication>

AboutDlg::AboutDlg(const QString &language, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::AboutDlg)
{
    ui->setupUi(this);
    // The version this binary was compiled against, not a version it was once
    // written for.
    ui->toolkitLabel->setText(tr("Written in QT %1").arg(QStringLiteral(QT_VERSION_STR)));
    ui->aboutText->setPlainText(aboutText());
    ui->aboutText->setReadOnly(true);
    // Read-only leaves only mouse selection; the keyboard may select too.
    ui->aboutText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    for (const Language::Offered &offered : Language::offered())
        ui->languageBox->addItem(offered.name, offered.code);
    ui->languageBox->setCurrentIndex(qMax(0, ui->languageBox->findData(language)));
}

AboutDlg::~AboutDlg() = default;

QString AboutDlg::language() const
{
    return ui->languageBox->currentData().toString();
}

QString aboutText()
{
    return QStringLiteral("Twinscript " TWINSCRIPT_VERSION "\n")
        + QCoreApplication::translate(
               "AboutDlg",
               "\n"
               "Joining, synchronizing & merging tool for text subtitles\n"
               "\n"
               "SHORT DESCRIPTION\n"
               "Twinscript overlays two subtitle files of different languages so that an ordinary "
               "media player shows both at the same time. It writes one file that holds both streams: "
               "SubRip (.srt) or MicroDVD (.sub) text stacked vertically by the time marks, or "
               "Advanced SubStation (.ass) with one style per language. Where subtitles of the two "
               "streams overlap only partly they are broken into parts, and empty lines keep each "
               "stream at its vertical position: one set is aligned to the bottom, the other stands "
               "some lines above it. Each set can have its own colour.\n"
               "\n"
               "Work flow is intended to be straightforward:\n"
               "\n"
               "1.) \"Load Subtitle Files\"\n"
               "* Load Upper / Load Lower read a SubRip, MicroDVD, MPL2 or SubViewer 2.0 file, known by "
               "its content, as the upper or the lower set; MicroDVD files ask for their frame rate, "
               "offering the one the file declares. Time lines that are almost right are repaired and "
               "the log says how many.\n"
               "* Files dropped on a list go into that set; two files dropped anywhere are a pair.\n"
               "* A video (Matroska, WebM, MP4, QuickTime) asks which of its text subtitle tracks to "
               "read; one video dropped on the window asks for both sets at once.\n"
               "* The selector beside each button is the coding the file is read in. \"Auto Detect\" "
               "finds it; \"Auto Local\" is the system's coding; \"More\u2026\" opens the full list, and "
               "the codings chosen there stay in the selectors. A byte-order mark at the start of a "
               "file always wins.\n"
               "* With \"Append\" checked the file is added to the end of the set, shifted behind its "
               "last subtitle, instead of replacing it.\n"
               "* \"Open Recent\" loads a pair worked on before again, each file in the coding it was "
               "read in.\n"
               "\n"
               "2.) \"Synchronize\"\n"
               "* Select a subtitle in the upper and one in the lower list that are spoken at the same "
               "moment and press \"Add Link\"; links never cross each other. \"Auto Link\" finds links "
               "from the two time lines. \"Delete Link\" and \"Clear Links\" remove them; clicking a "
               "link selects both subtitles.\n"
               "* Double-clicking a subtitle selects the subtitle of the other list that is nearest "
               "in time. The time line under the lists shows both sets and their links; a click on a "
               "bar selects its subtitle.\n"
               "* \"Synchronize\" moves a set onto the other one through the links: it is shifted to "
               "the first link and stretched between the links like a rubber band.\n"
               "* \"Timing\" shifts or stretches a set, or the selected subtitle and all after it, or "
               "converts it from one frame rate to another.\n"
               "* \"Strip ()\" removes text in round, square, curly or angle brackets, for example "
               "descriptions of sounds for the hearing impaired.\n"
               "* \"Save as\" stores a set on its own as SubRip or MicroDVD, in the coding of its load "
               "selector.\n"
               "\n"
               "3.) \"Process & Save\"\n"
               "* Chars/sec: subtitles too short to be read at this many characters per second are "
               "lengthened where the next one leaves room.\n"
               "* ms Gap: the least time between two subtitles of a set.\n"
               "* ms Snap: start and end times of the two sets closer than this are made equal, so "
               "that fewer short parts are cut.\n"
               "* Join Lines puts the lines of each subtitle on one line; a line ending in a hyphen is "
               "glued to the next.\n"
               "* Bottom Lines: how many lines the lower set takes at the bottom; the upper set "
               "stands above them.\n"
               "* Last Line Normal / Last is Dot / Last is Doubled: what stands in the bottom line when "
               "the lower set shows nothing there, a blank, a dot or two blank lines, for players that "
               "skip empty or last lines.\n"
               "* For .ass files the upper language stands directly above the lower one or at the top "
               "of the picture.\n"
               "* Use Color Tags writes each set in the colour of its sliders; the previews show both "
               "sets' current subtitles in their colours and the merged frame as the file will show "
               "it.\n"
               "* Credit line adds a subtitle naming Twinscript after the last one.\n"
               "* \"Process & Save\" merges both sets and writes the result as SubRip, MicroDVD or "
               "Advanced SubStation, chosen by the file's suffix, in the coding chosen below the "
               "button; while a set comes from a video, also into a copy of that video (.mkv) with the "
               "merged track added.\n"
               "\n"
               "4.) \"Donate & Exit\"\n"
               "* \"Donate\", where the build names a donation page, opens it in the web browser.\n"
               "* \"Quit\" ends the program; the settings are kept for the next start.\n"
               "* \"About\" shows this text.\n"
               "\n"
               "VERSION HISTORY\n"
               "1.1\n"
               "* Appended files get the correct time offset.\n"
               "* Sync links are cleared when a new file is loaded, not on reload or append.\n"
               "* Shift and stretch of the selected and all following subtitles.\n"
               "* A set is saved in the coding of its load selector.\n"
               "* The save directory defaults to the last load directory.\n"
               "1.0\n"
               "* First release.\n");
}

QUrl donationUrl()
{
    return QUrl(QStringLiteral(TWINSCRIPT_DONATE_URL), QUrl::TolerantMode);
}
