#include <gtest/gtest.h>

#include <fstream>

#include "platform/desktop/BrowserInstallFacts.h"
#include "platform/registry/Registry.h"
#include "support/TempHome.h"

namespace veilport::desktop {
namespace {

namespace fs = std::filesystem;
using namespace registry;

std::optional<std::string> Text(std::string_view keyPath, std::string_view name) {
    KeyHandle key;
    if (openKey(Root::LocalMachine, keyPath, kKeyRead, key) != kSuccess) return std::nullopt;
    std::byte data[1024];
    ValueType type = kTypeNone;
    std::uint32_t size = sizeof(data);
    if (queryValue(key, name, &type, data, &size) != kSuccess) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(data)).substr(0, size - 1);
}

bool Present(std::string_view keyPath) {
    KeyHandle key;
    return openKey(Root::LocalMachine, keyPath, kKeyRead, key) == kSuccess;
}

constexpr std::string_view kFirefox = "Software\\Mozilla\\Mozilla Firefox";
constexpr std::string_view kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr std::string_view kOperaAppPaths =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Opera.exe";

class BrowserInstallFactsTest : public ::testing::Test {
protected:
    BrowserInstallFactsTest() {
        fs::create_directories(bin());
        fs::create_directories(userHome());
    }
    fs::path bin() const { return home.path() / "bin"; }
    fs::path userHome() const { return home.path() / "home"; }
    BrowserSearch where() const { return {bin().string(), userHome()}; }
    void Program(const fs::path& file) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "#!/bin/sh\n";
        fs::permissions(file, fs::perms::owner_all);
    }
    veilport::testing::TempHome home;
};

TEST_F(BrowserInstallFactsTest, NothingFoundWritesNothing) {
    recordBrowserInstallations(where());
    EXPECT_FALSE(Present("Software\\Mozilla"));
    EXPECT_FALSE(Present("Software\\Microsoft"));
    EXPECT_FALSE(Present("Software\\Netscape"));
}

TEST_F(BrowserInstallFactsTest, ProgramsAndProfileHomesAreRecordedAsAnInstallerWould) {
    const fs::path firefoxDir = home.path() / "opt/firefox";
    Program(firefoxDir / "firefox");
    std::ofstream(firefoxDir / "application.ini") << "[App]\nVendor=Mozilla\nVersion=115.5.0\r\n";
    fs::create_symlink(firefoxDir / "firefox", bin() / "firefox");
    Program(home.path() / "opt/opera/opera");
    fs::create_symlink(home.path() / "opt/opera/opera", bin() / "opera");
    fs::create_directories(userHome() / ".mozilla/seamonkey");
    fs::create_directories(userHome() / ".netscape");

    recordBrowserInstallations(where());
    EXPECT_EQ(Text(kFirefox, "CurrentVersion"), "115.5.0");
    EXPECT_TRUE(Present(std::string(kUninstall) + "Mozilla (1.7.1)"));
    EXPECT_EQ(Text("Software\\Netscape\\Netscape", "CurrentVersion"), "unknown");
    EXPECT_TRUE(Present(std::string(kUninstall) + "Netscape Browser"));
    EXPECT_TRUE(Present(std::string(kUninstall) + "Opera"));
    EXPECT_EQ(Text(kOperaAppPaths, "Path"), (home.path() / "opt/opera").string());
}

TEST_F(BrowserInstallFactsTest, AnEmptyAppPathsKeyIsFilledIn) {
    KeyHandle key;
    ASSERT_EQ(createKey(Root::LocalMachine, kOperaAppPaths, kKeyWrite, key), kSuccess);
    Program(bin() / "opera");
    recordBrowserInstallations(where());
    EXPECT_EQ(Text(kOperaAppPaths, "Path"), bin().string());
}

TEST_F(BrowserInstallFactsTest, FlatpakProfileHomeAloneMeansFirefox) {
    fs::create_directories(userHome() / ".var/app/org.mozilla.firefox/.mozilla/firefox");
    recordBrowserInstallations(where());
    EXPECT_EQ(Text(kFirefox, "CurrentVersion"), "unknown");
}

TEST_F(BrowserInstallFactsTest, OnlyOurOwnRecordsAreTakenBackWhenABrowserIsGone) {
    fs::create_directories(userHome() / ".mozilla/firefox");
    fs::create_directories(userHome() / ".opera");
    recordBrowserInstallations(where());
    ASSERT_TRUE(Present(kFirefox));
    // An Opera key written by someone else.
    KeyHandle foreign;
    ASSERT_EQ(createKey(Root::LocalMachine, std::string(kUninstall) + "Opera", kKeyWrite, foreign),
              kSuccess);
    ASSERT_EQ(deleteValue(foreign, "RecordedBy"), kSuccess);

    fs::remove_all(userHome() / ".mozilla");
    fs::remove_all(userHome() / ".opera");
    recordBrowserInstallations(where());
    EXPECT_FALSE(Present(kFirefox));
    EXPECT_TRUE(Present(std::string(kUninstall) + "Opera"));
}

TEST_F(BrowserInstallFactsTest, ForeignValuesAreNeverOverwritten) {
    KeyHandle key;
    ASSERT_EQ(createKey(Root::LocalMachine, kFirefox, kKeyWrite, key), kSuccess);
    const char version[] = "3.6 (en-US)";
    ASSERT_EQ(setValue(key, "CurrentVersion", kTypeSz, version, sizeof(version)), kSuccess);
    fs::create_directories(userHome() / ".mozilla/firefox");
    recordBrowserInstallations(where());
    EXPECT_EQ(Text(kFirefox, "CurrentVersion"), "3.6 (en-US)");
}

}  // namespace
}  // namespace veilport::desktop
