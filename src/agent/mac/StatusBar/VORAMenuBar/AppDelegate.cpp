#include "AppDelegate.h"

#include "AgentHelperProtocol.h"
#include "DarwinNotificationsManager.h"
#include "StatusItem.h"
#include "StreamReader.h"
#include "VoraDBusNames.h"
#include "VoraLayout.h"
#include "XPCConnection.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QTimer>

#include <unistd.h>

namespace {

const QString kDefaultConfigurationFile = QStringLiteral(VORA_DATA_ROOT VORA_DATA_SUBDIR "arn.conf");
const QString kLaunchMenuKey = QStringLiteral("launchmenu");
const QString kAccepted = QStringLiteral("true");
constexpr unsigned kRetrySchedule[] = {5, 10, 20, 30, 60};
constexpr size_t kScheduleLength = sizeof kRetrySchedule / sizeof kRetrySchedule[0];
constexpr unsigned kRetryLimit = 10;
constexpr int kRefreshIntervalMs = 30000;

} // namespace

AppDelegate::AppDelegate(QObject* parent)
    : QObject(parent), m_icon(StatusItem::loadImage(QStringLiteral("VORAMenuBar"))),
      m_disconnectedIcon(StatusItem::loadImage(QStringLiteral("VoraDisconnected"))),
      m_connectedIcon(StatusItem::loadImage(QStringLiteral("VoraConnected"))),
      m_unavailableIcon(StatusItem::loadImage(QStringLiteral("VoraUnavailable"))),
      m_statusItem(std::make_unique<StatusItem>()),
      m_darwinNotificationCenter(DarwinNotificationsManager::sharedInstance()),
      m_connectedString(qtTrId("Connected")), m_disconnectedString(qtTrId("Disconnected")),
      m_statusString(qtTrId("Status")), m_helperXPCErrorString(qtTrId("Helper XPC Error")),
      m_helperConnectionInterruptedString(qtTrId("Helper Connection Interrupted")),
      m_helperConnectionInvalidatedString(qtTrId("Helper Connection Invalidated")),
      m_helperAccessDeniedString(qtTrId("Helper Access Denied")),
      m_helperAuthorizationUnavailableString(qtTrId("Helper Authorization Unavailable")),
      m_productString(qtTrId("VORA agent")), m_connectedToolTip(qtTrId("Tool Tip Connected")),
      m_disconnectedToolTip(qtTrId("Tool Tip Disconnected")),
      m_sleeper([](unsigned seconds) { ::sleep(seconds); })
{
}

AppDelegate::~AppDelegate()
{
    if (m_xpcConnection) {
        m_xpcConnection->invalidate();
        m_xpcConnection.reset();
    }
    m_updateStatusTimer.reset();
    m_agentService.reset();
}

QString AppDelegate::configurationFilePath()
{
    const QByteArray root = qgetenv("VORA_AGENT_ROOT");
    if (root.isEmpty()) {
        return kDefaultConfigurationFile;
    }
    return QString::fromLocal8Bit(root) + QStringLiteral(VORA_DATA_SUBDIR "arn.conf");
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (!configurationAllowsLaunch()) {
        return;
    }
    setupStatusItem();
}

void AppDelegate::applicationWillTerminate() {}

void AppDelegate::terminate()
{
    m_terminated = true;
    QCoreApplication::quit();
}

// One pass over the file. Returns false when a "launchmenu" line without
// "true" ends the program; `found` tells whether any key line was seen.
bool AppDelegate::scanConfiguration(bool* found)
{
    const std::unique_ptr<StreamReader> reader = StreamReader::init(configurationFilePath());
    if (!reader) {
        return true;
    }
    for (;;) {
        const std::optional<QString> line = reader->nextLine();
        if (!line) {
            // A line that is not valid UTF-8 yields nothing without ending
            // the file; skip it so a key line after it is still seen.
            if (reader->isAtEOF()) {
                return true;
            }
            continue;
        }
        const QString lower = line->toLower();
        if (!lower.startsWith(kLaunchMenuKey)) {
            continue;
        }
        *found = true;
        if (!lower.contains(kAccepted)) {
            qInfo("LaunchMenu is not equal to true. Exiting");
            return false;
        }
        qInfo("Found launchmenu option and it is true");
    }
}

// Waits 5, 10, 20, 30 and then 60 seconds between attempts: 13 attempts
// and 605 seconds in all before giving up on a file without the key.
bool AppDelegate::configurationAllowsLaunch()
{
    if (!QFile::exists(configurationFilePath())) {
        qInfo("arn.conf not found. Exiting.");
        terminate();
        return false;
    }
    bool found = false;
    size_t interval = 0;
    unsigned retries = 1;
    do {
        if (!scanConfiguration(&found)) {
            terminate();
            return false;
        }
        if (found) {
            break;
        }
        qInfo("launchmenu not found in arn.conf. Retrying again in %d seconds",
              static_cast<int>(kRetrySchedule[interval]));
        m_sleeper(kRetrySchedule[interval]);
        if (++interval == kScheduleLength) {
            interval = kScheduleLength - 1;
            ++retries;
        }
    } while (retries < kRetryLimit);

    if (!found) {
        qInfo("launchmenu not found in arn.conf. Exiting...");
        terminate();
        return false;
    }
    return true;
}

void AppDelegate::setupStatusItem()
{
    m_agentService.reset();
    m_statusItem->setIcon(m_icon);
    m_statusItem->setContextMenu(m_menu);
    m_statusItem->setToolTip(m_productString);
    m_connectedStatusMenuItem = nullptr;
    if (m_menu) {
        for (QAction* item : m_menu->actions()) {
            if (item->text() == m_statusString) {
                m_connectedStatusMenuItem = item;
                break;
            }
        }
    }
    m_statusItem->show();
    m_agentService = getAgentService();

    if (m_darwinNotificationCenter != nullptr) {
        QPointer<AppDelegate> self(this);
        m_darwinNotificationCenter->registerForNotificationName(QString::fromLatin1(kAgentWasRestarted),
                                                                [self] {
                                                                    qInfo("Agent has restarted");
                                                                    if (self) {
                                                                        self->updateConnectedStatus();
                                                                    }
                                                                });
        m_darwinNotificationCenter->registerForNotificationName(QString::fromLatin1(kAgentInventoryWasRun),
                                                                [] { qInfo("Agent has run inventory"); });
    }
    watchHelperName();
    updateConnectedStatus();

    m_updateStatusTimer = std::make_unique<QTimer>();
    m_updateStatusTimer->setInterval(kRefreshIntervalMs);
    connect(m_updateStatusTimer.get(), &QTimer::timeout, this, &AppDelegate::updateConnectedStatus);
    m_updateStatusTimer->start();
}

// The status line says the state; the tool tip says whose state it is, for
// a host that shows several items.
void AppDelegate::showStatus(const QIcon& image, const QString& title, const QString& toolTip)
{
    m_statusItem->setIcon(image);
    m_statusItem->setToolTip(toolTip);
    if (m_connectedStatusMenuItem != nullptr) {
        m_connectedStatusMenuItem->setText(title);
    }
}

void AppDelegate::showFailure(const QString& title)
{
    showStatus(m_icon, title, qtTrId("Tool Tip Failure").arg(title));
}

// The helper cannot be reached: its own image, and the first text of the
// event stays ("The VORA agent helper stopped", not the invalidation's
// "Lost the connection ..." that follows it at once).
void AppDelegate::showConnectionFailure(const QString& title)
{
    if (m_connectionFailureShown) {
        qInfo("The status line keeps the helper's failure: \"%s\" is the same event", qUtf8Printable(title));
        return;
    }
    m_connectionFailureShown = true;
    showStatus(m_unavailableIcon, title, qtTrId("Tool Tip Failure").arg(title));
}

// Whatever became of the command (sent, refused, failed, or no service to
// send it to), the state is asked for again at once.
void AppDelegate::inventoryClicked()
{
    qInfo("About to send Agent inventory message");
    sendCommand(&AgentHelperProtocol::runInventory);
    qInfo("Sent Agent inventory message");
    updateConnectedStatus();
}

void AppDelegate::restartClicked()
{
    qInfo("About to send Agent restart message");
    sendCommand(&AgentHelperProtocol::restartAgent);
    qInfo("Sent Agent restart message");
    updateConnectedStatus();
}

void AppDelegate::quit()
{
    terminate();
}
