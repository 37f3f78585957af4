// The channel calls of vora/alert.h: errors, notes, suffixes, encoding,
// publishing markers and waiting for them to be taken.
#include "AlertHandle.h"

#include "VUAConfig.h"
#include "VUAOptions.h"
#include "ValueEncoding.h"
#include "strutil.h"

#include "Account.h"

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

using namespace vora_alert_detail;

namespace {

thread_local std::string g_lastError;
void (*g_log)(const char*, void*) = nullptr;
void* g_logData = nullptr;

char* Copy(const std::string& text)
{
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return copy;
}

// "message" and "append" carry text; the others publish an empty marker.
VUA_MarkerType MarkerOf(vora_alert_command command)
{
    switch (command) {
    case VORA_ALERT_MESSAGE:
    case VORA_ALERT_APPEND:
        return MARKER_MESG;
    case VORA_ALERT_SHOW_OK:
        return MARKER_SHOWOK;
    case VORA_ALERT_PROGRESS_ON:
        return MARKER_PROGON;
    case VORA_ALERT_PROGRESS_OFF:
        return MARKER_PROGOFF;
    case VORA_ALERT_TIMEOUT:
        return MARKER_SETTIMEOUT;
    case VORA_ALERT_EXIT:
        return MARKER_EXIT;
    case VORA_ALERT_FINISH:
        return MARKER_FINISH;
    }
    return MARKER_NONE;
}

// Every marker appears whole (an empty SETTIMEOUT read half written would
// be taken as "no time-out" and lost) and replaces whatever stands at its
// name, one the dialog has not taken yet or one another user planted.
int Publish(vora_alert* alert, VUA_MarkerType type, const std::string& content)
{
    struct stat published = {};
    const VResult done = alert->markers.Publish(type, content, &published);
    if (!done) {
        return Fail(done.error, "cannot create marker " + alert->markers.GetFilePath(type) + ": " +
                                    std::strerror(done.error));
    }
    if (type != MARKER_APND) {
        alert->last = type;
        alert->lastDev = published.st_dev;
        alert->lastIno = published.st_ino;
        alert->lastUid = published.st_uid;
    }
    return 0;
}

bool IsNumber(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && errno == 0 && value >= INT_MIN && value <= INT_MAX;
}

} // namespace

namespace vora_alert_detail {

// Keeping the message may need memory; without it the errno still tells.
int Fail(int error, const std::string& message) noexcept
{
    return Fail(error, message.c_str());
}

int Fail(int error, const char* message) noexcept
{
    try {
        g_lastError = message;
    } catch (...) {
        g_lastError.clear();
    }
    return -error;
}

void Note(const std::string& line)
{
    if (g_log != nullptr) {
        g_log(line.c_str(), g_logData);
        return;
    }
    std::fprintf(stderr, "libvora-alert: %s\n", line.c_str());
}

int ResolveUser(const char* user, bool mayStart, User* resolved)
{
    *resolved = User{};
    if (user == nullptr || *user == '\0') {
        return 0;
    }
    std::string why;
    const std::optional<vora::launch::Account> account = vora::launch::Account::resolve(user, &why);
    if (!account) {
        return Fail(ENOENT, why);
    }
    if (mayStart && !account->mayStartAs(user, &why)) {
        return Fail(EPERM, why);
    }
    resolved->caller = false;
    resolved->uid = account->uid;
    resolved->gid = account->gid;
    return 0;
}

void SetUpMarkers(vora_alert* alert, const User& user)
{
    alert->markers = VUAMarkerMgr(alert->suffix);
    if (!user.caller) {
        alert->markers.SetMarkerOwner(user.uid, user.gid);
        alert->markers.SetTrustedOwner(user.uid);
    }
}

bool LastStillThere(const vora_alert* alert)
{
    struct stat info = {};
    if (alert->last == MARKER_NONE || !alert->markers.Stat(alert->last, &info)) {
        return false;
    }
    return info.st_dev == alert->lastDev && info.st_ino == alert->lastIno && info.st_uid == alert->lastUid;
}

int DropUntaken(vora_alert* alert)
{
    if (!LastStillThere(alert)) {
        return 0;
    }
    const std::string path = alert->markers.GetFilePath(alert->last);
    const VResult removed = alert->markers.Delete(alert->last);
    alert->last = MARKER_NONE;
    if (!removed) {
        const std::string why =
            "the dialog did not take " + path + ", and it cannot be removed: " + std::strerror(removed.error);
        Note(why);
        return Fail(removed.error, why);
    }
    Note("the dialog did not take " + path + "; removed it");
    return 1;
}

} // namespace vora_alert_detail

extern "C" {

const char* vora_alert_last_error(void)
{
    return g_lastError.c_str();
}

void vora_alert_set_log(void (*log)(const char*, void*), void* data)
{
    g_log = log;
    g_logData = data;
}

int vora_alert_suffix(const char* const* options, char** suffix)
{
    return Guarded([&] {
        if (options == nullptr || suffix == nullptr) {
            return Fail(EINVAL, "vora_alert_suffix: no options or no place for the suffix");
        }
        std::vector<std::string> args{"VUserAlert"};
        for (const char* const* option = options; *option != nullptr; ++option) {
            args.emplace_back(*option);
        }
        VUAConfig config;
        if ((args.size() == 2 && args[1] == kVUA_Crash) || ParseCommandLineArgs(args, &config) != 0) {
            return Fail(EINVAL, "these options start no dialog");
        }
        *suffix = Copy(sanitizeFilename(config.suffix));
        return *suffix != nullptr ? 0 : Fail(ENOMEM, "out of memory");
    });
}

int vora_alert_encode(const char* value, char** encoded)
{
    return Guarded([&] {
        if (value == nullptr || encoded == nullptr) {
            return Fail(EINVAL, "vora_alert_encode: no value or no place for the result");
        }
        *encoded = Copy(EncodeValue(value));
        return *encoded != nullptr ? 0 : Fail(ENOMEM, "out of memory");
    });
}

int vora_alert_open(const char* suffix, const char* user, vora_alert** alert)
{
    return Guarded([&] {
        if (suffix == nullptr || *suffix == '\0' || alert == nullptr) {
            return Fail(EINVAL, "vora_alert_open needs a suffix");
        }
        User resolved;
        const int found = ResolveUser(user, false, &resolved);
        if (found != 0) {
            return found;
        }
        auto opened = std::make_unique<vora_alert>();
        opened->suffix = sanitizeFilename(suffix);
        SetUpMarkers(opened.get(), resolved);
        *alert = opened.release();
        return 0;
    });
}

const char* vora_alert_get_suffix(const vora_alert* alert)
{
    return alert != nullptr ? alert->suffix.c_str() : "";
}

int vora_alert_publish(vora_alert* alert, vora_alert_command command, const char* text)
{
    return Guarded([&] {
        const VUA_MarkerType type = MarkerOf(command);
        if (alert == nullptr || type == MARKER_NONE || alert->suffix.empty()) {
            return Fail(EINVAL, "vora_alert_publish: no dialog or an unknown command");
        }
        const std::string content = text != nullptr ? text : "";
        if (command == VORA_ALERT_TIMEOUT && !IsNumber(content)) {
            return Fail(EINVAL, "a time-out is a number of seconds: " + content);
        }
        if (command == VORA_ALERT_MESSAGE) {
            alert->markers.Delete(MARKER_APND);
        }
        if (command == VORA_ALERT_APPEND) {
            const int appended = Publish(alert, MARKER_APND, std::string());
            if (appended != 0) {
                return appended;
            }
        }
        const bool carriesText = type == MARKER_MESG || type == MARKER_SETTIMEOUT;
        return Publish(alert, type, carriesText ? content : std::string());
    });
}

int vora_alert_await_taken(vora_alert* alert, long timeout_ms)
{
    return Guarded([&] {
        if (alert == nullptr || timeout_ms < 0) {
            return Fail(EINVAL, "vora_alert_await_taken: no dialog or a negative time");
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (LastStillThere(alert)) {
            if (alert->process && !alert->process->running()) {
                const std::string path = alert->markers.GetFilePath(alert->last);
                DropUntaken(alert);
                return Fail(ESRCH, "the dialog ended without taking " + path);
            }
            // The time left is checked before sleeping: under load it is
            // often none.
            const auto left = deadline - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero()) {
                return Fail(ETIMEDOUT, "the dialog did not take " + alert->markers.GetFilePath(alert->last) +
                                           " within " + std::to_string(timeout_ms) + " ms");
            }
            std::this_thread::sleep_for(
                std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(5)));
        }
        return 0;
    });
}

int vora_alert_withdraw(vora_alert* alert)
{
    return Guarded([&] {
        return alert != nullptr ? DropUntaken(alert) : Fail(EINVAL, "vora_alert_withdraw: no dialog");
    });
}

} // extern "C"
