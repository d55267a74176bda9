#include "platform/process/RuntimeDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace veilport::process {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::error_code checkPrivateFolder(const std::filesystem::path& dir) {
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0) return lastError();
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
        return std::make_error_code(std::errc::permission_denied);
    return {};
}

}  // namespace

std::filesystem::path runtimeDir(std::error_code& ec) {
    ec.clear();
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && *xdg == '/') {
        struct stat info {};
        if (::stat(xdg, &info) == 0 && S_ISDIR(info.st_mode)) return xdg;
    }
    const std::filesystem::path own =
        std::filesystem::path("/tmp") / ("veilport-" + std::to_string(::getuid()));
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
        ec = lastError();
        return {};
    }
    ec = checkPrivateFolder(own);
    if (ec) return {};
    return own;
}

}  // namespace veilport::process
