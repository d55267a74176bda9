#pragma once

// Every socket call the program makes goes through these wrappers: each one
// retries on EINTR, keeps errno in its result and cannot be ignored silently.

#include <netinet/in.h>
#include <poll.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "platform/io/UniqueFd.h"

namespace veilport::net {

// A value or the errno of the call that failed (error != 0).
template <typename T>
struct [[nodiscard]] Result {
    T value{};
    int error = 0;

    bool ok() const { return error == 0; }
    static Result failure(int code) {
        Result result;
        result.error = code;
        return result;
    }
};

// The text of an errno value, for messages shown to people.
std::string errorText(int code);

// A TCP stream socket (IPv4) bound to `address`:`port` and listening with
// `backlog`. SO_REUSEADDR is set so that a listener can be replaced on the same
// port while connections of the previous one are still in TIME_WAIT.
Result<UniqueFd> listenTcp(in_addr address, std::uint16_t port, int backlog);

// The port a bound socket actually has (useful after binding port 0).
Result<std::uint16_t> localPort(int fd);

// Whether a new socket stays blocking or is handed over non-blocking.
enum class Blocking { Yes, No };

// Accepts one connection; the new descriptor is close-on-exec. EINTR is retried;
// every other failure (including the listener being shut down, or the receive
// timeout of the listening socket running out: EAGAIN) is returned.
Result<UniqueFd> acceptConnection(int listenFd, Blocking blocking = Blocking::Yes);

inline constexpr std::chrono::milliseconds kWaitForever{-1};

// How long a connect to a host that does not answer is given before we give up.
// Left to the kernel, the SYN retries of one attempt last about two minutes.
inline constexpr std::chrono::milliseconds kConnectTimeout{10'000};

// Connects a new TCP socket to `address`:`port` (port in host byte order),
// waiting at most `timeout` for the connect to complete (a negative timeout
// waits as long as the kernel does). The error is the connect's errno, or
// ETIMEDOUT when our time limit ran out. The socket is blocking on success
// unless asked otherwise.
// A stop asked for through `stop` ends the wait within a tenth of a second,
// with ECANCELED.
Result<UniqueFd> connectTcp(in_addr address, std::uint16_t port,
                            std::chrono::milliseconds timeout = kWaitForever,
                            std::stop_token stop = {}, Blocking blocking = Blocking::Yes);

// A connect that does not wait, for a caller with bytes to send at once: the
// socket (non-blocking, close-on-exec) comes back with its connect done or
// still under way, and the first send tells which. It goes out once the
// connect succeeded, fails with the connect's own error, or answers EAGAIN
// while the connect is under way; then awaitConnect waits for the outcome.
Result<UniqueFd> beginConnectTcp(in_addr address, std::uint16_t port);
// Waits at most `timeout` for the connect begun on `fd`: 0 once it succeeded,
// else its errno (ETIMEDOUT when the time ran out).
int awaitConnect(int fd, std::chrono::milliseconds timeout);

// The dotted-address parser of the system (inet_aton): accepts the classic
// forms such as "10.0.0.1", and also "10.1" or "0x7f.1".
std::optional<in_addr> parseDottedIpv4(const std::string& text);

// The first IPv4 address the system's resolver gives for a host name or dotted
// address. An empty name fails (EINVAL) rather than meaning the local host.
Result<in_addr> resolveIpv4(const std::string& host);

// Sends every byte, finishing partial writes; never raises SIGPIPE.
Result<std::size_t> sendAll(int fd, const void* data, std::size_t length);
// The same on a non-blocking socket: when the peer's window is full, waits
// for room, at most `idle` each time no byte could go (then ETIMEDOUT).
Result<std::size_t> sendAllWithin(int fd, const void* data, std::size_t length,
                                  std::chrono::milliseconds idle);

// One send that does not wait on a non-blocking socket: how much went out, or
// the errno (EAGAIN when nothing could go); never raises SIGPIPE.
Result<std::size_t> sendSome(int fd, const void* data, std::size_t length);

// One receive of at most `capacity` bytes; 0 means the peer closed its side.
// With `dontWait`, EAGAIN comes back as an error instead of blocking.
Result<std::size_t> receiveSome(int fd, void* buffer, std::size_t capacity, bool dontWait = false);

// shutdown(2) with SHUT_RD, SHUT_WR or SHUT_RDWR.
Result<bool> shutdownSocket(int fd, int how);

// poll(2) over `count` descriptors. A negative timeout waits for ever; EINTR
// resumes the wait with what is left of it. The value is the number of ready
// descriptors (0 on time-out).
Result<int> pollFor(pollfd* fds, std::size_t count, std::chrono::milliseconds timeout);

// Makes the next close of `fd` send a reset instead of the orderly end of the
// stream, so the peer learns that what it received is not whole.
Result<bool> setResetOnClose(int fd);

// Makes a blocking send on `fd` give up (EAGAIN) once it has moved no byte for
// `timeout`; a send that keeps moving bytes is never cut.
Result<bool> setSendTimeout(int fd, std::chrono::milliseconds timeout);
// SO_RCVTIMEO: on a listening socket, how long an accept waits (then EAGAIN).
Result<bool> setReceiveTimeout(int fd, std::chrono::milliseconds timeout);

}  // namespace veilport::net
