// A dead upstream: a listener that never accepts, with its queue full, so
// every connect to it hangs as one to a vanished host does.
//
//   soak_deadup [--requests N] [--wait-s W]
//
// It prints "port N", reads the proxy's port from its standard input, sends N
// requests through the proxy at once and notes when the proxy releases each
// (closes or resets the browser's connection). It gives up on a request after
// W seconds. Prints requests= released= first= last= answered=.
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>

#include "SoakSupport.h"

int main(int argc, char** argv) {
    using namespace soak;
    const Options options(argc, argv);
    const long long requests = options.number("requests", 10);
    const auto wait = std::chrono::seconds(options.number("wait-s", 15));

    std::uint16_t port = 0;
    const Fd listener = ListenLoopback(0, port);
    if (!listener.valid()) return 1;
    // Fill the accept queue: once a connect no longer completes, the kernel
    // drops every further SYN for this port.
    std::vector<Fd> fillers;
    for (int i = 0; i < 16; ++i) {
        Fd filler = ConnectLoopback(port, /*nonBlocking=*/true);
        pollfd one{filler.get(), POLLOUT, 0};
        const bool completed = ::poll(&one, 1, 200) == 1;
        fillers.push_back(std::move(filler));
        if (!completed) break;
    }
    std::cout << "port " << port << std::endl;
    const std::uint16_t proxy = PortOf(ReadLineFromStdin());

    struct Pending {
        Fd fd;
        double released = -1;
        bool answered = false;
    };
    std::vector<Pending> pending;
    const auto start = Clock::now();
    const std::string request =
        "GET http://127.0.0.1/ HTTP/1.1\r\nHost: 127.0.0.1\r\nProxy-Connection: keep-alive\r\n\r\n";
    for (long long i = 0; i < requests; ++i) {
        Pending one{ConnectLoopback(proxy)};
        if (one.fd.valid() && !SendAll(one.fd.get(), request)) one.released = 0;
        if (!one.fd.valid()) one.released = 0;
        pending.push_back(std::move(one));
    }
    while (Clock::now() - start < wait) {
        std::vector<pollfd> fds;
        std::vector<Pending*> owners;
        for (auto& one : pending)
            if (one.released < 0) {
                fds.push_back({one.fd.get(), POLLIN, 0});
                owners.push_back(&one);
            }
        if (fds.empty()) break;
        if (::poll(fds.data(), fds.size(), 100) < 0 && errno != EINTR) return 1;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = ::recv(fds[i].fd, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (n > 0) owners[i]->answered = true;
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                owners[i]->released = SecondsSince(start);
        }
    }
    long long released = 0, answered = 0;
    double first = -1, last = -1;
    for (const auto& one : pending) {
        if (one.answered) ++answered;
        if (one.released < 0) continue;
        ++released;
        first = first < 0 ? one.released : std::min(first, one.released);
        last = std::max(last, one.released);
    }
    std::printf("requests=%lld released=%lld first=%.1f last=%.1f answered=%lld\n", requests,
                released, first, last, answered);
    return 0;
}
