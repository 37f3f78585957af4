// VORAMenuBar as a desktop session runs it: the real program on an X
// server (or Wayland compositor) of its own, a private session bus where a fake
// StatusNotifierItem watcher stands in for the desktop's tray host, and the
// helper's stand-in on a private system bus. The item is read the way a
// host reads it: its org.kde.StatusNotifierItem properties and the menu it
// exports over com.canonical.dbusmenu.
#include "FakeHelperProcess.h"
#include "FakeStatusNotifierWatcher.h"
#include "PrivateSessionBus.h"
#include "ServiceProcess.h"
#include "StatusNotifierItemClient.h"
#include "StopProcess.h"
#include "TempAgentRoot.h"
#include "WaitUntil.h"
#include "WestonServer.h"
#include "XvfbServer.h"

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

const QString kNoTrayLine = QStringLiteral(
    "No system tray is running in this session: the status item will appear as soon as one starts "
    "(GNOME shows tray items only with a StatusNotifierItem extension)");
const QString kShownLine =
    QStringLiteral("Showing the status item in the system tray (StatusNotifierItem host)");
const QString kLateHostLine =
    QStringLiteral("A system tray started (StatusNotifierItem host): showing the status item");
const QString kLateX11TrayLine = QStringLiteral("A system tray started (X11 tray): showing the status item");
const QString kSecondStartLine = QStringLiteral("VORAMenuBar already runs in this session");
const QString kConnectedTip = QStringLiteral("VORA agent: connected");
// Where a helper that went away leaves the item: its interruption's text,
// which the invalidation that follows it does not replace.
const QString kHelperStopped = QStringLiteral("The VORA agent helper stopped");
const QString kHelperStoppedTip = QStringLiteral("VORA agent: ") + kHelperStopped;
const QString kSameEventLine = QStringLiteral("The status line keeps the helper's failure: \"Lost the "
                                              "connection to the VORA agent helper\" is the same event");
constexpr int kProcessWaitMs = 30000;
// Shorter than the 30 s refresh, so what comes within it came from
// something else.
constexpr int kBeforeTheRefreshMs = 15000;

// One run of the program, its standard output and error merged.
class MenuBarProcess final
{
public:
    explicit MenuBarProcess(const QProcessEnvironment& environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral(VORAMENUBAR_PATH), {});
    }
    ~MenuBarProcess() { StopProcess(m_process, 10000); }
    MenuBarProcess(const MenuBarProcess&) = delete;
    MenuBarProcess& operator=(const MenuBarProcess&) = delete;

    const QString& output()
    {
        m_output += QString::fromUtf8(m_process.readAll());
        return m_output;
    }
    bool waitForLine(const QString& text)
    {
        return WaitUntil([&] { return output().contains(text); }, kProcessWaitMs);
    }
    // Ends like a crash: the bus sees the connection close, nothing else.
    void crash()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_output;
};

class TrayHostProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.isRunning()) << "Xvfb is needed (scripts/install-deps.sh)";
        ASSERT_TRUE(session.isRunning());
        root.writeConfig("launchmenu=true\n");
        ASSERT_TRUE(helper.start(true));
    }

    void TearDown() override { QDBusConnection::disconnectFromBus(m_hostName); }

    QProcessEnvironment environment(const QString& language = QStringLiteral("en_US.UTF-8")) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display.display());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session.address());
        environment.insert(QStringLiteral("LC_ALL"), language);
        environment.remove(QStringLiteral("LANGUAGE"));
        environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        return environment;
    }

    std::unique_ptr<MenuBarProcess> start(const QString& language = QStringLiteral("en_US.UTF-8")) const
    {
        return std::make_unique<MenuBarProcess>(environment(language));
    }

    // The registered item, once there are `count`; empty when none came.
    QString waitForItem(int count = 1)
    {
        WaitUntil([&] { return watcher.registeredItems().size() >= count; }, kProcessWaitMs);
        const QStringList items = watcher.registeredItems();
        return items.size() >= count ? items.at(count - 1) : QString();
    }

    StatusNotifierItemClient client(const QString& item) const
    {
        return StatusNotifierItemClient(QDBusConnection::connectToBus(session.address(), m_hostName), item);
    }

    bool waitForToolTip(const StatusNotifierItemClient& item, const QString& text)
    {
        return WaitUntil([&] { return item.toolTipTitle() == text; }, kProcessWaitMs);
    }

    XvfbServer display;
    PrivateSessionBus session;
    FakeStatusNotifierWatcher watcher{session.address()};
    TempAgentRoot root;
    FakeHelperProcess helper{QStringLiteral(FAKE_AGENT_HELPER_PATH)};

private:
    QString m_hostName = QStringLiteral("tray-test-host");
};

} // namespace

TEST_F(TrayHostProcessTest, ItemShowsItsStateImagesAndMenuToTheHost)
{
    ASSERT_TRUE(watcher.start());
    const auto bar = start();
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty()) << bar->output().toStdString();
    EXPECT_TRUE(bar->output().contains(kShownLine)) << bar->output().toStdString();

    const StatusNotifierItemClient host = client(item);
    ASSERT_TRUE(waitForToolTip(host, kConnectedTip)) << host.toolTipTitle().toStdString();
    EXPECT_EQ(host.property(QStringLiteral("Status")).toString(), "Active");
    EXPECT_EQ(host.property(QStringLiteral("Title")).toString(), "VORA agent");
    // Every size drawn up to the 64 pixels Qt sends over the bus, each a
    // whole ARGB image (a broken one shows as an invalid size).
    const QList<QSize> sizes = host.iconPixmapSizes();
    EXPECT_EQ(sizes.size(), 6);
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    }
    EXPECT_EQ(host.menuLabels(),
              (QStringList{"Connected", "Run Inventory", "Restart Agent", "About VORA", "Quit"}));

    // The state the host shows follows the helper.
    ASSERT_TRUE(helper.send("connected false"));
    ASSERT_TRUE(helper.send("post com.orvel.vora.agentWasRestarted"));
    EXPECT_TRUE(waitForToolTip(host, QStringLiteral("VORA agent: disconnected")));
    EXPECT_EQ(host.menuLabels().value(0), "Disconnected");

    // The helper leaves the bus and comes back without a word: both are
    // shown at once, not at the next refresh.
    helper.kill();
    EXPECT_TRUE(WaitUntil([&] { return host.toolTipTitle() == kHelperStoppedTip; }, kBeforeTheRefreshMs))
        << host.toolTipTitle().toStdString();
    // The invalidation that follows is the same event: the text stays.
    EXPECT_TRUE(bar->waitForLine(kSameEventLine)) << bar->output().toStdString();
    EXPECT_EQ(host.toolTipTitle(), kHelperStoppedTip);
    EXPECT_EQ(host.menuLabels().value(0), kHelperStopped);
    ASSERT_TRUE(helper.start(true));
    EXPECT_TRUE(WaitUntil([&] { return host.toolTipTitle() == kConnectedTip; }, kBeforeTheRefreshMs))
        << host.toolTipTitle().toStdString();

    // A host that restarts (a panel that crashed) gets the item back.
    watcher.stop();
    ASSERT_TRUE(watcher.start());
    EXPECT_FALSE(waitForItem().isEmpty());
}

TEST_F(TrayHostProcessTest, WithoutAHostItSaysSoAndShowsOnceOneStarts)
{
    const auto bar = start();
    ASSERT_TRUE(bar->waitForLine(kNoTrayLine)) << bar->output().toStdString();
    // The helper's answer arrives while there is nowhere to show it ...
    ASSERT_TRUE(bar->waitForLine(QStringLiteral("Agent is CONNECTED")));
    EXPECT_FALSE(bar->output().contains(kShownLine));

    // ... and is what the item shows once a host starts.
    ASSERT_TRUE(watcher.start());
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty()) << bar->output().toStdString();
    EXPECT_TRUE(bar->waitForLine(kLateHostLine));
    const StatusNotifierItemClient host = client(item);
    EXPECT_TRUE(waitForToolTip(host, kConnectedTip));
    EXPECT_EQ(host.menuLabels().value(0), "Connected");
}

// GNOME on Wayland without its extension: no X11 tray can exist, so the
// item can only wait for a StatusNotifierItem host.
TEST_F(TrayHostProcessTest, OnWaylandTheItemWaitsForAHostAndReachesIt)
{
    if (QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty()) {
        GTEST_SKIP() << "weston missing (scripts/install-deps.sh)";
    }
    WestonServer wayland;
    ASSERT_TRUE(wayland.isRunning());
    QProcessEnvironment waylandSession = environment();
    waylandSession.remove(QStringLiteral("DISPLAY"));
    waylandSession.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    waylandSession.insert(QStringLiteral("XDG_RUNTIME_DIR"), wayland.runtimeDir());
    waylandSession.insert(QStringLiteral("WAYLAND_DISPLAY"), wayland.socket());
    MenuBarProcess bar(waylandSession);
    ASSERT_TRUE(bar.waitForLine(kNoTrayLine)) << bar.output().toStdString();

    ASSERT_TRUE(watcher.start());
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty()) << bar.output().toStdString();
    EXPECT_TRUE(bar.waitForLine(kLateHostLine));
    EXPECT_TRUE(waitForToolTip(client(item), kConnectedTip));
}

TEST_F(TrayHostProcessTest, X11TrayThatStartsLaterGetsTheItem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty()) {
        GTEST_SKIP() << "trayer missing (scripts/install-deps.sh)";
    }
    const auto bar = start();
    ASSERT_TRUE(bar->waitForLine(kNoTrayLine)) << bar->output().toStdString();

    QProcess tray;
    QProcessEnvironment trayEnvironment = QProcessEnvironment::systemEnvironment();
    trayEnvironment.insert(QStringLiteral("DISPLAY"), display.display());
    tray.setProcessEnvironment(trayEnvironment);
    tray.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tray.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top"),
                                          QStringLiteral("--height"), QStringLiteral("32")});
    ASSERT_TRUE(tray.waitForStarted(10000));
    EXPECT_TRUE(bar->waitForLine(kLateX11TrayLine)) << bar->output().toStdString();
    tray.terminate();
    tray.waitForFinished(10000);
}

TEST_F(TrayHostProcessTest, SecondStartEndsAtOnceAndACrashFreesTheSession)
{
    ASSERT_TRUE(watcher.start());
    const auto first = start();
    ASSERT_FALSE(waitForItem().isEmpty()) << first->output().toStdString();

    const auto second = start();
    ASSERT_TRUE(second->process().waitForFinished(kProcessWaitMs));
    EXPECT_EQ(second->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->process().exitCode(), 0);
    EXPECT_TRUE(second->output().contains(kSecondStartLine)) << second->output().toStdString();
    EXPECT_FALSE(second->output().contains(kShownLine));
    EXPECT_EQ(watcher.registeredItems().size(), 1);

    // Killed without a chance to clean up, the first leaves the name free.
    first->crash();
    ASSERT_TRUE(WaitUntil([&] { return watcher.registeredItems().isEmpty(); }, kProcessWaitMs));
    const auto third = start();
    EXPECT_FALSE(waitForItem().isEmpty()) << third->output().toStdString();
    EXPECT_FALSE(third->output().contains(kSecondStartLine));
}

TEST_F(TrayHostProcessTest, MenuSpeaksTheUsersLanguageAndFallsBackToEnglish)
{
    ASSERT_TRUE(watcher.start());
    const struct
    {
        const char* locale;
        QStringList labels;
        QString title;
        QString toolTip;
    } cases[] = {
        {"fr_FR.UTF-8",
         {"Connecté", "Lancer l'inventaire", "Redémarrer l'agent", "À propos de VORA", "Quitter"},
         "Agent VORA",
         "Agent VORA : connecté"},
        {"ja_JP.UTF-8",
         {"接続済み", "インベントリを収集", "エージェントを再起動", "VORA について", "終了"},
         "VORA エージェント",
         "VORA エージェント: 接続済み"},
        {"fi_FI.UTF-8",
         {"Connected", "Run Inventory", "Restart Agent", "About VORA", "Quit"},
         "VORA agent",
         "VORA agent: connected"},
    };
    for (const auto& language : cases) {
        const auto bar = start(QString::fromLatin1(language.locale));
        const QString item = waitForItem();
        ASSERT_FALSE(item.isEmpty()) << language.locale << bar->output().toStdString();
        const StatusNotifierItemClient host = client(item);
        EXPECT_TRUE(WaitUntil([&] { return host.menuLabels() == language.labels; }, kProcessWaitMs))
            << language.locale << ": " << host.menuLabels().join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(waitForToolTip(host, language.toolTip)) << language.locale;
        EXPECT_EQ(host.property(QStringLiteral("Title")).toString(), language.title) << language.locale;
        bar->crash();
        ASSERT_TRUE(WaitUntil([&] { return watcher.registeredItems().isEmpty(); }, kProcessWaitMs));
    }
}

// Whatever becomes of a command chosen in the menu (carried out, refused by
// polkit, refused because no polkit authority could be asked, authorized
// only after a password prompt longer than the ordinary call time-out), the
// item asks for the state again at once, and says what happened.
TEST_F(TrayHostProcessTest, EveryCommandRefreshesTheStateAndSaysWhatBecameOfIt)
{
    ASSERT_TRUE(watcher.start());
    const auto bar = start();
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty()) << bar->output().toStdString();
    const StatusNotifierItemClient host = client(item);
    ASSERT_TRUE(waitForToolTip(host, kConnectedTip));

    const struct
    {
        const char* polkit; // the authority's verdict; none on the bus when null
        const char* delayMs;
        const char* command;
        QString helperSays;
        QString toolTip;
    } cases[] = {
        {"yes", "0", "Run Inventory", "call RunInventory", kConnectedTip},
        {"no", "0", "Restart Agent", "refused RestartAgent from ",
         "VORA agent: Not allowed: an administrator must approve this action"},
        {nullptr, "0", "Run Inventory", "refused RunInventory from ",
         "VORA agent: Permission could not be checked: the system's authorization service did not answer"},
        // Longer than the 10 s of the other calls.
        {"yes", "11000", "Restart Agent", "call RestartAgent", kConnectedTip},
    };
    for (const auto& command : cases) {
        std::optional<ServiceProcess> authority;
        if (command.polkit != nullptr) {
            authority.emplace(QStringLiteral(FAKE_POLKIT_PATH),
                              QStringList{"--verdict", command.polkit, "--delay", command.delayMs});
            ASSERT_TRUE(authority->start());
        }
        const int refreshes = helper.callCount(QStringLiteral("GetConnectedStatus"));
        const qsizetype failures = bar->output().count(QStringLiteral("xpcErrorHandler called"));
        ASSERT_TRUE(host.clickMenuItem(QString::fromLatin1(command.command))) << command.command;

        EXPECT_TRUE(WaitUntil([&] { return helper.callCount("GetConnectedStatus") > refreshes; },
                              kBeforeTheRefreshMs))
            << command.command << " " << command.helperSays.toStdString();
        EXPECT_TRUE(WaitUntil(
            [&] {
                const QStringList lines = helper.lines();
                return std::any_of(lines.begin(), lines.end(),
                                   [&](const QString& line) { return line.startsWith(command.helperSays); });
            },
            kProcessWaitMs))
            << command.helperSays.toStdString();
        EXPECT_TRUE(waitForToolTip(host, command.toolTip))
            << command.command << ": " << host.toolTipTitle().toStdString();
        // An answer, even a refusal, is no broken connection. (The item's
        // output may reach this process after its tool tip: waited for.)
        const qsizetype errors = command.helperSays.startsWith(QLatin1String("call")) ? 0 : 1;
        EXPECT_TRUE(WaitUntil(
            [&] {
                return bar->output().count(QStringLiteral("xpcErrorHandler called")) - failures == errors;
            },
            kProcessWaitMs))
            << bar->output().toStdString();
    }
}

// No helper at all: the command cannot be sent, but both lines are logged
// and the state is asked for again (a second "Initializing agentService").
TEST_F(TrayHostProcessTest, CommandWithoutAHelperStillRefreshesTheState)
{
    helper.kill();
    ASSERT_TRUE(watcher.start());
    const auto bar = start();
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty()) << bar->output().toStdString();
    const StatusNotifierItemClient host = client(item);
    ASSERT_TRUE(WaitUntil([&] { return host.toolTipTitle().endsWith(QLatin1String("VORA agent helper")); }))
        << host.toolTipTitle().toStdString();
    const qsizetype attempts = bar->output().count(QStringLiteral("Initializing agentService"));

    ASSERT_TRUE(host.clickMenuItem(QStringLiteral("Run Inventory")));
    EXPECT_TRUE(bar->waitForLine(QStringLiteral("Sent Agent inventory message")));
    EXPECT_TRUE(WaitUntil(
        [&] { return bar->output().count(QStringLiteral("Initializing agentService")) >= attempts + 2; },
        kBeforeTheRefreshMs))
        << bar->output().toStdString();
}
