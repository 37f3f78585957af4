// libvora-alert with a real dialog (QT_QPA_PLATFORM=offscreen from CTest).
#include "vora/alert.h"

#include "FileHelpers.h"
#include "TempAgentRoot.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

// An EXIT left by an earlier steer with no dialog open must not close the
// next dialog of that suffix: the start removes it.
TEST(AlertDialog, StaleExitDoesNotCloseTheNextDialog)
{
    const TempAgentRoot root;
    MakeDirs(root.userDir());
    const std::string exitMarker = root.userDir() + "VUSERALERT_EXIT.stale";
    WriteFile(exitMarker, "");
    const char* options[] = {"-name=Stale",   "-message=Still here?", "-yesno",
                             "-suffix=stale", "-timeout=120",         nullptr};
    vora_alert* alert = nullptr;
    ASSERT_EQ(vora_alert_start(nullptr, VUSERALERT_PATH, options, nullptr, 2, &alert), 0)
        << vora_alert_last_error();
    EXPECT_STREQ(vora_alert_get_suffix(alert), "stale");
    EXPECT_EQ(vora_alert_get_wait_limit(alert), 135);
    EXPECT_FALSE(PathExists(exitMarker));

    // The dialog polls and takes what it is sent: it is still there.
    ASSERT_EQ(vora_alert_publish(alert, VORA_ALERT_PROGRESS_ON, nullptr), 0);
    EXPECT_EQ(vora_alert_await_taken(alert, 30000), 0) << vora_alert_last_error();
    EXPECT_EQ(vora_alert_running(alert), 1);

    ASSERT_EQ(vora_alert_publish(alert, VORA_ALERT_EXIT, nullptr), 0);
    vora_alert_ending ending = {};
    ASSERT_EQ(vora_alert_wait(alert, 30000, &ending), 0);
    EXPECT_EQ(ending.exited, 1);
    EXPECT_EQ(ending.ended_by_agent, 0);
    vora_alert_answer* answer = nullptr;
    ASSERT_EQ(vora_alert_read_answer(alert, &answer), 0);
    EXPECT_EQ(vora_alert_answer_word(answer), nullptr);
    vora_alert_answer_free(answer);
    vora_alert_free(alert);
}

// A dialog still there at the limit is ended, and a marker it never took
// is removed rather than left for the next dialog.
TEST(AlertDialog, WaitLimitEndsTheDialogAndDropsWhatItDidNotTake)
{
    const TempAgentRoot root;
    const char* options[] = {"-name=Stuck", "-message=m", "-suffix=stuck", nullptr};
    vora_alert* alert = nullptr;
    ASSERT_EQ(vora_alert_start(nullptr, VUSERALERT_PATH, options, nullptr, 2, &alert), 0)
        << vora_alert_last_error();
    EXPECT_NE(std::string(vora_alert_describe(alert)), "");
    // Published before the dialog polls at all: it ends untaken.
    ASSERT_EQ(vora_alert_publish(alert, VORA_ALERT_EXIT, nullptr), 0);
    vora_alert_ending ending = {};
    ASSERT_EQ(vora_alert_wait(alert, 0, &ending), 0);
    EXPECT_EQ(ending.ended_by_agent, 1);
    EXPECT_FALSE(PathExists(root.userDir() + "VUSERALERT_EXIT.stuck"));
    vora_alert_free(alert);
}
