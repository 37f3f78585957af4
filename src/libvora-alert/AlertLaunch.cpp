// The process calls of vora/alert.h: starting a dialog after clearing
// what an earlier one of its suffix left, waiting for its end, ending it.
#include "AlertHandle.h"

#include "VUAConfig.h"
#include "VUAOptions.h"
#include "strutil.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <vector>

extern char** environ;

using namespace vora_alert_detail;

namespace {

constexpr long kGraceSeconds = 15;
constexpr long kLongestDialogSeconds = 86400;
constexpr const char* kInstalledDialog = VORA_ALERT_DIALOG_PATH;

// The options as the dialog parses them; nullopt when they start no dialog.
std::optional<VUAConfig> Parse(const std::vector<std::string>& options)
{
    std::vector<std::string> args{"VUserAlert"};
    args.insert(args.end(), options.begin(), options.end());
    if (args.size() == 2 && args[1] == kVUA_Crash) {
        return std::nullopt;
    }
    VUAConfig config;
    if (ParseCommandLineArgs(args, &config) != 0) {
        return std::nullopt;
    }
    return config;
}

// The dialog's own time-out plus a grace: its "-timeout" (1 s or more) for
// a single message; a day when it has none (the dialog then closes after a
// day), for pages (each page restarts its own time-out as the user pages
// back and forth), and for options that start no dialog.
long WaitLimitFor(const std::optional<VUAConfig>& config)
{
    const bool pages = config && (config->multiMessageMode || config->multiSnoozeMessageMode);
    const bool timed = config && !pages && config->timeout >= 1;
    return (timed ? static_cast<long>(config->timeout) : kLongestDialogSeconds) + kGraceSeconds;
}

std::vector<std::string> Strings(const char* const* list)
{
    std::vector<std::string> strings;
    for (const char* const* entry = list; entry != nullptr && *entry != nullptr; ++entry) {
        strings.emplace_back(*entry);
    }
    return strings;
}

// What an earlier dialog of this suffix left: its commands would be obeyed
// by the new one at its first poll (a stale EXIT closes it unanswered), its
// answer would pass for the new one's.
void ClearEarlier(const VUAMarkerMgr& markers)
{
    const VUA_MarkerType commands[] = {MARKER_MESG,    MARKER_APND,       MARKER_SHOWOK, MARKER_PROGON,
                                       MARKER_PROGOFF, MARKER_SETTIMEOUT, MARKER_EXIT,   MARKER_FINISH};
    for (const VUA_MarkerType type : commands) {
        const VResult removed = markers.Delete(type);
        if (!removed) {
            Note("cannot remove the earlier command " + markers.GetFilePath(type) + ": " +
                 std::strerror(removed.error));
        }
    }
    for (const VUAStaleAnswer& stale : markers.DeleteAnswers()) {
        Note("cannot clear the earlier answer " + markers.GetFilePath(stale.type) + ": " +
             std::strerror(stale.error));
    }
}

void Fill(const vora::launch::Ending& from, vora_alert_ending* to)
{
    if (to == nullptr) {
        return;
    }
    to->exited = from.exited ? 1 : 0;
    to->exit_code = from.exited ? from.exitCode : -1;
    to->signal = from.signal;
    to->ended_by_agent = from.endedByAgent ? 1 : 0;
    to->was_stopped = from.wasStopped ? 1 : 0;
    to->end_signal = from.endSignal;
}

int NoProcess()
{
    return Fail(ECHILD, "this handle started no dialog");
}

} // namespace

extern "C" {

int vora_alert_start(const char* user, const char* program, const char* const* options,
                     const char* const* environment, int output_fd, vora_alert** alert)
{
    return Guarded([&] {
        if (options == nullptr || alert == nullptr || output_fd < 0) {
            return Fail(EINVAL, "vora_alert_start needs options, a place for the handle and an output");
        }
        User resolved;
        // Refused before anything of the user's is touched.
        if (const int found = ResolveUser(user, true, &resolved); found != 0) {
            return found;
        }
        auto started = std::make_unique<vora_alert>();
        vora::launch::Request request;
        request.user = user != nullptr ? user : "";
        request.program = program != nullptr ? program : kInstalledDialog;
        request.arguments = Strings(options);
        request.callerEnvironment = Strings(environment != nullptr ? environment : environ);
        request.outputFd = output_fd;
        request.log = [](const std::string& line) { Note(line); };
        const std::optional<VUAConfig> config = Parse(request.arguments);
        started->suffix = config ? sanitizeFilename(config->suffix) : std::string();
        started->waitLimitSeconds = WaitLimitFor(config);
        SetUpMarkers(started.get(), resolved);
        if (!started->suffix.empty()) {
            ClearEarlier(started->markers);
        }
        vora::launch::Error error;
        started->process = vora::launch::DialogLaunch::start(request, &error);
        if (!started->process) {
            return Fail(error.error != 0 ? error.error : EIO, error.message);
        }
        *alert = started.release();
        return 0;
    });
}

void vora_alert_free(vora_alert* alert)
{
    if (alert == nullptr) {
        return;
    }
    Guarded([&] {
        if (alert->process && alert->process->running()) {
            alert->process->stop();
        }
        if (alert->process) {
            DropUntaken(alert);
        }
        return 0;
    });
    delete alert;
}

const char* vora_alert_describe(vora_alert* alert)
{
    if (alert == nullptr || !alert->process) {
        return "";
    }
    try {
        alert->description = alert->process->describe();
    } catch (...) {
        return "";
    }
    return alert->description.c_str();
}

long vora_alert_get_wait_limit(const vora_alert* alert)
{
    return alert != nullptr ? alert->waitLimitSeconds : 0;
}

int vora_alert_running(vora_alert* alert)
{
    if (alert == nullptr || !alert->process) {
        return NoProcess();
    }
    // The managed launch reads the manager's signals here, and logs.
    return Guarded([alert] { return alert->process->running() ? 1 : 0; });
}

int vora_alert_wait(vora_alert* alert, long timeout_ms, vora_alert_ending* ending)
{
    return Guarded([&] {
        if (alert == nullptr || !alert->process) {
            return NoProcess();
        }
        if (timeout_ms < 0 && timeout_ms != VORA_ALERT_DIALOG_LIMIT) {
            return Fail(EINVAL, "vora_alert_wait: a negative time");
        }
        const std::chrono::milliseconds limit = timeout_ms == VORA_ALERT_DIALOG_LIMIT
                                                    ? std::chrono::seconds(alert->waitLimitSeconds)
                                                    : std::chrono::milliseconds(timeout_ms);
        const vora::launch::Ending ended = alert->process->wait(limit);
        DropUntaken(alert);
        Fill(ended, ending);
        if (ended.endedByAgent) {
            Note("the dialog (" + alert->process->describe() + ") did not end within its wait limit of " +
                 std::to_string(limit.count() / 1000) + " s (it was " +
                 (ended.wasStopped ? "stopped" : "running") + "): ended with SIG" +
                 sigabbrev_np(ended.endSignal));
        }
        return 0;
    });
}

int vora_alert_stop(vora_alert* alert, vora_alert_ending* ending)
{
    return Guarded([&] {
        if (alert == nullptr || !alert->process) {
            return NoProcess();
        }
        const vora::launch::Ending ended = alert->process->stop();
        DropUntaken(alert);
        Fill(ended, ending);
        return 0;
    });
}

} // extern "C"
