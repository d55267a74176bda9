#pragma once

// A program started by a test, with its stdout read line by line. The process
// is killed and reaped when the object goes, so a failing test leaves nothing
// running.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace veilport::testing {

class SpawnedProgram {
public:
    explicit SpawnedProgram(const std::filesystem::path& program,
                          std::vector<std::string> args = {}) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> all{program.string()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = out[0];
    }

    ~SpawnedProgram() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            int status;
            ::waitpid(pid_, &status, 0);
        }
        if (out_ >= 0) ::close(out_);
    }

    SpawnedProgram(const SpawnedProgram&) = delete;
    SpawnedProgram& operator=(const SpawnedProgram&) = delete;

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }

    // The next line of stdout, without its line feed; nothing on end of file
    // or when none came within the limit.
    std::optional<std::string> readLine(
        std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return std::nullopt;
            pollfd watch{out_, POLLIN, 0};
            if (::poll(&watch, 1, static_cast<int>(left.count())) <= 0) continue;
            char chunk[256];
            const ssize_t n = ::read(out_, chunk, sizeof(chunk));
            if (n <= 0) return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // Waits for the process to end and returns its wait status; nothing when
    // it still runs after the limit.
    std::optional<int> waitForExit(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        if (exited_) return status_;
        const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
        if (fd < 0) return std::nullopt;
        pollfd watch{fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(limit.count()));
        ::close(fd);
        if (ready <= 0) return std::nullopt;
        if (::waitpid(pid_, &status_, 0) != pid_) return std::nullopt;
        exited_ = true;
        return status_;
    }

    // Whether it still runs.
    bool running() {
        if (exited_) return false;
        return !waitForExit(std::chrono::milliseconds(0)).has_value();
    }

    void kill(int signal) { ::kill(pid_, signal); }

private:
    pid_t pid_ = 0;
    int out_ = -1;
    std::string buffer_;
    bool exited_ = false;
    int status_ = 0;
};

// The folder of the helper programs: as CTest passes it, else the helpers
// folder beside the test programs of the build (the test suites' variable
// list does not always reach the test).
inline std::filesystem::path helpersDir() {
    if (const char* dir = std::getenv("VEILPORT_HELPERS_DIR"); dir != nullptr && *dir != '\0')
        return dir;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    for (auto dir = self.parent_path(); !ec && dir.has_relative_path(); dir = dir.parent_path()) {
        if (std::filesystem::exists(dir / "tests" / "helpers" / "veilport_standin"))
            return dir / "tests" / "helpers";
        if (std::filesystem::exists(dir / "helpers" / "veilport_standin")) return dir / "helpers";
    }
    return {};
}

}  // namespace veilport::testing
