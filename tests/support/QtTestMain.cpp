// main() for test programs that need a QApplication: widgets run on the
// offscreen platform and the dialog's string tables are installed, as the
// program itself does.
#include "PrivateSystemBus.h"
#include "StringTables.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#ifndef VORA_TEST_STRING_TABLE
#define VORA_TEST_STRING_TABLE ""
#endif

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LANG", "en_US.UTF-8", 0);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef VORA_TEST_PRIVATE_BUS
    // Before anything touches the system bus: Qt keeps its first connection.
    PrivateSystemBus bus;
    if (!bus.isRunning()) {
        std::fprintf(stderr, "cannot start a private system bus (dbus-daemon)\n");
        return 1;
    }
#endif
    QApplication application(argc, argv);
    // Tests open and close many windows; none of them may end the run.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    if (VORA_TEST_STRING_TABLE[0] != '\0') {
        InstallStringTables(application, QStringLiteral(VORA_TEST_STRING_TABLE));
    }
    return RUN_ALL_TESTS();
}
