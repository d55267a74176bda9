// The status page of the real veilport on a private X server, with real
// peers on loopback: a tested proxy (tinyproxy) chosen in the Tested
// drop-down and Enable Online Anonymity clicked make curl reach an origin
// through the Gateway and tinyproxy, and point the GNOME proxy settings
// (keyfile backend) and a Firefox profile of the throwaway home at the
// Gateway; Disable puts everything back to direct, and so does Exit from the
// tray menu with anonymity on.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <optional>
#include <sstream>
#include <string>

#include "browsers/MozillaPrefs.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"
#include "ui/app_e2e/XSession.h"

namespace veilport::e2e {
namespace {

// The status page sits at 150, 80 of the main window; its controls are in
// dialog units of 1.5 x 1.625 pixels.
int PageX(int units) {
    return 150 + units * 3 / 2;
}
int PageY(int units) {
    return 80 + units * 13 / 8;
}
// The middle of the anonymity switch (7, 108, 238 x 33) and of the closed
// Tested drop-down (194, 37, 139 wide, one line high).
const int kSwitchX = PageX(7 + 238 / 2);
const int kSwitchY = PageY(108 + 33 / 2);
const int kTestedX = PageX(194 + 139 / 2);
const int kTestedY = PageY(37) + 10;

const std::string kPage = "<html><body><p>Reached the origin.</p></body></html>\n";

template <typename Setting, typename Spec, typename Value>
void Store(const Spec& spec, const Value& value) {
    Setting setting(spec);
    setting.set(value);
    setting.write();
}

std::string Gsettings(const std::string& schema, const std::string& key) {
    const auto result = RunOnPath({"gsettings", "get", schema, key});
    return result.out.substr(0, result.out.find('\n'));
}

class StatusPageEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "trayer", "tinyproxy", "curl", "gsettings"})
            if (Which(tool).empty()) GTEST_SKIP() << tool << " is not installed";
        // The keyfile backend keeps every GNOME setting inside the temp home,
        // for this process and for the veilport it starts.
        ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        if (RunOnPath({"gsettings", "list-keys", "org.gnome.system.proxy"}).exitCode != 0)
            GTEST_SKIP() << "the GNOME proxy schema is not installed";
        display_.emplace(home_.path(), true);
        ASSERT_TRUE(display_->ready()) << "Xvfb did not start";
    }
    void TearDown() override { ::unsetenv("GSETTINGS_BACKEND"); }

    std::string fetchThroughGateway() const {
        const auto result = RunOnPath(
            {"curl", "-sS", "--max-time", "20", "-x", "127.0.0.1:" + std::to_string(localPort_),
             "http://127.0.0.1:" + std::to_string(originPort_) + "/page.html"});
        return result.out + result.err;
    }
    std::string anonymityStatus() const {
        return RunCommand({Built("veilportctl").string(), "anonymity", "status"}).out;
    }
    std::string prefs() const { return ReadFile(prefsFile_); }
    bool systemDirect() const { return Gsettings("org.gnome.system.proxy", "mode") == "'none'"; }
    bool firefoxDirect() const { return prefs().find(browsers::kTypeLine) == std::string::npos; }
    // The tray icon's window: the smallest visible window of the program.
    static std::string trayIconWindow() {
        std::string found;
        Eventually([&] {
            std::istringstream ids(Xdotool({"search", "--onlyvisible", "--class", "veilport"}));
            for (std::string id; ids >> id;) {
                std::istringstream shell(Xdotool({"getwindowgeometry", "--shell", id}));
                int width = 0, height = 0;
                for (std::string line; std::getline(shell, line);) {
                    if (line.rfind("WIDTH=", 0) == 0) width = std::stoi(line.substr(6));
                    if (line.rfind("HEIGHT=", 0) == 0) height = std::stoi(line.substr(7));
                }
                if (width > 0 && width <= 64 && height > 0 && height <= 64) found = id;
            }
            return !found.empty();
        });
        return found;
    }

    testing::TempHome home_;
    std::optional<PrivateDisplay> display_;
    std::uint16_t localPort_ = 0;
    std::uint16_t originPort_ = 0;
    fs::path prefsFile_;
};

TEST_F(StatusPageEndToEnd, EnableDisableAndExitWithAnonymityOnDriveEveryPeer) {
    testing::LoopbackServer origin(ServePage(kPage, true));
    originPort_ = origin.port();
    LocalTinyproxy tinyproxy(home_.path());
    ASSERT_TRUE(tinyproxy.started()) << "tinyproxy did not start";
    const std::string upstream = "127.0.0.1:" + std::to_string(tinyproxy.port());

    // The tested proxy, the Gateway's port, Firefox on, and a proxy-list
    // service on loopback so that the start-up fetch stays on the machine.
    std::ofstream(home_.veilportHome() / "MyProxies.txt") << upstream << "->Local\n";
    localPort_ = FreePort();
    Store<DwordSetting>(settings::kLocalPort, std::uint32_t{localPort_});
    Store<DwordSetting>(settings::kBrowserFireFox, std::uint32_t{1});
    Store<StringSetting>(settings::kProxyListHost, std::string("127.0.0.1"));
    const fs::path firefox = home_.path() / "home/.mozilla/firefox";
    prefsFile_ = firefox / "e2e.default/prefs.js";
    fs::create_directories(prefsFile_.parent_path());
    std::ofstream(firefox / "profiles.ini")
        << "[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=default\nIsRelative=1\n"
        << "Path=e2e.default\nDefault=1\n";
    std::ofstream(prefsFile_) << "user_pref(\"browser.startup.page\", 1);\n";

    SpawnedProgram veilport(Built("veilport"));
    ASSERT_TRUE(veilport.started());
    const std::string window = VisibleWindow("Veilport", 20);
    ASSERT_FALSE(window.empty()) << "the main window did not appear";

    // The Tested drop-down: open it, take its last entry (the only proxy).
    Click(window, kTestedX, kTestedY);
    Xdotool({"key", "End", "Return"});
    ASSERT_TRUE(Eventually([&] {
        return StringSetting(settings::kProxyName).get().rfind(upstream, 0) == 0;
    })) << "the tested proxy was not chosen: "
        << StringSetting(settings::kProxyName).get();

    // Enable Online Anonymity.
    Click(window, kSwitchX, kSwitchY);
    ASSERT_TRUE(Eventually([&] { return Accepts(localPort_); })) << "the Gateway does not listen";
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 1u);

    // A browser's request goes Gateway, tinyproxy, origin.
    const std::string answer = fetchThroughGateway();
    EXPECT_NE(answer.find("Reached the origin."), std::string::npos) << answer;
    // tinyproxy names itself in the Via line of the requests it forwards.
    EXPECT_NE(answer.find("(tinyproxy/"), std::string::npos) << "not through tinyproxy: " << answer;

    // The desktop and Firefox point at the Gateway.
    EXPECT_TRUE(
        Eventually([] { return Gsettings("org.gnome.system.proxy", "mode") == "'manual'"; }));
    EXPECT_EQ(Gsettings("org.gnome.system.proxy.http", "host"), "'127.0.0.1'");
    EXPECT_EQ(Gsettings("org.gnome.system.proxy.http", "port"), std::to_string(localPort_));
    // Firefox names the port the Gateway listens on, not a fixed one.
    EXPECT_TRUE(Eventually([&] { return !firefoxDirect(); })) << prefs();
    EXPECT_NE(prefs().find(browsers::kHostLine), std::string::npos) << prefs();
    EXPECT_NE(prefs().find(browsers::PortLine(localPort_)), std::string::npos) << prefs();

    // The command line asks the running program and agrees with it.
    const std::string on = anonymityStatus();
    EXPECT_NE(on.find("Online Anonymity: Enabled"), std::string::npos) << on;
    EXPECT_NE(on.find("Upstream: " + upstream), std::string::npos) << on;
    EXPECT_NE(on.find("Local port: " + std::to_string(localPort_)), std::string::npos) << on;
    EXPECT_NE(on.find("Gateway: listening"), std::string::npos) << on;

    // Disable: nothing listens any more and every setting is direct again.
    Click(window, kSwitchX, kSwitchY);
    EXPECT_TRUE(Eventually([&] { return !Accepts(localPort_); })) << "the Gateway still listens";
    EXPECT_TRUE(Eventually([&] { return systemDirect(); }))
        << Gsettings("org.gnome.system.proxy", "mode");
    EXPECT_TRUE(Eventually([&] { return firefoxDirect(); })) << prefs();
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    const std::string off = anonymityStatus();
    EXPECT_NE(off.find("Online Anonymity: Disabled"), std::string::npos) << off;
    EXPECT_NE(off.find("Gateway: not listening"), std::string::npos) << off;

    // On again, then the window to the tray and Exit from the tray's menu.
    Click(window, kSwitchX, kSwitchY);
    ASSERT_TRUE(Eventually([&] { return Accepts(localPort_); })) << "the Gateway did not restart";
    ASSERT_TRUE(Eventually([&] { return !systemDirect() && !firefoxDirect(); }));
    Click(window, 733, 22);
    ASSERT_TRUE(NoVisibleWindow("Veilport")) << "the window did not go to the tray";
    const std::string icon = trayIconWindow();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    Click(icon, 4, 4, 3);
    // The menu is the program's other visible window; Up from no current
    // item reaches its last item, Exit.
    ASSERT_TRUE(Eventually([] {
        std::istringstream ids(Xdotool({"search", "--onlyvisible", "--class", "veilport"}));
        int count = 0;
        for (std::string id; ids >> id;) ++count;
        return count >= 2;
    })) << "the tray menu did not open";
    Xdotool({"key", "Up", "Return"});
    const auto status = veilport.waitForExit(20s);
    ASSERT_TRUE(status) << "Exit from the tray menu did not end Veilport";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_FALSE(Accepts(localPort_));
    EXPECT_TRUE(systemDirect()) << Gsettings("org.gnome.system.proxy", "mode");
    EXPECT_TRUE(firefoxDirect()) << prefs();
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
}

}  // namespace
}  // namespace veilport::e2e
