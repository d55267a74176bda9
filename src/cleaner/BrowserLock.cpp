#include "cleaner/BrowserLock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string>
#include <system_error>

#include "platform/io/UniqueFd.h"

namespace veilport::cleaner {

namespace fs = std::filesystem;

namespace {

bool ProcessIsAlive(pid_t pid) {
    if (pid <= 0) return false;
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The number after the last occurrence of `separator` in a lock link's text.
pid_t PidAfter(const std::string& text, char separator) {
    const auto at = text.rfind(separator);
    if (at == std::string::npos) return 0;
    pid_t pid = 0;
    const char* first = text.data() + at + 1;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, pid);
    return error == std::errc() && end == last ? pid : 0;
}

std::string LinkText(const fs::path& link) {
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    return error ? std::string() : target.string();
}

bool ParentLockHeld(const fs::path& profile) {
    io::UniqueFd fd(
        ::open((profile / ".parentlock").c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(fd.get(), F_GETLK, &probe) != 0) return false;
    return probe.l_type != F_UNLCK;
}

bool FirefoxIsRunning(const fs::path& profile) {
    if (ParentLockHeld(profile)) return true;
    // "address:+pid"; a profile on a file system without record locks has
    // only this to go by.
    return ProcessIsAlive(PidAfter(LinkText(profile / "lock"), '+'));
}

bool ChromiumIsRunning(const fs::path& userData) {
    const std::string text = LinkText(userData / "SingletonLock");
    if (text.empty()) return false;
    const auto dash = text.rfind('-');
    if (dash == std::string::npos) return true;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || text.substr(0, dash) != host) return true;
    return ProcessIsAlive(PidAfter(text, '-'));
}

}  // namespace

bool BrowserIsRunning(const browsers::BrowserProfile& profile) {
    switch (profile.family) {
        case browsers::BrowserFamily::Firefox:
            return FirefoxIsRunning(profile.lockFolder);
        case browsers::BrowserFamily::Chromium:
            return ChromiumIsRunning(profile.lockFolder);
    }
    return true;
}

}  // namespace veilport::cleaner
