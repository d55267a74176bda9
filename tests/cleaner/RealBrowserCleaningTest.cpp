// Cleaning profiles that Firefox ESR and Chromium made themselves, so that
// every statement meets the schemas the installed browsers really write; the
// browsers then open the cleaned profiles again. The profiles are made once
// for the test program by make-browser-profiles, and copied for each test.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "cleaner/BrowserLock.h"
#include "cleaner/BrowserProfileFixtures.h"
#include "cleaner/CleanBrowsers.h"
#include "cleaner/RunCleaningPass.h"
#include "platform/io/UniqueFd.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport::cleaner {
namespace {

using namespace testing;
using veilport::testing::RunCommand;

class OutcomeRecorder : public CleaningObserver {
public:
    void browserProfile(const ProfileOutcome& outcome) override { outcomes.push_back(outcome); }
    std::vector<ProfileOutcome> outcomes;
};

std::string Browser(const char* a, const char* b) {
    for (const char* name : {a, b}) {
        const auto found = RunCommand({"/bin/sh", "-c", std::string("command -v ") + name});
        if (found.exitCode == 0) return found.out.substr(0, found.out.find('\n'));
    }
    return {};
}

// Runs a browser in a network namespace of its own, where only loopback exists.
std::vector<std::string> Isolated(std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"/usr/bin/unshare", "--net", "sh", "-c",
                               "ip link set lo up && exec \"$@\"", "sh"});
    return argv;
}

// Firefox's sandboxed content processes cannot read pages or profiles below a
// folder only its owner may enter, as temporary folders are made.
void OpenToBrowsers(const fs::path& folder) {
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
}

class RealBrowserCleaningTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = (fs::temp_directory_path() / "veilport-browsers-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        fixture_ = new fs::path(pattern);
        OpenToBrowsers(*fixture_);
        const char* tests = std::getenv("VEILPORT_TESTS_DIR");
        const fs::path script = fs::path(tests ? tests : "tests") / "cleaner/make-browser-profiles";
        const auto made = RunCommand({"/bin/bash", script.string(), (*fixture_ / "made").string()});
        if (made.exitCode == 77)
            skipReason_ = new std::string(made.err);
        else if (made.exitCode != 0)
            failure_ = new std::string(made.err);
    }
    static void TearDownTestSuite() {
        std::error_code error;
        // Kept when the browsers could not make the profiles: their logs say why.
        if (failure_ == nullptr) fs::remove_all(*fixture_, error);
        delete fixture_;
        delete skipReason_;
        delete failure_;
        skipReason_ = nullptr;
        failure_ = nullptr;
    }

    void SetUp() override {
        // Only a missing browser, server or namespace skips; profiles the
        // installed browsers failed to make fail the cases, with their logs kept.
        if (skipReason_ != nullptr) GTEST_SKIP() << *skipReason_;
        if (failure_ != nullptr) FAIL() << *failure_ << " (kept in " << fixture_->string() << ")";
        OpenToBrowsers(home.path());
        fs::copy(*fixture_ / "made/home", user,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks |
                     fs::copy_options::overwrite_existing);
    }

    std::vector<ProfileOutcome> pass(bool dryRun) {
        OutcomeRecorder observer;
        CleanerSystem system;
        PassContext context{observer, system, dryRun, {}};
        RunCleaningPass(context);
        return observer.outcomes;
    }

    void chooseEverything() {
        for (int task = 0; task < 6; ++task) DwordSetting(settings::kIClear[task]).set(1);
        DwordSetting(settings::kCleanFirefox).set(1);
        DwordSetting(settings::kCleanChromium).set(1);
        StringSetting(settings::kKeepCookieSites).set("localhost");
    }

    static inline fs::path* fixture_ = nullptr;
    static inline std::string* skipReason_ = nullptr;
    static inline std::string* failure_ = nullptr;
    veilport::testing::TempHome home;
    fs::path user = home.path() / "home";
    fs::path firefox = user / ".mozilla/firefox/fixture.default";
    fs::path chromium = user / ".config/chromium/Default";
};

TEST_F(RealBrowserCleaningTest, APassEmptiesWhatTheBrowsersKeptAndTheyStillOpen) {
    chooseEverything();
    const fs::path places = firefox / "places.sqlite";
    const auto bookmarks = queryInt(places, "SELECT COUNT(*) FROM moz_bookmarks");
    ASSERT_GT(queryInt(places, "SELECT COUNT(*) FROM moz_historyvisits"), 0);
    ASSERT_GT(queryInt(chromium / "History", "SELECT COUNT(*) FROM visits"), 0);
    ASSERT_EQ(queryInt(firefox / "cookies.sqlite", "SELECT COUNT(*) FROM moz_cookies"), 2);
    const std::string chromeBookmarks = readFile(chromium / "Bookmarks");
    const auto before = snapshot(user);

    const auto preview = pass(true);
    EXPECT_EQ(snapshot(user), before) << "the preview changed a file";
    const auto outcomes = pass(false);

    ASSERT_EQ(outcomes.size(), 2u);
    ASSERT_EQ(preview.size(), 2u);
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        EXPECT_FALSE(outcomes[i].leftAlone);
        EXPECT_EQ(outcomes[i].rows, preview[i].rows) << outcomes[i].browser;
        EXPECT_EQ(outcomes[i].files, preview[i].files) << outcomes[i].browser;
        EXPECT_GT(outcomes[i].files, 0u) << outcomes[i].browser;
        for (const auto& line : outcomes[i].skipped)
            ADD_FAILURE() << outcomes[i].browser << ": " << line;
    }

    EXPECT_EQ(queryInt(places, "SELECT COUNT(*) FROM moz_historyvisits"), 0);
    EXPECT_EQ(queryInt(places, "SELECT COUNT(*) FROM moz_bookmarks"), bookmarks);
    EXPECT_EQ(queryInt(places,
                       "SELECT COUNT(*) FROM moz_places p JOIN moz_bookmarks b ON b.fk = p.id"
                       " WHERE b.title = 'Fixture bookmark'"),
              1);
    EXPECT_EQ(queryInt(places, "SELECT COUNT(*) FROM moz_inputhistory"), 0);
    EXPECT_EQ(queryTexts(firefox / "cookies.sqlite", "SELECT host FROM moz_cookies"),
              std::vector<std::string>{"localhost"});
    EXPECT_FALSE(fs::exists(firefox / "logins.json"));
    for (const auto& cache :
         {firefox / "cache2", user / ".cache/mozilla/firefox/fixture.default/cache2"}) {
        if (fs::exists(cache)) {
            EXPECT_TRUE(fs::is_empty(cache)) << cache;
        }
    }
    // A headless Firefox keeps no form history; the hand-made profiles test it.
    if (fs::exists(firefox / "formhistory.sqlite")) {
        EXPECT_EQ(queryInt(firefox / "formhistory.sqlite", "SELECT COUNT(*) FROM moz_formhistory"),
                  0);
    }

    for (const auto* table : {"urls", "visits", "keyword_search_terms", "segments"})
        EXPECT_EQ(queryInt(chromium / "History", std::string("SELECT COUNT(*) FROM ") + table), 0)
            << table;
    const fs::path cookies = fs::exists(chromium / "Network/Cookies") ? chromium / "Network/Cookies"
                                                                      : chromium / "Cookies";
    EXPECT_EQ(queryTexts(cookies, "SELECT host_key FROM cookies"),
              std::vector<std::string>{"localhost"});
    EXPECT_EQ(queryInt(chromium / "Web Data", "SELECT COUNT(*) FROM autofill"), 0);
    EXPECT_EQ(queryInt(chromium / "Login Data", "SELECT COUNT(*) FROM logins"), 0);
    EXPECT_TRUE(fs::is_empty(user / ".cache/chromium/Default/Cache"));
    EXPECT_EQ(readFile(chromium / "Bookmarks"), chromeBookmarks);

    // Both browsers open their cleaned profiles, and Firefox's bookmarks are there.
    const auto firefoxRun = RunCommand(Isolated(
        {Browser("firefox-esr", "firefox"), "--headless", "--no-remote", "--profile",
         firefox.string(), "--screenshot", (home.path() / "f.png").string(), "about:blank"}));
    EXPECT_EQ(firefoxRun.exitCode, 0) << firefoxRun.err;
    EXPECT_EQ(queryInt(places, "SELECT COUNT(*) FROM moz_bookmarks"), bookmarks);
    const auto chromiumRun =
        RunCommand(Isolated({Browser("chromium", "chromium-browser"), "--headless", "--no-sandbox",
                             "--disable-gpu", "--no-first-run", "--password-store=basic",
                             "--user-data-dir=" + (user / ".config/chromium").string(),
                             "--screenshot=" + (home.path() / "c.png").string(), "about:blank"}));
    EXPECT_EQ(chromiumRun.exitCode, 0) << chromiumRun.err;
    EXPECT_TRUE(fs::exists(chromium / "Bookmarks"));
}

// Waits, without a timer, until a name appears in a folder.
void WaitForName(const fs::path& folder, const std::string& name) {
    io::UniqueFd watch(::inotify_init1(IN_CLOEXEC));
    ASSERT_TRUE(watch);
    ASSERT_GE(::inotify_add_watch(watch.get(), folder.c_str(), IN_CREATE | IN_MOVED_TO), 0);
    alignas(inotify_event) char buffer[4096];
    while (!fs::exists(fs::symlink_status(folder / name))) {
        ASSERT_GT(::read(watch.get(), buffer, sizeof buffer), 0);
    }
}

TEST_F(RealBrowserCleaningTest, ARunningFirefoxKeepsItsProfileByteForByte) {
    chooseEverything();
    DwordSetting(settings::kCleanChromium).set(0);
    ASSERT_FALSE(fs::exists(fs::symlink_status(firefox / "lock")));
    const auto argv = Isolated({Browser("firefox-esr", "firefox"), "--headless", "--no-remote",
                                "--profile", firefox.string(), "about:blank"});
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // A group of its own, so that its helper processes are held and ended too.
        ::setpgid(0, 0);
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    WaitForName(firefox, "lock");
    // Held still, so that only the pass could change the profile meanwhile.
    ::setpgid(pid, pid);
    ::kill(-pid, SIGSTOP);
    const browsers::BrowserProfile profile{
        browsers::BrowserFamily::Firefox, "Firefox", firefox, firefox, {}};
    const bool running = BrowserIsRunning(profile);
    const auto before = snapshot(firefox);

    const auto outcomes = pass(false);

    const auto after = snapshot(firefox);
    ::kill(-pid, SIGKILL);
    ::kill(-pid, SIGCONT);
    ::waitpid(pid, nullptr, 0);
    EXPECT_TRUE(running);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].leftAlone);
    EXPECT_EQ(outcomes[0].skipped,
              std::vector<std::string>{"Firefox is running: its profile was left alone"});
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace veilport::cleaner
