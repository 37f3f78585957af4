// vora-print-identity: what a launched process is, one item a line, for
// tests of launchers that switch users:
//   uid=REAL,EFFECTIVE,SAVED
//   gid=REAL,EFFECTIVE,SAVED
//   groups=G1,G2,...      (supplementary groups, empty when none)
//   cwd=PATH
//   session-keyring=SERIAL (the session keyring it possesses)
//   env NAME=VALUE | env NAME unset   (for the variables a session needs)
#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <linux/keyctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const kVariables[] = {"HOME",
                                  "USER",
                                  "LOGNAME",
                                  "DISPLAY",
                                  "WAYLAND_DISPLAY",
                                  "XDG_RUNTIME_DIR",
                                  "DBUS_SESSION_BUS_ADDRESS",
                                  "XAUTHORITY",
                                  "VORA_AGENT_ROOT"};

} // namespace

int main()
{
    uid_t ruid = 0;
    uid_t euid = 0;
    uid_t suid = 0;
    gid_t rgid = 0;
    gid_t egid = 0;
    gid_t sgid = 0;
    if (getresuid(&ruid, &euid, &suid) != 0 || getresgid(&rgid, &egid, &sgid) != 0) {
        std::perror("vora-print-identity");
        return 1;
    }
    std::printf("uid=%u,%u,%u\ngid=%u,%u,%u\ngroups=", ruid, euid, suid, rgid, egid, sgid);
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<size_t>(count > 0 ? count : 0));
    if (count > 0 && getgroups(count, groups.data()) == count) {
        for (size_t i = 0; i < groups.size(); ++i) {
            std::printf("%s%u", i == 0 ? "" : ",", groups[i]);
        }
    }
    char cwd[4096];
    std::printf("\ncwd=%s\n", getcwd(cwd, sizeof cwd) != nullptr ? cwd : "?");
    std::printf("session-keyring=%ld\n",
                syscall(SYS_keyctl, KEYCTL_GET_KEYRING_ID, KEY_SPEC_SESSION_KEYRING, 0));
    for (const char* name : kVariables) {
        const char* value = std::getenv(name);
        if (value != nullptr) {
            std::printf("env %s=%s\n", name, value);
        } else {
            std::printf("env %s unset\n", name);
        }
    }
    return 0;
}
