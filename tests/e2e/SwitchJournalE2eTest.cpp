// What switching to the Gateway and back leaves behind when the user had a
// proxy of their own: a company proxy in GNOME's settings (keyfile backend) and
// in a Firefox profile. Switching off, and the reset after a switched program
// was killed, must give every file back byte for byte.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/desktop/RunProgram.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace {

namespace fs = std::filesystem;
using veilport::testing::ChildProcess;
using veilport::testing::RunCommand;

// A keyfile as GNOME's own settings writes it for a manual company proxy.
const std::string kKeyfile =
    "[system/proxy]\nmode='manual'\nignore-hosts=['localhost', 'intranet.corp.example']\n\n"
    "[system/proxy/http]\nhost='proxy.corp.example'\nport=3128\n\n"
    "[org/gnome/desktop/interface]\nclock-show-seconds=true\n";

const std::string kPrefs =
    "// Mozilla User Preferences\r\n\r\n"
    "user_pref(\"browser.startup.homepage\", \"https://intranet.corp.example/\");\r\n"
    "user_pref(\"network.proxy.http\", \"proxy.corp.example\");\r\n"
    "user_pref(\"network.proxy.http_port\", 3128);\r\n"
    "user_pref(\"network.proxy.share_proxy_settings\", true);\r\n"
    "user_pref(\"network.proxy.type\", 1);\r\n"
    "user_pref(\"network.trr.mode\", 2);\r\n";

const std::string kUserJs = "// my own tweaks\nuser_pref(\"network.trr.mode\", 3);\n";

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

class SwitchJournalE2e : public ::testing::Test {
protected:
    void SetUp() override {
        if (getenv("VEILPORTCTL") == nullptr) GTEST_SKIP() << "VEILPORTCTL not set";
        if (!veilport::desktop::findOnPath("gsettings"))
            GTEST_SKIP() << "gsettings is not installed (scripts/install-deps installs it)";
        if (const char* old = getenv("GSETTINGS_BACKEND")) oldBackend_ = old;
        setenv("GSETTINGS_BACKEND", "keyfile", 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        Write(keyfile(), kKeyfile);
        Write(prefs(), kPrefs);
        Write(prefs().parent_path() / "user.js", kUserJs);
        ASSERT_EQ(Ctl({"reg", "set", "HKLM\\Software\\Veilport\\FireFox", "--dword", "1"}), 0);
        ASSERT_EQ(Ctl({"reg", "set", "HKLM\\Software\\Veilport\\LocalPort", "--dword", "9191"}), 0);
    }
    void TearDown() override {
        if (oldBackend_)
            setenv("GSETTINGS_BACKEND", oldBackend_->c_str(), 1);
        else
            unsetenv("GSETTINGS_BACKEND");
    }

    static int Ctl(std::vector<std::string> words) {
        words.insert(words.begin(), getenv("VEILPORTCTL"));
        return RunCommand(words).exitCode;
    }
    void ExpectEverythingAsBefore() {
        EXPECT_EQ(Read(keyfile()), kKeyfile);
        EXPECT_EQ(Read(prefs()), kPrefs);
        EXPECT_EQ(Read(prefs().parent_path() / "user.js"), kUserJs);
        EXPECT_FALSE(fs::exists(home.veilportHome() / "switch-journal"));
    }
    void ExpectSwitched() {
        const std::string keys = Read(keyfile());
        EXPECT_NE(keys.find("host='127.0.0.1'\nport=9191"), std::string::npos) << keys;
        const std::string switched = Read(prefs());
        EXPECT_NE(switched.find("user_pref(\"network.proxy.http_port\", 9191);"), std::string::npos)
            << switched;
        const std::string userJs = Read(prefs().parent_path() / "user.js");
        EXPECT_EQ(userJs.rfind("// my own tweaks\n", 0), 0u) << userJs;
        EXPECT_NE(userJs.find("user_pref(\"network.trr.mode\", 5);"), std::string::npos) << userJs;
    }

    fs::path keyfile() const { return home.path() / "home/.config/glib-2.0/settings/keyfile"; }
    fs::path prefs() const { return home.path() / "home/.mozilla/firefox/x1y2z3.corp/prefs.js"; }

    veilport::testing::TempHome home;
    std::optional<std::string> oldBackend_;
};

TEST_F(SwitchJournalE2e, OnAndOffGivesEveryFileBackByteForByte) {
    ASSERT_EQ(Ctl({"proxy", "set", "127.0.0.1:9191"}), 0);
    ExpectSwitched();
    ASSERT_EQ(Ctl({"proxy", "clear"}), 0);
    ExpectEverythingAsBefore();
}

TEST_F(SwitchJournalE2e, AProgramKilledWhileSwitchedIsUndoneByTheNextStart) {
    {
        ChildProcess switched({veilport::testing::HelperPath("switch_on_then_wait")});
        std::string line;
        ASSERT_TRUE(switched.readLine(line));
        ASSERT_EQ(line, "switched");
        const int status = switched.killAndWait(SIGKILL);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
    ExpectSwitched();
    // With no Veilport running, this is the reset the next start makes.
    ASSERT_EQ(Ctl({"anonymity", "off"}), 0);
    ExpectEverythingAsBefore();
}

// The user points GNOME elsewhere while anonymity is on: that choice stays,
// and the way back says so instead of overwriting it.
TEST_F(SwitchJournalE2e, ASettingTheUserChangedMeanwhileIsLeftAndReported) {
    ASSERT_EQ(Ctl({"proxy", "set", "127.0.0.1:9191"}), 0);
    ASSERT_EQ(RunCommand({veilport::desktop::findOnPath("gsettings")->string(), "set",
                          "org.gnome.system.proxy.http", "host", "'other.corp.example'"})
                  .exitCode,
              0);
    const auto cleared = RunCommand({getenv("VEILPORTCTL"), "proxy", "clear"});
    EXPECT_EQ(cleared.exitCode, 3);
    EXPECT_NE(cleared.err.find("org.gnome.system.proxy.http host"), std::string::npos)
        << cleared.err;
    const std::string keys = Read(keyfile());
    EXPECT_NE(keys.find("host='other.corp.example'"), std::string::npos) << keys;
    EXPECT_NE(keys.find("mode='manual'"), std::string::npos) << keys;
    EXPECT_NE(keys.find("port=3128"), std::string::npos) << "the rest went back: " << keys;
    EXPECT_EQ(Read(prefs()), kPrefs);
}

}  // namespace
