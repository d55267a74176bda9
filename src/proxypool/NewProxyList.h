#pragma once

// The New list: the entries of the last fetched service list, in service order,
// each with the picture of its role. A list view shows it; every update
// rebuilds it.

#include <functional>
#include <string_view>
#include <vector>

#include "proxypool/ServiceList.h"

namespace veilport::proxypool {

class NewProxyList {
public:
    const std::vector<NewListRow>& rows() const { return rows_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }

    void clear();
    // Replaces the rows with those built from a service-list body.
    void rebuild(std::string_view body);

    // Called after every change, so a view can refresh itself.
    void setChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    std::vector<NewListRow> rows_;
    std::function<void()> listener_;
};

}  // namespace veilport::proxypool
