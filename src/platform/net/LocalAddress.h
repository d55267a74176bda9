#pragma once

// The computer's own address as people would name it: the address its host
// name resolves to, skipping loopback answers (Linux installers map the host
// name to 127.0.1.1), then an interface that is up, else a fixed text.

#include <netinet/in.h>

#include <string>
#include <vector>

namespace veilport::net {

inline constexpr const char* kUnknownIp = "Unkwon IP";

// One IPv4 address of a network interface and whether the interface is up.
struct InterfaceAddress {
    in_addr address{};
    bool up = false;
};

// The rule itself, over what the system answered: the first resolved address
// outside 127.0.0.0/8; else the first address of an interface that is up and
// not loopback; else kUnknownIp. Addresses come back dotted-decimal.
std::string chooseLocalAddress(const std::vector<in_addr>& resolved,
                               const std::vector<InterfaceAddress>& interfaces);

// Asks the system: the host name's IPv4 resolution and the interfaces' IPv4
// addresses. Blocks on the resolver; call it off a window thread.
std::string findLocalAddress();

bool isLoopback(in_addr address);

}  // namespace veilport::net
