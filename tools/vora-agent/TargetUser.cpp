#include "TargetUser.h"

#include <QStringList>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

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
    user.m_gid = kOverflowGid;
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
