#include "app/help/HelpFiles.h"

#include <system_error>

#include "settings/Installation.h"
#include "settings/StringSetting.h"

namespace veilport::app {

namespace fs = std::filesystem;

namespace {

bool holdsHelp(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / kHelpCollectionName, error) &&
           fs::is_regular_file(folder / kHelpDocumentationName, error);
}

// Copies one file unless the copy there is as new as the source.
bool refresh(const fs::path& from, const fs::path& to) {
    std::error_code error;
    const auto source = fs::last_write_time(from, error);
    if (error) return false;
    const auto target = fs::last_write_time(to, error);
    if (!error && target >= source && fs::file_size(to, error) == fs::file_size(from, error))
        return true;
    fs::create_directories(to.parent_path(), error);
    // Through a temporary name, so a reader never opens half a file.
    const fs::path temporary = to.string() + ".new";
    fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, error);
    if (error) return false;
    fs::rename(temporary, to, error);
    return !error;
}

}  // namespace

fs::path ShippedHelpFolder() {
    const fs::path installed = RunningProgramDir() / ".." / "share" / "veilport";
    if (holdsHelp(installed)) return installed.lexically_normal();
#ifdef VEILPORT_HELP_BUILD_DIR
    const fs::path built = VEILPORT_HELP_BUILD_DIR;
    if (holdsHelp(built)) return built;
#endif
    return {};
}

fs::path HelpFile() {
    const std::string appPath = StringSetting(settings::kAppPath).get();
    const fs::path shipped = ShippedHelpFolder();
    if (appPath.empty()) return shipped.empty() ? fs::path() : shipped / kHelpCollectionName;
    const fs::path folder = appPath;
    if (!shipped.empty() && fs::path(shipped).lexically_normal() != folder.lexically_normal()) {
        // The documentation first: a collection never points at a missing file.
        if (!refresh(shipped / kHelpDocumentationName, folder / kHelpDocumentationName) ||
            !refresh(shipped / kHelpCollectionName, folder / kHelpCollectionName))
            return {};
    }
    return holdsHelp(folder) ? folder / kHelpCollectionName : fs::path();
}

}  // namespace veilport::app
