// A deliberately faulty proxy, for checking that the harness notices faults.
//
//   soak_badproxy --mode honest|corrupt|truncate|relay|relay-corrupt [--upstream PORT]
//
// It prints "port N" and serves until killed. honest, corrupt and truncate act
// as proxy and origin at once: they answer a request for /f/SIZE-VARIANT with
// that body whole, with one byte changed, or with half of it. relay passes
// every byte through to the upstream unchanged in both directions (no
// rewriting), and ends the browser's side with an orderly close however the
// upstream's side ended; relay-corrupt also changes one byte of what the
// browser sends after its first 64 KiB.
#include <sys/socket.h>

#include <cstdio>
#include <iostream>
#include <thread>

#include "SoakSupport.h"

namespace soak {
namespace {

void Answer(Fd fd, const std::string& mode) {
    std::string head;
    char buffer[65536];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(fd.get(), buffer, sizeof(buffer), 0);
        if (n <= 0) return;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    const auto at = head.find("/f/");
    if (at == std::string::npos) return;
    const std::size_t size = std::strtoul(head.c_str() + at + 3, nullptr, 10);
    const auto dash = head.find('-', at);
    const auto variant = static_cast<unsigned>(std::strtoul(head.c_str() + dash + 1, nullptr, 10));
    std::string body = Body(size, variant);
    if (mode == "corrupt" && !body.empty()) body[body.size() / 2] ^= 1;
    const std::string answer = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(size) +
                               "\r\n\r\n" +
                               (mode == "truncate" ? body.substr(0, body.size() / 2) : body);
    (void)SendAll(fd.get(), answer);
    (void)::shutdown(fd.get(), SHUT_WR);
    (void)ReadUntilEnd(fd.get(), std::chrono::seconds(5));
}

// Copies from one socket to the other until the first ends, then passes the
// end on as an orderly half-close.
void Pump(int from, int to, bool corrupt) {
    char buffer[65536];
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = ::recv(from, buffer, sizeof(buffer), 0);
        if (n <= 0) break;
        if (corrupt && total < 65536 && total + static_cast<std::size_t>(n) >= 65536)
            buffer[n - 1] ^= 1;
        total += static_cast<std::size_t>(n);
        if (!SendAll(to, std::string_view(buffer, static_cast<std::size_t>(n)))) break;
    }
    (void)::shutdown(to, SHUT_WR);
}

void Relay(Fd browser, std::uint16_t upstreamPort, bool corrupt) {
    Fd upstream = ConnectLoopback(upstreamPort);
    if (!upstream.valid()) return;
    std::thread toUpstream(Pump, browser.get(), upstream.get(), corrupt);
    Pump(upstream.get(), browser.get(), false);
    (void)::shutdown(upstream.get(), SHUT_RDWR);
    (void)::shutdown(browser.get(), SHUT_RDWR);
    toUpstream.join();
}

}  // namespace
}  // namespace soak

int main(int argc, char** argv) {
    using namespace soak;
    const Options options(argc, argv);
    const std::string mode = options.text("mode", "honest");
    const bool relay = mode.rfind("relay", 0) == 0;
    const std::uint16_t upstream = relay ? PortOf(options.text("upstream", "")) : std::uint16_t{0};
    std::uint16_t port = 0;
    const Fd listener = ListenLoopback(256, port);
    if (!listener.valid()) return 1;
    std::cout << "port " << port << std::endl;
    for (;;) {
        Fd fd(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!fd.valid()) continue;
        if (relay)
            std::thread(Relay, std::move(fd), upstream, mode == "relay-corrupt").detach();
        else
            std::thread(Answer, std::move(fd), mode).detach();
    }
}
