#include <gtest/gtest.h>

#include <filesystem>

#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

using testing::RunCommand;
using testing::VeilportctlPath;

class RegCommandTest : public ::testing::Test {
protected:
    testing::CommandResult reg(std::vector<std::string> words) {
        words.insert(words.begin(), {VeilportctlPath(), "reg"});
        return RunCommand(words);
    }
    testing::TempHome home;
};

TEST_F(RegCommandTest, SetQueryListAndDelete) {
    auto set = reg({"set", "HKLM\\Software\\Veilport\\LocalPort", "--dword", "8181"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    auto query = reg({"query", "HKEY_LOCAL_MACHINE\\software\\veilport\\LOCALPORT"});
    ASSERT_EQ(query.exitCode, 0) << query.err;
    EXPECT_EQ(query.out, "LOCALPORT\tREG_DWORD\t8181\n");

    ASSERT_EQ(reg({"set", "HKCU\\Software\\Test\\Name", "--string", "a b\tc"}).exitCode, 0);
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Test\\Name"}).out, "Name\tREG_SZ\ta b\tc\n");
    ASSERT_EQ(reg({"set", "HKCU\\Software\\Test\\Sub\\X", "--dword", "1"}).exitCode, 0);

    auto list = reg({"list", "HKCU\\Software\\Test"});
    ASSERT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out, "Sub\\\nName\tREG_SZ\ta b\tc\n");

    EXPECT_EQ(reg({"delete-key", "HKCU\\Software\\Test"}).exitCode, 3);  // has a sub-key
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\Test\\Name"}).exitCode, 0);
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Test\\Name"}).exitCode, 1);
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\Test\\Name"}).exitCode, 1);
    EXPECT_EQ(reg({"delete-key", "HKCU\\Software\\Test\\Sub"}).exitCode, 0);
    EXPECT_EQ(reg({"list", "HKCU\\Software\\Test\\Sub"}).exitCode, 1);
}

TEST_F(RegCommandTest, BadUsageSaysWhatWasExpected) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"query"},
        {"query", "HKXX\\Software\\V"},
        {"query", "HKLM"},
        {"set", "HKLM\\Software\\V", "--dword", "12x"},
        {"set", "HKLM\\Software\\V", "--dword", "4294967296"},
        {"set", "HKLM\\Software\\V", "--qword", "1"},
        {"set", "HKLM\\Software\\V", "--string"},
        {"delete-key", "HKLM"},
    };
    for (const auto& words : bad) {
        const auto result = reg(words);
        EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(words);
        EXPECT_NE(result.err.find("veilportctl:"), std::string::npos);
        EXPECT_TRUE(result.out.empty());
    }
    const auto help = RunCommand({VeilportctlPath(), "--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* verb : {"reg query", "reg set", "reg delete", "reg delete-key", "reg list"})
        EXPECT_NE(help.out.find(verb), std::string::npos) << verb;
}

TEST_F(RegCommandTest, ChangesByAnotherProcessReachSettingsBuiltAfterThem) {
    DwordSetting(settings::kEnableJS).set(1);
    EXPECT_EQ(DwordSetting(settings::kEnableJS).get(), 1u);  // now remembered in this process
    ASSERT_EQ(reg({"set", "HKLM\\Software\\Veilport\\EnableJS", "--dword", "0"}).exitCode, 0);
    EXPECT_EQ(DwordSetting(settings::kEnableJS).get(), 0u);
    ASSERT_EQ(reg({"delete", "HKLM\\Software\\Veilport\\EnableJS"}).exitCode, 0);
    EXPECT_FALSE(DwordSetting(settings::kEnableJS).valid());
}

TEST_F(RegCommandTest, FirstRunRecordsTheInstallation) {
    ASSERT_EQ(reg({"list", "HKLM\\Software"}).exitCode, 0);
    EXPECT_EQ(StringSetting(settings::kAppPath).get(), home.veilportHome().string());
    // The start-up entry may only name a program that is there: the veilport
    // beside veilportctl, when this build has one.
    const auto beside = std::filesystem::path(VeilportctlPath()).parent_path() / "veilport";
    if (std::filesystem::exists(beside))
        EXPECT_EQ(StringSetting(settings::kAppFullPath).get(), beside.string());
    else
        EXPECT_FALSE(StringSetting(settings::kAppFullPath).valid());
}

}  // namespace
}  // namespace veilport
