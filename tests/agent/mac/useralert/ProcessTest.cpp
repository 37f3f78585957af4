// VUserAlert as the agent runs it: a separate process on the offscreen
// platform against a temporary agent root, steered through marker files.
#include "FileHelpers.h"
#include "StopProcess.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "WaitUntil.h"
#include "md5.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

class ProcessTest : public ::testing::Test
{
protected:
    void start(const QStringList& options)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VORA_AGENT_ROOT", QString::fromStdString(root.root()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("VEJBINSTANCE");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(VUSERALERT_PATH), options);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Waits for the end; the dialog must end by itself or on the agent's word.
    void expectCleanExit()
    {
        ASSERT_TRUE(WaitForEnd(process, 30000)) << process.readAll().toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAll().toStdString();
    }

    // Creates a command marker and waits until the dialog has consumed it.
    bool command(VUAMarkerMgr& agent, VUA_MarkerType type, const std::string& content = std::string())
    {
        if (content.empty()) {
            agent.Write(type);
        } else {
            agent.Publish(type, content);
        }
        return WaitUntil([&] { return !agent.Exists(type); });
    }

    void TearDown() override { StopProcess(process, 10000); }

    TempAgentRoot root;
    QProcess process;
};

} // namespace

TEST_F(ProcessTest, AgentSteersTheDialogAndClosesIt)
{
    root.writeConfig("companyname=Acme\n");
    VUAMarkerMgr agent(CreateHash("Deploy Editor"));
    agent.Write(MARKER_YES, "stale");
    start({"-name=Deploy Editor", "-message=Preparing", "-yesno", "-timeout=300"});

    EXPECT_TRUE(command(agent, MARKER_MESG, "Downloading"));
    EXPECT_FALSE(agent.Exists(MARKER_YES)); // stale answers are gone once the dialog runs
    agent.Write(MARKER_APND);
    EXPECT_TRUE(command(agent, MARKER_MESG, "Installing"));
    EXPECT_FALSE(agent.Exists(MARKER_APND));
    for (const VUA_MarkerType type : {MARKER_PROGON, MARKER_SHOWOK, MARKER_FINISH, MARKER_PROGOFF}) {
        EXPECT_TRUE(command(agent, type)) << type;
    }
    EXPECT_TRUE(command(agent, MARKER_SETTIMEOUT, "120"));
    agent.Write(MARKER_EXIT);
    expectCleanExit();

    EXPECT_FALSE(agent.Exists(MARKER_EXIT));
    for (const VUA_MarkerType answer : {MARKER_YES, MARKER_CANCEL, MARKER_SNOOZE, MARKER_CONTINUE}) {
        EXPECT_FALSE(agent.Exists(answer)) << answer;
    }
    EXPECT_TRUE(PathExists(root.userDir() + "VAgent.log"));
}

TEST_F(ProcessTest, TimeoutWithDefaultYesAnswersYes)
{
    start({"-name=Reboot", "-ok", "-default=yes", "-timeout=1", "-suffix=reboot-1"});
    expectCleanExit();
    VUAMarkerMgr agent(std::string("reboot-1"));
    EXPECT_EQ(agent.GetFilePath(MARKER_YES), root.userDir() + "VUSERALERT_YES.rebootX1");
    EXPECT_EQ(ReadFile(agent.GetFilePath(MARKER_YES)), "yes\n");
}

TEST_F(ProcessTest, MultiPageSnoozeDialogThatTimesOutLeavesChoicesAndSnooze)
{
    start({"-name=Updates", "-multisnoozemessage=PRE7^Editor^Install^-1^^8^Browser^Update^-1",
           "-default=snooze"});
    expectCleanExit();
    VUAMarkerMgr agent(CreateHash("Updates"));
    EXPECT_EQ(ReadFile(agent.GetFilePath(MARKER_SNOOZE)), "7:0T,8:0Tsnooze\n");
}

TEST_F(ProcessTest, InvalidCombinationEndsAtOnceWithoutAnswer)
{
    start({"-name=Bad", "-ok", "-yesno"});
    expectCleanExit();
    EXPECT_TRUE(process.readAll().contains("VUserAlert:  Invalid combination of parameters."));
    for (const std::string& name : ListDir(root.userDir())) {
        EXPECT_EQ(name, "VAgent.log");
    }
}

TEST_F(ProcessTest, CrashOptionEndsAbnormally)
{
    start({"-vcrash"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
}

// A dialog showing the progress meter and a link reads its built-in images
// with Qt's own BMP reader: no image plug-in is loaded to guess a format
// (each costs memory the dialog never uses).
TEST_F(ProcessTest, BuiltInImagesLoadNoImagePlugin)
{
    VUAMarkerMgr agent(std::string("plugins"));
    start({"-name=Images", "-message=See https://help.example.com", "-ok", "-suffix=plugins"});
    EXPECT_TRUE(command(agent, MARKER_PROGON));
    EXPECT_TRUE(command(agent, MARKER_SHOWOK)); // taken after PROGON was carried out
    const std::string maps = ReadFile("/proc/" + std::to_string(process.processId()) + "/maps");
    EXPECT_NE(maps.find("libQt6Gui"), std::string::npos);
    EXPECT_EQ(maps.find("/imageformats/"), std::string::npos);
    agent.Write(MARKER_EXIT);
    expectCleanExit();
}
