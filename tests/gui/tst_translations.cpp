// The window in German and Spanish: every text the window's code and forms
// mark for translation has a finished translation in both files, keeping its
// placeholders, file patterns and "&&"; the chosen language shows in the
// window and its dialogs while the log stays English; the choice in About is
// kept for the next start.

#include "guiutil.h"
#include "testutil.h"

#include "gui/aboutdlg.h"
#include "gui/language.h"
#include "gui/mainwindow.h"
#include "gui/settings.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtTest>
#include <QtWidgets>

using namespace testutil;

namespace {

// What a translation must keep of its source: "%1", "*.srt", "&&".
QStringList kept(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("%\\d+|\\*\\.\\w+|&&"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

// Each message that lacks a finished translation or loses what it must keep.
QStringList faults(const QString &tsFile)
{
    QFile file(tsFile);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read %1").arg(tsFile)};
    QStringList faults;
    QXmlStreamReader xml(&file);
    QString context, source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            const QString translation = xml.readElementText();
            const QString where = context + QLatin1String(": ") + source.left(60);
            if (type == QLatin1String("unfinished") || translation.isEmpty())
                faults << QLatin1String("untranslated ") + where;
            else if (kept(translation) != kept(source))
                faults << QLatin1String("placeholders differ ") + where;
        }
    }
    if (xml.hasError())
        faults << xml.errorString();
    return faults;
}

} // namespace

class TestTranslations : public QObject, TempDir
{
    Q_OBJECT

    ScriptedPrompts prompts;

private slots:
    void init()
    {
        prompts = ScriptedPrompts();
        setPrompts(&prompts);
    }
    void cleanup()
    {
        setPrompts(nullptr);
        Language::install(QString());
    }

    // The texts of the sources as they are now, merged into a copy of each
    // file as `update_translations` would: nothing new may be left untranslated.
    void complete_data()
    {
        QTest::addColumn<QString>("language");
        row("German", "de");
        row("Spanish", "es");
    }
    void complete()
    {
        QFETCH(QString, language);
        const QString name = QStringLiteral("twinscript_%1.ts").arg(language);
        const QString copy = path(name);
        QFile::remove(copy);
        QVERIFY(QFile::copy(QStringLiteral(SOURCE_DIR "/gui/translations/") + name, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        QProcess lupdate;
        lupdate.start(
            QStringLiteral(LUPDATE_PATH),
            {"-silent", "-no-obsolete", "-locations", "none", "-I", SOURCE_DIR, SOURCE_DIR "/gui", "-ts", copy});
        QVERIFY(lupdate.waitForFinished(120000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());
        const QStringList found = faults(copy);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    // The window and the toolkit's buttons speak the language chosen (an
    // unknown one: the system's, English under the tests' C locale); the log
    // line and the file name in the title do not change.
    void windowSpeaksTheLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("loadUpper");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("cancel");
        row("German", "de", "Obere laden", "Oben: pair_upper.srt", "Abbrechen");
        row("Spanish", "es", "Cargar superior", "Superior: pair_upper.srt", "Cancelar");
        row("English", "en", "Load Upper", "Upper: pair_upper.srt", "Cancel");
        row("system", "", "Load Upper", "Upper: pair_upper.srt", "Cancel");
        row("not offered", "fr", "Load Upper", "Upper: pair_upper.srt", "Cancel");
    }
    void windowSpeaksTheLanguage()
    {
        QFETCH(QString, language);
        Language::install(language);
        MainWindow w(nullptr);
        const MainForm form(&w);
        QTEST(form.loadUpperButton->text(), "loadUpper");
        QString cancel;
        prompts.dialogs.push_back([&](QDialog &d) {
            cancel = d.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text();
            return closeDialog(d);
        });
        prompts.openNames = {fixture(QStringLiteral("pair_upper.srt"))};
        form.upperTimingButton->click();
        w.loadUpper();
        QTEST(cancel, "cancel");
        QTEST(form.upperTitle->text(), "title");
        QCOMPARE(rowsOf(form.logList), QStringList {"Up: 10 subs loaded from pair_upper.srt"});
    }

    // The language chosen in About is stored and shown again at the next start.
    void choiceIsKept()
    {
        const QString file = path(QStringLiteral("Twinscript.conf"));
        QStringList offered;
        prompts.dialogs.push_back([&](QDialog &d) {
            auto *box = d.findChild<QComboBox *>(QStringLiteral("languageBox"));
            for (int i = 0; i < box->count(); ++i)
                offered << box->itemText(i);
            choose(box, QStringLiteral("Español"));
            return closeDialog(d);
        });
        {
            QSettings store(file, QSettings::IniFormat);
            MainWindow w(&store);
            MainForm(&w).aboutButton->click();
        }
        QCOMPARE(offered, (QStringList {"System language", "English", "Deutsch", "Español"}));
        QSettings store(file, QSettings::IniFormat);
        QCOMPARE(Settings(&store).value(Settings::Key::Language).toString(), QStringLiteral("es"));
        QString shown;
        prompts.dialogs.push_back([&](QDialog &d) {
            shown = d.findChild<QComboBox *>(QStringLiteral("languageBox"))->currentText();
            return closeDialog(d);
        });
        MainWindow again(&store);
        MainForm(&again).aboutButton->click();
        QCOMPARE(shown, QStringLiteral("Español"));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
