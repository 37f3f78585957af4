#include "FileHelpers.h"
#include "TempAgentRoot.h"
#include "VCmdFileUtils.h"
#include "util.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

std::string Take(char* path)
{
    const UniqueCString owned(path);
    return owned.get();
}

} // namespace

TEST(Directories, LayoutHangsBelowTheConfiguredRootAndIsCreated)
{
    TempAgentRoot root;
    EXPECT_EQ(GetInstallRoot(), root.root());
    EXPECT_EQ(GetDataRoot(), root.root());
    EXPECT_EQ(Take(GetInstalledPath(false)), root.root() + "/Orvel/VORA/bin/");
    EXPECT_FALSE(PathExists(root.installDir()));
    EXPECT_EQ(Take(GetAppDataPath()), root.dataDir());
    EXPECT_TRUE(PathExists(root.dataDir()));
    EXPECT_EQ(Take(GetUserDataPath()), root.dataDir() + "user/");
    EXPECT_TRUE(PathExists(root.userDir()));
    // The shared marker directory: sticky and writable for every user.
    struct stat info;
    ASSERT_EQ(::stat(root.userDir().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 01777u);
}

TEST(Directories, DefaultRootWhenTheVariableIsUnsetOrEmpty)
{
    {
        ScopedEnv unset("VORA_AGENT_ROOT", std::nullopt);
        EXPECT_EQ(GetInstallRoot(), "/opt");
        EXPECT_EQ(GetDataRoot(), "/var/opt");
        EXPECT_EQ(Take(GetInstalledPath(false)), "/opt/Orvel/VORA/bin/");
    }
    ScopedEnv empty("VORA_AGENT_ROOT", std::string());
    EXPECT_EQ(GetInstallRoot(), "/opt");
    EXPECT_EQ(GetDataRoot(), "/var/opt");
}

TEST(Directories, GetInstalledPathCanChangeTheWorkingDirectory)
{
    TempAgentRoot root;
    MakeDirs(root.installDir());
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    Take(GetInstalledPath(true));
    char now[4096];
    ASSERT_NE(getcwd(now, sizeof now), nullptr);
    EXPECT_EQ(std::string(now) + "/", root.installDir());
    ASSERT_EQ(chdir(before), 0);
}

TEST(Directories, RootThatCannotBeCreatedStillYieldsPaths)
{
    ScopedEnv root("VORA_AGENT_ROOT", std::string("/proc/vora-cannot-exist"));
    EXPECT_EQ(Take(GetUserDataPath()), "/proc/vora-cannot-exist/Orvel/VORA/data/user/");
    EXPECT_FALSE(FileExists("/proc/vora-cannot-exist"));
}

TEST(LoadTesting, InstanceNumberSelectsItsOwnDataDirectoryWithCopiedConfiguration)
{
    TempAgentRoot root;
    root.writeConfig("companyname=Main\n");
    WriteFile(root.dataDir() + "arn_auto.conf", "auto=1\n");
    chmod((root.dataDir() + "arn.conf").c_str(), 0640);
    const struct timeval times[2] = {{1000000000, 0}, {1200000000, 0}};
    utimes((root.dataDir() + "arn.conf").c_str(), times);

    ScopedEnv instance("VEJBINSTANCE", std::string("3"));
    const std::string instanceDir = root.root() + "/Orvel/VORA/data-EJB-3/";
    EXPECT_EQ(Take(GetAppDataPath()), instanceDir);
    struct stat copied;
    ASSERT_EQ(stat((instanceDir + "arn.conf").c_str(), &copied), 0); // before reading touches atime
    EXPECT_EQ(copied.st_mode & 07777, 0640u);
    EXPECT_EQ(copied.st_mtime, 1200000000);
    EXPECT_EQ(copied.st_atime, 1000000000);
    EXPECT_EQ(ReadFile(instanceDir + "arn.conf"), "companyname=Main\n");
    EXPECT_EQ(ReadFile(instanceDir + "arn_auto.conf"), "auto=1\n");

    // Once the directory exists nothing is copied again.
    WriteFile(instanceDir + "arn.conf", "companyname=Own\n");
    root.writeConfig("companyname=Changed\n");
    EXPECT_EQ(Take(GetAppDataPath()), instanceDir);
    EXPECT_EQ(ReadFile(instanceDir + "arn.conf"), "companyname=Own\n");
    EXPECT_EQ(Take(GetUserDataPath()), instanceDir + "user/");
}

TEST(LoadTesting, PathsWithShellCharactersAreCopiedLiterally)
{
    TempAgentRoot root;
    const std::string odd = root.root() + "/a\"b $(touch pwned) `x`";
    ScopedEnv rootVariable("VORA_AGENT_ROOT", odd);
    MakeDirs(odd + "/Orvel/VORA/data");
    WriteFile(odd + "/Orvel/VORA/data/arn.conf", "companyname=Odd\n");
    ScopedEnv instance("VEJBINSTANCE", std::string("7"));
    EXPECT_EQ(ReadFile(Take(GetAppDataPath()) + "arn.conf"), "companyname=Odd\n");
    EXPECT_FALSE(PathExists("pwned"));
    EXPECT_FALSE(PathExists(odd + "/Orvel/VORA/data-EJB-7/arn_auto.conf")); // a missing source is no error
}

TEST(LoadTesting, InstanceVariableMustStartWithANumber)
{
    const std::pair<const char*, std::pair<bool, int>> cases[] = {
        {"3", {true, 3}}, {" 12abc", {true, 12}}, {"-2", {true, -2}}, {"abc", {false, 0}}, {"", {false, 0}},
    };
    for (const auto& [value, expected] : cases) {
        ScopedEnv instance("VEJBINSTANCE", std::string(value));
        EXPECT_EQ(LoadTestingInstance(), expected) << value;
    }
    ScopedEnv unset("VEJBINSTANCE", std::nullopt);
    EXPECT_EQ(LoadTestingInstance(), (std::pair<bool, int>{false, 0}));

    TempAgentRoot root;
    ScopedEnv text("VEJBINSTANCE", std::string("abc"));
    EXPECT_EQ(Take(GetAppDataPath()), root.dataDir());
}

TEST(Urls, SmbIgnoresCaseHttpDoesNot)
{
    EXPECT_TRUE(IsSmbUrl("SMB://host/share"));
    EXPECT_TRUE(IsSmbUrl("smb://"));
    EXPECT_FALSE(IsSmbUrl("smb:/host"));
    EXPECT_FALSE(IsSmbUrl(nullptr));
    EXPECT_TRUE(IsHttpOrHttpsUrl("http://x"));
    EXPECT_TRUE(IsHttpOrHttpsUrl("https://x"));
    EXPECT_FALSE(IsHttpOrHttpsUrl("HTTP://x"));
    EXPECT_FALSE(IsHttpOrHttpsUrl("ftp://x"));
    EXPECT_FALSE(IsHttpOrHttpsUrl(nullptr));
}

TEST(ExpandFilePath, BareNamesGoIntoTheDataDirectory)
{
    TempAgentRoot root;
    char path[1024] = "VAgent.log";
    ExpandFilePath(path, sizeof path);
    EXPECT_EQ(std::string(path), root.dataDir() + "VAgent.log");

    for (const char* kept : {"/abs/file.log", "smb://h/s/f", "SMB://h/s/f", "http://h/f", "https://h/f"}) {
        char copy[1024];
        std::snprintf(copy, sizeof copy, "%s", kept);
        ExpandFilePath(copy, sizeof copy);
        EXPECT_STREQ(copy, kept);
    }

    char relative[64] = "keep/relative";
    ExpandFilePathEx(relative, sizeof relative, false);
    EXPECT_STREQ(relative, "keep/relative");

    char small[8] = "x.log";
    ExpandFilePath(small, sizeof small);
    EXPECT_EQ(std::string(small), root.dataDir().substr(0, 7));

    char empty[4] = "";
    ExpandFilePath(empty, sizeof empty);
    EXPECT_STREQ(empty, "");
    ExpandFilePath(nullptr, 10);
}

TEST(FileHelpers, ExistenceSizeAndDirectoryCreation)
{
    TempAgentRoot root;
    const std::string file = root.root() + "/f";
    WriteFile(file, "12345");
    unsigned long long size = 99;
    EXPECT_TRUE(FileSize(file.c_str(), &size));
    EXPECT_EQ(size, 5u);
    size = 99;
    errno = 0;
    EXPECT_FALSE(FileSize((root.root() + "/missing").c_str(), &size));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(size, 99u);

    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_TRUE(FileExists(root.root().c_str()));
    EXPECT_TRUE(VCmdFileUtils::file_exists(root.root()));
    EXPECT_FALSE(FileExists(nullptr));
    EXPECT_FALSE(VCmdFileUtils::file_exists(root.root() + "/missing"));

    const std::string deep = root.root() + "/a/b/c/d";
    EXPECT_TRUE(CreateDirAndFullPath(deep.c_str(), nullptr));
    EXPECT_TRUE(PathExists(deep));
    EXPECT_TRUE(CreateDir(deep.c_str(), nullptr)); // already there

    unsigned int error = 0;
    EXPECT_FALSE(CreateDir((file + "/sub").c_str(), &error));
    EXPECT_EQ(error, static_cast<unsigned int>(ENOTDIR));
    EXPECT_FALSE(CreateDirAndFullPath((file + "/x/y").c_str(), &error));

    EXPECT_TRUE(ChangeWorkingDir("."));
    EXPECT_FALSE(ChangeWorkingDir((root.root() + "/missing").c_str()));
}
