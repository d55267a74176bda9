#include "app/pagekit/CheckRunner.h"

#include <algorithm>

#include "settings/DwordSetting.h"

namespace veilport::app {

CheckRunner::CheckRunner(QObject* parent) : QObject(parent) {}

CheckRunner::~CheckRunner() {
    // The batch's threads post to this object until they end: end them first.
    batch_.reset();
}

bool CheckRunner::start(std::vector<proxypool::ListedProxy> proxies, Checker checker,
                        int concurrency) {
    if (running()) return false;
    const unsigned generation = ++generation_;
    cancelled_ = false;
    total_ = proxies.size();
    done_ = 0;
    working_ = 0;
    batch_ = std::make_unique<proxypool::CheckBatch>(
        std::move(proxies), std::move(checker), concurrency,
        [this, generation](std::size_t index, const proxypool::ProxyCheck& check) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, index, check] {
                    if (generation != generation_) return;
                    ++done_;
                    if (check.works) ++working_;
                    emit checked(static_cast<int>(index), check);
                },
                Qt::QueuedConnection);
        },
        [this, generation] {
            QMetaObject::invokeMethod(
                this, [this, generation] { ended(generation); }, Qt::QueuedConnection);
        });
    return true;
}

void CheckRunner::cancel() {
    if (!batch_) return;
    cancelled_ = true;
    batch_->cancel();
}

void CheckRunner::ended(unsigned generation) {
    if (generation != generation_ || !batch_) return;
    // Every worker has ended; this only joins them.
    batch_.reset();
    emit finished(cancelled_);
}

int CheckRunner::storedConcurrency() {
    const auto stored = DwordSetting(settings::kCheckConcurrency).get();
    return static_cast<int>(std::clamp<std::uint32_t>(stored, 1, 256));
}

CheckRunner::Checker CheckRunner::judgeChecker() {
    std::shared_ptr<proxypool::ProxyJudge> judge = proxypool::ProxyJudge::FromSettings();
    return [judge](const proxypool::ListedProxy& proxy, const inet::CancelCheck& cancelled) {
        return judge->check(proxy, cancelled);
    };
}

}  // namespace veilport::app
