#include "XPCConnectionState.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>

namespace {

// Every connection gets a bus connection of its own: a disconnected one is
// never handed out again under the same name.
QString NextBusConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("vora-xpc-%1").arg(++counter);
}

} // namespace

void PostHandler(const std::function<void()>& handler)
{
    if (!handler || QCoreApplication::instance() == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), handler, Qt::QueuedConnection);
}

XPCConnection::State::State() : busName(NextBusConnectionName()) {}

void XPCConnection::State::invalidate()
{
    if (!valid) {
        return;
    }
    valid = false;
    watcher.reset();
    if (resumed) {
        QDBusConnection::disconnectFromBus(busName);
    }
    PostHandler(onInvalidation);
}
