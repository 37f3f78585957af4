// VUserAlert at the edges, as a process: raw argument bytes, signals, no
// display or a display that goes away, marker names the file system cannot
// hold, and messages far larger than anything shown.
#include "FileHelpers.h"
#include "SpawnedProcess.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "XvfbServer.h"
#include "md5.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kEndMs = 30000;

class EdgeProcessTest : public ::testing::Test
{
protected:
    std::unique_ptr<SpawnedProcess>
    start(std::vector<std::string> options,
          std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen"},
          std::vector<std::string> removals = {})
    {
        options.insert(options.begin(), VUSERALERT_PATH);
        environment.push_back("VORA_AGENT_ROOT=" + root.root());
        removals.push_back("VEJBINSTANCE");
        return std::make_unique<SpawnedProcess>(
            SpawnedProcess::Options{options, EnvironmentWith(environment, removals)});
    }

    // The dialog is up and polling once it has taken a SHOWOK.
    static bool pollsMarkers(const VUAMarkerMgr& agent)
    {
        agent.Publish(MARKER_SHOWOK, "");
        for (int i = 0; i < 3000 && agent.Exists(MARKER_SHOWOK); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return !agent.Exists(MARKER_SHOWOK);
    }

    static bool takes(const VUAMarkerMgr& agent, VUA_MarkerType type)
    {
        for (int i = 0; i < 3000 && agent.Exists(type); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return !agent.Exists(type);
    }

    static void expectCleanEnd(SpawnedProcess& dialog)
    {
        ASSERT_TRUE(dialog.wait(kEndMs)) << dialog.output();
        EXPECT_TRUE(dialog.exitedNormally()) << "signal " << dialog.termSignal() << "\n" << dialog.output();
        EXPECT_EQ(dialog.exitCode(), 0) << dialog.output();
    }

    static void expectNoAnswer(const VUAMarkerMgr& agent)
    {
        for (const VUA_MarkerType answer : {MARKER_YES, MARKER_CANCEL, MARKER_SNOOZE, MARKER_CONTINUE}) {
            EXPECT_FALSE(agent.Exists(answer)) << answer;
        }
    }

    static size_t occurrences(const std::string& text, const std::string& part)
    {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++count;
        }
        return count;
    }

    std::string logText() const
    {
        const std::string path = root.userDir() + "VAgent.log";
        return PathExists(path) ? ReadFile(path) : std::string();
    }

    TempAgentRoot root;
};

} // namespace

TEST_F(EdgeProcessTest, SuffixIsTheDigestOfTheNameBytesAsPassed)
{
    const std::string latin1Name = "Caf\xe9 Editor"; // Latin-1, not UTF-8
    auto dialog = start({"-name=" + latin1Name, "-ok", "-default=yes", "-timeout=1"});
    expectCleanEnd(*dialog);
    EXPECT_EQ(ReadFile(VUAMarkerMgr(CreateHash(latin1Name)).GetFilePath(MARKER_YES)), "yes\n");
}

// Qt's X11 platform took "-name -ok" as its own option with its value and
// showed a Yes/No dialog.
TEST_F(EdgeProcessTest, QtOptionNamesReachTheParser)
{
    const XvfbServer server;
    ASSERT_TRUE(server.isRunning());
    const std::string display = server.display().toStdString();
    auto dialog =
        start({"-name", "-ok", "-yesno"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display}, {"WAYLAND_DISPLAY"});
    expectCleanEnd(*dialog);
    EXPECT_NE(dialog->output().find("Invalid combination of parameters."), std::string::npos)
        << dialog->output();
}

TEST_F(EdgeProcessTest, SignalsEndWithStatusZeroOneLineAndNoAnswer)
{
    for (const auto& [number, name] :
         {std::pair{SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}, {SIGINT, "SIGINT"}}) {
        const std::string suffix = std::string("sig") + name;
        const VUAMarkerMgr agent(suffix);
        auto dialog = start({"-suffix=" + suffix, "-yesno", "-default=yes", "-timeout=300"});
        ASSERT_TRUE(pollsMarkers(agent)) << dialog->output();
        dialog->signal(number);
        expectCleanEnd(*dialog);
        EXPECT_NE(logText().find(std::string("ended by signal ") + name), std::string::npos) << logText();
        expectNoAnswer(agent);
    }
}

TEST_F(EdgeProcessTest, NoDisplayEndsWithStatusZeroAndALogLine)
{
    auto unset = start({"-suffix=nodisplay", "-ok", "-timeout=300"}, {"QT_QPA_PLATFORM=xcb"},
                       {"DISPLAY", "WAYLAND_DISPLAY"});
    expectCleanEnd(*unset);
    auto refusing = start({"-suffix=nodisplay", "-ok", "-timeout=300"},
                          {"QT_QPA_PLATFORM=xcb", "DISPLAY=:97"}, {"WAYLAND_DISPLAY", "XAUTHORITY"});
    expectCleanEnd(*refusing);

    // Qt's message runs over several lines; the log keeps one record a line.
    // Qt's reason stays, its advice to reinstall (wrong here) goes, from the
    // log and from standard error.
    const std::string log = logText();
    size_t lines = 0;
    for (size_t at = log.find("no usable display"); at != std::string::npos;
         at = log.find("no usable display", at + 1)) {
        ++lines;
        const std::string line = log.substr(at, log.find('\n', at) - at);
        EXPECT_NE(line.find("leaves no answer"), std::string::npos) << line;
        EXPECT_NE(line.find("no Qt platform plugin could be initialized."), std::string::npos) << line;
    }
    EXPECT_EQ(lines, 2u) << log;
    for (SpawnedProcess* dialog : {unset.get(), refusing.get()}) {
        EXPECT_NE(dialog->output().find("could be initialized.\n"), std::string::npos) << dialog->output();
        EXPECT_EQ(dialog->output().find("Reinstalling"), std::string::npos) << dialog->output();
    }
    EXPECT_EQ(log.find("Reinstalling"), std::string::npos) << log;
}

// A link at a marker's name is judged by what it points to: a dangling one
// is no marker, one to a file is the marker (and the link is removed).
TEST_F(EdgeProcessTest, ALinkAtAMarkerNameCountsByItsTarget)
{
    const std::string target = root.root() + "/target";
    WriteFile(target, "");
    const struct
    {
        const char* suffix;
        std::string pointsTo;
        bool obeyed;
    } cases[] = {{"dangling", root.root() + "/missing", false}, {"linked", target, true}};
    for (const auto& [suffix, pointsTo, obeyed] : cases) {
        const VUAMarkerMgr agent{std::string(suffix)};
        auto dialog = start({std::string("-suffix=") + suffix, "-yesno", "-timeout=300"});
        ASSERT_TRUE(pollsMarkers(agent)) << dialog->output();
        const std::string exitPath = agent.GetFilePath(MARKER_EXIT);
        ASSERT_EQ(::symlink(pointsTo.c_str(), exitPath.c_str()), 0);
        struct stat link;
        if (!obeyed) {
            ASSERT_TRUE(pollsMarkers(agent)); // polled with the link in place
            EXPECT_TRUE(dialog->running()) << suffix << "\n" << dialog->output();
            EXPECT_EQ(::lstat(exitPath.c_str(), &link), 0) << "the dangling link was taken";
            ::unlink(exitPath.c_str());
            agent.Publish(MARKER_EXIT, "");
        }
        expectCleanEnd(*dialog);
        EXPECT_NE(::lstat(exitPath.c_str(), &link), 0) << suffix;
    }
    EXPECT_TRUE(PathExists(target));
}

// What a dialog says and answers is its user's and root's to read, also
// when the dialog or the stand-in runs with a umask of 000.
TEST_F(EdgeProcessTest, MarkersAnswersAndChoicesAreOwnerOnlyWhateverTheUmask)
{
    const mode_t umaskBefore = ::umask(0);
    auto yes = start({"-suffix=modes", "-ok", "-default=yes", "-timeout=1"});
    auto pages = start({"-suffix=pages", "-multisnoozemessage=PRE7^Editor^Install^-1", "-default=snooze"});
    ::umask(umaskBefore);
    expectCleanEnd(*yes);
    expectCleanEnd(*pages);

    const VUAMarkerMgr modes{std::string("modes")};
    const VUAMarkerMgr choices{std::string("pages")};
    const std::pair<std::string, const char*> files[] = {
        {modes.GetFilePath(MARKER_YES), "yes\n"},
        {choices.GetFilePath(MARKER_SNOOZE), "7:0Tsnooze\n"},
    };
    for (const auto& [path, content] : files) {
        struct stat info;
        ASSERT_EQ(::stat(path.c_str(), &info), 0) << path;
        EXPECT_EQ(info.st_mode & 07777, 0600u) << path;
        EXPECT_EQ(ReadFile(path), content);
    }

    // The stand-in's markers, as it leaves them for a dialog to take.
    ::umask(0);
    SpawnedProcess again({{VORA_AGENT_PATH, "steer", "--suffix", "later", "append", "secret code 5678"},
                          EnvironmentWith({"VORA_AGENT_ROOT=" + root.root()}, {"VEJBINSTANCE"})});
    ::umask(umaskBefore);
    ASSERT_TRUE(again.wait(kEndMs));
    const VUAMarkerMgr later{std::string("later")};
    for (const VUA_MarkerType type : {MARKER_APND, MARKER_MESG}) {
        struct stat info;
        ASSERT_EQ(::stat(later.GetFilePath(type).c_str(), &info), 0) << again.output();
        EXPECT_EQ(info.st_mode & 07777, 0600u) << type;
    }
}

// The usage panel cannot open without a display: its title and text go to
// standard error (standard output carries the log line), in the user's
// language; the end and the log line stay as with any other options.
TEST_F(EdgeProcessTest, NoDisplayWritesTheUsagePanelToStandardError)
{
    const struct
    {
        std::vector<std::string> options;
        std::string language;
        std::string expected; // empty: no usage at all
    } cases[] = {
        {{"-h"}, "C", "How to use VUserAlert\n\nusage: VUserAlert -name=PKGNAME"},
        {{"-?"}, "C", "How to use VUserAlert\n\nusage: VUserAlert -name=PKGNAME"},
        {{"--help"}, "C", "Invalid parameter\n\nUnknown parameter.\n\nusage: VUserAlert"},
        {{"-name=x", "-bogus"}, "C", "Invalid parameter\n\nUnknown parameter.\n\nusage: VUserAlert"},
        {{}, "C", "Missing parameters\n\nusage: VUserAlert"},
        {{"-h"}, "de_DE.UTF-8", "Verwendung von VUserAlert\n\nusage: VUserAlert"},
        {{"-ok", "-yesno"}, "C", ""},
        {{"-ok", "-timeout=300"}, "C", ""},
        {{"-vcrash"}, "C", ""},
    };
    for (const auto& [options, language, expected] : cases) {
        std::vector<std::string> arguments = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1 >/dev/null",
                                              VUSERALERT_PATH};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const std::vector<std::string> environment = {"QT_QPA_PLATFORM=xcb", "LC_ALL=" + language,
                                                      "VORA_AGENT_ROOT=" + root.root()};
        SpawnedProcess dialog(
            {arguments, EnvironmentWith(environment, {"DISPLAY", "WAYLAND_DISPLAY", "VEJBINSTANCE"})});
        const std::string label = options.empty() ? "(no option)" : options.front();
        expectCleanEnd(dialog);
        const std::string errors = dialog.output();
        if (expected.empty()) {
            EXPECT_EQ(errors.find("usage: VUserAlert"), std::string::npos) << label << "\n" << errors;
        } else {
            EXPECT_NE(errors.find(expected), std::string::npos) << label << "\n" << errors;
            EXPECT_NE(errors.find("-name and -message are mandatory."), std::string::npos) << errors;
        }
    }
    const std::string log = logText();
    const size_t lines = occurrences(log, "no usable display");
    EXPECT_EQ(lines, std::size(cases)) << log;
}

TEST_F(EdgeProcessTest, DisplayGoingAwayEndsWithStatusZeroAndALogLine)
{
    XvfbServer server;
    ASSERT_TRUE(server.isRunning());
    const std::string display = server.display().toStdString();
    const VUAMarkerMgr agent(std::string("xlost"));
    auto dialog = start({"-suffix=xlost", "-yesno", "-timeout=300"},
                        {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display}, {"WAYLAND_DISPLAY", "XAUTHORITY"});
    ASSERT_TRUE(pollsMarkers(agent)) << dialog->output();
    server.kill(); // gone at once, as a crashed X server
    expectCleanEnd(*dialog);
    EXPECT_NE(logText().find("the display connection was lost"), std::string::npos) << logText();
    expectNoAnswer(agent);
}

TEST_F(EdgeProcessTest, MarkerNamesTooLongForTheFileSystemAreSaid)
{
    auto dialog = start({"-suffix=" + std::string(250, 'a'), "-ok", "-default=yes", "-timeout=1"});
    expectCleanEnd(*dialog);
    const std::string output = dialog->output();
    EXPECT_NE(output.find("more than the file system allows (255)"), std::string::npos) << output;
    EXPECT_NE(output.find("the answer \"yes\" is lost"), std::string::npos) << output;
}

// Qt lays a paragraph out whole: a megabyte without a blank froze the
// dialog for more than a minute, deaf to EXIT and its time-out.
TEST_F(EdgeProcessTest, HugeMessagesLeaveExitAndTimeOutsWorking)
{
    const VUAMarkerMgr agent(std::string("huge"));
    auto dialog = start({"-suffix=huge", "-yesno", "-timeout=300"});
    ASSERT_TRUE(pollsMarkers(agent));
    agent.Publish(MARKER_MESG, std::string(1024 * 1024, 'x'));
    ASSERT_TRUE(takes(agent, MARKER_MESG));
    agent.Write(MARKER_APND);
    agent.Publish(MARKER_MESG, std::string(10 * 1024 * 1024, 'y'));
    ASSERT_TRUE(takes(agent, MARKER_MESG));
    agent.Publish(MARKER_EXIT, "");
    expectCleanEnd(*dialog);
    EXPECT_NE(logText().find("message cut at 20000 of"), std::string::npos);
    // The append is the newest text: its end is shown, the oldest text goes.
    EXPECT_NE(logText().find("message cut at its start: the first "), std::string::npos) << logText();

    const VUAMarkerMgr timed(std::string("hugetimeout"));
    std::string words;
    while (words.size() < 10 * 1024 * 1024) {
        words += "word ";
    }
    timed.Publish(MARKER_MESG, words);
    auto timing = start({"-suffix=hugetimeout", "-ok", "-default=yes", "-timeout=2"});
    expectCleanEnd(*timing);
    EXPECT_EQ(ReadFile(timed.GetFilePath(MARKER_YES)), "yes\n");
}
