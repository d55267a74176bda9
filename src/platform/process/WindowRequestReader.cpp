#include "platform/process/WindowRequestReader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <memory>

#include "platform/process/PeerUser.h"
#include "platform/process/WindowRequestBuffer.h"

namespace veilport::process {

namespace {

using Clock = std::chrono::steady_clock;

struct Connection {
    io::UniqueFd fd;
    Clock::time_point deadline;
    WindowRequestBuffer buffer;
};

void signal(int eventFd) {
    const std::uint64_t one = 1;
    // The counter only saturates after 2^64 - 1 unread signals; one more
    // lost signal changes nothing then.
    if (::write(eventFd, &one, sizeof(one)) < 0) return;
}

void drain(int eventFd) {
    std::uint64_t count = 0;
    // Nothing to drain (EAGAIN) is as good as drained.
    if (::read(eventFd, &count, sizeof(count)) < 0) return;
}

// Reads what the peer has sent so far, without waiting.
WindowRequestBuffer::State readAvailable(Connection& connection) {
    char buffer[kLongestWindowMessage + 1];
    for (;;) {
        const ssize_t got = ::recv(connection.fd.get(), buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return connection.buffer.state();
        if (got <= 0) return connection.buffer.end();
        const auto state =
            connection.buffer.add(std::string_view(buffer, static_cast<std::size_t>(got)));
        if (state != WindowRequestBuffer::State::Incomplete) return state;
    }
}

int pollTimeout(const std::deque<Connection>& open, Clock::time_point now) {
    if (open.empty()) return -1;
    // The oldest connection has the nearest deadline: all get the same span.
    const auto left = open.front().deadline - now;
    if (left <= Clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

}  // namespace

WindowRequestReader::WindowRequestReader(const WindowEndpoint& endpoint, Limits limits)
    : limits_(limits),
      ready_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      stop_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!ready_ || !stop_) {
        error_ = {errno, std::generic_category()};
        return;
    }
    if (!endpoint.valid()) {
        error_ = endpoint.error() ? endpoint.error()
                                  : std::make_error_code(std::errc::bad_file_descriptor);
        return;
    }
    try {
        thread_ = std::jthread([this, listener = endpoint.fd()] { run(listener); });
    } catch (const std::system_error& failure) {
        error_ = failure.code();
    }
}

WindowRequestReader::~WindowRequestReader() {
    if (thread_.joinable()) {
        signal(stop_.get());
        thread_.join();
    }
}

std::vector<IncomingRequest> WindowRequestReader::take() {
    const std::lock_guard guard(lock_);
    drain(ready_.get());
    return std::exchange(waiting_, {});
}

void WindowRequestReader::deliver(IncomingRequest request) {
    {
        const std::lock_guard guard(lock_);
        waiting_.push_back(std::move(request));
    }
    signal(ready_.get());
}

void WindowRequestReader::run(int listener) {
    std::deque<Connection> open;  // oldest first
    std::vector<pollfd> watch;
    for (;;) {
        watch.clear();
        watch.push_back({stop_.get(), POLLIN, 0});
        watch.push_back({listener, POLLIN, 0});
        for (const auto& connection : open) watch.push_back({connection.fd.get(), POLLIN, 0});
        const int ready = ::poll(watch.data(), watch.size(), pollTimeout(open, Clock::now()));
        if (ready < 0 && errno != EINTR) return;
        if (ready > 0 && (watch[0].revents & POLLIN) != 0) return;
        const auto now = Clock::now();

        // Connections that sent something; each ends once whole, bad or late.
        std::vector<bool> done(open.size(), false);
        for (std::size_t i = 0; i < open.size(); ++i) {
            Connection& connection = open[i];
            if (ready > 0 && watch[i + 2].revents != 0) {
                const auto state = readAvailable(connection);
                if (state == WindowRequestBuffer::State::Complete) {
                    deliver({*connection.buffer.request(),
                             std::make_shared<WindowReply>(std::move(connection.fd))});
                    done[i] = true;
                    continue;
                }
                done[i] = state == WindowRequestBuffer::State::Bad;
            }
            if (now >= connection.deadline) done[i] = true;
        }
        std::size_t index = 0;
        std::erase_if(open, [&](const Connection&) { return done[index++]; });

        if (ready <= 0 || (watch[1].revents & POLLIN) == 0) continue;
        for (;;) {
            io::UniqueFd peer(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (!peer) break;
            if (!peerIsThisUser(peer.get())) continue;
            if (open.size() >= limits_.openConnections) open.pop_front();
            open.push_back({std::move(peer), now + limits_.deadline, {}});
        }
    }
}

}  // namespace veilport::process
