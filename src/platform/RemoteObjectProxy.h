#pragma once

#include <QDBusError>
#include <QString>
#include <QVariantList>

#include <chrono>
#include <functional>
#include <memory>

#include "XPCConnection.h"

class QDBusMessage;

// The sending half of an XPCConnection: asynchronous method calls on the
// service's object. A call on an invalidated connection fails at once
// (through the error handler, on the event loop).
class RemoteObjectProxy final
{
public:
    using ReplyHandler = std::function<void(const QDBusMessage& reply)>;
    using ErrorHandler = std::function<void(const QDBusError& error)>;

    RemoteObjectProxy(std::weak_ptr<XPCConnection::State> connection, ErrorHandler errorHandler);

    // `reply` may be empty for calls whose answer carries nothing.
    void call(const QString& method, const QVariantList& arguments, ReplyHandler reply) const;

    static constexpr std::chrono::milliseconds kCallTimeout{10000};

private:
    void fail(const QString& error) const;

    std::weak_ptr<XPCConnection::State> m_connection;
    ErrorHandler m_errorHandler;
};
