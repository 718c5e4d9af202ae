// "About" and "Donate": the dialog with its text, and the donation address
// handed to the browser.

#include "testutil.h"

#include "app/aboutdlg.h"
#include "app/actionlog.h"
#include "app/mainwindow.h"
#include "app/prompts.h"
#include "subtitles/mergeworkspace.h"

#include "ui_mainwindow.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace testutil;

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetState(); }
    void cleanup() { setPrompts(nullptr); }

    void aboutShowsTheTextReadOnly()
    {
        ScriptedPrompts p;
        setPrompts(&p);
        MainWindow w;
        QString title, label, text, typedInto, copied;
        QSize size;
        bool readOnly = false, parentIsWindow = false;
        QList<QDialogButtonBox::StandardButton> buttons;
        p.dialogs.push_back([&](QDialog &d) {
            parentIsWindow = d.parentWidget() == &w;
            title = d.windowTitle();
            size = d.size();
            label = d.findChild<QLabel *>(QStringLiteral("label"))->text();
            auto *edit = d.findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit"));
            readOnly = edit->isReadOnly();
            text = edit->toPlainText();
            d.show();
            edit->setFocus();
            QTest::keyClicks(edit, QStringLiteral("xyz"));
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClick(edit, Qt::Key_Return);
            typedInto = edit->toPlainText();
            // Selecting and copying still work.
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
            copied = QGuiApplication::clipboard()->text();
            auto *box = d.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
            for (QAbstractButton *b : box->buttons())
                buttons << box->standardButton(b);
            box->button(QDialogButtonBox::Ok)->click();
            return d.result();
        });
        w.on_pushButton_about_pressed();
        QCOMPARE(p.dialogsRun, 1);
        QVERIFY(parentIsWindow);
        QCOMPARE(title, QStringLiteral("About Twinscript"));
        QCOMPARE(size, QSize(480, 360));
        QCOMPARE(label, QStringLiteral("Written in QT " QT_VERSION_STR));
        QVERIFY(readOnly);
        QCOMPARE(typedInto, text);
        QCOMPARE(copied, text);
        QCOMPARE(buttons, QList<QDialogButtonBox::StandardButton>{QDialogButtonBox::Ok});
        QVERIFY(text.startsWith(QStringLiteral(
            "Twinscript 1.1\n\nJoining, synchronizing & merging tool for text subtitles\n")));
        // Sections in their order.
        const QStringList headings = {QStringLiteral("SHORT DESCRIPTION"),
                                      QStringLiteral("Work flow is intended to be straightforward:"),
                                      QStringLiteral("1.) \"Load Subtitle Files\""),
                                      QStringLiteral("2.) \"Synchronize\""),
                                      QStringLiteral("3.) \"Process & Save\""),
                                      QStringLiteral("4.) \"Donate & Exit\"")};
        int at = 0;
        for (const QString &h : headings) {
            const int found = text.indexOf(QLatin1Char('\n') + h + QLatin1Char('\n'), at);
            QVERIFY2(found > at, qPrintable(h));
            at = found;
        }
        const int v11 = text.indexOf(QStringLiteral("\n1.1\n"), at);
        QVERIFY(v11 > at);
        QVERIFY(text.indexOf(QStringLiteral("\n1.0\n"), v11) > v11);
        // Help lines are bullet lines.
        const QString help = text.mid(text.indexOf(headings.at(2)), v11 - text.indexOf(headings.at(2)));
        QVERIFY(help.count(QStringLiteral("\n* ")) >= 15);
    }

    void aboutClosesOnEscapeAndLeavesNothing()
    {
        ScriptedPrompts p;
        setPrompts(&p);
        MainWindow w;
        LogCapture log;
        const int rows = w.ui->listWidget_log->count();
        QPointer<QDialog> seen;
        p.dialogs.push_back([&seen](QDialog &d) {
            seen = &d;
            d.show();
            QTest::keyClick(&d, Qt::Key_Escape);
            return d.result();
        });
        w.on_pushButton_about_pressed();
        QCOMPARE(p.dialogsRun, 1);
        QVERIFY(seen.isNull()); // discarded once closed
        QVERIFY(log.lines.isEmpty());
        QCOMPARE(w.ui->listWidget_log->count(), rows);
        QVERIFY(w.findChildren<AboutDlg *>().isEmpty());
    }

    void aboutLabelIsTheBuildVersion()
    {
        AboutDlg d;
        auto *labelWidget = d.findChild<QLabel *>(QStringLiteral("label"));
        QVERIFY(labelWidget);
        const QString label = labelWidget->text();
        QVERIFY(label.startsWith(QStringLiteral("Written in QT ")));
        const QString version = label.mid(14);
        QCOMPARE(version, QStringLiteral(QT_VERSION_STR));
        // The library it runs on has the same major and minor version.
        QCOMPARE(version.section(QLatin1Char('.'), 0, 1), QString::fromLatin1(qVersion()).section(QLatin1Char('.'), 0, 1));
    }

    void donationAddress()
    {
        const QUrl url = donationUrl();
        QVERIFY(url.isValid());
        QVERIFY(url.query().isEmpty());
        QVERIFY(!url.toString().contains(QLatin1Char('?')));
        QString service = QStringLiteral(TWINSCRIPT_DONATE_SERVICE);
        while (service.endsWith(QLatin1Char('/')))
            service.chop(1);
        QCOMPARE(url.toString(), service + QStringLiteral("/xclick/business=") + QStringLiteral(TWINSCRIPT_DONATE_ACCOUNT)
                                     + QStringLiteral("&currency_code=EUR&lc=AT&no_shipping=1&item_name=Twinscript+Donation"));
        QCOMPARE(url.scheme(), QStringLiteral("https"));
        // The fields, in order, as name=value pairs after "/xclick/".
        const QString fields = url.path().section(QStringLiteral("/xclick/"), 1);
        QStringList names;
        for (const QString &pair : fields.split(QLatin1Char('&')))
            names << pair.section(QLatin1Char('='), 0, 0);
        QCOMPARE(names, (QStringList{QStringLiteral("business"), QStringLiteral("currency_code"), QStringLiteral("lc"),
                                     QStringLiteral("no_shipping"), QStringLiteral("item_name")}));
        // The shipped account is a placeholder on a reserved domain.
        QVERIFY(QStringLiteral(TWINSCRIPT_DONATE_ACCOUNT).endsWith(QStringLiteral("example.com")));
    }

    void donateOpensThePageEachTimeAndChangesNothing()
    {
        ScriptedPrompts p;
        setPrompts(&p);
        MainWindow w;
        p.openNames.push_back(fixture(QStringLiteral("utf8_bom_crlf.srt")));
        w.on_pushButton_ldupr_clicked();
        QCOMPARE(workspace().upper.count, 2);
        const int rows = w.ui->listWidget_log->count();
        const QString firstText = workspace().upper.records[0].text;
        LogCapture log;
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(w.ui->pushButton_donate, Qt::LeftButton);
        QCOMPARE(p.openedUrls.size(), 3);
        for (const QUrl &u : p.openedUrls)
            QCOMPARE(u, donationUrl());
        QCOMPARE(p.dialogsRun, 0);
        QVERIFY(log.lines.isEmpty());
        QCOMPARE(w.ui->listWidget_log->count(), rows);
        QCOMPARE(workspace().upper.count, 2);
        QCOMPARE(workspace().upper.records[0].text, firstText);
        QCOMPARE(workspace().lower.count, 0);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
