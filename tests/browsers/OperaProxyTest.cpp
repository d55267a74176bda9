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

    SetOperaProxy();
    EXPECT_EQ(ReadFile(programDir() / "Opera6.ini"),
              "Opera Preferences version 2.0\r\n\r\n[User Prefs]\r\nHome URL=duckduckgo.com\r\n"
              "Language=en\r\n\r\n[proxy]\r\nHTTP server=127.0.0.1:8080\r\nUse HTTP=1\r\n");
    EXPECT_EQ(ReadFile(programDir() / "OperaDef6.ini"),
              "[Colors]\nBackground=1\n[Proxy]\nUse HTTP=1\nHTTP Server=127.0.0.1:8080\n"
              "[User Prefs]\nHome URL=duckduckgo.com\n");
    EXPECT_EQ(ReadFile(profileFile()),
              "[User Prefs]\nLanguage=en\n[Proxy]\nUse HTTP=1\nHTTP Server=127.0.0.1:8080\n");

    RestoreOperaProxy();
    EXPECT_EQ(ReadFile(profileFile()),
              "[User Prefs]\nLanguage=en\n[Proxy]\nUse HTTP=0\nHTTP Server=127.0.0.1:8080\n");
    EXPECT_NE(ReadFile(programDir() / "OperaDef6.ini").find("Use HTTP=0\nHTTP Server=127.0.0.1"),
              std::string::npos);
}

TEST_F(OperaProxyTest, WithoutAppPathsOnlyTheProfileFileIsEdited) {
    // Files named as if the program folder were empty must not be touched,
    // wherever the process happens to run.
    WriteFile(profileFile(), "");
    SetOperaProxy();
    EXPECT_EQ(ReadFile(profileFile()), "[Proxy]\nUse HTTP=1\nHTTP Server=127.0.0.1:8080\n");
    EXPECT_TRUE(testing::KeyPresent(keys::kOperaAppPaths))
        << "the key is opened with create semantics, as the system's call would";
}

TEST_F(OperaProxyTest, MissingFilesAreNotCreated) {
    RegisterProgramDir();
    fs::create_directories(programDir());
    SetOperaProxy();
    RestoreOperaProxy();
    EXPECT_TRUE(fs::is_empty(programDir()));
    EXPECT_FALSE(fs::exists(profileFile()));
}

}  // namespace
}  // namespace veilport::browsers
