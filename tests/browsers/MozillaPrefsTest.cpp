#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "browsers/BrowserTestUtil.h"
#include "browsers/MozillaPrefs.h"
#include "browsers/MozillaProxy.h"
#include "support/TempHome.h"

namespace veilport::browsers {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

const std::string kHost = std::string(kHostLine);
const std::string kPort = std::string(kPortLine);
const std::string kType = std::string(kTypeLine);

TEST(MozillaPrefsText, FileWithoutProxyLinesGainsAllThreeInOrder) {
    EXPECT_EQ(SetMozillaProxyText("user_pref(\"a\", 1);\n"),
              "user_pref(\"a\", 1);\n\n" + kHost + "\n" + kPort + "\n" + kType);
    EXPECT_EQ(SetMozillaProxyText(""), "\n" + kHost + "\n" + kPort + "\n" + kType);
}

TEST(MozillaPrefsText, ExistingValuesAreReplacedAndOnlyMissingLinesAdded) {
    const std::string before =
        "user_pref(\"network.proxy.http\", \"proxy.example.org\");\n"
        "user_pref(\"network.proxy.type\", 0);\n";
    EXPECT_EQ(SetMozillaProxyText(before), kHost + "\n" + kType + "\n\n" + kPort);

    const std::string all =
        "user_pref(\"network.proxy.http\", \"10.1.1.1\");\n"
        "user_pref(\"network.proxy.http_port\", 3128);\n"
        "user_pref(\"network.proxy.type\", 4);\n";
    EXPECT_EQ(SetMozillaProxyText(all), kHost + "\n" + kPort + "\n" + kType + "\n");
    EXPECT_EQ(SetMozillaProxyText(SetMozillaProxyText(all)), SetMozillaProxyText(all))
        << "setting twice changes nothing more";
}

TEST(MozillaPrefsText, TwoDigitTypeHasOnlyItsFirstDigitReplaced) {
    EXPECT_EQ(SetMozillaProxyText("user_pref(\"network.proxy.http\", \"h\");\n"
                                  "user_pref(\"network.proxy.http_port\", 1);\n"
                                  "user_pref(\"network.proxy.type\", 42);\n"),
              kHost + "\n" + kPort + "\nuser_pref(\"network.proxy.type\", 12);\n");
}

TEST(MozillaPrefsText, MissingValueEndInsertsInFrontWithoutDeleting) {
    EXPECT_EQ(SetMozillaProxyText("user_pref(\"network.proxy.http\", \"broken\n"),
              "user_pref(\"network.proxy.http\", \"127.0.0.1broken\n\n" + kPort + "\n" + kType);
}

TEST(MozillaPrefsText, KeysCutShortAtTheEndOfTheTextStayInBounds) {
    // A file truncated right after a key: values go at the end instead of
    // being written past it.
    EXPECT_EQ(SetMozillaProxyText("user_pref(\"network.proxy.http\""),
              "user_pref(\"network.proxy.http\"127.0.0.1\n" + kPort + "\n" + kType);
    EXPECT_EQ(SetMozillaProxyText(kHost + "\n" + kPort + "\nuser_pref(\"network.proxy.type\""),
              kHost + "\n" + kPort + "\nuser_pref(\"network.proxy.type\"1");
    EXPECT_EQ(RestoreMozillaProxyText("x user_pref(\"network.proxy.type\", 1"), "x ");
    EXPECT_EQ(RestoreMozillaProxyText("user_pref(\"network.proxy.http_port\", 8080);"),
              "user_pref(\"network.proxy.http_port\", 8080);")
        << "without a following LF nothing is deleted";
}

TEST(MozillaPrefsText, RestoreAfterSetEndsWithTheHostLineAndTwoBreaks) {
    const std::string restored = RestoreMozillaProxyText(SetMozillaProxyText("a\n"));
    EXPECT_EQ(restored, "a\n\n" + kHost + "\n\n");
    EXPECT_EQ(RestoreMozillaProxyText(restored), restored);
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

    SetMozillaProxy(root());
    for (const auto& file : files)
        EXPECT_EQ(ReadFile(file), "user_pref(\"browser.startup.page\", 3);\n\n" + kHost + "\n" +
                                      kPort + "\n" + kType)
            << file;
    EXPECT_EQ(ReadFile(root() / "profiles.ini"), "[Profile0]\nPath=abc.default\n");

    RestoreMozillaProxy(root());
    for (const auto& file : files)
        EXPECT_EQ(ReadFile(file), "user_pref(\"browser.startup.page\", 3);\n\n" + kHost + "\n\n")
            << file;
}

TEST_F(MozillaProfilesTest, ReplacementKeepsPermissionsAndLeavesNoTemporaryFiles) {
    const fs::path file = root() / "abc.default/prefs.js";
    WriteFile(file, "x\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    SetMozillaProxy(root());
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);
}

TEST_F(MozillaProfilesTest, FileThatCannotBeReplacedStaysAsItWas) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
    const fs::path file = root() / "locked/prefs.js";
    WriteFile(file, "user_pref(\"a\", 1);\n");
    fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    SetMozillaProxy(root());
    fs::permissions(file.parent_path(), fs::perms::owner_all);
    EXPECT_EQ(ReadFile(file), "user_pref(\"a\", 1);\n");
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
    SetMozillaProxy(root());
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadFile(file), original);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);
}

TEST_F(MozillaProfilesTest, LinksOutOfTheTreeAreNotFollowed) {
    const fs::path outside = home.path() / "elsewhere";
    WriteFile(outside / "prefs.js", "outside\n");
    WriteFile(outside / "sub/prefs.js", "outside\n");
    fs::create_directories(root() / "abc.default");
    fs::create_directory_symlink(outside, root() / "abc.default/linked-dir");
    fs::create_symlink(outside / "prefs.js", root() / "abc.default/prefs.js");
    SetMozillaProxy(root());
    EXPECT_EQ(ReadFile(outside / "prefs.js"), "outside\n");
    EXPECT_EQ(ReadFile(outside / "sub/prefs.js"), "outside\n");
}

TEST_F(MozillaProfilesTest, MissingRootDoesNothing) {
    SetMozillaProxy(root() / "missing");
    RestoreMozillaProxy(root() / "missing");
    EXPECT_FALSE(fs::exists(root()));
}

}  // namespace
}  // namespace veilport::browsers
