#include "app/pagekit/PoolModel.h"

namespace veilport::app {

namespace {

// Mirrors nowhere: the tested list before the status page exists.
class NoDropDown : public proxypool::TestedDropDown {
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

void PoolModel::setTestedDropDown(proxypool::TestedDropDown* dropDown) {
    dropDown_ = dropDown;
}

proxypool::TestedDropDown& PoolModel::testedDropDown() {
    return dropDown_ != nullptr ? *dropDown_ : noDropDown;
}

proxypool::AdoptContext PoolModel::adoptContext() {
    return {tested_,          services_.tester,  services_.gateway, services_.statusLine,
            testedDropDown(), services_.messages};
}

}  // namespace veilport::app
