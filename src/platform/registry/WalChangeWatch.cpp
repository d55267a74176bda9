#include "platform/registry/WalChangeWatch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace veilport::registry {

bool WalChangeWatch::watch(const std::filesystem::path& database) {
    const auto shm = database.string() + "-shm";
    fd_.reset(::open(shm.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    haveSeen_ = false;
    return fd_.valid();
}

bool WalChangeWatch::changed() {
    if (!fd_) return true;
    std::array<unsigned char, kHeaderBytes> now;
    ssize_t got = 0;
    do {
        got = pread(fd_.get(), now.data(), now.size(), 0);
    } while (got < 0 && errno == EINTR);
    if (got != static_cast<ssize_t>(now.size())) {
        haveSeen_ = false;
        return true;
    }
    const bool differs = !haveSeen_ || now != seen_;
    seen_ = now;
    haveSeen_ = true;
    return differs;
}

}  // namespace veilport::registry
