#include "platform/net/LocalAddress.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <unistd.h>

#include <climits>
#include <memory>

namespace veilport::net {

namespace {

std::string Dotted(in_addr address) {
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &address, text, sizeof(text)) == nullptr) return kUnknownIp;
    return text;
}

std::vector<in_addr> ResolveOwnName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof(name) - 1) != 0 || name[0] == '\0') return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0) return {};
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    std::vector<in_addr> addresses;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
        addresses.push_back(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
    }
    return addresses;
}

std::vector<InterfaceAddress> ListInterfaces() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return {};
    const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> owner(list, &::freeifaddrs);
    std::vector<InterfaceAddress> interfaces;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        interfaces.push_back(
            {reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr,
             (entry->ifa_flags & IFF_UP) != 0 && (entry->ifa_flags & IFF_LOOPBACK) == 0});
    }
    return interfaces;
}

}  // namespace

bool isLoopback(in_addr address) {
    return (ntohl(address.s_addr) >> 24) == 127;
}

std::string chooseLocalAddress(const std::vector<in_addr>& resolved,
                               const std::vector<InterfaceAddress>& interfaces) {
    for (const in_addr address : resolved)
        if (!isLoopback(address)) return Dotted(address);
    for (const InterfaceAddress& entry : interfaces)
        if (entry.up && !isLoopback(entry.address)) return Dotted(entry.address);
    return kUnknownIp;
}

std::string findLocalAddress() {
    return chooseLocalAddress(ResolveOwnName(), ListInterfaces());
}

}  // namespace veilport::net
