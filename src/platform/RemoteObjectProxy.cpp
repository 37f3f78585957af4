#include "RemoteObjectProxy.h"

#include "XPCConnectionState.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

RemoteObjectProxy::RemoteObjectProxy(std::weak_ptr<XPCConnection::State> connection,
                                     ErrorHandler errorHandler)
    : m_connection(std::move(connection)), m_errorHandler(std::move(errorHandler))
{
}

void RemoteObjectProxy::fail(const QString& error) const
{
    if (m_errorHandler) {
        PostHandler(
            [handler = m_errorHandler, error] { handler(QDBusError(QDBusError::Disconnected, error)); });
    }
}

void RemoteObjectProxy::call(const QString& method, const QVariantList& arguments, ReplyHandler reply,
                             std::chrono::milliseconds timeout) const
{
    const std::shared_ptr<XPCConnection::State> state = m_connection.lock();
    if (!state || !state->valid || !state->resumed) {
        fail(QStringLiteral("connection invalid"));
        return;
    }
    if (!state->bus.isConnected()) {
        state->invalidate();
        fail(QStringLiteral("bus connection lost"));
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(state->endpoint.service, state->endpoint.path,
                                                          state->endpoint.interface, method);
    message.setArguments(arguments);
    const QDBusPendingCall pending = state->bus.asyncCall(message, static_cast<int>(timeout.count()));
    auto* watcher = new QDBusPendingCallWatcher(pending, QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, errorHandler = m_errorHandler, reply = std::move(reply)] {
                         watcher->deleteLater();
                         if (watcher->isError()) {
                             if (errorHandler) {
                                 errorHandler(watcher->error());
                             }
                             return;
                         }
                         if (reply) {
                             reply(watcher->reply());
                         }
                     });
}
