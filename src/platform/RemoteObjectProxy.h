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

    static constexpr std::chrono::milliseconds kCallTimeout{10000};

    // `reply` may be empty for calls whose answer carries nothing; no
    // answer within `timeout` is a failure.
    void call(const QString& method, const QVariantList& arguments, ReplyHandler reply,
              std::chrono::milliseconds timeout = kCallTimeout) const;

private:
    void fail(const QString& error) const;

    std::weak_ptr<XPCConnection::State> m_connection;
    ErrorHandler m_errorHandler;
};
