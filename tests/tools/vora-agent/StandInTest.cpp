// The agent stand-in, run as a process against the real VUserAlert, a
// temporary agent root and the private system bus of this test program.
#include "AnswerReader.h"
#include "ChildProcess.h"
#include "DarwinNotificationsManager.h"
#include "DialogRunner.h"
#include "DialogSteering.h"
#include "FakeHelperProcess.h"
#include "FileHelpers.h"
#include "MessageLog.h"
#include "OutputRelay.h"
#include "ScopedEnv.h"
#include "ScopedFd.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "WaitUntil.h"
#include "encoding.h"
#include "md5.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <future>

#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

struct StandInRun
{
    int exitCode;
    QByteArray out;
    QByteArray err;
};

class StandInTest : public ::testing::Test
{
protected:
    // The programs' environment: this test's agent root, offscreen widgets.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VORA_AGENT_ROOT", QString::fromStdString(root.root()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("VUSERALERT", VUSERALERT_PATH);
        return environment;
    }

    StandInRun standIn(const QStringList& arguments, const QByteArray& input = QByteArray())
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(VORA_AGENT_PATH, arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QJsonObject dialog(const QStringList& options, const QByteArray& script = QByteArray())
    {
        QStringList arguments{"dialog"};
        if (!script.isEmpty()) {
            arguments << "--script"
                      << "-";
        }
        arguments << "--" << options;
        const StandInRun run = standIn(arguments, script);
        EXPECT_EQ(run.exitCode, 0);
        return QJsonDocument::fromJson(run.out).object();
    }

    TempAgentRoot root;
};

} // namespace

TEST_F(StandInTest, ScriptedDialogReportsItsAnswer)
{
    root.writeConfig("companyname=Acme\n");
    const QJsonObject report =
        dialog({"-name=Editor", "-message=Starting", "-ok", "-default=yes", "-timeout=300"},
               "# replayed interaction\n"
               "message @(Downloading) Editor\nawait\n"
               "append 40 %\nawait\n"
               "progon\nawait\nshowok\nawait\nfinish\nawait\nprogoff\nawait\n"
               "timeout 0\n");
    EXPECT_EQ(report["suffix"].toString().toStdString(), CreateHash("Editor"));
    EXPECT_EQ(report["result"].toString(), "yes");
    EXPECT_EQ(report["words"].toArray(), QJsonArray{"yes"});
    EXPECT_EQ(report["exitStatus"].toInt(-1), 0);
    EXPECT_FALSE(report["crashed"].toBool());
    EXPECT_TRUE(report["snoozeChoices"].toArray().isEmpty());
}

TEST_F(StandInTest, MultiPageSnoozeChoicesAreParsed)
{
    const QJsonObject report =
        dialog({"-name=Updates", "-multisnoozemessage=PRE7^Editor^Install^-1^^8^Browser^Update^-1",
                "-default=snooze"});
    EXPECT_EQ(report["result"].toString(), "snooze");
    const QJsonArray choices = report["snoozeChoices"].toArray();
    ASSERT_EQ(choices.size(), 2);
    EXPECT_EQ(choices[0].toObject()["chunkId"].toInt(), 7);
    EXPECT_EQ(choices[1].toObject()["snoozeIndex"].toInt(-9), 0);
    EXPECT_TRUE(choices[1].toObject()["timedOut"].toBool());
}

TEST_F(StandInTest, ExitMarkerAndStartFailures)
{
    const QJsonObject closed = dialog({"-name=Closing", "-yesno", "-suffix=my.dialog"}, "exit\n");
    EXPECT_EQ(closed["suffix"].toString(), "myXdialog");
    EXPECT_TRUE(closed["result"].isNull());
    EXPECT_EQ(closed["exitStatus"].toInt(-1), 0);

    const QJsonObject invalid = dialog({"-ok", "-yesno"});
    EXPECT_TRUE(invalid["result"].isNull());
    EXPECT_EQ(invalid["suffix"].toString(), "");
    EXPECT_EQ(invalid["exitStatus"].toInt(-1), 0);

    const QJsonObject crashed = dialog({"-vcrash"});
    EXPECT_TRUE(crashed["crashed"].toBool());
}

// An EXIT given with no dialog open does not close the next dialog of the
// suffix: the start clears it, so the dialog lives to take its commands.
TEST_F(StandInTest, StaleExitDoesNotCloseTheNextDialog)
{
    ASSERT_EQ(standIn({"steer", "--suffix", "stale", "exit"}).exitCode, 0);
    const StandInRun run = standIn(
        {"dialog", "--script", "-", "--", "-name=Stale", "-message=m", "-suffix=stale", "-timeout=300"},
        "progon\nawait\nexit\n");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("did not take")) << run.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(run.out).object()["exitStatus"].toInt(-1), 0);
}

// A dialog that ends while the script waits (its user answered, its
// time-out passed) is reported as it ended: the script has nothing left to
// steer, and that is no failure. The marker it never took is removed, or
// the next dialog of the suffix would obey it.
TEST_F(StandInTest, DialogEndingWhileTheScriptWaitsIsReported)
{
    // Ends a second after the message marker appears, without taking it.
    const std::string brief = root.root() + "/brief-dialog";
    const std::string message = VUAMarkerMgr(std::string("brief")).GetFilePath(MARKER_MESG);
    WriteFile(brief, "#!/bin/sh\nwhile [ ! -e '" + message + "' ]; do sleep 0.05; done\nsleep 1\nexit 3\n");
    ASSERT_EQ(chmod(brief.c_str(), 0755), 0);
    for (const char* script :
         {"message never taken\nawait\nexit\n", "message never taken\nwait 120000\nexit\n"}) {
        SCOPED_TRACE(script);
        const StandInRun run = standIn({"dialog", "--script", "-", "--program", QString::fromStdString(brief),
                                        "--", "-name=Brief", "-message=Hi", "-suffix=brief"},
                                       script);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(run.out).object()["exitStatus"].toInt(-1), 3);
        EXPECT_TRUE(run.err.contains(QByteArray::fromStdString("did not take " + message + "; removed it")))
            << run.err.toStdString();
        EXPECT_FALSE(PathExists(message));
    }
}

TEST_F(StandInTest, SteeringARunningDialogBySuffix)
{
    QProcess dialogProcess;
    dialogProcess.setProcessEnvironment(environment());
    dialogProcess.start(VUSERALERT_PATH, {"-name=Steered", "-cancel", "-suffix=s1", "-timeout=300"});
    ASSERT_TRUE(dialogProcess.waitForStarted());

    VUAMarkerMgr agent(std::string("s1"));
    EXPECT_EQ(standIn({"steer", "--suffix", "s1", "message", "Hello"}).exitCode, 0);
    EXPECT_TRUE(WaitUntil([&] { return !agent.Exists(MARKER_MESG); }));
    EXPECT_EQ(standIn({"steer", "--suffix", "s1", "append", "more"}).exitCode, 0);
    EXPECT_TRUE(WaitUntil([&] { return !agent.Exists(MARKER_MESG) && !agent.Exists(MARKER_APND); }));
    EXPECT_EQ(standIn({"steer", "--suffix", "s1", "bogus"}).exitCode, 2);
    EXPECT_EQ(standIn({"steer", "--suffix", "s1", "timeout", "soon"}).exitCode, 2);
    EXPECT_EQ(standIn({"steer", "--suffix", "s1", "--script", "-"}, "showok\nawait\nexit\n").exitCode, 0);
    ASSERT_TRUE(WaitForEnd(dialogProcess, 30000));
    EXPECT_EQ(dialogProcess.exitCode(), 0);
}

TEST_F(StandInTest, SuffixEncodeAndConfiguration)
{
    EXPECT_EQ(standIn({"suffix", "--", "-name=Foo"}).out.trimmed().toStdString(), CreateHash("Foo"));
    EXPECT_EQ(standIn({"suffix", "--", "-suffix=a-b"}).out.trimmed(), "aXb");
    EXPECT_EQ(standIn({"suffix", "--", "-ok", "-yesno"}).exitCode, 2);

    const QByteArray encoded = standIn({"encode", "Grüße, VORA"}).out.trimmed();
    EXPECT_EQ(DecodeAndStripTags(encoded.toStdString()), "Grüße, VORA");
    // --encode hands the dialog the same text: the suffix is unchanged.
    const QJsonObject report = dialog({"-name=Grüße", "-ok", "-timeout=1"});
    EXPECT_EQ(report["suffix"].toString().toStdString(), CreateHash("Grüße"));

    EXPECT_EQ(standIn({"write-config", "launchmenu=true", "companyname=Acme"}).exitCode, 0);
    EXPECT_EQ(ReadFile(root.dataDir() + "arn.conf"), "launchmenu=true\ncompanyname=Acme\n");
    EXPECT_EQ(standIn({"write-config", "novalue"}).exitCode, 2);
    EXPECT_EQ(standIn({"--help"}).exitCode, 0);
    EXPECT_EQ(standIn({}).exitCode, 2);
}

TEST_F(StandInTest, EncodedDialogValuesAreDecodedByTheDialog)
{
    const StandInRun run = standIn({"dialog", "--encode", "--", "-name=Ünïcode ^ name", "-ok", "-timeout=1"});
    const QJsonObject report = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(report["suffix"].toString().toStdString(), CreateHash("Ünïcode ^ name"));
}

TEST_F(StandInTest, WriteConfigHonoursLoadTestingInstances)
{
    QProcess process;
    QProcessEnvironment instance = environment();
    instance.insert("VEJBINSTANCE", "4");
    process.setProcessEnvironment(instance);
    process.start(VORA_AGENT_PATH, {"write-config", "host=load.example"});
    ASSERT_TRUE(process.waitForFinished());
    EXPECT_EQ(ReadFile(root.root() + "/Orvel/VORA/data-EJB-4/arn.conf"), "host=load.example\n");
}

// Anyone may run "vora-agent post"; observers obey only the helper's postings.
TEST(StandInNotifications, PostingsReachObserversFromTheHelperOnly)
{
    MessageLog log;
    int restarted = 0;
    DarwinNotificationsManager::sharedInstance()->registerForNotificationName(
        "com.orvel.vora.agentWasRestarted", [&] { ++restarted; });
    FakeHelperProcess helper(VORA_AGENT_PATH);
    ASSERT_TRUE(helper.start(true));

    QProcess post;
    post.start(VORA_AGENT_PATH, {"post", "restart"});
    ASSERT_TRUE(post.waitForFinished());
    EXPECT_EQ(post.exitCode(), 0);
    ASSERT_TRUE(WaitUntil([&] {
        const QStringList lines = log.lines();
        return std::any_of(lines.begin(), lines.end(), [](const QString& line) {
            return line.startsWith("Ignoring notification com.orvel.vora.agentWasRestarted from :");
        });
    }));
    EXPECT_EQ(restarted, 0);

    ASSERT_TRUE(helper.send("post restart"));
    EXPECT_TRUE(WaitUntil([&] { return restarted == 1; }));
}

// Traces `agent` (stopped) and holds every process it forks in its first
// stop, before it can exec, until the agent ends: as a child stopped
// between fork and exec. Runs in a forked process of its own, which only
// makes async-signal-safe calls.
[[noreturn]] static void HoldForkedChildren(pid_t agent)
{
    if (::ptrace(PTRACE_SEIZE, agent, nullptr, PTRACE_O_TRACEFORK | PTRACE_O_EXITKILL) != 0) {
        ::kill(agent, SIGCONT);
        ::_exit(77);
    }
    ::kill(agent, SIGCONT);
    for (;;) {
        int status = 0;
        const pid_t pid = ::waitpid(-1, &status, __WALL);
        if (pid == agent && (WIFEXITED(status) || WIFSIGNALED(status))) {
            ::_exit(0);
        }
        if (pid == agent && WIFSTOPPED(status)) {
            const int signal = WSTOPSIG(status);
            const bool event = signal == SIGTRAP && (status >> 16) != 0;
            ::ptrace(PTRACE_CONT, agent, nullptr, event || signal == SIGSTOP ? 0 : signal);
        }
        if (pid < 0 && errno != EINTR) {
            ::_exit(1);
        }
    }
}

// A dialog that never reaches its exec does not hang the agent: it is
// ended after the start bound and reported as not started.
TEST_F(StandInTest, DialogHeldBeforeExecIsEndedAsNotStarted)
{
    QProcess standIn;
    QProcessEnvironment traced = environment();
    // LeakSanitizer cannot run in a traced process: its exit check is left
    // out there (sanitized builds only).
    traced.insert("ASAN_OPTIONS", traced.value("ASAN_OPTIONS") + ":detect_leaks=0");
    standIn.setProcessEnvironment(traced);
    // Stopped before it becomes the agent, so that the tracer is there first.
    standIn.start("sh", {"-c", "kill -STOP $$; exec \"$0\" \"$@\"", VORA_AGENT_PATH, "dialog", "--program",
                         PRINT_IDENTITY_PATH, "--"});
    ASSERT_TRUE(standIn.waitForStarted());
    const pid_t agent = static_cast<pid_t>(standIn.processId());
    ASSERT_TRUE(WaitUntil([&] {
        return ReadFile("/proc/" + std::to_string(agent) + "/stat").find(") T ") != std::string::npos;
    }));
    const pid_t tracer = ::fork();
    if (tracer == 0) {
        HoldForkedChildren(agent);
    }
    ASSERT_GT(tracer, 0);
    const bool ended = WaitUntil(
        [&] { return standIn.state() == QProcess::NotRunning; },
        (ChildProcess::kStartBound + 2 * ChildProcess::kTermGrace + std::chrono::seconds(30)).count() * 1000);
    if (!ended) {
        ::kill(agent, SIGKILL);
    }
    int tracerStatus = 0;
    ::waitpid(tracer, &tracerStatus, 0);
    if (WIFEXITED(tracerStatus) && WEXITSTATUS(tracerStatus) == 77) {
        GTEST_SKIP() << "ptrace is refused here (no CAP_SYS_PTRACE, or Yama)";
    }
    ASSERT_TRUE(ended) << "the agent hung on a child held before exec";
    const QByteArray err = standIn.readAllStandardError();
    EXPECT_EQ(standIn.exitCode(), 2) << err.toStdString();
    EXPECT_TRUE(err.contains("cannot start " PRINT_IDENTITY_PATH ": it did not reach exec within 30 s"))
        << err.toStdString();
}

// How long the agent waits before it ends a dialog that has not closed
// itself: its time-out plus the grace, or a day when it has none of its own.
TEST(DialogRunner, WaitLimitIsTheDialogsTimeOutPlusGrace)
{
    const struct
    {
        QStringList options;
        long long seconds;
    } cases[] = {
        {{"-name=A", "-timeout=3"}, 3 + 15},
        {{"-name=A", "-timeout=0"}, 86400 + 15},
        {{"-name=A"}, 86400 + 15},
        // Pages restart their own time-outs as the user pages.
        {{"-multimessage=PRE7^A^B^1", "-timeout=3"}, 86400 + 15},
        {{"-multisnoozemessage=PRE7^A^B^1", "-timeout=3"}, 86400 + 15},
        {{"-ok", "-yesno", "-timeout=3"}, 86400 + 15}, // no dialog; the program is the judge
    };
    for (const auto& test : cases) {
        EXPECT_EQ(DialogRunner::waitLimitFor(test.options).count(), test.seconds)
            << test.options.join(' ').toStdString();
    }
}

// A script's wait ends although the events handled meanwhile took longer
// than the whole pause (as under load): it never turns into an endless sleep.
TEST(DialogSteering, WaitEndsWhenEventsOutlastIt)
{
    std::promise<void> ended;
    std::thread watchdog([finished = ended.get_future()] {
        if (finished.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
            std::fprintf(stderr, "\"wait 5\" still pauses after 20 s\n");
            std::_Exit(1);
        }
    });
    QTimer::singleShot(0, [] { QThread::msleep(40); });
    DialogSteering steering("pause");
    QString error;
    EXPECT_TRUE(steering.run("wait 5", &error)) << error.toStdString();
    ended.set_value();
    watchdog.join();
}

TEST(AnswerReader, SnoozeChoicesText)
{
    const QJsonArray entries = AnswerReader::parseSnoozeChoices("7:1F,8:-1T,bad,9:x,10:2Fsnooze\n");
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[1].toObject()["snoozeIndex"].toInt(), -1);
    EXPECT_TRUE(entries[1].toObject()["timedOut"].toBool());
    EXPECT_EQ(entries[2].toObject()["chunkId"].toInt(), 10);
    EXPECT_TRUE(AnswerReader::parseSnoozeChoices("snooze\n").isEmpty());

    // Numbers past 32 bits are no page id the dialog wrote.
    const QJsonArray wide =
        AnswerReader::parseSnoozeChoices("2147483647:0F,2147483648:0F,-2147483648:99999999999T");
    ASSERT_EQ(wide.size(), 1);
    EXPECT_EQ(wide[0].toObject()["chunkId"].toInt(), 2147483647);
    EXPECT_EQ(AnswerReader::parseSnoozeChoices("8:0T\n,9:1F").size(), 1);
}

// A C1 control split between two reads is still shown as one, and a lead
// byte the output ends with is shown, not lost.
TEST(OutputRelay, ControlsAreShownAcrossReadsAndAtTheEnd)
{
    int source[2] = {-1, -1};
    int destination[2] = {-1, -1};
    ASSERT_EQ(::pipe2(source, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(destination, O_CLOEXEC | O_NONBLOCK), 0);
    ScopedFd sourceWrite(source[1]);
    ScopedFd destinationRead(destination[0]);
    ScopedFd destinationWrite(destination[1]);
    OutputRelay relay(ScopedFd(source[0]), destinationWrite.get());
    std::string relayed;
    const auto take = [&] {
        char buffer[256];
        for (ssize_t got = 0; (got = ::read(destinationRead.get(), buffer, sizeof buffer)) > 0;) {
            relayed.append(buffer, static_cast<size_t>(got));
        }
        return relayed;
    };
    ASSERT_EQ(::write(sourceWrite.get(), "x\xc2", 2), 2);
    ASSERT_TRUE(WaitUntil([&] { return take() == "x"; }));
    ASSERT_EQ(::write(sourceWrite.get(), "\x9by\xc2", 3), 3);
    sourceWrite.close();
    relay.finish();
    EXPECT_EQ(take(), "x\\u009by\\xc2");
}

// Where the relay writes: a pipe, or a terminal (a pseudo-terminal in raw
// mode, read from its master side).
enum class Destination
{
    Pipe,
    Terminal,
};

struct DestinationEnds
{
    ScopedFd read{-1};
    ScopedFd write{-1};
};

DestinationEnds Open(Destination kind)
{
    DestinationEnds ends;
    if (kind == Destination::Pipe) {
        int destination[2] = {-1, -1};
        EXPECT_EQ(::pipe2(destination, O_CLOEXEC), 0);
        ends.read = ScopedFd(destination[0]);
        ends.write = ScopedFd(destination[1]);
        return ends;
    }
    ends.read = ScopedFd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    EXPECT_TRUE(ends.read.valid());
    EXPECT_EQ(::grantpt(ends.read.get()), 0);
    EXPECT_EQ(::unlockpt(ends.read.get()), 0);
    ends.write = ScopedFd(::open(::ptsname(ends.read.get()), O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios raw = {};
    EXPECT_EQ(::tcgetattr(ends.write.get(), &raw), 0);
    ::cfmakeraw(&raw);
    EXPECT_EQ(::tcsetattr(ends.write.get(), TCSANOW, &raw), 0);
    return ends;
}

// What the relay makes of `output` written at once, then the end of it.
std::string Relayed(const std::string& output, Destination kind = Destination::Pipe)
{
    int source[2] = {-1, -1};
    EXPECT_EQ(::pipe2(source, O_CLOEXEC), 0);
    ScopedFd sourceWrite(source[1]);
    DestinationEnds destination = Open(kind);
    std::string relayed;
    std::thread reader([&] {
        char buffer[65536];
        // A terminal's master side reads EIO once the other side is closed.
        for (ssize_t got = 0; (got = ::read(destination.read.get(), buffer, sizeof buffer)) > 0;) {
            relayed.append(buffer, static_cast<size_t>(got));
        }
    });
    {
        OutputRelay relay(ScopedFd(source[0]), destination.write.get());
        for (size_t done = 0; done < output.size();) {
            const ssize_t wrote = ::write(sourceWrite.get(), output.data() + done, output.size() - done);
            done += wrote > 0 ? static_cast<size_t>(wrote) : output.size();
        }
        sourceWrite.close();
        relay.finish();
    }
    destination.write.close();
    reader.join();
    return relayed;
}

// Every C0 and C1 control, as UTF-8 or as a raw byte an 8-bit terminal
// obeys, is shown; well-formed text is not, but on a terminal whose locale
// is not UTF-8 every byte from 0x80 up is: there "\xc3\x9b" would be
// CSI.
TEST(OutputRelay, EveryControlIsShownWhetherUtf8OrNot)
{
    const struct
    {
        std::string output;
        std::string shown;
        std::string shownOnEightBit; // on a terminal in a locale that is not UTF-8
    } cases[] = {
        {"\x9b"
         "31m",
         "\\x9b31m", "\\x9b31m"}, // raw CSI
        {"\x9d"
         "0;OWNED\x9c",
         "\\x9d0;OWNED\\x9c", "\\x9d0;OWNED\\x9c"}, // raw OSC ... ST
        {"\xc2\x9b", "\\u009b", "\\xc2\\x9b"},      // CSI as UTF-8
        {"\xc3\x9b"
         "2J",
         "\xc3\x9b"
         "2J",
         "\\xc3\\x9b2J"}, // U+00DB: its second byte is CSI to an 8-bit terminal
        {"Gr\xc3\xbc\xc3\x9f"
         "e \xe2\x82\xac\t\n",
         "Gr\xc3\xbc\xc3\x9f"
         "e \xe2\x82\xac\t\n",
         "Gr\\xc3\\xbc\\xc3\\x9fe \\xe2\\x82\\xac\t\n"},
        {"\xc3(", "\\xc3(", "\\xc3("},                          // a lead byte without its follower
        {"\xe0\x80\x9b", "\\xe0\\x80\\x9b", "\\xe0\\x80\\x9b"}, // overlong: not UTF-8
        {"\xff\x1b", "\\xff\\x1b", "\\xff\\x1b"},               //
        {"end \xe2\x82", "end \\xe2\\x82", "end \\xe2\\x82"},   // cut by the end of the output
    };
    for (const auto& test : cases) {
        {
            const ScopedEnv locale("LC_ALL", "C"); // a pipe is no terminal, whatever the locale
            EXPECT_EQ(Relayed(test.output), test.shown) << test.output;
        }
        {
            const ScopedEnv locale("LC_ALL", "C.UTF-8");
            EXPECT_EQ(Relayed(test.output, Destination::Terminal), test.shown) << test.output;
        }
        {
            const ScopedEnv locale("LC_ALL", "C");
            EXPECT_EQ(Relayed(test.output, Destination::Terminal), test.shownOnEightBit) << test.output;
        }
        // The launch's own lines (what her manager said) are shown the same way.
        EXPECT_EQ(OutputRelay::Shown(test.output), test.shown) << test.output;
        EXPECT_EQ(OutputRelay::Shown(test.output, true), test.shownOnEightBit) << test.output;
    }
}

// However much the child (or its user, through a copy of its descriptor)
// writes, at most the cap reaches the destination, and a line says how
// much was dropped.
TEST(OutputRelay, AtMostTheCapIsRelayedPerChild)
{
    const std::string flood(3 * OutputRelay::kCap, 'x');
    const std::string relayed = Relayed(flood + "!");
    const size_t line = relayed.find("\nvora-agent: dropped ");
    ASSERT_NE(line, std::string::npos) << relayed.substr(relayed.size() - 200);
    EXPECT_LE(line, OutputRelay::kCap);
    EXPECT_GT(line, OutputRelay::kCap / 2);
    EXPECT_EQ(relayed.find('!'), std::string::npos);
    EXPECT_NE(relayed.find("beyond the cap of 1048576 bytes relayed per dialog"), std::string::npos);
}

// A standard error nobody drains holds up neither finish() nor the agent,
// be it a pipe or a terminal (where a write larger than the room left
// would wait): what it does not take is dropped and said, and the part it
// took is the output's beginning, unmixed.
TEST(OutputRelay, FinishReturnsWhileTheDestinationIsNotDrained)
{
    for (const Destination kind : {Destination::Pipe, Destination::Terminal}) {
        SCOPED_TRACE(kind == Destination::Pipe ? "pipe" : "terminal");
        int source[2] = {-1, -1};
        ASSERT_EQ(::pipe2(source, O_CLOEXEC), 0);
        ScopedFd sourceWrite(source[1]);
        DestinationEnds destination = Open(kind);
        ::fcntl(sourceWrite.get(), F_SETPIPE_SZ, 1 << 20);
        // More than a terminal buffers (640 KiB), less than the cap.
        const std::string output(1000 * 1024, 'x');
        ::fcntl(sourceWrite.get(), F_SETFL, O_NONBLOCK);
        ASSERT_GT(::write(sourceWrite.get(), output.data(), output.size()), 700 * 1024);
        const int flags = ::fcntl(destination.write.get(), F_GETFL);

        auto relay = std::make_unique<OutputRelay>(ScopedFd(source[0]), destination.write.get());
        std::atomic<bool> finished{false};
        std::thread finishing([&] {
            relay->finish();
            finished = true;
        });
        const bool returned = WaitUntil([&] { return finished.load(); }, 30000);
        std::string relayed;
        char buffer[65536];
        ::fcntl(destination.read.get(), F_SETFL, O_NONBLOCK);
        while (!finished) { // only without the bound: unblock the relay to end the test
            const ssize_t got = ::read(destination.read.get(), buffer, sizeof buffer);
            relayed.append(buffer, got > 0 ? static_cast<size_t>(got) : 0);
        }
        finishing.join();
        ASSERT_TRUE(returned) << "finish() blocked on a destination nobody drained";
        for (ssize_t got = 0; (got = ::read(destination.read.get(), buffer, sizeof buffer)) > 0;) {
            relayed.append(buffer, static_cast<size_t>(got));
        }
        EXPECT_GT(relayed.size(), 0u);
        EXPECT_LT(relayed.size(), output.size());
        const size_t line = relayed.find_first_not_of('x');
        // The line about the dropped bytes, when it still fits.
        EXPECT_TRUE(line == std::string::npos ||
                    relayed.compare(line, 21, "\nvora-agent: dropped ", 0, 21) == 0)
            << relayed.substr(line);
        // The agent's descriptor keeps its flags: others share it.
        EXPECT_EQ(::fcntl(destination.write.get(), F_GETFL), flags);
    }
}
