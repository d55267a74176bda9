#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "gateway/Gateway.h"
#include "gateway/LoopbackPeers.h"
#include "support/TempHome.h"

namespace veilport::testing {

// Settings for a plain HTTP upstream without a login.
inline GatewaySettings Settings(std::uint16_t localPort, std::uint16_t upstreamPort,
                                const std::string& upstreamHost = "127.0.0.1") {
    GatewaySettings settings;
    settings.localPort = localPort;
    settings.upstreamHost = upstreamHost;
    settings.upstreamPort = upstreamPort;
    return settings;
}

// A Gateway of its own on a free port, in a throwaway home. The home outlives
// the Gateway and every connection thread it started, which the tear-down
// waits for.
class GatewayFixture : public ::testing::Test {
protected:
    void startGateway(std::uint16_t upstreamPort, GatewayOptions options = {},
                      const std::string& upstreamHost = "127.0.0.1") {
        startGatewayWith(Settings(0, upstreamPort, upstreamHost), options);
    }

    void startGatewayWith(const GatewaySettings& settings, GatewayOptions options = {}) {
        gateway_ = std::make_unique<Gateway>(options);
        ASSERT_TRUE(gateway_->start(settings));
        const auto outcome = gateway_->waitUntilSettled(std::chrono::seconds(10));
        ASSERT_EQ(outcome.state, Listener::State::Listening);
        port_ = outcome.port;
    }

    bool connectionsEnded() {
        return WaitFor([this] { return gateway_->activeConnections() == 0; });
    }

    void TearDown() override {
        if (!gateway_) return;
        gateway_->stop();
        EXPECT_TRUE(connectionsEnded());
    }

    // One request through the Gateway; everything the browser gets back.
    std::string fetch(std::string_view request) {
        auto browser = ConnectLoopback(port_);
        EXPECT_TRUE(SendText(browser.get(), request));
        return ReadToEnd(browser.get());
    }

    static std::string get(std::string_view host = "127.0.0.1") {
        return "GET http://" + std::string(host) + "/x HTTP/1.1\r\nHost: " + std::string(host) +
               "\r\nProxy-Connection: keep-alive\r\n\r\n";
    }

    TempHome home_;
    std::unique_ptr<Gateway> gateway_;
    std::uint16_t port_ = 0;
};

// An upstream proxy that reads one request head and answers `answer`.
inline LoopbackServer::Handler Answering(std::string answer, std::string* seen = nullptr) {
    return [answer = std::move(answer), seen](int fd) {
        const std::string request = ReadUntil(fd, "\r\n\r\n");
        if (seen != nullptr) *seen = request;
        (void)SendText(fd, answer);
    };
}

}  // namespace veilport::testing
