#pragma once

#include <functional>
#include <memory>

// The objects an interface file creates (windows, controllers, delegates),
// kept alive while the main loop runs.
class MainInterface
{
public:
    virtual ~MainInterface();
    // Runs once the interface exists; false asks the application to end
    // before its main loop starts.
    virtual bool launch() = 0;
};

using InterfaceLoader = std::function<std::unique_ptr<MainInterface>()>;

// Stand-in for the platform's application main: creates the application
// object, installs the program's string tables (English always, then the
// user's language on top), loads the interface and runs the main loop.
// Returns the loop's result, or 0 when the interface asked to end at once.
int ApplicationMain(int argc, char** argv, const char* stringTable, const InterfaceLoader& loadInterface);
