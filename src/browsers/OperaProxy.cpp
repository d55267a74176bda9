#include "browsers/OperaProxy.h"

#include <system_error>

#include "platform/desktop/PrivateProfile.h"

namespace veilport::browsers {

namespace {

constexpr OperaFile kOrder[] = {OperaFile::ProgramOpera6, OperaFile::ProfileOpera6,
                                OperaFile::ProgramOperaDef6};

std::optional<std::filesystem::path> ExistingFile(OperaFile file) {
    auto path = OperaFilePath(file);
    std::error_code ec;
    if (!path || !std::filesystem::exists(*path, ec)) return std::nullopt;
    return path;
}

// One entry for the file: done when every write went through.
SwitchReport Outcome(const std::filesystem::path& path, bool written) {
    SwitchReport report;
    if (written)
        report.done(path.string());
    else
        report.failed(path.string(), "cannot be written");
    return report;
}

}  // namespace

SwitchReport SetOperaFile(OperaFile file) {
    const auto path = ExistingFile(file);
    if (!path) return {};
    bool written = desktop::WritePrivateProfileString("Proxy", "Use HTTP", "1", *path);
    written = desktop::WritePrivateProfileString("Proxy", "HTTP Server", "127.0.0.1:8080", *path) &&
              written;
    if (file != OperaFile::ProfileOpera6)
        written =
            desktop::WritePrivateProfileString("User Prefs", "Home URL", kOperaHomeUrl, *path) &&
            written;
    return Outcome(*path, written);
}

SwitchReport RestoreOperaFile(OperaFile file) {
    const auto path = ExistingFile(file);
    if (!path) return {};
    return Outcome(*path, desktop::WritePrivateProfileString("Proxy", "Use HTTP", "0", *path));
}

SwitchReport SetOperaProxy() {
    SwitchReport report;
    for (OperaFile file : kOrder) report.append(SetOperaFile(file));
    return report;
}

SwitchReport RestoreOperaProxy() {
    SwitchReport report;
    for (OperaFile file : kOrder) report.append(RestoreOperaFile(file));
    return report;
}

}  // namespace veilport::browsers
