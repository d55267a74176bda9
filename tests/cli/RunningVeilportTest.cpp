#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

// With no usable runtime folder no Veilport can run, and the command line
// says which folder is at fault rather than only "not running". The squatted
// fallback folder is made in a /tmp of a mount namespace of the test's own.
TEST(RunningVeilport, NoUsableRuntimeFolderIsNamed) {
    testing::TempHome home;
    int result[2];
    ASSERT_EQ(::pipe(result), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        char outcome = 's';  // skipped: no private /tmp to be had
        if (::unshare(CLONE_NEWNS) == 0 &&
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
            ::mount("tmpfs", "/tmp", "tmpfs", 0, "mode=1777") == 0) {
            const std::string own = "/tmp/veilport-" + std::to_string(::getuid());
            ::mkdir(own.c_str(), 0777);
            ::chmod(own.c_str(), 0777);
            ::unsetenv("XDG_RUNTIME_DIR");
            const auto result =
                testing::RunCommand({testing::VeilportctlPath(), "anonymity", "status"});
            outcome = result.err.rfind("veilportctl: ", 0) == 0 &&
                              result.err.find(own) != std::string::npos &&
                              result.out.find("not running") != std::string::npos
                          ? 'y'
                          : 'n';
        }
        if (::write(result[1], &outcome, 1) < 0) ::_exit(1);
        ::_exit(0);
    }
    ::close(result[1]);
    char outcome = 0;
    ASSERT_EQ(::read(result[0], &outcome, 1), 1);
    ::close(result[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (outcome == 's') GTEST_SKIP() << "no mount namespace of our own (needs root)";
    EXPECT_EQ(outcome, 'y');

    // With a usable folder and no program, nothing more is said: "not
    // running" is the whole truth then.
    const auto plain = testing::RunCommand({testing::VeilportctlPath(), "anonymity", "status"});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.err, "");
}

}  // namespace
}  // namespace veilport
