#pragma once

#include "StatusItem.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class AgentHelperProtocol;
class DarwinNotificationsManager;
class QAction;
class QDBusError;
class QDBusServiceWatcher;
#include <QMenu>
class QTimer;
class XPCConnection;

// The tray status item: decides from "arn.conf" whether to run at all,
// then shows the agent's connection state as reported by the privileged
// helper, refreshes it every 30 seconds and sends the menu's commands.
class AppDelegate final : public QObject
{
    Q_OBJECT

public:
    // How the configuration check waits between attempts (seconds); tests
    // replace it so they need not wait minutes.
    using Sleeper = std::function<void(unsigned seconds)>;

    explicit AppDelegate(QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    // Helper connection.
    XPCConnection* getXPCConnection();
    std::shared_ptr<AgentHelperProtocol> getAgentService();
    void updateConnectedStatus();

    // Menu commands.
    void inventoryClicked();
    void restartClicked();
    void quit();

    QMenu* menu() const { return m_menu; }
    void setMenu(QMenu* menu) { m_menu = menu; }
    void setSleeper(Sleeper sleeper) { m_sleeper = std::move(sleeper); }
    bool isTerminated() const { return m_terminated; }

    StatusItem* statusItem() const { return m_statusItem.get(); }
    QAction* connectedStatusMenuItem() const { return m_connectedStatusMenuItem; }
    const QIcon& icon() const { return m_icon; }
    const QIcon& unavailableIcon() const { return m_unavailableIcon; }
    const QIcon& connectedIcon() const { return m_connectedIcon; }
    const QIcon& disconnectedIcon() const { return m_disconnectedIcon; }
    const std::shared_ptr<AgentHelperProtocol>& agentService() const { return m_agentService; }
    XPCConnection* xpcConnection() const { return m_xpcConnection.get(); }
    QTimer* updateStatusTimer() const { return m_updateStatusTimer.get(); }

    // The agent configuration file: below VORA_AGENT_ROOT when that is set.
    static QString configurationFilePath();

private:
    bool configurationAllowsLaunch();
    bool scanConfiguration(bool* found);
    void setupStatusItem();
    void terminate();
    void showStatus(const QIcon& image, const QString& title, const QString& toolTip);
    void showFailure(const QString& title);
    void showConnectionFailure(const QString& title);
    void showRefusal(const QString& title);
    void installConnectionHandlers();
    void handleXPCError(const QDBusError& error);
    void sendCommand(void (AgentHelperProtocol::*command)());
    void watchHelperName();
    void helperAppeared();

    QPointer<QMenu> m_menu;
    const QIcon m_icon;
    const QIcon m_disconnectedIcon;
    const QIcon m_connectedIcon;
    const QIcon m_unavailableIcon;
    std::unique_ptr<StatusItem> m_statusItem;
    DarwinNotificationsManager* const m_darwinNotificationCenter;
    const QString m_connectedString;
    const QString m_disconnectedString;
    const QString m_statusString;
    const QString m_helperXPCErrorString;
    const QString m_helperConnectionInterruptedString;
    const QString m_helperConnectionInvalidatedString;
    const QString m_helperAccessDeniedString;
    const QString m_helperAuthorizationUnavailableString;
    const QString m_productString;
    const QString m_connectedToolTip;
    const QString m_disconnectedToolTip;
    std::unique_ptr<XPCConnection> m_xpcConnection;
    std::function<void(const QDBusError& error)> m_xpcErrorHandler;
    std::shared_ptr<AgentHelperProtocol> m_agentService;
    QAction* m_connectedStatusMenuItem = nullptr;
    std::unique_ptr<QTimer> m_updateStatusTimer;
    // A child of this object; watches the helper's name on the system bus.
    QDBusServiceWatcher* m_helperNameWatch = nullptr;

    // State questions sent so far, and how many had been sent when the
    // last refusal was shown: answers to those do not replace it.
    quint64 m_statusQueries = 0;
    quint64 m_lastQueryBeforeRefusal = 0;
    // Connections made so far: the handlers of an older one do nothing.
    quint64 m_connectionsMade = 0;
    // A lost helper is told once: the interruption, the invalidation it
    // leads to and the refresh that then fails are one event, and its
    // first text stays until the helper answers (or refuses).
    bool m_connectionFailureShown = false;

    Sleeper m_sleeper;
    bool m_terminated = false;
};
