#pragma once

#include <netinet/in.h>

#include <string>

#include "platform/net/Socket.h"

namespace veilport {

// The address to connect to for the upstream proxy. When the request's target
// host is a dotted IPv4 address, the upstream host is taken as one too and never
// looked up (a name then fails); otherwise the system's resolver looks the
// upstream host up and its first IPv4 address is used. The upstream host is
// normally a dotted address, for which both ways agree.
net::Result<in_addr> UpstreamAddress(const std::string& targetHost,
                                     const std::string& upstreamHost);

}  // namespace veilport
