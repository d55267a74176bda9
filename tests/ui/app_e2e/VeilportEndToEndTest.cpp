// The real veilport on a private X server (Xvfb) with a tray host (trayer)
// and a throwaway home, driven with xdotool: a second start brings the first
// window back from the tray, F1 opens the help viewer, and Quenchor ends
// Veilport with status 0.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "helpers/SpawnedProgram.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::RunCommand;
using testing::SpawnedProgram;

// The full path of a program on PATH, or empty.
std::string which(const std::string& program) {
    const auto result = RunCommand({"/bin/sh", "-c", "command -v " + program});
    return result.exitCode == 0 ? result.out.substr(0, result.out.find('\n')) : std::string();
}

// xdotool with these arguments; its standard output.
std::string xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), which("xdotool"));
    return RunCommand(args).out;
}

class VeilportEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "trayer"})
            if (which(tool).empty()) GTEST_SKIP() << tool << " is not installed";
        // Xvfb picks a free display and writes its number to the descriptor.
        const fs::path displayFile = home_.path() / "display";
        xvfb_.emplace("/bin/sh",
                      std::vector<std::string>{"-c",
                                               "exec Xvfb -displayfd 3 -screen 0 1280x800x24 "
                                               "-nolisten tcp 3>'" +
                                                   displayFile.string() + "' 2>/dev/null"});
        std::string display;
        for (int i = 0; i < 200 && display.empty(); ++i) {
            std::ifstream(displayFile) >> display;
            if (display.empty()) ::usleep(50'000);
        }
        ASSERT_FALSE(display.empty()) << "Xvfb did not start";
        ::setenv("DISPLAY", (":" + display).c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        tray_.emplace("/bin/sh", std::vector<std::string>{"-c", "exec trayer 2>/dev/null"});
    }

    void TearDown() override {
        ::unsetenv("DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
    }

    // The first visible window with exactly this title, waiting up to the
    // limit for one to appear; empty when none did.
    static std::string visibleWindow(const std::string& title, int seconds = 15) {
        const auto result =
            RunCommand({which("timeout"), std::to_string(seconds), which("xdotool"), "search",
                        "--sync", "--onlyvisible", "--name", "^" + title + "$"});
        return result.out.substr(0, result.out.find('\n'));
    }
    static bool noVisibleWindow(const std::string& title) {
        for (int i = 0; i < 100; ++i) {
            if (xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).empty())
                return true;
            ::usleep(100'000);
        }
        return false;
    }
    static void click(const std::string& window, int x, int y) {
        xdotool(
            {"mousemove", "--window", window, std::to_string(x), std::to_string(y), "click", "1"});
    }

    static fs::path built(const char* name) { return fs::path(VEILPORT_BUILD_DIR) / name; }

    testing::TempHome home_;
    std::optional<SpawnedProgram> xvfb_;
    std::optional<SpawnedProgram> tray_;
};

TEST_F(VeilportEndToEndTest, SecondStartF1AndQuenchor) {
    SpawnedProgram veilport(built("veilport"));
    ASSERT_TRUE(veilport.started());
    const std::string window = visibleWindow("Veilport");
    ASSERT_FALSE(window.empty()) << "the main window did not appear";

    // The close button (top right) sends the window to the tray.
    click(window, 733, 22);
    ASSERT_TRUE(noVisibleWindow("Veilport")) << "the window did not go to the tray";

    // A second start brings it back and ends by itself with status 0.
    SpawnedProgram second(built("veilport"));
    const auto secondStatus = second.waitForExit(20s);
    ASSERT_TRUE(secondStatus) << "the second veilport did not end";
    EXPECT_TRUE(WIFEXITED(*secondStatus) && WEXITSTATUS(*secondStatus) == 0);
    EXPECT_FALSE(visibleWindow("Veilport").empty()) << "the first window did not come back";

    // F1 opens the help viewer.
    // A click on the window's own body (above the pages, left of the top
    // bar's buttons) gives it the focus without pressing any control.
    click(window, 400, 60);
    xdotool({"windowfocus", "--sync", window});
    xdotool({"key", "F1"});
    EXPECT_FALSE(visibleWindow("Veilport Help", 30).empty()) << "F1 opened no help viewer";

    // Quenchor ends Veilport with status 0; its own poll dialog is then
    // left to the test's clean-up.
    SpawnedProgram quenchor(built("src/closer/quenchor"));
    const auto status = veilport.waitForExit(20s);
    ASSERT_TRUE(status) << "Quenchor did not end Veilport";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

}  // namespace
}  // namespace veilport
