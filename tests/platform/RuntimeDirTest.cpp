#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/io/UniqueFd.h"
#include "platform/process/RuntimeDir.h"
#include "platform/process/SingleInstance.h"
#include "platform/process/TopLevelWindow.h"
#include "platform/process/UnixSocketAddress.h"
#include "platform/process/WindowSocketName.h"
#include "support/SquattedRuntimeFolder.h"
#include "support/TempHome.h"

namespace veilport::process {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kSomeoneElse = 65534;

class RuntimeDirTest : public ::testing::Test {
protected:
    fs::path folder(const std::string& name, mode_t mode) {
        const fs::path dir = home_.path() / name;
        fs::create_directories(dir);
        ::chmod(dir.c_str(), mode);
        return dir;
    }
    fs::path ownFallback() const {
        return home_.path() / "tmp" / ("veilport-" + std::to_string(::getuid()));
    }

    veilport::testing::TempHome home_;
};

TEST_F(RuntimeDirTest, UsesXdgRuntimeDirOnlyWhenItIsPrivate) {
    fs::create_directories(home_.path() / "tmp");
    std::error_code ec;
    const fs::path good = folder("good", 0700);
    EXPECT_EQ(runtimeDirFrom(good.c_str(), home_.path() / "tmp", ec), good);
    const fs::path readable = folder("readable", 0755);
    EXPECT_EQ(runtimeDirFrom(readable.c_str(), home_.path() / "tmp", ec), readable);

    for (const mode_t open : {0777, 01777, 0770, 0702}) {
        const fs::path shared = folder("shared", open);
        EXPECT_EQ(runtimeDirFrom(shared.c_str(), home_.path() / "tmp", ec), ownFallback())
            << std::oct << open;
        EXPECT_FALSE(ec);
    }
    EXPECT_EQ(runtimeDirFrom("relative", home_.path() / "tmp", ec), ownFallback());
    EXPECT_EQ(runtimeDirFrom(nullptr, home_.path() / "tmp", ec), ownFallback());

    if (::geteuid() != 0) GTEST_SKIP() << "a folder of another owner needs root to make";
    const fs::path theirs = folder("theirs", 0700);
    ASSERT_EQ(::chown(theirs.c_str(), kSomeoneElse, kSomeoneElse), 0);
    EXPECT_EQ(runtimeDirFrom(theirs.c_str(), home_.path() / "tmp", ec), ownFallback());
}

// Another user can make the fallback folder first, in a place all may write
// to: it is refused, never used, and the reason is one a person can act on.
TEST_F(RuntimeDirTest, RefusesAFallbackFolderThatIsNotPrivate) {
    const fs::path parent = folder("tmp", 01777);
    std::error_code ec;
    const fs::path squatted = parent / ("veilport-" + std::to_string(::getuid()));
    fs::create_directory(squatted);
    ::chmod(squatted.c_str(), 0777);
    EXPECT_TRUE(runtimeDirFrom(nullptr, parent, ec).empty());
    EXPECT_EQ(ec, std::errc::permission_denied);
    fs::remove(squatted);

    const fs::path elsewhere = folder("elsewhere", 0700);
    fs::create_directory_symlink(elsewhere, squatted);
    EXPECT_TRUE(runtimeDirFrom(nullptr, parent, ec).empty()) << "a link is not our folder";
    fs::remove(squatted);

    if (::geteuid() == 0) {
        fs::create_directory(squatted);
        ::chmod(squatted.c_str(), 0700);
        ASSERT_EQ(::chown(squatted.c_str(), kSomeoneElse, kSomeoneElse), 0);
        EXPECT_TRUE(runtimeDirFrom(nullptr, parent, ec).empty());
        fs::remove(squatted);
    }
    EXPECT_EQ(runtimeDirFrom(nullptr, parent, ec), squatted) << "made afresh, it serves";
    struct stat info {};
    ASSERT_EQ(::lstat(squatted.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

// A start without a usable folder says so instead of running on without its
// lock and its control socket. The squatted folder is made in a /tmp of a
// mount namespace of the test's own.
TEST_F(RuntimeDirTest, AStartWithASquattedFallbackFolderNamesTheProblem) {
    const auto named = testing::InSquattedRuntimeFolder([](const std::string& own) {
        const auto instance = SingleInstance::start("test-squatted", "Veilport");
        return instance.problem().find(own) != std::string::npos &&
               instance.problem().find("XDG_RUNTIME_DIR") != std::string::npos &&
               !instance.activatedOther();
    });
    if (!named) GTEST_SKIP() << "no mount namespace of our own (needs root)";
    EXPECT_TRUE(*named);
}

// A window socket that answers as another user is no window of ours, whatever
// its name: nothing is posted to it.
TEST_F(RuntimeDirTest, AWindowOfAnotherUserIsNotFound) {
    if (::geteuid() != 0) GTEST_SKIP() << "a listener of another user needs root to make";
    std::error_code ec;
    const fs::path path = windowSocketPath("Veilport", ec);
    ASSERT_FALSE(ec);
    io::UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ASSERT_FALSE(bindUnix(listener.get(), path));
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // The credentials a client sees are those of whoever called listen().
        const bool ok = ::setresuid(kSomeoneElse, kSomeoneElse, kSomeoneElse) == 0 &&
                        ::listen(listener.get(), 4) == 0;
        char byte = ok ? 'y' : 'n';
        if (::write(fromChild[1], &byte, 1) < 0) ::_exit(1);
        if (::read(toChild[0], &byte, 1) < 0) ::_exit(1);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(fromChild[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    EXPECT_FALSE(TopLevelWindow::find("Veilport"));
    EXPECT_EQ(::write(toChild[1], "x", 1), 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) ::close(fd);
}

}  // namespace
}  // namespace veilport::process
