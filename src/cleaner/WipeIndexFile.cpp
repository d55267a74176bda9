#include "cleaner/WipeIndexFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

#include "platform/io/UniqueFd.h"

namespace veilport::cleaner {

bool WipeIndexFile(int dirFd, const char* name) {
    // Non-blocking, so that a pipe given this name cannot stall the pass.
    io::UniqueFd fd(::openat(dirFd, name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return false;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) return false;
    if (st.st_size <= kIndexHeaderSize) return false;
    static const std::array<char, kWipeBlockSize> zeros{};
    off_t offset = kIndexHeaderSize;
    while (offset < st.st_size) {
        const auto block = static_cast<std::size_t>(
            std::min<off_t>(static_cast<off_t>(zeros.size()), st.st_size - offset));
        const ssize_t written = ::pwrite(fd.get(), zeros.data(), block, offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        offset += written;
    }
    return ::fdatasync(fd.get()) == 0;
}

bool WipeIndexFile(const std::filesystem::path& directory, std::string_view name) {
    io::UniqueFd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) return false;
    return WipeIndexFile(dir.get(), std::string(name).c_str());
}

}  // namespace veilport::cleaner
