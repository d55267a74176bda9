#include <gtest/gtest.h>

#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <deque>
#include <vector>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "gateway/ConnectionThreads.h"
#include "gateway/GatewayFixture.h"

namespace veilport::testing {
namespace {

using namespace std::chrono_literals;

// Connections that stay in service until the test lets them go, so that
// several are provably served at the same time.
class HeldConnections : public ConnectionSource {
public:
    explicit HeldConnections(std::chrono::milliseconds idle) : idle_(idle) {}

    // A connection for the threads; the test keeps the other end.
    net::UniqueFd arrive() {
        int ends[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        std::lock_guard lock(mutex_);
        queue_.emplace_back(ends[0]);
        changed_.notify_all();
        return net::UniqueFd(ends[1]);
    }
    void stop() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }
    bool serving(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return serving_ == count; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    void hold() {
        std::lock_guard lock(mutex_);
        released_ = false;
    }
    std::size_t distinctThreads() {
        std::lock_guard lock(mutex_);
        return ids_.size();
    }
    int served() {
        std::lock_guard lock(mutex_);
        return served_;
    }

    // Blocks as an accept does, and times out as one on a socket with the
    // threads' idle time does.
    net::Result<net::UniqueFd> next() override {
        std::unique_lock lock(mutex_);
        const auto ready = [this] { return stopped_ || !queue_.empty(); };
        if (idle_.count() > 0) {
            if (!changed_.wait_for(lock, idle_, ready))
                return net::Result<net::UniqueFd>::failure(EAGAIN);
        } else {
            changed_.wait(lock, ready);
        }
        if (stopped_) return net::Result<net::UniqueFd>::failure(EINVAL);
        net::UniqueFd next = std::move(queue_.front());
        queue_.pop_front();
        return {std::move(next), 0};
    }
    bool stopped() const override {
        std::lock_guard lock(mutex_);
        return stopped_;
    }
    void pauseAfterFailure() override {}
    void serve(net::UniqueFd) override {
        std::unique_lock lock(mutex_);
        ids_.insert(std::this_thread::get_id());
        ++serving_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_ || stopped_; });
        --serving_;
        ++served_;
    }

private:
    const std::chrono::milliseconds idle_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<net::UniqueFd> queue_;
    std::set<std::thread::id> ids_;
    int serving_ = 0;
    int served_ = 0;
    bool released_ = false;
    bool stopped_ = false;
};

ThreadParking Parking(std::chrono::milliseconds idle, std::size_t maxParked = 256) {
    return {idle, maxParked};
}

// The first thread at the source, as the Gateway's listener thread is.
void StartAccepting(const std::shared_ptr<ConnectionThreads>& threads,
                    const std::shared_ptr<HeldConnections>& source) {
    ASSERT_TRUE(StartDetachedThread([threads, source] { threads->acceptFrom(source); }));
    ASSERT_TRUE(WaitFor([&] { return threads->parked() == 1; }));
}

TEST(ConnectionThreads, EachConnectionHasAThreadToItselfAndFinishedThreadsServeTheNext) {
    auto threads = ConnectionThreads::create(&StartDetachedThread, Parking(1h));
    auto source = std::make_shared<HeldConnections>(1h);
    StartAccepting(threads, source);
    std::vector<net::UniqueFd> browsers;
    for (int i = 0; i < 8; ++i) browsers.push_back(source->arrive());
    // Eight at once would never all be in service on fewer threads, and one
    // more waits for the next connection meanwhile.
    ASSERT_TRUE(source->serving(8));
    EXPECT_TRUE(WaitFor([&] { return threads->parked() == 1 && threads->threads() == 9; }));
    EXPECT_EQ(threads->started(), 8u);
    source->release();
    ASSERT_TRUE(WaitFor([&] { return threads->parked() == 9; }));

    source->hold();
    for (int i = 0; i < 8; ++i) browsers.push_back(source->arrive());
    ASSERT_TRUE(source->serving(8));
    EXPECT_EQ(threads->started(), 8u);
    EXPECT_LE(source->distinctThreads(), 9u);
    source->release();
    EXPECT_TRUE(WaitFor([&] { return source->served() == 16 && threads->parked() == 9; }));
    source->stop();
    EXPECT_TRUE(WaitFor([&] { return threads->threads() == 0; }));
}

TEST(ConnectionThreads, ParkedThreadsAreBoundedAndEndWhenIdleButOneAlwaysWaits) {
    auto bounded = ConnectionThreads::create(&StartDetachedThread, Parking(1h, 2));
    auto source = std::make_shared<HeldConnections>(1h);
    StartAccepting(bounded, source);
    std::vector<net::UniqueFd> browsers;
    for (int i = 0; i < 5; ++i) browsers.push_back(source->arrive());
    ASSERT_TRUE(source->serving(5));
    source->release();
    EXPECT_TRUE(WaitFor([&] { return bounded->threads() == 2 && bounded->parked() == 2; }));
    source->stop();
    EXPECT_TRUE(WaitFor([&] { return bounded->threads() == 0; }));

    // Idle threads end until one is left, and that one still serves.
    auto brief = ConnectionThreads::create(&StartDetachedThread, Parking(20ms));
    auto quiet = std::make_shared<HeldConnections>(20ms);
    StartAccepting(brief, quiet);
    for (int i = 0; i < 4; ++i) browsers.push_back(quiet->arrive());
    ASSERT_TRUE(quiet->serving(4));
    quiet->release();
    EXPECT_TRUE(WaitFor([&] { return quiet->served() == 4 && brief->threads() == 1; }));
    browsers.push_back(quiet->arrive());
    EXPECT_TRUE(WaitFor([&] { return quiet->served() == 5 && brief->parked() >= 1; }));
    quiet->stop();
    EXPECT_TRUE(WaitFor([&] { return brief->threads() == 0; }));
}

bool NoThreads(std::function<void()>) {
    return false;
}

TEST(ConnectionThreads, WithoutASpareTheConnectionIsRefusedAndAcceptingGoesOn) {
    auto threads = ConnectionThreads::create(&NoThreads, Parking(1h));
    auto source = std::make_shared<HeldConnections>(1h);
    std::thread listener([&] { threads->acceptFrom(source); });
    for (int i = 0; i < 3; ++i) {
        // Refused: closed at once, never served.
        net::UniqueFd browser = source->arrive();
        char byte;
        EXPECT_EQ(::recv(browser.get(), &byte, 1, 0), 0);
    }
    EXPECT_EQ(source->served(), 0);
    EXPECT_TRUE(WaitFor([&] { return threads->parked() == 1; }));
    EXPECT_EQ(threads->started(), 0u);
    source->stop();
    listener.join();
    EXPECT_EQ(threads->threads(), 0u);
}

class GatewayThreads : public GatewayFixture {};

TEST_F(GatewayThreads, ConnectionsOneAfterAnotherAreServedByTheSameTwoThreads) {
    LoopbackServer upstream(Answering("HTTP/1.0 200 OK\r\n\r\nok"));
    startGateway(upstream.port());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(fetch(get()), "HTTP/1.0 200 OK\r\n\r\nok");
        // The thread parks after the browser has its answer, beside the one
        // that waited meanwhile.
        ASSERT_TRUE(WaitFor([&] { return gateway_->connectionThreads().parked() == 2; }));
    }
    // The listener's thread and one spare serve them all.
    EXPECT_EQ(gateway_->connectionThreads().started(), 1u);
}

}  // namespace
}  // namespace veilport::testing
