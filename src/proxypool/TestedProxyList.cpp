#include "proxypool/TestedProxyList.h"

#include <algorithm>

namespace veilport::proxypool {

int TestedProxyList::insertRow(int index, ProxyRecord record) {
    const int at = std::clamp(index, 0, rowCount());
    rows_.insert(rows_.begin() + at, std::move(record));
    changed();
    return at;
}

void TestedProxyList::removeRow(int index) {
    if (index < 0 || index >= rowCount()) return;
    rows_.erase(rows_.begin() + index);
    changed();
}

void TestedProxyList::clear() {
    rows_.clear();
    changed();
}

void TestedProxyList::replaceRows(std::vector<ProxyRecord> rows) {
    rows_ = std::move(rows);
    changed();
}

void TestedProxyList::setText(int row, int column, std::string text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= ProxyRecord::kColumnCount) return;
    rows_[static_cast<std::size_t>(row)].column(column) = std::move(text);
    changed();
}

int TestedProxyList::FindTestedProxy(std::string_view key) const {
    for (int i = 0; i < rowCount(); ++i) {
        if (rows_[static_cast<std::size_t>(i)].address == key) return i;
    }
    return -1;
}

int TestedProxyList::PutTestedProxy(const std::string& key, const std::string& country,
                                    const std::string& responseTime,
                                    const std::string& downloadSpeed) {
    ProxyRecord record{key, country, responseTime, downloadSpeed};
    const int found = FindTestedProxy(key);
    if (found < 0) return appendRow(std::move(record));
    rows_[static_cast<std::size_t>(found)] = std::move(record);
    changed();
    return found;
}

}  // namespace veilport::proxypool
