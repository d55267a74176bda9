#pragma once

// Loopback stand-ins for the peers of the Gateway in tests: a server that
// plays the upstream proxy (or an origin), and a browser-side client. Header
// only, so that the end-to-end tests can use them too.

#include <arpa/inet.h>
#include <dirent.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/Socket.h"

namespace veilport::testing {

inline in_addr Loopback() {
    in_addr address{};
    address.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Accepts on 127.0.0.1 at a free port and runs `handler` for each connection
// on a thread of its own. The destructor stops accepting and joins everything.
class LoopbackServer {
public:
    using Handler = std::function<void(int fd)>;

    explicit LoopbackServer(Handler handler) : handler_(std::move(handler)) {
        auto listening = net::listenTcp(Loopback(), 0, SOMAXCONN);
        if (!listening.ok()) throw std::runtime_error("cannot listen on loopback");
        listen_ = std::move(listening.value);
        port_ = net::localPort(listen_.get()).value;
        acceptor_ = std::thread([this] { acceptLoop(); });
    }
    ~LoopbackServer() {
        stopping_ = true;
        (void)net::shutdownSocket(listen_.get(), SHUT_RDWR);
        acceptor_.join();
        std::lock_guard lock(mutex_);
        for (auto& worker : workers_) worker.join();
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const { return port_; }
    int connections() const { return connections_.load(); }

private:
    void acceptLoop() {
        while (!stopping_) {
            auto accepted = net::acceptConnection(listen_.get());
            if (!accepted.ok()) {
                if (stopping_) return;
                continue;
            }
            ++connections_;
            std::lock_guard lock(mutex_);
            workers_.emplace_back([this, fd = std::make_shared<net::UniqueFd>(
                                             std::move(accepted.value))] { handler_(fd->get()); });
        }
    }

    Handler handler_;
    net::UniqueFd listen_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::mutex mutex_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

inline net::UniqueFd ConnectLoopback(std::uint16_t port) {
    auto connected = net::connectTcp(Loopback(), port);
    if (!connected.ok()) throw std::runtime_error("cannot connect to loopback port");
    return std::move(connected.value);
}

inline bool SendText(int fd, std::string_view text) {
    return net::sendAll(fd, text.data(), text.size()).ok();
}

// Everything the peer sends until it closes its side (or an error).
inline std::string ReadToEnd(int fd) {
    std::string all;
    char buffer[65536];
    for (;;) {
        const auto received = net::receiveSome(fd, buffer, sizeof(buffer));
        if (!received.ok() || received.value == 0) return all;
        all.append(buffer, received.value);
    }
}

// Reads until `marker` has arrived (the end of a request head, say), the peer
// closes, or `limit` bytes are in.
inline std::string ReadUntil(int fd, std::string_view marker, std::size_t limit = 1 << 20) {
    std::string all;
    char buffer[4096];
    while (all.find(marker) == std::string::npos && all.size() < limit) {
        const auto received = net::receiveSome(fd, buffer, sizeof(buffer));
        if (!received.ok() || received.value == 0) break;
        all.append(buffer, received.value);
    }
    return all;
}

// Reads exactly `count` bytes unless the peer closes first.
inline std::string ReadExactly(int fd, std::size_t count) {
    std::string all;
    char buffer[65536];
    while (all.size() < count) {
        const std::size_t want = std::min(sizeof(buffer), count - all.size());
        const auto received = net::receiveSome(fd, buffer, want);
        if (!received.ok() || received.value == 0) break;
        all.append(buffer, received.value);
    }
    return all;
}

inline int CountEntries(const char* folder) {
    int count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.') ++count;
        ::closedir(dir);
    }
    return count;
}

// Threads and open descriptors of this process (the directory listing itself
// holds one descriptor while it counts).
inline int ThreadCount() {
    return CountEntries("/proc/self/task");
}
inline int DescriptorCount() {
    return CountEntries("/proc/self/fd");
}

// True once the other end of the loopback connection `fd` has read every byte
// sent to it: its receive queue, as the kernel lists it, is empty. Lets a test
// hand a peer bytes in separate reads without sleeping.
inline bool PeerHasReadAll(int fd) {
    sockaddr_in self{}, peer{};
    socklen_t length = sizeof(self);
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&self), &length) != 0) return false;
    length = sizeof(peer);
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return false;
    std::FILE* table = std::fopen("/proc/net/tcp", "r");
    if (table == nullptr) return false;
    char line[512];
    bool found = false, empty = false;
    while (!found && std::fgets(line, sizeof(line), table) != nullptr) {
        unsigned localAddress = 0, localPort = 0, remoteAddress = 0, remotePort = 0, state = 0;
        unsigned txQueue = 0, rxQueue = 0;
        if (std::sscanf(line, " %*d: %8X:%4X %8X:%4X %2X %8X:%8X", &localAddress, &localPort,
                        &remoteAddress, &remotePort, &state, &txQueue, &rxQueue) != 7)
            continue;
        // The peer's socket lists our address as its remote one.
        if (localAddress == peer.sin_addr.s_addr && localPort == ntohs(peer.sin_port) &&
            remoteAddress == self.sin_addr.s_addr && remotePort == ntohs(self.sin_port)) {
            found = true;
            empty = rxQueue == 0;
        }
    }
    std::fclose(table);
    return found && empty;
}

// Everything the peer sends until it closes or fails; `error` says which
// (0 for an orderly close, else the errno, such as ECONNRESET).
inline std::string ReadToEndOrError(int fd, int& error) {
    std::string all;
    char buffer[65536];
    for (;;) {
        const auto received = net::receiveSome(fd, buffer, sizeof(buffer));
        error = received.error;
        if (!received.ok() || received.value == 0) return all;
        all.append(buffer, received.value);
    }
}

// Polls `done` until it holds or `limit` passes; true when it held.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A byte pattern with NUL bytes and every other byte value, reproducible.
inline std::string BinaryPayload(std::size_t size) {
    std::string data(size, '\0');
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = static_cast<char>((i % 7 == 0) ? 0 : (state >> 16));
    }
    return data;
}

}  // namespace veilport::testing
