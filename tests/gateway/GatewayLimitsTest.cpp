// Time limits that free a connection's thread and sockets, and how a cut
// answer shows to the browser.
#include <sys/socket.h>

#include <cerrno>
#include <future>
#include <string>

#include "gateway/GatewayFixture.h"
#include "support/BlackHole.h"

namespace veilport::testing {
namespace {

using namespace std::chrono_literals;

class GatewayLimits : public GatewayFixture {
protected:
    static GatewayOptions Limits(std::chrono::milliseconds idle,
                                 std::chrono::milliseconds firstRequest = 60s) {
        GatewayOptions options;
        options.limits.idle = idle;
        options.limits.firstRequest = firstRequest;
        return options;
    }
};

// A dead upstream (its SYNs are dropped) would hold the connection for the
// kernel's two minutes of retries; the Gateway's own limit releases it with
// the error page.
TEST_F(GatewayLimits, BlackHoledUpstreamReleasesTheBrowserAtTheConnectLimit) {
    BlackHole dark;
    startGateway(dark.port());
    auto browser = ConnectLoopback(port_);
    ASSERT_TRUE(SendText(browser.get(), get()));
    const auto sent = std::chrono::steady_clock::now();
    const std::string page = ReadToEnd(browser.get());
    const auto waited = std::chrono::steady_clock::now() - sent;
    EXPECT_EQ(page.rfind("HTTP/1.1 502 Bad Gateway\r\n", 0), 0u) << page;
    EXPECT_NE(page.find("did not answer within 10 seconds"), std::string::npos) << page;
    EXPECT_GE(waited, 10s);
    EXPECT_LE(waited, 12s);
    EXPECT_TRUE(connectionsEnded());
}

// An upstream that takes the request and then says nothing, and keeps its
// side open: after the idle limit the browser sees a reset and the upstream
// sees its connection end.
TEST_F(GatewayLimits, SilentUpstreamIsCutAtTheIdleLimit) {
    std::promise<std::string> upstreamSaw;
    LoopbackServer upstream([&](int fd) {
        ReadUntil(fd, "\r\n\r\n");
        int error = 0;
        upstreamSaw.set_value(ReadToEndOrError(fd, error));
    });
    startGateway(upstream.port(), Limits(200ms));
    auto browser = ConnectLoopback(port_);
    ASSERT_TRUE(SendText(browser.get(), get()));
    int error = 0;
    EXPECT_EQ(ReadToEndOrError(browser.get(), error), "");
    EXPECT_EQ(error, ECONNRESET);
    auto ended = upstreamSaw.get_future();
    ASSERT_EQ(ended.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(ended.get(), "");
    EXPECT_TRUE(connectionsEnded());
}

// A browser that sends half a head and stops is closed at the first-request
// limit without any upstream contacted.
TEST_F(GatewayLimits, HalfAHeadThenSilenceIsClosedAtTheFirstRequestLimit) {
    LoopbackServer upstream(Answering("HTTP/1.0 200 OK\r\n\r\n"));
    startGateway(upstream.port(), Limits(5min, 100ms));
    auto browser = ConnectLoopback(port_);
    ASSERT_TRUE(SendText(browser.get(), "GET http://127.0.0.1/ HTTP/1.1\r\nHost: 127.0"));
    EXPECT_EQ(ReadToEnd(browser.get()), "");
    EXPECT_TRUE(connectionsEnded());
    EXPECT_EQ(upstream.connections(), 0);
}

// A browser that stops reading while the answer streams fills its socket;
// the send that cannot move a byte for the idle limit ends the connection.
TEST_F(GatewayLimits, BrowserThatStopsReadingIsCutAtTheIdleLimit) {
    std::promise<void> upstreamCut;
    LoopbackServer upstream([&](int fd) {
        ReadUntil(fd, "\r\n\r\n");
        const std::string block(64 * 1024, 'z');
        while (SendText(fd, block)) {
        }
        upstreamCut.set_value();
    });
    startGateway(upstream.port(), Limits(200ms));
    auto browser = ConnectLoopback(port_);
    ASSERT_TRUE(SendText(browser.get(), get()));
    EXPECT_EQ(upstreamCut.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(connectionsEnded());
}

// A conversation that keeps moving lives well past the idle limit.
TEST_F(GatewayLimits, ActiveTunnelOutlivesTheIdleLimit) {
    LoopbackServer upstream([](int fd) {
        ReadUntil(fd, "\r\n\r\n");
        (void)SendText(fd, "HTTP/1.1 200 Connection established\r\n\r\n");
        char buffer[256];
        for (;;) {
            const auto got = net::receiveSome(fd, buffer, sizeof(buffer));
            if (!got.ok() || got.value == 0) break;
            (void)SendText(fd, std::string_view(buffer, got.value));
        }
    });
    const auto idle = 300ms;
    startGateway(upstream.port(), Limits(idle));
    auto browser = ConnectLoopback(port_);
    ASSERT_TRUE(SendText(browser.get(), "CONNECT h:443 HTTP/1.1\r\nHost: h:443\r\n\r\n"));
    ASSERT_EQ(ReadUntil(browser.get(), "\r\n\r\n"), "HTTP/1.1 200 Connection established\r\n\r\n");
    const auto start = std::chrono::steady_clock::now();
    int rounds = 0;
    while (std::chrono::steady_clock::now() - start < 4 * idle) {
        ASSERT_TRUE(SendText(browser.get(), "ping"));
        ASSERT_EQ(ReadExactly(browser.get(), 4), "ping") << "after " << rounds << " rounds";
        ++rounds;
    }
    ASSERT_TRUE(net::shutdownSocket(browser.get(), SHUT_WR).ok());
    int error = -1;
    EXPECT_EQ(ReadToEndOrError(browser.get(), error), "");
    EXPECT_EQ(error, 0);
}

// An upstream that resets in the middle of an answer: the browser gets what
// came before and then a reset, never a clean end that would make a cut
// answer without a length look whole.
TEST_F(GatewayLimits, UpstreamResetMidAnswerReachesTheBrowserAsAReset) {
    LoopbackServer upstream([](int fd) {
        ReadUntil(fd, "\r\n\r\n");
        (void)SendText(fd, "HTTP/1.0 200 OK\r\n\r\npart of the answer");
        ASSERT_TRUE(net::setResetOnClose(fd).ok());
    });  // the server closes the descriptor when the handler returns: a reset
    startGateway(upstream.port());
    auto browser = ConnectLoopback(port_);
    ASSERT_TRUE(SendText(browser.get(), get()));
    int error = 0;
    const std::string got = ReadToEndOrError(browser.get(), error);
    EXPECT_EQ(error, ECONNRESET);
    EXPECT_EQ(std::string("HTTP/1.0 200 OK\r\n\r\npart of the answer").rfind(got, 0), 0u)
        << "what arrived is a beginning of what was sent: " << got;
    EXPECT_TRUE(connectionsEnded());
}

}  // namespace
}  // namespace veilport::testing
