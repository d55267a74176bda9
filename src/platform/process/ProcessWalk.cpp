#include "platform/process/ProcessWalk.h"

#include <dirent.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <memory>

#include "platform/text/Ascii.h"

namespace veilport::process {

namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

std::optional<pid_t> parsePid(std::string_view text) {
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (ec != std::errc() || end != text.data() + text.size() || pid <= 0) return std::nullopt;
    return pid;
}

}  // namespace

std::optional<std::string> executableFileName(pid_t pid, const std::filesystem::path& procRoot) {
    const std::filesystem::path entry = procRoot / std::to_string(pid);
    std::error_code ec;
    std::string target = std::filesystem::read_symlink(entry / "exe", ec).string();
    if (!ec && !target.empty()) {
        if (target.ends_with(kDeletedSuffix)) target.resize(target.size() - kDeletedSuffix.size());
        return std::filesystem::path(target).filename().string();
    }
    std::ifstream comm(entry / "comm");
    std::string name;
    if (comm && std::getline(comm, name) && !name.empty()) return name;
    return std::nullopt;
}

std::optional<pid_t> findFirstProcessNamed(std::string_view name,
                                           const std::filesystem::path& procRoot) {
    const std::unique_ptr<DIR, int (*)(DIR*)> table(::opendir(procRoot.c_str()), ::closedir);
    if (!table) return std::nullopt;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(table.get())) {
        const std::optional<pid_t> pid = parsePid(entry->d_name);
        if (!pid || *pid == self) continue;
        const std::optional<std::string> executable = executableFileName(*pid, procRoot);
        if (executable && text::equalsIgnoringAsciiCase(*executable, name)) return pid;
    }
    return std::nullopt;
}

}  // namespace veilport::process
