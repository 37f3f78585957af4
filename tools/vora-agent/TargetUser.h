#pragma once

#include <QString>

#include <sys/types.h>

#include <optional>
#include <vector>

// The account a dialog runs as when the agent, as root, starts it for a
// user: looked up by name or by number. A number without an account runs
// with the overflow group and no supplementary groups: its own number as
// gid could be an existing group with rights of its own.
//   "alice" -> uid 1000, gid 1000, groups of alice (getgrouplist)
//   "4242"  -> uid 4242, gid 65534, groups cleared (no passwd entry)
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
    // "uid 4242 (no account), gid 65534, groups: none"
    QString describe() const;

    // The group of a uid without an account ("nogroup").
    static constexpr gid_t kOverflowGid = 65534;

private:
    TargetUser() = default;

    uid_t m_uid = 0;
    gid_t m_gid = 0;
    bool m_hasAccount = false;
    QString m_name;
    QString m_home;
    std::vector<gid_t> m_groups;
};
