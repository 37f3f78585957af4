#pragma once

#include <QString>

#include <map>
#include <memory>
#include <set>

class NotifyCenterReceiver;
class QVariant;

// Stand-in for the system-wide notify centre: name-only notifications
// without payload, seen by every process. A posting is the broadcast signal
// Posted(s name) of the interface com.orvel.vora.Notify on the path
// /com/orvel/vora/Notify on the system bus; observers subscribe per name
// with an arg0 match rule, so only names someone observes are delivered.
// A process receives its own postings; of everyone else's, only those
// sent by the current owner of the agent helper's name are delivered
// (anyone on the bus can send the signal; see NotifyCenterReceiver).
class NotifyCenter final
{
public:
    using Callback = void (*)(NotifyCenter* center, void* observer, const QString& name, const void* object,
                              const QVariant* userInfo);

    enum SuspensionBehavior
    {
        DeliverImmediately = 4,
    };

    // The process's centre on the system bus, created on first use.
    static NotifyCenter* darwinNotifyCenter();

    void addObserver(void* observer, Callback callback, const QString& name, const void* object,
                     int suspensionBehavior);
    void postNotification(const QString& name, const void* object, const QVariant* userInfo,
                          bool deliverImmediately);
    void removeEveryObserver(void* observer);

    ~NotifyCenter();
    NotifyCenter(const NotifyCenter&) = delete;
    NotifyCenter& operator=(const NotifyCenter&) = delete;

    // Called by the bus receiver for every trusted posting of an observed name.
    void deliver(const QString& name);

private:
    NotifyCenter();

    std::map<QString, std::map<void*, Callback>> m_observers;
    std::set<QString> m_subscribed;
    std::unique_ptr<NotifyCenterReceiver> m_receiver;
};
