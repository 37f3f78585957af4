#include "ApplicationMain.h"
#include "ProcessArguments.h"
#include "UsageWithoutDisplay.h"
#include "VUAInterface.h"
#include "VuaAPI.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    ApplicationOptions options;
    options.programOwnsAllArguments = true;
    // Called only while no interface exists, that is without a display: the
    // usage the panel would have shown goes to standard error.
    options.logTermination = [](const std::string& reason) {
        WriteUsageWithoutDisplay(ProcessArguments(), stderr);
        VuaAPI().logTermination(reason);
    };
    return ApplicationMain(
        argc, argv, "VUserAlert", [] { return std::make_unique<VUAInterface>(*qGuiApp); }, options);
}
