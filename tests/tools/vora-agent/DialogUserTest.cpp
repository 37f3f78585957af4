// "vora-agent dialog --user": the dialog started as another user, with the
// display environment of that user's session from a fake logind on this
// test program's private system bus. The launched program is mostly
// vora-print-identity, which prints who it runs as; one test runs the real
// VUserAlert as a uid without an account (4242, or the next free one) on an X server of its own.
#include "FileHelpers.h"
#include "ProcessView.h"
#include "QtPrinters.h"
#include "ServiceProcess.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "WaitUntil.h"
#include "XvfbServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <iterator>

#include <fcntl.h>
#include <grp.h>
#include <linux/filter.h>
#include <linux/keyctl.h>
#include <linux/seccomp.h>
#include <pwd.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The first uid from `from` on without an account here: the tests run
// dialogs as users that have none, and never make one.
uid_t FreeUid(uid_t from)
{
    while (getpwuid(from) != nullptr) {
        ++from;
    }
    return from;
}
const uid_t kUidNumber = FreeUid(4242);
const QString kUid = QString::number(kUidNumber);
const QString kOtherUid = QString::number(FreeUid(kUidNumber + 1));

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
        QStringList arguments{"--user", "uid=" + kUid + ",runtime=" + runtime.path()};
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
            arguments = QStringList{"--reuid", kUid, "--regid", kUid, "--clear-groups", program} + arguments;
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
    ASSERT_TRUE(startLogind({"id=r1,uid=" + kUid + ",name=alice,type=x11,display=:99,active=yes,remote=yes",
                             "id=i1,uid=" + kUid + ",name=alice,type=x11,display=:98,active=no,remote=no",
                             "id=t1,uid=" + kUid + ",name=alice,type=tty,display=,active=yes,remote=no",
                             "id=o1,uid=" + kOtherUid + ",name=bob,type=x11,display=:55,active=yes,remote=no",
                             "id=c7,uid=" + kUid + ",name=alice,type=x11,display=:77,active=yes,remote=no"}));
    const AgentRun run = identityAs(kUid);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QMap<QString, QString> identity = run.identity();
    // No account: the overflow group, no supplementary groups (its own
    // number as gid could be a group with rights of its own).
    EXPECT_EQ(identity.value("uid"), kUid + "," + kUid + "," + kUid);
    EXPECT_EQ(identity.value("gid"), "65534,65534,65534");
    EXPECT_EQ(identity.value("groups"), "");
    EXPECT_EQ(identity.value("cwd"), "/");
    // No account: the number stands for the name, the home is "/".
    EXPECT_EQ(identity.value("HOME"), "/");
    EXPECT_EQ(identity.value("USER"), kUid);
    EXPECT_EQ(identity.value("LOGNAME"), kUid);
    EXPECT_EQ(identity.value("DISPLAY"), ":77");
    EXPECT_EQ(identity.value("XDG_RUNTIME_DIR"), runtime.path());
    EXPECT_EQ(identity.value("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + runtime.filePath("bus"));
    EXPECT_FALSE(identity.contains("WAYLAND_DISPLAY"));
    EXPECT_FALSE(identity.contains("XAUTHORITY"));
    EXPECT_EQ(identity.value("VORA_AGENT_ROOT"), QString::fromStdString(root.root()));
    EXPECT_TRUE(run.err.contains(
        "vora-agent: display environment from logind session c7 of alice (x11): DISPLAY=:77 "))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("vora-agent: the dialog runs as uid " + kUid +
                                 " (no account), gid 65534, groups: none"));
    // Standard output carries the report alone.
    EXPECT_TRUE(QJsonDocument::fromJson(run.out).object()["crashed"].isBool()) << run.out.toStdString();
}

// A Wayland session's sockets and X cookie, found in her runtime directory
// (and /tmp/.X11-unix): only sockets and regular files she owns, looked at
// with lstat (a link of hers to root's cookie is not taken).
TEST_F(DialogUserTest, WaylandSessionFindsHerSocketsAndCookie)
{
    ASSERT_TRUE(
        startLogind({"id=w2,uid=" + kUid + ",name=alice,type=wayland,display=,active=yes,remote=no"}));
    // An X socket of hers, as Xwayland leaves, at a display number free here.
    const QString xDirectory = "/tmp/.X11-unix";
    int number = 4242;
    while (QFile::exists(xDirectory + "/X" + QString::number(number))) {
        ++number;
    }
    const QString xSocket = xDirectory + "/X" + QString::number(number);
    struct RemovedAtTheEnd
    {
        QString path;
        ~RemovedAtTheEnd() { QFile::remove(path); }
    } const removeX{xSocket};
    // Made by the X servers of other tests; not made here.
    const bool xHere = QFileInfo(xDirectory).isDir();
    const struct
    {
        const char* name;
        // "s NAME" a socket, "f NAME" a file, "l NAME" a link to a root-only
        // file; "NAME root" belongs to root, otherwise to her.
        QStringList entries;
        bool xSocket;
        QString wayland;
        QString cookie; // relative to the runtime directory
    } cases[] = {
        {"GNOME: wayland-1 and Xwayland's cookie",
         {"s wayland-1", "f wayland-1.lock", "f .mutter-Xwaylandauth.Q1W2E3", "f gdm/Xauthority"},
         true,
         "wayland-1",
         ".mutter-Xwaylandauth.Q1W2E3"},
        {"wayland-0 preferred, the display manager's cookie",
         {"s wayland-1", "s wayland-0", "f gdm/Xauthority"},
         false,
         "wayland-0",
         "gdm/Xauthority"},
        {"root's socket and cookie, and a link of hers, are not taken",
         {"s wayland-0 root", "s wayland-2", "l .mutter-Xwaylandauth.LINK01", "f gdm/Xauthority root",
          "s wayland-3.lock"},
         false,
         "wayland-2",
         ""},
        {"nothing of hers; wayland-00 is not wayland-0", {"f wayland-0", "s wayland-00"}, false, "", ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        QDir(runtime.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(runtime.filePath("gdm")));
        ASSERT_EQ(::chown(QFile::encodeName(runtime.filePath("gdm")).constData(), kUidNumber, kUidNumber), 0);
        for (const QString& entry : test.entries) {
            const QStringList parts = entry.split(' ');
            const QByteArray path = QFile::encodeName(runtime.filePath(parts[1]));
            if (parts[0] == "s") {
                MakeSocket(runtime.filePath(parts[1]));
            } else if (parts[0] == "f") {
                WriteFile(path.toStdString(), "cookie\n");
            } else {
                ASSERT_EQ(::symlink("/etc/shadow", path.constData()), 0);
            }
            const uid_t owner = parts.value(2) == "root" ? 0 : kUidNumber;
            ASSERT_EQ(::lchown(path.constData(), owner, owner), 0) << entry.toStdString();
        }
        if (test.xSocket && xHere) {
            MakeSocket(xSocket);
            ASSERT_EQ(::chown(QFile::encodeName(xSocket).constData(), kUidNumber, kUidNumber), 0);
        }
        const AgentRun run = identityAs(kUid);
        QFile::remove(xSocket);
        const QMap<QString, QString> identity = run.identity();
        EXPECT_EQ(identity.value("WAYLAND_DISPLAY"), test.wayland) << run.err.toStdString();
        EXPECT_EQ(identity.value("DISPLAY"),
                  test.xSocket && xHere ? ":" + QString::number(number) : QString());
        EXPECT_EQ(identity.value("XAUTHORITY"),
                  test.cookie.isEmpty() ? QString() : runtime.filePath(test.cookie));
        EXPECT_EQ(identity.value("XDG_RUNTIME_DIR"), runtime.path());
        EXPECT_TRUE(
            run.err.contains("vora-agent: display environment from logind session w2 of alice (wayland): "))
            << run.err.toStdString();
    }
}

TEST_F(DialogUserTest, AccountGivesItsGroupsHomeAndName)
{
    ASSERT_TRUE(startLogind({"id=c7,uid=" + kUid + ",name=alice,type=x11,display=:77,active=yes,remote=no"}));
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

    // Root's session keyring (here a fresh one of this test's) stays behind.
    const long rootsKeyring = syscall(SYS_keyctl, KEYCTL_JOIN_SESSION_KEYRING, "vora-agent-test");
    ASSERT_GT(rootsKeyring, 0) << std::strerror(errno);

    const AgentRun run = identityAs("nobody");
    const QMap<QString, QString> identity = run.identity();
    EXPECT_FALSE(identity.value("session-keyring").isEmpty()) << run.err.toStdString();
    EXPECT_NE(identity.value("session-keyring"), QString::number(rootsKeyring));
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
    const AgentRun run = identityAs(kUid);
    const QMap<QString, QString> identity = run.identity();
    EXPECT_EQ(identity.value("uid"), kUid + "," + kUid + "," + kUid);
    EXPECT_EQ(identity.value("DISPLAY"), ":1");
    EXPECT_EQ(identity.value("WAYLAND_DISPLAY"), "caller-wayland");
    // Files the caller names pass only when they are the user's: not root's X cookie.
    EXPECT_FALSE(identity.contains("XAUTHORITY"));
    EXPECT_TRUE(run.err.contains("vora-agent: the caller's XAUTHORITY=/root/.Xauthority is not passed on: it "
                                 "names no file of uid " +
                                 kUid))
        << run.err.toStdString();
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
                             "runs as uid " +
                             kUid + ")"))
        << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains("uid="));

    const AgentRun own = identityAs(kUid, true);
    EXPECT_EQ(own.exitCode, 0) << own.err.toStdString();
    EXPECT_EQ(own.identity().value("uid"), kUid + "," + kUid + "," + kUid);

    const AgentRun unknown = identityAs("no-such-user-here");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("vora-agent: no such user: no-such-user-here"));
}

// A dialog that hangs and shrugs off SIGTERM (its user's doing, or a
// fault) is killed 5 s after the SIGTERM, with whatever it started.
TEST_F(DialogUserTest, HungDialogIsKilledAtItsWaitLimit)
{
    const QString hung = QString::fromStdString(root.root()) + "/hung-dialog";
    WriteFile(hung.toStdString(),
              "#!/bin/sh\ntrap '' TERM\necho hanging\nprintf '\\033]0;OWNED\\007\\302\\233\\n'\n"
              "while :; do sleep 1; done\n");
    ASSERT_EQ(chmod(root.root().c_str(), 0755), 0);
    ASSERT_EQ(chmod(QFile::encodeName(hung).constData(), 0755), 0);
    const AgentRun run =
        agent({"dialog", "--user", kUid, "--program", hung, "--", "-name=Hung", "-timeout=1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject report = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(report["endedByAgent"].toObject(), (QJsonObject{{"state", "running"}, {"signal", "SIGKILL"}}))
        << run.out.toStdString();
    EXPECT_TRUE(report["crashed"].toBool());
    EXPECT_TRUE(run.err.contains("\nhanging\n")) << run.err.toStdString();
    // Relayed for an administrator's terminal to show, not to obey.
    EXPECT_TRUE(run.err.contains("\\x1b]0;OWNED\\x07\\u009b\n")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains('\x1b'));
    EXPECT_TRUE(
        run.err.contains("did not end within its wait limit of 16 s (it was running): ended with SIGKILL"))
        << run.err.toStdString();
}

// From here on, in this process and every process it starts, close_range
// fails with ENOSYS, as on kernels before 5.9.
void RefuseCloseRange()
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_close_range, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program = {static_cast<unsigned short>(std::size(filter)), filter};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
        ::_exit(126);
    }
}

// What may reach a dialog started for a user; anything else of the caller
// must not.
bool AllowedVariable(const QByteArray& entry)
{
    static const QList<QByteArray> names = {"HOME", "USER", "LOGNAME", "PATH", "LANG", "LANGUAGE", "DISPLAY",
                                            "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS",
                                            "XAUTHORITY", "VORA_AGENT_ROOT", "VEJBINSTANCE",
                                            "QT_QPA_PLATFORM",
                                            // sanitizer builds only, where the dialog is built alike
                                            "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"};
    const QByteArray name = entry.left(entry.indexOf('='));
    return names.contains(name) || name.startsWith("LC_");
}

// The real dialog as that uid on an X server of its own, which only the
// session from logind names (the caller's DISPLAY points nowhere), started
// by a caller as root would be: umask 077, a root-only file open and
// inheritable at descriptor 42, secrets and root's library and plugin paths
// in its environment. A dialog its user stops (SIGSTOP) is ended at the
// wait limit, and the report says so.
TEST_F(DialogUserTest, RealDialogRunsAsTheUserWithNothingOfTheCaller)
{
    const XvfbServer xserver;
    if (!xserver.isRunning()) {
        GTEST_SKIP() << "Xvfb missing";
    }
    // The dialog writes below the agent root as the user, so the root is
    // open to it; its runtime directory is its own.
    ASSERT_EQ(chmod(root.root().c_str(), 01777), 0);
    ASSERT_EQ(chown(QFile::encodeName(runtime.path()).constData(), kUidNumber, kUidNumber), 0);
    ASSERT_TRUE(startLogind({"id=x1,uid=" + kUid + ",name=alice,type=x11,display=" + xserver.display() +
                             ",active=yes,remote=no"}));
    // The layout with its modes, whatever the umask of the agent below.
    QProcess prepare;
    prepare.setProcessEnvironment(environment);
    prepare.start(VORA_AGENT_PATH, {"prepare"});
    ASSERT_TRUE(prepare.waitForFinished(30000));
    ASSERT_EQ(prepare.exitCode(), 0) << prepare.readAllStandardError().toStdString();
    QTemporaryDir rootOnly;
    ASSERT_TRUE(rootOnly.isValid());
    const QString secretPath = rootOnly.filePath("secret");
    WriteFile(secretPath.toStdString(), "root's secret\n");
    ASSERT_EQ(chmod(QFile::encodeName(secretPath).constData(), 0600), 0);
    const int secret = ::open(QFile::encodeName(secretPath).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(secret, 0);
    environment.insert("VUSERALERT", VUSERALERT_PATH);
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("LD_LIBRARY_PATH", "/root/private-libraries");
    environment.insert("QT_PLUGIN_PATH", "/root/private-plugins");
    environment.insert("AGENT_ENROLMENT_TOKEN", "s3cr3t-t0k3n");

    const struct
    {
        const char* name;
        int timeoutSeconds;
        bool stopIt;
        bool refuseCloseRange;
        // Steered by a script while another free uid re-creates the name of each
        // marker as soon as the dialog has taken root's: it ends by its EXIT.
        QByteArray script = QByteArray();
    } cases[] = {{"ends at its own time-out", 2, false, false},
                 {"stopped by its user", 1, true, false},
                 {"on a kernel without close_range", 2, false, true},
                 {"steered while another user plants its marker", 60, false, false, "progon\nawait\nexit\n"}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        QProcess standIn;
        standIn.setProcessEnvironment(environment);
        standIn.setChildProcessModifier([secret, refuse = test.refuseCloseRange] {
            ::umask(077);
            ::dup2(secret, 42); // the copy is inheritable
            // Soft limits: raising a hard one again takes CAP_SYS_RESOURCE,
            // which containers often lack.
            rlimit core = {};
            rlimit descriptors = {};
            rlimit pending = {};
            ::getrlimit(RLIMIT_CORE, &core);
            ::getrlimit(RLIMIT_NOFILE, &descriptors);
            ::getrlimit(RLIMIT_SIGPENDING, &pending);
            core.rlim_cur = core.rlim_max;
            descriptors.rlim_cur = 4321;
            pending.rlim_cur = 123;
            ::setrlimit(RLIMIT_CORE, &core);
            ::setrlimit(RLIMIT_NOFILE, &descriptors);
            ::setrlimit(RLIMIT_SIGPENDING, &pending);
            ::setpriority(PRIO_PROCESS, 0, 3);
            const sched_param batch = {};
            ::sched_setscheduler(0, SCHED_BATCH, &batch);
            ::syscall(SYS_ioprio_set, 1 /* this process */, 0, (2 << 13) | 7 /* best effort, lowest */);
            const int adjustment = ::open("/proc/self/oom_score_adj", O_WRONLY);
            (void)!::write(adjustment, "5", 1);
            ::close(adjustment);
            if (refuse) {
                RefuseCloseRange();
            }
        });
        QStringList arguments{"dialog", "--user", kUid};
        QProcess hostile;
        if (!test.script.isEmpty()) {
            arguments << "--script"
                      << "-";
            const std::string planted = VUAMarkerMgr(std::string("h1")).GetFilePath(MARKER_PROGON);
            hostile.start("setpriv", {"--reuid", kOtherUid, "--regid", kOtherUid, "--clear-groups", "sh",
                                      "-c", "set -C; while :; do true >\"$0\"; done 2>/dev/null",
                                      QString::fromStdString(planted)});
            ASSERT_TRUE(hostile.waitForStarted());
        }
        standIn.start(VORA_AGENT_PATH,
                      arguments + QStringList{"--", "-name=As the user", "-message=Hello", "-noButtons",
                                              "-suffix=h1",
                                              QStringLiteral("-timeout=%1").arg(test.timeoutSeconds)});
        ASSERT_TRUE(standIn.waitForStarted());
        standIn.write(test.script);
        standIn.closeWriteChannel();
        qint64 dialog = 0;
        ProcessView view;
        ASSERT_TRUE(WaitUntil(
            [&] {
                dialog = ChildNamed(standIn.processId(), "VUserAlert");
                view = dialog != 0 ? ViewOf(dialog) : ProcessView();
                return CatchesSigterm(view.status);
            },
            30000));
        if (test.stopIt) {
            ASSERT_EQ(::kill(static_cast<pid_t>(dialog), SIGSTOP), 0);
        }

        EXPECT_TRUE(view.status.contains("\nUid:\t" + kUid + "\t" + kUid + "\t" + kUid + "\t" + kUid + "\n"))
            << view.status.toStdString();
        EXPECT_TRUE(view.status.contains("\nGid:\t65534\t65534\t65534\t65534\n"))
            << view.status.toStdString();
        const QString groups = view.status.mid(view.status.indexOf("\nGroups:") + 8).section('\n', 0, 0);
        EXPECT_EQ(groups.trimmed(), "") << view.status.toStdString();
        EXPECT_TRUE(view.status.contains("\nUmask:\t0022\n")) << view.status.toStdString();
        // Not the caller's limits (core "unlimited", 4321 descriptors, 123
        // pending signals), nice value 3, SCHED_BATCH, I/O priority best
        // effort 7 or OOM adjustment 5: those of a fresh login, PID 1's
        // limits.
        // Where the agent's hard limit is lower, which only CAP_SYS_RESOURCE
        // raises, that one.
        const QString pid1 = QString::fromUtf8(ReadAll("/proc/1/limits"));
        for (const auto& [name, resource] : {std::pair{"Max core file size", RLIMIT_CORE},
                                             {"Max open files", RLIMIT_NOFILE},
                                             {"Max processes", RLIMIT_NPROC},
                                             {"Max stack size", RLIMIT_STACK},
                                             {"Max pending signals", RLIMIT_SIGPENDING}}) {
            rlimit ours = {};
            ::getrlimit(resource, &ours);
            EXPECT_EQ(LimitValues(LimitLine(view.limits, name)),
                      ClampedTo(LimitValues(LimitLine(pid1, name)), ours.rlim_max))
                << name;
        }
        EXPECT_EQ(view.nice, "0");
        EXPECT_EQ(view.policy, "0"); // SCHED_OTHER
        // Class none, which kernels report as such or as best effort at
        // the level of nice 0.
        EXPECT_TRUE(view.ioClass == 0 || (view.ioClass == 2 && view.ioLevel == 4))
            << view.ioClass << "/" << view.ioLevel;
        EXPECT_EQ(view.oomAdjust, "0");
        EXPECT_TRUE(view.environment.contains("DISPLAY=" + xserver.display().toUtf8()));
        for (const QByteArray& entry : view.environment) {
            EXPECT_TRUE(AllowedVariable(entry)) << entry.toStdString();
            EXPECT_FALSE(entry.contains("/root/") || entry.contains("s3cr3t")) << entry.toStdString();
        }
        // Nothing of the caller's descriptors: not the root-only file, not
        // its standard output or error; input from /dev/null, output into
        // pipes of the agent.
        const QString agentFd = "/proc/" + QString::number(standIn.processId()) + "/fd/";
        EXPECT_EQ(view.descriptors.value(0), "/dev/null");
        for (const int fd : view.descriptors.keys()) {
            EXPECT_NE(view.descriptors.value(fd), secretPath) << fd;
            EXPECT_NE(view.descriptors.value(fd), ReadLink(agentFd + "1")) << fd;
            EXPECT_NE(view.descriptors.value(fd), ReadLink(agentFd + "2")) << fd;
        }
        EXPECT_TRUE(view.descriptors.value(1).startsWith("pipe:")) << view.descriptors.value(1).toStdString();
        EXPECT_TRUE(view.descriptors.value(2).startsWith("pipe:")) << view.descriptors.value(2).toStdString();

        // Within its wait limit (time-out + 15 s, then 5 s for SIGTERM).
        ASSERT_TRUE(WaitUntil([&] { return standIn.state() == QProcess::NotRunning; },
                              (test.timeoutSeconds + 15 + 5 + 30) * 1000))
            << standIn.readAllStandardError().toStdString() << ProcessTree(standIn.processId()).toStdString();
        hostile.kill();
        hostile.waitForFinished();
        const QByteArray err = standIn.readAllStandardError();
        EXPECT_EQ(standIn.exitCode(), 0) << err.toStdString();
        const QJsonObject report = QJsonDocument::fromJson(standIn.readAllStandardOutput()).object();
        EXPECT_EQ(report["waitLimitSeconds"].toInt(), test.timeoutSeconds + 15);
        // An X client that cannot reach its display aborts; this one ended
        // on its own or through its SIGTERM handler, with status 0.
        EXPECT_FALSE(report["crashed"].toBool(true));
        EXPECT_EQ(report["exitStatus"].toInt(-1), 0);
        if (test.stopIt) {
            EXPECT_EQ(report["endedByAgent"].toObject(),
                      (QJsonObject{{"state", "stopped"}, {"signal", "SIGTERM"}}));
            EXPECT_TRUE(err.contains(
                "did not end within its wait limit of 16 s (it was stopped): ended with SIGTERM"))
                << err.toStdString();
            // The dialog's own last line, relayed through the agent.
            EXPECT_TRUE(err.contains("VUserAlert:  ended by signal SIGTERM")) << err.toStdString();
        } else {
            EXPECT_TRUE(report["endedByAgent"].isNull()) << err.toStdString();
        }
    }
    ::close(secret);
}
