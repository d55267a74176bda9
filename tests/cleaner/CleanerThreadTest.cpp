#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "cleaner/CleanerFixtures.h"
#include "cleaner/CleanerThread.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "support/TempHome.h"

namespace veilport::cleaner {
namespace {

using namespace std::chrono_literals;

// A clock the test drives: each wait is written down and lasts until the test
// lets it end (or the thread is asked to stop).
class ManualClock final : public CleanerClock {
public:
    void waitFor(std::chrono::milliseconds period, std::stop_token stop) override {
        std::unique_lock lock(mutex_);
        waits_.push_back(period);
        changed_.notify_all();
        const std::size_t mine = waits_.size();
        changed_.wait(lock, stop, [&] { return released_ >= mine; });
    }
    // Blocks until the thread has started its `count`-th wait.
    void awaitWaits(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return waits_.size() >= count; });
    }
    // Ends the wait under way.
    void release() {
        std::lock_guard lock(mutex_);
        ++released_;
        changed_.notify_all();
    }
    std::vector<std::chrono::milliseconds> waits() {
        std::lock_guard lock(mutex_);
        return waits_;
    }

private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::vector<std::chrono::milliseconds> waits_;
    std::size_t released_ = 0;
};

class CleanerThreadTest : public ::testing::Test {
protected:
    CleanerThread::Pass countingPass() {
        return [this](std::stop_token) { ++passes; };
    }
    veilport::testing::TempHome home;
    ManualClock clock;
    std::atomic<int> passes{0};
};

TEST_F(CleanerThreadTest, ChecksAtStartAndSeesChangesOnlyAfterTheCurrentWait) {
    DwordSetting(settings::kAutoClean).set(1);
    DwordSetting(settings::kSleep).set(10);
    CleanerThread thread(clock, countingPass());
    ASSERT_TRUE(thread.start());
    EXPECT_FALSE(thread.start());  // started once only

    clock.awaitWaits(1);
    EXPECT_EQ(passes, 1);
    // Changed during the wait: neither counts until the wait ends.
    DwordSetting(settings::kSleep).set(20);
    DwordSetting(settings::kAutoClean).set(0);
    EXPECT_EQ(clock.waits(), std::vector<std::chrono::milliseconds>{10min});

    clock.release();
    clock.awaitWaits(2);
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(clock.waits().back(), 20min);

    // Anything but exactly 1 only waits.
    DwordSetting(settings::kAutoClean).set(2);
    clock.release();
    clock.awaitWaits(3);
    EXPECT_EQ(passes, 1);

    DwordSetting(settings::kAutoClean).set(1);
    clock.release();
    clock.awaitWaits(4);
    EXPECT_EQ(passes, 2);
}

TEST_F(CleanerThreadTest, AnAbsentOrZeroPeriodStillWaitsAndAHugeOneIsBounded) {
    EXPECT_EQ(CleanerThread::periodFromSleep(0), 5min);
    EXPECT_EQ(CleanerThread::periodFromSleep(2), 2min);
    EXPECT_EQ(CleanerThread::periodFromSleep(31999), 31999min);
    EXPECT_EQ(CleanerThread::periodFromSleep(0xFFFFFFFF), 31999min);

    DwordSetting(settings::kAutoClean).set(1);  // Sleep never stored
    CleanerThread thread(clock, countingPass());
    ASSERT_TRUE(thread.start());
    clock.awaitWaits(1);
    EXPECT_EQ(clock.waits().front(), 5min);
    EXPECT_EQ(passes, 1);
}

TEST_F(CleanerThreadTest, DestroyingTheObjectEndsAWaitAndCutsOffAPass) {
    {
        CleanerThread thread(clock, countingPass());
        ASSERT_TRUE(thread.start());
        clock.awaitWaits(1);
    }  // would hang here if the wait ignored the stop request
    EXPECT_EQ(passes, 0);

    DwordSetting(settings::kAutoClean).set(1);
    std::atomic<bool> inPass{false};
    std::atomic<bool> sawStop{false};
    {
        CleanerThread thread(clock, [&](std::stop_token stop) {
            inPass = true;
            inPass.notify_all();
            while (!stop.stop_requested()) std::this_thread::yield();
            sawStop = true;
        });
        ASSERT_TRUE(thread.start());
        inPass.wait(false);
    }
    EXPECT_TRUE(sawStop);
    EXPECT_TRUE(clock.waits().size() == 1u);  // no wait after the cut-off pass
}

// The program's own clock: ending the cleaner must end its wait at once,
// however long the period, or the program could not exit. A clock that waited
// the period out would keep this test from ever finishing.
TEST_F(CleanerThreadTest, TheSteadyClockEndsItsWaitWhenTheCleanerEnds) {
    SteadyCleanerClock steady;
    std::stop_source stopped;
    stopped.request_stop();
    steady.waitFor(std::chrono::hours(24), stopped.get_token());  // stop before the wait

    DwordSetting(settings::kAutoClean).set(1);
    DwordSetting(settings::kSleep).set(31999);
    std::atomic<int> passes{0};
    {
        CleanerThread thread(steady, [&](std::stop_token) {
            ++passes;
            passes.notify_all();
        });
        ASSERT_TRUE(thread.start());
        passes.wait(0);
        EXPECT_TRUE(thread.isRunning());
    }  // the thread is now in, or about to enter, a wait of 31999 minutes
    EXPECT_EQ(passes.load(), 1) << "the wait ended by the stop, not by its period";
}

TEST_F(CleanerThreadTest, RealPassesOnTheThreadEmptyTheChosenFolder) {
    const auto favorites = home.veilportHome() / "shell" / "Favorites";
    testing::writeFile(favorites / "site.url", "x");
    DwordSetting(settings::kIClear[6]).set(1);
    DwordSetting(settings::kAutoClean).set(1);
    CleanerThread thread(clock, &CleanerThread::RunScheduledPass);
    ASSERT_TRUE(thread.start());
    clock.awaitWaits(1);
    EXPECT_TRUE(std::filesystem::is_empty(favorites));
    // Meanwhile this thread keeps using the same store.
    testing::writeFile(favorites / "again.url", "x");
    for (int i = 0; i < 20; ++i)
        DwordSetting(settings::kSleep).set(static_cast<std::uint32_t>(i + 2));
    clock.release();
    clock.awaitWaits(2);
    EXPECT_TRUE(std::filesystem::is_empty(favorites));
    EXPECT_EQ(clock.waits().back(), 21min);
}

}  // namespace
}  // namespace veilport::cleaner
