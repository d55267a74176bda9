#include "platform/process/RuntimeDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace veilport::process {

namespace {

const std::filesystem::path kFallbackParent = "/tmp";

std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::filesystem::path fallbackFolder(const std::filesystem::path& parent) {
    return parent / ("veilport-" + std::to_string(::getuid()));
}

// $XDG_RUNTIME_DIR may be a link (the session manager's choice); what counts
// is the folder it names.
bool usableXdgFolder(const char* xdg) {
    if (xdg == nullptr || *xdg != '/') return false;
    struct stat info {};
    return ::stat(xdg, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::error_code checkPrivateFolder(const std::filesystem::path& dir) {
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0) return lastError();
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
        return std::make_error_code(std::errc::permission_denied);
    return {};
}

}  // namespace

std::filesystem::path runtimeDirFrom(const char* xdg, const std::filesystem::path& fallbackParent,
                                     std::error_code& ec) {
    ec.clear();
    if (usableXdgFolder(xdg)) return xdg;
    const std::filesystem::path own = fallbackFolder(fallbackParent);
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
        ec = lastError();
        return {};
    }
    ec = checkPrivateFolder(own);
    if (ec) return {};
    return own;
}

std::filesystem::path runtimeDir(std::error_code& ec) {
    return runtimeDirFrom(std::getenv("XDG_RUNTIME_DIR"), kFallbackParent, ec);
}

std::string runtimeDirProblem() {
    std::error_code ec;
    if (!runtimeDir(ec).empty()) return {};
    const std::filesystem::path own = fallbackFolder(kFallbackParent);
    if (ec == std::errc::permission_denied)
        return "Veilport cannot use the folder " + own.string() +
               " for its lock and control socket: it is not a folder of this user's own with "
               "mode 0700 (another user may have made it). Remove it, or set XDG_RUNTIME_DIR "
               "to a folder that only you can write to.";
    return "Veilport cannot make the folder " + own.string() +
           " for its lock and control socket (" + ec.message() +
           "). Set XDG_RUNTIME_DIR to a folder that only you can write to.";
}

}  // namespace veilport::process
