#include "proxypool/WhatIsMyIp.h"

#include "proxypool/ListSources.h"

namespace veilport::proxypool {

inet::ProxyRoute BrowsersRoute() {
    // The same way list downloads take: whatever anonymity makes of the traffic.
    return ListRoute();
}

MyAddress LookUpMyAddress(ProxyJudge& judge, const inet::ProxyRoute& route,
                          const inet::CancelCheck& cancelled) {
    MyAddress result;
    result.throughGateway = !route.direct();
    result.realAddress = judge.realAddress(cancelled);
    if (result.realAddress.empty()) {
        result.error = "the judge " + judge.config().judgeUrl + " did not answer";
        return result;
    }
    std::string why;
    const auto answer = judge.ask(route, why, cancelled);
    if (!answer) {
        result.error = (result.throughGateway ? "through the Gateway, the judge " : "the judge ") +
                       judge.config().judgeUrl + ": " + why;
        return result;
    }
    result.answered = true;
    result.seenAddress = answer->exitAddress();
    result.level = ClassifyAnonymity(*answer, result.realAddress);
    result.country = judge.countryOf(result.seenAddress);
    return result;
}

}  // namespace veilport::proxypool
