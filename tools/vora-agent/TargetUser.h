#pragma once

#include <QString>

#include <sys/types.h>

#include <functional>
#include <optional>
#include <vector>

// The account a dialog runs as when the agent, as root, starts it for a
// user: looked up by name or by number. A number without an account is
// taken as it is, with no supplementary groups and its own number as gid:
//   "alice" -> uid 1000, gid 1000, groups of alice (getgrouplist)
//   "4242"  -> uid 4242, gid 4242, groups cleared (no passwd entry)
class TargetUser final
{
public:
    // nullopt with the reason in `error` for an unknown name.
    static std::optional<TargetUser> resolve(const QString& nameOrUid, QString* error);

    uid_t uid() const { return m_uid; }
    gid_t gid() const { return m_gid; }
    bool hasAccount() const { return m_hasAccount; }
    // The account's name, or the number without an account.
    const QString& name() const { return m_name; }
    // The account's home, or "/" without an account.
    const QString& home() const { return m_home; }
    const std::vector<gid_t>& groups() const { return m_groups; }
    // "uid 4242 (no account), gid 4242, groups: none"
    QString describe() const;

    // Runs in the child between fork and exec: setgroups, setgid, setuid,
    // and a check that root cannot be regained. Only system calls there;
    // on failure it writes why to standard error and ends with status 127.
    std::function<void()> switcher() const;

private:
    TargetUser() = default;

    uid_t m_uid = 0;
    gid_t m_gid = 0;
    bool m_hasAccount = false;
    QString m_name;
    QString m_home;
    std::vector<gid_t> m_groups;
};
