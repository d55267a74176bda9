#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/registry/Registry.h"
#include "platform/shell/ShellFolders.h"
#include "support/TempHome.h"

namespace veilport::shell {
namespace {

using registry::Root;

void store(Root root, const char* key, const char* name, const std::string& text,
           registry::ValueType type = registry::kTypeSz) {
    registry::KeyHandle handle;
    ASSERT_EQ(registry::createKey(root, key, registry::kKeyWrite, handle), registry::kSuccess);
    ASSERT_EQ(registry::setValue(handle, name, type, text.c_str(),
                                 static_cast<std::uint32_t>(text.size() + 1)),
              registry::kSuccess);
}

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

TEST(ShellFolders, DefaultsLieUnderTheVeilportHomeAndRegistryValuesMoveThem) {
    veilport::testing::TempHome home;
    const auto shell = home.veilportHome() / "shell";
    FolderLocation where;
    ASSERT_TRUE(getSpecialFolderPath(SpecialFolder::InternetCache, where));
    EXPECT_EQ(where.path, shell / "Temporary Internet Files");
    EXPECT_FALSE(where.overridden);
    ASSERT_TRUE(getTempPath(where));
    EXPECT_EQ(where.path.string(), (shell / "Temp").string() + "/");
    ASSERT_TRUE(getWindowsDirectory(where));
    EXPECT_EQ(where.path, shell / "Windows");

    store(Root::CurrentUser, kShellFolders, "Favorites", "%HOME%/Bookmarks",
          registry::kTypeExpandSz);
    store(Root::CurrentUser, kShellFolders, "History", "%HOME%/plain");  // REG_SZ: not expanded
    store(Root::CurrentUser, "Environment", "TEMP", "/var/tmp/x");
    store(Root::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "");
    ASSERT_TRUE(getSpecialFolderPath(SpecialFolder::Favorites, where));
    EXPECT_EQ(where.path, home.path() / "home" / "Bookmarks");
    EXPECT_TRUE(where.overridden);
    ASSERT_TRUE(getSpecialFolderPath(SpecialFolder::History, where));
    EXPECT_EQ(where.path, "%HOME%/plain");
    ASSERT_TRUE(getTempPath(where));
    EXPECT_EQ(where.path, "/var/tmp/x/");
    ASSERT_TRUE(getWindowsDirectory(where));  // empty is reported, for the caller to refuse
    EXPECT_TRUE(where.path.empty());
    EXPECT_TRUE(where.overridden);

    registry::KeyHandle handle;
    ASSERT_EQ(registry::openKey(Root::CurrentUser, kShellFolders, registry::kKeyWrite, handle),
              registry::kSuccess);
    const std::uint32_t number = 7;
    ASSERT_EQ(registry::setValue(handle, "Cookies", registry::kTypeDword, &number, 4),
              registry::kSuccess);
    EXPECT_FALSE(getSpecialFolderPath(SpecialFolder::Cookies, where));
}

TEST(ShellFolders, ExpandsKnownNamesAndKeepsEverythingElse) {
    setenv("VEILPORT_TEST_A", "alpha", 1);
    unsetenv("VEILPORT_TEST_MISSING");
    EXPECT_EQ(expandEnvironmentStrings("%VEILPORT_TEST_A%/x"), "alpha/x");
    EXPECT_EQ(expandEnvironmentStrings("a%VEILPORT_TEST_A%%VEILPORT_TEST_A%b"), "aalphaalphab");
    EXPECT_EQ(expandEnvironmentStrings("%VEILPORT_TEST_MISSING%"), "%VEILPORT_TEST_MISSING%");
    EXPECT_EQ(expandEnvironmentStrings("100%"), "100%");
    EXPECT_EQ(expandEnvironmentStrings("%%"), "%%");
    EXPECT_EQ(expandEnvironmentStrings("50% off %VEILPORT_TEST_A%"), "50% off alpha");
    EXPECT_EQ(expandEnvironmentStrings("%VEILPORT_TEST_MISSING%VEILPORT_TEST_A%"),
              "%VEILPORT_TEST_MISSINGalpha");
}

}  // namespace
}  // namespace veilport::shell
