#include "platform/registry/WalChangeWatch.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>


namespace veilport::registry {

WalChangeWatch::~WalChangeWatch() {
    if (map_ != nullptr) munmap(const_cast<unsigned char*>(map_), kHeaderBytes);
}

bool WalChangeWatch::watch(const std::filesystem::path& database) {
    const auto shm = database.string() + "-shm";
    // Once open, the descriptor is kept whatever happens next: closing it would
    // drop SQLite's locks on the index.
    fd_.reset(::open(shm.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd_) return false;
    struct stat info {};
    if (fstat(fd_.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size < static_cast<off_t>(kHeaderBytes))
        return false;
    void* map = mmap(nullptr, kHeaderBytes, PROT_READ, MAP_SHARED, fd_.get(), 0);
    if (map == MAP_FAILED) return false;
    map_ = static_cast<const volatile unsigned char*>(map);
    haveSeen_ = false;
    return true;
}

bool WalChangeWatch::changed() {
    if (map_ == nullptr) return true;
    std::array<unsigned char, kHeaderBytes> now;
    // Other processes write the header; take one copy, then compare it. In this
    // process SQLite only writes it under the store's lock, which the caller holds.
    for (std::size_t i = 0; i < kHeaderBytes; ++i) now[i] = map_[i];
    const bool differs = !haveSeen_ || now != seen_;
    seen_ = now;
    haveSeen_ = true;
    return differs;
}

}  // namespace veilport::registry
