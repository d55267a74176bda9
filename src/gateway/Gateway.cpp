#include "gateway/Gateway.h"

#include <arpa/inet.h>

namespace veilport {

in_addr ListenAddressOf(const std::string& text) {
    if (text == "0.0.0.0") {
        in_addr any{};
        any.s_addr = htonl(INADDR_ANY);
        return any;
    }
    if (const auto address = net::parseDottedIpv4(text)) return *address;
    // Anything else (empty, a mistyped value) serves this machine only: a typo
    // must never open the Gateway to the network.
    in_addr loopback{};
    loopback.s_addr = htonl(INADDR_LOOPBACK);
    return loopback;
}

Gateway& Gateway::instance() {
    static Gateway gateway;
    return gateway;
}

Gateway::Gateway(GatewayOptions options)
    : shared_(
          std::make_shared<GatewayShared>(options.limits, options.startThread, options.parking)) {}

Gateway::~Gateway() {
    stop();
}

bool Gateway::start(const GatewaySettings& settings) {
    updateUpstream(settings);
    std::lock_guard lock(mutex_);
    if (listener_) listener_->stop();
    auto listener = std::make_shared<Listener>(listenAddress_, localPort_, shared_);
    if (!shared_->threadStarter()([listener] { listener->run(); })) {
        listener_.reset();
        return false;
    }
    listener_ = std::move(listener);
    return true;
}

void Gateway::stop() {
    {
        std::lock_guard lock(mutex_);
        if (listener_) listener_->stop();
        listener_.reset();
    }
    // The last request's host is stored before stop returns: a program that
    // ends next must not have a writer still at the settings store while the
    // store is taken down.
    shared_->lastDomain().flush();
}

bool Gateway::isRunning() const {
    std::lock_guard lock(mutex_);
    return listener_ && listener_->running();
}

bool Gateway::updateUpstream(const GatewaySettings& settings) {
    {
        std::lock_guard lock(mutex_);
        localPort_ = settings.localPort;
        listenAddress_ = ListenAddressOf(settings.listenAddress);
    }
    shared_->setUpstream(std::make_shared<const GatewaySettings>(settings));
    return true;
}

Listener::Outcome Gateway::waitUntilSettled(std::chrono::milliseconds timeout) const {
    std::shared_ptr<Listener> listener;
    {
        std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (!listener) return {Listener::State::Ended, 0, 0};
    return listener->waitUntilSettled(timeout);
}

}  // namespace veilport
