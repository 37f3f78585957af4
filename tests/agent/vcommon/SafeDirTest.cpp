// The shared-directory layer on its own: every check it makes against a
// planted entry, one table row each, and the errno every failure carries.
// Runs as root (as the agent does); uid 4343 is a hostile local user.
#include "FileHelpers.h"
#include "TempAgentRoot.h"
#include "VSafeDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kHostile = 4343;
constexpr uid_t kDialogUser = 4242;

class SafeDirTest : public ::testing::Test
{
public:
    std::string shared() const { return root.root() + "/shared/"; }
    std::string secret() const { return root.root() + "/secret"; }
    std::string at(const std::string& name) const { return shared() + name; }

protected:
    void SetUp() override
    {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root to plant files of other users";
        }
        MakeDirs(shared());
        ::chmod(root.root().c_str(), 0755);
        ::chmod(shared().c_str(), 01777);
        WriteFile(secret(), "topsecret\n");
        ::chmod(secret().c_str(), 0600);
        dir = VSafeDir(shared());
    }

    // Runs `body` in a child as `uid`; its result is the child's exit code.
    static int As(uid_t uid, const std::function<int()>& body)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(uid) != 0 || ::setuid(uid) != 0) {
                ::_exit(100);
            }
            ::_exit(body());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
    }

    TempAgentRoot root;
    VSafeDir dir;
};

int ReadError(const VSafeDir& dir, const std::string& name)
{
    return dir.ReadFile(name, VOwners::Anyone(), 16).result.error;
}

// What a hostile user leaves at the name "x", and what the layer must make
// of it when root reads it for the dialog's user (VOwners::RootOr(4242)).
struct Planted
{
    const char* what;
    std::function<void(const SafeDirTest&)> plant;
    VResult::Kind read;
    bool rootAppends; // root may append to it as its own log
};

void Chown(const std::string& path, uid_t uid)
{
    ASSERT_EQ(::lchown(path.c_str(), uid, uid), 0) << path;
}

const Planted kPlanted[] = {
    {"a link to root's secret",
     [](const SafeDirTest& t) { ASSERT_EQ(::symlink(t.secret().c_str(), t.at("x").c_str()), 0); },
     VResult::Kind::NotRegular, false},
    {"a FIFO nobody writes", [](const SafeDirTest& t) { ASSERT_EQ(::mkfifo(t.at("x").c_str(), 0666), 0); },
     VResult::Kind::NotRegular, false},
    {"a second name of root's secret",
     [](const SafeDirTest& t) { ASSERT_EQ(::link(t.secret().c_str(), t.at("x").c_str()), 0); },
     VResult::Kind::NotRegular, false},
    {"a plain file of another user",
     [](const SafeDirTest& t) {
         WriteFile(t.at("x"), "forged\n");
         Chown(t.at("x"), kHostile);
     },
     VResult::Kind::ForeignOwner, false},
    {"a file larger than the bound",
     [](const SafeDirTest& t) { WriteFile(t.at("x"), std::string(100, 'y')); }, VResult::Kind::TooLarge,
     true},
    {"a directory with something in it", [](const SafeDirTest& t) { MakeDirs(t.at("x/inner")); },
     VResult::Kind::NotRegular, false},
};

} // namespace

// Nothing planted is read, followed or waited on; every one of them is
// replaced by Publish and by CreateInPlace, removed by Remove, left where
// it is by Take, and the secret behind links and second names stays as it
// was. Each refusal carries an errno and, where a file was met, its owner.
TEST_F(SafeDirTest, PlantedEntriesAreNeitherTrustedNorFollowedAndAlwaysGiveWay)
{
    for (const Planted& row : kPlanted) {
        SCOPED_TRACE(row.what);
        RemoveTree(at("x"));
        row.plant(*this);

        std::future<VRead> read = std::async(
            std::launch::async, [&] { return dir.ReadFile("x", VOwners::RootOr(kDialogUser), 16); });
        if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ::close(::open(at("x").c_str(), O_WRONLY | O_NONBLOCK)); // set the reader free
            FAIL() << "reading blocked";
        }
        const VRead got = read.get();
        const uid_t owner = row.read == VResult::Kind::ForeignOwner ? kHostile : 0;
        EXPECT_EQ(got.result.kind, row.read);
        EXPECT_NE(got.result.error, 0);
        EXPECT_EQ(got.info.st_uid, owner);

        const ScopedFd append = dir.OpenAppend("x", 0600, VOwners::RootOr(0));
        EXPECT_EQ(append.valid(), row.rootAppends);
        EXPECT_EQ(append.error() != 0, !row.rootAppends);

        EXPECT_TRUE(dir.Publish("x", "published", 0644));
        EXPECT_EQ(ReadFile(at("x")), "published");
        EXPECT_TRUE(dir.IsPlainFileOf("x", 0));

        RemoveTree(at("x"));
        row.plant(*this);
        // Swapped out, unless it is root's own plain file: that one stays.
        const ScopedFd fresh = dir.CreateInPlace("x", 0622, true);
        EXPECT_EQ(fresh.error(), row.rootAppends ? EEXIST : 0);
        EXPECT_TRUE(dir.IsPlainFileOf("x", 0));
        struct stat info;
        ASSERT_TRUE(dir.Stat("x", &info));
        EXPECT_EQ(info.st_size, row.rootAppends ? 100 : 0);
        EXPECT_TRUE(row.rootAppends || (info.st_mode & 07777) == 0622u);

        // Only a plain file of a trusted owner is taken (its beginning read).
        RemoveTree(at("x"));
        row.plant(*this);
        const VTake take = dir.Take("x", VOwners::RootOr(kDialogUser), 16);
        EXPECT_EQ(take.read.result.kind, row.read);
        EXPECT_EQ(take.read.info.st_uid, owner);
        EXPECT_EQ(take.read.content, row.rootAppends ? std::string(16, 'y') : "");
        EXPECT_EQ(static_cast<bool>(take.removed), row.rootAppends);
        EXPECT_EQ(dir.Exists("x"), !row.rootAppends);

        RemoveTree(at("x"));
        row.plant(*this);
        EXPECT_TRUE(dir.Remove("x"));
        EXPECT_FALSE(dir.Exists("x"));
        EXPECT_EQ(ReadFile(secret()), "topsecret\n");
    }
}

// Every failure names the errno of the call that failed, not a later one.
TEST_F(SafeDirTest, FailuresCarryTheErrnoOfTheFailedCall)
{
    WriteFile(at("file"), "x");
    MakeDirs(at("sub"));
    struct stat info;
    const VSafeDir missing(root.root() + "/missing");
    const VSafeDir belowFile(at("file") + "/d");
    const std::string tooLong(static_cast<size_t>(dir.MaxNameLength()) + 1, 'n');

    const struct
    {
        const char* what;
        int error;
        int expected;
    } kCases[] = {
        {"stat of a missing entry", dir.Stat("none", &info).error, ENOENT},
        {"a directory that does not exist", missing.openError(), ENOENT},
        {"a directory below a plain file", belowFile.openError(), ENOTDIR},
        {"a subdirectory that is a file", dir.SubDirectory("file").openError(), ENOTDIR},
        {"an exclusive create of an existing name", dir.CreateExclusive("file", 0600).error(), EEXIST},
        {"a name longer than the file system takes", dir.CreateExclusive(tooLong, 0600).error(),
         ENAMETOOLONG},
        {"a rename of nothing", dir.Rename("none", "other").error, ENOENT},
        {"a rename into a missing directory", dir.Rename("file", missing, "file").error, EBADF},
        {"a file of a foreign owner",
         (Chown(at("file"), kHostile), dir.OpenRegular("file", O_RDONLY, VOwners::RootOr(0))).error(), EPERM},
        {"an operation on a directory not opened", missing.Remove("x").error, EBADF},
        {"a read of a directory (no plain file)", ReadError(dir, "sub"), EINVAL},
        {"a read of a missing file", ReadError(dir, "none"), ENOENT},
        {"a read of more than the bound", (WriteFile(at("big"), std::string(17, 'b')), ReadError(dir, "big")),
         EFBIG},
    };
    for (const auto& row : kCases) {
        EXPECT_EQ(row.error, row.expected) << row.what << ": " << std::strerror(row.error);
    }

    // The hostile user may neither write into a root directory nor remove
    // root's file from the sticky one: each says why.
    ::chmod(at("sub").c_str(), 0755);
    Chown(at("file"), 0);
    EXPECT_EQ(As(kHostile, [&] { return VSafeDir(at("sub")).CanWrite().error; }), EACCES);
    EXPECT_EQ(As(kHostile, [&] { return VSafeDir(shared()).CanWrite().error; }), 0);
    EXPECT_EQ(As(kHostile, [&] { return VSafeDir(shared()).Remove("file").error; }), EPERM);
    EXPECT_EQ(As(kHostile, [&] { return VSafeDir(shared()).MoveAside("file").error; }), EPERM);
}

// Directories are made with exactly the mode asked for, whatever the umask,
// and never through a link planted on the way.
TEST_F(SafeDirTest, DirectoriesAreMadeWithExactModesAndNeverThroughALink)
{
    const mode_t umask = ::umask(077);
    const VSafeDir made = VSafeDir::MakeDirectories(root.root() + "/a/b/user/", 0755, 01777);
    const VSafeDir sub = dir.SubDirectory("made", true, 0750);
    ::umask(umask);
    ASSERT_TRUE(made.valid()) << made.openError();
    ASSERT_TRUE(sub.valid()) << sub.openError();
    struct stat info;
    ASSERT_EQ(::stat((root.root() + "/a/b").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u);
    ASSERT_EQ(::stat((root.root() + "/a/b/user").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 01777u);
    ASSERT_TRUE(dir.Stat("made", &info));
    EXPECT_EQ(info.st_mode & 07777, 0750u);

    // An existing directory keeps its mode; one made again is not current.
    ASSERT_TRUE(made.SetOwnerAndMode(-1, -1, 0700));
    EXPECT_TRUE(VSafeDir::MakeDirectories(root.root() + "/a/b/user", 0755, 01777).valid());
    ASSERT_EQ(::stat((root.root() + "/a/b/user").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_TRUE(made.IsCurrent());
    RemoveTree(root.root() + "/a/b/user");
    MakeDirs(root.root() + "/a/b/user");
    EXPECT_FALSE(made.IsCurrent());

    // Links planted where a directory is to be: nothing made behind them.
    const std::string elsewhere = root.root() + "/elsewhere";
    MakeDirs(elsewhere);
    ASSERT_EQ(::symlink(elsewhere.c_str(), at("link").c_str()), 0);
    EXPECT_EQ(dir.SubDirectory("link", true).openError(), ENOTDIR); // O_DIRECTORY | O_NOFOLLOW
    EXPECT_FALSE(VSafeDir::MakeDirectories(at("link") + "/deeper", 0755, 0755).valid());
    EXPECT_FALSE(VSafeDir::MakeDirectories(at("link"), 0755, 0755).valid());
    EXPECT_TRUE(ListDir(elsewhere).empty());
}

// Renames across two directories, and Install and Publish against a user
// who keeps planting directories at the target name: root's file always
// arrives.
TEST_F(SafeDirTest, InstallAndPublishWinAgainstARacingRename)
{
    MakeDirs(root.root() + "/other");
    const VSafeDir other(root.root() + "/other");
    WriteFile(at("moved"), "m");
    ASSERT_TRUE(dir.Rename("moved", other, "arrived"));
    EXPECT_EQ(ReadFile(root.root() + "/other/arrived"), "m");

    const pid_t racer = ::fork();
    if (racer == 0) {
        if (::setgid(kHostile) != 0 || ::setuid(kHostile) != 0 || ::chdir(shared().c_str()) != 0) {
            ::_exit(100);
        }
        for (unsigned long i = 0;; ++i) {
            const std::string mine = "planted" + std::to_string(i);
            if (::mkdir(mine.c_str(), 0777) == 0 && ::rename(mine.c_str(), "target") != 0) {
                ::rmdir(mine.c_str());
            }
        }
    }
    int failed = 0;
    for (int round = 0; round < 300; ++round) {
        ScopedFd file = dir.CreateInPlace("target", 0622, true);
        failed += file.valid() && dir.IsPlainFileOf("target", 0) ? 0 : 1;
        dir.Remove("target");
        // A marker published the same way (the agent's commands).
        failed += dir.Publish("target", "command", 0600) && dir.IsPlainFileOf("target", 0) ? 0 : 1;
        dir.Remove("target");
    }
    ::kill(racer, SIGKILL);
    ::waitpid(racer, nullptr, 0);
    EXPECT_EQ(failed, 0);
}
