#include "proxypool/TestAllProxies.h"

#include "proxypool/ProxyText.h"

namespace veilport::proxypool {

void MeasureTestedProxies(const std::vector<ProxyRecord>& records, const ConnectMeasure& measure,
                          const std::function<void(const ProxyTestResult&)>& onResult,
                          const std::function<bool()>& keepGoing) {
    for (const auto& record : records) {
        if (keepGoing && !keepGoing()) return;
        const auto parts = SplitProxyText(record.address + "->" + record.country);
        const std::uint32_t ms = measure ? measure(parts.host, parts.port) : 0;
        // A measurement ended by a stop says nothing about the proxy.
        if (keepGoing && !keepGoing()) return;
        onResult({record.address, ms});
    }
}

FileWriteResult ApplyTestResult(TestedProxyList& tested, const ProxyTestResult& result,
                                StatusLine& statusLine, UserMessages& messages) {
    const int row = tested.FindTestedProxy(result.address);
    if (row < 0) return {};
    if (result.ms > 0) {
        tested.setText(row, ProxyRecord::kResponseTime, QuickResponseTimeText(result.ms));
        tested.setText(row, ProxyRecord::kDownloadSpeed, SpeedText(result.ms));
        return {};
    }
    tested.removeRow(row);
    auto saved = SaveTestedProxies(tested);
    if (!saved.ok) {
        messages.showMessage(saved.message);
        return saved;
    }
    statusLine.setStatusText(kTestFailedProxyRemoved);
    return {};
}

FileWriteResult TestAllProxies(TestedProxyList& tested, const ConnectMeasure& measure,
                               StatusLine& statusLine, UserMessages& messages) {
    FileWriteResult outcome;
    bool failed = false;
    // The rows as they are now: applying a result changes the list.
    const std::vector<ProxyRecord> rows = tested.rows();
    MeasureTestedProxies(
        rows, measure,
        [&](const ProxyTestResult& result) {
            outcome = ApplyTestResult(tested, result, statusLine, messages);
            failed = !outcome.ok;
        },
        [&] { return !failed; });
    return outcome;
}

}  // namespace veilport::proxypool
