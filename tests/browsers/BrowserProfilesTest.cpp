#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "browsers/BrowserProfiles.h"
#include "support/TempHome.h"

namespace veilport::browsers {
namespace {

namespace fs = std::filesystem;

void touch(const fs::path& file, const std::string& text = "") {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

std::vector<std::string> Folders(const ProfileSearch& search, const fs::path& home) {
    std::vector<std::string> folders;
    for (const auto& profile : search.profiles)
        folders.push_back(profile.browser + " " + profile.folder.lexically_relative(home).string());
    std::sort(folders.begin(), folders.end());
    return folders;
}

TEST(ParseProfilesIniTest, ReadsEveryProfileSectionAndOnlyThose) {
    const auto entries = ParseProfilesIni(
        "[Install4F96D1932A9F858E]\r\nDefault=abc.default-release\r\n\r\n"
        "[Profile1]\r\nName=work\r\nIsRelative=0\r\nPath=/data/ff/work\r\n\r\n"
        "[profile0]\nName=default\n IsRelative = 1 \nPath = abc.default-release \nDefault=1\n"
        "[Profile2]\nName=no path\n"
        "[General]\nPath=not-a-profile\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, "/data/ff/work");
    EXPECT_FALSE(entries[0].relative);
    EXPECT_EQ(entries[1].path, "abc.default-release");
    EXPECT_TRUE(entries[1].relative);
}

TEST(BrowserProfilesTest, FindsEveryFirefoxProfileOnceWithItsCache) {
    veilport::testing::TempHome temp;
    const fs::path home = temp.path() / "home";
    const fs::path root = home / ".mozilla/firefox";
    touch(root / "profiles.ini", "[Profile0]\nPath=abc.default\n[Profile1]\nIsRelative=0\nPath=" +
                                     (home / "elsewhere/work").string() +
                                     "\n[Profile2]\nIsRelative=0\nPath=" + home.string() +
                                     "\n[Profile3]\nPath=gone.default\n");
    touch(root / "abc.default/prefs.js");
    touch(home / "elsewhere/work/times.json");
    touch(root / "stray.profile/prefs.js");  // not in profiles.ini: found by its prefs.js
    fs::create_directory_symlink(root / "abc.default", root / "alias");
    touch(home / "snap/firefox/common/.mozilla/firefox/s.default/prefs.js");
    touch(home / ".var/app/org.mozilla.firefox/.mozilla/firefox/f.default/prefs.js");

    const auto search = FindBrowserProfiles(BrowserFamily::Firefox);

    // The home named by profiles.ini holds no Firefox file: not a profile.
    EXPECT_EQ(
        Folders(search, home),
        (std::vector<std::string>{
            "Firefox .mozilla/firefox/abc.default", "Firefox .mozilla/firefox/stray.profile",
            "Firefox .var/app/org.mozilla.firefox/.mozilla/firefox/f.default",
            "Firefox elsewhere/work", "Firefox snap/firefox/common/.mozilla/firefox/s.default"}));
    for (const auto& profile : search.profiles) {
        EXPECT_EQ(profile.lockFolder, profile.folder);
        const auto name = profile.folder.filename();
        if (name == "abc.default") {
            EXPECT_EQ(profile.cacheFolders,
                      std::vector<fs::path>{home / ".cache/mozilla/firefox/abc.default"});
        }
        if (name == "work") {
            EXPECT_TRUE(profile.cacheFolders.empty());
        }
        if (name == "s.default") {
            EXPECT_NE(std::find(profile.cacheFolders.begin(), profile.cacheFolders.end(),
                                home / "snap/firefox/common/.cache/mozilla/firefox/s.default"),
                      profile.cacheFolders.end());
        }
        if (name == "f.default") {
            EXPECT_NE(
                std::find(profile.cacheFolders.begin(), profile.cacheFolders.end(),
                          home / ".var/app/org.mozilla.firefox/cache/mozilla/firefox/f.default"),
                profile.cacheFolders.end());
        }
    }
}

TEST(BrowserProfilesTest, FindsTheChromiumFamilysProfilesInEveryHome) {
    veilport::testing::TempHome temp;
    const fs::path home = temp.path() / "home";
    fs::create_directories(home / ".config/chromium/Default");
    fs::create_directories(home / ".config/chromium/Profile 2");
    fs::create_directories(home / ".config/chromium/System Profile");
    fs::create_directories(home / ".config/chromium/Profile x");
    touch(home / ".config/chromium/Profile 3");  // a file, not a profile
    fs::create_directories(home / ".config/BraveSoftware/Brave-Browser/Default");
    fs::create_directories(home / "snap/chromium/common/chromium/Default");
    fs::create_directories(home / ".var/app/com.google.Chrome/config/google-chrome/Profile 1");

    const auto search = FindBrowserProfiles(BrowserFamily::Chromium);

    EXPECT_EQ(Folders(search, home),
              (std::vector<std::string>{"Brave .config/BraveSoftware/Brave-Browser/Default",
                                        "Chromium .config/chromium/Default",
                                        "Chromium .config/chromium/Profile 2",
                                        "Chromium snap/chromium/common/chromium/Default",
                                        "Google Chrome .var/app/com.google.Chrome/config/"
                                        "google-chrome/Profile 1"}));
    for (const auto& profile : search.profiles) {
        EXPECT_EQ(profile.lockFolder, profile.folder.parent_path());
        if (profile.folder == home / ".config/chromium/Profile 2") {
            EXPECT_EQ(profile.cacheFolders,
                      std::vector<fs::path>{home / ".cache/chromium/Profile 2"});
        }
        if (profile.browser == "Google Chrome") {
            EXPECT_EQ(profile.cacheFolders,
                      std::vector<fs::path>{
                          home / ".var/app/com.google.Chrome/cache/google-chrome/Profile 1"});
        }
    }
}

}  // namespace
}  // namespace veilport::browsers
