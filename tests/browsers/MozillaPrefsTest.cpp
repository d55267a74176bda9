#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>

#include "browsers/BrowserTestUtil.h"
#include "browsers/MozillaPrefs.h"
#include "browsers/MozillaProxy.h"
#include "platform/desktop/SwitchJournal.h"
#include "support/TempHome.h"
#include "support/WithoutFileOverride.h"

namespace veilport::browsers {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

const std::string kHost = std::string(kHostLine);
const std::string kPort = PortLine(8080);
const std::string kType = std::string(kTypeLine);
const std::string kSsl = std::string(kSslHostLine);
const std::string kSslPort = SslPortLine(8080);
// The leak settings as a new user.js holds them.
const std::string kLeakLines =
    "user_pref(\"network.proxy.failover_direct\", false);\n"
    "user_pref(\"network.proxy.allow_bypass\", false);\n"
    "user_pref(\"network.trr.mode\", 5);\n"
    "user_pref(\"media.peerconnection.ice.proxy_only_if_behind_proxy\", true);\n"
    "user_pref(\"media.peerconnection.ice.default_address_only\", true);\n"
    "user_pref(\"network.proxy.socks_remote_dns\", true);\n";
// What a file without proxy lines gains, in this order, each on a line of its own.
const std::string kAdded =
    kHost + "\n" + kPort + "\n" + kSsl + "\n" + kSslPort + "\n" + kType + "\n";

std::string Set(std::string text) {
    return SetMozillaProxyText(std::move(text), 8080);
}

TEST(MozillaPrefsText, FileWithoutProxyLinesGainsHttpAndSslLinesInOrder) {
    EXPECT_EQ(Set("user_pref(\"a\", 1);\n"), "user_pref(\"a\", 1);\n" + kAdded);
    EXPECT_EQ(Set(""), kAdded);
    // A text that does not end its last line keeps not ending it.
    EXPECT_EQ(Set("a"), "a\n" + kAdded.substr(0, kAdded.size() - 1));
}

TEST(MozillaPrefsText, PortLinesNameTheGatewaysPort) {
    const std::string set = SetMozillaProxyText("", 9191);
    EXPECT_NE(set.find("user_pref(\"network.proxy.http_port\", 9191);\n"), std::string::npos);
    EXPECT_NE(set.find("user_pref(\"network.proxy.ssl_port\", 9191);\n"), std::string::npos);
    EXPECT_EQ(set.find("8080"), std::string::npos);
    // An existing port value of another length is replaced whole.
    EXPECT_EQ(SetMozillaProxyText(kHost + "\nuser_pref(\"network.proxy.http_port\", 3);\n" + kSsl +
                                      "\n" + SslPortLine(65535) + "\n" + kType + "\n",
                                  1025),
              kHost + "\n" + PortLine(1025) + "\n" + kSsl + "\n" + SslPortLine(1025) + "\n" +
                  kType + "\n");
}

TEST(MozillaPrefsText, ExistingValuesAreReplacedAndOnlyMissingLinesAdded) {
    const std::string before =
        "user_pref(\"network.proxy.http\", \"proxy.example.org\");\n"
        "user_pref(\"network.proxy.type\", 0);\n";
    EXPECT_EQ(Set(before),
              kHost + "\n" + kType + "\n" + kPort + "\n" + kSsl + "\n" + kSslPort + "\n");

    const std::string all =
        "user_pref(\"network.proxy.http\", \"10.1.1.1\");\n"
        "user_pref(\"network.proxy.http_port\", 3128);\n"
        "user_pref(\"network.proxy.ssl\", \"10.1.1.2\");\n"
        "user_pref(\"network.proxy.ssl_port\", 443);\n"
        "user_pref(\"network.proxy.type\", 4);\n";
    EXPECT_EQ(Set(all), kAdded);
    EXPECT_EQ(Set(Set(all)), Set(all)) << "setting twice changes nothing more";
}

TEST(MozillaPrefsText, TwoDigitTypeHasOnlyItsFirstDigitReplaced) {
    EXPECT_EQ(Set("user_pref(\"network.proxy.http\", \"h\");\n"
                  "user_pref(\"network.proxy.http_port\", 1);\n"
                  "user_pref(\"network.proxy.type\", 42);\n"),
              kHost + "\n" + kPort + "\nuser_pref(\"network.proxy.type\", 12);\n" + kSsl + "\n" +
                  kSslPort + "\n");
}

// A value whose end is missing from its line must not be looked for further
// down: the lines in between would be deleted.
TEST(MozillaPrefsText, AMalformedLineIsReplacedWholeAndItsNeighboursStay) {
    const std::string after =
        "user_pref(\"browser.startup.page\", 3);\n"
        "user_pref(\"keep.me\", \"x\");\n";
    EXPECT_EQ(Set("user_pref(\"network.proxy.http\", \"broken\n" + after),
              kHost + "\n" + after + kPort + "\n" + kSsl + "\n" + kSslPort + "\n" + kType + "\n");
    EXPECT_EQ(Set(kHost + "\nuser_pref(\"network.proxy.http_port\", 3128\n" + after + kType + "\n"),
              kHost + "\n" + kPort + "\n" + after + kType + "\n" + kSsl + "\n" + kSslPort + "\n");
    // Another lead than ", \"" is not the shape the offsets assume.
    EXPECT_EQ(Set("user_pref(\"network.proxy.http\",\"x\");\n" + after),
              kHost + "\n" + after + kPort + "\n" + kSsl + "\n" + kSslPort + "\n" + kType + "\n");
}

TEST(MozillaPrefsText, RestoreTakesTheLinesOutWithTheirLineBreaks) {
    EXPECT_EQ(
        RestoreMozillaProxyText("user_pref(\"network.proxy.type\",1);\nuser_pref(\"a\", 1);\n"),
        "user_pref(\"a\", 1);\n");
    EXPECT_EQ(
        RestoreMozillaProxyText("user_pref(\"network.proxy.type\", 1\nuser_pref(\"a\", 1);\n"),
        "user_pref(\"a\", 1);\n");
    EXPECT_EQ(RestoreMozillaProxyText("user_pref(\"network.proxy.type\", 12);\nb\n"), "b\n");
    // Something else before the key on its line: the line break stays with it.
    EXPECT_EQ(RestoreMozillaProxyText("x user_pref(\"network.proxy.type\", 1"), "x ");
    EXPECT_EQ(RestoreMozillaProxyText("a\nuser_pref(\"network.proxy.ssl_port\", 8080);"), "a")
        << "a port line ending the text goes with the break before it";
}

TEST(MozillaPrefsText, KeysCutShortAtTheEndOfTheTextStayInBounds) {
    EXPECT_EQ(Set("user_pref(\"network.proxy.http\""), kAdded.substr(0, kAdded.size() - 1));
    EXPECT_EQ(Set(kHost + "\n" + kPort + "\nuser_pref(\"network.proxy.type\""),
              kHost + "\n" + kPort + "\n" + kType + "\n" + kSsl + "\n" + kSslPort);
}

// Fifty switches on and off used to add three blank lines each.
TEST(MozillaPrefsText, SwitchingOnAndOffNeverGrowsTheFile) {
    const std::string original = "user_pref(\"a\", 1);\n";
    std::string text = original;
    for (int i = 0; i < 50; ++i) text = RestoreMozillaProxyText(Set(text));
    EXPECT_EQ(text, original + kHost + "\n" + kSsl + "\n");
    EXPECT_EQ(text.find("\n\n"), std::string::npos);
}

TEST(MozillaPrefsText, CrLfIsReadAsLf) {
    EXPECT_EQ(ReadPrefsText("a\r\nb\r\rc\n\r"), "a\nb\r\rc\n\r");
}

class MozillaProfilesTest : public ::testing::Test {
protected:
    fs::path root() const { return home.path() / "home/.mozilla/firefox"; }
    veilport::testing::TempHome home;
};

TEST_F(MozillaProfilesTest, EveryPrefsJsBelowTheRootIsEditedByBothOperations) {
    const std::string original = "user_pref(\"browser.startup.page\", 3);\r\n";
    const fs::path files[] = {root() / "abc.default/prefs.js", root() / "xyz.work/prefs.js",
                              root() / "xyz.work/extensions/tool/prefs.js"};
    for (const auto& file : files) WriteFile(file, original);
    WriteFile(root() / "profiles.ini", "[Profile0]\nPath=abc.default\n");

    SetMozillaProxy(root(), 8080);
    for (const auto& file : files)
        EXPECT_EQ(ReadFile(file), "user_pref(\"browser.startup.page\", 3);\n" + kAdded) << file;
    EXPECT_EQ(ReadFile(root() / "profiles.ini"), "[Profile0]\nPath=abc.default\n");

    for (const auto& file : files)
        EXPECT_EQ(ReadFile(file.parent_path() / "user.js"), kLeakLines) << file;

    // The journal gives back exactly what was there, CR LF included.
    RestoreMozillaProxy(root());
    for (const auto& file : files) {
        EXPECT_EQ(ReadFile(file), original) << file;
        EXPECT_FALSE(fs::exists(file.parent_path() / "user.js")) << file;
    }
    EXPECT_FALSE(fs::exists(desktop::SwitchJournal::Path()));
}

TEST_F(MozillaProfilesTest, ALinkedProfileIsEditedAndEveryFileReported) {
    const fs::path elsewhere = home.path() / "disk/abc.default";
    WriteFile(elsewhere / "prefs.js", "user_pref(\"a\", 1);\n");
    fs::create_directories(root());
    fs::create_directory_symlink(elsewhere, root() / "abc.default");
    const auto report = SetMozillaProxy(root(), 8080);
    EXPECT_EQ(ReadFile(elsewhere / "prefs.js"), "user_pref(\"a\", 1);\n" + kAdded);
    EXPECT_TRUE(fs::is_symlink(root() / "abc.default"));
    EXPECT_EQ(report.targets(), (std::vector<SwitchReport::Target>{
                                    {(root() / "abc.default/prefs.js").string(), true, ""},
                                    {(root() / "abc.default/user.js").string(), true, ""}}));
}

// A file past the size of any real prefs.js cannot be edited in memory; the
// switch must say so instead of reporting success.
TEST_F(MozillaProfilesTest, AFileThatCannotBeReadIsReportedAndTheOthersEdited) {
    const fs::path huge = root() / "huge.default/prefs.js";
    WriteFile(huge, "");
    fs::resize_file(huge, (64u << 20) + 1);
    WriteFile(root() / "ok.default/prefs.js", "");
    const auto report = SetMozillaProxy(root(), 8080);
    EXPECT_EQ(ReadFile(root() / "ok.default/prefs.js"), kAdded);
    ASSERT_EQ(report.failures().size(), 1u);
    EXPECT_EQ(report.failures()[0].name, huge.string());
    EXPECT_EQ(report.failures()[0].reason, "cannot be read: File too large");
    EXPECT_EQ(fs::file_size(huge), (64u << 20) + 1);
}

TEST_F(MozillaProfilesTest, ReplacementKeepsPermissionsAndLeavesNoTemporaryFiles) {
    const fs::path file = root() / "abc.default/prefs.js";
    WriteFile(file, "x\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    SetMozillaProxy(root(), 8080);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 2)
        << "prefs.js and user.js, nothing else";
}

TEST_F(MozillaProfilesTest, FileThatCannotBeReplacedStaysAsItWasAndIsReported) {
    const fs::path file = root() / "locked/prefs.js";
    WriteFile(file, "user_pref(\"a\", 1);\n");
    fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    SwitchReport report;
    {
        veilport::testing::WithoutFileOverride asAUser;
        report = SetMozillaProxy(root(), 8080);
    }
    fs::permissions(file.parent_path(), fs::perms::owner_all);
    EXPECT_EQ(ReadFile(file), "user_pref(\"a\", 1);\n");
    EXPECT_EQ(report.failures(),
              (std::vector<SwitchReport::Target>{
                  {file.string(), false, "cannot be written: Permission denied"}}));
}

TEST_F(MozillaProfilesTest, FullDiskLeavesTheFileWholeAndNoTemporaryBehind) {
    const fs::path file = root() / "abc.default/prefs.js";
    const std::string original = "user_pref(\"a\", 1);\n";
    WriteFile(file, original);
    // A file-size limit makes every write past 40 bytes fail as a full disk would.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 40;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto report = SetMozillaProxy(root(), 8080);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadFile(file), original);
    EXPECT_FALSE(report.allDone());
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);
}

// A dot-file manager keeps prefs.js elsewhere and links it in: the file is
// switched like any other, through the link, and the link stays. Whatever
// else answers to the name is a target that failed, never one skipped while
// the switch says it worked.
TEST_F(MozillaProfilesTest, ALinkedPrefsJsIsEditedAndOddFilesAreReported) {
    const fs::path outside = home.path() / "dotfiles/prefs.js";
    WriteFile(outside, "user_pref(\"a\", 1);\n");
    const fs::path linked = root() / "abc.default/prefs.js";
    fs::create_directories(linked.parent_path());
    fs::create_symlink(outside, linked);

    const fs::path fifo = root() / "fifo.default/prefs.js";
    fs::create_directories(fifo.parent_path());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path toFifo = root() / "tofifo.default/prefs.js";
    const fs::path toDevice = root() / "device.default/prefs.js";
    const fs::path dangling = root() / "dangling.default/prefs.js";
    for (const auto& link : {toFifo, toDevice, dangling})
        fs::create_directories(link.parent_path());
    fs::create_symlink(fifo, toFifo);
    fs::create_symlink("/dev/null", toDevice);
    fs::create_symlink(home.path() / "gone", dangling);

    const auto report = SetMozillaProxy(root(), 8080);
    EXPECT_EQ(ReadFile(outside), "user_pref(\"a\", 1);\n" + kAdded);
    EXPECT_TRUE(fs::is_symlink(linked));
    EXPECT_FALSE(report.allDone());
    std::vector<std::string> failed;
    for (const auto& target : report.failures()) failed.push_back(target.name);
    std::sort(failed.begin(), failed.end());
    std::vector<std::string> expected{fifo.string(), toFifo.string(), toDevice.string(),
                                      dangling.string()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(failed, expected);
    EXPECT_GE(std::count_if(report.targets().begin(), report.targets().end(),
                            [](const auto& target) { return target.done; }),
              1);

    // The journal puts the linked file back exactly as it was.
    RestoreMozillaProxy(root());
    EXPECT_EQ(ReadFile(outside), "user_pref(\"a\", 1);\n");
    EXPECT_TRUE(fs::is_symlink(linked));
}

TEST_F(MozillaProfilesTest, MissingRootDoesNothing) {
    SetMozillaProxy(root() / "missing", 8080);
    RestoreMozillaProxy(root() / "missing");
    EXPECT_FALSE(fs::exists(root()));
}

}  // namespace
}  // namespace veilport::browsers
