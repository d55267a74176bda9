#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace veilport::browsers {

enum class MozillaFamily { Netscape, Mozilla, Firefox };

// The Linux homes of each browser's profiles, below the user's home:
//   Firefox   ~/.mozilla/firefox/, ~/snap/firefox/common/.mozilla/firefox/ and
//             ~/.var/app/org.mozilla.firefox/.mozilla/firefox/ (snap, flatpak)
//   Mozilla   ~/.mozilla/seamonkey/
//   Netscape  ~/.netscape/
// Roots that do not exist are listed all the same; searching them finds nothing.
std::vector<std::filesystem::path> ProfileRoots(MozillaFamily family);

enum class OperaFile { ProgramOpera6, ProfileOpera6, ProgramOperaDef6 };

// The Opera file's name: the two program-directory files sit in the folder
// named by the Path value of App Paths\Opera.exe (that key is created when it
// is missing, as the system's create-or-open would); the profile file is
// ~/.opera/opera6.ini. Nullopt when there is no such folder to look in.
std::optional<std::filesystem::path> OperaFilePath(OperaFile file);

}  // namespace veilport::browsers
