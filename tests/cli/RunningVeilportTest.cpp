#include <gtest/gtest.h>

#include <string>

#include "support/ChildProcess.h"
#include "support/SquattedRuntimeFolder.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

// With no usable runtime folder no Veilport can run, and the command line
// says which folder is at fault rather than only "not running". The squatted
// fallback folder is made in a /tmp of a mount namespace of the test's own.
TEST(RunningVeilport, NoUsableRuntimeFolderIsNamed) {
    testing::TempHome home;
    const auto named = testing::InSquattedRuntimeFolder([](const std::string& own) {
        const auto result =
            testing::RunCommand({testing::VeilportctlPath(), "anonymity", "status"});
        return result.err.rfind("veilportctl: ", 0) == 0 &&
               result.err.find(own) != std::string::npos &&
               result.out.find("not running") != std::string::npos;
    });
    if (!named) GTEST_SKIP() << "no mount namespace of our own (needs root)";
    EXPECT_TRUE(*named);

    // With a usable folder and no program, nothing more is said: "not
    // running" is the whole truth then.
    const auto plain = testing::RunCommand({testing::VeilportctlPath(), "anonymity", "status"});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.err, "");
}

}  // namespace
}  // namespace veilport
