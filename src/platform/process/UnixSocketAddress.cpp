#include "platform/process/UnixSocketAddress.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/io/UniqueFd.h"

namespace veilport::process {

namespace {

template <typename Call>
std::error_code withAddress(const std::filesystem::path& path, Call call) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string target = path.string();
    io::UniqueFd folder;
    if (target.size() >= sizeof(address.sun_path)) {
        folder.reset(::open(path.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!folder) return {errno, std::generic_category()};
        target = "/proc/self/fd/" + std::to_string(folder.get()) + "/" + path.filename().string();
        if (target.size() >= sizeof(address.sun_path))
            return std::make_error_code(std::errc::filename_too_long);
    }
    std::memcpy(address.sun_path, target.c_str(), target.size() + 1);
    int result;
    do {
        result = call(reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    } while (result != 0 && errno == EINTR);
    if (result != 0) return {errno, std::generic_category()};
    return {};
}

}  // namespace

std::error_code bindUnix(int fd, const std::filesystem::path& path) {
    return withAddress(path, [fd](const sockaddr* a, socklen_t n) { return ::bind(fd, a, n); });
}

std::error_code connectUnix(int fd, const std::filesystem::path& path) {
    return withAddress(path, [fd](const sockaddr* a, socklen_t n) { return ::connect(fd, a, n); });
}

}  // namespace veilport::process
