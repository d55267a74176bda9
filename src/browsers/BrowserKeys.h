#pragma once

// Registry keys of other programs that browser detection and the Opera files
// read, all under HKEY_LOCAL_MACHINE. On Linux they are recorded by
// desktop::recordBrowserInstallations from what is found on the machine.

#include <string_view>

namespace veilport::browsers::keys {

inline constexpr std::string_view kNetscapeVersion = "Software\\Netscape\\Netscape\\CurrentVersion";
inline constexpr std::string_view kNetscape6Version =
    "Software\\Netscape\\Netscape 6\\CurrentVersion";
inline constexpr std::string_view kFirefoxVersion =
    "Software\\Mozilla\\Mozilla Firefox\\CurrentVersion";
inline constexpr std::string_view kOperaUninstall =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Opera";
inline constexpr std::string_view kMozilla16Uninstall =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mozilla (1.6)";
inline constexpr std::string_view kMozilla171Uninstall =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mozilla (1.7.1)";
inline constexpr std::string_view kAvantUninstall =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\AvantBrowser";
inline constexpr std::string_view kNetscape623Uninstall =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Netscape 6 (6.2.3)";
inline constexpr std::string_view kNetscapeBrowserUninstall =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Netscape Browser";
inline constexpr std::string_view kOperaAppPaths =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Opera.exe";
inline constexpr std::string_view kOperaAppPathsValue = "Path";

}  // namespace veilport::browsers::keys
