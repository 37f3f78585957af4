#include "VuaAPI.h"
#include "CapturedStdout.h"
#include "FileHelpers.h"
#include "LogTag.h"
#include "TempAgentRoot.h"
#include "VUAOptions.h"
#include "VuaAPIOpaque.h"
#include "md5.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral("/opt/vora/bin/VUserAlert");

class VuaAPITest : public ::testing::Test
{
protected:
    // A facade set up from `options`, with the agent's side of the channel
    // on the same suffix.
    int start(QStringList options, const std::string& configFile = "debug=no\n")
    {
        root.writeConfig(configFile);
        options.prepend(kProgram);
        api = std::make_unique<VuaAPI>();
        api->setTeardownWait(std::chrono::milliseconds(0));
        int result = 0;
        printed = StdoutOf([&] { result = api->setup(options); });
        agent = std::make_unique<VUAMarkerMgr>(api->cpp()->markerMgr.suffix());
        return result;
    }

    std::string marker(VUA_MarkerType type) const { return agent->GetFilePath(type); }
    bool present(VUA_MarkerType type) const { return PathExists(marker(type)); }
    std::string logText() const
    {
        const std::string path = root.userDir() + "VAgent.log";
        return PathExists(path) ? ReadFile(path) : std::string();
    }

    TempAgentRoot root;
    std::unique_ptr<VuaAPI> api;
    std::unique_ptr<VUAMarkerMgr> agent;
    std::string printed;
};

ExitState Answer(void (ExitState::*set)(bool))
{
    ExitState state;
    (state.*set)(true);
    return state;
}

} // namespace

TEST_F(VuaAPITest, WholeRoadOfOneDialogWithoutAWindow)
{
    const std::string suffix = CreateHash("Editor 2.1");
    VUAMarkerMgr stale(suffix);
    for (const VUA_MarkerType type :
         {MARKER_YES, MARKER_CANCEL, MARKER_SNOOZE, MARKER_CONTINUE, MARKER_SHOWOK}) {
        stale.Write(type, "old");
    }

    ASSERT_EQ(start({"-name=Editor 2.1", "-message=Installing", "-yesno", "-timeout=120"}), kParseSuccess);
    EXPECT_EQ(api->cpp()->markerMgr.suffix(), suffix);
    EXPECT_EQ(api->snoozePath(), QString::fromStdString(root.userDir() + "VUSERALERT_SNOOZE." + suffix));
    EXPECT_EQ(api->appPath(), QString::fromStdString(root.dataDir()));
    EXPECT_EQ(api->name(), "Editor 2.1");
    EXPECT_EQ(api->message(), "Installing");
    EXPECT_TRUE(api->isYesNoBtn());
    EXPECT_FALSE(api->isOkBtn());
    EXPECT_EQ(api->timeout(), 120);
    for (const VUA_MarkerType type : {MARKER_YES, MARKER_CANCEL, MARKER_SNOOZE, MARKER_CONTINUE}) {
        EXPECT_FALSE(present(type)) << type;
    }
    // Command markers already present are obeyed at the first poll.
    EXPECT_TRUE(api->checkCommand(MARKER_SHOWOK));
    EXPECT_FALSE(present(MARKER_SHOWOK));
    EXPECT_FALSE(api->checkCommand(MARKER_SHOWOK));

    // Nothing written: nothing to do.
    EXPECT_FALSE(api->checkMessage().has_value());
    EXPECT_EQ(api->checkTimeoutCommand(), -1);

    agent->Write(MARKER_MESG, "Downloading");
    auto update = api->checkMessage();
    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(update->message(), "Downloading");
    EXPECT_FALSE(update->isAppend());
    EXPECT_FALSE(present(MARKER_MESG));

    agent->Write(MARKER_APND);
    agent->Write(MARKER_MESG, "50%");
    update = api->checkMessage();
    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(update->message(), "50%");
    EXPECT_TRUE(update->isAppend());
    EXPECT_FALSE(present(MARKER_APND));

    for (const VUA_MarkerType command : {MARKER_PROGON, MARKER_PROGOFF, MARKER_FINISH, MARKER_EXIT}) {
        agent->Write(command);
        EXPECT_TRUE(api->checkCommand(command)) << command;
        EXPECT_FALSE(present(command)) << command;
    }
    agent->Write(MARKER_SETTIMEOUT, "45");
    EXPECT_EQ(api->checkTimeoutCommand(), 45);
    EXPECT_FALSE(present(MARKER_SETTIMEOUT));

    // The agent writes EXIT and a late MESG; teardown answers and cleans up.
    agent->Write(MARKER_EXIT);
    agent->Write(MARKER_MESG, "late");
    agent->Write(MARKER_APND);
    api->teardown(Answer(&ExitState::setYesBtnClicked));
    EXPECT_EQ(ReadFile(marker(MARKER_YES)), "yes\n");
    for (const VUA_MarkerType gone : {MARKER_EXIT, MARKER_MESG, MARKER_APND}) {
        EXPECT_FALSE(present(gone)) << gone;
    }
    EXPECT_FALSE(present(MARKER_CANCEL));
    EXPECT_FALSE(present(MARKER_SNOOZE));

    // A second close path writes nothing more.
    api->teardown(Answer(&ExitState::setCancelBtnClicked));
    EXPECT_EQ(ReadFile(marker(MARKER_YES)), "yes\n");
    EXPECT_FALSE(present(MARKER_CANCEL));
}

TEST_F(VuaAPITest, AnswerRules)
{
    struct Case
    {
        const char* defaultOption;
        void (ExitState::*set)(bool);
        bool timedOut;
        VUA_MarkerType expected; // MARKER_NONE: no answer
    };
    const Case cases[] = {
        {"-default=no", &ExitState::setYesBtnClicked, false, MARKER_YES},
        {"-default=no", &ExitState::setCancelBtnClicked, false, MARKER_CANCEL},
        {"-default=no", &ExitState::setSnoozeBtnClicked, false, MARKER_SNOOZE},
        {"-default=no", &ExitState::setContinueBtnClicked, false, MARKER_CONTINUE},
        {"-default=yes", &ExitState::setTimedOut, true, MARKER_YES},
        {"-default=cancel", &ExitState::setTimedOut, true, MARKER_CANCEL},
        {"-default=snooze", &ExitState::setTimedOut, true, MARKER_SNOOZE},
        {"-default=continue", &ExitState::setTimedOut, true, MARKER_CONTINUE},
        {"-default=no", &ExitState::setTimedOut, true, MARKER_NONE},
        {"-name=x", &ExitState::setTimedOut, true, MARKER_NONE},
        // The first rule wins: Cancel after a time-out with default Yes is yes.
        {"-default=yes", &ExitState::setCancelBtnClicked, true, MARKER_YES},
    };
    const std::pair<VUA_MarkerType, const char*> words[] = {{MARKER_YES, "yes\n"},
                                                            {MARKER_CANCEL, "cancel\n"},
                                                            {MARKER_SNOOZE, "snooze\n"},
                                                            {MARKER_CONTINUE, "continue\n"}};
    for (const Case& c : cases) {
        ASSERT_EQ(start({c.defaultOption, "-ok", "-cancel"}), kParseSuccess);
        ExitState state = Answer(c.set);
        state.setTimedOut(c.timedOut);
        api->teardown(state);
        for (const auto& [type, word] : words) {
            if (type == c.expected) {
                EXPECT_EQ(ReadFile(marker(type)), word) << c.defaultOption;
            } else {
                EXPECT_FALSE(present(type)) << c.defaultOption << " wrote " << word;
            }
        }
        agent->DeleteAll();
    }

    // Yes together with Continue is not yes but continue.
    ASSERT_EQ(start({"-ok"}), kParseSuccess);
    ExitState both = Answer(&ExitState::setYesBtnClicked);
    both.setContinueBtnClicked(true);
    api->teardown(both);
    EXPECT_FALSE(present(MARKER_YES));
    EXPECT_EQ(ReadFile(marker(MARKER_CONTINUE)), "continue\n");
}

TEST_F(VuaAPITest, SnoozeAnswerFollowsTheChoicesAlreadyWritten)
{
    ASSERT_EQ(start({"-multisnoozemessage=PRE7^a^b^^8^c^d"}), kParseSuccess);
    ASSERT_EQ(api->multiMessages().size(), 2);
    EXPECT_EQ(api->multiMessages()[0].chunkId(), 7);
    EXPECT_DOUBLE_EQ(api->multiMessages()[0].timeOutSecs(), 300.0);
    EXPECT_TRUE(api->isMultiSnoozeMessageMode());
    WriteFile(api->snoozePath().toStdString(), "7:1F,8:0T");
    api->teardown(Answer(&ExitState::setSnoozeBtnClicked));
    EXPECT_EQ(ReadFile(api->snoozePath().toStdString()), "7:1F,8:0Tsnooze\n");
}

TEST_F(VuaAPITest, TimeoutMarkerValues)
{
    ASSERT_EQ(start({"-ok"}), kParseSuccess);
    const std::pair<const char*, int> values[] = {
        {"45\n", 45},
        {"abc", 0},
        {"", -1},
        {"  \n", -1},
        {" -7 apples", -7},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
        {"12\n34\n", 1234},
    };
    for (const auto& [content, expected] : values) {
        WriteFile(marker(MARKER_SETTIMEOUT), content);
        EXPECT_EQ(api->checkTimeoutCommand(), expected) << '"' << content << '"';
        EXPECT_FALSE(present(MARKER_SETTIMEOUT));
    }
    // An unreadable marker stays for the next poll.
    MakeDirs(marker(MARKER_SETTIMEOUT));
    EXPECT_EQ(api->checkTimeoutCommand(), -1);
    EXPECT_TRUE(present(MARKER_SETTIMEOUT));
}

TEST_F(VuaAPITest, MessageMarkerEdgeCases)
{
    ASSERT_EQ(start({"-ok"}), kParseSuccess);

    // APND alone is not consumed.
    agent->Write(MARKER_APND);
    EXPECT_FALSE(api->checkMessage().has_value());
    EXPECT_TRUE(present(MARKER_APND));

    // Invalid UTF-8 keeps its valid part, with replacement characters.
    WriteFile(marker(MARKER_MESG), "Caf\xc3\xa9 \xff\xfe ok");
    auto update = api->checkMessage();
    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(update->message(), QString::fromUtf8("Caf\xc3\xa9 \xef\xbf\xbd\xef\xbf\xbd ok"));
    EXPECT_TRUE(update->isAppend());

    // An unreadable message is lost, but its markers are removed.
    MakeDirs(marker(MARKER_MESG));
    agent->Write(MARKER_APND);
    EXPECT_FALSE(api->checkMessage().has_value());
    EXPECT_FALSE(present(MARKER_MESG));
    EXPECT_FALSE(present(MARKER_APND));

    // Another user's message is refused without taking the APND the agent
    // made for its own.
    agent->Write(MARKER_APND);
    WriteFile(marker(MARKER_MESG), "planted\n");
    ASSERT_EQ(::chown(marker(MARKER_MESG).c_str(), 4242, 4242), 0);
    EXPECT_FALSE(api->checkMessage().has_value());
    EXPECT_TRUE(present(MARKER_APND));
    ASSERT_TRUE(agent->Delete(MARKER_MESG));
    ASSERT_TRUE(agent->Delete(MARKER_APND));

    // An empty marker is an empty message, not no message.
    agent->Write(MARKER_MESG);
    update = api->checkMessage();
    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(update->message(), "");

    WriteFile(marker(MARKER_MESG), std::string(1 << 20, 'x') + "\n");
    update = api->checkMessage();
    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(update->message().size(), 1 << 20);
}

TEST_F(VuaAPITest, DebugLevelFromOptionOrMarker)
{
    ASSERT_EQ(start({"-ok"}), kParseSuccess);
    EXPECT_EQ(api->debugLevel(), 0);
    ASSERT_EQ(start({"-ok", "-debug"}), kParseSuccess);
    EXPECT_EQ(api->debugLevel(), 1);
    WriteFile(root.userDir() + "WORKCELL_DEBUG", "");
    ASSERT_EQ(start({"-ok"}), kParseSuccess);
    EXPECT_EQ(api->debugLevel(), 1);
    EXPECT_TRUE(PathExists(root.userDir() + "WORKCELL_DEBUG"));
    EXPECT_TRUE(api->isOkBtn());
    // Another user's marker, or a link, turns nothing on.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((root.userDir() + "WORKCELL_DEBUG").c_str(), 4343, 4343), 0);
        ASSERT_EQ(start({"-ok"}), kParseSuccess);
        EXPECT_EQ(api->debugLevel(), 0);
    }
    ASSERT_EQ(::unlink((root.userDir() + "WORKCELL_DEBUG").c_str()), 0);
    ASSERT_EQ(::symlink((root.userDir() + "elsewhere").c_str(), (root.userDir() + "WORKCELL_DEBUG").c_str()),
              0);
    WriteFile(root.userDir() + "elsewhere", "");
    ASSERT_EQ(start({"-ok"}), kParseSuccess);
    EXPECT_EQ(api->debugLevel(), 0);
}

TEST_F(VuaAPITest, StartUpFailuresAreReturnedAndLogged)
{
    EXPECT_EQ(start({}), kParseMissingParameters);
    EXPECT_EQ(start({"-h"}), kParseUsageRequested);
    EXPECT_EQ(start({"-bogus"}), kParseUnknownParameter);
    EXPECT_EQ(printed, ""); // the usage line is debug-only
    EXPECT_EQ(start({"-ok", "-yesno"}), kParseInvalidCombination);
    EXPECT_NE(printed.find(LogTag("VUserAlert:-[VuaAPI setup]") +
                           "VUserAlert:  Invalid combination of parameters.\n"),
              std::string::npos)
        << printed;
    EXPECT_NE(logText().find("VUserAlert:  Invalid combination of parameters."), std::string::npos);
    // The next line names the options that clash.
    const std::pair<QStringList, std::string> clashes[] = {
        {{"-ok", "-yesno"}, "-ok and -yesno clash: "},
        {{"-yesno", "-snooze"}, "-snooze and -yesno clash: "},
        {{"-cancel", "-snooze"}, "-snooze without -ok: "}};
    for (const auto& [options, clash] : clashes) {
        EXPECT_EQ(start(options), kParseInvalidCombination);
        const std::string invalid = "Invalid combination of parameters.\n";
        const size_t next = printed.find(invalid);
        ASSERT_NE(next, std::string::npos) << printed;
        const size_t from = next + invalid.size();
        const std::string line = printed.substr(from, printed.find('\n', from) - from);
        EXPECT_NE(line.find(LogTag("VUserAlert:-[VuaAPI setup]") + "VUserAlert:  " + clash), std::string::npos)
            << printed;
    }
    // Nothing is published after a failure.
    EXPECT_TRUE(api->snoozePath().isEmpty());
    EXPECT_FALSE(api->isOkBtn());
    EXPECT_EQ(api->buildUsageString().toStdString(), BuildUsageString(""));
    EXPECT_TRUE(api->buildUsageString("X").startsWith("X\n\nusage: VUserAlert"));
}

TEST_F(VuaAPITest, LoggingFollowsTheConfiguration)
{
    // Default configuration (debug true, flags 0): the suffix line reaches the file.
    ASSERT_EQ(start({"-name=Pkg", "-suffix=a-b"}, "companyname=Acme\n"), kParseSuccess);
    EXPECT_EQ(api->cpp()->log.debugFlags, 0u);
    EXPECT_NE(api->cpp()->log.lock, nullptr);
    EXPECT_NE(logText().find("] VUserAlert, suffix provided, set as a-b\n"), std::string::npos) << logText();
    EXPECT_EQ(api->cpp()->markerMgr.suffix(), "aXb");
    EXPECT_EQ(logText().find("START"), std::string::npos); // debug-only lines go nowhere
    api->logMessage("VUserAlert:  showing window");
    EXPECT_EQ(logText().find("showing window"), std::string::npos);

    // A missing configuration is logged and the dialog goes on.
    RemoveTree(root.dataDir() + "arn.conf");
    api = std::make_unique<VuaAPI>();
    std::string out = StdoutOf([&] { EXPECT_EQ(api->setup({kProgram, "-ok"}), kParseSuccess); });
    EXPECT_NE(out.find("VCopy - Main:  Failed to load Agent configuration files\n"), std::string::npos)
        << out;
}

TEST_F(VuaAPITest, CompanyNameReplacement)
{
    ASSERT_EQ(start({"-ok"}, "companyname=Acme\n"), kParseSuccess);
    EXPECT_EQ(api->replaceCompanyName("VORA Agent"), "Acme Agent");
    EXPECT_EQ(api->replaceCompanyName("VORAVORA"), "AcmeAcme");
    EXPECT_EQ(api->replaceCompanyName("vora stays"), "vora stays");

    ASSERT_EQ(start({"-ok"}, "companyname=VORA Inc\n"), kParseSuccess);
    EXPECT_EQ(api->replaceCompanyName("VORA Agent"), "VORA Inc Agent");

    ASSERT_EQ(start({"-ok"}, "debug=no\n"), kParseSuccess);
    EXPECT_EQ(api->replaceCompanyName("VORA Agent"), "VORA Agent");
}

TEST_F(VuaAPITest, UncreatableMarkerDirectoryIsQuiet)
{
    ScopedEnv unreachable("VORA_AGENT_ROOT", std::string("/proc/vora-cannot-exist"));
    VuaAPI facade;
    facade.setTeardownWait(std::chrono::milliseconds(0));
    StdoutOf([&] { EXPECT_EQ(facade.setup({kProgram, "-ok"}), kParseSuccess); });
    EXPECT_FALSE(facade.checkCommand(MARKER_EXIT));
    EXPECT_FALSE(facade.checkMessage().has_value());
    EXPECT_EQ(facade.checkTimeoutCommand(), -1);
    facade.teardown(Answer(&ExitState::setYesBtnClicked));
}
