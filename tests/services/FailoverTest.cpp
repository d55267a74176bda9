// Failover moves a running Gateway to the next tested proxy that answers once
// its upstream fails twice in a row, and only while the setting is on.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "gateway/GatewayFixture.h"
#include "proxypool/MyProxiesFile.h"
#include "services/Failover.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace veilport::testing {
namespace {

std::uint16_t ClosedPort() {
    auto probe = net::listenTcp(Loopback(), 0, 1);
    return net::localPort(probe.value.get()).value;
}

proxypool::TestedProxyList Rows(std::initializer_list<const char*> addresses) {
    proxypool::TestedProxyList tested;
    for (const char* address : addresses) tested.appendRow({address, "Here", "", ""});
    return tested;
}

TEST(NextAnsweringProxy, GoesRoundFromTheFailedRowAndSkipsWhatDoesNotAnswer) {
    const auto tested = Rows({"10.0.0.1:80", "garbage", "socks5://u@10.0.0.2:1080", "10.0.0.3:80"});
    const auto failed = *proxypool::ParseUpstream("10.0.0.3:80").upstream;
    std::vector<std::string> asked;
    const auto answersExcept = [&](const std::string& dead) {
        return [&asked, dead](const proxypool::Upstream& upstream) {
            asked.push_back(upstream.displayText());
            return upstream.displayText() != dead;
        };
    };
    auto next = services::NextAnsweringProxy(tested, failed, answersExcept("10.0.0.1:80"));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->upstream.displayText(), "socks5://u@10.0.0.2:1080");
    EXPECT_EQ(next->entry, "socks5://u@10.0.0.2:1080->Here");
    EXPECT_EQ(asked, (std::vector<std::string>{"10.0.0.1:80", "socks5://u@10.0.0.2:1080"}));

    // Only the failed one itself is left: nothing.
    EXPECT_FALSE(services::NextAnsweringProxy(Rows({"10.0.0.3:80"}), failed,
                                              [](const proxypool::Upstream&) { return true; }));
}

class FailoverFlow : public GatewayFixture {
protected:
    void install() {
        services::InstallFailover(
            *gateway_, nullptr,
            [this](const std::string& text) {
                std::lock_guard lock(mutex_);
                notices_.push_back(text);
            },
            [](const proxypool::Upstream&) { return true; });
    }
    std::vector<std::string> notices() {
        std::lock_guard lock(mutex_);
        return notices_;
    }
    std::mutex mutex_;
    std::vector<std::string> notices_;
};

TEST_F(FailoverFlow, TwoFailuresMoveToTheNextTestedProxy) {
    LoopbackServer second(Answering("HTTP/1.0 200 OK\r\n\r\nsecond"));
    const auto dead = ClosedPort();
    const std::string deadText = "127.0.0.1:" + std::to_string(dead);
    const std::string secondText = "127.0.0.1:" + std::to_string(second.port());
    proxypool::TestedProxyList tested = Rows({deadText.c_str(), secondText.c_str()});
    ASSERT_TRUE(proxypool::SaveTestedProxies(tested).ok);
    StringSetting(settings::kProxyName).set(deadText + "->Here");
    DwordSetting(settings::kFailover).set(1);
    startGateway(dead);
    install();

    // Each failed request still gets the error page; the next ones go through.
    EXPECT_NE(fetch(get()).find("502 Bad Gateway"), std::string::npos);
    EXPECT_NE(fetch(get()).find("502 Bad Gateway"), std::string::npos);
    // The move happens after the second page went out, on that connection's thread.
    ASSERT_TRUE(WaitFor([&] { return !notices().empty(); }));
    EXPECT_EQ(fetch(get()), "HTTP/1.0 200 OK\r\n\r\nsecond");
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), secondText + "->Here");
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_NE(notices()[0].find("now uses " + secondText), std::string::npos) << notices()[0];
}

TEST_F(FailoverFlow, OffByDefaultTheGatewayStaysWithItsProxy) {
    LoopbackServer second(Answering("HTTP/1.0 200 OK\r\n\r\nsecond"));
    const auto dead = ClosedPort();
    const std::string deadText = "127.0.0.1:" + std::to_string(dead);
    const std::string secondText = "127.0.0.1:" + std::to_string(second.port());
    proxypool::TestedProxyList tested = Rows({deadText.c_str(), secondText.c_str()});
    ASSERT_TRUE(proxypool::SaveTestedProxies(tested).ok);
    startGateway(dead);
    install();
    for (int i = 0; i < 4; ++i) EXPECT_NE(fetch(get()).find("502 Bad Gateway"), std::string::npos);
    EXPECT_EQ(second.connections(), 0);
    EXPECT_TRUE(notices().empty());
}

}  // namespace
}  // namespace veilport::testing
