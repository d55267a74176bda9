#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "gateway/ConnectionThreads.h"
#include "gateway/GatewayFixture.h"

namespace veilport::testing {
namespace {

using namespace std::chrono_literals;

// Jobs that stay busy until the test lets them go, so that several are
// provably running at the same time.
class HeldJobs {
public:
    ConnectionThreads::Job job() {
        return [this] {
            std::unique_lock lock(mutex_);
            ids_.insert(std::this_thread::get_id());
            ++running_;
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
            --running_;
            ++finished_;
        };
    }
    bool running(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return running_ == count; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    void reset() {
        std::lock_guard lock(mutex_);
        released_ = false;
    }
    std::size_t distinctThreads() {
        std::lock_guard lock(mutex_);
        return ids_.size();
    }
    int finished() {
        std::lock_guard lock(mutex_);
        return finished_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<std::thread::id> ids_;
    int running_ = 0;
    int finished_ = 0;
    bool released_ = false;
};

ThreadParking Parking(std::chrono::milliseconds idle, std::size_t maxParked = 256) {
    return {idle, maxParked};
}

TEST(ConnectionThreads, EachJobHasAThreadToItselfAndFinishedThreadsServeTheNext) {
    auto threads = ConnectionThreads::create(&StartDetachedThread, Parking(1h));
    HeldJobs jobs;
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(threads->run(jobs.job()));
    // Eight at once would never all be running on fewer threads.
    ASSERT_TRUE(jobs.running(8));
    EXPECT_EQ(threads->started(), 8u);
    jobs.release();
    ASSERT_TRUE(WaitFor([&] { return threads->parked() == 8; }));

    jobs.reset();
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(threads->run(jobs.job()));
    ASSERT_TRUE(jobs.running(8));
    EXPECT_EQ(threads->started(), 8u);
    EXPECT_EQ(jobs.distinctThreads(), 8u);
    jobs.release();
    EXPECT_TRUE(WaitFor([&] { return jobs.finished() == 16 && threads->parked() == 8; }));
    threads->dismiss();
    EXPECT_TRUE(WaitFor([&] { return threads->threads() == 0; }));
}

TEST(ConnectionThreads, ParkedThreadsAreBoundedAndEndWhenIdleOrDismissed) {
    auto bounded = ConnectionThreads::create(&StartDetachedThread, Parking(1h, 2));
    HeldJobs jobs;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(bounded->run(jobs.job()));
    ASSERT_TRUE(jobs.running(5));
    jobs.release();
    EXPECT_TRUE(WaitFor([&] { return bounded->threads() == 2 && bounded->parked() == 2; }));

    // Dismissed: the parked end, and a thread that serves one more job after
    // that ends with it instead of parking.
    bounded->dismiss();
    EXPECT_TRUE(WaitFor([&] { return bounded->threads() == 0; }));
    std::atomic<bool> ran{false};
    ASSERT_TRUE(bounded->run([&] { ran = true; }));
    EXPECT_TRUE(WaitFor([&] { return ran && bounded->threads() == 0; }));
    EXPECT_EQ(bounded->parked(), 0u);

    auto brief = ConnectionThreads::create(&StartDetachedThread, Parking(1ms));
    ASSERT_TRUE(brief->run([] {}));
    EXPECT_TRUE(WaitFor([&] { return brief->threads() == 0; }));
    EXPECT_EQ(brief->parked(), 0u);
}

bool NoThreads(std::function<void()>) {
    return false;
}

TEST(ConnectionThreads, WithoutAThreadTheJobIsDroppedUnrunAndWhatItHeldIsReleased) {
    auto threads = ConnectionThreads::create(&NoThreads, Parking(1h));
    auto held = std::make_shared<int>(0);
    std::weak_ptr<int> watch = held;
    bool ran = false;
    EXPECT_FALSE(threads->run([held = std::move(held), &ran] { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(threads->threads(), 0u);
    EXPECT_EQ(threads->started(), 0u);
}

class GatewayThreads : public GatewayFixture {};

TEST_F(GatewayThreads, ConnectionsOneAfterAnotherAreServedByOneThread) {
    LoopbackServer upstream(Answering("HTTP/1.0 200 OK\r\n\r\nok"));
    startGateway(upstream.port());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(fetch(get()), "HTTP/1.0 200 OK\r\n\r\nok");
        // The thread parks after the browser has its answer.
        ASSERT_TRUE(WaitFor([&] { return gateway_->connectionThreads().parked() == 1; }));
    }
    EXPECT_EQ(gateway_->connectionThreads().started(), 1u);
}

}  // namespace
}  // namespace veilport::testing
