#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <memory>
#include <set>

class NotifyCenter;
class QDBusMessage;
class QDBusServiceWatcher;

// Receives the bus's Posted signals for the notify centre and passes on
// only those whose sender may post: the current owner of the trusted name
// (the agent's helper) or this process's own connection. Everyone else on
// the bus can send the signal, so the sender's unique name is compared
// with the owner a name-owner watch keeps current:
//   owner of com.orvel.vora.AgentHelperService is ":1.7"
//   Posted from ":1.7"  -> delivered
//   Posted from ":1.9"  -> ignored, logged once for ":1.9"
class NotifyCenterReceiver final : public QObject
{
    Q_OBJECT

public:
    NotifyCenterReceiver(NotifyCenter& center, QDBusConnection bus, QString trustedName);
    ~NotifyCenterReceiver() override;

    // Starts following the trusted name's owner; call before the first
    // subscription so no posting can overtake the watch.
    void watchTrustedName();

public Q_SLOTS:
    void posted(const QString& name, const QDBusMessage& message);

private:
    void ownerChanged(const QString& newOwner);
    void reportIgnored(const QString& name, const QString& sender);

    NotifyCenter& m_center;
    QDBusConnection m_bus;
    const QString m_trustedName;
    QString m_trustedOwner;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
    std::set<QString> m_reportedSenders;
};
