#include "ApplicationMain.h"
#include "VUAInterface.h"
#include "VuaAPI.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    return ApplicationMain(
        argc, argv, "VUserAlert", [] { return std::make_unique<VUAInterface>(*qGuiApp); },
        [](const std::string& reason) { VuaAPI().logTermination(reason); });
}
