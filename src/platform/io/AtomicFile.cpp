#include "platform/io/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/io/UniqueFd.h"

namespace veilport::io {

namespace fs = std::filesystem;

std::optional<std::string> readWholeFile(const fs::path& file, std::size_t limit) {
    // Non-blocking so that a FIFO put in the file's place cannot stall us; it is
    // refused below as not a regular file.
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return std::nullopt;
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return std::nullopt;
    }
    if (static_cast<std::size_t>(info.st_size) > limit) {
        errno = EFBIG;
        return std::nullopt;
    }
    std::string contents;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        contents.append(buffer, static_cast<std::size_t>(got));
        // The file may grow while we read it.
        if (contents.size() > limit) {
            errno = EFBIG;
            return std::nullopt;
        }
    }
    return contents;
}

namespace {

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// The file a link chain ends at, so that a dot-file manager's link survives.
fs::path ResolveTarget(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(file, ec))) return file;
    const fs::path resolved = fs::weakly_canonical(file, ec);
    return ec ? file : resolved;
}

}  // namespace

bool replaceFileAtomically(const fs::path& file, std::string_view contents) {
    const fs::path target = ResolveTarget(file);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    UniqueFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd) return false;
    const fs::path temp = pattern;

    mode_t mode = 0600;
    if (struct stat info{}; ::stat(target.c_str(), &info) == 0) mode = info.st_mode & 07777;
    const bool written =
        ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), contents) && ::fsync(fd.get()) == 0;
    const int closed = ::close(fd.release());
    if (!written || closed != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
        const int why = errno;
        ::unlink(temp.c_str());
        errno = why;
        return false;
    }
    // Make the rename itself durable; a failure here no longer risks the data.
    if (UniqueFd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dirFd)
        (void)::fsync(dirFd.get());
    return true;
}

}  // namespace veilport::io
