#pragma once

#include <QObject>
#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

#include "proxypool/CheckBatch.h"

namespace veilport::app {

// A batch of proxy checks for a window: the checks run on the batch's own
// threads, and each result, the progress and the end arrive as signals on the
// window thread. One batch at a time; cancel() ends it within about a second,
// and the runner's end cancels and waits, so no check outlives it.
class CheckRunner : public QObject {
    Q_OBJECT

public:
    using Checker = proxypool::CheckBatch::Checker;

    explicit CheckRunner(QObject* parent = nullptr);
    ~CheckRunner() override;

    // False (and nothing started) while a batch runs.
    bool start(std::vector<proxypool::ListedProxy> proxies, Checker checker, int concurrency);
    void cancel();
    bool running() const { return batch_ != nullptr; }

    std::size_t total() const { return total_; }
    std::size_t done() const { return done_; }
    std::size_t working() const { return working_; }

    // The concurrency the settings ask for (CheckConcurrency, at least 1).
    static int storedConcurrency();
    // A checker over the judge the settings name, made once for the batch.
    static Checker judgeChecker();

signals:
    // One proxy's result: index into the list given to start().
    void checked(int index, const veilport::proxypool::ProxyCheck& check);
    // The batch ended: every proxy checked, or cancelled.
    void finished(bool cancelled);

private:
    void ended(unsigned generation);

    std::unique_ptr<proxypool::CheckBatch> batch_;
    unsigned generation_ = 0;
    bool cancelled_ = false;
    std::size_t total_ = 0;
    std::size_t done_ = 0;
    std::size_t working_ = 0;
};

}  // namespace veilport::app
