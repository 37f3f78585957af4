// fake-user-manager RUNTIME_DIR UID stays|gone|unreachable|unit-gone|flapping
// A user's service manager for tests, with what the system manager says of
// it: on the system bus org.freedesktop.systemd1 has user@UID.service
// active with this process as MainPID; RUNTIME_DIR/systemd/private is
// served by this process (so its SO_PEERCRED is that MainPID) and takes
// StartTransientUnit, GetUnit, StopUnit and the unit's properties as
// systemd does, with the signals the agent watches. Prints "ready",
// "started UNIT", "connection N" for each client and "call StopUnit on
// connection N" (N: the latest client's).
// The command "drop" closes every client's connection, as a manager that
// re-executes itself does, and then, by the last argument, the manager
//   stays:     takes the agent back, the unit still running;
//   gone:      is gone with the unit (user@UID.service inactive, no socket);
//   unreachable: still runs, but without its socket;
//   unit-gone: takes the agent back, but the unit ended meanwhile and was
//              collected (NoSuchUnit);
//   flapping:  takes the agent back, and drops it again each time it has
//              read the unit.
#include "ConsoleInput.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServer>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

const QString kManager = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kUnitPrefix = QStringLiteral("/org/freedesktop/systemd1/unit/");
const QString kJob = QStringLiteral("/org/freedesktop/systemd1/job/1");

// As sd_bus_path_encode: every byte but [A-Za-z0-9] as _XX.
QString EncodedPath(const QString& unit)
{
    QString path = kUnitPrefix;
    for (const char byte : unit.toUtf8()) {
        const bool plain =
            (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9');
        path += plain ? QString(QLatin1Char(byte))
                      : QStringLiteral("_%1").arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0'));
    }
    return path;
}

class FakeUserManager final : public QDBusVirtualObject
{
public:
    FakeUserManager(QString socket, uint uid, QString scenario)
        : m_socket(std::move(socket)), m_userUnit(EncodedPath(QStringLiteral("user@%1.service").arg(uid))),
          m_scenario(std::move(scenario))
    {
    }

    bool listen()
    {
        m_server = std::make_unique<QDBusServer>(QStringLiteral("unix:path=") + m_socket);
        QObject::connect(m_server.get(), &QDBusServer::newConnection, [this](const QDBusConnection& client) {
            QDBusConnection(client).registerVirtualObject(QStringLiteral("/org/freedesktop/systemd1"), this,
                                                          QDBusConnection::SubPath);
            m_clients.append(client.name());
            SayLine("connection " + QByteArray::number(m_clients.size()));
        });
        return m_server->isConnected();
    }

    void drop()
    {
        for (const QString& name : m_clients) {
            QDBusConnection::disconnectFromPeer(name);
        }
        if (m_scenario == QLatin1String("gone") || m_scenario == QLatin1String("unreachable")) {
            m_server.reset();
            QFile::remove(m_socket);
        }
        m_active = m_scenario != QLatin1String("gone");
        m_unitGone = m_scenario == QLatin1String("unit-gone");
        m_flapping = m_scenario == QLatin1String("flapping");
    }

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString method = message.interface() + '.' + message.member();
        if (method == kManager + QLatin1String(".GetUnit")) {
            return getUnit(message, connection);
        }
        if (method == kProperties + QLatin1String(".Get")) {
            const QString name = message.arguments().value(1).toString();
            const bool sent = connection.send(
                message.createReply(QVariant::fromValue(QDBusVariant(property(message.path(), name)))));
            if (m_flapping && name == QLatin1String("ExecMainStatus")) {
                const QString client = connection.name();
                QTimer::singleShot(0, [client] { QDBusConnection::disconnectFromPeer(client); });
            }
            return sent;
        }
        if (method == kManager + QLatin1String(".StartTransientUnit")) {
            m_unit = message.arguments().value(0).toString();
            connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(kJob))));
            SayLine("started " + m_unit.toUtf8());
            connection.send(QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/systemd1"), kManager,
                                                       QStringLiteral("JobRemoved"))
                            << 1u << QVariant::fromValue(QDBusObjectPath(kJob)) << m_unit
                            << QStringLiteral("done"));
            return changed(connection, {{QStringLiteral("ActiveState"), QStringLiteral("active")}});
        }
        if (method == kManager + QLatin1String(".StopUnit")) {
            SayLine("call StopUnit on connection " + QByteArray::number(m_clients.size()));
            connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(kJob))));
            // Ended by SIGTERM: killed (2) by signal 15.
            return changed(connection, {{QStringLiteral("ExecMainCode"), 2},
                                        {QStringLiteral("ExecMainStatus"), 15},
                                        {QStringLiteral("Result"), QStringLiteral("success")},
                                        {QStringLiteral("ActiveState"), QStringLiteral("inactive")}});
        }
        return false;
    }

private:
    bool getUnit(const QDBusMessage& message, const QDBusConnection& connection)
    {
        const QString unit = message.arguments().value(0).toString();
        if (unit == m_unit && m_unitGone) {
            return connection.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.systemd1.NoSuchUnit"),
                                         QStringLiteral("Unit ") + unit + " not loaded."));
        }
        return connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(EncodedPath(unit)))));
    }

    QVariant property(const QString& path, const QString& name) const
    {
        if (path == m_userUnit) {
            return name == QLatin1String("MainPID") ? QVariant(static_cast<uint>(::getpid()))
                                                    : QVariant(m_active ? "active" : "inactive");
        }
        if (name == QLatin1String("MainPID")) {
            return QVariant(0u);
        }
        if (name == QLatin1String("ExecMainCode") || name == QLatin1String("ExecMainStatus")) {
            return QVariant(0);
        }
        return QVariant(name == QLatin1String("ActiveState") ? "active" : "success");
    }

    bool changed(const QDBusConnection& connection, const QVariantMap& properties)
    {
        return connection.send(
            QDBusMessage::createSignal(EncodedPath(m_unit), kProperties, QStringLiteral("PropertiesChanged"))
            << QStringLiteral("org.freedesktop.systemd1.Unit") << properties << QStringList());
    }

    QString m_socket;
    QString m_userUnit;
    QString m_scenario;
    QString m_unit;
    bool m_active = true;
    bool m_unitGone = false;
    bool m_flapping = false;
    QStringList m_clients;
    std::unique_ptr<QDBusServer> m_server;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4 || !QDir(arguments.at(1)).mkpath(QStringLiteral("systemd"))) {
        std::fprintf(stderr,
                     "usage: fake-user-manager RUNTIME_DIR UID stays|gone|unreachable|unit-gone|flapping\n");
        return 2;
    }
    FakeUserManager manager(arguments.at(1) + QStringLiteral("/systemd/private"), arguments.at(2).toUInt(),
                            arguments.at(3));
    QDBusConnection system = QDBusConnection::systemBus();
    if (!manager.listen() ||
        !system.registerVirtualObject(QStringLiteral("/org/freedesktop/systemd1"), &manager,
                                      QDBusConnection::SubPath) ||
        !system.registerService(QStringLiteral("org.freedesktop.systemd1"))) {
        std::fprintf(stderr, "fake-user-manager: cannot serve %s or own org.freedesktop.systemd1\n",
                     qUtf8Printable(arguments.at(1)));
        return 1;
    }
    ConsoleInput console([&manager](const QByteArray& verb, const QByteArray&) {
        if (verb != "drop") {
            return false;
        }
        manager.drop();
        return true;
    });
    SayLine("ready");
    return QCoreApplication::exec();
}
