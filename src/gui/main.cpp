#include "gui/language.h"
#include "gui/mainwindow.h"
#include "gui/settings.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Twinscript"),
                    QStringLiteral("Twinscript"));
    // Before any window text is made.
    Language::install(store.value(Settings::name(Settings::Key::Language)).toString());
    MainWindow window(&store);
    window.show();
    // Files handed over by the desktop ("Open with"): one is the upper set, two are a pair.
    const QStringList files = app.arguments().mid(1);
    if (!files.isEmpty())
        window.loadDropped(files, nullptr);
    return app.exec();
}
