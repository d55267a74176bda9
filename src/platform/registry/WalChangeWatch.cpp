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

bool WalChangeWatch::read(Header& out) const {
    if (map_ == nullptr) return false;
    // Writers (other processes, or SQLite in this one) may be rewriting the
    // header meanwhile: a torn copy differs from every finished one.
    for (std::size_t i = 0; i < kHeaderBytes; ++i) out[i] = map_[i];
    return true;
}

bool WalChangeWatch::changed() {
    Header now;
    if (!read(now)) return true;
    const bool differs = !haveSeen_ || now != seen_;
    seen_ = now;
    haveSeen_ = true;
    return differs;
}

}  // namespace veilport::registry
