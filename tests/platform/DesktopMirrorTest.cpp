#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "platform/desktop/DesktopPaths.h"
#include "platform/desktop/DesktopProxyMirror.h"
#include "platform/desktop/GnomeProxy.h"
#include "platform/desktop/KdeProxy.h"
#include "platform/desktop/RunProgram.h"
#include "platform/inet/ConnectionOptions.h"
#include "platform/desktop/InternetNotices.h"
#include "support/TempHome.h"

namespace veilport::desktop {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Sets an environment variable for the life of the object and puts the old
// value back after, so no test leaks a backend choice into the next.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

void StoreLan(std::uint32_t flags, const char* server, const char* bypass) {
    inet::PerConnOption options[3] = {{inet::PerConnOptionId::Flags, flags, nullptr},
                                      {inet::PerConnOptionId::ProxyServer, 0, server},
                                      {inet::PerConnOptionId::ProxyBypass, 0, bypass}};
    inet::PerConnOptionList list{sizeof(list), nullptr, 3, 0, options};
    ASSERT_TRUE(inet::setPerConnectionOptions(list));
}

class DesktopMirrorTest : public ::testing::Test {
protected:
    fs::path keyfile() const { return configHome() / "glib-2.0/settings/keyfile"; }
    veilport::testing::TempHome home;
    // Never the session's dconf: the keyfile backend writes inside the temp home.
    ScopedEnv backend{"GSETTINGS_BACKEND", "keyfile"};
    ScopedEnv bus{"DBUS_SESSION_BUS_ADDRESS", nullptr};
};

TEST_F(DesktopMirrorTest, GnomeGetsTheLanProxyThenWhatItHeldBefore) {
    if (!findOnPath("gsettings") || !gnomePresent()) GTEST_SKIP() << "gsettings or schema missing";
    StoreLan(3, "127.0.0.1:8080", "local");
    desktop::notifyRefresh();
    const std::string manual = Read(keyfile());
    EXPECT_NE(manual.find("[system/proxy/http]\nhost='127.0.0.1'\nport=8080"), std::string::npos)
        << manual;
    EXPECT_NE(manual.find("[system/proxy/https]\nhost='127.0.0.1'\nport=8080"), std::string::npos);
    EXPECT_NE(manual.find("[system/proxy/ftp]\nhost='127.0.0.1'\nport=8080"), std::string::npos);
    EXPECT_NE(manual.find("ignore-hosts=['localhost', '127.0.0.0/8', '::1']"), std::string::npos);
    EXPECT_NE(manual.find("mode='manual'"), std::string::npos);

    // The keyfile did not exist before the switch, so it is gone again.
    StoreLan(1, "127.0.0.1:8080", "local");
    desktop::notifyRefresh();
    EXPECT_FALSE(fs::exists(keyfile()));
}

TEST_F(DesktopMirrorTest, GnomeGetsDirectForAnUnusableServerText) {
    if (!findOnPath("gsettings") || !gnomePresent()) GTEST_SKIP() << "gsettings or schema missing";
    StoreLan(3, "1.2.3.4:80'\nmode='manual", "local");
    desktop::notifyRefresh();
    const std::string text = Read(keyfile());
    EXPECT_NE(text.find("mode='none'"), std::string::npos) << text;
    EXPECT_EQ(text.find("1.2.3.4"), std::string::npos);
}

TEST_F(DesktopMirrorTest, DconfIsOnlyUsedWhenThisHomeHasADconfDatabase) {
    ScopedEnv dconf{"GSETTINGS_BACKEND", nullptr};
    EXPECT_FALSE(gnomePresent());
}

TEST_F(DesktopMirrorTest, KdeKioslavercIsEditedKeepingItsOtherLines) {
    fs::create_directories(configHome());
    std::ofstream(kioslavercPath()) << "[Cache]\nMaxCacheSize=5120\n\n[Proxy Settings]\n"
                                       "ProxyType=0\nReversedException=false\n";
    ASSERT_TRUE(kdePresent());
    StoreLan(3, "10.1.2.3:3128->US\nProxyType=0", "local");
    desktop::notifyRefresh();
    EXPECT_EQ(Read(kioslavercPath()),
              "[Cache]\nMaxCacheSize=5120\n\n[Proxy Settings]\nProxyType=1\n"
              "ReversedException=false\nhttpProxy=http://10.1.2.3 3128\n"
              "httpsProxy=http://10.1.2.3 3128\nftpProxy=http://10.1.2.3 3128\n"
              "NoProxyFor=localhost,127.0.0.0/8,::1\n");
    StoreLan(1, "10.1.2.3:3128", "local");
    desktop::notifyRefresh();
    EXPECT_NE(Read(kioslavercPath()).find("[Proxy Settings]\nProxyType=0\n"), std::string::npos);
}

TEST_F(DesktopMirrorTest, KdeGlobalsAloneMeansKdeAndTheFileIsCreated) {
    fs::create_directories(configHome());
    std::ofstream(configHome() / "kdeglobals") << "[General]\n";
    mirrorProxyToDesktop({3, "127.0.0.1:8080", ""});
    EXPECT_EQ(Read(kioslavercPath()),
              "[Proxy Settings]\nhttpProxy=http://127.0.0.1 8080\nhttpsProxy=http://127.0.0.1 "
              "8080\nftpProxy=http://127.0.0.1 8080\nNoProxyFor=\nProxyType=1\n");
}

TEST_F(DesktopMirrorTest, EachDesktopFoundReportsWhetherItFollowed) {
    ScopedEnv dconf{"GSETTINGS_BACKEND", nullptr};
    fs::create_directories(kioslavercPath());  // a folder where the file should be
    const auto outcomes = mirrorProxyToDesktop({3, "127.0.0.1:8080", ""});
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].target, kioslavercPath().string());
    EXPECT_FALSE(outcomes[0].done);
    fs::remove(kioslavercPath());
    std::ofstream(configHome() / "kdeglobals") << "[General]\n";
    const auto again = mirrorProxyToDesktop({3, "127.0.0.1:8080", ""});
    ASSERT_EQ(again.size(), 1u);
    EXPECT_TRUE(again[0].done);
}

TEST_F(DesktopMirrorTest, NoDesktopMeansNothingIsWritten) {
    ScopedEnv dconf{"GSETTINGS_BACKEND", nullptr};
    mirrorProxyToDesktop({3, "127.0.0.1:8080", "local"});
    EXPECT_FALSE(fs::exists(kioslavercPath()));
    EXPECT_FALSE(fs::exists(keyfile()));
}

TEST(runProgram, ReportsExitStatusAndKillsWhatOutlivesTheTimeout) {
    EXPECT_EQ(runProgram({"sh", "-c", "exit 7"}, std::chrono::seconds(10)), 7);
    EXPECT_FALSE(runProgram({"no-such-program-here"}, std::chrono::seconds(10)));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(runProgram({"sleep", "30"}, std::chrono::milliseconds(100)));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

}  // namespace
}  // namespace veilport::desktop
