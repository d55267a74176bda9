#include <gtest/gtest.h>

#include <fstream>

#include "platform/registry/Registry.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsStoreReport.h"
#include "settings/SettingsTable.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

TEST(SettingsStoreReport, AUsableStoreSaysNothingAndADamagedOneNamesFileAndReason) {
    testing::TempHome home;
    registry::resetProcessStore();
    EXPECT_TRUE(SettingsStoreUsable());
    EXPECT_EQ(SettingsStoreMessage(), "");

    const auto file = home.veilportHome() / "registry.db";
    registry::resetProcessStore();
    for (const char* side : {"-wal", "-shm"}) std::filesystem::remove(file.string() + side);
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        for (int i = 0; i < 4096; ++i) out << "garbage!";
    }
    registry::resetProcessStore();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(SettingsStoreUsable());
    static_cast<void>(::testing::internal::GetCapturedStderr());
    EXPECT_EQ(SettingsStoreMessage(),
              "Veilport's settings could not be read: " + file.string() +
                  " (file is not a database). Defaults are used; nothing was overwritten.");
    DwordSetting(settings::kUseProxy).set(1);
    EXPECT_EQ(std::filesystem::file_size(file), 4096u * 8);
    registry::resetProcessStore();
}

}  // namespace
}  // namespace veilport
