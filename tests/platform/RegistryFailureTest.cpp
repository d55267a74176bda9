// A store that cannot be used must never take the program down: reads fall back
// to "not found", writes fail, and the user is told once which file is at fault.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "platform/registry/Registry.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "support/TempHome.h"

namespace veilport::registry {
namespace {

int CountLines(const std::string& text, const std::string& needle) {
    int count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

void ExpectUnusable(const std::string& file) {
    ::testing::internal::CaptureStderr();
    DwordSetting port(settings::kLocalPort);
    EXPECT_EQ(port.get(), 8080u);
    port.set(9999);
    EXPECT_FALSE(port.valid());
    KeyHandle key;
    EXPECT_EQ(openKey(Root::LocalMachine, "Software", kKeyRead, key), kFileNotFound);
    EXPECT_EQ(createKey(Root::LocalMachine, "Software\\X", kKeyWrite, key), kAccessDenied);
    EXPECT_EQ(deleteTree(Root::LocalMachine, "Software"), kAccessDenied);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountLines(err, "\n"), 1) << err;
    EXPECT_NE(err.find(file), std::string::npos) << err;
}

TEST(RegistryFailureTest, CorruptFileReadsAsDefaultsAndIsReportedOnce) {
    testing::TempHome home;
    const auto file = home.veilportHome() / "registry.db";
    {
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < 4096; ++i) out << "garbage!";
    }
    resetProcessStore();
    ExpectUnusable(file.string());
    // The damaged file is left for the user to inspect, not overwritten.
    std::ifstream in(file, std::ios::binary);
    std::string head(8, '\0');
    in.read(head.data(), 8);
    EXPECT_EQ(head, "garbage!");
}

TEST(RegistryFailureTest, DamagedPagesBehindAValidHeaderAreCaught) {
    testing::TempHome home;
    const auto file = home.veilportHome() / "registry.db";
    {
        DwordSetting port(settings::kLocalPort);
        port.set(1234);
    }
    resetProcessStore();
    {
        std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
        io.seekp(4096);  // keep the header page, ruin the tables behind it
        for (int i = 0; i < 1024; ++i) io << "rubbish!";
    }
    std::filesystem::remove(file.string() + "-wal");
    std::filesystem::remove(file.string() + "-shm");
    ExpectUnusable(file.string());
}

TEST(RegistryFailureTest, HomeThatCannotBeCreated) {
    testing::TempHome home;
    const auto blocker = home.path() / "not-a-folder";
    std::ofstream(blocker) << "a file where the home should be";
    setenv("VEILPORT_HOME", (blocker / "veilport").c_str(), 1);
    resetProcessStore();
    ExpectUnusable((blocker / "veilport").string());
}

}  // namespace
}  // namespace veilport::registry
