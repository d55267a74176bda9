#pragma once

#include <array>
#include <cstddef>
#include <filesystem>

#include "platform/net/UniqueFd.h"

namespace veilport::registry {

// Tells, with one small read and no lock, whether any connection of any process
// has committed to a WAL-mode SQLite file since the last look. It reads the
// header of the file's shared-memory index, which SQLite rewrites on every
// commit (the header carries a change counter). A header caught half-way
// through an update only counts as a change, so the answer may err towards
// "changed", never towards "unchanged".
//
// The descriptor stays open for the life of the watch: closing any descriptor
// of a file drops every POSIX lock the process holds on it, SQLite's included.
// So the owner must close its SQLite connection before destroying the watch.
class WalChangeWatch {
public:
    // Opens "<database>-shm". False when it cannot; then changed() is always true.
    bool watch(const std::filesystem::path& database);
    // True when the header differs from the one seen at the last call (or on the
    // first call); takes the new header as the one to compare with next time.
    bool changed();

private:
    static constexpr std::size_t kHeaderBytes = 96;  // both copies of the index header
    net::UniqueFd fd_;
    std::array<unsigned char, kHeaderBytes> seen_{};
    bool haveSeen_ = false;
};

}  // namespace veilport::registry
