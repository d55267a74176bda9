#pragma once

// The special folders the privacy cleaner works on. There is no Windows shell
// here, so each folder is a directory under the Veilport home, and each can be
// moved elsewhere by a registry value, the way the user shell folders of
// Windows are: a text value under HKEY_CURRENT_USER\...\Explorer\User Shell
// Folders (History, Cache, Cookies, Favorites), the TEMP value under
// HKEY_CURRENT_USER\Environment for the temporary path, and SystemRoot under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion for the
// Windows directory. Values of type REG_EXPAND_SZ have %NAME% replaced by the
// environment variable NAME.
//
// Nothing is created here: a folder is reported whether it exists or not.

#include <filesystem>
#include <string_view>

namespace veilport::shell {

enum class SpecialFolder { History, InternetCache, Cookies, Favorites };

// The registry value name that overrides a folder ("History", "Cache", ...).
std::string_view overrideValueName(SpecialFolder folder);

// Where a folder is, and whether a registry value put it there. An override is
// reported as stored (after expansion), even when empty or relative: deciding
// whether such a folder may be emptied is the caller's business.
struct FolderLocation {
    std::filesystem::path path;
    bool overridden = false;
};

// False when the folder cannot be named: an override value of a type other
// than text.
[[nodiscard]] bool getSpecialFolderPath(SpecialFolder folder, FolderLocation& out);
[[nodiscard]] bool getWindowsDirectory(FolderLocation& out);
// The temporary path always ends in a separator, as the system's does.
[[nodiscard]] bool getTempPath(FolderLocation& out);

// Replaces each %NAME% by the environment variable NAME; unknown names and a
// lone % are kept as they are.
std::string expandEnvironmentStrings(std::string_view text);

}  // namespace veilport::shell
