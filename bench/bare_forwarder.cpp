// The floor of any first hop: the least a forwarding proxy can do per request
// on this machine. Each thread accepts a connection, reads the request once,
// opens a fresh connection to the upstream proxy, sends the request and copies
// the answer back until the upstream closes. No parsing, no rewriting, no
// timeouts, no second read of a request: not a proxy anyone should use, only
// the measure of how close the Gateway comes to the cost of the extra hop
// itself (bench/run prints the Gateway's figures beside it).
//
//   bare_forwarder PORT UPSTREAM_PORT [THREADS]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <charconv>
#include <cstdio>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/net/Socket.h"

namespace {

using veilport::net::UniqueFd;

bool Number(std::string_view text, unsigned& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc{} && end == text.data() + text.size();
}

void Forward(int listening, in_addr upstream, std::uint16_t upstreamPort) {
    char buffer[16 * 1024];
    for (;;) {
        auto browser = veilport::net::acceptConnection(listening);
        if (!browser.ok()) continue;
        const ssize_t head = ::recv(browser.value.get(), buffer, sizeof(buffer), 0);
        if (head <= 0) continue;
        auto up = veilport::net::connectTcp(upstream, upstreamPort);
        if (!up.ok()) continue;
        if (!veilport::net::sendAll(up.value.get(), buffer, static_cast<std::size_t>(head)).ok())
            continue;
        for (;;) {
            const ssize_t n = ::recv(up.value.get(), buffer, sizeof(buffer), 0);
            if (n <= 0) break;
            if (!veilport::net::sendAll(browser.value.get(), buffer, static_cast<std::size_t>(n))
                     .ok())
                break;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    unsigned port = 0, upstreamPort = 0, threads = 160;
    if (argc < 3 || !Number(argv[1], port) || !Number(argv[2], upstreamPort) || port > 65535 ||
        upstreamPort > 65535 || (argc > 3 && !Number(argv[3], threads)) || threads == 0) {
        std::fprintf(stderr, "usage: bare_forwarder PORT UPSTREAM_PORT [THREADS]\n");
        return 2;
    }
    in_addr loopback{};
    loopback.s_addr = htonl(INADDR_LOOPBACK);
    auto listening = veilport::net::listenTcp(loopback, static_cast<std::uint16_t>(port), SOMAXCONN);
    if (!listening.ok()) {
        std::fprintf(stderr, "bare_forwarder: cannot listen on %u: %s\n", port,
                     veilport::net::errorText(listening.error).c_str());
        return 1;
    }
    // More threads than the highest concurrency measured, all made up front:
    // no thread is created while requests are timed.
    std::vector<std::jthread> pool;
    for (unsigned i = 0; i < threads; ++i)
        pool.emplace_back(Forward, listening.value.get(), loopback,
                          static_cast<std::uint16_t>(upstreamPort));
    return 0;  // never reached while the threads run; the benchmark kills the process
}
