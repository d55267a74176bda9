// Feeds arbitrary bytes to what reads a SOCKS5 proxy's answers and to the plan
// that turns a browser's request into what a SOCKS5 or HTTP upstream receives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "gateway/ForwardPlan.h"
#include "gateway/Socks5Messages.h"

using namespace veilport;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const auto reply = ReadConnectReply(bytes);
    if (reply.state == Socks5Reply::State::Done && reply.size > bytes.size()) std::abort();
    if (reply.state == Socks5Reply::State::NeedMore && reply.needed <= bytes.size()) std::abort();
    (void)ReadMethodChoice(bytes.substr(0, 2));

    GatewaySettings upstream;
    upstream.upstreamHost = "127.0.0.1";
    upstream.upstreamPort = 1080;
    for (const auto scheme : {proxypool::UpstreamScheme::Http, proxypool::UpstreamScheme::Socks5h}) {
        upstream.scheme = scheme;
        upstream.user = "user";
        upstream.password = "secret";
        const auto plan = PlanForward(bytes, upstream);
        if (plan.ok && plan.tunnelBySocks && (plan.host.empty() || plan.port == 0)) std::abort();
        if (plan.ok && !plan.tunnelBySocks && upstream.isSocksScheme() && plan.host.empty())
            std::abort();
        // Our login goes to an HTTP proxy only, never towards a site.
        if (upstream.isSocksScheme() && plan.bytes.find("c2VjcmV0") != std::string::npos &&
            bytes.find("c2VjcmV0") == std::string_view::npos)
            std::abort();
        if (plan.ok && !plan.host.empty()) (void)Socks5ConnectRequest(plan.host, plan.port);
    }
    return 0;
}
