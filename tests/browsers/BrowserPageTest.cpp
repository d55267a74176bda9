#include <gtest/gtest.h>

#include <filesystem>

#include "browsers/BrowserKeys.h"
#include "browsers/BrowserPage.h"
#include "browsers/BrowserTestUtil.h"
#include "browsers/ConnectionSwitch.h"
#include "browsers/MozillaPrefs.h"
#include "browsers/RecordingConfigurator.h"
#include "support/TempHome.h"

namespace veilport::browsers {
namespace {

using testing::CreateKey;
using testing::RecordingConfigurator;
using testing::StoredDword;
using testing::StoreDword;
using testing::StoreText;
using Steps = std::vector<std::string>;

class BrowserPageTest : public ::testing::Test {
protected:
    void InstallAll() {
        StoreText(keys::kNetscapeVersion, "7.2");
        CreateKey(keys::kOperaUninstall);
        CreateKey(keys::kMozilla171Uninstall);
        StoreText(keys::kFirefoxVersion, "115.5.0");
        CreateKey(keys::kAvantUninstall);
    }
    void Apply() {
        ApplyBrowserPageOnce();
        ASSERT_EQ(anonymityRuns, 1);
    }
    void ApplyBrowserPageOnce() {
        anonymityRuns = 0;
        page.ApplyBrowserPage([this] { ++anonymityRuns; });
    }

    veilport::testing::TempHome home;
    RecordingConfigurator steps;
    BrowserPage page{steps};
    int anonymityRuns = 0;
};

TEST_F(BrowserPageTest, LoadTicksStoredFoundBrowsersAndEnablesFoundOnes) {
    StoreDword(settings::kBrowserIE, 7);  // the page counts any value but 0
    StoreDword(settings::kBrowserFireFox, 1);
    StoreDword(settings::kBrowserOpera, 1);
    CreateKey(keys::kOperaUninstall);
    page.LoadBrowserPage();
    EXPECT_TRUE(page.ticked(Browser::InternetExplorer));
    EXPECT_TRUE(page.ticked(Browser::Opera));
    EXPECT_FALSE(page.ticked(Browser::Firefox)) << "flag set but Firefox not found";
    EXPECT_TRUE(page.enabled(Browser::InternetExplorer));
    EXPECT_TRUE(page.enabled(Browser::Opera));
    EXPECT_FALSE(page.enabled(Browser::Firefox));
    EXPECT_FALSE(page.enabled(Browser::Avant));
}

TEST_F(BrowserPageTest, WithoutProgramKeyBoxesAreEmptyAndApplyWritesNothing) {
    InstallAll();
    for (Browser browser : kAllBrowsers) page.setTicked(browser, true);
    Apply();
    EXPECT_TRUE(steps.steps.empty());
    EXPECT_FALSE(testing::KeyPresent(settings::kProgramKey));
    for (Browser browser : kAllBrowsers) EXPECT_FALSE(page.ticked(browser));
}

TEST_F(BrowserPageTest, InternetExplorerAndAvantBoxesMoveTogether) {
    page.setTicked(Browser::InternetExplorer, true);
    page.OnBoxClicked(Browser::InternetExplorer);
    EXPECT_FALSE(page.ticked(Browser::Avant)) << "Avant not found";
    page.setTicked(Browser::InternetExplorer, false);
    page.setTicked(Browser::Avant, true);
    page.OnBoxClicked(Browser::Avant);
    EXPECT_TRUE(page.ticked(Browser::InternetExplorer)) << "Avant always carries IE";

    CreateKey(keys::kAvantUninstall);
    page.setTicked(Browser::InternetExplorer, false);
    page.OnBoxClicked(Browser::InternetExplorer);
    EXPECT_FALSE(page.ticked(Browser::Avant));
}

TEST_F(BrowserPageTest, NetscapeAndMozillaMoveTogetherOnlyWithNetscape6) {
    CreateKey(keys::kNetscapeBrowserUninstall);  // code 8: independent
    page.setTicked(Browser::Netscape, true);
    page.OnBoxClicked(Browser::Netscape);
    EXPECT_FALSE(page.ticked(Browser::Mozilla));

    CreateKey(keys::kNetscape623Uninstall);  // code 14
    page.OnBoxClicked(Browser::Netscape);
    EXPECT_TRUE(page.ticked(Browser::Mozilla));
    page.setTicked(Browser::Mozilla, false);
    page.OnBoxClicked(Browser::Mozilla);
    EXPECT_FALSE(page.ticked(Browser::Netscape));
    page.setTicked(Browser::Firefox, true);
    page.OnBoxClicked(Browser::Firefox);
    EXPECT_FALSE(page.ticked(Browser::Opera));
}

TEST_F(BrowserPageTest, NewlyTickedBrowsersAreSetInPageOrderWithAnonymityOn) {
    InstallAll();
    CreateKey(keys::kNetscapeBrowserUninstall);
    StoreDword(settings::kUseProxy, 1);
    for (Browser browser : kAllBrowsers) page.setTicked(browser, true);
    Apply();
    EXPECT_EQ(steps.steps, (Steps{"set system 127.0.0.1:8080", "set Netscape", "set Firefox",
                                  "set Mozilla", "set Opera6.ini", "set profile opera6.ini",
                                  "set OperaDef6.ini", "set system 127.0.0.1:8080"}));
    for (Browser browser : kAllBrowsers)
        EXPECT_EQ(StoredDword(BrowserFlag(browser)), 1u) << BrowserLabel(browser);

    steps.steps.clear();
    Apply();  // ticked again while stored: nothing happens
    EXPECT_TRUE(steps.steps.empty());
}

TEST_F(BrowserPageTest, NewlyClearedBrowsersAreRestoredWithAnonymityOff) {
    InstallAll();
    CreateKey(keys::kNetscapeBrowserUninstall);
    StoreDword(settings::kUseProxy, 0);
    for (Browser browser : kAllBrowsers) StoreDword(BrowserFlag(browser), 1);
    Apply();
    EXPECT_EQ(steps.steps,
              (Steps{"clear system", "restore Netscape", "restore Firefox", "restore Mozilla",
                     "restore Opera6.ini", "restore profile opera6.ini", "restore OperaDef6.ini",
                     "clear system"}));
    for (Browser browser : kAllBrowsers)
        EXPECT_EQ(StoredDword(BrowserFlag(browser)), 0u) << BrowserLabel(browser);
}

TEST_F(BrowserPageTest, SystemBoxesOnlyChangeWhenTheyAgreeWithAnonymity) {
    InstallAll();
    StoreDword(settings::kUseProxy, 1);
    StoreDword(settings::kBrowserIE, 1);
    StoreDword(settings::kBrowserAvant, 1);
    Apply();  // both boxes cleared while anonymity is on
    EXPECT_TRUE(steps.steps.empty());
    EXPECT_TRUE(page.ticked(Browser::InternetExplorer)) << "the box shows the stored flag again";
    EXPECT_TRUE(page.ticked(Browser::Avant));

    StoreDword(settings::kUseProxy, 0);
    StoreDword(settings::kBrowserIE, 0);
    StoreDword(settings::kBrowserAvant, 0);
    page.setTicked(Browser::InternetExplorer, true);
    page.setTicked(Browser::Avant, true);
    Apply();  // ticked while anonymity is off
    EXPECT_TRUE(steps.steps.empty());
    EXPECT_FALSE(page.ticked(Browser::InternetExplorer));
}

TEST_F(BrowserPageTest, NetscapeProfilesAreEditedOnlyWithTheNetscapeBrowserKey) {
    StoreText(keys::kNetscape6Version, "6.2.3");
    CreateKey(keys::kNetscape623Uninstall);
    StoreDword(settings::kUseProxy, 0);
    page.setTicked(Browser::Netscape, true);
    Apply();
    EXPECT_TRUE(steps.steps.empty());
    EXPECT_EQ(StoredDword(settings::kBrowserNetscape), 1u);
}

TEST_F(BrowserPageTest, UninstalledBrowsersLoseTheirFlagsExceptNetscape) {
    for (Browser browser : kAllBrowsers) StoreDword(BrowserFlag(browser), 1);
    for (Browser browser : kAllBrowsers) page.setTicked(browser, false);
    StoreDword(settings::kUseProxy, 1);
    Apply();
    EXPECT_TRUE(steps.steps.empty()) << "nothing is restored for a browser that is gone";
    EXPECT_EQ(StoredDword(settings::kBrowserFireFox), 0u);
    EXPECT_EQ(StoredDword(settings::kBrowserMozilla), 0u);
    EXPECT_EQ(StoredDword(settings::kBrowserOpera), 0u);
    EXPECT_EQ(StoredDword(settings::kBrowserAvant), 0u);
    EXPECT_EQ(StoredDword(settings::kBrowserNetscape), 1u);
    EXPECT_EQ(StoredDword(settings::kBrowserIE), 1u) << "anonymity on: a cleared IE box waits";
}

// The whole path with real files: the status page's anonymity step is stood in
// for by the switch operations it calls.
class BrowserPageFilesTest : public ::testing::Test {
protected:
    std::filesystem::path prefs() const {
        return home.path() / "home/.mozilla/firefox/abc.default/prefs.js";
    }
    void ApplyAnonymity() {
        const auto report =
            DwordSetting(settings::kUseProxy).get() == 1
                ? SetConnectionOptions("127.0.0.1:" +
                                       std::to_string(DwordSetting(settings::kLocalPort).get()))
                : DisableConnectionProxy();
        EXPECT_TRUE(report.allDone());
    }
    veilport::testing::TempHome home;
};

// The tick points the profile at the Gateway and the anonymity step that
// follows takes it back through the journal: nothing of the switch is left.
TEST_F(BrowserPageFilesTest, TickingFirefoxWithAnonymityOffLeavesTheProfileAsItWas) {
    StoreText(keys::kFirefoxVersion, "115.5.0");
    StoreDword(settings::kUseProxy, 0);
    testing::WriteFile(prefs(), "user_pref(\"a\", 1);\n");
    BrowserPage page;
    page.LoadBrowserPage();
    page.setTicked(Browser::Firefox, true);
    page.ApplyBrowserPage([this] { ApplyAnonymity(); });
    EXPECT_EQ(StoredDword(settings::kBrowserFireFox), 1u);
    EXPECT_TRUE(page.ticked(Browser::Firefox));
    EXPECT_EQ(testing::ReadFile(prefs()), "user_pref(\"a\", 1);\n");
    EXPECT_FALSE(std::filesystem::exists(prefs().parent_path() / "user.js"));
}

TEST_F(BrowserPageFilesTest, TickingFirefoxWithAnonymityOnPointsItAtTheGateway) {
    StoreText(keys::kFirefoxVersion, "115.5.0");
    StoreDword(settings::kUseProxy, 1);
    testing::WriteFile(prefs(), "user_pref(\"a\", 1);\n");
    BrowserPage page;
    page.setTicked(Browser::Firefox, true);
    page.ApplyBrowserPage([this] { ApplyAnonymity(); });
    EXPECT_EQ(testing::ReadFile(prefs()), "user_pref(\"a\", 1);\n" + std::string(kHostLine) + "\n" +
                                              PortLine(8080) + "\n" + std::string(kSslHostLine) +
                                              "\n" + SslPortLine(8080) + "\n" +
                                              std::string(kTypeLine) + "\n");
}

}  // namespace
}  // namespace veilport::browsers
