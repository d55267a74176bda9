#pragma once

#include <arpa/inet.h>

#include <cstdint>
#include <stdexcept>

#include "platform/net/Socket.h"

namespace veilport::testing {

// A loopback listener that never accepts and whose queue is full, so the
// kernel drops every further SYN: a connect to it gets no answer at all, as
// with a host that has gone dark, and only a time limit ends it.
class BlackHole {
public:
    BlackHole() {
        in_addr loopback{};
        loopback.s_addr = htonl(INADDR_LOOPBACK);
        // A backlog of 0 leaves room for one connection; the filler takes it.
        auto listening = net::listenTcp(loopback, 0, 0);
        if (!listening.ok()) throw std::runtime_error("cannot listen on loopback");
        listen_ = std::move(listening.value);
        port_ = net::localPort(listen_.get()).value;
        auto filler = net::connectTcp(loopback, port_);
        if (!filler.ok()) throw std::runtime_error("cannot fill the black hole's queue");
        filler_ = std::move(filler.value);
    }

    std::uint16_t port() const { return port_; }

private:
    net::UniqueFd listen_;
    net::UniqueFd filler_;
    std::uint16_t port_ = 0;
};

}  // namespace veilport::testing
