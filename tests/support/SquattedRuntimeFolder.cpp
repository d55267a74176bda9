#include "support/SquattedRuntimeFolder.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace veilport::testing {

std::optional<bool> InSquattedRuntimeFolder(const std::function<bool(const std::string&)>& check) {
    int result[2];
    if (::pipe(result) != 0) return std::nullopt;
    // A build under /tmp would vanish beneath the private /tmp together with
    // the programs the check starts.
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || self.string().rfind("/tmp/", 0) == 0) {
        ::close(result[0]);
        ::close(result[1]);
        return std::nullopt;
    }
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
            outcome = check(own) ? 'y' : 'n';
        }
        if (::write(result[1], &outcome, 1) < 0) ::_exit(1);
        ::_exit(0);
    }
    ::close(result[1]);
    char outcome = 's';
    if (::read(result[0], &outcome, 1) != 1) outcome = 'n';
    ::close(result[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (outcome == 's') return std::nullopt;
    return outcome == 'y';
}

}  // namespace veilport::testing
