#pragma once

#include <array>
#include <cstddef>
#include <filesystem>

#include "platform/io/UniqueFd.h"

namespace veilport::registry {

// Tells, without a system call or a lock, whether any connection of any
// process has committed to a WAL-mode SQLite file since the last look. It maps
// the header of the file's shared-memory index read-only; SQLite rewrites that
// header on every commit (it carries a change counter). A header caught
// half-way through an update only counts as a change, so the answer may err
// towards "changed", never towards "unchanged".
//
// SQLite only truncates the index when it finds no other connection using it,
// and the store keeps its own connection open for the watch's whole life, so
// the mapping stays backed. The descriptor stays open too: closing any
// descriptor of a file drops every POSIX lock the process holds on it, SQLite's
// included, which would let another process re-create the index under us. So
// the owner must close its SQLite connection before destroying the watch.
class WalChangeWatch {
public:
    static constexpr std::size_t kHeaderBytes = 96;  // both copies of the index header
    using Header = std::array<unsigned char, kHeaderBytes>;

    WalChangeWatch() = default;
    ~WalChangeWatch();
    WalChangeWatch(const WalChangeWatch&) = delete;
    WalChangeWatch& operator=(const WalChangeWatch&) = delete;

    // Maps "<database>-shm". False when it cannot; then changed() is always true.
    bool watch(const std::filesystem::path& database);
    // True when the header differs from the one seen at the last call (or on the
    // first call); takes the new header as the one to compare with next time.
    bool changed();
    // The header as it is now, for a caller that keeps its own last look and
    // compares; false when nothing is mapped. Any thread may call it once
    // watch() has returned.
    bool read(Header& out) const;

private:
    io::UniqueFd fd_;
    const volatile unsigned char* map_ = nullptr;
    Header seen_{};
    bool haveSeen_ = false;
};

}  // namespace veilport::registry
