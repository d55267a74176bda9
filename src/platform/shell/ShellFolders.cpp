#include "platform/shell/ShellFolders.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/home/VeilportHome.h"
#include "platform/registry/Registry.h"

namespace veilport::shell {

namespace {

using registry::Root;

constexpr std::string_view kUserShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr std::string_view kEnvironmentKey = "Environment";
constexpr std::string_view kTempValue = "TEMP";
constexpr std::string_view kWindowsVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view kSystemRootValue = "SystemRoot";

// All default folders sit together, away from the store files of the home.
std::filesystem::path shellRoot() {
    return home::veilportHome() / "shell";
}

enum class Lookup { Absent, Text, WrongType };

// Reads a text value; the expanded text when its type says so.
Lookup readOverride(Root root, std::string_view keyPath, std::string_view name, std::string& text) {
    registry::KeyHandle key;
    if (registry::openKey(root, keyPath, registry::kKeyRead, key) != registry::kSuccess)
        return Lookup::Absent;
    registry::ValueType type = registry::kTypeNone;
    std::uint32_t size = 0;
    if (registry::queryValue(key, name, &type, nullptr, &size) != registry::kSuccess)
        return Lookup::Absent;
    if (type != registry::kTypeSz && type != registry::kTypeExpandSz) return Lookup::WrongType;
    std::vector<std::byte> data(size);
    if (registry::queryValue(key, name, &type, data.data(), &size) != registry::kSuccess)
        return Lookup::Absent;
    std::string raw(reinterpret_cast<const char*>(data.data()), size);
    raw.resize(raw.find('\0') == std::string::npos ? raw.size() : raw.find('\0'));
    text = type == registry::kTypeExpandSz ? expandEnvironmentStrings(raw) : raw;
    return Lookup::Text;
}

bool locate(Root root, std::string_view keyPath, std::string_view name,
            const std::filesystem::path& fallback, FolderLocation& out) {
    std::string text;
    switch (readOverride(root, keyPath, name, text)) {
        case Lookup::Absent:
            out = {fallback, false};
            return true;
        case Lookup::Text:
            out = {std::filesystem::path(text), true};
            return true;
        case Lookup::WrongType:
            return false;
    }
    return false;
}

}  // namespace

std::string_view overrideValueName(SpecialFolder folder) {
    switch (folder) {
        case SpecialFolder::History:
            return "History";
        case SpecialFolder::InternetCache:
            return "Cache";
        case SpecialFolder::Cookies:
            return "Cookies";
        case SpecialFolder::Favorites:
            return "Favorites";
    }
    return "";
}

bool getSpecialFolderPath(SpecialFolder folder, FolderLocation& out) {
    std::string_view defaultName;
    switch (folder) {
        case SpecialFolder::History:
            defaultName = "History";
            break;
        case SpecialFolder::InternetCache:
            defaultName = "Temporary Internet Files";
            break;
        case SpecialFolder::Cookies:
            defaultName = "Cookies";
            break;
        case SpecialFolder::Favorites:
            defaultName = "Favorites";
            break;
    }
    return locate(Root::CurrentUser, kUserShellFoldersKey, overrideValueName(folder),
                  shellRoot() / defaultName, out);
}

bool getWindowsDirectory(FolderLocation& out) {
    return locate(Root::LocalMachine, kWindowsVersionKey, kSystemRootValue, shellRoot() / "Windows",
                  out);
}

bool getTempPath(FolderLocation& out) {
    if (!locate(Root::CurrentUser, kEnvironmentKey, kTempValue, shellRoot() / "Temp", out))
        return false;
    // An empty override stays empty so that the caller sees it for what it is.
    if (!out.path.empty() && !out.path.native().ends_with('/')) out.path += '/';
    return true;
}

std::string expandEnvironmentStrings(std::string_view text) {
    std::string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto open = text.find('%', pos);
        const auto close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        result.append(text.substr(pos, open - pos));
        const std::string name(text.substr(open + 1, close - open - 1));
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value != nullptr) {
            result += value;
            pos = close + 1;
        } else {
            // Keep the first % and look again from the second: it may open a name.
            result += '%';
            result.append(name);
            pos = close;
        }
    }
    result.append(text.substr(pos));
    return result;
}

}  // namespace veilport::shell
