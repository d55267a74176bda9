// The real veilport on a private X server (Xvfb) with a tray host (trayer)
// and a throwaway home, driven with xdotool: a second start brings the first
// window back from the tray, F1 opens the help viewer, and Quenchor ends
// Veilport with status 0.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <optional>
#include <string>

#include "support/TempHome.h"
#include "ui/app_e2e/XSession.h"

namespace veilport::e2e {
namespace {

class VeilportEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "trayer"})
            if (Which(tool).empty()) GTEST_SKIP() << tool << " is not installed";
        display_.emplace(home_.path(), true);
        ASSERT_TRUE(display_->ready()) << "Xvfb did not start";
    }

    testing::TempHome home_;
    std::optional<PrivateDisplay> display_;
};

TEST_F(VeilportEndToEndTest, SecondStartF1AndQuenchor) {
    SpawnedProgram veilport(Built("veilport"));
    ASSERT_TRUE(veilport.started());
    const std::string window = VisibleWindow("Veilport");
    ASSERT_FALSE(window.empty()) << "the main window did not appear";

    // The close button (top right) sends the window to the tray.
    Click(window, 733, 22);
    ASSERT_TRUE(NoVisibleWindow("Veilport")) << "the window did not go to the tray";

    // A second start brings it back and ends by itself with status 0.
    SpawnedProgram second(Built("veilport"));
    const auto secondStatus = second.waitForExit(20s);
    ASSERT_TRUE(secondStatus) << "the second veilport did not end";
    EXPECT_TRUE(WIFEXITED(*secondStatus) && WEXITSTATUS(*secondStatus) == 0);
    EXPECT_FALSE(VisibleWindow("Veilport").empty()) << "the first window did not come back";

    // F1 opens the help viewer.
    // A click on the window's own body (above the pages, left of the top
    // bar's buttons) gives it the focus without pressing any control.
    Click(window, 400, 60);
    Xdotool({"windowfocus", "--sync", window});
    Xdotool({"key", "F1"});
    EXPECT_FALSE(VisibleWindow("Veilport Help", 30).empty()) << "F1 opened no help viewer";

    // Quenchor ends Veilport with status 0; its own poll dialog is then
    // left to the test's clean-up.
    SpawnedProgram quenchor(Built("src/closer/quenchor"));
    const auto status = veilport.waitForExit(20s);
    ASSERT_TRUE(status) << "Quenchor did not end Veilport";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

}  // namespace
}  // namespace veilport::e2e
