#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "helpers/SpawnedProgram.h"
#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessWalk.h"
#include "platform/text/Ascii.h"
#include "support/TempHome.h"

namespace veilport::process {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A process table of our own making: folders named by number, each with the
// link to its executable or, for processes of other users, only the short name.
class FakeProcessTable {
public:
    explicit FakeProcessTable(const fs::path& root) : root_(root) { fs::create_directories(root); }

    void add(int pid, const std::string& executable) {
        fs::create_directories(root_ / std::to_string(pid));
        fs::create_symlink(executable, root_ / std::to_string(pid) / "exe");
    }
    void addUnreadable(int pid, const std::string& comm) {
        fs::create_directories(root_ / std::to_string(pid));
        std::ofstream(root_ / std::to_string(pid) / "comm") << comm << "\n";
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

class ProcessWalkTest : public ::testing::Test {
protected:
    veilport::testing::TempHome home_;
    FakeProcessTable table_{home_.path() / "proc"};
};

TEST_F(ProcessWalkTest, MatchesExecutableFileNameIgnoringCaseOnly) {
    table_.add(10, "/usr/bin/bash");
    table_.add(11, "/opt/veilport/veilport-helper");
    table_.add(12, "/opt/Veilport/bin/sh");
    EXPECT_EQ(findFirstProcessNamed("veilport", table_.root()), std::nullopt);

    table_.add(13, "/home/u/apps/VEILPORT");
    EXPECT_EQ(findFirstProcessNamed("veilport", table_.root()), 13);
    EXPECT_EQ(findFirstProcessNamed("Veilport", table_.root()), 13);
}

TEST_F(ProcessWalkTest, OnlyTheFirstOfTwoInTableOrder) {
    table_.add(40, "/a/Veilport");
    table_.add(7, "/b/veilport");
    fs::create_directories(table_.root() / "self");
    fs::create_directories(table_.root() / "sys");
    std::optional<int> firstListed;
    for (const auto& entry : fs::directory_iterator(table_.root())) {
        const auto name = entry.path().filename().string();
        if (name == "40" || name == "7") {
            firstListed = std::stoi(name);
            break;
        }
    }
    EXPECT_EQ(findFirstProcessNamed("veilport", table_.root()), firstListed);
}

TEST_F(ProcessWalkTest, ReplacedAndUnreadableExecutablesStillCount) {
    table_.add(5, "/usr/bin/veilport (deleted)");
    EXPECT_EQ(executableFileName(5, table_.root()), "veilport");
    table_.addUnreadable(6, "Veilport");
    EXPECT_EQ(executableFileName(6, table_.root()), "Veilport");
    EXPECT_EQ(executableFileName(99, table_.root()), std::nullopt);
    EXPECT_EQ(findFirstProcessNamed("x", home_.path() / "no-such-table"), std::nullopt);
}

TEST_F(ProcessWalkTest, FindsAndTerminatesRealProcessWhichExitsWithStatusZero) {
    // A name nothing else on the machine carries, in other letter case than asked.
    const std::string name = "VeilportWalk" + std::to_string(::getpid());
    const fs::path program = home_.path() / name;
    fs::copy_file(veilport::testing::helpersDir() / "veilport_standin", program);
    veilport::testing::SpawnedProgram child(program, {"walk-test"});
    ASSERT_EQ(child.readLine(), "ready");

    const std::string lower = text::asciiLowered(name);
    const auto found = findFirstProcessNamed(lower);
    ASSERT_EQ(found, child.pid());

    const ProcessHandle handle = ProcessHandle::open(*found);
    ASSERT_TRUE(handle.valid()) << handle.error().message();
    ASSERT_FALSE(handle.terminate());
    EXPECT_TRUE(handle.waitForExit(10s));
    const auto status = child.waitForExit();
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status)) << "ended by the signal instead of exiting";
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    EXPECT_EQ(findFirstProcessNamed(lower), std::nullopt);
}

TEST_F(ProcessWalkTest, HandleOfEndedProcessFailsCleanly) {
    veilport::testing::SpawnedProgram child(veilport::testing::helpersDir() / "veilport_standin",
                                            {"gone"});
    ASSERT_EQ(child.readLine(), "ready");
    const pid_t pid = child.pid();
    child.kill(SIGKILL);
    ASSERT_TRUE(child.waitForExit());
    const ProcessHandle handle = ProcessHandle::open(pid);
    EXPECT_FALSE(handle.valid());
    EXPECT_TRUE(handle.terminate());
    EXPECT_FALSE(handle.waitForExit(0ms));
}

}  // namespace
}  // namespace veilport::process
