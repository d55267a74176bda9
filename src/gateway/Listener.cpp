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
    int listenFd = -1;
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
        const auto bound = net::localPort(listening.value.get());
        outcome_.port = bound.ok() ? bound.value : port_;
        fd_ = listenFd = listening.value.release();
        settle(State::Listening, 0);
    }

    while (!stopRequested_) {
        auto accepted = net::acceptConnection(listenFd);
        if (stopRequested_) break;
        if (accepted.ok()) {
            serve(std::move(accepted.value));
            continue;
        }
        switch (accepted.error) {
            case ECONNABORTED:
            case EPROTO:
            case EPERM:
                continue;  // that one connection is gone; the next may be fine
            default: {
                // Out of descriptors or memory, or something worse: pause instead
                // of spinning; a stop cuts the pause short.
                std::unique_lock lock(mutex_);
                changed_.wait_for(lock, kAcceptBackoff, [this] { return stopRequested_.load(); });
            }
        }
    }

    std::lock_guard lock(mutex_);
    net::UniqueFd closing(fd_);
    fd_ = -1;
    settle(State::Ended, 0);
}

void Listener::serve(net::UniqueFd browser) {
    ++shared_->activeConnections;
    auto shared = shared_;
    // The descriptor travels inside the thread body; if the thread cannot be
    // created the body is destroyed unrun, and with it the descriptor closes.
    auto body = [connection = std::make_shared<Connection>(std::move(browser), shared),
                 shared]() mutable {
        connection->run();
        connection.reset();  // both sockets are closed before the count drops
        --shared->activeConnections;
    };
    if (!shared_->threadStarter()(std::move(body))) --shared_->activeConnections;
}

void Listener::stop() {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    // Closing alone would not wake a thread blocked in accept on Linux;
    // shutting the socket down does, and frees the port for a new listener.
    if (fd_ >= 0) (void)net::shutdownSocket(fd_, SHUT_RDWR);
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
