#include "platform/process/NamedMutex.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/process/RuntimeDir.h"

namespace veilport::process {

namespace {

constexpr off_t kHolderByte = 0;
constexpr off_t kCreationByte = 1;

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Open-file-description locks: unlike classic record locks they are not lost
// when some other descriptor of the same file is closed in this process.
[[nodiscard]] bool lockByte(int fd, short type, off_t byte, bool wait) {
    struct flock request {};
    request.l_type = type;
    request.l_whence = SEEK_SET;
    request.l_start = byte;
    request.l_len = 1;
    int result;
    do {
        result = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &request);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// Whether any other open file holds a lock on the byte.
[[nodiscard]] bool otherHolder(int fd, off_t byte, bool& held) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = byte;
    probe.l_len = 1;
    if (::fcntl(fd, F_OFD_GETLK, &probe) != 0) return false;
    held = probe.l_type != F_UNLCK;
    return true;
}

}  // namespace

NamedMutex NamedMutex::create(std::string_view name) {
    NamedMutex mutex;
    const std::filesystem::path folder = runtimeDir(mutex.error_);
    if (mutex.error_) return mutex;
    const std::filesystem::path file = folder / (std::string(name) + ".lock");
    io::UniqueFd fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd) {
        mutex.error_ = lastError();
        return mutex;
    }
    if (!lockByte(fd.get(), F_WRLCK, kCreationByte, true)) {
        mutex.error_ = lastError();
        return mutex;
    }
    bool held = false;
    if (!otherHolder(fd.get(), kHolderByte, held) ||
        !lockByte(fd.get(), F_RDLCK, kHolderByte, false)) {
        mutex.error_ = lastError();
        return mutex;
    }
    // Releasing a lock of our own does not fail on Linux; and were it to, the
    // lock would still end with the descriptor.
    static_cast<void>(lockByte(fd.get(), F_UNLCK, kCreationByte, false));
    mutex.alreadyExisted_ = held;
    mutex.fd_ = std::move(fd);
    return mutex;
}

}  // namespace veilport::process
