#pragma once

#include "vora/alert.h"

#include "DialogLaunch.h"
#include "VUAMarkerMgr.h"

#include <sys/types.h>

#include <cerrno>
#include <memory>
#include <new>
#include <string>

// What a vora_alert handle holds: the dialog's markers (named by its
// suffix, handed to and believed from its user), the marker published last
// (to tell when it was taken) and, for a started dialog, its process.
struct vora_alert
{
    std::string suffix;
    VUAMarkerMgr markers;
    std::unique_ptr<vora::launch::DialogLaunch> process;
    std::string description; // vora_alert_describe's, kept for the caller
    long waitLimitSeconds = 0;
    VUA_MarkerType last = MARKER_NONE;
    // The file published for `last`: the owner too, as a file made after
    // ours was removed may get its inode number.
    dev_t lastDev = 0;
    ino_t lastIno = 0;
    uid_t lastUid = 0;
};

namespace vora_alert_detail {

// Stores `message` as this thread's last error and returns -error.
int Fail(int error, const std::string& message) noexcept;
// The same for a fixed text, which builds no string to pass: safe to call
// where memory has run out.
int Fail(int error, const char* message) noexcept;
// A line for the caller's log (vora_alert_set_log).
void Note(const std::string& line);

// The user a channel is for: "alice" or "1001"; empty: the caller. With
// `mayStart`, also refused when this process may not start a program as
// that user (only root starts another user's dialog).
struct User
{
    bool caller = true;
    uid_t uid = 0;
    gid_t gid = 0;
};
int ResolveUser(const char* user, bool mayStart, User* resolved);
// Markers of `suffix` handed to and believed from `user`.
void SetUpMarkers(vora_alert* alert, const User& user);

// Whether the marker published last still stands at its name: the same
// file, not one another user made there after the dialog took ours.
bool LastStillThere(const vora_alert* alert);
// Removes it, with a note, when it is: left there, the next dialog of the
// suffix would obey it at its first poll. 1 when removed, 0 when it was
// not there, -errno when it cannot be removed.
int DropUntaken(vora_alert* alert);

// Runs `body`, turning what it throws (only std::bad_alloc can) into
// -ENOMEM: nothing crosses the C interface.
template <typename Body>
int Guarded(Body body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Fail(ENOMEM, "out of memory");
    } catch (...) {
        return Fail(EIO, "unexpected failure");
    }
}

} // namespace vora_alert_detail
