#pragma once

#include <array>
#include <string>
#include <string_view>

namespace veilport::proxypool {

// One row of the tested list: four texts, shown in this column order.
struct ProxyRecord {
    static constexpr int kColumnCount = 4;
    enum Column { kAddress = 0, kCountry = 1, kResponseTime = 2, kDownloadSpeed = 3 };

    std::string address;        // "ip:port"; after a test, its AddressKey
    std::string country;        // may be empty, may end in " <supports POST>"
    std::string responseTime;   // "Not Tested" after loading, else the tester's text
    std::string downloadSpeed;  // empty after loading, else "%.02f KB/sec"

    const std::string& column(int index) const;
    std::string& column(int index);

    bool operator==(const ProxyRecord&) const = default;
};

// Headings of the list view's columns.
inline constexpr std::array<std::string_view, ProxyRecord::kColumnCount> kTestedListHeadings = {
    "Proxy IP and Port", "Country", "Response Time", "Download Speed"};

inline constexpr std::string_view kNotTested = "Not Tested";

inline const std::string& ProxyRecord::column(int index) const {
    switch (index) {
        case kAddress:
            return address;
        case kCountry:
            return country;
        case kResponseTime:
            return responseTime;
        default:
            return downloadSpeed;
    }
}

inline std::string& ProxyRecord::column(int index) {
    return const_cast<std::string&>(static_cast<const ProxyRecord&>(*this).column(index));
}

}  // namespace veilport::proxypool
