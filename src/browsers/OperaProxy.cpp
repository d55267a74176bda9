#include "browsers/OperaProxy.h"

#include <system_error>

#include "platform/desktop/JournaledFile.h"
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

SwitchReport SetOperaFile(OperaFile file, std::uint16_t port) {
    const auto path = ExistingFile(file);
    if (!path) return {};
    const std::string server = "127.0.0.1:" + std::to_string(port);
    const bool program = file != OperaFile::ProfileOpera6;
    const auto outcome = desktop::ChangeJournaledFile(
        *path, "file", [&](const desktop::TargetState& state) -> std::optional<std::string> {
            if (!state.exists) return std::nullopt;
            auto text = desktop::WriteProfileString(state.bytes, "Proxy", "Use HTTP", "1");
            if (text) text = desktop::WriteProfileString(*text, "Proxy", "HTTP Server", server);
            if (text && program)
                text = desktop::WriteProfileString(*text, "User Prefs", "Home URL", kOperaHomeUrl);
            return text;
        });
    SwitchReport report;
    if (outcome.done)
        report.done(path->string());
    else
        report.failed(path->string(), outcome.reason);
    return report;
}

SwitchReport RestoreOperaFile(OperaFile file) {
    const auto path = ExistingFile(file);
    if (!path) return {};
    if (const auto entry = desktop::SwitchJournal::Find("file", path->string())) {
        const auto outcome = desktop::RestoreJournaledFile(*entry);
        SwitchReport report;
        if (outcome.done)
            report.done(path->string());
        else
            report.failed(path->string(), outcome.reason);
        return report;
    }
    return Outcome(*path, desktop::WritePrivateProfileString("Proxy", "Use HTTP", "0", *path));
}

SwitchReport SetOperaProxy(std::uint16_t port) {
    SwitchReport report;
    for (OperaFile file : kOrder) report.append(SetOperaFile(file, port));
    return report;
}

SwitchReport RestoreOperaProxy() {
    SwitchReport report;
    for (OperaFile file : kOrder) report.append(RestoreOperaFile(file));
    return report;
}

}  // namespace veilport::browsers
