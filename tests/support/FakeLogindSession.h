#pragma once

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>

// A session's User property, (uo).
struct LoginUserRef
{
    uint uid = 0;
    QDBusObjectPath path;
};
Q_DECLARE_METATYPE(LoginUserRef)

QDBusArgument& operator<<(QDBusArgument& argument, const LoginUserRef& user);
const QDBusArgument& operator>>(const QDBusArgument& argument, LoginUserRef& user);

// One session of the fake logind: org.freedesktop.login1.Session with the
// properties a launcher reads.
class FakeLogindSession final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Name READ name)
    Q_PROPERTY(LoginUserRef User READ user)
    Q_PROPERTY(bool Active READ active)
    Q_PROPERTY(bool Remote READ remote)
    Q_PROPERTY(QString Type READ type)
    Q_PROPERTY(QString Display READ display)

public:
    struct Description
    {
        QString id;
        uint uid = 0;
        QString name;
        QString type;
        QString display;
        bool active = false;
        bool remote = false;
    };

    explicit FakeLogindSession(Description description);

    // "id=c7,uid=4242,name=alice,type=x11,display=:77,active=yes,remote=no";
    // false for a malformed one.
    static bool parse(const QString& text, Description* description);

    QString id() const { return m_description.id; }
    QString name() const { return m_description.name; }
    uint uid() const { return m_description.uid; }
    LoginUserRef user() const;
    bool active() const { return m_description.active; }
    bool remote() const { return m_description.remote; }
    QString type() const { return m_description.type; }
    QString display() const { return m_description.display; }
    QString path() const;

    static QString userPath(uint uid);

private:
    Description m_description;
};
