#include "VUAConfig.h"
#include "VUAOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

struct Parsed
{
    int result;
    VUAConfig config;
};

Parsed Parse(std::vector<std::string> options)
{
    options.insert(options.begin(), "/opt/vora/bin/VUserAlert");
    Parsed parsed{0, VUAConfig()};
    parsed.result = ParseCommandLineArgs(options, &parsed.config);
    return parsed;
}

} // namespace

TEST(CommandLine, ResultCodes)
{
    std::vector<std::string> onlyPath{"VUserAlert"};
    VUAConfig config;
    EXPECT_EQ(ParseCommandLineArgs(onlyPath, &config), kParseMissingParameters);
    EXPECT_EQ(ParseCommandLineArgs(onlyPath, nullptr), kParseUnknownParameter);
    EXPECT_EQ(Parse({"-h", "-bogus"}).result, kParseUsageRequested);
    EXPECT_EQ(Parse({"-?"}).result, kParseUsageRequested);
    EXPECT_EQ(Parse({"-bogus", "-h"}).result, kParseUnknownParameter);
    EXPECT_EQ(Parse({"-continue"}).result, kParseUnknownParameter);
    EXPECT_EQ(Parse({"=x"}).result, kParseUnknownParameter);
    EXPECT_EQ(Parse({"-vcrash", "-ok"}).result, kParseUnknownParameter);
    EXPECT_EQ(Parse({""}).result, kParseSuccess); // an empty name is skipped

    // After -2 the options before the help option stay; after -3 all is reset.
    const Parsed help = Parse({"-title=T", "-cancel", "-h", "-ok"});
    EXPECT_EQ(help.config.title, "T");
    EXPECT_TRUE(help.config.cancelBtn);
    EXPECT_FALSE(help.config.okBtn);
    const Parsed unknown = Parse({"-title=T", "-name=N", "-bogus"});
    EXPECT_EQ(unknown.config.title, "");
    EXPECT_EQ(unknown.config.name, "N"); // Reset leaves name and suffix
}

TEST(CommandLine, CrashOptionAloneAbortsTheProcess)
{
    EXPECT_DEATH(Parse({"-vcrash"}), "");
}

TEST(CommandLine, NamesFoldToLowerCaseAndSlashStandsForDash)
{
    for (const char* option : {"-Name=Foo", "/name=Foo", "-NAME=Foo"}) {
        EXPECT_EQ(Parse({option}).config.name, "Foo") << option;
    }
    EXPECT_EQ(Parse({"-name=Foo=Bar"}).config.name, "Foo=Bar");
    EXPECT_EQ(Parse({"-TITLE=Keep Case"}).config.title, "Keep Case");
    EXPECT_TRUE(Parse({"-ok=no"}).config.okBtn);
}

TEST(CommandLine, SuffixComesFromTheOptionOrTheDigestOfTheDecodedName)
{
    const Parsed bare = Parse({"-name"});
    EXPECT_EQ(bare.config.name, "unnamed");
    EXPECT_EQ(bare.config.suffix, "4af52202f77beb11ba59ce2056aa7878");

    const Parsed suffix = Parse({"-suffix=abc"});
    EXPECT_EQ(suffix.config.name, "");
    EXPECT_EQ(suffix.config.suffix, "abc");

    // "!ENC!dW5uYW1lZA==!ENC!" decodes to "unnamed": the same digest.
    EXPECT_EQ(Parse({"-name=!ENC!dW5uYW1lZA==!ENC!"}).config.suffix, "4af52202f77beb11ba59ce2056aa7878");
    EXPECT_EQ(Parse({"-suffix=!ENC!x"}).config.suffix, "!ENC!x"); // taken unchanged
}

TEST(CommandLine, ButtonRules)
{
    const Parsed none = Parse({"-name=x"});
    EXPECT_TRUE(none.config.okBtn);
    const Parsed cancel = Parse({"-cancel"});
    EXPECT_TRUE(cancel.config.cancelBtn);
    EXPECT_FALSE(cancel.config.okBtn);
    EXPECT_FALSE(Parse({"-nobuttons"}).config.okBtn);
    EXPECT_FALSE(Parse({"-multimessage=PRE1^a^b"}).config.okBtn);

    EXPECT_EQ(Parse({"-ok", "-yesno"}).result, kParseInvalidCombination);
    EXPECT_EQ(Parse({"-snooze"}).result, kParseInvalidCombination);
    EXPECT_EQ(Parse({"-yesno", "-snooze"}).result, kParseInvalidCombination);
    const Parsed all = Parse({"-ok", "-snooze", "-cancel", "-fade", "-debug"});
    EXPECT_EQ(all.result, kParseSuccess);
    EXPECT_TRUE(all.config.snoozeBtn && all.config.cancelBtn && all.config.fade);
    EXPECT_EQ(all.config.debugLevel, 1);

    const Parsed invalid = Parse({"-title=T", "-ok", "-yesno"});
    EXPECT_EQ(invalid.config.title, "");
    EXPECT_FALSE(invalid.config.okBtn);
}

TEST(CommandLine, DefaultButtonAndTimeout)
{
    EXPECT_EQ(Parse({"-default=YES"}).config.defaultButton, kDefaultButtonNone);
    const std::pair<const char*, int> defaults[] = {
        {"yes", 1}, {"no", 2}, {"snooze", 3}, {"continue", 4}, {"cancel", 5}};
    for (const auto& [value, code] : defaults) {
        EXPECT_EQ(Parse({std::string("-default=") + value}).config.defaultButton, code) << value;
    }
    EXPECT_EQ(Parse({"-default=no", "-default=bogus"}).config.defaultButton, 2);

    EXPECT_EQ(Parse({"-timeout=90s"}).config.timeout, 90);
    EXPECT_EQ(Parse({"-timeout=abc"}).config.timeout, 0);
    EXPECT_EQ(Parse({"-timeout"}).config.timeout, 0);
    EXPECT_EQ(Parse({"-timeout= -5"}).config.timeout, -5);
    EXPECT_EQ(Parse({"-timeout=4294967306"}).config.timeout, 10); // low 32 bits
    EXPECT_EQ(Parse({"-timeout=99999999999999999999999"}).config.timeout, -1);
}

TEST(CommandLine, MultiMessageValues)
{
    bool phase = false;
    const auto pages =
        ParseMultiMessage("PRE7^Editor^Install the editor now^10^^8^Browser^Update the browser^", phase);
    EXPECT_TRUE(phase);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].chunkId, 7);
    EXPECT_EQ(pages[0].packageName, "Editor");
    EXPECT_EQ(pages[0].message, "Install the editor now");
    EXPECT_EQ(pages[0].timeOutSecs, 600);
    EXPECT_EQ(pages[1].chunkId, 8);
    EXPECT_EQ(pages[1].timeOutSecs, 300);
    EXPECT_FALSE(pages[1].timedOut);

    const Parsed post = Parse({"-multimessage=PST1^a^b"});
    ASSERT_EQ(post.config.multiMessages.size(), 1u);
    EXPECT_FALSE(post.config.multiIsPreinstall);
    EXPECT_TRUE(post.config.multiMessageMode);
    EXPECT_EQ(post.config.multiMessages[0].timeOutSecs, 300);

    // The prefix is never optional: "1^a" goes, "^b^5" is (empty, b, 5).
    const Parsed noPrefix = Parse({"-multimessage=1^a^b^5"});
    ASSERT_EQ(noPrefix.config.multiMessages.size(), 1u);
    EXPECT_EQ(noPrefix.config.multiMessages[0].chunkId, 0);
    EXPECT_EQ(noPrefix.config.multiMessages[0].packageName, "b");
    EXPECT_EQ(noPrefix.config.multiMessages[0].message, "5");
    EXPECT_EQ(noPrefix.config.multiMessages[0].timeOutSecs, 300);

    const Parsed empty = Parse({"-multimessage=PRE"});
    EXPECT_TRUE(empty.config.multiMessages.empty());
    EXPECT_FALSE(empty.config.multiMessageMode);
    EXPECT_TRUE(empty.config.okBtn);

    EXPECT_EQ(ParseMultiMessage("PRE1^pkg^msg^0", phase)[0].timeOutSecs, 300);
    EXPECT_EQ(ParseMultiMessage("PRE1^pkg^msg", phase)[0].timeOutSecs, 300);
    EXPECT_EQ(ParseMultiMessage("PRE1^pkg^msg^-1", phase)[0].timeOutSecs, -60);
    EXPECT_EQ(ParseMultiMessage("PRE1^pkg^msg^2^extra", phase)[0].timeOutSecs, 300);
    EXPECT_TRUE(ParseMultiMessage("PRE1^only-two", phase).empty());
    // Minutes beyond what fits in 32-bit seconds stay a long time-out;
    // multiplied in 32 bits, 40000000 would wrap to a negative one.
    for (const char* minutes : {"99999999", "40000000", "35791395"}) {
        EXPECT_EQ(ParseMultiMessage(std::string("PRE1^p^m^") + minutes, phase)[0].timeOutSecs, INT32_MAX)
            << minutes;
    }
    EXPECT_EQ(ParseMultiMessage("PRE1^p^m^35791394", phase)[0].timeOutSecs, 35791394 * 60);
}

TEST(CommandLine, SnoozeMessagesKeepThePhaseFlagAndReplaceEarlierPages)
{
    const Parsed snooze = Parse({"-multimessage=PST1^a^b^^2^c^d", "-multisnoozemessage=PST9^x^y"});
    EXPECT_TRUE(snooze.config.multiMessageMode); // never set back
    EXPECT_TRUE(snooze.config.multiSnoozeMessageMode);
    EXPECT_FALSE(snooze.config.multiIsPreinstall); // from -multimessage; the snooze prefix is discarded
    ASSERT_EQ(snooze.config.multiMessages.size(), 1u);
    EXPECT_EQ(snooze.config.multiMessages[0].chunkId, 9);

    const Parsed lost = Parse({"-multisnoozemessage=PRE9^x^y", "-multisnoozemessage=PREbad"});
    EXPECT_FALSE(lost.config.multiSnoozeMessageMode);
    EXPECT_TRUE(lost.config.multiMessages.empty());

    // Encoded values are decoded before the prefix is taken.
    const Parsed encoded = Parse({"-multimessage=!ENC!UFJFMV5hXmI=!ENC!"}); // "PRE1^a^b"
    ASSERT_EQ(encoded.config.multiMessages.size(), 1u);
    EXPECT_TRUE(encoded.config.multiIsPreinstall);
}

TEST(CommandLine, HostileValuesAreHandled)
{
    const Parsed big = Parse({"-message=" + std::string(1 << 20, 'm')});
    EXPECT_EQ(big.config.message.size(), size_t(1) << 20);
    const Parsed carets = Parse({"-multimessage=PRE" + std::string(10000, '^')});
    EXPECT_EQ(carets.result, kParseSuccess);
    EXPECT_TRUE(carets.config.multiMessages.empty());
    const Parsed junk = Parse({"-message=!ENC!\xff\xfe not base64 \x01"});
    EXPECT_EQ(junk.config.message, "");
    EXPECT_EQ(Parse({"-name=\xc3\x28\xff"}).config.suffix.size(), 32u);
}

// The usage reads as columns: every option line starts its groups in the
// column after "usage: VUserAlert ", each line is whole (its brackets close
// on it) and short enough for the panel not to fold it.
TEST(CommandLine, UsageTextStandsInAlignedColumns)
{
    const std::string usage = BuildUsageString("");
    EXPECT_EQ(BuildUsageString("Unknown parameter."), "Unknown parameter.\n\n" + usage);
    const std::string lead = "usage: VUserAlert ";
    ASSERT_EQ(usage.rfind(lead, 0), 0u) << usage;
    std::istringstream lines(usage);
    std::string line;
    int optionLines = 0;
    while (std::getline(lines, line) && !line.empty()) {
        ++optionLines;
        EXPECT_LE(line.size(), 70u) << line;
        EXPECT_EQ(std::count(line.begin(), line.end(), '['), std::count(line.begin(), line.end(), ']'))
            << line;
        EXPECT_EQ(line.find_first_of("-[", line.rfind(' ', lead.size() - 1)), lead.size()) << line;
    }
    EXPECT_GE(optionLines, 5);
    EXPECT_EQ(usage.substr(usage.rfind('\n') + 1), "-name and -message are mandatory.");
    for (const char* option : {"-name=", "-message=", "-title=", "-timeout=", "-multimessage=",
                               "-multisnoozemessage=", "-yesno", "-ok", "-snooze", "-cancel", "-default="}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

TEST(CommandLine, ResetKeepsNameSuffixAndDebugLevel)
{
    VUAConfig config;
    config.name = "n";
    config.suffix = "s";
    config.debugLevel = 1;
    config.multiIsPreinstall = false;
    config.okBtn = true;
    config.timeout = 5;
    config.multiMessages.push_back(MultiMessageChunk());
    config.Reset();
    EXPECT_EQ(config.name, "n");
    EXPECT_EQ(config.suffix, "s");
    EXPECT_EQ(config.debugLevel, 1);
    EXPECT_TRUE(config.multiIsPreinstall);
    EXPECT_FALSE(config.okBtn);
    EXPECT_EQ(config.timeout, 0);
    EXPECT_TRUE(config.multiMessages.empty());
}
