#include "app/window/BackgroundRetest.h"

#include "app/pagekit/CheckRunner.h"
#include "app/pagekit/PoolModel.h"
#include "proxypool/TestAllCheck.h"

namespace veilport::app {

BackgroundRetest::BackgroundRetest(PoolModel& pool, proxypool::Retester::Hooks hooks,
                                   QObject* parent)
    : QObject(parent), pool_(pool) {
    copyTestedList();
    connect(&pool_, &PoolModel::changed, this, &BackgroundRetest::copyTestedList);
    connect(&pool_, &PoolModel::checksStopped, this, &BackgroundRetest::stop);
    hooks.proxies = [this] {
        std::lock_guard lock(mutex_);
        return proxies_;
    };
    if (!hooks.check) hooks.check = CheckRunner::judgeChecker();
    hooks.concurrency = CheckRunner::storedConcurrency();
    hooks.passDone = [this](const std::vector<std::string>& dead) {
        const int count = static_cast<int>(dead.size());
        QMetaObject::invokeMethod(
            this,
            [this, count] {
                // The lists read the marks afresh.
                emit pool_.changed();
                emit passDone(count);
            },
            Qt::QueuedConnection);
    };
    retester_ = std::make_unique<proxypool::Retester>(pool_.health(), std::move(hooks));
}

BackgroundRetest::~BackgroundRetest() {
    stop();
}

void BackgroundRetest::stop() {
    // The retester cancels its pass and joins its thread before it goes.
    retester_.reset();
}

void BackgroundRetest::runNow() {
    if (retester_) retester_->runNow();
}

int BackgroundRetest::passes() const {
    return retester_ ? retester_->passes() : 0;
}

void BackgroundRetest::copyTestedList() {
    std::vector<std::string> addresses;
    auto proxies = proxypool::TestedProxiesToCheck(pool_.tested(), addresses);
    std::lock_guard lock(mutex_);
    proxies_ = std::move(proxies);
}

}  // namespace veilport::app
