#pragma once

// What the soak tools share: descriptors, loopback sockets, a monotonic clock,
// the deterministic bodies the origin serves, and the command-line options.
// The tools keep their own socket code on purpose: a harness that measured the
// Gateway through the Gateway's own helpers could share its faults.

#include <netinet/in.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace soak {

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point start);

// Options of the form --name value; every tool states its defaults.
class Options {
public:
    Options(int argc, char** argv);
    std::string text(const std::string& name, const std::string& fallback) const;
    long long number(const std::string& name, long long fallback) const;
    bool has(const std::string& name) const { return values_.count(name) != 0; }

private:
    std::map<std::string, std::string> values_;
};

// "127.0.0.1:8080" or "8080" to a port on the loopback address.
std::uint16_t PortOf(const std::string& text);

// A TCP connection to 127.0.0.1:port; blocking unless asked otherwise. An
// invalid Fd when the socket cannot be made (a non-blocking connect in
// progress is a valid Fd).
Fd ConnectLoopback(std::uint16_t port, bool nonBlocking = false);
// A listener on 127.0.0.1 at an ephemeral port.
Fd ListenLoopback(int backlog, std::uint16_t& port);
bool SetNonBlocking(int fd);
// Sends everything (blocking socket); false on any error.
bool SendAll(int fd, std::string_view data);
// Closes with a reset instead of an orderly end (linger 0).
void CloseWithReset(Fd& fd);

// How a read until the peer's end went.
enum class Ending { Closed, Reset, OtherError, TimedOut };
struct Received {
    std::string bytes;
    Ending ending = Ending::TimedOut;
    double seconds = 0;  // from the call until the end was seen
};
// Reads until the peer closes or resets, or `limit` passes.
Received ReadUntilEnd(int fd, std::chrono::milliseconds limit);
const char* EndingName(Ending ending);

// The body the origin serves for a size and variant, and a checksum of bytes.
std::string Body(std::size_t size, unsigned variant);
std::uint64_t Checksum(std::string_view bytes, std::uint64_t seed = 0);

// One line from standard input (the harness hands over the Gateway's port that
// way, after the tool has announced its own).
std::string ReadLineFromStdin();

}  // namespace soak
