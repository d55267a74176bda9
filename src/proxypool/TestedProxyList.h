#pragma once

// The tested list: the user's proxies that passed a test, one ProxyRecord per
// row, in insertion order (never sorted). This is the one in-memory copy; the
// Tested panel's list view shows it and MyProxies.txt stores it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "proxypool/ProxyRecord.h"

namespace veilport::proxypool {

class TestedProxyList {
public:
    int rowCount() const { return static_cast<int>(rows_.size()); }
    const ProxyRecord& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    const std::vector<ProxyRecord>& rows() const { return rows_; }

    // Inserts before index; an index past the end appends. Returns the index used.
    int insertRow(int index, ProxyRecord record);
    int appendRow(ProxyRecord record) { return insertRow(rowCount(), std::move(record)); }
    // Out-of-range indexes are ignored, as a list view ignores them.
    void removeRow(int index);
    void clear();
    // Replaces every row at once, with a single change notice.
    void replaceRows(std::vector<ProxyRecord> rows);
    void setText(int row, int column, std::string text);

    // Index of the first row whose address equals key byte for byte, or -1.
    int FindTestedProxy(std::string_view key) const;

    // Puts a tested proxy into the list: the row with that key is replaced in
    // place, otherwise a row is appended. Returns the row index used.
    int PutTestedProxy(const std::string& key, const std::string& country,
                       const std::string& responseTime, const std::string& downloadSpeed);

    // Called after every change, so a view can refresh itself from the rows.
    void setChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void changed() const {
        if (listener_) listener_();
    }

    std::vector<ProxyRecord> rows_;
    std::function<void()> listener_;
};

}  // namespace veilport::proxypool
