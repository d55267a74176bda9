#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <vector>

#include "helpers/SpawnedProgram.h"
#include "platform/process/NamedMutex.h"
#include "platform/process/RuntimeDir.h"
#include "platform/process/SingleInstance.h"
#include "platform/process/TopLevelWindow.h"
#include "platform/process/WindowEndpoint.h"
#include "platform/process/WindowSocketName.h"
#include "support/TempHome.h"

namespace veilport::process {
namespace {

using testing::SpawnedProgram;

class WindowMessagesTest : public ::testing::Test {
protected:
    std::filesystem::path standIn() const { return testing::helpersDir() / "veilport_standin"; }

    veilport::testing::TempHome home_;
};

TEST_F(WindowMessagesTest, SecondProcessFindsWindowByTitleAndItsMessagesArrive) {
    SpawnedProgram first(standIn());
    ASSERT_EQ(first.readLine(), "ready");

    EXPECT_FALSE(TopLevelWindow::find("veilport")) << "titles compare exactly";
    EXPECT_FALSE(TopLevelWindow::find("Veilport ")) << "titles compare exactly";
    const auto window = TopLevelWindow::find("Veilport");
    ASSERT_TRUE(window);

    ASSERT_TRUE(window->post(WindowMessage::Show));
    EXPECT_EQ(first.readLine(), "show");
    ASSERT_TRUE(window->post(WindowMessage::Show));
    EXPECT_EQ(first.readLine(), "show");

    ASSERT_TRUE(window->post(WindowMessage::Close));
    EXPECT_EQ(first.readLine(), "close");
    const auto status = first.waitForExit();
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);

    // The window removed its name as it ended: nothing answers any more.
    EXPECT_FALSE(TopLevelWindow::find("Veilport"));
    EXPECT_FALSE(window->post(WindowMessage::Show));
}

TEST_F(WindowMessagesTest, StaleSocketOfKilledProcessDoesNotBlockNewWindow) {
    {
        SpawnedProgram killed(standIn());
        ASSERT_EQ(killed.readLine(), "ready");
        killed.kill(SIGKILL);
        ASSERT_TRUE(killed.waitForExit());
    }
    std::error_code ec;
    const auto path = windowSocketPath("Veilport", ec);
    ASSERT_TRUE(std::filesystem::exists(path)) << "a killed process leaves its socket file";
    EXPECT_FALSE(TopLevelWindow::find("Veilport"));

    WindowEndpoint fresh = WindowEndpoint::registerTitle("Veilport");
    ASSERT_TRUE(fresh.valid()) << fresh.error().message();
    const auto window = TopLevelWindow::find("Veilport");
    ASSERT_TRUE(window);
    ASSERT_TRUE(window->post(WindowMessage::Close));
    EXPECT_EQ(fresh.waitForMessage(), WindowMessage::Close);
}

TEST_F(WindowMessagesTest, LiveWindowKeepsItsTitle) {
    SpawnedProgram first(standIn());
    ASSERT_EQ(first.readLine(), "ready");
    WindowEndpoint second = WindowEndpoint::registerTitle("Veilport");
    EXPECT_FALSE(second.valid());
    EXPECT_EQ(second.error(), std::errc::address_in_use);
    // The refused registration left the first window reachable.
    const auto window = TopLevelWindow::find("Veilport");
    ASSERT_TRUE(window && window->post(WindowMessage::Show));
    EXPECT_EQ(first.readLine(), "show");
}

TEST_F(WindowMessagesTest, ReceiverIgnoresSearchesAndGarbage) {
    WindowEndpoint endpoint = WindowEndpoint::registerTitle("Odd title / with ../ slashes");
    ASSERT_TRUE(endpoint.valid()) << endpoint.error().message();
    ASSERT_TRUE(TopLevelWindow::find("Odd title / with ../ slashes"));
    EXPECT_EQ(endpoint.receive(), std::nullopt) << "a search is no message";
    EXPECT_EQ(endpoint.receive(), std::nullopt) << "nothing waits";
    EXPECT_EQ(parseWindowMessage("show"), std::nullopt);
    EXPECT_EQ(parseWindowMessage("show\nclose\n"), std::nullopt);
    EXPECT_EQ(parseWindowMessage("close\n"), WindowMessage::Close);
}

TEST_F(WindowMessagesTest, SocketNamesStayInsideTheRuntimeFolder) {
    EXPECT_EQ(windowSocketName("Veilport"), "window-Veilport");
    EXPECT_EQ(windowSocketName("../x"), "window-%2E%2E%2Fx");
    EXPECT_NE(windowSocketName("a b"), windowSocketName("a%20b"));
}

TEST_F(WindowMessagesTest, VeryLongRuntimeFolderStillWorks) {
    // Socket addresses hold 108 bytes; a deep runtime folder must not matter.
    const auto deep = home_.path() / std::string(120, 'r');
    std::filesystem::create_directories(deep);
    std::filesystem::permissions(deep, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", deep.c_str(), 1);
    WindowEndpoint endpoint = WindowEndpoint::registerTitle("Veilport");
    ASSERT_TRUE(endpoint.valid()) << endpoint.error().message();
    const auto window = TopLevelWindow::find("Veilport");
    ASSERT_TRUE(window && window->post(WindowMessage::Show));
    EXPECT_EQ(endpoint.waitForMessage(), WindowMessage::Show);
}

TEST_F(WindowMessagesTest, PrivateFolderWithoutXdgRuntimeDirRefusesOthersFolders) {
    // Without XDG_RUNTIME_DIR the folder of our own under /tmp serves; it
    // must be private to this user.
    unsetenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    const auto dir = runtimeDir(ec);
    ASSERT_FALSE(ec) << ec.message();
    struct stat info {};
    ASSERT_EQ(::lstat(dir.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 077, 0u);
    EXPECT_EQ(info.st_uid, ::getuid());
}

TEST_F(WindowMessagesTest, MutexExistsExactlyWhileAHolderLives) {
    const std::string name = "test-mutex";
    {
        const NamedMutex first = NamedMutex::create(name);
        ASSERT_TRUE(first.valid()) << first.error().message();
        EXPECT_FALSE(first.alreadyExisted());
        const NamedMutex second = NamedMutex::create(name);
        EXPECT_TRUE(second.alreadyExisted());
    }
    EXPECT_FALSE(NamedMutex::create(name).alreadyExisted()) << "gone with its last holder";
}

TEST_F(WindowMessagesTest, SecondInstanceActivatesTheFirstOnlyWhenItsWindowExists) {
    const NamedMutex running = NamedMutex::create(kSingleInstanceMutexName);
    // The first instance is still starting: it holds the mutex, no window yet.
    EXPECT_FALSE(SingleInstance::start().activatedOther());

    SpawnedProgram first(standIn());
    ASSERT_EQ(first.readLine(), "ready");
    EXPECT_TRUE(SingleInstance::start().activatedOther());
    EXPECT_EQ(first.readLine(), "show");

    // A second process does the same and ends without a window of its own.
    SpawnedProgram second(standIn());
    EXPECT_EQ(second.readLine(), "activated");
    EXPECT_EQ(first.readLine(), "show");
    const auto status = second.waitForExit();
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

// Starts made at the same instant (a double-click) end with exactly one
// instance: every other one finds its window and hands over, none of them
// carries on beside it.
TEST_F(WindowMessagesTest, SimultaneousStartsLeaveExactlyOneInstance) {
    std::vector<std::unique_ptr<SpawnedProgram>> starts;
    for (int i = 0; i < 10; ++i) {
        starts.push_back(std::make_unique<SpawnedProgram>(
            standIn(), std::vector<std::string>{"Veilport", "slow"}));
    }
    int ready = 0;
    int activated = 0;
    for (auto& start : starts) {
        const auto said = start->readLine();
        ready += said == "ready";
        activated += said == "activated";
    }
    EXPECT_EQ(ready, 1);
    EXPECT_EQ(activated, 9);
}

TEST_F(WindowMessagesTest, KilledInstanceLeavesNeitherMutexNorWindowBehind) {
    {
        SpawnedProgram killed(standIn());
        ASSERT_EQ(killed.readLine(), "ready");
        killed.kill(SIGKILL);
        ASSERT_TRUE(killed.waitForExit());
    }
    EXPECT_FALSE(NamedMutex::create(kSingleInstanceMutexName).alreadyExisted());
    EXPECT_FALSE(SingleInstance::start().activatedOther());
    SpawnedProgram next(standIn());
    EXPECT_EQ(next.readLine(), "ready");
}

}  // namespace
}  // namespace veilport::process
