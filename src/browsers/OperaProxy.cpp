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

}  // namespace

void SetOperaFile(OperaFile file) {
    const auto path = ExistingFile(file);
    if (!path) return;
    (void)desktop::WritePrivateProfileString("Proxy", "Use HTTP", "1", *path);
    (void)desktop::WritePrivateProfileString("Proxy", "HTTP Server", "127.0.0.1:8080", *path);
    if (file != OperaFile::ProfileOpera6)
        (void)desktop::WritePrivateProfileString("User Prefs", "Home URL", kOperaHomeUrl, *path);
}

void RestoreOperaFile(OperaFile file) {
    if (const auto path = ExistingFile(file))
        (void)desktop::WritePrivateProfileString("Proxy", "Use HTTP", "0", *path);
}

void SetOperaProxy() {
    for (OperaFile file : kOrder) SetOperaFile(file);
}

void RestoreOperaProxy() {
    for (OperaFile file : kOrder) RestoreOperaFile(file);
}

}  // namespace veilport::browsers
