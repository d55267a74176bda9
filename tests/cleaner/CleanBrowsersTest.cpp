#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "cleaner/BrowserProfileFixtures.h"
#include "cleaner/CleanBrowsers.h"
#include "cleaner/CleanerThread.h"
#include "cleaner/PassSummary.h"
#include "cleaner/RunCleaningPass.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "support/TempHome.h"

namespace veilport::cleaner {
namespace {

using namespace testing;

class OutcomeRecorder : public RecordingObserver {
public:
    void browserProfile(const ProfileOutcome& outcome) override { outcomes.push_back(outcome); }
    std::vector<ProfileOutcome> outcomes;
};

// Another process that takes a lock (`take` runs in it) and holds it until
// the object goes: record locks are per process, so only another one shows
// what a running browser's locks look like.
class LockHolder {
public:
    explicit LockHolder(const std::function<bool()>& take) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            const char ok = take() ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        EXPECT_EQ(::read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, '1');
        ::close(ready[0]);
    }
    ~LockHolder() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
};

// The record lock a running Firefox holds on .parentlock.
bool HoldParentLock(const fs::path& profile) {
    const int fd = ::open((profile / ".parentlock").c_str(), O_RDWR | O_CREAT, 0644);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0;
}

// A write transaction left open, as a browser's own connection holds one.
bool HoldWriteLock(const fs::path& database) {
    sqlite3* db = nullptr;
    return sqlite3_open(database.c_str(), &db) == SQLITE_OK &&
           sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

pid_t DeadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

std::string HostName() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}

class CleanBrowsersTest : public ::testing::Test {
protected:
    std::vector<ProfileOutcome> pass(bool dryRun = false, TaskFlags flags = allButFavorites()) {
        OutcomeRecorder observer;
        PassContext context{observer, system, dryRun, {}};
        context.browsers = choice;
        RunCleaningTasks(flags, context);
        return observer.outcomes;
    }
    static TaskFlags allButFavorites() { return {true, true, true, true, true, true, false}; }
    static bool hasLine(const ProfileOutcome& outcome, const std::string& part) {
        for (const auto& line : outcome.skipped)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }

    veilport::testing::TempHome home;
    fs::path user = home.path() / "home";
    CleanerSystem system;
    BrowserChoice choice{true, true, SiteKeepList::parse("example.org")};
};

TEST_F(CleanBrowsersTest, PrivacyOnInAFreshHomeChangesNoBrowserFile) {
    makeFirefoxProfile(user);
    makeChromiumProfile(user);
    const auto before = snapshot(user);
    // Even with every task ticked: the browsers' boxes are off until ticked.
    for (const auto& flag : settings::kIClear) DwordSetting(flag).set(1);
    DwordSetting(settings::kAutoClean).set(1);

    CleanerThread::RunScheduledPass({});

    EXPECT_EQ(snapshot(user), before);
}

TEST_F(CleanBrowsersTest, AScheduledPassTellsTheWindowWhatItLeftAlone) {
    const fs::path profile = makeFirefoxProfile(user);
    DwordSetting(settings::kIClear[0]).set(1);
    DwordSetting(settings::kCleanFirefox).set(1);
    std::vector<std::string> told;
    CleanerThread::processWide().setSkippedNotice(
        [&](const std::vector<std::string>& lines) { told = lines; });
    {
        LockHolder firefox([&] { return HoldParentLock(profile); });
        CleanerThread::RunScheduledPass({});
    }
    CleanerThread::processWide().setSkippedNotice(nullptr);
    EXPECT_EQ(told, std::vector<std::string>{"Firefox is running: its profile was left alone"});

    told.clear();
    CleanerThread::RunScheduledPass({});
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(queryInt(profile / "places.sqlite", "SELECT COUNT(*) FROM moz_historyvisits"), 0);
}

TEST_F(CleanBrowsersTest, FirefoxPassKeepsBookmarksKeywordsAndKeptSites) {
    const fs::path profile = makeFirefoxProfile(user);
    const fs::path places = profile / "places.sqlite";
    const fs::path cookies = profile / "cookies.sqlite";

    const auto outcomes = pass();

    ASSERT_EQ(outcomes.size(), 1u);  // no Chromium profile here
    const auto& firefox = outcomes[0];
    EXPECT_EQ(firefox.browser, "Firefox");
    EXPECT_TRUE(firefox.skipped.empty()) << firefox.skipped.front();
    EXPECT_EQ(queryInt(places, "SELECT COUNT(*) FROM moz_historyvisits"), 0);
    EXPECT_EQ(queryTexts(places, "SELECT url FROM moz_places ORDER BY id"),
              (std::vector<std::string>{"https://bookmarked.org/", "https://keyword.org/"}));
    EXPECT_EQ(queryInt(places, "SELECT COUNT(*) FROM moz_bookmarks"), 4);
    EXPECT_EQ(queryInt(places, "SELECT SUM(visit_count) + SUM(typed) FROM moz_places"), 0);
    EXPECT_EQ(queryInt(places, "SELECT COUNT(*) FROM moz_inputhistory"), 0);
    EXPECT_EQ(queryTexts(places, "SELECT host FROM moz_origins ORDER BY id"),
              (std::vector<std::string>{"bookmarked.org", "keyword.org"}));
    EXPECT_EQ(firefox.rowCount("history visits"), 4u);
    EXPECT_EQ(firefox.rowCount("pages"), 1u);

    EXPECT_EQ(queryTexts(cookies, "SELECT host FROM moz_cookies ORDER BY id"),
              (std::vector<std::string>{".example.org", "www.example.org"}));
    EXPECT_TRUE(fs::exists(profile / "storage/default/https+++www.example.org/ls/data.sqlite"));
    EXPECT_FALSE(fs::exists(profile / "storage/default/https+++tracker.net"));
    EXPECT_TRUE(fs::exists(profile / "storage/default/moz-extension+++1234/idb/x"));

    EXPECT_EQ(queryInt(profile / "formhistory.sqlite", "SELECT COUNT(*) FROM moz_formhistory"), 0);
    EXPECT_FALSE(fs::exists(profile / "logins.json"));
    EXPECT_TRUE(fs::is_empty(user / ".cache/mozilla/firefox/abc.default/cache2"));
    EXPECT_EQ(firefox.files, 3u);  // the cache entry, the storage file, logins.json
}

TEST_F(CleanBrowsersTest, ChromiumPassEmptiesItsTablesAndCachesAndKeepsBookmarks) {
    const fs::path profile = makeChromiumProfile(user);
    choice.firefox = false;

    const auto outcomes = pass();

    ASSERT_EQ(outcomes.size(), 1u);
    const auto& chromium = outcomes[0];
    EXPECT_EQ(chromium.browser, "Chromium");
    for (const auto* table : {"urls", "visits", "keyword_search_terms", "segments"})
        EXPECT_EQ(queryInt(profile / "History", std::string("SELECT COUNT(*) FROM ") + table), 0)
            << table;
    EXPECT_EQ(queryTexts(profile / "Cookies", "SELECT host_key FROM cookies"),
              std::vector<std::string>{".example.org"});
    EXPECT_EQ(queryInt(profile / "Web Data", "SELECT COUNT(*) FROM autofill"), 0);
    EXPECT_EQ(queryInt(profile / "Login Data", "SELECT COUNT(*) FROM logins"), 0);
    EXPECT_EQ(readFile(profile / "Bookmarks"), "{\"roots\":{}}");
    EXPECT_TRUE(fs::is_empty(profile / "Cache"));
    EXPECT_TRUE(fs::is_empty(user / ".cache/chromium/Default/Cache"));
    EXPECT_EQ(chromium.files, 2u);
    EXPECT_EQ(chromium.bytes, 12u);
    // Top Sites and Shortcuts do not exist in this profile: nothing to say.
    EXPECT_TRUE(chromium.skipped.empty()) << chromium.skipped.front();
}

TEST_F(CleanBrowsersTest, DryRunCountsWhatThePassRemovesAndChangesNothing) {
    makeFirefoxProfile(user);
    makeChromiumProfile(user);
    const auto before = snapshot(user);

    const auto preview = pass(true);
    EXPECT_EQ(snapshot(user), before);
    const auto real = pass(false);

    ASSERT_EQ(preview.size(), real.size());
    for (std::size_t i = 0; i < real.size(); ++i) {
        EXPECT_EQ(preview[i].rows, real[i].rows) << real[i].browser;
        EXPECT_EQ(preview[i].files, real[i].files) << real[i].browser;
        EXPECT_EQ(preview[i].bytes, real[i].bytes) << real[i].browser;
    }
    // Typed URLs after history: the Chromium pages are gone before their
    // typed counts would be reset, in the preview as in the pass.
    EXPECT_EQ(real[1].rowCount("typed counts"), 0u);
    EXPECT_EQ(real[1].rowCount("pages"), 2u);
}

TEST_F(CleanBrowsersTest, ThePreviewSaysPerProfileWhatWouldGoAndWhatWouldStay) {
    const fs::path firefox = makeFirefoxProfile(user);
    makeChromiumProfile(user);
    fs::create_symlink(HostName() + "-" + std::to_string(::getpid()),
                       user / ".config/chromium/SingletonLock");
    const auto before = snapshot(user);

    const auto lines = PreviewCleaning({false, false, true, true, false, false, false}, choice);

    EXPECT_EQ(snapshot(user), before);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "temporary Internet files: nothing to remove",
                         "cookies: nothing to remove",
                         "Firefox (" + firefox.string() + "): 2 cookies, 2 files (10 bytes)",
                         "Chromium (" + (user / ".config/chromium/Default").string() + "): nothing",
                         "  left alone: Chromium is running: its profile was left alone",
                     }));
    EXPECT_EQ(SizeText(1536), "1 KB");
    EXPECT_EQ(SizeText(3 * 1024 * 1024 / 2), "1.5 MB");
}

TEST_F(CleanBrowsersTest, AMissingTableSkipsItsStepAndSaysSo) {
    const fs::path profile = user / ".mozilla/firefox/abc.default";
    writeFile(profile / "prefs.js", "");
    makeFirefoxPlaces(profile, false);
    choice.chromium = false;

    const auto outcomes = pass(false, {true, false, false, false, false, false, false});

    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(hasLine(outcomes[0], "moz_keywords.place_id is not in this version"));
    // The pages step is not guessed without the keywords that may hold them.
    EXPECT_EQ(queryInt(profile / "places.sqlite", "SELECT COUNT(*) FROM moz_places"), 3);
    EXPECT_EQ(queryInt(profile / "places.sqlite", "SELECT COUNT(*) FROM moz_historyvisits"), 0);
}

TEST_F(CleanBrowsersTest, LockedOrDamagedDatabasesAreLeftAsTheyAre) {
    const fs::path profile = makeFirefoxProfile(user);
    writeFile(profile / "places.sqlite", std::string(4096, 'x'));
    const auto damaged = readFile(profile / "places.sqlite");
    choice.chromium = false;
    std::vector<ProfileOutcome> preview, outcomes;
    {
        LockHolder browser([&] { return HoldWriteLock(profile / "cookies.sqlite"); });
        preview = pass(true);
        outcomes = pass();
    }

    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_EQ(preview.size(), 1u);
    EXPECT_EQ(preview[0].skipped, outcomes[0].skipped);
    EXPECT_TRUE(hasLine(outcomes[0], "places.sqlite: is damaged"));
    EXPECT_TRUE(hasLine(outcomes[0], "cookies.sqlite: is locked by another program"));
    EXPECT_EQ(readFile(profile / "places.sqlite"), damaged);
    EXPECT_EQ(queryInt(profile / "cookies.sqlite", "SELECT COUNT(*) FROM moz_cookies"), 4);
    // The rest of the profile is cleaned all the same.
    EXPECT_EQ(queryInt(profile / "formhistory.sqlite", "SELECT COUNT(*) FROM moz_formhistory"), 0);
}

TEST_F(CleanBrowsersTest, ARunningFirefoxKeepsItsProfileUntilItEnds) {
    const fs::path profile = makeFirefoxProfile(user);
    choice.chromium = false;
    const auto before = snapshot(user);
    {
        LockHolder firefox([&] { return HoldParentLock(profile); });
        const auto outcomes = pass();
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_TRUE(outcomes[0].leftAlone);
        EXPECT_EQ(outcomes[0].skipped,
                  std::vector<std::string>{"Firefox is running: its profile was left alone"});
        auto after = snapshot(user);
        after.erase(fs::relative(profile / ".parentlock", user).string());
        EXPECT_EQ(after, before);
    }
    const auto next = pass();
    ASSERT_EQ(next.size(), 1u);
    EXPECT_FALSE(next[0].leftAlone);
    EXPECT_EQ(queryInt(profile / "places.sqlite", "SELECT COUNT(*) FROM moz_historyvisits"), 0);
}

TEST_F(CleanBrowsersTest, AChromiumLockBlocksOnlyWhileItsProcessLives) {
    const fs::path profile = makeChromiumProfile(user);
    const fs::path lock = profile.parent_path() / "SingletonLock";
    choice.firefox = false;

    fs::create_symlink(HostName() + "-" + std::to_string(::getpid()), lock);
    auto outcomes = pass();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].skipped,
              std::vector<std::string>{"Chromium is running: its profile was left alone"});
    EXPECT_EQ(queryInt(profile / "History", "SELECT COUNT(*) FROM visits"), 3);

    fs::remove(lock);
    fs::create_symlink("some-other-machine-" + std::to_string(::getpid()), lock);
    EXPECT_TRUE(pass()[0].leftAlone);

    fs::remove(lock);
    fs::create_symlink(HostName() + "-" + std::to_string(DeadPid()), lock);
    outcomes = pass();
    EXPECT_FALSE(outcomes[0].leftAlone);
    EXPECT_EQ(queryInt(profile / "History", "SELECT COUNT(*) FROM visits"), 0);
}

TEST_F(CleanBrowsersTest, ALinkInACacheFolderLosesOnlyTheLink) {
    makeFirefoxProfile(user);
    const fs::path cache2 = user / ".cache/mozilla/firefox/abc.default/cache2";
    writeFile(user / "Documents/thesis.odt", "years of work");
    fs::create_symlink(user / "Documents/thesis.odt", cache2 / "entries/link");
    fs::create_directory_symlink(user / "Documents", cache2 / "doc");
    choice.chromium = false;

    (void)pass(false, {false, false, true, false, false, false, false});

    EXPECT_EQ(readFile(user / "Documents/thesis.odt"), "years of work");
    EXPECT_TRUE(fs::is_empty(cache2));
}

TEST_F(CleanBrowsersTest, ACacheFolderThatIsALinkIsRefusedAndReported) {
    const fs::path profile = makeFirefoxProfile(user);
    writeFile(user / "Documents/thesis.odt", "years of work");
    fs::remove_all(user / ".cache/mozilla/firefox/abc.default/cache2");
    fs::create_directory_symlink(user / "Documents",
                                 user / ".cache/mozilla/firefox/abc.default/cache2");
    choice.chromium = false;

    const auto outcomes = pass(false, {false, false, true, false, false, false, false});

    EXPECT_EQ(readFile(user / "Documents/thesis.odt"), "years of work");
    EXPECT_TRUE(hasLine(outcomes[0], "it is a symbolic link"));
    (void)profile;
}

TEST_F(CleanBrowsersTest, SavedPasswordsGoOnlyWithTheirOwnTask) {
    const fs::path firefox = makeFirefoxProfile(user);
    const fs::path chromium = makeChromiumProfile(user);

    (void)pass(false, {true, true, true, true, true, false, true});
    EXPECT_TRUE(fs::exists(firefox / "logins.json"));
    EXPECT_EQ(queryInt(chromium / "Login Data", "SELECT COUNT(*) FROM logins"), 1);

    (void)pass(false, {false, false, false, false, false, true, false});
    EXPECT_FALSE(fs::exists(firefox / "logins.json"));
    EXPECT_EQ(queryInt(chromium / "Login Data", "SELECT COUNT(*) FROM logins"), 0);
}

}  // namespace
}  // namespace veilport::cleaner
