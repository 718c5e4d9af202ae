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
    return app.exec();
}
