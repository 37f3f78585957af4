#pragma once

#include <functional>
#include <memory>
#include <string>

// The objects an interface file creates (windows, controllers, delegates),
// kept alive while the main loop runs.
class MainInterface
{
public:
    virtual ~MainInterface();
    // Runs once the interface exists; false asks the application to end
    // before its main loop starts.
    virtual bool launch() = 0;
    // The program ends early for `reason` ("ended by signal SIGTERM", "the
    // display connection was lost: ..."): the interface leaves its line in
    // the log and writes nothing else.
    virtual void terminate(const std::string& reason);
};

using InterfaceLoader = std::function<std::unique_ptr<MainInterface>()>;
// Logs why the program ends when no interface exists yet (no display).
using TerminationLogger = std::function<void(const std::string& reason)>;

struct ApplicationOptions
{
    // Every argument belongs to the program: the toolkit gets the program
    // path only, and options such as "-name" or "-reverse" reach the program.
    bool programOwnsAllArguments = false;
    // When given, every end is status 0 with one line through it:
    //   no display, or one that refuses     -> logged, status 0 (not abort)
    //   the display goes away while open    -> logged, status 0 (not 1)
    //   SIGTERM, SIGHUP, SIGINT             -> logged, status 0 (not 143/129/130)
    TerminationLogger logTermination;
};

// Stand-in for the platform's application main. Keeps the arguments as they
// were passed (ProcessArguments), creates the application object, installs
// the program's string tables (English always, then the user's language on
// top), loads the interface and runs the main loop. Returns the loop's
// result, or 0 when the interface asked to end at once.
int ApplicationMain(int argc, char** argv, const char* stringTable, const InterfaceLoader& loadInterface,
                    const ApplicationOptions& options = {});
