#include "TargetUser.h"

#include <QStringList>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <array>
#include <string>

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

[[noreturn]] void Die(const std::string& message)
{
    const ssize_t written = ::write(STDERR_FILENO, message.data(), message.size());
    (void)written;
    ::_exit(127);
}

} // namespace

std::optional<TargetUser> TargetUser::resolve(const QString& nameOrUid, QString* error)
{
    bool numeric = false;
    const uint number = nameOrUid.toUInt(&numeric);
    passwd entry = {};
    std::vector<char> buffer;
    const QByteArray name = nameOrUid.toLocal8Bit();
    const bool found = numeric
                           ? FindAccount([&](passwd* e, char* b, size_t n,
                                             passwd** r) { return getpwuid_r(number, e, b, n, r); },
                                         &entry, &buffer)
                           : FindAccount([&](passwd* e, char* b, size_t n,
                                             passwd** r) { return getpwnam_r(name.constData(), e, b, n, r); },
                                         &entry, &buffer);
    TargetUser user;
    if (found) {
        user.m_uid = entry.pw_uid;
        user.m_gid = entry.pw_gid;
        user.m_hasAccount = true;
        user.m_name = QString::fromLocal8Bit(entry.pw_name);
        user.m_home = QString::fromLocal8Bit(entry.pw_dir);
        user.m_groups = GroupsOf(entry.pw_name, entry.pw_gid);
        return user;
    }
    if (!numeric || number == static_cast<uint>(-1)) {
        *error = QStringLiteral("no such user: ") + nameOrUid;
        return std::nullopt;
    }
    user.m_uid = number;
    user.m_gid = number;
    user.m_name = QString::number(number);
    user.m_home = QStringLiteral("/");
    return user;
}

QString TargetUser::describe() const
{
    QStringList groups;
    for (const gid_t group : m_groups) {
        groups.append(QString::number(group));
    }
    return QStringLiteral("uid %1 (%2), gid %3, groups: %4")
        .arg(QString::number(m_uid), m_hasAccount ? m_name : QStringLiteral("no account"),
             QString::number(m_gid),
             groups.isEmpty() ? QStringLiteral("none") : groups.join(QLatin1Char(',')));
}

std::function<void()> TargetUser::switcher() const
{
    // Everything the child needs is made here, in the parent: after fork
    // only async-signal-safe calls are allowed.
    const std::string prefix = "vora-agent: cannot switch the dialog to " + describe().toStdString() + ": ";
    const std::array<std::string, 4> failures = {prefix + "setgroups failed\n", prefix + "setgid failed\n",
                                                 prefix + "setuid failed\n",
                                                 prefix + "root could be regained\n"};
    return [uid = m_uid, gid = m_gid, groups = m_groups, failures] {
        if (::setgroups(groups.size(), groups.data()) != 0) {
            Die(failures[0]);
        }
        if (::setgid(gid) != 0) {
            Die(failures[1]);
        }
        if (::setuid(uid) != 0) {
            Die(failures[2]);
        }
        if (uid != 0 && ::setuid(0) == 0) {
            Die(failures[3]);
        }
    };
}
