#include "proxypool/NewProxyList.h"

namespace veilport::proxypool {

void NewProxyList::clear() {
    body_.clear();
    combine();
}

void NewProxyList::rebuild(std::string_view body) {
    body_ = std::string(body);
    combine();
}

void NewProxyList::setSupply(std::vector<SuppliedProxy> supplied) {
    supplied_ = std::move(supplied);
    combine();
}

void NewProxyList::combine() {
    supplyRows_ = BuildSupply(body_, supplied_);
    rows_.clear();
    rows_.reserve(supplyRows_.size());
    for (const SupplyRow& row : supplyRows_)
        rows_.push_back({row.entry, row.picture,
                         row.source == kServiceSourceName ? std::string() : row.source});
    if (listener_) listener_();
}

}  // namespace veilport::proxypool
