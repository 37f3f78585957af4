#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace vora::launch {

// The account a dialog runs as when the agent, as root, starts it for a
// user: looked up by name or by number. A number without an account runs
// with the overflow group and no supplementary groups: its own number as
// gid could be an existing group with rights of its own.
//   "alice" -> uid 1000, gid 1000, groups of alice (getgrouplist)
//   "4242"  -> uid 4242, gid 65534, groups cleared (no passwd entry)
struct Account
{
    uid_t uid = 0;
    gid_t gid = 0;
    bool hasAccount = false;
    std::string name; // the account's name, or the number without an account
    std::string home; // the account's home, or "/" without an account
    std::vector<gid_t> groups;

    // nullopt with the reason in `error` for an unknown name.
    static std::optional<Account> resolve(const std::string& nameOrUid, std::string* error);
    // Whether this process may start a program as this account: only root
    // may start one as another user. `given` is the name or number asked for.
    bool mayStartAs(const std::string& given, std::string* error) const;
    // "uid 4242 (no account), gid 65534, groups: none"
    std::string describe() const;

    // The group of a uid without an account ("nogroup").
    static constexpr gid_t kOverflowGid = 65534;
};

} // namespace vora::launch
