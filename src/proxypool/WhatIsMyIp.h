#pragma once

// "What is my IP?": the user's real address, and the address that web sites
// see now with its anonymity level: through the Gateway while anonymity is
// on, direct otherwise. Both come from the judge.

#include <string>

#include "platform/inet/ProxiedRequest.h"
#include "proxypool/AnonymityLevel.h"
#include "proxypool/ProxyJudge.h"

namespace veilport::proxypool {

struct MyAddress {
    bool answered = false;  // the judge answered both questions
    std::string realAddress;
    std::string seenAddress;
    bool throughGateway = false;
    AnonymityLevel level = AnonymityLevel::Transparent;
    std::string country;
    std::string error;  // why not answered
};

// route: where the browsers' traffic goes now (the Gateway, or direct).
[[nodiscard]] MyAddress LookUpMyAddress(ProxyJudge& judge, const inet::ProxyRoute& route,
                                        const inet::CancelCheck& cancelled = {});

// The route the browsers' traffic takes now: the Gateway on LocalPort while
// UseProxy is 1, else direct.
inet::ProxyRoute BrowsersRoute();

}  // namespace veilport::proxypool
