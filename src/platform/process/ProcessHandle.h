#pragma once

#include <sys/types.h>

#include <chrono>
#include <system_error>

#include "platform/io/UniqueFd.h"

namespace veilport::process {

// An opened process. It names the process itself, not its number: once opened,
// a process that ends and whose number is reused by another is never
// signalled by mistake.
class ProcessHandle {
public:
    // Fails (not valid(), error() set) when the process is gone or the kernel
    // refuses.
    [[nodiscard]] static ProcessHandle open(pid_t pid);

    bool valid() const { return fd_.valid(); }
    pid_t pid() const { return pid_; }
    std::error_code error() const { return error_; }

    // Asks the process to end at once: the terminate signal, which Veilport
    // answers by exiting with status 0 without any cleanup. Fails with
    // "operation not permitted" for another user's process.
    [[nodiscard]] std::error_code terminate() const;

    // Whether the process ended within the time given.
    [[nodiscard]] bool waitForExit(std::chrono::milliseconds limit) const;

private:
    io::UniqueFd fd_;
    pid_t pid_ = 0;
    std::error_code error_;
};

}  // namespace veilport::process
