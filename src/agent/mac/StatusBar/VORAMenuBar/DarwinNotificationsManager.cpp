#include "DarwinNotificationsManager.h"

#include "NotifyCenter.h"

#include <QtGlobal>

#include <mutex>

DarwinNotificationsManager* DarwinNotificationsManager::sharedInstance()
{
    // Lives until the process ends, with its registrations.
    static std::once_flag once;
    static DarwinNotificationsManager* instance = nullptr;
    std::call_once(once, [] { instance = new DarwinNotificationsManager(); });
    return instance;
}

DarwinNotificationsManager::DarwinNotificationsManager() = default;

DarwinNotificationsManager::~DarwinNotificationsManager()
{
    NotifyCenter::darwinNotifyCenter()->removeEveryObserver(this);
}

void DarwinNotificationsManager::registerForNotificationName(const QString& name, Callback callback)
{
    m_handlers[name] = std::move(callback);
    NotifyCenter::darwinNotifyCenter()->addObserver(this, &defaultNotificationCallback, name, nullptr,
                                                    NotifyCenter::DeliverImmediately);
}

void DarwinNotificationsManager::postNotificationWithName(const QString& name)
{
    NotifyCenter::darwinNotifyCenter()->postNotification(name, nullptr, nullptr, true);
}

void DarwinNotificationsManager::notificationCallbackReceivedWithName(const QString& name)
{
    const auto found = m_handlers.find(name);
    if (found == m_handlers.end() || !found->second) {
        return;
    }
    // Copied: the block may register another one under its own name.
    const Callback callback = found->second;
    callback();
}

void defaultNotificationCallback(NotifyCenter* /*center*/, void* /*observer*/, const QString& name,
                                 const void* /*object*/, const QVariant* /*userInfo*/)
{
    qInfo("Notification Callback: %s", qUtf8Printable(name));
    DarwinNotificationsManager::sharedInstance()->notificationCallbackReceivedWithName(name);
}
