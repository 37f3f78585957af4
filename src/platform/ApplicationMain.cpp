#include "ApplicationMain.h"

#include "StringTables.h"

#include <QApplication>

MainInterface::~MainInterface() = default;

int ApplicationMain(int argc, char** argv, const char* stringTable, const InterfaceLoader& loadInterface)
{
    SelectDisplayPlatform();
    QApplication application(argc, argv);
    InstallStringTables(application, QString::fromLatin1(stringTable));

    const std::unique_ptr<MainInterface> interface = loadInterface();
    if (!interface || !interface->launch()) {
        return 0;
    }
    return application.exec();
}
