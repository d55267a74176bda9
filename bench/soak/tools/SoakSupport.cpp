#include "SoakSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace soak {

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Options::Options(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word.rfind("--", 0) != 0) {
            std::cerr << argv[0] << ": unexpected argument " << word << '\n';
            std::exit(2);
        }
        const bool hasValue = i + 1 < argc && std::string_view(argv[i + 1]).rfind("--", 0) != 0;
        values_[word.substr(2)] = hasValue ? argv[++i] : "1";
    }
}

std::string Options::text(const std::string& name, const std::string& fallback) const {
    const auto found = values_.find(name);
    return found == values_.end() ? fallback : found->second;
}

long long Options::number(const std::string& name, long long fallback) const {
    const auto found = values_.find(name);
    if (found == values_.end()) return fallback;
    char* end = nullptr;
    const long long value = std::strtoll(found->second.c_str(), &end, 10);
    if (end == found->second.c_str() || *end != '\0') {
        std::cerr << "--" << name << " expects a number, not " << found->second << '\n';
        std::exit(2);
    }
    return value;
}

std::uint16_t PortOf(const std::string& text) {
    const auto colon = text.rfind(':');
    const long port =
        std::strtol(text.c_str() + (colon == std::string::npos ? 0 : colon + 1), nullptr, 10);
    if (port <= 0 || port > 65535) {
        std::cerr << "not a port: " << text << '\n';
        std::exit(2);
    }
    return static_cast<std::uint16_t>(port);
}

namespace {

sockaddr_in LoopbackAddress(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

bool SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

Fd ConnectLoopback(std::uint16_t port, bool nonBlocking) {
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0));
    if (!fd.valid()) return fd;
    const auto address = LoopbackAddress(port);
    int status;
    do {
        status = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    } while (status != 0 && errno == EINTR && !nonBlocking);
    if (status != 0 && !(nonBlocking && errno == EINPROGRESS)) fd.reset();
    return fd;
}

Fd ListenLoopback(int backlog, std::uint16_t& port) {
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid()) return fd;
    auto address = LoopbackAddress(0);
    socklen_t length = sizeof(address);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd.get(), backlog) != 0 ||
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        fd.reset();
        return fd;
    }
    port = ntohs(address.sin_port);
    return fd;
}

bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void CloseWithReset(Fd& fd) {
    const linger hard{1, 0};
    (void)::setsockopt(fd.get(), SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
    fd.reset();
}

Received ReadUntilEnd(int fd, std::chrono::milliseconds limit) {
    Received result;
    const auto start = Clock::now();
    const auto deadline = start + limit;
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd one{fd, POLLIN, 0};
        const int ready = ::poll(&one, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got > 0) {
            result.bytes.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        result.ending = got == 0              ? Ending::Closed
                        : errno == ECONNRESET ? Ending::Reset
                                              : Ending::OtherError;
        break;
    }
    result.seconds = SecondsSince(start);
    return result;
}

const char* EndingName(Ending ending) {
    switch (ending) {
        case Ending::Closed:
            return "closed";
        case Ending::Reset:
            return "reset";
        case Ending::OtherError:
            return "error";
        case Ending::TimedOut:
            return "timed out";
    }
    return "?";
}

std::string Body(std::size_t size, unsigned variant) {
    // xorshift64*: cheap, and different for every size and variant, so a body
    // delivered to the wrong request shows as a mismatch.
    std::uint64_t state = 0x9E3779B97F4A7C15ull ^ (size * 0x100000001B3ull) ^ (variant + 1);
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; i += 8) {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        const std::uint64_t word = state * 0x2545F4914F6CDD1Dull;
        for (std::size_t k = 0; k < 8 && i + k < size; ++k)
            body[i + k] = static_cast<char>(word >> (8 * k));
    }
    return body;
}

std::uint64_t Checksum(std::string_view bytes, std::uint64_t seed) {
    std::uint64_t hash = 0xcbf29ce484222325ull ^ seed;  // FNV-1a
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string ReadLineFromStdin() {
    std::string line;
    std::getline(std::cin, line);
    return line;
}

}  // namespace soak
