#pragma once

#include "XPCConnection.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>

#include <functional>
#include <memory>

// Runs a handler on the event loop, as the platform runs its handlers on
// its own queue; an empty handler does nothing.
void PostHandler(const std::function<void()>& handler);

// What an XPCConnection shares with its proxies: the bus connection and
// whether it may still be used.
struct XPCConnection::State
{
    State();
    // Once only: ends the bus connection and posts the invalidation handler.
    void invalidate();

    Endpoint endpoint;
    QString busName;
    QDBusConnection bus{QString()};
    bool resumed = false;
    bool valid = true;
    std::function<void()> onInterruption;
    std::function<void()> onInvalidation;
    std::unique_ptr<QDBusServiceWatcher> watcher;
};
