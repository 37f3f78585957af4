// The installed system bus policy (dbus/com.orvel.vora.AgentHelperService.conf)
// on a private bus with the system bus's defaults: what root and another
// user (uid 4242, through setpriv) may do there.
#include "FakeHelperProcess.h"
#include "PrivateSystemBus.h"
#include "SignalRecorder.h"
#include "VoraDBusNames.h"
#include "WaitUntil.h"

#include <QDBusConnection>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct CommandRun
{
    int exitCode;
    QString output;
};

class BusPolicyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root to act as another user";
        }
        ASSERT_TRUE(bus.isRunning());
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", bus.address());
    }

    // Runs a command to its end, as root or as uid 4242.
    CommandRun run(QStringList command, bool asOtherUser)
    {
        if (asOtherUser) {
            command = QStringList{"--reuid", "4242", "--regid", "4242", "--clear-groups"} + command;
            command.prepend("setpriv");
        }
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(command.takeFirst(), command);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAll())};
    }

    PrivateSystemBus bus{QStringLiteral(VORA_HELPER_BUS_POLICY), 4242};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

} // namespace

TEST_F(BusPolicyTest, OnlyRootSendsTheNotifications)
{
    QDBusConnection observer = QDBusConnection::connectToBus(bus.address(), "policy-observer");
    ASSERT_TRUE(observer.isConnected());
    SignalRecorder recorder;
    ASSERT_TRUE(observer.connect(QString(), kNotifyPath, kNotifyInterface, kNotifySignal, &recorder,
                                 SLOT(record(QDBusMessage))));

    // "post" waits for a reply from the bus after its signal, so the bus
    // has dealt with uid 4242's signal before root's is sent: had it passed,
    // it would arrive first.
    EXPECT_EQ(run({VORA_AGENT_PATH, "post", "restart"}, true).exitCode, 0);
    EXPECT_EQ(run({VORA_AGENT_PATH, "post", "inventory"}, false).exitCode, 0);
    ASSERT_TRUE(WaitUntil([&] { return !recorder.signalsSeen().isEmpty(); }));
    EXPECT_EQ(recorder.firstArguments(), QStringList{kAgentInventoryWasRun});
    QDBusConnection::disconnectFromBus("policy-observer");
}

TEST_F(BusPolicyTest, OnlyRootOwnsTheHelperAndEveryoneMayAskIt)
{
    const CommandRun intruder = run({VORA_AGENT_PATH, "helper"}, true);
    EXPECT_EQ(intruder.exitCode, 2);
    EXPECT_TRUE(intruder.output.contains("cannot own com.orvel.vora.AgentHelperService"))
        << intruder.output.toStdString();

    FakeHelperProcess helper{QStringLiteral(VORA_AGENT_PATH)};
    helper.setEnvironment(environment);
    ASSERT_TRUE(helper.start(true));
    const CommandRun asked =
        run({"dbus-send", "--system", "--print-reply", "--dest=com.orvel.vora.AgentHelperService",
             kHelperPath, "com.orvel.vora.AgentHelperProtocol.GetConnectedStatus"},
            true);
    EXPECT_EQ(asked.exitCode, 0) << asked.output.toStdString();
    EXPECT_TRUE(asked.output.contains("boolean true")) << asked.output.toStdString();
    // Other interfaces of the helper stay closed.
    const CommandRun other =
        run({"dbus-send", "--system", "--print-reply", "--dest=com.orvel.vora.AgentHelperService",
             kHelperPath, "org.freedesktop.DBus.Properties.GetAll", "string:"},
            true);
    EXPECT_NE(other.exitCode, 0);
    EXPECT_TRUE(other.output.contains("org.freedesktop.DBus.Error.AccessDenied"))
        << other.output.toStdString();
}
