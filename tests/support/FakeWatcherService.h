#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

class QDBusServiceWatcher;

// The org.kde.StatusNotifierWatcher object FakeStatusNotifierWatcher
// exports; lives in the fake's thread.
class FakeWatcherService final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit FakeWatcherService(const QString& address);
    ~FakeWatcherService() override;

    // Both run in the service's thread.
    Q_INVOKABLE bool publish();
    Q_INVOKABLE void withdraw();

    QStringList registeredItems() const;
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& serviceOrPath);
    void RegisterStatusNotifierHost(const QString& service);

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& item);
    void StatusNotifierItemUnregistered(const QString& item);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

private:
    void ownerLeft(const QString& service);

    const QString m_name;
    QDBusConnection m_connection;
    QDBusServiceWatcher* m_owners = nullptr;
    mutable QMutex m_mutex;
    QStringList m_items;
};
