#include "proxypool/JudgedTester.h"

#include "proxypool/Upstream.h"

namespace veilport::proxypool {

ListedProxy ProxyToCheck(const std::string& host, int port, const std::string& adoptText) {
    if (const auto parsed = ParseUpstream(adoptText);
        parsed && parsed.upstream->host == host && parsed.upstream->port == port)
        return FromUpstream(*parsed.upstream);
    ListedProxy proxy;
    proxy.host = host;
    proxy.port = port;
    return proxy;
}

JudgedTester::JudgedTester(ProxyJudge& judge, std::function<void(const ProxyTesterSession&)> onRows)
    : judge_(judge), onRows_(std::move(onRows)) {}

ProxyTester::Result JudgedTester::run(const std::string& host, int port,
                                      const std::string& adoptText) {
    const ListedProxy proxy = ProxyToCheck(host, port, adoptText);
    ProxyTesterSession session(host, port, adoptText, {});
    session.start(judge_.check(proxy));
    if (onRows_) onRows_(session);
    return Result::Ok;
}

}  // namespace veilport::proxypool
