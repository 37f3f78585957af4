#include "ApplicationMain.h"
#include "VUAInterface.h"
#include "VuaAPI.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    ApplicationOptions options;
    options.programOwnsAllArguments = true;
    options.logTermination = [](const std::string& reason) { VuaAPI().logTermination(reason); };
    return ApplicationMain(
        argc, argv, "VUserAlert", [] { return std::make_unique<VUAInterface>(*qGuiApp); }, options);
}
