#include "browsers/ChromiumRoots.h"

#include <cstdlib>
#include <string_view>

#include "platform/desktop/DesktopPaths.h"
#include "platform/home/VeilportHome.h"

namespace veilport::browsers {

namespace fs = std::filesystem;

namespace {

struct Family {
    std::string_view browser;
    std::string_view folder;   // below ~/.config and ~/.cache
    std::string_view flatpak;  // the Flatpak application id
    std::string_view snap;     // the Snap name, empty when there is none
};

constexpr Family kFamilies[] = {
    {"Chromium", "chromium", "org.chromium.Chromium", "chromium"},
    {"Google Chrome", "google-chrome", "com.google.Chrome", ""},
    {"Brave", "BraveSoftware/Brave-Browser", "com.brave.Browser", "brave"},
    {"Vivaldi", "vivaldi", "com.vivaldi.Vivaldi", ""},
    {"Microsoft Edge", "microsoft-edge", "com.microsoft.Edge", ""},
};

}  // namespace

fs::path CacheHome() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/')
        return cache;
    return home::userHome() / ".cache";
}

std::vector<ChromiumRoot> ChromiumRoots() {
    const fs::path home = home::userHome();
    const fs::path config = desktop::configHome();
    const fs::path cache = CacheHome();
    std::vector<ChromiumRoot> roots;
    for (const auto& family : kFamilies) {
        const std::string browser(family.browser);
        roots.push_back({browser, config / family.folder, cache / family.folder});
        // The Chromium snap keeps its profile straight under common/; other
        // snaps keep the usual layout below their own home.
        if (family.snap == "chromium") {
            const fs::path snap = home / "snap/chromium/common";
            roots.push_back({browser, snap / "chromium", snap / ".cache/chromium"});
        } else if (!family.snap.empty()) {
            const fs::path snap = home / "snap" / family.snap / "current";
            roots.push_back(
                {browser, snap / ".config" / family.folder, snap / ".cache" / family.folder});
        }
        const fs::path flatpak = home / ".var/app" / family.flatpak;
        roots.push_back(
            {browser, flatpak / "config" / family.folder, flatpak / "cache" / family.folder});
    }
    return roots;
}

}  // namespace veilport::browsers
