#include "app/mainwindow.h"
#include "app/preferences.h"
#include "subtitles/mergeworkspace.h"
#include "text/codecregistry.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char *argv[])
{
    workspace();
    preferences().allCodecs = CodecRegistry::fixedCodingList();
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Twinscript"),
                    QStringLiteral("Twinscript"));
    setSettingsStore(&store);

    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
    int code = 0;
    {
        MainWindow window;
        window.show();
        code = app.exec();
    }
    setSettingsStore(nullptr);
    return code;
}
