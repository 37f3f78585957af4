#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

class QDBusServiceWatcher;

// Finds the place where a tray status item can show in this session, and
// tells when one starts: a StatusNotifierItem host, through its watcher's
// name "org.kde.StatusNotifierWatcher" on the session bus, or on X11 an
// XEmbed tray, through the owner of the selection "_NET_SYSTEM_TRAY_S<n>".
// Nothing is polled: the bus reports the watcher's name when it gets an
// owner, and an X11 tray announces itself with a MANAGER client message to
// the root window, which Qt's X11 connection already receives.
class TrayHostWatch final : public QObject, private QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    enum class Host
    {
        None,
        StatusNotifier,
        XEmbed
    };

    explicit TrayHostWatch(QObject* parent = nullptr);
    ~TrayHostWatch() override;

    // Asks the session bus, then the X server (when there is one).
    Host currentHost();
    // Reports the next host that starts, once, through hostAppeared().
    void watch();

    static const char* describe(Host host);

signals:
    void hostAppeared(TrayHostWatch::Host host);

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool internTrayAtoms();
    void stopWatching();
    void report(Host host);

    QDBusServiceWatcher* m_busWatch = nullptr; // a child of this object
    bool m_filtering = false;
    std::uint32_t m_trayAtom = 0;    // _NET_SYSTEM_TRAY_S<screen>
    std::uint32_t m_managerAtom = 0; // MANAGER
};
