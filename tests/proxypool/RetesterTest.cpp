#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "proxypool/Retester.h"
#include "support/BlackHole.h"

namespace veilport::proxypool {
namespace {

ListedProxy At(int port) {
    ListedProxy proxy;
    proxy.host = "127.0.0.1";
    proxy.port = port;
    return proxy;
}

class Passes {
public:
    void done(const std::vector<std::string>& dead) {
        std::lock_guard lock(mutex_);
        last_ = dead;
        ++count_;
        changed_.notify_all();
    }
    std::vector<std::string> waitFor(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return count_ >= count; });
        return last_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
    std::vector<std::string> last_;
};

TEST(Retester, APassMarksWhatStoppedWorkingAndLeavesTheRest) {
    ProxyHealth health;
    Passes passes;
    bool secondWorks = true;
    std::mutex flag;
    Retester::Hooks hooks;
    hooks.proxies = [] { return std::vector<ListedProxy>{At(1), At(2), At(3)}; };
    hooks.check = [&](const ListedProxy& proxy, const inet::CancelCheck&) {
        ProxyCheck check;
        std::lock_guard lock(flag);
        check.works = proxy.port == 1 || (proxy.port == 2 && secondWorks);
        return check;
    };
    hooks.minutes = [] { return 0u; };  // never on its own: only runNow
    hooks.now = [] { return std::int64_t{42}; };
    hooks.passDone = [&](const std::vector<std::string>& dead) { passes.done(dead); };
    Retester retester(health, hooks);

    retester.runNow();
    EXPECT_EQ(passes.waitFor(1), (std::vector<std::string>{"127.0.0.1:3"}));
    EXPECT_FALSE(health.isDead("127.0.0.1:2"));
    EXPECT_TRUE(health.isDead("127.0.0.1:3"));
    EXPECT_EQ(health.find("127.0.0.1:1")->checkedAt, 42);
    EXPECT_FALSE(health.isDead("10.0.0.1:80"));  // never checked is not dead

    {
        std::lock_guard lock(flag);
        secondWorks = false;
    }
    retester.runNow();
    auto dead = passes.waitFor(2);
    std::sort(dead.begin(), dead.end());
    EXPECT_EQ(dead, (std::vector<std::string>{"127.0.0.1:2", "127.0.0.1:3"}));
    EXPECT_TRUE(health.isDead("127.0.0.1:2"));
    EXPECT_EQ(retester.passes(), 2);
}

// Checks that would wait for ever end with the Retester, and a cancelled pass
// marks nothing.
TEST(Retester, EndingItCancelsAPassInFlight) {
    testing::BlackHole hole;
    JudgeConfig config;
    config.judgeUrl = "http://127.0.0.1:1/get";
    config.limits.connectTimeout = std::chrono::hours(1);
    config.limits.totalTimeout = std::chrono::hours(1);
    ProxyJudge judge(config);
    ProxyHealth health;
    std::mutex mutex;
    std::condition_variable changed;
    int entered = 0;
    {
        Retester::Hooks hooks;
        hooks.proxies = [&] { return std::vector<ListedProxy>{At(hole.port())}; };
        hooks.check = [&](const ListedProxy& proxy, const inet::CancelCheck& cancelled) {
            {
                std::lock_guard lock(mutex);
                ++entered;
            }
            changed.notify_all();
            return judge.check(proxy, cancelled);
        };
        hooks.minutes = [] { return 0u; };
        Retester retester(health, hooks);
        retester.runNow();
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered == 1; });
    }
    EXPECT_FALSE(health.find("127.0.0.1:" + std::to_string(hole.port())));
}

}  // namespace
}  // namespace veilport::proxypool
