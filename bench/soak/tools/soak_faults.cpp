// Upstreams and browsers that break off half-way, through a proxy.
//
//   soak_faults [--upstream-cases N] [--browser-cases M] [--parallel P]
//
// It listens as the upstream, prints "port N", and reads the proxy's port
// from its standard input. The request's path tells the fake upstream what
// to do:
//   /cut-close/I   half an answer, then an orderly close
//   /cut-reset/I   half an answer, then a reset
//   /big/I         a long answer, sent for as long as the proxy takes it
//   /post/I        waits for a body the browser never finishes
// Upstream faults: the browser must get the half answer byte for byte and see
// the close as a close and the reset as a reset. Browser faults: the browser
// resets while the long answer streams in, or sends half a body and closes;
// the proxy must then let go of its upstream connection. Prints:
// cut_cases= cut_intact= reset_cases= reset_seen= browser_cases=
// upstream_connections= upstream_still_open= (after a grace of 30 s).
#include <sys/socket.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <thread>

#include "SoakSupport.h"

namespace soak {
namespace {

constexpr std::size_t kHalf = 100000;
constexpr std::size_t kPostBody = 100000;
constexpr std::size_t kBig = 64 * 1024 * 1024;

std::string CutHead() {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(2 * kHalf) + "\r\n\r\n";
}

std::atomic<int> upstreamConnections{0};
std::atomic<int> upstreamOpen{0};

void ServeOne(Fd fd) {
    const timeval limit{30, 0};
    (void)::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    (void)::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
    std::string request;
    char buffer[65536];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(fd.get(), buffer, sizeof(buffer), 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    const auto path = request.substr(0, request.find(" HTTP/"));
    const auto index = static_cast<unsigned>(std::atoi(path.c_str() + path.rfind('/') + 1));
    if (path.find("/cut-") != std::string::npos) {
        if (SendAll(fd.get(), CutHead()) && SendAll(fd.get(), Body(kHalf, index % 8))) {
            if (path.find("/cut-reset/") != std::string::npos) {
                CloseWithReset(fd);
            } else {
                (void)::shutdown(fd.get(), SHUT_WR);
                (void)ReadUntilEnd(fd.get(), std::chrono::seconds(30));
            }
        }
    } else if (path.find("/big/") != std::string::npos) {
        const std::string chunk = Body(65536, index % 8);
        bool open = SendAll(
            fd.get(), "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBig) + "\r\n\r\n");
        for (std::size_t sent = 0; open && sent < kBig; sent += chunk.size())
            open = SendAll(fd.get(), chunk);
    } else {
        // /post/: read until the proxy passes the browser's end on.
        (void)ReadUntilEnd(fd.get(), std::chrono::seconds(30));
    }
    fd.reset();
    --upstreamOpen;
}

void ServeUpstream(int listener) {
    for (;;) {
        Fd fd(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
        if (!fd.valid()) return;
        ++upstreamConnections;
        ++upstreamOpen;
        std::thread(ServeOne, std::move(fd)).detach();
    }
}

std::string Get(const std::string& path) {
    return "GET http://127.0.0.1:1" + path +
           " HTTP/1.1\r\nHost: 127.0.0.1:1\r\nProxy-Connection: keep-alive\r\n\r\n";
}

// Runs `work(i)` for i in [0, count) on `parallel` threads.
template <typename Work>
void ForEach(long long count, int parallel, Work work) {
    std::atomic<long long> next{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < parallel; ++t)
        threads.emplace_back([&] {
            for (long long i; (i = next++) < count;) work(i);
        });
    for (auto& thread : threads) thread.join();
}

}  // namespace
}  // namespace soak

int main(int argc, char** argv) {
    using namespace soak;
    const Options options(argc, argv);
    const long long upstreamCases = options.number("upstream-cases", 1000);
    const long long browserCases = options.number("browser-cases", 1000);
    const int parallel = static_cast<int>(options.number("parallel", 8));

    std::uint16_t port = 0;
    const Fd listener = ListenLoopback(256, port);
    if (!listener.valid()) return 1;
    std::cout << "port " << port << std::endl;
    const std::uint16_t proxy = PortOf(ReadLineFromStdin());
    std::thread(ServeUpstream, listener.get()).detach();

    std::atomic<long long> cutCases{0}, cutIntact{0}, resetCases{0}, resetSeen{0}, reported{0};
    ForEach(upstreamCases, parallel, [&](long long i) {
        const bool reset = i % 2 == 1;
        const std::string path = (reset ? "/cut-reset/" : "/cut-close/") + std::to_string(i);
        Fd fd = ConnectLoopback(proxy);
        if (fd.valid()) (void)SendAll(fd.get(), Get(path));
        const Received got =
            fd.valid() ? ReadUntilEnd(fd.get(), std::chrono::seconds(30)) : Received{};
        const auto unsignedIndex = static_cast<unsigned>(i);
        bool good;
        if (reset) {
            ++resetCases;
            good = got.ending == Ending::Reset;
            if (good) ++resetSeen;
        } else {
            ++cutCases;
            good = got.ending == Ending::Closed &&
                   got.bytes == CutHead() + Body(kHalf, unsignedIndex % 8);
            if (good) ++cutIntact;
        }
        if (!good && ++reported <= 5)
            std::fprintf(stderr, "soak_faults: %s: the browser saw %s after %zu bytes\n",
                         path.c_str(), EndingName(got.ending), got.bytes.size());
    });

    ForEach(browserCases, parallel, [&](long long i) {
        Fd fd = ConnectLoopback(proxy);
        if (!fd.valid()) return;
        if (i % 2 == 0) {
            (void)SendAll(fd.get(), Get("/big/" + std::to_string(i)));
            std::string part;
            char buffer[65536];
            while (part.size() < 65536) {
                const ssize_t n = ::recv(fd.get(), buffer, sizeof(buffer), 0);
                if (n <= 0) break;
                part.append(buffer, static_cast<std::size_t>(n));
            }
            CloseWithReset(fd);
        } else {
            const std::string head =
                "POST http://127.0.0.1:1/post/" + std::to_string(i) +
                " HTTP/1.1\r\nHost: 127.0.0.1:1\r\nContent-Length: " + std::to_string(kPostBody) +
                "\r\n\r\n";
            (void)SendAll(fd.get(), head + std::string(kPostBody / 2, 'p'));
            fd.reset();
        }
    });

    // The proxy lets go of every upstream connection once its browser is gone.
    const auto graceEnd = Clock::now() + std::chrono::seconds(30);
    while (upstreamOpen.load() > 0 && Clock::now() < graceEnd)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::printf(
        "cut_cases=%lld cut_intact=%lld reset_cases=%lld reset_seen=%lld browser_cases=%lld "
        "upstream_connections=%d upstream_still_open=%d\n",
        cutCases.load(), cutIntact.load(), resetCases.load(), resetSeen.load(), browserCases,
        upstreamConnections.load(), upstreamOpen.load());
    std::fflush(stdout);
    std::_Exit(0);  // upstream threads may still be serving; nothing to tear down
}
