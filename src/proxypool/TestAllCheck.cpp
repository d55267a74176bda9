#include "proxypool/TestAllCheck.h"

#include "proxypool/ConnectTime.h"
#include "proxypool/ProxyText.h"

namespace veilport::proxypool {

std::vector<ListedProxy> TestedProxiesToCheck(const TestedProxyList& tested,
                                              std::vector<std::string>& addresses) {
    std::vector<ListedProxy> proxies;
    addresses.clear();
    for (const auto& row : tested.rows()) {
        const auto parts = SplitProxyText(row.address + "->" + row.country);
        ListedProxy proxy;
        proxy.host = parts.host;
        proxy.port = parts.port;
        proxies.push_back(std::move(proxy));
        addresses.push_back(row.address);
    }
    return proxies;
}

TestAllOutcome ApplyTestAllCheck(TestedProxyList& tested, const std::string& address,
                                 const ProxyCheck& check, StatusLine& statusLine,
                                 UserMessages& messages) {
    const int row = tested.FindTestedProxy(address);
    if (row < 0) return TestAllOutcome::Gone;
    if (check.works && check.connectMs > 0) {
        const std::uint32_t ms =
            check.judgeReachable && check.latencyMs > 0 ? check.latencyMs : check.connectMs;
        tested.setText(row, ProxyRecord::kResponseTime, QuickResponseTimeText(ms));
        tested.setText(row, ProxyRecord::kDownloadSpeed, SpeedText(check.connectMs));
        return TestAllOutcome::Updated;
    }
    tested.removeRow(row);
    const auto saved = SaveTestedProxies(tested);
    if (!saved.ok) {
        messages.showMessage(saved.message);
        return TestAllOutcome::FileError;
    }
    statusLine.setStatusText(kTestFailedProxyRemoved);
    return TestAllOutcome::Removed;
}

}  // namespace veilport::proxypool
