#include "SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>

SingleInstance::SingleInstance(QString name) : m_name(std::move(name))
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qWarning("Cannot tell whether %s already runs: no session bus (%s)", qUtf8Printable(m_name),
                 qUtf8Printable(bus.lastError().message()));
        return;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        m_name, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        qWarning("Cannot claim %s on the session bus: %s", qUtf8Printable(m_name),
                 qUtf8Printable(reply.error().message()));
        return;
    }
    if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_state = State::Claimed;
        return;
    }
    m_state = State::AlreadyRunning;
    m_runningOwner = bus.interface()->serviceOwner(m_name).value();
}

SingleInstance::~SingleInstance()
{
    if (m_state == State::Claimed) {
        QDBusConnection::sessionBus().interface()->unregisterService(m_name);
    }
}
