#pragma once

// The New list: the entries of the last fetched service list, in service order,
// each with the picture of its role, then the proxies of the user's list
// sources that the service did not list, each with its source. A list view
// shows it; every update rebuilds it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "proxypool/ListSources.h"
#include "proxypool/ServiceList.h"
#include "proxypool/SupplyList.h"

namespace veilport::proxypool {

class NewProxyList {
public:
    const std::vector<NewListRow>& rows() const { return rows_; }
    // The same rows with the proxy each one names, for checking them.
    const std::vector<SupplyRow>& supplyRows() const { return supplyRows_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }

    void clear();
    // Replaces the service's rows with those built from a service-list body.
    void rebuild(std::string_view body);
    // Replaces the rows of the user's sources (the service's stay).
    void setSupply(std::vector<SuppliedProxy> supplied);

    // Called after every change, so a view can refresh itself.
    void setChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void combine();

    std::string body_;
    std::vector<SuppliedProxy> supplied_;
    std::vector<SupplyRow> supplyRows_;
    std::vector<NewListRow> rows_;
    std::function<void()> listener_;
};

}  // namespace veilport::proxypool
