#include "browsers/ProfileRoots.h"

#include <string>

#include "browsers/BrowserKeys.h"
#include "platform/home/VeilportHome.h"
#include "settings/RegistryKey.h"

namespace veilport::browsers {

namespace fs = std::filesystem;

std::vector<fs::path> ProfileRoots(MozillaFamily family) {
    const fs::path home = home::userHome();
    switch (family) {
        case MozillaFamily::Firefox:
            return {home / ".mozilla/firefox/", home / "snap/firefox/common/.mozilla/firefox/",
                    home / ".var/app/org.mozilla.firefox/.mozilla/firefox/"};
        case MozillaFamily::Mozilla:
            return {home / ".mozilla/seamonkey/"};
        case MozillaFamily::Netscape:
            return {home / ".netscape/"};
    }
    return {};
}

namespace {

// The Opera program folder, or empty when it cannot be known. A missing or
// mistyped Path value would make the name start with a bare separator; that
// names no Opera folder here (on this system it would even be a file name
// relative to wherever we were started), so such files are simply skipped.
std::string OperaProgramDir() {
    RegistryKey key(registry::Root::LocalMachine, keys::kOperaAppPaths);
    if (key.createKey() != registry::kSuccess) return {};
    std::string dir;
    const auto status = key.getString(keys::kOperaAppPathsValue, dir);
    key.closeKey();
    return status == registry::kSuccess ? dir : std::string();
}

}  // namespace

std::optional<fs::path> OperaFilePath(OperaFile file) {
    switch (file) {
        case OperaFile::ProfileOpera6:
            return home::userHome() / ".opera" / "opera6.ini";
        case OperaFile::ProgramOpera6:
        case OperaFile::ProgramOperaDef6: {
            const std::string dir = OperaProgramDir();
            if (dir.empty()) return std::nullopt;
            return fs::path(dir) /
                   (file == OperaFile::ProgramOpera6 ? "Opera6.ini" : "OperaDef6.ini");
        }
    }
    return std::nullopt;
}

}  // namespace veilport::browsers
