#include "browsers/BrowserProfiles.h"

#include <sys/stat.h>

#include <set>
#include <utility>

#include "browsers/ChromiumRoots.h"
#include "browsers/ProfileRoots.h"
#include "platform/io/AtomicFile.h"
#include "platform/home/VeilportHome.h"
#include "platform/text/Ascii.h"

namespace veilport::browsers {

namespace fs = std::filesystem;

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

fs::path WithoutTrailingSeparator(fs::path path) {
    return path.has_filename() ? path : path.parent_path();
}

// Profiles are told apart by the folder itself, so that a profile reached by
// profiles.ini, by its prefs.js and through a link is cleaned once.
class ProfileList {
public:
    explicit ProfileList(ProfileSearch& search) : search_(search) {}

    void add(BrowserProfile profile) {
        struct stat info {};
        if (::stat(profile.folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
        if (!seen_.insert({info.st_dev, info.st_ino}).second) return;
        search_.profiles.push_back(std::move(profile));
    }

private:
    ProfileSearch& search_;
    std::set<std::pair<dev_t, ino_t>> seen_;
};

// The folder below which Firefox keeps the caches of the profiles of `root`:
// ~/.cache/mozilla/firefox for the usual home; a Snap or Flatpak home keeps
// its own (".cache" below the Snap's home, "cache" below the Flatpak's).
std::vector<fs::path> FirefoxCacheRoots(const fs::path& root) {
    const fs::path base = root.parent_path().parent_path();  // the folder holding .mozilla
    if (base == home::userHome()) return {CacheHome() / "mozilla/firefox"};
    return {base / ".cache/mozilla/firefox", base / "cache/mozilla/firefox"};
}

bool LooksLikeFirefoxProfile(const fs::path& folder) {
    struct stat info {};
    return folder.is_absolute() && (::lstat((folder / "prefs.js").c_str(), &info) == 0 ||
                                    ::lstat((folder / "times.json").c_str(), &info) == 0);
}

void AddFirefoxProfiles(const fs::path& rootName, ProfileList& list, ProfileSearch& search) {
    const fs::path root = WithoutTrailingSeparator(rootName);
    const auto cacheRoots = FirefoxCacheRoots(root);
    const auto addFolder = [&](const fs::path& folder) {
        BrowserProfile profile{BrowserFamily::Firefox, "Firefox", folder, folder, {}};
        const fs::path below = folder.lexically_relative(root);
        if (!below.empty() && *below.begin() != "..")
            for (const auto& cache : cacheRoots) profile.cacheFolders.push_back(cache / below);
        list.add(std::move(profile));
    };
    if (const auto ini = io::readWholeFile(root / "profiles.ini")) {
        for (const auto& entry : ParseProfilesIni(*ini)) {
            const fs::path folder =
                entry.relative ? (root / entry.path).lexically_normal() : fs::path(entry.path);
            // An ini line can name any folder; only one Firefox has written
            // to is taken for a profile.
            if (LooksLikeFirefoxProfile(folder)) addFolder(folder);
        }
    }
    FileFinder finder;
    finder.SetRoot(root, true);
    finder.Search("prefs.js", true, false);
    for (const auto& prefs : finder.results()) addFolder(prefs.parent_path());
    for (const auto& place : finder.unreachable()) search.unreachable.push_back(place);
}

bool IsChromiumProfileName(std::string_view name) {
    if (name == "Default") return true;
    constexpr std::string_view kPrefix = "Profile ";
    if (!name.starts_with(kPrefix) || name.size() == kPrefix.size()) return false;
    for (char c : name.substr(kPrefix.size()))
        if (c < '0' || c > '9') return false;
    return true;
}

void AddChromiumProfiles(const ChromiumRoot& root, ProfileList& list, ProfileSearch& search) {
    std::error_code error;
    fs::directory_iterator it(root.userData, error);
    if (error) {
        if (error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory)
            search.unreachable.push_back({root.userData, "cannot be read: " + error.message()});
        return;
    }
    for (; it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!IsChromiumProfileName(name)) continue;
        list.add({BrowserFamily::Chromium,
                  root.browser,
                  it->path(),
                  root.userData,
                  {root.cache / name}});
    }
}

}  // namespace

std::vector<ProfilesIniEntry> ParseProfilesIni(std::string_view text) {
    std::vector<ProfilesIniEntry> entries;
    bool inProfile = false;
    ProfilesIniEntry current;
    const auto finish = [&] {
        if (inProfile && !current.path.empty()) entries.push_back(current);
        current = {};
    };
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.starts_with('[')) {
            finish();
            const std::string section = text::asciiLowered(line);
            inProfile = section.starts_with("[profile");
            continue;
        }
        const auto equals = line.find('=');
        if (!inProfile || equals == std::string_view::npos) continue;
        const std::string key = text::asciiLowered(Trimmed(line.substr(0, equals)));
        const std::string_view value = Trimmed(line.substr(equals + 1));
        if (key == "path")
            current.path = std::string(value);
        else if (key == "isrelative")
            current.relative = value != "0";
    }
    finish();
    return entries;
}

ProfileSearch FindBrowserProfiles(BrowserFamily family) {
    ProfileSearch search;
    ProfileList list(search);
    switch (family) {
        case BrowserFamily::Firefox:
            for (const auto& root : ProfileRoots(MozillaFamily::Firefox))
                AddFirefoxProfiles(root, list, search);
            break;
        case BrowserFamily::Chromium:
            for (const auto& root : ChromiumRoots()) AddChromiumProfiles(root, list, search);
            break;
    }
    return search;
}

}  // namespace veilport::browsers
