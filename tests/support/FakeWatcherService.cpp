#include "FakeWatcherService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>

#include <cstdio>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kDefaultItemPath = QStringLiteral("/StatusNotifierItem");

QString NextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("fake-sni-watcher-%1").arg(++counter);
}

} // namespace

FakeWatcherService::FakeWatcherService(const QString& address)
    : m_name(NextConnectionName()), m_connection(QDBusConnection::connectToBus(address, m_name))
{
}

FakeWatcherService::~FakeWatcherService()
{
    QDBusConnection::disconnectFromBus(m_name);
}

bool FakeWatcherService::publish()
{
    if (!m_connection.isConnected()) {
        std::fprintf(stderr, "fake watcher: no bus connection: %s\n",
                     qPrintable(m_connection.lastError().message()));
        return false;
    }
    if (!m_connection.registerObject(kWatcherPath, this,
                                     QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                         QDBusConnection::ExportAllProperties)) {
        std::fprintf(stderr, "fake watcher: cannot export %s\n", qPrintable(kWatcherPath));
        return false;
    }
    if (!m_owners) {
        m_owners = new QDBusServiceWatcher(QString(), m_connection,
                                           QDBusServiceWatcher::WatchForUnregistration, this);
        connect(m_owners, &QDBusServiceWatcher::serviceUnregistered, this, &FakeWatcherService::ownerLeft);
    }
    if (!m_connection.registerService(kWatcherService)) {
        std::fprintf(stderr, "fake watcher: cannot own %s: %s\n", qPrintable(kWatcherService),
                     qPrintable(m_connection.lastError().message()));
        return false;
    }
    return true;
}

void FakeWatcherService::withdraw()
{
    if (!m_connection.isConnected()) {
        return;
    }
    m_connection.unregisterService(kWatcherService);
    m_connection.unregisterObject(kWatcherPath);
    if (m_owners) {
        m_owners->setWatchedServices({});
    }
    QMutexLocker lock(&m_mutex);
    m_items.clear();
}

QStringList FakeWatcherService::registeredItems() const
{
    QMutexLocker lock(&m_mutex);
    return m_items;
}

// Items name either their bus name (the object is then at
// /StatusNotifierItem) or an object path on the caller's connection:
//   "org.kde.StatusNotifierItem-42-1" → "org.kde.StatusNotifierItem-42-1/StatusNotifierItem"
//   "/org/example/Item" from ":1.7"    → ":1.7/org/example/Item"
void FakeWatcherService::RegisterStatusNotifierItem(const QString& serviceOrPath)
{
    const bool isPath = serviceOrPath.startsWith(QLatin1Char('/'));
    const QString service = isPath ? message().service() : serviceOrPath;
    const QString item = service + (isPath ? serviceOrPath : kDefaultItemPath);
    {
        QMutexLocker lock(&m_mutex);
        if (m_items.contains(item)) {
            return;
        }
        m_items.append(item);
    }
    m_owners->addWatchedService(service);
    emit StatusNotifierItemRegistered(item);
}

void FakeWatcherService::RegisterStatusNotifierHost(const QString& /*service*/)
{
    emit StatusNotifierHostRegistered();
}

void FakeWatcherService::ownerLeft(const QString& service)
{
    const QString prefix = service + QLatin1Char('/');
    QStringList gone;
    {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_items.begin(); it != m_items.end();) {
            if (it->startsWith(prefix)) {
                gone.append(*it);
                it = m_items.erase(it);
            } else {
                ++it;
            }
        }
    }
    m_owners->removeWatchedService(service);
    for (const QString& item : gone) {
        emit StatusNotifierItemUnregistered(item);
    }
}
