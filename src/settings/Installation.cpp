#include "settings/Installation.h"

#include <system_error>

#include "platform/shell/VeilportHome.h"
#include "settings/StringSetting.h"

namespace veilport {

void RegisterInstallation(const std::filesystem::path& programDir) {
    StringSetting appPath(settings::kAppPath);
    if (appPath.valid()) return;
    const auto home = shell::veilportHome();
    std::error_code ec;
    std::filesystem::create_directories(home, ec);
    appPath.set(home.string());
    StringSetting appFullPath(settings::kAppFullPath);
    if (!appFullPath.valid()) appFullPath.set((programDir / "veilport").string());
}

std::filesystem::path RunningProgramDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : exe.parent_path();
}

}  // namespace veilport
