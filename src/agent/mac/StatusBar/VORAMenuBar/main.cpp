#include "ApplicationMain.h"
#include "MenuBarInterface.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: VORAMenuBar [--help | --version] [Qt options]\n"
    "\n"
    "Shows in the system tray whether the VORA agent is connected, with\n"
    "\"Run Inventory\" and \"Restart Agent\" in its menu. The session's autostart\n"
    "entry starts it; it stays only when arn.conf in the agent data directory\n"
    "has launchmenu=true.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Qt's own options (-platform NAME, -display DISPLAY, ...) are accepted.\n"
    "VORA_AGENT_ROOT replaces the root of the agent directories.\n"
    "See VORAMenuBar(1).\n";

enum class InfoRequest
{
    None,
    Help,
    Version,
};

// Looked at before any GUI exists, so that both work without a display.
InfoRequest FindInfoRequest(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return InfoRequest::Help;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            return InfoRequest::Version;
        }
    }
    return InfoRequest::None;
}

int PrintInfo(InfoRequest request)
{
    if (request == InfoRequest::Help) {
        std::fputs(kUsage, stdout);
    } else {
        std::printf("VORAMenuBar %s (build %s)\n", VORA_VERSION, VORA_BUILD_NUMBER);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("VORAMenuBar: standard output");
        return 1;
    }
    return 0;
}

// Qt has taken its own options out of the arguments by now; the program has
// no others and runs on, but says what it ignores.
void ReportIgnoredArguments()
{
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        std::fprintf(stderr, "VORAMenuBar: ignoring unknown argument %s (see --help)\n",
                     qUtf8Printable(arguments.at(i)));
    }
}

} // namespace

int main(int argc, char** argv)
{
    const InfoRequest request = FindInfoRequest(argc, argv);
    if (request != InfoRequest::None) {
        return PrintInfo(request);
    }
    QCoreApplication::setApplicationName(QStringLiteral("VORAMenuBar"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORA_VERSION));
    return ApplicationMain(argc, argv, "VORAMenuBar", [] {
        ReportIgnoredArguments();
        // The About panel reads the build number from here.
        qApp->setProperty("bundleVersion", QStringLiteral(VORA_BUILD_NUMBER));
        // Tray hosts show the application's name as the item's title (Qt
        // gives it as the StatusNotifierItem's Title and Id): the product's
        // name in the user's language, not the file name.
        QCoreApplication::setApplicationName(qtTrId("VORA agent"));
        // A status item lives on without windows: closing the About panel
        // must not end it.
        QApplication::setQuitOnLastWindowClosed(false);
        return MenuBarInterface::loadForSession();
    });
}
