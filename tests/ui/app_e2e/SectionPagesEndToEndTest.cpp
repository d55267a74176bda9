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

#include "gateway/LoopbackPeers.h"
#include "helpers/SpawnedProgram.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

namespace fs = std::filesystem;
using testing::RunCommand;
using testing::SpawnedProgram;

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

// RunCommand executes a path; env looks the program up on PATH.
testing::CommandResult RunOnPath(std::vector<std::string> argv) {
    argv.insert(argv.begin(), "/usr/bin/env");
    return RunCommand(argv);
}

bool onPath(const std::string& program) {
    return RunCommand({"/bin/sh", "-c", "command -v " + program}).exitCode == 0;
}

std::uint16_t FreePort() {
    auto probe = net::listenTcp(testing::Loopback(), 0, 1);
    return probe.ok() ? net::localPort(probe.value.get()).value : 0;
}

bool Accepts(std::uint16_t port) {
    return net::connectTcp(testing::Loopback(), port).ok();
}

template <typename Condition>
bool WaitFor(Condition condition, int tenths = 150) {
    for (int i = 0; i < tenths; ++i) {
        if (condition()) return true;
        ::usleep(100'000);
    }
    return condition();
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class SectionPagesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "tinyproxy", "curl"})
            if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
        const fs::path displayFile = home_.path() / "display";
        xvfb_.emplace("/bin/sh",
                      std::vector<std::string>{"-c",
                                               "exec Xvfb -displayfd 3 -screen 0 1280x800x24 "
                                               "-nolisten tcp 3>'" +
                                                   displayFile.string() + "' 2>/dev/null"});
        std::string display;
        for (int i = 0; i < 200 && display.empty(); ++i) {
            std::ifstream(displayFile) >> display;
            if (display.empty()) ::usleep(50'000);
        }
        ASSERT_FALSE(display.empty()) << "Xvfb did not start";
        ::setenv("DISPLAY", (":" + display).c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    void TearDown() override {
        ::unsetenv("DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
    }

    void click(int x, int y) {
        RunOnPath({"xdotool", "mousemove", "--window", window_, std::to_string(x),
                   std::to_string(y), "click", "1"});
    }
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
    std::optional<SpawnedProgram> xvfb_;
    std::string window_;
};

TEST_F(SectionPagesEndToEnd, BlockJavaScriptAndFirefoxClickedInTheRealWindow) {
    // The origin, the upstream proxy and the Gateway, all on loopback.
    testing::LoopbackServer origin([](int fd) {
        char buffer[4096];
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
            const auto got = net::receiveSome(fd, buffer, sizeof buffer);
            if (!got.ok() || got.value == 0) return;
            request.append(buffer, got.value);
        }
        const std::string answer =
            "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
            std::to_string(kPage.size()) + "\r\nConnection: close\r\n\r\n" + kPage;
        (void)net::sendAll(fd, answer.data(), answer.size());
    });
    const std::uint16_t upstreamPort = FreePort();
    const fs::path config = home_.path() / "tinyproxy.conf";
    std::ofstream(config) << "Port " << upstreamPort
                          << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 8\nLogLevel Error\n"
                          << "Allow 127.0.0.1\n";
    SpawnedProgram tinyproxy("/bin/sh", {"-c", "exec tinyproxy -d -c '" + config.string() + "'"});
    ASSERT_TRUE(WaitFor([&] { return Accepts(upstreamPort); })) << "tinyproxy did not start";
    const std::uint16_t gatewayPort = FreePort();
    SpawnedProgram gateway(fs::path(VEILPORT_BUILD_DIR) / "veilportctl",
                           {"gateway", "--port", std::to_string(gatewayPort), "--upstream",
                            "127.0.0.1:" + std::to_string(upstreamPort)});
    ASSERT_TRUE(WaitFor([&] { return Accepts(gatewayPort); })) << "the Gateway did not start";
    const std::string plain = fetchThroughGateway(gatewayPort, origin.port());
    ASSERT_NE(plain.find("<SCRIPT>"), std::string::npos) << plain;

    // A Firefox profile, so the program finds Firefox installed.
    const fs::path prefs = home_.path() / "home/.mozilla/firefox/e2e.default/prefs.js";
    fs::create_directories(prefs.parent_path());
    std::ofstream(prefs) << "user_pref(\"browser.startup.page\", 1);\n";

    SpawnedProgram veilport(fs::path(VEILPORT_BUILD_DIR) / "veilport");
    ASSERT_TRUE(veilport.started());
    window_ = RunOnPath({"timeout", "20", "xdotool", "search", "--sync", "--onlyvisible", "--name",
                         "^Veilport$"})
                  .out;
    window_ = window_.substr(0, window_.find('\n'));
    ASSERT_FALSE(window_.empty()) << "the main window did not appear";

    // Privacy section, invasive-code page: tick "Block Java Script", save.
    showPage(3, 0);
    click(PageX(24) + 8, PageY(96) + 9);
    click(PageX(234), PageY(197));
    ASSERT_TRUE(WaitFor([] { return DwordSetting(settings::kEnableJS).get() == 1; }))
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
    ASSERT_TRUE(WaitFor([] { return DwordSetting(settings::kBrowserFireFox).get() == 1; }))
        << "the Firefox tick was not stored";
    // The profile was pointed at the Gateway's host; what the anonymity step
    // after the apply leaves of the port and type lines is the status page's.
    EXPECT_TRUE(WaitFor([&] {
        return ReadFile(prefs).find("user_pref(\"network.proxy.http\", \"127.0.0.1\");") !=
               std::string::npos;
    })) << ReadFile(prefs);
}

}  // namespace
}  // namespace veilport
