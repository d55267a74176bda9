#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/TempHome.h"

namespace {

namespace fs = std::filesystem;

TEST(CleanerExit, TheProgramEndsCleanlyWhileAPassIsUnderWay) {
    const char* helpers = std::getenv("VEILPORT_HELPERS_DIR");
    if (helpers == nullptr) GTEST_SKIP() << "VEILPORT_HELPERS_DIR is not set";
    const fs::path helper = fs::path(helpers) / "cleaner_exit_during_pass";
    if (!fs::exists(helper)) GTEST_SKIP() << helper << " is not built";
    veilport::testing::TempHome home;
    const auto favorites = home.veilportHome() / "shell" / "Favorites";
    for (int d = 0; d < 40; ++d) {
        fs::create_directories(favorites / std::to_string(d));
        for (int f = 0; f < 50; ++f)
            std::ofstream(favorites / std::to_string(d) / std::to_string(f)) << f;
    }
    const int status = std::system(("'" + helper.string() + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(favorites / "0" / "0"));
}

}  // namespace
