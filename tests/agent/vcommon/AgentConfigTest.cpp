#include "AgentConfig.h"
#include "CapturedStdout.h"
#include "FileHelpers.h"
#include "LogTag.h"
#include "TempAgentRoot.h"
#include "vlog.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class AgentConfigTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::memset(&log, 0, sizeof log);
        LogInitEx(&log, nullptr, "VUserAlert", true, 0x70);
    }
    void TearDown() override { DestroyLock(log.lock); }

    // Loads `content` as arn.conf into a fresh configuration.
    AgentConfig load(const std::string& content)
    {
        root.writeConfig(content);
        AgentConfig config;
        config.log = &log;
        EXPECT_TRUE(config.Load());
        return config;
    }

    std::string logText() const
    {
        const std::string path = root.userDir() + "VAgent.log";
        return PathExists(path) ? ReadFile(path) : std::string();
    }

    TempAgentRoot root;
    LogStruct log;
};

} // namespace

TEST_F(AgentConfigTest, DefaultsAndDirectories)
{
    AgentConfig config;
    EXPECT_EQ(config.host, kDefaultServerHost);
    EXPECT_EQ(config.tolvaPort, 443u);
    EXPECT_EQ(config.webPort, 443);
    EXPECT_TRUE(config.webPortIs443);
    EXPECT_TRUE(config.serverCompress);
    EXPECT_EQ(config.processTimeout, 3600000u);
    EXPECT_TRUE(config.debug);
    EXPECT_EQ(config.debugFlags, 0u);
    EXPECT_FALSE(config.launchMenu);
    EXPECT_EQ(config.proxyPort, 3128);
    EXPECT_EQ(config.log, nullptr);
    EXPECT_EQ(config.dataPath, root.dataDir());
    EXPECT_EQ(config.userDataPath, root.userDir());
    EXPECT_EQ(config.installPath, root.installDir());
    EXPECT_EQ(config.systemFilePath, root.dataDir() + "arn.conf");
    EXPECT_EQ(config.vuidFilePath, root.dataDir() + "vuid.txt");
    EXPECT_EQ(config.caCertPath, root.dataDir() + "cacert.pem");
}

TEST_F(AgentConfigTest, MissingFileFailsWithItsLogLine)
{
    AgentConfig config;
    config.log = &log;
    const std::string printed = StdoutOf([&] { EXPECT_FALSE(config.Load()); });
    const std::string expected = LogTag("VUserAlert:Load") +
                                 "AgentConfig::LoadSystemFile - arn.conf file does not exist: '" +
                                 root.dataDir() + "arn.conf' (2): No such file or directory\n";
    EXPECT_NE(printed.find(expected), std::string::npos) << printed;
    EXPECT_NE(logText().find(expected), std::string::npos);
    EXPECT_EQ(config.host, kDefaultServerHost);
}

TEST_F(AgentConfigTest, DirectoryInPlaceOfTheFileFailsToOpen)
{
    MakeDirs(root.dataDir() + "arn.conf");
    AgentConfig config;
    config.log = &log;
    const std::string printed = StdoutOf([&] { EXPECT_FALSE(config.Load()); });
    EXPECT_NE(logText().find("AgentConfig::LoadFile - Error opening conf file: '" + root.dataDir() +
                             "arn.conf' (21): Is a directory\n"),
              std::string::npos)
        << logText();
    EXPECT_NE(printed.find("AgentConfig::LoadSystemFile - Error loading conf file: '"), std::string::npos);
}

TEST_F(AgentConfigTest, ProcessTimeoutIsCheckedAndLimited)
{
    EXPECT_EQ(load("processtimeout=100\n").processTimeout, 900000u);
    EXPECT_EQ(load("processtimeout=86400001\n").processTimeout, 86400000u);
    EXPECT_EQ(load("processtimeout=99999999999999999999999\n").processTimeout, 86400000u);
    EXPECT_EQ(load("processtimeout=1000000\n").processTimeout, 1000000u);
    EXPECT_EQ(load("processtimeout=abc\n").processTimeout, 3600000u);
    EXPECT_EQ(load("processtimeout=\n").processTimeout, 3600000u);
    EXPECT_EQ(load("processtimeout=+1000000\n").processTimeout, 3600000u);
    EXPECT_EQ(load("processtimeout=10 00000\n").processTimeout, 3600000u);
    EXPECT_EQ(load("processtimeout=  1000000 \r\n").processTimeout, 1000000u); // value is trimmed first
}

TEST_F(AgentConfigTest, PortsKeepTheirLow16Bits)
{
    EXPECT_EQ(load("tolvaport=65546\n").tolvaPort, 10u);
    EXPECT_EQ(load("tolvaport=8080x\n").tolvaPort, 8080u);
    EXPECT_EQ(load("tolvaport=\n").tolvaPort, 443u);
    EXPECT_EQ(load("proxy-port=70000\n").proxyPort, 70000 - 65536);
    EXPECT_EQ(load("maxDownloadSpeed=-1\n").maxDownloadSpeed, 0xffffffffu);

    const AgentConfig web = load("webport=8443\n");
    EXPECT_EQ(web.webPort, 8443);
    EXPECT_FALSE(web.webPortIs443);
    const AgentConfig empty = load("webport=\n");
    EXPECT_EQ(empty.webPort, 443);
    EXPECT_TRUE(empty.webPortIs443);

    // "webport" with an empty value keeps the port it had and recomputes the flag.
    AgentConfig config;
    config.webPort = 8000;
    config.webPortIs443 = true;
    EXPECT_TRUE(config.OverrideNameValue("webport", ""));
    EXPECT_EQ(config.webPort, 8000);
    EXPECT_FALSE(config.webPortIs443);
}

TEST_F(AgentConfigTest, KeysApplyAlphabeticallySoVerifySslWins)
{
    const AgentConfig config = load("verifyssl=yes\nsslrequired=no\n");
    EXPECT_TRUE(config.verifySsl);
    EXPECT_TRUE(config.sslRequired);

    const AgentConfig plain = load("sslrequired=true\n");
    EXPECT_TRUE(plain.sslRequired);
    EXPECT_FALSE(plain.verifySsl);

    AgentConfig direct;
    direct.OverrideNameValue("verifyssl", "true");
    direct.OverrideNameValue("sslrequired", "false");
    EXPECT_TRUE(direct.sslRequired);
    direct.OverrideNameValue("verifyssl", "false");
    EXPECT_TRUE(direct.sslRequired);
    EXPECT_FALSE(direct.verifySsl);
    direct.OverrideNameValue("sslrequired", "false");
    EXPECT_FALSE(direct.sslRequired);

    // "h" sorts before "host": the later key in byte order wins.
    EXPECT_EQ(load("host=second\nh=first\n").host, "second");
}

TEST_F(AgentConfigTest, DebugValueOnlyAddsBits)
{
    const auto flagsOf = [this](const std::string& value) {
        const AgentConfig config = load("debug=" + value + "\n");
        EXPECT_TRUE(config.debug) << value;
        return config.debugFlags;
    };
    EXPECT_EQ(flagsOf("no"), 0u);
    EXPECT_EQ(flagsOf("none"), 0u);
    EXPECT_EQ(flagsOf("FALSE"), 0u);
    EXPECT_EQ(flagsOf(""), 0u);
    EXPECT_EQ(flagsOf("off"), 0x04u);
    EXPECT_EQ(flagsOf("0"), 0x04u);
    EXPECT_EQ(flagsOf("all"), 0x74u);
    EXPECT_EQ(flagsOf("Detail"), 0x14u);
    EXPECT_EQ(flagsOf("events,payload"), 0x64u);
    EXPECT_EQ(load("d=events\ndebug=payload\n").debugFlags, 0x64u);

    AgentConfig off;
    off.debug = false;
    off.OverrideNameValue("debug", "no");
    EXPECT_FALSE(off.debug);
}

TEST_F(AgentConfigTest, BooleansAcceptOnlyYesAndTrue)
{
    EXPECT_TRUE(load("launchmenu=YES\n").launchMenu);
    EXPECT_TRUE(load("launchmenu=True\n").launchMenu);
    EXPECT_FALSE(load("launchmenu=1\n").launchMenu);
    EXPECT_FALSE(load("launchmenu=on\n").launchMenu);
    EXPECT_FALSE(load("servercompress=\n").serverCompress);
    EXPECT_TRUE(load("disablewaitforlogintasks=yes\n").disableWaitForLoginTasks);
    EXPECT_TRUE(AgentConfig::ConvertToBool(" yes") == false);
    EXPECT_TRUE(AgentConfig::IsNumber("0123"));
    EXPECT_FALSE(AgentConfig::IsNumber("-1"));
    EXPECT_FALSE(AgentConfig::IsNumber(""));
}

TEST_F(AgentConfigTest, FileFormatRules)
{
    EXPECT_EQ(load("companyname=First\ncompanyname=Second\n").companyName, "First");
    EXPECT_EQ(load("splashtext=first\nsecond\n").splashText, "first\r\nsecond");
    EXPECT_EQ(load("splashtext=first\n\nthird\n").splashText, "first\r\n\r\nthird");
    EXPECT_EQ(load("splashtext=a\n #x\n").splashText, "a\r\n #x");
    EXPECT_EQ(load("splashtext=a\n#comment\n;comment\nb\n").splashText, "a\r\nb");
    EXPECT_EQ(load("stray line\ncompanyname=Acme\n").companyName, "Acme");
    EXPECT_EQ(load("companyname=a=b=c\n").companyName, "a=b=c");
    EXPECT_EQ(load("companyname=Acme\r\n").companyName, "Acme");
    EXPECT_EQ(load("weburl=x\r").webUrl, "x"); // a lone CR is kept, then trimmed with the value
    EXPECT_EQ(load("\xEF\xBB\xBF"
                   "companyname=Bom\n")
                  .companyName,
              "Bom");
    EXPECT_EQ(load("\xFF\xFE"
                   "companyname=Bom\n")
                  .companyName,
              "Bom");
    EXPECT_EQ(load("#c\n\xFE\xFF"
                   "companyname=Bom\n")
                  .companyName,
              "Bom");
    EXPECT_EQ(load("Companyname=Case\n").companyName, "");   // names are case-sensitive
    EXPECT_EQ(load("companyname =Blank\n").companyName, ""); // and not trimmed

    const AgentConfig empty = load("");
    EXPECT_EQ(empty.host, kDefaultServerHost);
}

TEST_F(AgentConfigTest, DuplicateEntryIsDroppedWithItsContinuations)
{
    EXPECT_EQ(load("splashtext=a\nsplashtext=b\nmore\n").splashText, "a");
    EXPECT_EQ(load("=orphan\ncontinued\ncompanyname=Acme\n").companyName, "Acme");
}

TEST_F(AgentConfigTest, UnknownAndEmptyNamesAreLoggedAndSkipped)
{
    AgentConfig config;
    AgentConfig direct;
    direct.log = &log;
    const std::string printed = StdoutOf([&] {
        config = load("bogus=1\ncompanyname=Acme\n");
        EXPECT_FALSE(direct.OverrideNameValue("", "x"));
    });
    EXPECT_EQ(config.companyName, "Acme");
    EXPECT_NE(printed.find("] AgentConfig::OverrideNameValue - Invalid input name: bogus\n"),
              std::string::npos);
    EXPECT_NE(printed.find(LogTag("VUserAlert:OverrideNameValue") +
                           "AgentConfig::OverrideNameValue - Invalid empty name\n"),
              std::string::npos)
        << printed;
}

TEST_F(AgentConfigTest, LongLinesAreReadIn1023BytePieces)
{
    // 1023 bytes of the first piece end inside the value; the rest of the
    // line is a continuation line of its own.
    const std::string value(1500, 'v');
    const AgentConfig config = load("splashtext=" + value + "\n");
    const std::string expected = std::string(1023 - 11, 'v') + "\r\n" + std::string(1500 - (1023 - 11), 'v');
    EXPECT_EQ(config.splashText, expected);

    // A megabyte line neither hangs nor crashes and keeps every byte.
    const AgentConfig big = load("splashtext=" + std::string(1 << 20, 'x') + "\ncompanyname=After\n");
    EXPECT_EQ(big.companyName, "After");
    EXPECT_GT(big.splashText.size(), size_t(1) << 20);
}

TEST_F(AgentConfigTest, NamesOf64CharactersOrMoreAreLoggedAndIgnored)
{
    const std::string longName(64, 'n');
    const AgentConfig config =
        load(longName + "=value\nmore\ncompanyname=Acme\n" + std::string(63, 'm') + "=x\n");
    EXPECT_EQ(config.companyName, "Acme");
    EXPECT_NE(logText().find("AgentConfig::LoadFile - Name longer than 63 characters ignored: '" +
                             std::string(63, 'n') + "...'"),
              std::string::npos)
        << logText();
    // A 63-character name is within the limit: it reaches OverrideNameValue.
    EXPECT_NE(logText().find("Invalid input name: " + std::string(63, 'm')), std::string::npos);
}

TEST_F(AgentConfigTest, BinaryJunkAndNulBytesAreHarmless)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i) {
        junk.push_back(static_cast<char>((i * 7919) & 0xff));
    }
    root.writeConfig(junk + "\ncompanyname=Acme\n");
    AgentConfig config;
    config.log = &log;
    bool loaded = false;
    StdoutOf([&] { loaded = config.Load(); }); // junk names are reported as invalid
    EXPECT_TRUE(loaded);

    // A NUL byte ends the piece it is in: the rest of that piece is not read.
    const AgentConfig nul = load(std::string("companyname=Ac\0me\nsplashtext=ok\n", 32));
    EXPECT_EQ(nul.companyName, "Ac");
    EXPECT_EQ(nul.splashText, "ok");
}

TEST_F(AgentConfigTest, LoadAppliesOnTopOfCurrentValues)
{
    root.writeConfig("companyname=Acme\n");
    AgentConfig config;
    config.host = "kept";
    EXPECT_TRUE(config.Load());
    EXPECT_EQ(config.host, "kept");
    EXPECT_EQ(config.companyName, "Acme");

    std::map<std::string, std::string> values{{"stale", "x"}};
    EXPECT_TRUE(config.LoadFile(config.systemFilePath, values));
    EXPECT_EQ(values, (std::map<std::string, std::string>{{"companyname", "Acme"}}));
}
