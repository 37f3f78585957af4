#include "FileHelpers.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

TEST(MarkerMgr, PathsAreDirectoryPrefixAndSanitizedSuffix)
{
    TempAgentRoot root;
    VUAMarkerMgr markers;
    EXPECT_EQ(markers.GetPathFromType(MARKER_EXIT), root.userDir() + "VUSERALERT_EXIT.");
    EXPECT_EQ(markers.GetFilePath(MARKER_DEBUG), root.userDir() + "WORKCELL_DEBUG");
    EXPECT_EQ(markers.GetFilePath(MARKER_NONE), "");
    EXPECT_TRUE(PathExists(root.userDir()));

    markers.SetSuffix("abc");
    EXPECT_EQ(markers.GetPathFromType(MARKER_EXIT), root.userDir() + "VUSERALERT_EXIT.abc");
    markers.SetSuffix("a-b.c");
    EXPECT_EQ(markers.suffix(), "aXbXc");
    markers.SetSuffix("");
    EXPECT_EQ(markers.suffix(), "aXbXc");
    markers.SetSuffix("../../x");
    EXPECT_EQ(markers.GetFilePath(MARKER_YES), root.userDir() + "VUSERALERT_YES.XXXXXXx");

    const std::pair<VUA_MarkerType, const char*> names[] = {
        {MARKER_MESG, "VUSERALERT_MESG."},         {MARKER_APND, "VUSERALERT_APND."},
        {MARKER_SHOWOK, "VUSERALERT_SHOWOK."},     {MARKER_PROGON, "VUSERALERT_PROGON."},
        {MARKER_PROGOFF, "VUSERALERT_PROGOFF."},   {MARKER_SETTIMEOUT, "VUSERALERT_SETTIMEOUT."},
        {MARKER_EXIT, "VUSERALERT_EXIT."},         {MARKER_SNOOZE, "VUSERALERT_SNOOZE."},
        {MARKER_YES, "VUSERALERT_YES."},           {MARKER_CANCEL, "VUSERALERT_CANCEL."},
        {MARKER_CONTINUE, "VUSERALERT_CONTINUE."}, {MARKER_FINISH, "VUSERALERT_FINISH."},
        {MARKER_DEBUG, "WORKCELL_DEBUG"},
    };
    VUAMarkerMgr agentSide(std::string("s1"));
    for (const auto& [type, prefix] : names) {
        EXPECT_EQ(agentSide.GetFilePath(type), root.userDir() + prefix + "s1") << prefix;
    }
    EXPECT_EQ(VUAMarkerMgr(static_cast<const char*>(nullptr)).suffix(), "");
    EXPECT_EQ(VUAMarkerMgr("p.q").suffix(), "pXq");
}

TEST(MarkerMgr, ReadJoinsLinesAndReportsMissingMarkers)
{
    TempAgentRoot root;
    VUAMarkerMgr markers(std::string("abc"));

    std::string text = "kept";
    EXPECT_FALSE(markers.Read(MARKER_MESG, text));
    EXPECT_EQ(text, "kept");

    WriteFile(markers.GetFilePath(MARKER_MESG), "Line one\nLine two\n");
    std::vector<std::string> lines;
    EXPECT_TRUE(markers.Read(MARKER_MESG, lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"Line one", "Line two", ""}));
    text.clear();
    EXPECT_TRUE(markers.Read(MARKER_MESG, text));
    EXPECT_EQ(text, "Line oneLine two");

    WriteFile(markers.GetFilePath(MARKER_MESG), "");
    text = "x";
    EXPECT_TRUE(markers.Read(MARKER_MESG, text));
    EXPECT_EQ(text, "x");

    WriteFile(markers.GetFilePath(MARKER_MESG), "crlf\r\nend");
    EXPECT_TRUE(markers.Read(MARKER_MESG, lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"crlf\r", "end"}));

    MakeDirs(markers.GetFilePath(MARKER_SETTIMEOUT));
    EXPECT_TRUE(markers.Exists(MARKER_SETTIMEOUT)); // a directory counts as present
    EXPECT_FALSE(markers.Read(MARKER_SETTIMEOUT, lines));

    // A link counts by its target: a dangling one is no marker.
    ASSERT_EQ(::symlink("missing", markers.GetFilePath(MARKER_EXIT).c_str()), 0);
    EXPECT_FALSE(markers.Exists(MARKER_EXIT));
    ASSERT_EQ(::symlink(markers.GetFilePath(MARKER_MESG).c_str(), markers.GetFilePath(MARKER_SHOWOK).c_str()),
              0);
    EXPECT_TRUE(markers.Exists(MARKER_SHOWOK));
}

// The answer protocol both sides share: words, sweep, modes, log names.
TEST(MarkerMgr, AnswersAreOwnerOnlyAndSweptAway)
{
    TempAgentRoot root;
    VUAMarkerMgr markers(std::string("a-b"));
    EXPECT_EQ(markers.LogName(MARKER_YES), "VUSERALERT_YES.a-b");
    EXPECT_EQ(markers.LogPath(MARKER_DEBUG), root.userDir() + "WORKCELL_DEBUG");
    const mode_t umaskBefore = ::umask(0);
    for (const VUAAnswerMarker& answer : kAnswerMarkers) {
        EXPECT_STREQ(AnswerWord(answer.type), answer.word);
        EXPECT_TRUE(markers.Write(answer.type, answer.word));
    }
    WriteFile(markers.GetFilePath(MARKER_MESG), "text");
    ::chmod(markers.GetFilePath(MARKER_MESG).c_str(), 0644);
    EXPECT_TRUE(markers.Replace(MARKER_MESG, "kept")); // an earlier file is narrowed
    EXPECT_TRUE(markers.Publish(MARKER_EXIT, ""));
    ::umask(umaskBefore);
    for (const VUA_MarkerType type :
         {MARKER_YES, MARKER_CANCEL, MARKER_SNOOZE, MARKER_CONTINUE, MARKER_MESG, MARKER_EXIT}) {
        struct stat info;
        ASSERT_EQ(::stat(markers.GetFilePath(type).c_str(), &info), 0) << type;
        EXPECT_EQ(info.st_mode & 07777, 0600u) << type;
    }
    EXPECT_EQ(AnswerWord(MARKER_EXIT), nullptr);
    EXPECT_EQ(JoinMarkerLines(std::string("Line one\nLine two\n")), "Line oneLine two");
    EXPECT_EQ(MarkerLine("yes"), "yes\n");
    EXPECT_EQ(MarkerLine("yes\n"), "yes\n");
    EXPECT_EQ(MarkerLine(""), "");

    markers.Delete(MARKER_YES);
    MakeDirs(markers.GetFilePath(MARKER_YES) + "/planted"); // moved aside
    EXPECT_TRUE(markers.DeleteAnswers().empty());
    for (const VUAAnswerMarker& answer : kAnswerMarkers) {
        EXPECT_FALSE(markers.Exists(answer.type)) << answer.word;
    }
    EXPECT_TRUE(markers.Exists(MARKER_MESG));
}

TEST(MarkerMgr, WriteAppendsOneLinePerCall)
{
    TempAgentRoot root;
    VUAMarkerMgr markers(std::string("abc"));
    EXPECT_TRUE(markers.Write(MARKER_YES, "yes"));
    EXPECT_EQ(ReadFile(markers.GetFilePath(MARKER_YES)), "yes\n");
    EXPECT_TRUE(markers.Write(MARKER_YES, "yes\n"));
    EXPECT_EQ(ReadFile(markers.GetFilePath(MARKER_YES)), "yes\nyes\n");

    EXPECT_TRUE(markers.Write(MARKER_SHOWOK));
    EXPECT_EQ(ReadFile(markers.GetFilePath(MARKER_SHOWOK)), "");
    WriteFile(markers.GetFilePath(MARKER_EXIT), "content");
    EXPECT_TRUE(markers.Write(MARKER_EXIT));
    EXPECT_EQ(ReadFile(markers.GetFilePath(MARKER_EXIT)), "content");

    EXPECT_TRUE(markers.Write(MARKER_CANCEL, "")); // creates, writes nothing
    EXPECT_EQ(ReadFile(markers.GetFilePath(MARKER_CANCEL)), "");

    MakeDirs(markers.GetFilePath(MARKER_CONTINUE));
    EXPECT_FALSE(markers.Write(MARKER_CONTINUE, "continue"));
}

TEST(MarkerMgr, WriteReportsAFullDisk)
{
    if (!PathExists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    TempAgentRoot root;
    VUAMarkerMgr markers(std::string("abc"));
    ASSERT_EQ(symlink("/dev/full", markers.GetFilePath(MARKER_YES).c_str()), 0);
    EXPECT_FALSE(markers.Write(MARKER_YES, "yes"));
}

TEST(MarkerMgr, DeleteAllLeavesTheDebugMarker)
{
    TempAgentRoot root;
    VUAMarkerMgr markers(std::string("abc"));
    for (int type = MARKER_MESG; type <= MARKER_DEBUG; ++type) {
        markers.Write(static_cast<VUA_MarkerType>(type));
    }
    WriteFile(root.userDir() + "VUSERALERT_EXIT.other", "");
    markers.DeleteAll();
    EXPECT_EQ(ListDir(root.userDir()),
              (std::vector<std::string>{"VUSERALERT_EXIT.other", "WORKCELL_DEBUGabc"}));
    markers.Delete(MARKER_EXIT); // missing: nothing happens
}

TEST(MarkerMgr, UncreatableDirectoryMeansNothingIsFoundAndWritesFail)
{
    ScopedEnv root("VORA_AGENT_ROOT", std::string("/proc/vora-cannot-exist"));
    VUAMarkerMgr markers(std::string("abc"));
    EXPECT_FALSE(markers.Exists(MARKER_EXIT));
    EXPECT_FALSE(markers.Write(MARKER_YES, "yes"));
    std::string text;
    EXPECT_FALSE(markers.Read(MARKER_MESG, text));
    markers.DeleteAll();
}

TEST(MarkerMgr, PublishPutsTheWholeMarkerInPlaceAtOnce)
{
    TempAgentRoot root;
    VUAMarkerMgr agent(std::string("abc"));
    agent.Write(MARKER_SETTIMEOUT, "5");
    EXPECT_TRUE(agent.Publish(MARKER_SETTIMEOUT, "30"));
    EXPECT_EQ(ReadFile(agent.GetFilePath(MARKER_SETTIMEOUT)), "30\n"); // replaced, not appended
    EXPECT_TRUE(agent.Publish(MARKER_MESG, "line\n"));
    EXPECT_EQ(ReadFile(agent.GetFilePath(MARKER_MESG)), "line\n");
    EXPECT_EQ(ListDir(root.userDir()),
              (std::vector<std::string>{"VUSERALERT_MESG.abc", "VUSERALERT_SETTIMEOUT.abc"}));
    // A directory with something in it at the name (a user can plant one in
    // the shared directory) is moved to a hidden name; the marker gets in.
    MakeDirs(agent.GetFilePath(MARKER_YES) + "/x");
    EXPECT_TRUE(agent.Publish(MARKER_YES, "yes"));
    EXPECT_EQ(ReadFile(agent.GetFilePath(MARKER_YES)), "yes\n");
    const std::vector<std::string> entries = ListDir(root.userDir());
    ASSERT_EQ(entries.size(), 4u); // no temporary file left behind
    EXPECT_EQ(entries.front().rfind(".vsafe-moved-", 0), 0u) << entries.front();
}
