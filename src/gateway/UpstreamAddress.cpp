#include "gateway/UpstreamAddress.h"

#include <cerrno>

namespace veilport {

net::Result<in_addr> UpstreamAddress(const std::string& targetHost,
                                     const std::string& upstreamHost) {
    if (net::parseDottedIpv4(targetHost)) {
        if (auto address = net::parseDottedIpv4(upstreamHost)) return {*address, 0};
        return net::Result<in_addr>::failure(EINVAL);
    }
    return net::resolveIpv4(upstreamHost);
}

}  // namespace veilport
