#pragma once

// Runs a desktop tool (gsettings and the like) without a shell: the words are
// passed as they are, stdin, stdout and stderr go to /dev/null, and the
// program is killed when it outlives the timeout (a wedged session bus must
// not hang the caller).

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace veilport::desktop {

// The program's exit status, or nullopt when it could not be started, was
// killed by a signal or timed out. argv[0] is looked up on PATH.
[[nodiscard]] std::optional<int> runProgram(const std::vector<std::string>& argv,
                                            std::chrono::milliseconds timeout);

struct ProgramOutput {
    int status = 0;
    std::string out;
};

// The same, with the program's standard output kept (at most `limit` bytes;
// more ends the program) and `environment` entries ("NAME=value") set on top
// of this process's own environment.
[[nodiscard]] std::optional<ProgramOutput> RunProgramOutput(
    const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
    const std::vector<std::string>& environment = {}, std::size_t limit = 1u << 20);

// The executable `name` on PATH (or on `pathList`, colon-separated), if any.
std::optional<std::filesystem::path> findOnPath(const std::string& name);
std::optional<std::filesystem::path> findOnPath(const std::string& name,
                                                const std::string& pathList);

}  // namespace veilport::desktop
