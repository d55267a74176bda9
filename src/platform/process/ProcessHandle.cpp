#include "platform/process/ProcessHandle.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace veilport::process {

namespace {

// Called through syscall(): glibc 2.36 declares its wrappers without C
// linkage for C++, so they cannot be linked from here.
int pidfdOpen(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

int pidfdSendSignal(int fd, int signal) {
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, fd, signal, nullptr, 0));
}

}  // namespace

ProcessHandle ProcessHandle::open(pid_t pid) {
    ProcessHandle handle;
    handle.pid_ = pid;
    handle.fd_.reset(pidfdOpen(pid));
    if (!handle.fd_) handle.error_ = {errno, std::generic_category()};
    return handle;
}

std::error_code ProcessHandle::terminate() const {
    if (!fd_) return std::make_error_code(std::errc::bad_file_descriptor);
    if (pidfdSendSignal(fd_.get(), SIGTERM) != 0) return {errno, std::generic_category()};
    return {};
}

bool ProcessHandle::waitForExit(std::chrono::milliseconds limit) const {
    if (!fd_) return false;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd watch{fd_.get(), POLLIN, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

}  // namespace veilport::process
