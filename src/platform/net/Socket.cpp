#include "platform/net/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace veilport::net {

std::string errorText(int code) {
    char buffer[256];
    // The GNU strerror_r may return a static text instead of filling the buffer.
    return strerror_r(code, buffer, sizeof(buffer));
}

Result<UniqueFd> listenTcp(in_addr address, std::uint16_t port, int backlog) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!fd) return Result<UniqueFd>::failure(errno);
    const int on = 1;
    if (::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)) != 0)
        return Result<UniqueFd>::failure(errno);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    local.sin_port = htons(port);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0)
        return Result<UniqueFd>::failure(errno);
    if (::listen(fd.get(), backlog) != 0) return Result<UniqueFd>::failure(errno);
    return {std::move(fd), 0};
}

Result<std::uint16_t> localPort(int fd) {
    sockaddr_in local{};
    socklen_t length = sizeof(local);
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return Result<std::uint16_t>::failure(errno);
    return {ntohs(local.sin_port), 0};
}

Result<UniqueFd> acceptConnection(int listenFd, Blocking blocking) {
    const int flags = SOCK_CLOEXEC | (blocking == Blocking::No ? SOCK_NONBLOCK : 0);
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, flags);
        if (fd >= 0) return {UniqueFd(fd), 0};
        if (errno != EINTR) return Result<UniqueFd>::failure(errno);
    }
}

namespace {

// socket(2) and connect(2); `underWay` tells whether the connect goes on in the
// background.
Result<UniqueFd> startConnect(in_addr address, std::uint16_t port, bool& underWay) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!fd) return Result<UniqueFd>::failure(errno);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr = address;
    remote.sin_port = htons(port);
    underWay = false;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&remote), sizeof(remote)) != 0) {
        // EINTR too leaves the connect going on in the background: wait for its
        // outcome instead of calling connect again (which would answer EALREADY).
        if (errno != EINPROGRESS && errno != EINTR) return Result<UniqueFd>::failure(errno);
        underWay = true;
    }
    return {std::move(fd), 0};
}

// The errno of a background connect that has ended, 0 when it succeeded.
int connectOutcome(int fd) {
    int error = 0;
    socklen_t length = sizeof(error);
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
}

}  // namespace

Result<UniqueFd> connectTcp(in_addr address, std::uint16_t port, std::chrono::milliseconds timeout,
                            std::stop_token stop, Blocking blocking) {
    if (stop.stop_requested()) return Result<UniqueFd>::failure(ECANCELED);
    bool underWay = false;
    auto begun = startConnect(address, port, underWay);
    if (!begun.ok()) return begun;
    UniqueFd fd = std::move(begun.value);
    if (underWay) {
        pollfd entry{fd.get(), POLLOUT, 0};
        // Waited in slices when someone may ask for a stop meanwhile.
        constexpr std::chrono::milliseconds kSlice{100};
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            auto wait = timeout;
            if (stop.stop_possible()) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                wait = timeout.count() < 0 ? kSlice
                                           : std::clamp(left, std::chrono::milliseconds(0), kSlice);
            }
            const auto waited = pollFor(&entry, 1, wait);
            if (!waited.ok()) return Result<UniqueFd>::failure(waited.error);
            if (waited.value != 0) break;
            if (stop.stop_requested()) return Result<UniqueFd>::failure(ECANCELED);
            if (!stop.stop_possible() ||
                (timeout.count() >= 0 && std::chrono::steady_clock::now() >= deadline))
                return Result<UniqueFd>::failure(ETIMEDOUT);
        }
        if (const int error = connectOutcome(fd.get()); error != 0)
            return Result<UniqueFd>::failure(error);
    }
    if (blocking == Blocking::No) return {std::move(fd), 0};
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return Result<UniqueFd>::failure(errno);
    return {std::move(fd), 0};
}

Result<UniqueFd> beginConnectTcp(in_addr address, std::uint16_t port) {
    bool underWay = false;
    return startConnect(address, port, underWay);
}

int awaitConnect(int fd, std::chrono::milliseconds timeout) {
    pollfd entry{fd, POLLOUT, 0};
    const auto ready = pollFor(&entry, 1, timeout);
    if (!ready.ok()) return ready.error;
    if (ready.value == 0) return ETIMEDOUT;
    return connectOutcome(fd);
}

std::optional<in_addr> parseDottedIpv4(const std::string& text) {
    in_addr address{};
    if (::inet_aton(text.c_str(), &address) == 0) return std::nullopt;
    return address;
}

Result<in_addr> resolveIpv4(const std::string& host) {
    if (host.empty()) return Result<in_addr>::failure(EINVAL);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (status != 0 || found == nullptr) {
        if (found != nullptr) ::freeaddrinfo(found);
        return Result<in_addr>::failure(status == EAI_SYSTEM ? errno : EHOSTUNREACH);
    }
    const in_addr address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return {address, 0};
}

Result<std::size_t> sendAll(int fd, const void* data, std::size_t length) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(fd, bytes + sent, length - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return {sent, errno};
        }
        sent += static_cast<std::size_t>(n);
    }
    return {sent, 0};
}

Result<std::size_t> sendAllWithin(int fd, const void* data, std::size_t length,
                                  std::chrono::milliseconds idle) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(fd, bytes + sent, length - sent, MSG_NOSIGNAL);
        if (n >= 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return {sent, errno};
        pollfd entry{fd, POLLOUT, 0};
        const auto ready = pollFor(&entry, 1, idle);
        if (!ready.ok()) return {sent, ready.error};
        if (ready.value == 0) return {sent, ETIMEDOUT};
    }
    return {sent, 0};
}

Result<std::size_t> sendSome(int fd, const void* data, std::size_t length) {
    for (;;) {
        const ssize_t n = ::send(fd, data, length, MSG_NOSIGNAL);
        if (n >= 0) return {static_cast<std::size_t>(n), 0};
        if (errno != EINTR) return Result<std::size_t>::failure(errno);
    }
}

Result<std::size_t> receiveSome(int fd, void* buffer, std::size_t capacity, bool dontWait) {
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, capacity, dontWait ? MSG_DONTWAIT : 0);
        if (n >= 0) return {static_cast<std::size_t>(n), 0};
        if (errno != EINTR) return Result<std::size_t>::failure(errno);
    }
}

Result<bool> shutdownSocket(int fd, int how) {
    if (::shutdown(fd, how) != 0) return Result<bool>::failure(errno);
    return {true, 0};
}

Result<int> pollFor(pollfd* fds, std::size_t count, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const bool forever = timeout.count() < 0;
    const auto deadline = Clock::now() + (forever ? std::chrono::milliseconds(0) : timeout);
    for (;;) {
        int waitMs = -1;
        if (!forever) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            waitMs = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        const int ready = ::poll(fds, static_cast<nfds_t>(count), waitMs);
        if (ready >= 0) return {ready, 0};
        if (errno != EINTR) return Result<int>::failure(errno);
    }
}

Result<bool> setResetOnClose(int fd) {
    const linger abortive{1, 0};
    if (::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof(abortive)) != 0)
        return Result<bool>::failure(errno);
    return {true, 0};
}

Result<bool> setSendTimeout(int fd, std::chrono::milliseconds timeout) {
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit)) != 0)
        return Result<bool>::failure(errno);
    return {true, 0};
}

Result<bool> setReceiveTimeout(int fd, std::chrono::milliseconds timeout) {
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit)) != 0)
        return Result<bool>::failure(errno);
    return {true, 0};
}

}  // namespace veilport::net
