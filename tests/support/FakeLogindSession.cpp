#include "FakeLogindSession.h"

#include <QStringList>

QDBusArgument& operator<<(QDBusArgument& argument, const LoginUserRef& user)
{
    argument.beginStructure();
    argument << user.uid << user.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, LoginUserRef& user)
{
    argument.beginStructure();
    argument >> user.uid >> user.path;
    argument.endStructure();
    return argument;
}

FakeLogindSession::FakeLogindSession(Description description) : m_description(std::move(description)) {}

bool FakeLogindSession::parse(const QString& text, Description* description)
{
    bool uidValid = false;
    for (const QString& field : text.split(QLatin1Char(','))) {
        const qsizetype equals = field.indexOf(QLatin1Char('='));
        const QString key = field.left(equals);
        const QString value = field.mid(equals + 1);
        if (key == QLatin1String("id")) {
            description->id = value;
        } else if (key == QLatin1String("uid")) {
            description->uid = value.toUInt(&uidValid);
        } else if (key == QLatin1String("name")) {
            description->name = value;
        } else if (key == QLatin1String("type")) {
            description->type = value;
        } else if (key == QLatin1String("display")) {
            description->display = value;
        } else if (key == QLatin1String("active")) {
            description->active = value == QLatin1String("yes");
        } else if (key == QLatin1String("remote")) {
            description->remote = value == QLatin1String("yes");
        } else {
            return false;
        }
    }
    return uidValid && !description->id.isEmpty();
}

LoginUserRef FakeLogindSession::user() const
{
    return {m_description.uid, QDBusObjectPath(userPath(m_description.uid))};
}

QString FakeLogindSession::path() const
{
    return QStringLiteral("/org/freedesktop/login1/session/_") + m_description.id;
}

QString FakeLogindSession::userPath(uint uid)
{
    return QStringLiteral("/org/freedesktop/login1/user/_%1").arg(uid);
}
