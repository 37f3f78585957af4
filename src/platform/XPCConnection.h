#pragma once

#include <QDBusConnection>
#include <QDBusError>
#include <QString>

#include <functional>
#include <memory>

class QDBusServiceWatcher;
class RemoteObjectProxy;

// Stand-in for a connection to a privileged local service: a connection
// of its own to the D-Bus system bus, aimed at one well-known name.
//
//   interruption  the service's name loses its owner while the connection
//                 is up (the service exited or crashed)
//   invalidation  the bus connection is lost, or invalidate() was called;
//                 the connection is unusable from then on and a new one
//                 must be made (a fresh named bus connection, never the
//                 disconnected one)
//
// Handlers run on the event loop, like the platform's private queue; they
// take effect only once installed, after resume().
class XPCConnection final
{
public:
    enum Options
    {
        Privileged = 4096, // the system's (root) domain: the system bus
    };

    struct Endpoint
    {
        QString service;
        QString path;
        QString interface;
    };

    XPCConnection(Endpoint endpoint, int options);
    ~XPCConnection();
    XPCConnection(const XPCConnection&) = delete;
    XPCConnection& operator=(const XPCConnection&) = delete;

    void resume();
    void invalidate();
    void setInterruptionHandler(std::function<void()> handler);
    void setInvalidationHandler(std::function<void()> handler);

    // Messages through the proxy are asynchronous; every failure (the
    // connection invalidated, the service absent, an error reply, no reply
    // within the time-out) reaches `errorHandler`. An error reply keeps the
    // service's error name ("org.freedesktop.DBus.Error.AccessDenied" for
    // a refused call); failures on this side are Disconnected.
    std::shared_ptr<RemoteObjectProxy>
    remoteObjectProxyWithErrorHandler(std::function<void(const QDBusError& error)> errorHandler);

    bool isValid() const;
    QString description() const;

    // Shared with the proxies, which outlive neither their usefulness nor
    // the connection's validity check.
    struct State;

private:
    std::shared_ptr<State> m_state;
};
