#pragma once

#include <filesystem>
#include <system_error>

namespace veilport::process {

// bind() and connect() of a local stream socket to a path, without the
// 108-byte limit of a socket address: a longer path is reached through an open
// descriptor of its folder (/proc/self/fd/N/name). Both retry on EINTR.
[[nodiscard]] std::error_code bindUnix(int fd, const std::filesystem::path& path);
[[nodiscard]] std::error_code connectUnix(int fd, const std::filesystem::path& path);

}  // namespace veilport::process
