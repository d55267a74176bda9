// The real veilport started where it cannot run (no display) and many times
// at once (a double-click, an impatient user): it must change nothing in the
// first case, and leave exactly one window in the second.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "support/TempHome.h"
#include "ui/app_e2e/XSession.h"

namespace veilport::e2e {
namespace {

// The UseProxy value as the store holds it, read by veilportctl.
std::string StoredUseProxy() {
    return RunCommand({Built("veilportctl").string(), "reg", "query",
                       "HKLM\\Software\\Veilport\\UseProxy"})
        .out;
}

// Without a display the program ends at once, saying why, with every setting
// as it was: anonymity left on by a crash stays recorded for the next start.
TEST(HostileStartsEndToEndTest, WithoutADisplayNothingIsTouched) {
    testing::TempHome home;
    ASSERT_EQ(RunCommand({Built("veilportctl").string(), "reg", "set",
                          "HKLM\\Software\\Veilport\\UseProxy", "--dword", "1"})
                  .exitCode,
              0);
    const std::string before = StoredUseProxy();
    ASSERT_NE(before, "");
    for (const char* display : {"", ":87"}) {
        const std::string env =
            display[0] == '\0' ? "--unset=DISPLAY" : std::string("DISPLAY=") + display;
        const auto result =
            RunCommand({"/usr/bin/env", "--unset=WAYLAND_DISPLAY", "--unset=QT_QPA_PLATFORM",
                        "--unset=DISPLAY", env, Built("veilport").string()});
        EXPECT_EQ(result.exitCode, 1) << display;
        EXPECT_EQ(result.err, "Veilport needs a desktop session (no DISPLAY or WAYLAND_DISPLAY)\n")
            << display;
        EXPECT_EQ(StoredUseProxy(), before) << display;
    }
}

// Ten starts at the same moment on one X server, three times over: every
// time exactly one window shows and answers the command line, and nine hand
// over to it and end with status 0. The nine hand over before they open the
// display, so the burst costs the X server one connection.
TEST(RacingStartsTest, TenSimultaneousStartsLeaveExactlyOneWindow) {
    testing::TempHome home;
    PrivateDisplay display(home.path(), false);
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<SpawnedProgram>> starts;
        for (int i = 0; i < 10; ++i)
            starts.push_back(std::make_unique<SpawnedProgram>(Built("veilport")));
        // The nine that hand over end by themselves.
        const auto exited = [&] {
            int count = 0;
            for (auto& start : starts) count += start->waitForExit(0ms).has_value();
            return count;
        };
        Eventually([&] { return exited() >= 9; }, 30s);
        int handedOver = 0;
        SpawnedProgram* running = nullptr;
        for (auto& start : starts) {
            const auto status = start->waitForExit(0ms);
            if (!status) {
                EXPECT_EQ(running, nullptr) << "round " << round << ": two instances run";
                running = start.get();
                continue;
            }
            EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
                << "round " << round << ": status " << *status;
            ++handedOver;
        }
        EXPECT_EQ(handedOver, 9) << "round " << round;
        ASSERT_NE(running, nullptr) << "round " << round << ": none runs";
        ASSERT_NE(VisibleWindow("Veilport"), "") << "round " << round;
        const std::string windows = Xdotool({"search", "--onlyvisible", "--name", "^Veilport$"});
        EXPECT_EQ(std::count(windows.begin(), windows.end(), '\n'), 1)
            << "round " << round << ": " << windows;
        EXPECT_EQ(RunCommand({Built("veilportctl").string(), "anonymity", "status"}).exitCode, 0)
            << "round " << round;
        running->kill(SIGTERM);
        ASSERT_TRUE(running->waitForExit(20s)) << "round " << round;
    }
}

}  // namespace
}  // namespace veilport::e2e
