#pragma once

#include <string_view>
#include <system_error>

#include "platform/io/UniqueFd.h"

namespace veilport::process {

// A per-user named mutex: it exists while at least one process holds an object
// created with its name, and vanishes with the last holder, even a killed one.
// It stands in for the kernel mutex that a program creates, asking for initial
// ownership it releases at once, only to learn whether an instance of itself
// runs already.
//
// Each holder keeps a shared lock on the first byte of a lock file in the
// runtime folder; the locks belong to the open file, so they end with the
// process however it ends, and a lock file left behind is harmless. Creation is
// serialised by a short exclusive lock on the second byte, so of two processes
// starting together exactly one learns that it came first.
class NamedMutex {
public:
    // Creates or opens the mutex. alreadyExisted() tells whether another holder
    // was alive at that moment. When the lock file cannot be used, the object is
    // not valid(), error() says why, and alreadyExisted() is false.
    [[nodiscard]] static NamedMutex create(std::string_view name);

    NamedMutex() = default;
    NamedMutex(NamedMutex&&) noexcept = default;
    NamedMutex& operator=(NamedMutex&&) noexcept = default;

    bool valid() const { return fd_.valid(); }
    bool alreadyExisted() const { return alreadyExisted_; }
    std::error_code error() const { return error_; }

private:
    io::UniqueFd fd_;
    bool alreadyExisted_ = false;
    std::error_code error_;
};

}  // namespace veilport::process
