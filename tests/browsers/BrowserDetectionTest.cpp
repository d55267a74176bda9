#include <gtest/gtest.h>

#include "browsers/BrowserDetection.h"
#include "browsers/BrowserKeys.h"
#include "browsers/BrowserTestUtil.h"
#include "support/TempHome.h"

namespace veilport::browsers {
namespace {

using testing::CreateKey;
using testing::KeyPresent;
using testing::StoreText;

class BrowserDetectionTest : public ::testing::Test {
protected:
    veilport::testing::TempHome home;
};

TEST_F(BrowserDetectionTest, EmptyRegistryFindsOnlyInternetExplorerAndLeavesNoKeys) {
    for (Browser browser : kAllBrowsers)
        EXPECT_EQ(IsBrowserFound(browser), browser == Browser::InternetExplorer)
            << BrowserLabel(browser);
    EXPECT_EQ(NetscapeVersionCode(), 0);
    EXPECT_FALSE(KeyPresent("Software\\Microsoft"));
    EXPECT_FALSE(KeyPresent("Software\\Netscape"));
}

TEST_F(BrowserDetectionTest, EachBrowserIsFoundFromItsInstallerKeys) {
    CreateKey(keys::kOperaUninstall);
    CreateKey(keys::kMozilla171Uninstall);
    CreateKey(keys::kAvantUninstall);
    StoreText(keys::kFirefoxVersion, "115.5.0");
    StoreText(keys::kNetscape6Version, "6.2.3");
    for (Browser browser : kAllBrowsers)
        EXPECT_TRUE(IsBrowserFound(browser)) << BrowserLabel(browser);
}

TEST_F(BrowserDetectionTest, EmptyVersionTextsCountAsNotFound) {
    StoreText(keys::kFirefoxVersion, "");
    StoreText(keys::kNetscapeVersion, "");
    EXPECT_FALSE(IsBrowserFound(Browser::Firefox));
    EXPECT_FALSE(IsBrowserFound(Browser::Netscape));
    StoreText(keys::kNetscape6Version, "6.1");
    EXPECT_TRUE(IsBrowserFound(Browser::Netscape)) << "an empty first value falls back";
    CreateKey(keys::kMozilla16Uninstall);
    EXPECT_TRUE(IsBrowserFound(Browser::Mozilla));
}

TEST_F(BrowserDetectionTest, NetscapeVersionCodeAddsSixAndEight) {
    CreateKey(keys::kNetscape623Uninstall);
    EXPECT_EQ(NetscapeVersionCode(), 6);
    CreateKey(keys::kNetscapeBrowserUninstall);
    EXPECT_EQ(NetscapeVersionCode(), 14);
    ASSERT_EQ(registry::deleteKey(registry::Root::LocalMachine, keys::kNetscape623Uninstall),
              registry::kSuccess);
    EXPECT_EQ(NetscapeVersionCode(), 8);
}

}  // namespace
}  // namespace veilport::browsers
