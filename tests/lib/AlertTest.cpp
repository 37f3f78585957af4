// The channel calls of libvora-alert, through its C interface only.
#include "vora/alert.h"

#include "FileHelpers.h"
#include "TempAgentRoot.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct AlertFree
{
    void operator()(vora_alert* alert) const { vora_alert_free(alert); }
};
using Alert = std::unique_ptr<vora_alert, AlertFree>;

struct AnswerFree
{
    void operator()(vora_alert_answer* answer) const { vora_alert_answer_free(answer); }
};
using Answer = std::unique_ptr<vora_alert_answer, AnswerFree>;

std::string Owned(char* text)
{
    const std::string copy = text != nullptr ? text : "";
    std::free(text);
    return copy;
}

class AlertChannel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vora_alert* opened = nullptr;
        ASSERT_EQ(vora_alert_open("chan", nullptr, &opened), 0) << vora_alert_last_error();
        m_alert.reset(opened);
    }
    std::string path(const char* prefix) const { return m_root.userDir() + prefix + "chan"; }
    Answer answer() const
    {
        vora_alert_answer* read = nullptr;
        EXPECT_EQ(vora_alert_read_answer(m_alert.get(), &read), 0) << vora_alert_last_error();
        return Answer(read);
    }

    TempAgentRoot m_root;
    Alert m_alert;
};

} // namespace

TEST(AlertText, SuffixFollowsTheDialogsRule)
{
    const struct
    {
        std::vector<const char*> options;
        int result;
        std::string suffix;
    } cases[] = {
        {{"-name=abc", "-message=m", nullptr}, 0, "900150983cd24fb0d6963f7d28e17f72"},
        {{"-name=!ENC!YWJj!ENC!", "-message=m", nullptr}, 0, "900150983cd24fb0d6963f7d28e17f72"},
        {{"-name=abc", "-message=m", "-suffix=a-b.c", nullptr}, 0, "aXbXc"},
        {{"-h", nullptr}, -EINVAL, ""},
        {{"-name=abc", "-bogus", nullptr}, -EINVAL, ""},
    };
    for (const auto& c : cases) {
        char* suffix = nullptr;
        EXPECT_EQ(vora_alert_suffix(c.options.data(), &suffix), c.result) << c.options[0];
        EXPECT_EQ(Owned(suffix), c.suffix) << c.options[0];
    }
}

TEST(AlertText, EncodesBetweenTags)
{
    for (const auto& [value, encoded] :
         std::vector<std::pair<const char*, std::string>>{{"Hello", "!ENC!SGVsbG8=!ENC!"},
                                                          {"", "!ENC!!ENC!"},
                                                          {"ab", "!ENC!YWI=!ENC!"},
                                                          {"abc", "!ENC!YWJj!ENC!"}}) {
        char* out = nullptr;
        ASSERT_EQ(vora_alert_encode(value, &out), 0);
        EXPECT_EQ(Owned(out), encoded);
    }
}

TEST_F(AlertChannel, PublishesWholeMarkersOfTheMarkerMode)
{
    ASSERT_EQ(vora_alert_publish(m_alert.get(), VORA_ALERT_APPEND, "line two"), 0);
    EXPECT_TRUE(PathExists(path("VUSERALERT_APND.")));
    EXPECT_EQ(ReadFile(path("VUSERALERT_MESG.")), "line two\n");
    struct stat info = {};
    ASSERT_EQ(::stat(path("VUSERALERT_MESG.").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    // A message replaces: an untaken APND must not turn it into an append.
    ASSERT_EQ(vora_alert_publish(m_alert.get(), VORA_ALERT_MESSAGE, "new"), 0);
    EXPECT_FALSE(PathExists(path("VUSERALERT_APND.")));
    EXPECT_EQ(vora_alert_publish(m_alert.get(), VORA_ALERT_TIMEOUT, "soon"), -EINVAL);
    EXPECT_NE(std::string(vora_alert_last_error()), "");
}

TEST_F(AlertChannel, TakenMeansTheFilePublishedIsGone)
{
    ASSERT_EQ(vora_alert_publish(m_alert.get(), VORA_ALERT_EXIT, nullptr), 0);
    EXPECT_EQ(vora_alert_await_taken(m_alert.get(), 20), -ETIMEDOUT);
    // Taken, and another user's file put at the name since: still taken.
    ASSERT_EQ(::unlink(path("VUSERALERT_EXIT.").c_str()), 0);
    WriteFile(path("VUSERALERT_EXIT."), "");
    ASSERT_EQ(::chown(path("VUSERALERT_EXIT.").c_str(), 4242, 4242), 0);
    EXPECT_EQ(vora_alert_await_taken(m_alert.get(), 20), 0);
    // A handle that started nothing has no process to wait for.
    EXPECT_EQ(vora_alert_wait(m_alert.get(), 10, nullptr), -ECHILD);
}

TEST_F(AlertChannel, ReadsTheAnswerWordAndSnoozeChoices)
{
    EXPECT_EQ(vora_alert_answer_word(answer().get()), nullptr);
    WriteFile(path("VUSERALERT_SNOOZE."), "7:1F,8:0T,bad,99999999999:0F\nsnooze\n");
    const Answer read = answer();
    ASSERT_STREQ(vora_alert_answer_word(read.get()), "snooze");
    ASSERT_EQ(vora_alert_answer_snooze_count(read.get()), 2u);
    int chunk = 0, index = 0, timedOut = 0;
    ASSERT_EQ(vora_alert_answer_snooze(read.get(), 1, &chunk, &index, &timedOut), 0);
    EXPECT_EQ((std::vector<int>{chunk, index, timedOut}), (std::vector<int>{8, 0, 1}));
    EXPECT_EQ(vora_alert_answer_snooze(read.get(), 2, &chunk, &index, &timedOut), -ERANGE);
}

TEST_F(AlertChannel, RefusedAnswersSayWhy)
{
    ASSERT_EQ(::mkfifo(path("VUSERALERT_YES.").c_str(), 0600), 0);
    WriteFile(path("VUSERALERT_CANCEL."), "cancel\n");
    ASSERT_EQ(::chown(path("VUSERALERT_CANCEL.").c_str(), 4242, 4242), 0);
    WriteFile(path("VUSERALERT_CONTINUE."), std::string(64 * 1024 + 1, 'x'));
    WriteFile(path("VUSERALERT_SNOOZE."), "snooze\n");
    const Answer read = answer();
    EXPECT_STREQ(vora_alert_answer_word(read.get()), "snooze");
    std::vector<std::pair<std::string, int>> refused;
    for (size_t i = 0; i < vora_alert_answer_refused_count(read.get()); ++i) {
        const char* where = nullptr;
        const char* text = nullptr;
        int reason = 0;
        ASSERT_EQ(vora_alert_answer_refused(read.get(), i, &where, &reason, nullptr, &text), 0);
        EXPECT_NE(std::string(text), "");
        refused.emplace_back(where, reason);
    }
    EXPECT_EQ(refused, (std::vector<std::pair<std::string, int>>{
                           {path("VUSERALERT_YES."), VORA_ALERT_REFUSED_TYPE},
                           {path("VUSERALERT_CANCEL."), VORA_ALERT_REFUSED_OWNER},
                           {path("VUSERALERT_CONTINUE."), VORA_ALERT_REFUSED_SIZE}}));
}
