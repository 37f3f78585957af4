#include "TrayHostWatch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

// What xcb hands back is malloc'ed and freed by the caller.
template <typename T>
using XcbOwned = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
XcbOwned<T> Own(T* pointer)
{
    return XcbOwned<T>(pointer, &std::free);
}

xcb_connection_t* X11Connection()
{
    const auto* x11 =
        qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t InternAtom(xcb_connection_t* connection, const std::string& name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str());
    const auto reply = Own(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The screen of $DISPLAY, as the tray selection is per screen (":0.1" → 1).
int DisplayScreen()
{
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    const int parsed = xcb_parse_display(nullptr, &host, &display, &screen);
    const auto hostName = Own(host); // not needed, only freed
    return parsed != 0 ? screen : 0;
}

bool StatusNotifierHostRuns()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qInfo("No session bus (%s): StatusNotifierItem tray hosts cannot be found",
              qUtf8Printable(bus.lastError().message()));
        return false;
    }
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(kWatcherService);
    if (!registered.isValid()) {
        qWarning("Cannot ask the session bus for a StatusNotifierItem host: %s",
                 qUtf8Printable(registered.error().message()));
    }
    return registered.isValid() && registered.value();
}

} // namespace

TrayHostWatch::TrayHostWatch(QObject* parent) : QObject(parent) {}

TrayHostWatch::~TrayHostWatch()
{
    stopWatching();
}

const char* TrayHostWatch::describe(Host host)
{
    switch (host) {
    case Host::StatusNotifier:
        return "StatusNotifierItem host";
    case Host::XEmbed:
        return "X11 tray";
    case Host::None:
        break;
    }
    return "none";
}

bool TrayHostWatch::internTrayAtoms()
{
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr) {
        return false; // not on X11: StatusNotifierItem hosts only
    }
    if (m_trayAtom == XCB_ATOM_NONE || m_managerAtom == XCB_ATOM_NONE) {
        m_trayAtom = InternAtom(connection, "_NET_SYSTEM_TRAY_S" + std::to_string(DisplayScreen()));
        m_managerAtom = InternAtom(connection, "MANAGER");
        if (m_trayAtom == XCB_ATOM_NONE || m_managerAtom == XCB_ATOM_NONE) {
            qWarning("The X server did not name the tray selection atoms: X11 trays cannot be found");
            return false;
        }
    }
    return true;
}

TrayHostWatch::Host TrayHostWatch::currentHost()
{
    if (StatusNotifierHostRuns()) {
        return Host::StatusNotifier;
    }
    if (!internTrayAtoms()) {
        return Host::None;
    }
    xcb_connection_t* connection = X11Connection();
    const auto owner = Own(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, m_trayAtom), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE ? Host::XEmbed : Host::None;
}

void TrayHostWatch::watch()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && m_busWatch == nullptr) {
        m_busWatch =
            new QDBusServiceWatcher(kWatcherService, bus, QDBusServiceWatcher::WatchForRegistration, this);
        connect(m_busWatch, &QDBusServiceWatcher::serviceRegistered, this,
                [this] { report(Host::StatusNotifier); });
    }
    if (!m_filtering && internTrayAtoms()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filtering = true;
    }
}

void TrayHostWatch::stopWatching()
{
    if (m_filtering) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        m_filtering = false;
    }
    if (m_busWatch != nullptr) {
        // This may run inside the watcher's own signal: it goes once that
        // has returned (or with this object, its parent).
        m_busWatch->disconnect(this);
        m_busWatch->deleteLater();
        m_busWatch = nullptr;
    }
}

void TrayHostWatch::report(Host host)
{
    stopWatching();
    emit hostAppeared(host);
}

// MANAGER client message (XEmbed tray and ICCCM manager selections):
// data32 = {time, selection atom, owner window, ...}.
bool TrayHostWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) {
        return false;
    }
    const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (client->format == 32 && client->type == m_managerAtom && client->data.data32[1] == m_trayAtom) {
        report(Host::XEmbed);
    }
    return false;
}
