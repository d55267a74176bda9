#pragma once

#include <QObject>
#include <memory>
#include <mutex>
#include <vector>

#include "proxypool/ListedProxy.h"
#include "proxypool/Retester.h"

namespace veilport::app {

class PoolModel;

// The program's background re-test of the tested list: every RetestMinutes
// (0: never) each proxy is checked again with the judge, and one that stopped
// working is marked dead in the pool's health, which the lists show. The
// tested list is read on the window thread and handed over as a copy; the
// pass's end is announced on the window thread as a change of the pool.
// PoolModel::stopChecks ends a pass in flight and the re-tests with it.
class BackgroundRetest : public QObject {
    Q_OBJECT

public:
    // check empty: the judge the settings name.
    BackgroundRetest(PoolModel& pool, proxypool::Retester::Hooks hooks, QObject* parent = nullptr);
    ~BackgroundRetest() override;

    // A pass now, as at the end of a period.
    void runNow();
    int passes() const;
    bool stopped() const { return retester_ == nullptr; }

signals:
    void passDone(int dead);

private:
    void copyTestedList();
    void stop();

    PoolModel& pool_;
    mutable std::mutex mutex_;
    std::vector<proxypool::ListedProxy> proxies_;
    std::unique_ptr<proxypool::Retester> retester_;
};

}  // namespace veilport::app
