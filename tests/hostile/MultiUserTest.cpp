// One machine, many users. The test runs as root, as the agent does; the
// dialog runs as uid 4242 and a hostile local user as uid 4343 (numeric
// uids, no accounts needed). Every attack a local user could make through
// the shared marker directory is tried: forged answers and commands, links
// and FIFOs where root or the dialog reads or writes, and a directory the
// dialog cannot write.
#include "AnswerReader.h"
#include "FileHelpers.h"
#include "SpawnedProcess.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "vlog.h"
#include "vora/alert.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr uid_t kDialogUser = 4242;
constexpr uid_t kOtherUser = 4343;
constexpr int kEndMs = 30000;

class MultiUserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root to act as the agent and to run other users";
        }
        ::chmod(root.root().c_str(), 0755);
        SpawnedProcess prepare({{VORA_AGENT_PATH, "prepare"}, environment()});
        ASSERT_TRUE(prepare.wait(kEndMs));
        ASSERT_EQ(prepare.exitCode(), 0) << prepare.output();
    }

    std::vector<std::string> environment() const
    {
        return EnvironmentWith({"VORA_AGENT_ROOT=" + root.root(), "QT_QPA_PLATFORM=offscreen", "HOME=/tmp"},
                               {"VEJBINSTANCE", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS"});
    }

    std::unique_ptr<SpawnedProcess> dialog(std::vector<std::string> options) const
    {
        options.insert(options.begin(), VUSERALERT_PATH);
        return std::make_unique<SpawnedProcess>(SpawnedProcess::Options{options, environment(), kDialogUser});
    }

    // A shell command run by the other user in the marker directory.
    void attack(const std::string& command) const
    {
        SpawnedProcess shell(
            {{"/bin/sh", "-c", "cd '" + root.userDir() + "' && " + command}, environment(), kOtherUser});
        ASSERT_TRUE(shell.wait(kEndMs));
    }

    // The agent's side for the dialog's user: markers it creates belong to
    // that user, answers are believed from that user or root.
    VUAMarkerMgr agentFor(const std::string& suffix) const
    {
        VUAMarkerMgr agent(suffix);
        agent.SetMarkerOwner(kDialogUser, kDialogUser);
        agent.SetTrustedOwner(kDialogUser);
        return agent;
    }

    static bool taken(const VUAMarkerMgr& agent, VUA_MarkerType type)
    {
        for (int i = 0; i < 3000 && agent.Exists(type); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return !agent.Exists(type);
    }

    static void expectCleanEnd(SpawnedProcess& process)
    {
        ASSERT_TRUE(process.wait(kEndMs)) << process.output();
        EXPECT_TRUE(process.exitedNormally()) << process.output();
        EXPECT_EQ(process.exitCode(), 0) << process.output();
    }

    // Through the library, for the dialog's user, as vora-agent reads it.
    static QJsonObject answerOf(const VUAMarkerMgr& agent)
    {
        vora_alert* alert = nullptr;
        EXPECT_EQ(vora_alert_open(agent.suffix().c_str(), std::to_string(kDialogUser).c_str(), &alert), 0);
        const QJsonObject answer = AnswerReader(alert).read();
        vora_alert_free(alert);
        return answer;
    }

    static std::string text(const QJsonObject& object)
    {
        return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
    }

    std::string logText() const
    {
        const std::string path = root.userDir() + "VAgent.log";
        return PathExists(path) ? ReadFile(path) : std::string();
    }

    // A file only root may read or write, outside the marker directory.
    std::string rootOnlyFile(const std::string& content) const
    {
        const std::string path = root.root() + "/root-only";
        WriteFile(path, content);
        ::chmod(path.c_str(), 0600);
        return path;
    }

    TempAgentRoot root;
};

mode_t ModeOf(const std::string& path, uid_t* owner)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) {
        return 0;
    }
    *owner = info.st_uid;
    return info.st_mode & 07777;
}

} // namespace

TEST_F(MultiUserTest, PrepareMakesTheLayoutWithItsOwnersAndModes)
{
    uid_t owner = 1;
    EXPECT_EQ(ModeOf(root.dataDir(), &owner), 0755u);
    EXPECT_EQ(owner, 0u);
    EXPECT_EQ(ModeOf(root.userDir(), &owner), 01777u);
    EXPECT_EQ(owner, 0u);
    EXPECT_EQ(ModeOf(root.userDir() + "VAgent.log", &owner), 0622u);
    EXPECT_EQ(owner, 0u);

    ::chmod(root.userDir().c_str(), 0755);
    SpawnedProcess again({{VORA_AGENT_PATH, "prepare"}, environment()});
    ASSERT_TRUE(again.wait(kEndMs));
    EXPECT_EQ(again.exitCode(), 0);
    EXPECT_EQ(ModeOf(root.userDir(), &owner), 01777u);
}

TEST_F(MultiUserTest, DialogOfAUserTakesRootsCommandsAndAnswers)
{
    const VUAMarkerMgr agent = agentFor("user");
    auto process = dialog({"-suffix=user", "-yesno", "-default=yes", "-timeout=3"});
    agent.Publish(MARKER_MESG, "Installing");
    EXPECT_TRUE(taken(agent, MARKER_MESG));
    agent.Publish(MARKER_SHOWOK, "");
    EXPECT_TRUE(taken(agent, MARKER_SHOWOK));
    expectCleanEnd(*process);

    uid_t owner = 0;
    ModeOf(agent.GetFilePath(MARKER_YES), &owner);
    EXPECT_EQ(owner, kDialogUser);
    EXPECT_EQ(answerOf(agent).value("result").toString(), "yes") << text(answerOf(agent));
}

// An agent that leaves its markers root's: the user's dialog cannot remove
// them, so each is carried out once until the agent replaces it, APND
// included. A later MESG without a new APND replaces the text instead of
// being added to it (15 000 characters twice would pass the 20 000 the
// view shows, and the log would say it cut them).
TEST_F(MultiUserTest, RootsMarkersTheDialogCannotRemoveCountOnce)
{
    const VUAMarkerMgr agent(std::string("rootmarkers"));
    // Made as such an agent makes them: root's, 0644, renamed into place.
    const auto publish = [&](VUA_MarkerType type, const std::string& content) {
        const std::string made = root.userDir() + ".made-by-root";
        WriteFile(made, content);
        ::chmod(made.c_str(), 0644);
        ASSERT_EQ(::rename(made.c_str(), agent.GetFilePath(type).c_str()), 0);
    };
    auto process = dialog({"-suffix=rootmarkers", "-yesno", "-timeout=300"});
    const auto obeyedInPlace = [&](const char* prefix, size_t times) {
        const std::string line = std::string("marker ") + prefix + "rootmarkers of uid 0 cannot be removed";
        for (int i = 0; i < 3000; ++i) {
            const std::string log = logText();
            size_t count = 0;
            for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
                ++count;
            }
            if (count >= times) {
                return count == times;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    };
    publish(MARKER_APND, "");
    publish(MARKER_MESG, std::string(15000, 'a'));
    ASSERT_TRUE(obeyedInPlace("VUSERALERT_MESG.", 1)) << logText() << process->output();
    publish(MARKER_MESG, std::string(15000, 'b'));
    ASSERT_TRUE(obeyedInPlace("VUSERALERT_MESG.", 2)) << logText();
    // Markers are 0600: one of root's that is not handed over is unreadable.
    agent.Publish(MARKER_MESG, "one-time code");
    const std::string unreadable =
        "ignoring marker VUSERALERT_MESG.rootmarkers: it cannot be read by this user";
    for (int i = 0; i < 3000 && logText().find(unreadable) == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(logText().find(unreadable), std::string::npos) << logText();
    publish(MARKER_EXIT, "");
    expectCleanEnd(*process);

    const std::string log = logText();
    EXPECT_TRUE(obeyedInPlace("VUSERALERT_APND.", 1)) << log;
    EXPECT_TRUE(obeyedInPlace("VUSERALERT_EXIT.", 1)) << log;
    EXPECT_EQ(log.find("message cut"), std::string::npos) << "the second message was appended\n" << log;
}

TEST_F(MultiUserTest, AnotherUserCanNeitherSteerNorAnswerNorRemove)
{
    const VUAMarkerMgr agent = agentFor("victim");
    auto process = dialog({"-suffix=victim", "-yesno", "-timeout=300"});
    agent.Publish(MARKER_PROGON, "");
    ASSERT_TRUE(taken(agent, MARKER_PROGON)) << process->output();

    attack("echo > VUSERALERT_EXIT.victim; echo injected > VUSERALERT_MESG.victim; "
           "touch VUSERALERT_APND.victim; echo yes > VUSERALERT_YES.victim; chmod 666 VUSERALERT_YES.victim");
    agent.Publish(MARKER_SHOWOK, "");
    ASSERT_TRUE(taken(agent, MARKER_SHOWOK)); // polled with the forged markers present
    EXPECT_TRUE(process->running()) << "obeyed another user's EXIT\n" << process->output();
    EXPECT_TRUE(agent.Exists(MARKER_MESG)); // left alone, not shown

    agent.Publish(MARKER_PROGOFF, "");
    attack("rm -f VUSERALERT_PROGOFF.victim");
    EXPECT_TRUE(taken(agent, MARKER_PROGOFF)); // the dialog's to remove, not the other user's

    agent.Publish(MARKER_EXIT, ""); // root's EXIT replaces the forged one
    expectCleanEnd(*process);
    const std::string log = logText();
    EXPECT_NE(log.find("ignoring marker VUSERALERT_EXIT.victim: it belongs to uid 4343"), std::string::npos)
        << log;
    EXPECT_NE(log.find("ignoring marker VUSERALERT_MESG.victim: it belongs to uid 4343"), std::string::npos)
        << log;

    const QJsonObject answer = answerOf(agent);
    EXPECT_EQ(answer.value("result").toString(), "rejected") << text(answer);
    EXPECT_NE(answer.value("reason").toString().indexOf("belongs to a user who may not write it"), -1);
}

// The stand-in as the agent: the dialog runs as the user, the steering
// markers are the user's to remove, and answers planted beforehand by
// another user are cleared before the dialog starts.
TEST_F(MultiUserTest, AgentStartsAndSteersAUsersDialog)
{
    attack("echo yes > VUSERALERT_YES.runner; echo cancel > VUSERALERT_CANCEL.runner");
    const std::string script = root.root() + "/steer.txt";
    WriteFile(script, "message Installing\nawait\nprogon\nawait\nshowok\nawait\n");
    SpawnedProcess agent({{VORA_AGENT_PATH, "dialog", "--user", "4242", "--script", script, "--program",
                           VUSERALERT_PATH, "--", "-suffix=runner", "-ok", "-default=yes", "-timeout=3"},
                          environment()});
    ASSERT_TRUE(agent.wait(kEndMs));
    const std::string output = agent.output();
    EXPECT_EQ(agent.exitCode(), 0) << output;
    EXPECT_NE(output.find("\"result\": \"yes\""), std::string::npos) << output;
    EXPECT_EQ(output.find("rejected"), std::string::npos) << output;
    uid_t owner = 0;
    ModeOf(root.userDir() + "VUSERALERT_YES.runner", &owner);
    EXPECT_EQ(owner, kDialogUser);
}

TEST_F(MultiUserTest, RootFollowsNoLinkAndWaitsOnNoFifo)
{
    const std::string secret = rootOnlyFile("topsecret\n");
    const VUAMarkerMgr agent = agentFor("links");

    // A link at a result marker: not read through.
    attack("ln -s '" + secret + "' VUSERALERT_YES.links; mkfifo VUSERALERT_CANCEL.links");
    const QJsonObject answer = answerOf(agent);
    EXPECT_EQ(answer.value("result").toString(), "rejected") << text(answer);
    EXPECT_EQ(text(answer).find("topsecret"), std::string::npos);
    EXPECT_EQ(answer.value("rejected").toArray().size(), 2);

    // Links at the old predictable temporary name and at markers root
    // creates: nothing written through them.
    const std::string missing = root.root() + "/made-by-root";
    attack("ln -s '" + secret + "' .VUSERALERT_MESG.links.tmp" + std::to_string(::getpid()) + "; ln -s '" +
           missing + "' VUSERALERT_APND.links; ln -s '" + secret + "' VUSERALERT_MESG.links");
    EXPECT_TRUE(agent.Publish(MARKER_MESG, "hello"));
    agent.Write(MARKER_APND);
    EXPECT_EQ(ReadFile(secret), "topsecret\n");
    EXPECT_FALSE(PathExists(missing));
    EXPECT_EQ(ReadFile(agent.GetFilePath(MARKER_MESG)), "hello\n");

    // A directory with something in it at a command's name: root's command
    // still gets through.
    attack("mkdir -p VUSERALERT_EXIT.links/x");
    EXPECT_TRUE(agent.Publish(MARKER_EXIT, ""));
    EXPECT_EQ(ReadFile(agent.GetFilePath(MARKER_EXIT)), "");

    // A link or a FIFO as the log: root moves it away and writes its own.
    ::unlink((root.userDir() + "VAgent.log").c_str());
    attack("ln -s '" + missing + "' VAgent.log");
    LogStruct log{};
    LogInitEx(&log, nullptr, "agent", true, 0x70);
    LogMsgEx(&log, LOG_FILE, 0, "test", "root's line");
    EXPECT_FALSE(PathExists(missing));
    uid_t owner = 1;
    EXPECT_EQ(ModeOf(root.userDir() + "VAgent.log", &owner), 0622u);
    EXPECT_EQ(owner, 0u);
    EXPECT_NE(logText().find("root's line"), std::string::npos);
}

// The log is open to every user for appending; one holding a lock on it
// must not hang root's logging when the log is due for rollover.
TEST_F(MultiUserTest, ALockOnTheLogDoesNotHangRoot)
{
    attack("head -c 5000 /dev/zero >> VAgent.log; (flock -s 9; sleep 30) 9>>VAgent.log & sleep 0.5");
    const int32_t maxSize = LOG_MAX_SIZE;
    LOG_MAX_SIZE = 1000;
    std::future<void> logged = std::async(std::launch::async, [] {
        LogStruct log{};
        LogInitEx(&log, nullptr, "agent", true, 0x70);
        LogMsgEx(&log, LOG_FILE, 0, "test", "root's line");
    });
    const bool done = logged.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    LOG_MAX_SIZE = maxSize;
    ASSERT_TRUE(done) << "root's log line hangs on another user's lock";
    EXPECT_NE(logText().find("root's line"), std::string::npos);
}

// The shared log is open to every user for writing, so a user can wipe it
// and plant directories at every name it rolls to; root's lines stay in
// root's own copy, which that user can neither read nor touch.
TEST_F(MultiUserTest, AUserCannotLoseRootsLines)
{
    const std::string copy = root.dataDir() + "VAgent-root.log";
    LogStruct log{};
    LogInitEx(&log, nullptr, "agent", true, 0x70);
    LogMsgEx(&log, LOG_FILE, 0, "test", "root's first line");
    attack(": > VAgent.log; for n in 1 2 3 4; do mkdir -p VAgent$n.log/x; done; "
           "cat '" +
           copy + "' > stolen 2>&1; : > '" + copy + "' 2>> stolen; mv '" + copy + "' x 2>> stolen");
    LogFileRollover(&log, true);
    LogMsgEx(&log, LOG_FILE, 0, "test", "root's second line");

    EXPECT_EQ(logText().find("root's first line"), std::string::npos); // wiped by the user
    EXPECT_NE(logText().find("root's second line"), std::string::npos);
    const std::string kept = ReadFile(copy);
    EXPECT_NE(kept.find("root's first line"), std::string::npos) << kept;
    EXPECT_NE(kept.find("root's second line"), std::string::npos) << kept;
    const std::string stolen = ReadFile(root.userDir() + "stolen");
    EXPECT_EQ(stolen.find("root's"), std::string::npos) << stolen;
    EXPECT_NE(stolen.find("Permission denied"), std::string::npos) << stolen;
    uid_t owner = 1;
    EXPECT_EQ(ModeOf(copy, &owner), 0600u);
    EXPECT_EQ(owner, 0u);
    for (const char* numbered : {"VAgent2.log", "VAgent3.log", "VAgent4.log"}) {
        struct stat info;
        EXPECT_TRUE(::lstat((root.userDir() + numbered).c_str(), &info) != 0 || S_ISREG(info.st_mode))
            << numbered;
    }
}

TEST_F(MultiUserTest, FifoAsTheLogDoesNotHangTheDialog)
{
    ::unlink((root.userDir() + "VAgent.log").c_str());
    attack("mkfifo -m 666 VAgent.log");
    const VUAMarkerMgr agent = agentFor("fifo");
    auto process = dialog({"-suffix=fifo", "-ok", "-default=yes", "-timeout=1"});
    expectCleanEnd(*process);
    EXPECT_EQ(answerOf(agent).value("result").toString(), "yes");
}

TEST_F(MultiUserTest, ADirectoryTheDialogCannotWriteIsSaid)
{
    ::chmod(root.userDir().c_str(), 0755);
    auto process = dialog({"-suffix=readonly", "-ok", "-default=yes", "-timeout=1"});
    expectCleanEnd(*process);
    const std::string output = process->output();
    EXPECT_NE(output.find("is not writable for uid 4242"), std::string::npos) << output;
    EXPECT_NE(output.find("the answer \"yes\" is lost"), std::string::npos) << output;
}

// Without VORA_AGENT_ROOT the dialog works below /var/opt: a private mount
// namespace puts a scratch file system there.
TEST_F(MultiUserTest, DefaultLayoutIsBelowVarOpt)
{
    const std::string script =
        "mount -t tmpfs tmpfs /var/opt && " + std::string(VORA_AGENT_PATH) + " prepare && " +
        "setpriv --reuid 4242 --regid 4242 --clear-groups " + VUSERALERT_PATH +
        " -suffix=ns -ok -default=yes -timeout=1 && "
        "test \"$(stat -c %u /var/opt/Orvel/VORA/data/user/VUSERALERT_YES.ns)\" = 4242 && "
        "cat /var/opt/Orvel/VORA/data/user/VUSERALERT_YES.ns && "
        "grep -q 'suffix provided, set as ns' /var/opt/Orvel/VORA/data/user/VAgent.log && echo layout-ok";
    SpawnedProcess namespaced(
        {{"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/sh", "-c", script},
         EnvironmentWith({"QT_QPA_PLATFORM=offscreen", "HOME=/tmp"},
                         {"VORA_AGENT_ROOT", "VEJBINSTANCE", "XDG_RUNTIME_DIR"})});
    ASSERT_TRUE(namespaced.wait(kEndMs));
    const std::string output = namespaced.output();
    EXPECT_EQ(namespaced.exitCode(), 0) << output;
    EXPECT_NE(output.find("yes\nlayout-ok"), std::string::npos) << output;
}
