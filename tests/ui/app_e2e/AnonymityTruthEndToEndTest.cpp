// The real veilport telling the truth about Online Anonymity. With LocalPort
// taken by another program, switching on stays Disabled, says which port, and
// points nothing at it. With LocalPort 9191, a real Firefox ESR profile (made
// and written by Firefox itself) names 9191 in prefs.js and gets the leak
// settings in user.js; switching off gives both files back byte for byte.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <optional>
#include <string>

#include "browsers/MozillaPrefs.h"
#include "platform/io/UniqueFd.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"
#include "ui/app_e2e/XSession.h"

namespace veilport::e2e {
namespace {

template <typename Setting, typename Spec, typename Value>
void Store(const Spec& spec, const Value& value) {
    Setting setting(spec);
    setting.set(value);
    setting.write();
}

// Another program holding a port on every interface, as the Gateway would.
io::UniqueFd Squat(std::uint16_t port) {
    io::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd.get(), 4) != 0)
        fd.reset();
    return fd;
}

class AnonymityTruthEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "tinyproxy", "gsettings"})
            if (Which(tool).empty()) GTEST_SKIP() << tool << " is not installed";
        ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        display_.emplace(home_.path(), false);
        ASSERT_TRUE(display_->ready()) << "Xvfb did not start";
        tinyproxy_.emplace(home_.path());
        ASSERT_TRUE(tinyproxy_->started()) << "tinyproxy did not start";
        Store<StringSetting>(settings::kProxyName,
                             "127.0.0.1:" + std::to_string(tinyproxy_->port()) + "->Local");
        Store<DwordSetting>(settings::kBrowserFireFox, std::uint32_t{1});
        Store<StringSetting>(settings::kProxyListHost, std::string("127.0.0.1"));
    }
    void TearDown() override { ::unsetenv("GSETTINGS_BACKEND"); }

    testing::CommandResult ctl(const std::string& what) const {
        return RunCommand({Built("veilportctl").string(), "anonymity", what});
    }
    fs::path firefox() const { return home_.path() / "home/.mozilla/firefox"; }

    testing::TempHome home_;
    std::optional<PrivateDisplay> display_;
    std::optional<LocalTinyproxy> tinyproxy_;
};

TEST_F(AnonymityTruthEndToEnd, APortTakenByAnotherProgramKeepsEverythingDisabledAndSaysWhy) {
    const std::uint16_t port = FreePort();
    const auto squatter = Squat(port);
    ASSERT_TRUE(squatter) << "could not hold port " << port;
    Store<DwordSetting>(settings::kLocalPort, std::uint32_t{port});
    const fs::path prefs = firefox() / "a.default/prefs.js";
    fs::create_directories(prefs.parent_path());
    std::ofstream(prefs) << "user_pref(\"browser.startup.page\", 1);\n";

    SpawnedProgram veilport(Built("veilport"));
    ASSERT_TRUE(veilport.started());
    ASSERT_FALSE(VisibleWindow("Veilport", 20).empty()) << "the main window did not appear";

    const auto on = ctl("on");
    EXPECT_EQ(on.exitCode, 3) << on.out << on.err;
    EXPECT_NE(
        (on.out + on.err).find("Port " + std::to_string(port) + " is in use by another program"),
        std::string::npos)
        << on.out << on.err;
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    EXPECT_NE(ctl("status").out.find("Online Anonymity: Disabled"), std::string::npos);
    EXPECT_EQ(ReadFile(prefs), "user_pref(\"browser.startup.page\", 1);\n");
    EXPECT_FALSE(fs::exists(prefs.parent_path() / "user.js"));
    EXPECT_NE(RunOnPath({"gsettings", "get", "org.gnome.system.proxy", "mode"}).out.find("'none'"),
              std::string::npos);
}

TEST_F(AnonymityTruthEndToEnd, ARealFirefoxProfileNamesTheGatewaysPortAndComesBackByteForByte) {
    const std::string firefoxEsr = Which("firefox-esr");
    if (firefoxEsr.empty()) GTEST_SKIP() << "firefox-esr is not installed";
    const std::uint16_t port = 9191;
    if (Accepts(port) || !Squat(port)) GTEST_SKIP() << "port 9191 is in use here";
    Store<DwordSetting>(settings::kLocalPort, std::uint32_t{port});

    // Firefox makes its profile and writes its prefs.js when it exits.
    const fs::path profile = firefox() / "e2e.default-esr";
    ASSERT_EQ(
        RunOnPath({firefoxEsr, "--headless", "-CreateProfile", "e2e " + profile.string()}).exitCode,
        0);
    RunOnPath({"timeout", "90", firefoxEsr, "--headless", "--profile", profile.string(),
               "--screenshot", (home_.path() / "shot.png").string(), "about:blank"});
    const std::string prefsBefore = ReadFile(profile / "prefs.js");
    ASSERT_NE(prefsBefore.find("user_pref("), std::string::npos) << "Firefox wrote no prefs.js";
    const std::string userJsBefore = "// my own\nuser_pref(\"network.trr.mode\", 3);\n";
    std::ofstream(profile / "user.js") << userJsBefore;

    SpawnedProgram veilport(Built("veilport"));
    ASSERT_TRUE(veilport.started());
    ASSERT_FALSE(VisibleWindow("Veilport", 20).empty()) << "the main window did not appear";

    const auto on = ctl("on");
    ASSERT_EQ(on.exitCode, 0) << on.out << on.err;
    ASSERT_TRUE(Eventually([&] { return Accepts(port); }));
    const std::string prefsOn = ReadFile(profile / "prefs.js");
    EXPECT_NE(prefsOn.find(browsers::PortLine(port)), std::string::npos) << prefsOn;
    EXPECT_NE(prefsOn.find(browsers::SslPortLine(port)), std::string::npos) << prefsOn;
    EXPECT_NE(prefsOn.find(browsers::kTypeLine), std::string::npos) << prefsOn;
    const std::string userJsOn = ReadFile(profile / "user.js");
    EXPECT_EQ(userJsOn.rfind("// my own\n", 0), 0u) << userJsOn;
    for (const char* line :
         {"user_pref(\"network.proxy.failover_direct\", false);",
          "user_pref(\"network.proxy.allow_bypass\", false);",
          "user_pref(\"network.trr.mode\", 5);",
          "user_pref(\"media.peerconnection.ice.proxy_only_if_behind_proxy\", true);",
          "user_pref(\"media.peerconnection.ice.default_address_only\", true);",
          "user_pref(\"network.proxy.socks_remote_dns\", true);"})
        EXPECT_NE(userJsOn.find(line), std::string::npos) << line;
    const auto check = RunCommand({Built("veilportctl").string(), "anonymity", "check"});
    EXPECT_EQ(check.exitCode, 0) << check.out;

    const auto off = ctl("off");
    EXPECT_EQ(off.exitCode, 0) << off.out << off.err;
    EXPECT_EQ(ReadFile(profile / "prefs.js"), prefsBefore);
    EXPECT_EQ(ReadFile(profile / "user.js"), userJsBefore);
    EXPECT_FALSE(fs::exists(home_.veilportHome() / "switch-journal"));
}

}  // namespace
}  // namespace veilport::e2e
