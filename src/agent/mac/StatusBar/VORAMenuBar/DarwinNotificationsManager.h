#pragma once

#include <QString>

#include <functional>
#include <map>

class NotifyCenter;
class QVariant;

// Observes and posts system-wide, name-only notifications. One instance
// per process; the notify centre calls defaultNotificationCallback, which
// hands the name to that instance.
class DarwinNotificationsManager final
{
public:
    using Callback = std::function<void()>;

    static DarwinNotificationsManager* sharedInstance();

    // Replaces any earlier block for the name.
    void registerForNotificationName(const QString& name, Callback callback);
    void postNotificationWithName(const QString& name);
    void notificationCallbackReceivedWithName(const QString& name);

    ~DarwinNotificationsManager();
    DarwinNotificationsManager(const DarwinNotificationsManager&) = delete;
    DarwinNotificationsManager& operator=(const DarwinNotificationsManager&) = delete;

private:
    DarwinNotificationsManager();

    std::map<QString, Callback> m_handlers;
};

void defaultNotificationCallback(NotifyCenter* center, void* observer, const QString& name,
                                 const void* object, const QVariant* userInfo);
