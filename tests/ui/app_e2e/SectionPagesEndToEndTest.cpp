// The section pages in the real veilport on a private X server, clicked with
// xdotool: "Block Java Script" saved on the invasive-code page reaches a
// Gateway (veilportctl gateway, tinyproxy upstream, curl as the browser), and
// Firefox ticked on the browser page is written into a Firefox profile of the
// throwaway home.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"
#include "ui/app_e2e/XSession.h"

namespace veilport::e2e {
namespace {

// Where the controls are in the main window's client area: the main bar's
// section buttons, a section's sub-buttons, and the page controls (the page
// sits at 340, 100; its controls are in dialog units of 1.5 x 1.625 pixels).
constexpr int kSectionButtonX = 80;
int SectionButtonY(int section) {
    return 90 + 3 + 50 * (section - 1) + 15;
}
constexpr int kSubButtonX = 250;
int SubButtonY(int index) {
    return 100 + 53 + 50 * index + 20;
}
int PageX(int units) {
    return 340 + units * 3 / 2;
}
int PageY(int units) {
    return 100 + units * 13 / 8;
}

const std::string kPage =
    "<html><head><SCRIPT>track('visitor');</SCRIPT></head>"
    "<body><p>Kept.</p><script src=\"ads.js\"></script></body></html>\n";

class SectionPagesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "tinyproxy", "curl"})
            if (Which(tool).empty()) GTEST_SKIP() << tool << " is not installed";
        display_.emplace(home_.path(), false);
        ASSERT_TRUE(display_->ready()) << "Xvfb did not start";
    }

    void click(int x, int y) { Click(window_, x, y); }
    void showPage(int section, int subIndex) {
        click(kSectionButtonX, SectionButtonY(section));
        click(kSubButtonX, SubButtonY(subIndex));
    }
    std::string fetchThroughGateway(std::uint16_t gatewayPort, std::uint16_t originPort) {
        const auto result = RunOnPath(
            {"curl", "-sS", "--max-time", "20", "-x", "127.0.0.1:" + std::to_string(gatewayPort),
             "http://127.0.0.1:" + std::to_string(originPort) + "/page.html"});
        return result.out + result.err;
    }

    testing::TempHome home_;
    std::optional<PrivateDisplay> display_;
    std::string window_;
};

TEST_F(SectionPagesEndToEnd, BlockJavaScriptAndFirefoxClickedInTheRealWindow) {
    // The origin, the upstream proxy and the Gateway, all on loopback.
    testing::LoopbackServer origin(ServePage(kPage));
    LocalTinyproxy tinyproxy(home_.path());
    ASSERT_TRUE(tinyproxy.started()) << "tinyproxy did not start";
    const std::uint16_t upstreamPort = tinyproxy.port();
    const std::uint16_t gatewayPort = FreePort();
    SpawnedProgram gateway(fs::path(VEILPORT_BUILD_DIR) / "veilportctl",
                           {"gateway", "--port", std::to_string(gatewayPort), "--upstream",
                            "127.0.0.1:" + std::to_string(upstreamPort)});
    ASSERT_TRUE(Eventually([&] { return Accepts(gatewayPort); })) << "the Gateway did not start";
    const std::string plain = fetchThroughGateway(gatewayPort, origin.port());
    ASSERT_NE(plain.find("<SCRIPT>"), std::string::npos) << plain;

    // A Firefox profile, so the program finds Firefox installed.
    const fs::path prefs = home_.path() / "home/.mozilla/firefox/e2e.default/prefs.js";
    fs::create_directories(prefs.parent_path());
    std::ofstream(prefs) << "user_pref(\"browser.startup.page\", 1);\n";

    SpawnedProgram veilport(fs::path(VEILPORT_BUILD_DIR) / "veilport");
    ASSERT_TRUE(veilport.started());
    window_ = VisibleWindow("Veilport", 20);
    ASSERT_FALSE(window_.empty()) << "the main window did not appear";

    // Privacy section, invasive-code page: tick "Block Java Script", save.
    showPage(3, 0);
    click(PageX(24) + 8, PageY(96) + 9);
    click(PageX(234), PageY(197));
    ASSERT_TRUE(Eventually([] { return DwordSetting(settings::kEnableJS).get() == 1; }))
        << "Block Java Script was not stored";
    EXPECT_EQ(DwordSetting(settings::kEnableActiveX).get(), 0u);
    const std::string filtered = fetchThroughGateway(gatewayPort, origin.port());
    EXPECT_EQ(filtered.find("<SCRIPT"), std::string::npos) << filtered;
    EXPECT_EQ(filtered.find("<script"), std::string::npos) << filtered;
    EXPECT_NE(filtered.find("<noscri"), std::string::npos) << filtered;
    EXPECT_NE(filtered.find("<p>Kept.</p>"), std::string::npos) << filtered;

    // Settings section, browser page, with anonymity on: tick Firefox, apply.
    DwordSetting useProxy(settings::kUseProxy);
    useProxy.set(1);
    showPage(4, 0);
    click(PageX(140) + 8, PageY(76) + 9);
    click(PageX(234), PageY(197));
    ASSERT_TRUE(Eventually([] { return DwordSetting(settings::kBrowserFireFox).get() == 1; }))
        << "the Firefox tick was not stored";
    // The profile was pointed at the Gateway, and the anonymity step after
    // the apply (anonymity on without a chosen proxy goes back to direct)
    // put it back exactly as it was, through the switch journal.
    EXPECT_TRUE(Eventually([&] {
        return ReadFile(prefs).find("network.proxy.http") == std::string::npos;
    })) << ReadFile(prefs);
}

}  // namespace
}  // namespace veilport::e2e
