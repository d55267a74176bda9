#include "app/pagekit/PoolModel.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace veilport::app {

namespace {

// Mirrors nowhere: the tested list before the status page exists.
class NoDropDown : public proxypool::TestedListMirror {
public:
    void addEntry(const std::string&) override {}
    void resetToPerformEmptyList() override {}
};

NoDropDown noDropDown;

}  // namespace

PoolModel::PoolModel(Services services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {
    tested_.setChangeListener([this] { emit changed(); });
    fresh_.setChangeListener([this] { emit changed(); });
}

PoolModel::~PoolModel() {
    tested_.setChangeListener({});
    fresh_.setChangeListener({});
}

void PoolModel::setTestedMirror(proxypool::TestedListMirror* dropDown) {
    dropDown_ = dropDown;
}

proxypool::TestedListMirror& PoolModel::testedMirror() {
    return dropDown_ != nullptr ? *dropDown_ : noDropDown;
}

proxypool::AdoptContext PoolModel::adoptContext() {
    return {tested_,        services_.tester,   services_.gateway, services_.statusLine,
            testedMirror(), services_.messages, passwords_};
}

void PoolModel::lookForLocalTor() {
    if (!torFinder_ || lookingForTor_) return;
    lookingForTor_ = true;
    using Found = std::optional<proxypool::Upstream>;
    auto* watcher = new QFutureWatcher<Found>(this);
    connect(watcher, &QFutureWatcher<Found>::finished, this, [this, watcher] {
        watcher->deleteLater();
        lookingForTor_ = false;
        const Found found = watcher->result();
        const auto same = [](const Found& a, const Found& b) {
            return a.has_value() == b.has_value() && (!a || a->text == b->text);
        };
        if (same(found, localTor_)) return;
        localTor_ = found;
        emit changed();
    });
    watcher->setFuture(QtConcurrent::run(torFinder_));
}

}  // namespace veilport::app
