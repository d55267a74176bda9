#include "proxypool/TestAllProxies.h"

#include "proxypool/ProxyText.h"

namespace veilport::proxypool {

FileWriteResult TestAllProxies(TestedProxyList& tested, const ConnectMeasure& measure,
                               StatusLine& statusLine, UserMessages& messages) {
    int i = 0;
    while (i < tested.rowCount()) {
        const auto& row = tested.row(i);
        const auto parts = SplitProxyText(row.address + "->" + row.country);
        const std::uint32_t ms = measure ? measure(parts.host, parts.port) : 0;
        if (ms > 0) {
            tested.setText(i, ProxyRecord::kResponseTime, QuickResponseTimeText(ms));
            tested.setText(i, ProxyRecord::kDownloadSpeed, SpeedText(ms));
            ++i;
            continue;
        }
        // The row that moves into place i is tested next.
        tested.removeRow(i);
        auto saved = SaveTestedProxies(tested);
        if (!saved.ok) {
            messages.showMessage(saved.message);
            return saved;
        }
        statusLine.setStatusText(kTestFailedProxyRemoved);
    }
    return {};
}

}  // namespace veilport::proxypool
