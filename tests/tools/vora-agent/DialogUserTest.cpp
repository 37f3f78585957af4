// "vora-agent dialog --user": the dialog started as another user, with the
// display environment of that user's session from a fake logind on this
// test program's private system bus. The launched program is mostly
// vora-print-identity, which prints who it runs as; one test runs the real
// VUserAlert as uid 4242 on an X server of its own.
#include "FileHelpers.h"
#include "ServiceProcess.h"
#include "TempAgentRoot.h"
#include "WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

struct AgentRun
{
    int exitCode = -1;
    QByteArray out;
    QString err;
    // "uid=4242,4242,4242" -> {"uid": "4242,4242,4242"}; "env HOME=/" -> {"HOME": "/"};
    // "env DISPLAY unset" leaves DISPLAY out.
    QMap<QString, QString> identity() const
    {
        QMap<QString, QString> items;
        for (QString line : err.split('\n')) {
            if (line.startsWith("env ")) {
                line = line.mid(4);
            }
            const qsizetype equals = line.indexOf('=');
            if (equals > 0 && !line.startsWith("vora-agent")) {
                items.insert(line.left(equals), line.mid(equals + 1));
            }
        }
        return items;
    }
};

// A socket file, as a session's bus or compositor leaves in its runtime directory.
void MakeSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray local = path.toLocal8Bit();
    ASSERT_LT(static_cast<size_t>(local.size()), sizeof address.sun_path);
    std::copy(local.begin(), local.end(), address.sun_path);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

class DialogUserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root to start processes as other users";
        }
        ASSERT_TRUE(runtime.isValid());
        environment.insert("VORA_AGENT_ROOT", QString::fromStdString(root.root()));
        // What the caller has: none of it may reach a user with a session.
        environment.insert("DISPLAY", ":1");
        environment.insert("WAYLAND_DISPLAY", "caller-wayland");
        environment.insert("XAUTHORITY", "/root/.Xauthority");
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/caller-bus");
    }

    bool startLogind(const QStringList& sessions)
    {
        QStringList arguments{"--user", "uid=4242,runtime=" + runtime.path()};
        for (const QString& session : sessions) {
            arguments << "--session" << session;
        }
        logind = std::make_unique<ServiceProcess>(QStringLiteral(FAKE_LOGIND_PATH), arguments);
        return logind->start();
    }

    AgentRun agent(QStringList arguments, bool asOtherUser = false)
    {
        QString program = QStringLiteral(VORA_AGENT_PATH);
        if (asOtherUser) {
            arguments =
                QStringList{"--reuid", "4242", "--regid", "4242", "--clear-groups", program} + arguments;
            program = "setpriv";
        }
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        // The fake logind answers from a process of its own: waiting here is fine.
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    }

    AgentRun identityAs(const QString& user, bool asOtherUser = false)
    {
        return agent({"dialog", "--user", user, "--program", PRINT_IDENTITY_PATH, "--"}, asOtherUser);
    }

    TempAgentRoot root;
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    std::unique_ptr<ServiceProcess> logind;
};

} // namespace

TEST_F(DialogUserTest, SessionEnvironmentComesFromTheUsersActiveLocalGraphicalSession)
{
    MakeSocket(runtime.filePath("bus"));
    // Listed before the right one: remote, inactive, text-only, another user's.
    ASSERT_TRUE(startLogind({"id=r1,uid=4242,name=alice,type=x11,display=:99,active=yes,remote=yes",
                             "id=i1,uid=4242,name=alice,type=x11,display=:98,active=no,remote=no",
                             "id=t1,uid=4242,name=alice,type=tty,display=,active=yes,remote=no",
                             "id=o1,uid=4343,name=bob,type=x11,display=:55,active=yes,remote=no",
                             "id=c7,uid=4242,name=alice,type=x11,display=:77,active=yes,remote=no"}));
    const AgentRun run = identityAs("4242");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QMap<QString, QString> identity = run.identity();
    EXPECT_EQ(identity.value("uid"), "4242,4242,4242");
    EXPECT_EQ(identity.value("gid"), "4242,4242,4242");
    EXPECT_EQ(identity.value("groups"), "");
    EXPECT_EQ(identity.value("cwd"), "/");
    // No account: the number stands for the name, the home is "/".
    EXPECT_EQ(identity.value("HOME"), "/");
    EXPECT_EQ(identity.value("USER"), "4242");
    EXPECT_EQ(identity.value("LOGNAME"), "4242");
    EXPECT_EQ(identity.value("DISPLAY"), ":77");
    EXPECT_EQ(identity.value("XDG_RUNTIME_DIR"), runtime.path());
    EXPECT_EQ(identity.value("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + runtime.filePath("bus"));
    EXPECT_FALSE(identity.contains("WAYLAND_DISPLAY"));
    EXPECT_FALSE(identity.contains("XAUTHORITY"));
    EXPECT_EQ(identity.value("VORA_AGENT_ROOT"), QString::fromStdString(root.root()));
    EXPECT_TRUE(run.err.contains(
        "vora-agent: display environment from logind session c7 of alice (x11): DISPLAY=:77 "))
        << run.err.toStdString();
    EXPECT_TRUE(
        run.err.contains("vora-agent: the dialog runs as uid 4242 (no account), gid 4242, groups: none"));
    // Standard output carries the report alone.
    EXPECT_TRUE(QJsonDocument::fromJson(run.out).object()["crashed"].isBool()) << run.out.toStdString();
}

TEST_F(DialogUserTest, WaylandSessionGetsTheConventionalSocketName)
{
    MakeSocket(runtime.filePath("wayland-0"));
    ASSERT_TRUE(startLogind({"id=w2,uid=4242,name=alice,type=wayland,display=,active=yes,remote=no"}));
    const QMap<QString, QString> identity = identityAs("4242").identity();
    EXPECT_EQ(identity.value("WAYLAND_DISPLAY"), "wayland-0");
    EXPECT_FALSE(identity.contains("DISPLAY"));
    EXPECT_FALSE(identity.contains("DBUS_SESSION_BUS_ADDRESS")); // no bus socket there
    EXPECT_EQ(identity.value("XDG_RUNTIME_DIR"), runtime.path());
}

TEST_F(DialogUserTest, AccountGivesItsGroupsHomeAndName)
{
    ASSERT_TRUE(startLogind({"id=c7,uid=4242,name=alice,type=x11,display=:77,active=yes,remote=no"}));
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const QString home = QString::fromLocal8Bit(nobody->pw_dir);
    std::vector<gid_t> groups(64);
    int count = static_cast<int>(groups.size());
    ASSERT_GE(getgrouplist("nobody", gid, groups.data(), &count), 0);
    QStringList expectedGroups;
    for (int i = 0; i < count; ++i) {
        expectedGroups.append(QString::number(groups[static_cast<size_t>(i)]));
    }

    const AgentRun run = identityAs("nobody");
    const QMap<QString, QString> identity = run.identity();
    EXPECT_EQ(identity.value("uid"), QStringLiteral("%1,%1,%1").arg(uid));
    EXPECT_EQ(identity.value("gid"), QStringLiteral("%1,%1,%1").arg(gid));
    EXPECT_EQ(identity.value("groups"), expectedGroups.join(','));
    EXPECT_EQ(identity.value("HOME"), home);
    EXPECT_EQ(identity.value("USER"), "nobody");
    EXPECT_EQ(identity.value("LOGNAME"), "nobody");
    // logind knows no session of that user: the caller's display stays, and the log says why.
    EXPECT_EQ(identity.value("DISPLAY"), ":1");
    EXPECT_TRUE(
        run.err.contains(QStringLiteral("vora-agent: display environment from the caller's environment "
                                        "(logind has no session of uid %1)")
                             .arg(uid)))
        << run.err.toStdString();
}

TEST_F(DialogUserTest, WithoutLogindTheCallersDisplayStays)
{
    const AgentRun run = identityAs("4242");
    const QMap<QString, QString> identity = run.identity();
    EXPECT_EQ(identity.value("uid"), "4242,4242,4242");
    EXPECT_EQ(identity.value("DISPLAY"), ":1");
    EXPECT_EQ(identity.value("WAYLAND_DISPLAY"), "caller-wayland");
    EXPECT_TRUE(
        run.err.contains("vora-agent: display environment from the caller's environment (logind is not "
                         "on the system bus): DISPLAY=:1 "))
        << run.err.toStdString();
}

TEST_F(DialogUserTest, OnlyRootChoosesAnotherUser)
{
    const AgentRun refused = identityAs("0", true);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(
        refused.err.contains("vora-agent: --user 0: only root may start a dialog as another user (this "
                             "runs as uid 4242)"))
        << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains("uid="));

    const AgentRun own = identityAs("4242", true);
    EXPECT_EQ(own.exitCode, 0) << own.err.toStdString();
    EXPECT_EQ(own.identity().value("uid"), "4242,4242,4242");

    const AgentRun unknown = identityAs("no-such-user-here");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("vora-agent: no such user: no-such-user-here"));
}

// The real dialog as uid 4242 on an X server of its own, which only the
// session from logind names: the caller's DISPLAY points nowhere.
TEST_F(DialogUserTest, RealDialogRunsAsTheUserOnTheSessionsDisplay)
{
    QProcess xserver;
    xserver.start("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
    if (!xserver.waitForStarted(10000)) {
        GTEST_SKIP() << "Xvfb missing";
    }
    ASSERT_TRUE(WaitUntil([&] { return xserver.canReadLine(); }, 30000));
    const QString display = ":" + QString::fromUtf8(xserver.readLine()).trimmed();

    // The dialog writes below the agent root as the user, so the root is
    // open to it; its runtime directory is its own.
    ASSERT_EQ(chmod(root.root().c_str(), 01777), 0);
    ASSERT_EQ(chown(QFile::encodeName(runtime.path()).constData(), 4242, 4242), 0);
    ASSERT_TRUE(
        startLogind({"id=x1,uid=4242,name=alice,type=x11,display=" + display + ",active=yes,remote=no"}));
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("VUSERALERT", VUSERALERT_PATH);

    QProcess standIn;
    standIn.setProcessEnvironment(environment);
    standIn.start(VORA_AGENT_PATH, {"dialog", "--user", "4242", "--", "-name=As the user", "-message=Hello",
                                    "-noButtons", "-timeout=2"});
    ASSERT_TRUE(standIn.waitForStarted());
    // The dialog, a child of the stand-in: who it runs as and where it shows.
    QString status;
    QByteArray dialogEnvironment;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
                QFile stat("/proc/" + pid + "/stat");
                if (!stat.open(QIODevice::ReadOnly)) {
                    continue;
                }
                const QList<QByteArray> fields = stat.readAll().split(' ');
                if (fields.value(1) == "(VUserAlert)" &&
                    fields.value(3).toLongLong() == standIn.processId()) {
                    QFile statusFile("/proc/" + pid + "/status");
                    QFile environ("/proc/" + pid + "/environ");
                    if (statusFile.open(QIODevice::ReadOnly) && environ.open(QIODevice::ReadOnly)) {
                        status = QString::fromUtf8(statusFile.readAll());
                        dialogEnvironment = environ.readAll();
                        return true;
                    }
                }
            }
            return false;
        },
        30000));
    EXPECT_TRUE(status.contains("\nUid:\t4242\t4242\t4242\t4242\n")) << status.toStdString();
    EXPECT_TRUE(status.contains("\nGid:\t4242\t4242\t4242\t4242\n")) << status.toStdString();
    const QString groups = status.mid(status.indexOf("\nGroups:") + 8).section('\n', 0, 0);
    EXPECT_EQ(groups.trimmed(), "") << status.toStdString();
    EXPECT_TRUE(dialogEnvironment.split('\0').contains("DISPLAY=" + display.toUtf8()));

    ASSERT_TRUE(WaitUntil([&] { return standIn.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(standIn.exitCode(), 0) << standIn.readAllStandardError().toStdString();
    const QJsonObject report = QJsonDocument::fromJson(standIn.readAllStandardOutput()).object();
    // An X client that cannot reach its display aborts; this one ended on its own.
    EXPECT_FALSE(report["crashed"].toBool(true));
    EXPECT_EQ(report["exitStatus"].toInt(-1), 0);
    xserver.terminate();
    xserver.waitForFinished(10000);
}
