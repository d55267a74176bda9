// veilportctl clean, driven as a user would: the built program in a fresh home.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdio.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/TempHome.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out;
};

Result veilportctl(const std::string& args) {
    const char* program = std::getenv("VEILPORTCTL");
    if (program == nullptr) return {-1, "VEILPORTCTL is not set"};
    const std::string command = std::string("'") + program + "' " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {-1, "popen failed"};
    std::string out;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

class CleanCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("VEILPORTCTL") == nullptr) GTEST_SKIP() << "VEILPORTCTL is not set";
    }
    veilport::testing::TempHome home;
    fs::path favorites = home.veilportHome() / "shell" / "Favorites";
};

TEST_F(CleanCommandTest, DryRunListsAndARealRunRemovesWhatTheFlagsChoose) {
    writeFile(favorites / "news.url", "x");
    writeFile(favorites / "folder" / "desktop.ini", "x");
    writeFile(favorites / "folder" / "site.url", "x");

    auto none = veilportctl("clean");
    EXPECT_EQ(none.status, 0);
    EXPECT_NE(none.out.find("No cleaning task is switched on"), std::string::npos) << none.out;
    EXPECT_TRUE(fs::exists(favorites / "news.url"));

    ASSERT_EQ(veilportctl("reg set 'HKLM\\Software\\Veilport\\Setari\\IClear7' --dword 1").status,
              0);
    ASSERT_EQ(veilportctl("reg set 'HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs\\url1' "
                          "--string http://a.example/")
                  .status,
              0);
    auto planned = veilportctl("clean --dry-run");
    EXPECT_EQ(planned.status, 0);
    EXPECT_NE(planned.out.find("would remove file " + (favorites / "news.url").string()),
              std::string::npos)
        << planned.out;
    EXPECT_NE(planned.out.find("would remove: 2 files, 0 folders"), std::string::npos)
        << planned.out;
    EXPECT_TRUE(fs::exists(favorites / "news.url"));

    auto done = veilportctl("clean");
    EXPECT_EQ(done.status, 0);
    EXPECT_NE(done.out.find("removed file " + (favorites / "folder" / "site.url").string()),
              std::string::npos)
        << done.out;
    EXPECT_EQ(done.out.find("TypedURLs"), std::string::npos) << done.out;  // IClear2 is off
    EXPECT_FALSE(fs::exists(favorites / "news.url"));
    EXPECT_TRUE(fs::exists(favorites / "folder" / "desktop.ini"));
}

TEST_F(CleanCommandTest, RefusedFoldersAndBadArgumentsAreReported) {
    ASSERT_EQ(veilportctl("reg set 'HKLM\\Software\\Veilport\\Setari\\IClear7' --dword 1").status,
              0);
    ASSERT_EQ(veilportctl("reg set 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                          "User Shell Folders\\Favorites' --string /")
                  .status,
              0);
    writeFile(home.path() / "home" / "keep.txt", "x");
    auto refused = veilportctl("clean");
    EXPECT_EQ(refused.status, 0);
    EXPECT_NE(refused.out.find("not cleaning '/'"), std::string::npos) << refused.out;
    EXPECT_TRUE(fs::exists(home.path() / "home" / "keep.txt"));

    EXPECT_EQ(veilportctl("clean --now").status, 2);
}

}  // namespace

TEST_F(CleanCommandTest, BrowserProfilesAreListedWithTheirCountsAndKeptSitesStay) {
    const fs::path profile = home.path() / "home/.mozilla/firefox/abc.default";
    writeFile(profile / "prefs.js", "");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((profile / "cookies.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE moz_cookies (host TEXT);"
                           "INSERT INTO moz_cookies VALUES ('.example.org'), ('tracker.net');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_EQ(veilportctl("reg set 'HKLM\\Software\\Veilport\\Setari\\IClear4' --dword 1").status,
              0);

    // Until the browser's box is ticked, its profile is not even looked at.
    auto untouched = veilportctl("clean --dry-run");
    EXPECT_EQ(untouched.out.find("Firefox profile"), std::string::npos) << untouched.out;

    ASSERT_EQ(
        veilportctl("reg set 'HKLM\\Software\\Veilport\\Setari\\CleanFirefox' --dword 1").status,
        0);
    auto planned = veilportctl("clean --dry-run --keep https://www.Example.org/");
    EXPECT_EQ(planned.status, 0);
    EXPECT_NE(
        planned.out.find("[Firefox profile " + profile.string() + "]\n  would remove 1 cookies"),
        std::string::npos)
        << planned.out;
    auto done = veilportctl("clean --keep example.org");
    EXPECT_EQ(done.status, 0) << done.out;
    EXPECT_NE(done.out.find("  removed 1 cookies"), std::string::npos) << done.out;
    auto again = veilportctl("clean --keep example.org");
    EXPECT_NE(again.out.find("  nothing to remove"), std::string::npos) << again.out;

    EXPECT_EQ(veilportctl("clean --keep").status, 2);
    EXPECT_EQ(veilportctl("clean --keep ://").status, 2);
}
