#include "platform/desktop/RunProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/io/UniqueFd.h"

extern char** environ;

namespace veilport::desktop {

namespace {

// Waits for the child; true when it ended within the timeout.
bool WaitWithTimeout(pid_t pid, std::chrono::milliseconds timeout) {
    io::UniqueFd pidFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!pidFd) return true;  // No pidfd: fall back to a plain blocking wait.
    pollfd entry{pidFd.get(), POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0) return true;
        if (ready == 0) return false;
        if (errno != EINTR) return true;
    }
}

}  // namespace

std::optional<int> runProgram(const std::vector<std::string>& argv,
                              std::chrono::milliseconds timeout) {
    if (argv.empty()) return std::nullopt;
    std::vector<char*> words;
    for (const auto& word : argv) words.push_back(const_cast<char*>(word.c_str()));
    words.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return std::nullopt;
    for (int fd : {0, 1, 2})
        (void)posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                               fd == 0 ? O_RDONLY : O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, words[0], &actions, nullptr, words.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return std::nullopt;

    const bool ended = WaitWithTimeout(pid, timeout);
    if (!ended) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return std::nullopt;
    }
    if (!ended || !WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}

std::optional<std::filesystem::path> findOnPath(const std::string& name,
                                                const std::string& pathList) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    std::string_view rest = pathList;
    while (true) {
        const auto colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        if (!dir.empty()) {
            const std::filesystem::path candidate = std::filesystem::path(dir) / name;
            std::error_code ec;
            if (std::filesystem::is_regular_file(candidate, ec) &&
                ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(colon + 1);
    }
}

std::optional<std::filesystem::path> findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    return findOnPath(name, path ? path : "/usr/local/bin:/usr/bin:/bin");
}

}  // namespace veilport::desktop
