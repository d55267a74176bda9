#include "cli/ProxyCheckPrint.h"

#include <ostream>

#include "proxypool/CheckRows.h"
#include "proxypool/ListSourceParser.h"
#include "proxypool/ProxyText.h"

namespace veilport::cli {

proxypool::ListedProxy ProxyFromText(std::string_view text) {
    auto extracted = proxypool::ExtractProxies(text);
    if (extracted.proxies.size() == 1) return std::move(extracted.proxies.front());
    const auto parts = proxypool::SplitProxyText(std::string(text));
    proxypool::ListedProxy proxy;
    proxy.host = parts.host;
    proxy.port = parts.port;
    return proxy;
}

void PrintCheckLine(std::ostream& out, const proxypool::ListedProxy& proxy,
                    const proxypool::ProxyCheck& check) {
    using namespace proxypool;
    out << proxy.text() << '\t';
    if (!check.works) {
        out << "dead\t" << check.failure << '\n';
        return;
    }
    if (!check.judgeReachable) {
        out << "connects\t" << check.connectMs << " ms\t" << kNoJudge << '\n';
        return;
    }
    out << "works\t" << LevelText(check.level) << '\t' << check.exitAddress << '\t'
        << check.country << "\tHTTPS " << HttpsText(check.https) << '\t' << check.latencyMs
        << " ms\n";
}

}  // namespace veilport::cli
