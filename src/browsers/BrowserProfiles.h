#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/FileFinder.h"

namespace veilport::browsers {

enum class BrowserFamily { Firefox, Chromium };

// One browser profile found for this user.
struct BrowserProfile {
    BrowserFamily family;
    std::string browser;  // "Firefox", or a Chromium-family name such as "Brave"
    std::filesystem::path folder;
    // Where a running browser leaves its lock: the profile itself for Firefox,
    // the user-data folder above the profile for the Chromium family.
    std::filesystem::path lockFolder;
    // The profile's disk-cache folders outside it; some may not exist.
    std::vector<std::filesystem::path> cacheFolders;
};

struct ProfileSearch {
    std::vector<BrowserProfile> profiles;
    // Folders that could not be searched, and why.
    std::vector<FileFinder::Unreachable> unreachable;
};

// Every profile of the family, each once however it is reached:
//   Firefox   in each of ProfileRoots(Firefox): the profiles profiles.ini
//             names (relative or absolute) and every folder holding prefs.js;
//             the cache folder is the same path below ~/.cache/mozilla/firefox
//             (or the Snap or Flatpak home's own cache).
//   Chromium  in each of ChromiumRoots(): "Default" and every "Profile N";
//             the cache folder is the same name below the root's cache folder.
ProfileSearch FindBrowserProfiles(BrowserFamily family);

// The profile folders profiles.ini names, in the order of their sections.
struct ProfilesIniEntry {
    std::string path;
    bool relative = true;
};
std::vector<ProfilesIniEntry> ParseProfilesIni(std::string_view text);

}  // namespace veilport::browsers
