#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "FakePageHost.h"
#include "UiTestSupport.h"
#include "app/pages/settings/BrowsersPanel.h"
#include "app/pages/settings/StartupOptionsPanel.h"
#include "browsers/BrowserKeys.h"
#include "browsers/BrowserTestUtil.h"
#include "browsers/ConnectionSwitch.h"
#include "browsers/MozillaPrefs.h"
#include "browsers/StartupOptions.h"
#include "platform/desktop/AutostartEntry.h"
#include "platform/desktop/BrowserInstallFacts.h"
#include "platform/net/Socket.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

using browsers::Browser;
using browsers::ui::BrowsersPanel;
using testing::StoredDword;
using testing::StoreDword;
using testing::StoreText;

// The machine's real switch behind the program's anonymity service, so the
// browser page's apply ends the way it does in the program.
class RealSwitch : public proxypool::ProxySwitch {
public:
    browsers::SwitchReport SetConnectionOptions(const std::string& address) override {
        return browsers::SetConnectionOptions(address);
    }
    browsers::SwitchReport DisableConnectionProxy() override {
        return browsers::DisableConnectionProxy();
    }
};

class SwitchingHost : public testing::FakePageHost {
public:
    SwitchingHost() {
        switching.onChanged([this](const auto&) { ++applyCalls; });
    }
    services::Anonymity& anonymity() override { return switching; }
    RealSwitch realSwitch;
    services::Anonymity switching{fakeGateway, realSwitch};
    int applyCalls = 0;
};

class BrowsersPanelTest : public ::testing::Test {
protected:
    std::filesystem::path prefs() const {
        return home.path() / "home/.mozilla/firefox/abc.default/prefs.js";
    }
    void clickApply(BrowsersPanel& page) {
        page.findChild<QAbstractButton*>("control1001")->click();
    }
    testing::TempHome home;
    SwitchingHost host;
};

TEST_F(BrowsersPanelTest, OnlyBrowsersFoundHereCanBeTickedAndTheBoxesCarryEachOther) {
    BrowsersPanel page(host, nullptr);
    EXPECT_TRUE(page.box(Browser::InternetExplorer)->isEnabled());
    EXPECT_FALSE(page.box(Browser::Firefox)->isEnabled());
    EXPECT_FALSE(page.box(Browser::Avant)->isEnabled());

    // Found after the page was made: the next show enables it.
    StoreText(browsers::keys::kFirefoxVersion, "115.5.0");
    testing::CreateKey(browsers::keys::kAvantUninstall);
    testing::CreateKey(browsers::keys::kNetscape623Uninstall);
    StoreText(browsers::keys::kNetscape6Version, "6.2.3");
    testing::CreateKey(browsers::keys::kMozilla171Uninstall);
    page.pageShown();
    EXPECT_TRUE(page.box(Browser::Firefox)->isEnabled());

    page.box(Browser::InternetExplorer)->click();
    EXPECT_TRUE(page.box(Browser::Avant)->isChecked());
    page.box(Browser::Avant)->click();
    EXPECT_FALSE(page.box(Browser::InternetExplorer)->isChecked());
    page.box(Browser::Netscape)->click();
    EXPECT_TRUE(page.box(Browser::Mozilla)->isChecked());
    page.box(Browser::Firefox)->click();
    EXPECT_TRUE(page.box(Browser::Firefox)->isChecked());
    EXPECT_TRUE(page.box(Browser::Mozilla)->isChecked()) << "Firefox carries nothing";
    EXPECT_EQ(host.applyCalls, 0) << "a click stores nothing";
}

// The boxes were named after Windows browsers, so nothing said what the first
// box switches here nor which browsers are missing.
TEST_F(BrowsersPanelTest, TheBoxesSayWhatTheySwitchHereAndWhichBrowsersAreNotFound) {
    BrowsersPanel page(host, nullptr);
    EXPECT_EQ(page.box(Browser::InternetExplorer)->text(), "Desktop proxy settings");
    const QString followers =
        page.findChild<QLabel*>("control" + QString::number(BrowsersPanel::kFollowersId))->text();
    for (const char* name :
         {"GNOME", "KDE", "Chromium", "Chrome", "Brave", "Edge", "Vivaldi", "GNOME Web"})
        EXPECT_TRUE(followers.contains(QLatin1String(name))) << name;
    EXPECT_EQ(page.box(Browser::Firefox)->text(), "Firefox (not found)");
    EXPECT_EQ(page.box(Browser::Firefox)->accessibleName(), "Firefox (not found)");
    EXPECT_EQ(page.box(Browser::Avant)->text(), "Avant (not found)");
    for (Browser browser : browsers::kAllBrowsers)
        EXPECT_LE(page.box(browser)->sizeHint().width(), page.box(browser)->width())
            << page.box(browser)->text().toStdString() << " is cut short";

    // A profile folder alone is enough to find Firefox and use its box.
    std::filesystem::create_directories(home.path() / "home/.mozilla/firefox");
    desktop::recordBrowserInstallations({"", home.path() / "home"});
    page.pageShown();
    EXPECT_EQ(page.box(Browser::Firefox)->text(), "Firefox");
    EXPECT_TRUE(page.box(Browser::Firefox)->isEnabled());
}

TEST_F(BrowsersPanelTest, TickingFirefoxFollowsTheAnonymitySwitchInTheProfile) {
    StoreText(browsers::keys::kFirefoxVersion, "115.5.0");
    testing::WriteFile(prefs(), "user_pref(\"a\", 1);\n");
    const std::string hostLine(browsers::kHostLine);

    // Anonymity off: the Firefox flag is stored, the profile set and at once
    // restored by the anonymity step, exactly as it was.
    StoreDword(settings::kUseProxy, 0);
    {
        BrowsersPanel page(host, nullptr);
        page.box(Browser::Firefox)->click();
        clickApply(page);
        EXPECT_EQ(host.applyCalls, 1);
        EXPECT_TRUE(page.box(Browser::Firefox)->isChecked());
        EXPECT_EQ(StoredDword(settings::kBrowserFireFox), 1u);
        EXPECT_EQ(testing::ReadFile(prefs()), "user_pref(\"a\", 1);\n")
            << "switching back puts the profile back exactly as it was";
    }

    // Anonymity on: untick and tick again, and the profile points at the Gateway.
    StoreDword(settings::kUseProxy, 1);
    StoreText(settings::kProxyName.path, "127.0.0.1:3128");
    BrowsersPanel page(host, nullptr);
    page.box(Browser::Firefox)->click();
    clickApply(page);
    page.box(Browser::Firefox)->click();
    clickApply(page);
    const std::string pointed = testing::ReadFile(prefs());
    EXPECT_NE(pointed.find(hostLine), std::string::npos) << pointed;
    EXPECT_NE(pointed.find(browsers::PortLine(8080)), std::string::npos) << pointed;
    EXPECT_NE(pointed.find(browsers::kTypeLine), std::string::npos) << pointed;
    EXPECT_NE(pointed.find(browsers::SslPortLine(8080)), std::string::npos) << pointed;

    // Internet Explorer cleared while anonymity is on keeps its tick.
    page.box(Browser::InternetExplorer)->click();
    clickApply(page);
    EXPECT_TRUE(page.box(Browser::InternetExplorer)->isChecked());
}

class StartupPanelTest : public ::testing::Test {
protected:
    void setPort(const char* text) { page.portField()->setText(QString::fromLatin1(text)); }
    std::vector<std::string>& shown() { return host.fakeMessages.shown; }

    testing::TempHome home;
    testing::FakePageHost host;
    app::StartupOptionsPanel page{host, nullptr};
};

TEST_F(StartupPanelTest, TestButtonAcceptsOnly1025To64999) {
    EXPECT_EQ(page.portField()->text(), "8080");
    for (const char* refused : {"1024", "65000", "abc"}) {
        shown().clear();
        setPort(refused);
        page.testPort();
        EXPECT_EQ(shown(), (std::vector<std::string>{browsers::kPortRangeMessage})) << refused;
        EXPECT_EQ(page.portField()->text(), "8080") << refused;
    }
    shown().clear();
    setPort("");
    page.testPort();
    EXPECT_EQ(shown(), (std::vector<std::string>{"Please specify a port number"}));

    for (const char* passes : {"1025", "64999"}) {
        shown().clear();
        setPort(passes);
        page.testPort();
        ASSERT_EQ(shown().size(), 1u);
        EXPECT_NE(shown()[0], browsers::kPortRangeMessage) << passes;
        EXPECT_EQ(page.portField()->text(), passes);
    }
    EXPECT_EQ(StoredDword(settings::kLocalPort), 8080u) << "the test stores nothing";
}

TEST_F(StartupPanelTest, TestTellsWhetherSomethingListensOnThePort) {
    auto listener = net::listenTcp({htonl(INADDR_LOOPBACK)}, 0, 4);
    ASSERT_TRUE(listener.ok());
    const auto port = net::localPort(listener.value.get());
    ASSERT_TRUE(port.ok());
    setPort(std::to_string(port.value).c_str());
    page.testPort();
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0],
              QString::fromLatin1(browsers::kPortInUseMessage).arg(port.value).toStdString());

    // Our own Gateway on the stored port is no obstacle.
    StoreDword(settings::kLocalPort, port.value);
    host.fakeGateway.running = true;
    page.testPort();
    EXPECT_EQ(shown().back(), browsers::kPortAvailableMessage);

    listener.value.reset();
    host.fakeGateway.running = false;
    page.testPort();
    EXPECT_EQ(shown().back(), browsers::kPortAvailableMessage);
}

TEST_F(StartupPanelTest, SaveMirrorsTheRunEntryIntoTheAutostartFolder) {
    const auto entry = desktop::autostartEntryPath();
    // Without AppFullPath, ticking empties an existing entry and creates no file.
    StoreText(settings::kRunEntry.path, "/old/veilport");
    page.runAtStartupBox()->setChecked(true);
    page.save();
    EXPECT_EQ(StoredDword(settings::kRunAtStartup), 1u);
    EXPECT_EQ(StringSetting(settings::kRunEntry).get(), "");
    EXPECT_FALSE(std::filesystem::exists(entry));

    StoreText(settings::kAppFullPath.path, "/opt/Veil port/veilport");
    page.save();
    EXPECT_EQ(StringSetting(settings::kRunEntry).get(), "/opt/Veil port/veilport");
    const std::string text = testing::ReadFile(entry);
    EXPECT_NE(text.find("Exec=\"/opt/Veil port/veilport\"\n"), std::string::npos) << text;

    // Leaving the page saves too.
    page.runAtStartupBox()->setChecked(false);
    page.pageLeft();
    EXPECT_EQ(StoredDword(settings::kRunAtStartup), 0u);
    EXPECT_TRUE(StringSetting(settings::kRunEntry).valid()) << "emptied, not removed";
    EXPECT_EQ(StringSetting(settings::kRunEntry).get(), "");
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(shown().empty());
}

TEST_F(StartupPanelTest, SaveStoresAnyPortButRefusesTextThatNamesNone) {
    setPort("1024");
    page.save();
    EXPECT_EQ(StoredDword(settings::kLocalPort), 1024u) << "only the test checks the range";
    setPort("8181abc");
    page.save();
    EXPECT_EQ(StoredDword(settings::kLocalPort), 8181u);
    EXPECT_TRUE(shown().empty());

    for (const char* refused : {"abc", "0", "70000", "-5"}) {
        shown().clear();
        setPort(refused);
        page.save();
        EXPECT_EQ(StoredDword(settings::kLocalPort), 8181u) << refused;
        EXPECT_EQ(shown(), (std::vector<std::string>{browsers::kPortRangeMessage})) << refused;
        EXPECT_EQ(page.portField()->text(), "8181") << refused;
    }
}

// Saving a new port while anonymity is on used to leave the Gateway and every
// browser on the old port; and a port the Gateway cannot take must not be
// pointed at.
TEST_F(StartupPanelTest, ANewPortWhileOnMovesEverythingOnlyOnceTheGatewayListensThere) {
    StoreText(settings::kProxyName.path, "127.0.0.1:3128");
    ASSERT_TRUE(host.anonymity().switchOn().enabled());
    ASSERT_EQ(host.fakeConnection.calls, std::vector<std::string>{"127.0.0.1:8080"});

    host.fakeGateway.takenPort = 9090;
    setPort("9090");
    page.save();
    EXPECT_EQ(shown(), std::vector<std::string>{"Port 9090 is in use by another program"});
    EXPECT_EQ(StoredDword(settings::kLocalPort), 8080u);
    EXPECT_EQ(page.portField()->text(), "8080");
    EXPECT_EQ(host.fakeConnection.calls.size(), 1u) << "nothing was pointed at 9090";
    EXPECT_TRUE(host.fakeGateway.running);
    EXPECT_EQ(host.fakeGateway.starts.back().localPort, 8080) << "back where the browsers point";
    EXPECT_TRUE(host.anonymity().isOn());

    shown().clear();
    setPort("9191");
    page.save();
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(StoredDword(settings::kLocalPort), 9191u);
    EXPECT_EQ(host.fakeGateway.starts.back().localPort, 9191);
    EXPECT_EQ(host.fakeConnection.calls.back(), "127.0.0.1:9191");
    EXPECT_TRUE(host.anonymity().isOn());
}

}  // namespace
}  // namespace veilport
