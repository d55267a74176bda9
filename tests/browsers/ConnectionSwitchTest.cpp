#include <gtest/gtest.h>

#include <filesystem>

#include "browsers/BrowserTestUtil.h"
#include "browsers/ConnectionSwitch.h"
#include "browsers/MozillaPrefs.h"
#include "browsers/RecordingConfigurator.h"
#include "platform/desktop/SwitchJournal.h"
#include "support/TempHome.h"

namespace veilport::browsers {
namespace {

using testing::RecordingConfigurator;
using testing::StoredDword;
using testing::StoreDword;
using Steps = std::vector<std::string>;

class ConnectionSwitchTest : public ::testing::Test {
protected:
    void FlagAllFour(std::uint32_t value) {
        for (const auto* flag : {&settings::kBrowserOpera, &settings::kBrowserNetscape,
                                 &settings::kBrowserMozilla, &settings::kBrowserFireFox})
            StoreDword(*flag, value);
    }
    veilport::testing::TempHome home;
    RecordingConfigurator steps;
};

TEST_F(ConnectionSwitchTest, FlaggedBrowsersFollowTheSystemProxyInFixedOrder) {
    FlagAllFour(1);
    ASSERT_TRUE(SetConnectionOptions("127.0.0.1:9090", steps).allDone());
    ASSERT_TRUE(DisableConnectionProxy(steps).allDone());
    EXPECT_EQ(
        steps.steps,
        (Steps{"set system 127.0.0.1:9090", "set Opera6.ini", "set profile opera6.ini",
               "set OperaDef6.ini", "set Netscape", "set Mozilla", "set Firefox", "clear system",
               "restore Opera6.ini", "restore profile opera6.ini", "restore OperaDef6.ini",
               "restore Netscape", "restore Mozilla", "restore Firefox"}));
}

TEST_F(ConnectionSwitchTest, OnlyAFlagHoldingExactlyOneCounts) {
    FlagAllFour(2);
    StoreDword(settings::kBrowserFireFox, 1);
    ASSERT_TRUE(SetConnectionOptions("127.0.0.1:8080", steps).allDone());
    EXPECT_EQ(steps.steps, (Steps{"set system 127.0.0.1:8080", "set Firefox"}));
}

TEST_F(ConnectionSwitchTest, IeAndAvantFollowTheSwitchWhateverTheyHeld) {
    for (std::uint32_t before : {0u, 1u, 2u}) {
        StoreDword(settings::kBrowserIE, before);
        StoreDword(settings::kBrowserAvant, before);
        ASSERT_TRUE(SetConnectionOptions("127.0.0.1:8080", steps).allDone());
        EXPECT_EQ(StoredDword(settings::kBrowserIE), 1u);
        EXPECT_EQ(StoredDword(settings::kBrowserAvant), 1u);

        StoreDword(settings::kBrowserIE, before);
        StoreDword(settings::kBrowserAvant, before);
        ASSERT_TRUE(DisableConnectionProxy(steps).allDone());
        ASSERT_TRUE(DisableConnectionProxy(steps).allDone());
        EXPECT_EQ(StoredDword(settings::kBrowserIE), 0u);
        EXPECT_EQ(StoredDword(settings::kBrowserAvant), 0u);
    }
    // Never stored at all: the clear still leaves a stored 0 behind.
    veilport::testing::TempHome fresh;
    ASSERT_TRUE(DisableConnectionProxy(steps).allDone());
    EXPECT_TRUE(DwordSetting(settings::kBrowserIE).valid());
}

TEST_F(ConnectionSwitchTest, FailedSystemStepRunsNothingElse) {
    FlagAllFour(1);
    StoreDword(settings::kBrowserIE, 0);
    steps.systemProxyResult = false;
    EXPECT_FALSE(SetConnectionOptions("127.0.0.1:8080", steps).allDone());
    EXPECT_EQ(StoredDword(settings::kBrowserIE), 0u);
    StoreDword(settings::kBrowserIE, 1);
    EXPECT_FALSE(DisableConnectionProxy(steps).allDone());
    EXPECT_EQ(StoredDword(settings::kBrowserIE), 1u);
    EXPECT_EQ(steps.steps, (Steps{"set system 127.0.0.1:8080", "clear system"}));
}

// A browser whose files cannot be switched must not make the switch look done,
// nor stop the browsers after it.
TEST_F(ConnectionSwitchTest, AFailedBrowserIsReportedAndTheOthersStillSwitch) {
    FlagAllFour(1);
    steps.failing = "Mozilla";
    const auto set = SetConnectionOptions("127.0.0.1:8080", steps);
    EXPECT_FALSE(set.allDone());
    EXPECT_EQ(set.failures(), (std::vector<SwitchReport::Target>{{"Mozilla", false, "refused"}}));
    EXPECT_EQ(steps.steps.back(), "set Firefox");
    EXPECT_EQ(set.targets().size(), 6u);
    const auto cleared = DisableConnectionProxy(steps);
    EXPECT_EQ(cleared.failures().size(), 1u);
    EXPECT_EQ(steps.steps.back(), "restore Firefox");
}

}  // namespace
}  // namespace veilport::browsers

namespace veilport::browsers {
namespace {

using testing::StoreDword;

class RealSwitchTest : public ::testing::Test {
protected:
    std::filesystem::path home() const { return tempHome.path() / "home"; }
    veilport::testing::TempHome tempHome;
};

// Ubuntu's Firefox is the Snap; Flathub's keeps its profiles under ~/.var.
// Both are switched like ~/.mozilla/firefox, to the port in LocalPort.
TEST_F(RealSwitchTest, SnapAndFlatpakProfilesAreSwitchedToLocalPortAndBack) {
    StoreDword(settings::kBrowserFireFox, 1);
    StoreDword(settings::kLocalPort, 9191);
    const std::filesystem::path profiles[] = {
        home() / ".mozilla/firefox/a.default/prefs.js",
        home() / "snap/firefox/common/.mozilla/firefox/b.default/prefs.js",
        home() / ".var/app/org.mozilla.firefox/.mozilla/firefox/c.default/prefs.js"};
    for (const auto& prefs : profiles) testing::WriteFile(prefs, "user_pref(\"a\", 1);\n");

    ASSERT_TRUE(SetConnectionOptions("127.0.0.1:9191").allDone());
    for (const auto& prefs : profiles)
        EXPECT_NE(testing::ReadFile(prefs).find(PortLine(9191)), std::string::npos) << prefs;

    ASSERT_TRUE(DisableConnectionProxy().allDone());
    for (const auto& prefs : profiles) {
        EXPECT_EQ(testing::ReadFile(prefs), "user_pref(\"a\", 1);\n") << prefs;
        EXPECT_FALSE(std::filesystem::exists(prefs.parent_path() / "user.js")) << prefs;
    }
}

// A stored LocalPort that no Gateway can listen on must not be written into a
// browser as if it were one.
TEST_F(RealSwitchTest, ABrowserIsLeftAloneWhenLocalPortIsNoPort) {
    StoreDword(settings::kBrowserFireFox, 1);
    StoreDword(settings::kLocalPort, 0);
    const auto prefs = home() / ".mozilla/firefox/a.default/prefs.js";
    testing::WriteFile(prefs, "user_pref(\"a\", 1);\n");
    const auto report = SetConnectionOptions("127.0.0.1:0");
    ASSERT_EQ(report.failures().size(), 1u);
    EXPECT_NE(report.failures()[0].reason.find("LocalPort 0"), std::string::npos);
    EXPECT_EQ(testing::ReadFile(prefs), "user_pref(\"a\", 1);\n");
    EXPECT_TRUE(DisableConnectionProxy().allDone());
}

// A browser unticked while anonymity was on is still given back what it held:
// the journal, not the flags, decides what goes back.
TEST_F(RealSwitchTest, SwitchingOffPutsBackEveryJournaledFileWhateverTheFlagsSayNow) {
    StoreDword(settings::kBrowserFireFox, 1);
    const auto prefs = home() / ".mozilla/firefox/a.default/prefs.js";
    testing::WriteFile(prefs, "user_pref(\"a\", 1);\r\n");
    ASSERT_TRUE(SetConnectionOptions("127.0.0.1:8080").allDone());
    StoreDword(settings::kBrowserFireFox, 0);
    ASSERT_TRUE(DisableConnectionProxy().allDone());
    EXPECT_EQ(testing::ReadFile(prefs), "user_pref(\"a\", 1);\r\n");
    EXPECT_FALSE(std::filesystem::exists(desktop::SwitchJournal::Path()));
}

}  // namespace
}  // namespace veilport::browsers
