#pragma once

#include <QString>
#include <QStringList>
#include <QThread>

#include <memory>

class FakeWatcherService;

// A desktop's tray host as status items see it: owns
// "org.kde.StatusNotifierWatcher" on the session bus at `address`, records
// the items that register, drops those whose owner leaves the bus and
// reports a host as registered. It answers from a thread of its own, so a
// test may make blocking calls to an item while the item calls the
// watcher.
class FakeStatusNotifierWatcher final
{
public:
    explicit FakeStatusNotifierWatcher(QString address);
    ~FakeStatusNotifierWatcher();
    FakeStatusNotifierWatcher(const FakeStatusNotifierWatcher&) = delete;
    FakeStatusNotifierWatcher& operator=(const FakeStatusNotifierWatcher&) = delete;

    // Takes the watcher's name; false (and a line on standard error) when
    // the bus refuses it.
    bool start();
    // Gives the name up and forgets every item, as a host that quits.
    void stop();

    // "bus-name/object-path" of every registered item, oldest first.
    QStringList registeredItems() const;

private:
    QString m_address;
    QThread m_thread;
    std::unique_ptr<FakeWatcherService> m_service;
};
