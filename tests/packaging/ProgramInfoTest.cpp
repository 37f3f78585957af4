// VORAMenuBar and vora-agent as an administrator or a package script calls
// them: --help and --version on standard output with status 0, before any
// window system is touched, so that they work without a display.
#include "TempAgentRoot.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    bool finished = false;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    std::string out;
    std::string err;
};

// No display of any kind: a program that needed one would fail.
QProcessEnvironment WithoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    return environment;
}

Outcome RunProgram(const char* program, const QStringList& arguments,
                   const QProcessEnvironment& environment = WithoutDisplay(),
                   const QString& outputFile = QString())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!outputFile.isEmpty()) {
        process.setStandardOutputFile(outputFile);
    }
    process.start(QString::fromUtf8(program), arguments);
    Outcome outcome;
    outcome.finished = process.waitForFinished(60000);
    if (!outcome.finished) {
        process.kill();
        process.waitForFinished();
    }
    outcome.exitStatus = process.exitStatus();
    outcome.exitCode = process.exitCode();
    outcome.out = process.readAllStandardOutput().toStdString();
    outcome.err = process.readAllStandardError().toStdString();
    return outcome;
}

void ExpectSuccess(const Outcome& outcome)
{
    ASSERT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.exitStatus, QProcess::NormalExit);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

const std::string kVersionSuffix = std::string(" ") + VORA_VERSION + " (build " + VORA_BUILD_NUMBER + ")\n";

} // namespace

TEST(ProgramInfoTest, MenuBarPrintsItsHelpWithoutADisplay)
{
    for (const char* option : {"--help", "-h"}) {
        const Outcome outcome = RunProgram(VORAMENUBAR_PATH, {QString::fromLatin1(option)});
        ExpectSuccess(outcome);
        EXPECT_TRUE(StartsWith(outcome.out, "usage: VORAMenuBar")) << option << ": " << outcome.out;
        EXPECT_NE(outcome.out.find("--version"), std::string::npos);
        EXPECT_NE(outcome.out.find("VORAMenuBar(1)"), std::string::npos);
    }
}

TEST(ProgramInfoTest, BothPrintTheirVersionWithoutADisplay)
{
    const Outcome menuBar = RunProgram(VORAMENUBAR_PATH, {"--version"});
    ExpectSuccess(menuBar);
    EXPECT_EQ(menuBar.out, "VORAMenuBar" + kVersionSuffix);

    const Outcome agent = RunProgram(VORA_AGENT_PATH, {"--version"});
    ExpectSuccess(agent);
    EXPECT_EQ(agent.out, "vora-agent" + kVersionSuffix);
}

TEST(ProgramInfoTest, AgentPrintsItsUsage)
{
    const Outcome outcome = RunProgram(VORA_AGENT_PATH, {"--help"});
    ExpectSuccess(outcome);
    EXPECT_TRUE(StartsWith(outcome.out, "usage: vora-agent COMMAND")) << outcome.out;
}

TEST(ProgramInfoTest, OutputThatCannotBeWrittenFails)
{
    for (const char* program : {VORAMENUBAR_PATH, VORA_AGENT_PATH}) {
        const Outcome outcome =
            RunProgram(program, {"--version"}, WithoutDisplay(), QStringLiteral("/dev/full"));
        ASSERT_TRUE(outcome.finished);
        EXPECT_EQ(outcome.exitStatus, QProcess::NormalExit);
        EXPECT_EQ(outcome.exitCode, 1) << program;
        EXPECT_NE(outcome.err.find("standard output"), std::string::npos) << outcome.err;
    }
}

// Arguments are otherwise Qt's: what Qt does not take is reported and the
// program runs on (here it ends at once: the agent root has no arn.conf).
TEST(ProgramInfoTest, MenuBarReportsArgumentsItIgnores)
{
    TempAgentRoot root;
    const Outcome outcome = RunProgram(VORAMENUBAR_PATH, {"-platform", "offscreen", "--verbose", "extra"},
                                       QProcessEnvironment::systemEnvironment());
    ASSERT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(outcome.err.find("VORAMenuBar: ignoring unknown argument --verbose (see --help)"),
              std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find("ignoring unknown argument extra"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("ignoring unknown argument -platform"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("ignoring unknown argument offscreen"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("arn.conf not found"), std::string::npos) << outcome.err;
}
