#include "ApplicationMain.h"
#include "MenuBarInterface.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("VORAMenuBar"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORA_VERSION));
    return ApplicationMain(argc, argv, "VORAMenuBar", [] {
        // The About panel reads the build number from here.
        qApp->setProperty("bundleVersion", QStringLiteral(VORA_BUILD_NUMBER));
        // A status item lives on without windows: closing the About panel
        // must not end it.
        QApplication::setQuitOnLastWindowClosed(false);
        return MenuBarInterface::loadForSession();
    });
}
