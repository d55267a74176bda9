#include "services/LocalTor.h"

#include <arpa/inet.h>

#include "gateway/Socks5Handshake.h"
#include "platform/net/Socket.h"

namespace veilport::services {

std::optional<proxypool::Upstream> FindLocalTor(std::initializer_list<std::uint16_t> ports,
                                                std::chrono::milliseconds limit) {
    in_addr loopback{};
    loopback.s_addr = htonl(INADDR_LOOPBACK);
    for (const auto port : ports) {
        auto connected = net::connectTcp(loopback, port, limit);
        if (!connected.ok() || !AnswersSocks5Greeting(connected.value.get(), limit)) continue;
        auto parsed = proxypool::ParseUpstream("socks5h://127.0.0.1:" + std::to_string(port));
        if (parsed) return parsed.upstream;
    }
    return std::nullopt;
}

std::string LocalTorEntry(const proxypool::Upstream& tor) {
    return kLocalTorLabel + tor.displayText();
}

}  // namespace veilport::services
