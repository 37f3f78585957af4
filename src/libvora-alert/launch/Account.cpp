#include "Account.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vora::launch {

namespace {

// getpwnam_r/getpwuid_r with a buffer that grows until the entry fits.
template <typename Lookup>
bool FindAccount(Lookup lookup, passwd* entry, std::vector<char>* buffer)
{
    buffer->resize(1024);
    for (;;) {
        passwd* found = nullptr;
        const int failure = lookup(entry, buffer->data(), buffer->size(), &found);
        if (failure == ERANGE && buffer->size() < (1u << 20)) {
            buffer->resize(buffer->size() * 2);
            continue;
        }
        return failure == 0 && found != nullptr;
    }
}

std::vector<gid_t> GroupsOf(const char* name, gid_t gid)
{
    std::vector<gid_t> groups(32);
    int count = static_cast<int>(groups.size());
    while (getgrouplist(name, gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<size_t>(count) + 32);
        count = static_cast<int>(groups.size());
    }
    groups.resize(static_cast<size_t>(count));
    return groups;
}

// "4242" -> 4242; "42a", "", "-1", "99999999999" -> nullopt
std::optional<uid_t> Number(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || value > UINT_MAX) {
        return std::nullopt;
    }
    return static_cast<uid_t>(value);
}

} // namespace

std::optional<Account> Account::resolve(const std::string& nameOrUid, std::string* error)
{
    const std::optional<uid_t> number = Number(nameOrUid);
    passwd entry = {};
    std::vector<char> buffer;
    const bool found =
        number ? FindAccount([&](passwd* e, char* b, size_t n,
                                 passwd** r) { return getpwuid_r(*number, e, b, n, r); },
                             &entry, &buffer)
               : FindAccount([&](passwd* e, char* b, size_t n,
                                 passwd** r) { return getpwnam_r(nameOrUid.c_str(), e, b, n, r); },
                             &entry, &buffer);
    Account account;
    if (found) {
        account.uid = entry.pw_uid;
        account.gid = entry.pw_gid;
        account.hasAccount = true;
        account.name = entry.pw_name;
        account.home = entry.pw_dir;
        account.groups = GroupsOf(entry.pw_name, entry.pw_gid);
        return account;
    }
    if (!number || *number == static_cast<uid_t>(-1)) {
        *error = "no such user: " + nameOrUid;
        return std::nullopt;
    }
    account.uid = *number;
    account.gid = kOverflowGid;
    account.name = std::to_string(*number);
    account.home = "/";
    return account;
}

bool Account::mayStartAs(const std::string& given, std::string* error) const
{
    const uid_t self = ::geteuid();
    if (self == 0 || uid == self) {
        return true;
    }
    *error = "--user " + given + ": only root may start a dialog as another user (this runs as uid " +
             std::to_string(self) + ")";
    return false;
}

std::string Account::describe() const
{
    std::string groupList;
    for (const gid_t group : groups) {
        groupList += (groupList.empty() ? "" : ",") + std::to_string(group);
    }
    return "uid " + std::to_string(uid) + " (" + (hasAccount ? name : std::string("no account")) + "), gid " +
           std::to_string(gid) + ", groups: " + (groupList.empty() ? std::string("none") : groupList);
}

} // namespace vora::launch
