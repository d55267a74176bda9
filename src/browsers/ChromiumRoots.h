#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace veilport::browsers {

// One user-data folder of a Chromium-family browser (it holds "Default" and
// the "Profile N" folders, and the SingletonLock of a running browser) and the
// folder below which the browser keeps each profile's disk cache.
struct ChromiumRoot {
    std::string browser;  // "Chromium", "Google Chrome", "Brave", "Vivaldi", "Microsoft Edge"
    std::filesystem::path userData;
    std::filesystem::path cache;
};

// Every place a Chromium-family browser may keep its data for this user: the
// native install under $XDG_CONFIG_HOME and $XDG_CACHE_HOME (~/.config,
// ~/.cache), the Snap homes under ~/snap and the Flatpak homes under
// ~/.var/app. Places that do not exist are listed all the same.
std::vector<ChromiumRoot> ChromiumRoots();

// $XDG_CACHE_HOME when set and absolute, else ~/.cache.
std::filesystem::path CacheHome();

}  // namespace veilport::browsers
