// vora-agent dialog --user started through the user's own service manager
// (fake-user-manager), whose connection drops while the dialog runs.
#include "ServiceProcess.h"
#include "TempAgentRoot.h"
#include "WaitUntil.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// The connection drops (as when her manager re-executes itself) while the
// dialog runs. Her manager still there: the agent connects again, with the
// same checks, and its bound still stops the unit. Gone, out of reach until
// the bound, or without the unit any more: the end is unknown, reported as
// a failure, with a line; never as an exit. Dropped again and again: given
// up after a few connections.
TEST(UserManagerTest, DroppedConnectionIsMadeAgainOrTheEndIsAFailure)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root: the agent goes to a user's manager only as root";
    }
    const struct
    {
        const char* scenario;
        QString line; // on the agent's standard error
        bool stoppedAtTheBound;
    } cases[] = {
        {"stays", "vora-agent: connected again to uid 0's service manager: vora-dialog-", true},
        {"gone", "is gone (user@0.service is inactive): vora-dialog-", false},
        {"unreachable", "service manager is out of reach (cannot connect to ", false},
        {"unit-gone", "vora-agent: the end of the dialog is unknown: vora-dialog-", false},
        // Made again and dropped again (a socket of hers passes the peer
        // check too): given up, not followed past the bound.
        {"flapping", "service manager dropped the connection 4 times: the agent stops watching vora-dialog-",
         false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.scenario);
        const TempAgentRoot root;
        QTemporaryDir runtime;
        ASSERT_TRUE(runtime.isValid());
        ServiceProcess logind(FAKE_LOGIND_PATH, {"--user", "uid=0,runtime=" + runtime.path()});
        ASSERT_TRUE(logind.start());
        ServiceProcess manager(FAKE_USER_MANAGER_PATH, {runtime.path(), "0", test.scenario});
        ASSERT_TRUE(manager.start());
        QProcess agent;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VORA_AGENT_ROOT", QString::fromStdString(root.root()));
        agent.setProcessEnvironment(environment);
        // A wait bound of 16 s (1 s and the grace).
        agent.start(VORA_AGENT_PATH, {"dialog", "--user", "0", "--", "-name=Managed", "-timeout=1"});
        ASSERT_TRUE(WaitUntil([&] { return !manager.linesStartingWith("started ").isEmpty(); }, 30000))
            << agent.readAllStandardError().toStdString();
        ASSERT_TRUE(manager.send("drop"));
        ASSERT_TRUE(agent.waitForFinished(60000));
        const QString err = QString::fromUtf8(agent.readAllStandardError());
        const QJsonObject report = QJsonDocument::fromJson(agent.readAllStandardOutput()).object();
        EXPECT_TRUE(err.contains(test.line)) << err.toStdString();
        // Its lines are read while events are handled: a second for those that never come.
        const bool stopped =
            WaitUntil([&] { return manager.lines().contains("call StopUnit on connection 2"); },
                      test.stoppedAtTheBound ? 10000 : 1000);
        EXPECT_EQ(stopped, test.stoppedAtTheBound)
            << manager.lines().join("\n").toStdString() << err.toStdString();
        EXPECT_EQ(report["endedByAgent"].isObject(), test.stoppedAtTheBound);
        EXPECT_TRUE(report["crashed"].toBool());
        EXPECT_TRUE(report["exitStatus"].isNull());
        if (!test.stoppedAtTheBound) {
            EXPECT_TRUE(err.contains("vora-agent: the end of the dialog is unknown: ")) << err.toStdString();
        }
    }
}

} // namespace
