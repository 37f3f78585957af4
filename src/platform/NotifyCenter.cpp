#include "NotifyCenter.h"

#include "NotifyCenterReceiver.h"
#include "VoraDBusNames.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <mutex>

NotifyCenter* NotifyCenter::darwinNotifyCenter()
{
    static std::once_flag once;
    static NotifyCenter* center = nullptr;
    std::call_once(once, [] { center = new NotifyCenter(); });
    return center;
}

NotifyCenter::NotifyCenter()
    : m_receiver(std::make_unique<NotifyCenterReceiver>(*this, QDBusConnection::systemBus(),
                                                        QString::fromLatin1(kNotifyTrustedSender)))
{
}

NotifyCenter::~NotifyCenter() = default;

void NotifyCenter::addObserver(void* observer, Callback callback, const QString& name, const void* /*object*/,
                               int /*suspensionBehavior*/)
{
    m_observers[name][observer] = callback;
    if (m_subscribed.count(name) != 0) {
        return;
    }
    m_receiver->watchTrustedName();
    // One match rule per name: "type='signal',interface=...,member='Posted',arg0='<name>'".
    const bool subscribed = QDBusConnection::systemBus().connect(
        QString(), QString::fromLatin1(kNotifyPath), QString::fromLatin1(kNotifyInterface),
        QString::fromLatin1(kNotifySignal), QStringList{name}, QStringLiteral("s"), m_receiver.get(),
        SLOT(posted(QString, QDBusMessage)));
    if (!subscribed) {
        qWarning("Cannot observe notification %s: %s", qUtf8Printable(name),
                 qUtf8Printable(QDBusConnection::systemBus().lastError().message()));
        return;
    }
    m_subscribed.insert(name);
}

void NotifyCenter::postNotification(const QString& name, const void* /*object*/, const QVariant* /*userInfo*/,
                                    bool /*deliverImmediately*/)
{
    QDBusMessage signal =
        QDBusMessage::createSignal(QString::fromLatin1(kNotifyPath), QString::fromLatin1(kNotifyInterface),
                                   QString::fromLatin1(kNotifySignal));
    signal << name;
    QDBusConnection::systemBus().send(signal);
}

void NotifyCenter::removeEveryObserver(void* observer)
{
    for (auto& entry : m_observers) {
        entry.second.erase(observer);
    }
}

void NotifyCenter::deliver(const QString& name)
{
    const auto found = m_observers.find(name);
    if (found == m_observers.end()) {
        return;
    }
    // Copied: a callback may register or remove observers.
    const std::map<void*, Callback> observers = found->second;
    for (const auto& [observer, callback] : observers) {
        callback(this, observer, name, nullptr, nullptr);
    }
}
