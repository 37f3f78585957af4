#include "FakeStatusNotifierWatcher.h"

#include "FakeWatcherService.h"

#include <QMetaObject>

FakeStatusNotifierWatcher::FakeStatusNotifierWatcher(QString address) : m_address(std::move(address))
{
    m_thread.setObjectName(QStringLiteral("fake-sni-watcher"));
    m_thread.start();
}

FakeStatusNotifierWatcher::~FakeStatusNotifierWatcher()
{
    stop();
    if (m_service) {
        // Deleted in its own thread: its bus watcher belongs there.
        QMetaObject::invokeMethod(
            m_service.get(), [this] { m_service.reset(); }, Qt::BlockingQueuedConnection);
    }
    m_thread.quit();
    m_thread.wait();
}

bool FakeStatusNotifierWatcher::start()
{
    if (!m_service) {
        m_service = std::make_unique<FakeWatcherService>(m_address);
        m_service->moveToThread(&m_thread);
    }
    bool published = false;
    QMetaObject::invokeMethod(m_service.get(), &FakeWatcherService::publish, Qt::BlockingQueuedConnection,
                              &published);
    return published;
}

void FakeStatusNotifierWatcher::stop()
{
    if (m_service) {
        QMetaObject::invokeMethod(m_service.get(), &FakeWatcherService::withdraw,
                                  Qt::BlockingQueuedConnection);
    }
}

QStringList FakeStatusNotifierWatcher::registeredItems() const
{
    return m_service ? m_service->registeredItems() : QStringList();
}
