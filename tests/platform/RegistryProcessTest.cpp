// The store is shared by every Veilport process of the user: two writers at
// once lose nothing, and a writer killed mid-write leaves a store that opens
// with every write it had acknowledged.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

std::string TestValue(const std::string& name) {
    return std::string(settings::kProgramKey) + "\\Test\\" + name;
}

TEST(RegistryProcessTest, TwoProcessesWritingAtOnceLoseNothing) {
    testing::TempHome home;
    constexpr int kValues = 500;
    testing::ChildProcess first({testing::HelperPath("registry_writer"), "count", "A",
                                 std::to_string(kValues)});
    testing::ChildProcess second({testing::HelperPath("registry_writer"), "count", "B",
                                  std::to_string(kValues)});
    ASSERT_EQ(first.wait(), 0);
    ASSERT_EQ(second.wait(), 0);
    for (const char* prefix : {"A", "B"}) {
        for (int i = 0; i < kValues; ++i) {
            DwordSetting value(TestValue(std::string(prefix) + "_" + std::to_string(i)), 0);
            ASSERT_TRUE(value.valid()) << prefix << i;
            ASSERT_EQ(value.get(), static_cast<std::uint32_t>(i + 1));
        }
    }
}

TEST(RegistryProcessTest, KilledWriterKeepsEveryAcknowledgedWrite) {
    testing::TempHome home;
    for (int round = 0; round < 3; ++round) {
        testing::ChildProcess writer({testing::HelperPath("registry_writer"), "counter", "Count"});
        std::string line;
        long acknowledged = 0;
        // Kill at a different moment each round.
        for (int i = 0; i < 200 + round * 137 && writer.readLine(line); ++i)
            acknowledged = std::stol(line);
        ASSERT_GT(acknowledged, 0);
        writer.killAndWait(SIGKILL);

        DwordSetting count(TestValue("Count"), 0);
        ASSERT_TRUE(count.valid());
        // Writes acknowledged after the ones read may have landed too.
        EXPECT_GE(count.get(), static_cast<std::uint32_t>(acknowledged));
        // A later writer starts over from 1 and must be able to write.
        DwordSetting reset(TestValue("Count"), 0);
        reset.set(0);
        reset.write();
        ASSERT_TRUE(reset.valid());
    }
}

}  // namespace
}  // namespace veilport
