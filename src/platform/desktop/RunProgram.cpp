#include "platform/desktop/RunProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

std::vector<char*> Words(const std::vector<std::string>& argv) {
    std::vector<char*> words;
    for (const auto& word : argv) words.push_back(const_cast<char*>(word.c_str()));
    words.push_back(nullptr);
    return words;
}

// This process's environment with `overrides` ("NAME=value") put on top.
std::vector<std::string> Environment(const std::vector<std::string>& overrides) {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const auto name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const auto& wanted : overrides)
            replaced = replaced || std::string_view(wanted).substr(0, name.size()) == name;
        if (!replaced) entries.emplace_back(text);
    }
    entries.insert(entries.end(), overrides.begin(), overrides.end());
    return entries;
}

// Reaps the child: its exit status, or nullopt when it was killed or did not end in time.
std::optional<int> Reap(pid_t pid, bool ended) {
    if (!ended) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return std::nullopt;
    }
    if (!ended || !WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}

// Reads the pipe until its end, the deadline or the limit; true when it ended.
bool ReadAll(int fd, std::string& out, std::chrono::steady_clock::time_point deadline,
             std::size_t limit) {
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got == 0;
        out.append(buffer, static_cast<std::size_t>(got));
        if (out.size() > limit) return false;
    }
}

}  // namespace

std::optional<ProgramOutput> RunProgramOutput(const std::vector<std::string>& argv,
                                              std::chrono::milliseconds timeout,
                                              const std::vector<std::string>& environment,
                                              std::size_t limit) {
    if (argv.empty()) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    io::UniqueFd readEnd(fds[0]), writeEnd(fds[1]);
    auto words = Words(argv);
    const auto env = Environment(environment);
    std::vector<char*> envp;
    for (const auto& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return std::nullopt;
    (void)posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    (void)posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 1);
    (void)posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, words[0], &actions, nullptr, words.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return std::nullopt;
    writeEnd.reset();

    ProgramOutput output;
    const bool read = ReadAll(readEnd.get(), output.out, deadline, limit);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    const bool ended = read && WaitWithTimeout(pid, std::max(left, std::chrono::milliseconds(1)));
    const auto status = Reap(pid, ended);
    if (!status) return std::nullopt;
    output.status = *status;
    return output;
}

std::optional<int> runProgram(const std::vector<std::string>& argv,
                              std::chrono::milliseconds timeout) {
    if (argv.empty()) return std::nullopt;
    auto words = Words(argv);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return std::nullopt;
    for (int fd : {0, 1, 2})
        (void)posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                               fd == 0 ? O_RDONLY : O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, words[0], &actions, nullptr, words.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return std::nullopt;

    return Reap(pid, WaitWithTimeout(pid, timeout));
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
