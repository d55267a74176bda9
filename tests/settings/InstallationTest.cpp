#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "settings/Installation.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

namespace fs = std::filesystem;

class InstallationTest : public ::testing::Test {
protected:
    // A folder holding a `veilport` file, executable or not.
    fs::path programDir(const std::string& name, bool executable = true) {
        const auto dir = home.path() / name;
        fs::create_directories(dir);
        std::ofstream(dir / "veilport") << "#!/bin/sh\n";
        fs::permissions(dir / "veilport", executable
                                              ? fs::perms::owner_all
                                              : fs::perms::owner_read | fs::perms::owner_write);
        return dir;
    }
    static std::string appFullPath() { return StringSetting(settings::kAppFullPath).get(); }

    testing::TempHome home;
};

TEST_F(InstallationTest, RecordsTheProgramOfThisInstallationWhereverItRuns) {
    const auto installed = programDir("usr/bin");
    const auto build = programDir("build");

    RegisterInstallation(installed);
    EXPECT_EQ(StringSetting(settings::kAppPath).get(), home.veilportHome().string());
    EXPECT_TRUE(fs::is_directory(home.veilportHome()));
    EXPECT_EQ(appFullPath(), (installed / "veilport").string());

    // The same home used by the build's program, then by the installed one again.
    RegisterInstallation(build);
    EXPECT_EQ(appFullPath(), (build / "veilport").string());
    RegisterInstallation(installed);
    EXPECT_EQ(appFullPath(), (installed / "veilport").string());
}

TEST_F(InstallationTest, NamesNoProgramThatCannotStart) {
    RegisterInstallation(home.path() / "missing");
    EXPECT_FALSE(StringSetting(settings::kAppFullPath).valid());
    RegisterInstallation(programDir("not-executable", false));
    EXPECT_FALSE(StringSetting(settings::kAppFullPath).valid());
    // AppPath does not depend on the program.
    EXPECT_EQ(StringSetting(settings::kAppPath).get(), home.veilportHome().string());
}

TEST_F(InstallationTest, KeepsPathsAPersonStored) {
    StringSetting(settings::kAppPath).set("/custom");
    StringSetting(settings::kAppFullPath).set("/opt/mine/veilport");
    RegisterInstallation(programDir("usr/bin"));
    EXPECT_EQ(StringSetting(settings::kAppPath).get(), "/custom");
    EXPECT_EQ(appFullPath(), "/opt/mine/veilport");

    // Also after the programs recorded a path once and a person replaced it.
    StringSetting(settings::kAppFullPath).set("");
    RegisterInstallation(programDir("usr/bin"));
    EXPECT_EQ(appFullPath(), (home.path() / "usr/bin/veilport").string());
    StringSetting(settings::kAppFullPath).set("/opt/mine/veilport");
    RegisterInstallation(programDir("build"));
    EXPECT_EQ(appFullPath(), "/opt/mine/veilport");
}

TEST_F(InstallationTest, AStoredAppPathDoesNotStopTheProgramBeingRecorded) {
    StringSetting(settings::kAppPath).set("/custom");
    RegisterInstallation(programDir("usr/bin"));
    EXPECT_EQ(appFullPath(), (home.path() / "usr/bin/veilport").string());
}

TEST_F(InstallationTest, APathRecordedBeforeTheMarkIsAdoptedByItsOwnProgram) {
    // What earlier programs left: AppFullPath without the record of who wrote it.
    const auto build = programDir("build");
    StringSetting(settings::kAppFullPath).set((build / "veilport").string());
    RegisterInstallation(programDir("usr/bin"));
    EXPECT_EQ(appFullPath(), (build / "veilport").string());
    RegisterInstallation(build);
    RegisterInstallation(programDir("usr/bin"));
    EXPECT_EQ(appFullPath(), (home.path() / "usr/bin/veilport").string());
}

}  // namespace
}  // namespace veilport
