#include <gtest/gtest.h>

#include "browsers/BrowserKeys.h"
#include "browsers/BrowserTestUtil.h"
#include "browsers/OperaProxy.h"
#include "support/TempHome.h"

namespace veilport::browsers {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

class OperaProxyTest : public ::testing::Test {
protected:
    fs::path programDir() const { return home.path() / "opt/opera"; }
    fs::path profileFile() const { return home.path() / "home/.opera/opera6.ini"; }
    void RegisterProgramDir() {
        testing::StoreText(std::string(keys::kOperaAppPaths) + "\\Path", programDir().string());
    }
    veilport::testing::TempHome home;
};

TEST_F(OperaProxyTest, AllThreeFilesAreEditedInPlaceAndOnlyProgramFilesGetHomeUrl) {
    RegisterProgramDir();
    const std::string program =
        "Opera Preferences version 2.0\r\n\r\n[User Prefs]\r\nHome URL=http://old/\r\n"
        "Language=en\r\n\r\n[proxy]\r\nHTTP server=10.0.0.1:80\r\nUse HTTP=0\r\n";
    WriteFile(programDir() / "Opera6.ini", program);
    WriteFile(programDir() / "OperaDef6.ini", "[Colors]\nBackground=1\n");
    WriteFile(profileFile(), "[User Prefs]\nLanguage=en\n");

    SetOperaProxy(9191);
    EXPECT_EQ(ReadFile(programDir() / "Opera6.ini"),
              "Opera Preferences version 2.0\r\n\r\n[User Prefs]\r\nHome URL=duckduckgo.com\r\n"
              "Language=en\r\n\r\n[proxy]\r\nHTTP server=127.0.0.1:9191\r\nUse HTTP=1\r\n");
    EXPECT_EQ(ReadFile(programDir() / "OperaDef6.ini"),
              "[Colors]\nBackground=1\n[Proxy]\nUse HTTP=1\nHTTP Server=127.0.0.1:9191\n"
              "[User Prefs]\nHome URL=duckduckgo.com\n");
    EXPECT_EQ(ReadFile(profileFile()),
              "[User Prefs]\nLanguage=en\n[Proxy]\nUse HTTP=1\nHTTP Server=127.0.0.1:9191\n");

    // The journal gives each file back as it was, the user's own proxy included.
    RestoreOperaProxy();
    EXPECT_EQ(ReadFile(programDir() / "Opera6.ini"), program);
    EXPECT_EQ(ReadFile(programDir() / "OperaDef6.ini"), "[Colors]\nBackground=1\n");
    EXPECT_EQ(ReadFile(profileFile()), "[User Prefs]\nLanguage=en\n");
}

TEST_F(OperaProxyTest, WithoutAJournalRestoreOnlySwitchesTheProxyOff) {
    WriteFile(profileFile(), "[Proxy]\nUse HTTP=1\nHTTP Server=127.0.0.1:8080\n");
    RestoreOperaProxy();
    EXPECT_EQ(ReadFile(profileFile()), "[Proxy]\nUse HTTP=0\nHTTP Server=127.0.0.1:8080\n");
}

TEST_F(OperaProxyTest, AFileTheUserChangedSinceIsLeftAloneAndReported) {
    WriteFile(profileFile(), "[User Prefs]\nLanguage=en\n");
    ASSERT_TRUE(SetOperaProxy(8080).allDone());
    WriteFile(profileFile(), "[Proxy]\nUse HTTP=1\nHTTP Server=proxy.corp:3128\n");
    const auto report = RestoreOperaProxy();
    EXPECT_EQ(ReadFile(profileFile()), "[Proxy]\nUse HTTP=1\nHTTP Server=proxy.corp:3128\n");
    ASSERT_EQ(report.failures().size(), 1u);
    EXPECT_NE(report.failures()[0].reason.find("changed since"), std::string::npos);
}

TEST_F(OperaProxyTest, WithoutAppPathsOnlyTheProfileFileIsEdited) {
    // Files named as if the program folder were empty must not be touched,
    // wherever the process happens to run.
    WriteFile(profileFile(), "");
    SetOperaProxy(8080);
    EXPECT_EQ(ReadFile(profileFile()), "[Proxy]\nUse HTTP=1\nHTTP Server=127.0.0.1:8080\n");
    EXPECT_TRUE(testing::KeyPresent(keys::kOperaAppPaths))
        << "the key is opened with create semantics, as the system's call would";
}

TEST_F(OperaProxyTest, MissingFilesAreNotCreated) {
    RegisterProgramDir();
    fs::create_directories(programDir());
    SetOperaProxy(8080);
    RestoreOperaProxy();
    EXPECT_TRUE(fs::is_empty(programDir()));
    EXPECT_FALSE(fs::exists(profileFile()));
}

}  // namespace
}  // namespace veilport::browsers
