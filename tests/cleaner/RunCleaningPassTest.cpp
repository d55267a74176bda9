#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "cleaner/CleanerFixtures.h"
#include "cleaner/ClearProtectedStorage.h"
#include "cleaner/RunCleaningPass.h"
#include "platform/inet/UrlCache.h"
#include "platform/inet/UrlHistory.h"
#include "platform/io/UniqueFd.h"
#include "platform/registry/KeySecurity.h"
#include "platform/shell/UserName.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "support/TempHome.h"

namespace veilport::cleaner {
namespace {

using namespace testing;
using registry::Root;

constexpr const char* kTypedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr const char* kIntelliForms = "Software\\Microsoft\\Internet Explorer\\IntelliForms";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

class RunCleaningPassTest : public ::testing::Test {
protected:
    void setFlags(std::uint32_t value) {
        for (const auto& flag : settings::kIClear) DwordSetting(flag).set(value);
    }
    void pass() {
        PassContext context{observer, system, false, {}};
        RunCleaningPass(context);
    }
    std::string userSidText() {
        registry::Sid sid;
        EXPECT_TRUE(registry::getProcessUserSid(sid));
        return registry::formatSid(sid);
    }
    std::string logonName() {
        std::string name;
        EXPECT_TRUE(shell::getUserName(name));
        return name;
    }

    veilport::testing::TempHome home;
    fs::path shell = home.veilportHome() / "shell";
    fs::path windowsHistory = shell / "Windows" / "History";
    fs::path history = shell / "History";
    fs::path tempHistory = shell / "Temp" / "History";
    fs::path cache = shell / "Temporary Internet Files";
    fs::path tempCache = shell / "Temp" / "Temporary Internet Files";
    fs::path cookies = shell / "Cookies";
    fs::path tempCookies = shell / "Temp" / "Cookies";
    fs::path favorites = shell / "Favorites";
    RecordingObserver observer;
    CleanerSystem system;
};

TEST_F(RunCleaningPassTest, RunsTheSevenTasksInOrderOverTheirLocations) {
    for (const auto& folder :
         {windowsHistory, history, tempHistory, tempCache, cookies, tempCookies, favorites})
        writeFile(folder / "m.txt", "track");
    ASSERT_TRUE(inet::UrlCache::recordDownload("http://example.com/page.html", "<html>"));
    ASSERT_TRUE(inet::UrlCache::recordCookie("http://example.com/a", "id=1"));
    {
        auto urls = inet::UrlHistory::create();
        ASSERT_TRUE(urls);
        ASSERT_TRUE(urls->addUrl("http://example.com/", "Example"));
        ASSERT_TRUE(urls->addUrl("http://example.org/", "Other"));
    }
    setString(Root::CurrentUser, kTypedUrls, "url1", "http://example.com/");
    setDword(Root::CurrentUser, std::string(kIntelliForms) + "\\Storage2", "x", 1);
    const auto userForms = ProtectedStorageFormsKey(userSidText());
    const auto logonForms = ProtectedStorageFormsKey(logonName());
    setDword(Root::CurrentUser, userForms + "\\item", "x", 1);
    setDword(Root::LocalMachine, logonForms, "x", 1);
    setFlags(1);

    pass();

    const std::string cookieUrl = "Cookie:" + logonName() + "@example.com/";
    const std::vector<std::string> expected = {
        "task 1",
        "history 2 URLs",
        "file " + (windowsHistory / "m.txt").string(),
        "file " + (history / "m.txt").string(),
        "file " + (tempHistory / "m.txt").string(),
        "task 2",
        std::string("key HKEY_CURRENT_USER\\") + kTypedUrls,
        "task 3",
        "cache http://example.com/page.html",
        "folder " + (cache / "Content.IE5").string(),
        "file " + (tempCache / "m.txt").string(),
        "task 4",
        "cache " + cookieUrl,
        "file " + (cookies / "m.txt").string(),
        "file " + (tempCookies / "m.txt").string(),
        "task 5",
        "key HKEY_CURRENT_USER\\" + userForms,
        "key HKEY_LOCAL_MACHINE\\" + logonForms,
        "task 6",
        std::string("key HKEY_CURRENT_USER\\") + kIntelliForms,
        "task 7",
        "file " + (favorites / "m.txt").string(),
    };
    EXPECT_EQ(observer.events, expected);
    EXPECT_TRUE(observer.refusals.empty());
    inet::UrlCacheFind find;
    inet::UrlCacheEntry entry;
    EXPECT_FALSE(inet::UrlCache::findFirstEntry(find, entry));
    EXPECT_TRUE(fs::is_empty(cookies));
}

TEST_F(RunCleaningPassTest, IndexFilesAreZeroedInTheHistoryFoldersAndOnlyDeletedElsewhere) {
    const std::string original(1000, 'H');
    const fs::path wiped[] = {windowsHistory, history, tempHistory};
    const fs::path deleted[] = {cache, tempCache, cookies, tempCookies, favorites};
    std::vector<std::pair<io::UniqueFd, bool>> kept;
    for (const auto& folder : wiped) {
        writeFile(folder / "index.dat", original);
        kept.emplace_back(io::UniqueFd(::open((folder / "index.dat").c_str(), O_RDONLY)), true);
    }
    for (const auto& folder : deleted) {
        writeFile(folder / "index.dat", original);
        kept.emplace_back(io::UniqueFd(::open((folder / "index.dat").c_str(), O_RDONLY)), false);
    }
    setFlags(1);

    pass();

    const std::string zeroed = original.substr(0, 64) + std::string(original.size() - 64, '\0');
    for (auto& [fd, expectWiped] : kept) {
        std::string now(original.size(), '?');
        ASSERT_EQ(::pread(fd.get(), now.data(), now.size(), 0), ssize_t(now.size()));
        EXPECT_EQ(now, expectWiped ? zeroed : original);
    }
    for (const auto& folder : wiped) EXPECT_TRUE(fs::is_empty(folder));
    for (const auto& folder : deleted) EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(RunCleaningPassTest, OnlyFlagsHoldingExactlyOneRunTheirTask) {
    writeFile(favorites / "f.url", "x");
    writeFile(history / "h.txt", "x");
    setString(Root::CurrentUser, kTypedUrls, "url1", "http://example.com/");
    setFlags(2);
    pass();
    EXPECT_TRUE(observer.events.empty());
    EXPECT_TRUE(fs::exists(favorites / "f.url"));
    EXPECT_TRUE(keyExists(Root::CurrentUser, kTypedUrls));

    DwordSetting(settings::kIClear[6]).set(1);
    pass();
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"task 7", "file " + (favorites / "f.url").string()}));
    EXPECT_TRUE(fs::exists(history / "h.txt"));
}

TEST_F(RunCleaningPassTest, OverriddenFoldersThatMustNotBeEmptiedAreRefusedOnePerLine) {
    writeFile(home.path() / "home" / "documents" / "letter.txt", "dear");
    writeFile(tempHistory / "t.txt", "x");
    setString(Root::CurrentUser, kShellFolders, "Favorites", "%HOME%", registry::kTypeExpandSz);
    setString(Root::CurrentUser, kShellFolders, "History", "");
    setString(Root::CurrentUser, kShellFolders, "Cache", "/");
    setString(Root::CurrentUser, kShellFolders, "Cookies", home.veilportHome().string());
    setString(Root::CurrentUser, "Environment", "TEMP", "relative/temp");
    setFlags(1);
    DwordSetting(settings::kSleep).set(17);

    pass();

    std::vector<std::pair<int, std::string>> refused;
    for (const auto& r : observer.refusals) refused.emplace_back(int(r.task), r.folder);
    const std::vector<std::pair<int, std::string>> expected = {
        {1, ""},
        {1, "relative/temp/"},
        {3, "/"},
        {3, "relative/temp/"},
        {4, home.veilportHome().string()},
        {4, "relative/temp/"},
        {7, (home.path() / "home").string()},
    };
    EXPECT_EQ(refused, expected);
    EXPECT_EQ(readFile(home.path() / "home" / "documents" / "letter.txt"), "dear");
    EXPECT_TRUE(fs::exists(registry::storePath()));
    registry::resetProcessStore();
    EXPECT_EQ(DwordSetting(settings::kSleep).get(), 17u);

    // Without an observer of its own, each refusal is one line on stderr.
    CleaningObserver quiet;
    PassContext context{quiet, system, false, {}};
    ::testing::internal::CaptureStderr();
    RunCleaningTasks({false, false, false, false, false, false, true}, context);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find((home.path() / "home").string()), std::string::npos) << err;
}

}  // namespace
}  // namespace veilport::cleaner
