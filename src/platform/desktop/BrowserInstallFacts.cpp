#include "platform/desktop/BrowserInstallFacts.h"

#include <cstdlib>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/desktop/RunProgram.h"
#include "platform/home/VeilportHome.h"
#include "platform/io/AtomicFile.h"
#include "platform/registry/Registry.h"

namespace veilport::desktop {

namespace fs = std::filesystem;

namespace {

using namespace registry;

constexpr Root kRoot = Root::LocalMachine;
constexpr std::string_view kMark = "RecordedBy";
constexpr std::string_view kMarkText = "Veilport";
constexpr std::string_view kFirefoxKey = "Software\\Mozilla\\Mozilla Firefox";
constexpr std::string_view kMozillaKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mozilla (1.7.1)";
constexpr std::string_view kNetscapeKey = "Software\\Netscape\\Netscape";
constexpr std::string_view kNetscapeUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Netscape Browser";
constexpr std::string_view kOperaUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Opera";
constexpr std::string_view kOperaAppPathsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Opera.exe";

bool SetText(const KeyHandle& key, std::string_view name, std::string_view text) {
    std::string data(text);
    return setValue(key, name, kTypeSz, data.c_str(),
                    static_cast<std::uint32_t>(data.size() + 1)) == kSuccess;
}

// Writes the key with its mark and the given values, when it is ours or new.
void Record(std::string_view path,
            std::initializer_list<std::pair<std::string_view, std::string>> values) {
    KeyHandle key;
    Disposition disposition{};
    if (createKey(kRoot, path, kKeyWrite, key, &disposition) != kSuccess) return;
    if (disposition == Disposition::OpenedExistingKey) {
        // A key with values some real installer or the user wrote is theirs to
        // keep as is. An empty one (the Opera file routines open App Paths with
        // create semantics) holds nothing to lose and is filled in.
        ValueType type = kTypeNone;
        std::uint32_t size = 0;
        std::uint32_t subKeys = 0;
        std::uint32_t valueCount = 0;
        const bool ours = queryValue(key, kMark, &type, nullptr, &size) == kSuccess;
        const bool empty =
            queryInfo(key, &subKeys, &valueCount) == kSuccess && subKeys == 0 && valueCount == 0;
        if (!ours && !empty) return;
    }
    (void)SetText(key, kMark, kMarkText);
    for (const auto& [name, text] : values) (void)SetText(key, name, text);
}

// Removes the key when it carries our mark.
void Forget(std::string_view path) {
    KeyHandle key;
    if (openKey(kRoot, path, kKeyRead, key) != kSuccess) return;
    std::byte buffer[64];
    ValueType type = kTypeNone;
    std::uint32_t size = sizeof(buffer);
    if (queryValue(key, kMark, &type, buffer, &size) != kSuccess || type != kTypeSz) return;
    if (std::string_view(reinterpret_cast<const char*>(buffer), size).substr(0, kMarkText.size()) !=
        kMarkText)
        return;
    closeKey(key);
    (void)deleteTree(kRoot, path);
}

bool IsDirectory(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

std::optional<fs::path> FindAny(const BrowserSearch& where,
                                std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (auto found = FindOnPath(name, where.pathList)) return found;
    return std::nullopt;
}

// "Version=" of the application.ini beside the resolved program, if any.
std::string FirefoxVersion(const std::optional<fs::path>& program) {
    if (program) {
        std::error_code ec;
        const fs::path real = fs::canonical(*program, ec);
        if (!ec)
            if (auto text = io::ReadWholeFile(real.parent_path() / "application.ini", 1 << 20)) {
                std::string_view rest = *text;
                while (!rest.empty()) {
                    const auto lf = rest.find('\n');
                    std::string_view line = rest.substr(0, lf);
                    if (line.substr(0, 8) == "Version=") {
                        line.remove_prefix(8);
                        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                            line.remove_suffix(1);
                        if (!line.empty()) return std::string(line);
                    }
                    if (lf == std::string_view::npos) break;
                    rest.remove_prefix(lf + 1);
                }
            }
    }
    return "unknown";
}

}  // namespace

BrowserSearch CurrentBrowserSearch() {
    const char* path = std::getenv("PATH");
    return {path ? path : "/usr/local/bin:/usr/bin:/bin", home::userHome()};
}

void RecordBrowserInstallations(const BrowserSearch& where) {
    const auto firefox = FindAny(where, {"firefox", "firefox-esr"});
    if (firefox || IsDirectory(where.home / ".mozilla/firefox") ||
        IsDirectory(where.home / "snap/firefox/common/.mozilla/firefox") ||
        IsDirectory(where.home / ".var/app/org.mozilla.firefox/.mozilla/firefox"))
        Record(kFirefoxKey, {{"CurrentVersion", FirefoxVersion(firefox)}});
    else
        Forget(kFirefoxKey);

    if (FindAny(where, {"seamonkey"}) || IsDirectory(where.home / ".mozilla/seamonkey"))
        Record(kMozillaKey, {{"DisplayName", "SeaMonkey"}});
    else
        Forget(kMozillaKey);

    if (FindAny(where, {"netscape"}) || IsDirectory(where.home / ".netscape")) {
        Record(kNetscapeKey, {{"CurrentVersion", "unknown"}});
        Record(kNetscapeUninstallKey, {{"DisplayName", "Netscape Browser"}});
    } else {
        Forget(kNetscapeKey);
        Forget(kNetscapeUninstallKey);
    }

    const auto opera = FindAny(where, {"opera"});
    if (opera || IsDirectory(where.home / ".opera")) {
        Record(kOperaUninstallKey, {{"DisplayName", "Opera"}});
        if (opera) {
            std::error_code ec;
            const fs::path real = fs::canonical(*opera, ec);
            Record(kOperaAppPathsKey, {{"Path", (ec ? *opera : real).parent_path().string()}});
        }
    } else {
        Forget(kOperaUninstallKey);
        Forget(kOperaAppPathsKey);
    }
}

}  // namespace veilport::desktop
