#include "gui/mainwindow.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Twinscript"),
                    QStringLiteral("Twinscript"));
    MainWindow window(&store);
    window.show();
    return app.exec();
}
