#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Starting a dialog program for a user and waiting for it, as the agent
// does. No Qt: the agent's library carries it.
namespace vora::launch {

struct Request
{
    std::string user;                   // name or decimal uid; empty: run as the caller, no identity switch
    std::string program;                // absolute path of the dialog program
    std::vector<std::string> arguments; // without the program
    std::vector<std::string> callerEnvironment; // "NAME=value" of the caller; only the allow-listed ones pass
    int outputFd = 2;                           // where a fallback launch relays the dialog's output
    // Told, one line at a time without a newline, how the launch is made
    // (where the display came from, what the dialog gets, why a fallback
    // runs). Empty: the lines go to standard error as "vora-launch: LINE".
    std::function<void(const std::string& line)> log;
};

// How the dialog ended.
struct Ending
{
    bool exited = false; // by exit(); otherwise by a signal
    int exitCode = -1;
    int signal = 0;            // the signal that ended it
    bool endedByAgent = false; // the wait limit was reached and the launch ended it
    bool wasStopped = false;   // stopped (state T) at the limit rather than running
    int endSignal = 0;         // SIGTERM, or SIGKILL when SIGTERM did not end it
};

struct Error
{
    int error = 0;       // errno-style number
    std::string message; // a loggable sentence
};

// One dialog started for a user (or the caller, without one). With a
// user the dialog gets that user's identity and an environment of the
// user's session, nothing of the caller's but an allow-list.
class DialogLaunch
{
public:
    // nullptr with `error` filled when the user is unknown, may not be
    // switched to (only root starts another user's dialog), or the program
    // could not be started.
    static std::unique_ptr<DialogLaunch> start(const Request& request, Error* error);
    virtual ~DialogLaunch(); // ends a dialog still running, as stop()

    virtual bool running() = 0;
    // Waits for the end, at most `limit` from now; at the limit ends it
    // (every process of it).
    virtual Ending wait(std::chrono::milliseconds limit) = 0;
    // Ends the dialog now: SIGTERM (and SIGCONT), SIGKILL when it is still there later.
    virtual Ending stop() = 0;
    // One line for logs: how and where it runs ("pid 1234, started by the agent").
    virtual std::string describe() const = 0;

protected:
    DialogLaunch() = default;
    DialogLaunch(const DialogLaunch&) = delete;
    DialogLaunch& operator=(const DialogLaunch&) = delete;
};

} // namespace vora::launch
