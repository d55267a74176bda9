#include "gateway/Listener.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cerrno>

#include "gateway/Connection.h"
#include "platform/net/Socket.h"

namespace veilport {

void Listener::settle(State state, int error) {
    outcome_.state = state;
    outcome_.error = error;
    changed_.notify_all();
}

void Listener::run() {
    // Every request is a connection of its own and a browser opens dozens at once
    // for one page: the queue must hold that burst.
    auto listening = net::listenTcp(address_, port_, SOMAXCONN);
    {
        std::lock_guard lock(mutex_);
        if (stopRequested_) {
            settle(State::Ended, 0);
            return;
        }
        if (!listening.ok()) {
            settle(State::Failed, listening.error);
            return;
        }
        // A parked thread waits in accept; the socket's receive timeout is how
        // it learns it has been idle long enough to end.
        const auto idle = shared_->connectionThreads().parking().idle;
        if (idle.count() > 0) (void)net::setReceiveTimeout(listening.value.get(), idle);
        const auto bound = net::localPort(listening.value.get());
        outcome_.port = bound.ok() ? bound.value : port_;
        socket_ = std::move(listening.value);
        settle(State::Listening, 0);
    }
    shared_->connectionThreads().acceptFrom(shared_from_this());
}

net::Result<net::UniqueFd> Listener::next() {
    // Connections are served non-blocking: every wait is a poll with a limit.
    return net::acceptConnection(socket_.get(), net::Blocking::No);
}

void Listener::pauseAfterFailure() {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kAcceptBackoff, [this] { return stopRequested_.load(); });
}

void Listener::serve(net::UniqueFd browser) {
    ++shared_->activeConnections;
    {
        Connection connection(std::move(browser), shared_);
        connection.run();
    }  // both sockets are closed before the count drops
    --shared_->activeConnections;
}

void Listener::stop() {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    // Closing alone would not wake the threads blocked in accept on Linux;
    // shutting the socket down does, and frees the port for a new listener.
    if (socket_) (void)net::shutdownSocket(socket_.get(), SHUT_RDWR);
    if (outcome_.state == State::Listening) outcome_.state = State::Ended;
    changed_.notify_all();
}

bool Listener::running() const {
    std::lock_guard lock(mutex_);
    return outcome_.state == State::Listening && !stopRequested_;
}

Listener::Outcome Listener::waitUntilSettled(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return outcome_.state != State::Starting; });
    return outcome_;
}

}  // namespace veilport
