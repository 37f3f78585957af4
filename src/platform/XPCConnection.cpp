#include "XPCConnection.h"

#include "RemoteObjectProxy.h"
#include "XPCConnectionState.h"

#include <QCoreApplication>
#include <QDBusServiceWatcher>
#include <QMetaObject>

XPCConnection::XPCConnection(Endpoint endpoint, int /*options*/) : m_state(std::make_shared<State>())
{
    m_state->endpoint = std::move(endpoint);
}

XPCConnection::~XPCConnection()
{
    m_state->onInvalidation = nullptr;
    m_state->onInterruption = nullptr;
    m_state->invalidate();
}

void XPCConnection::resume()
{
    State& state = *m_state;
    if (state.resumed || !state.valid) {
        return;
    }
    state.resumed = true;
    state.bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, state.busName);
    if (!state.bus.isConnected()) {
        // Reported once the caller has installed its handlers.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak = std::weak_ptr<State>(m_state)] {
                if (auto alive = weak.lock()) {
                    alive->invalidate();
                }
            },
            Qt::QueuedConnection);
        return;
    }
    state.watcher = std::make_unique<QDBusServiceWatcher>(state.endpoint.service, state.bus,
                                                          QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(state.watcher.get(), &QDBusServiceWatcher::serviceUnregistered, state.watcher.get(),
                     [weak = std::weak_ptr<State>(m_state)] {
                         auto alive = weak.lock();
                         if (alive && alive->valid) {
                             PostHandler(alive->onInterruption);
                         }
                     });
}

void XPCConnection::invalidate()
{
    m_state->invalidate();
}

void XPCConnection::setInterruptionHandler(std::function<void()> handler)
{
    m_state->onInterruption = std::move(handler);
}

void XPCConnection::setInvalidationHandler(std::function<void()> handler)
{
    m_state->onInvalidation = std::move(handler);
}

std::shared_ptr<RemoteObjectProxy>
XPCConnection::remoteObjectProxyWithErrorHandler(std::function<void(const QDBusError& error)> errorHandler)
{
    return std::make_shared<RemoteObjectProxy>(m_state, std::move(errorHandler));
}

bool XPCConnection::isValid() const
{
    return m_state->valid;
}

// "<XPCConnection com.orvel.vora.AgentHelperService on vora-xpc-3, valid>"
QString XPCConnection::description() const
{
    return QStringLiteral("<XPCConnection %1 on %2, %3>")
        .arg(m_state->endpoint.service, m_state->busName,
             m_state->valid ? QStringLiteral("valid") : QStringLiteral("invalidated"));
}
