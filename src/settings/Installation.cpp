#include "settings/Installation.h"

#include <unistd.h>

#include <system_error>

#include "platform/home/VeilportHome.h"
#include "settings/StringSetting.h"

namespace veilport {

namespace {

bool IsProgram(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) && ::access(file.c_str(), X_OK) == 0;
}

void RecordAppPath() {
    StringSetting appPath(settings::kAppPath);
    if (appPath.valid() && !appPath.get().empty()) return;
    const auto home = home::veilportHome();
    std::error_code ec;
    std::filesystem::create_directories(home, ec);
    appPath.set(home.string());
}

void RecordAppFullPath(const std::filesystem::path& programDir) {
    const auto program = programDir / "veilport";
    if (!IsProgram(program)) return;
    StringSetting appFullPath(settings::kAppFullPath);
    StringSetting recorded(settings::kRecordedAppFullPath);
    const std::string stored = appFullPath.valid() ? appFullPath.get() : std::string();
    const bool ours = stored.empty() || stored == program.string() ||
                      (recorded.valid() && stored == recorded.get());
    // A path that is neither ours nor this program was chosen by a person: it stays.
    if (!ours) return;
    // Should the program stop between the two writes, AppFullPath names this
    // program already, and the next start from here renews the mark.
    appFullPath.set(program.string());
    recorded.set(program.string());
}

}  // namespace

void RegisterInstallation(const std::filesystem::path& programDir) {
    RecordAppPath();
    RecordAppFullPath(programDir);
}

std::filesystem::path RunningProgramDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : exe.parent_path();
}

}  // namespace veilport
