#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veilport::process {

// The file name of a process's executable, from its exe link ("(deleted)" left
// off when the file was replaced). For a process whose link may not be read
// (another user's), the name the kernel keeps for it, which is cut to 15
// characters. Nothing when the process is gone.
[[nodiscard]] std::optional<std::string> executableFileName(
    pid_t pid, const std::filesystem::path& procRoot = "/proc");

// Walks the running processes in the order the process table lists them and
// returns the first whose executable file name equals `name` without regard
// to ASCII case. This process itself is never returned.
[[nodiscard]] std::optional<pid_t> findFirstProcessNamed(
    std::string_view name, const std::filesystem::path& procRoot = "/proc");

}  // namespace veilport::process
