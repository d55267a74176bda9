#include <sys/socket.h>

#include <future>
#include <string>

#include "gateway/Connection.h"
#include "gateway/GatewayFixture.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/ChildProcess.h"

namespace veilport::testing {
namespace {

using namespace std::chrono_literals;

class GatewayRelay : public GatewayFixture {};

TEST_F(GatewayRelay, BinaryAnswerArrivesByteForByteWithFilterOffAndOn) {
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n";
    const std::string answer = head + BinaryPayload(10 * 1024 * 1024);
    std::string seen;
    LoopbackServer upstream(Answering(answer, &seen));
    startGateway(upstream.port());

    const std::string got = fetch(get());
    EXPECT_EQ(got.size(), answer.size());
    EXPECT_EQ(std::hash<std::string>{}(got), std::hash<std::string>{}(answer));
    EXPECT_EQ(seen,
              "GET http://127.0.0.1/x HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    EXPECT_TRUE(WaitFor([] { return StringSetting(settings::kLastDomain).get() == "127.0.0.1"; }));

    DwordSetting(settings::kEnableJS).set(1);
    DwordSetting(settings::kEnableActiveX).set(1);
    const std::string filtered = fetch(get());
    EXPECT_EQ(std::hash<std::string>{}(filtered), std::hash<std::string>{}(answer));
    EXPECT_NE(seen.find("Accept-Encoding: identity\r\n"), std::string::npos);
}

// The relay reads into a small buffer first and moves to a larger one once an
// answer fills it; answers of every size around those edges arrive whole, with
// the filter off and on.
TEST_F(GatewayRelay, AnswersAroundTheRelayBufferSizesArriveWhole) {
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n";
    const std::size_t first = Connection::kFirstChunkSize;
    const std::size_t large = Connection::kChunkSize;
    LoopbackServer upstream([&head](int fd) {
        const std::string request = ReadUntil(fd, "\r\n\r\n");
        const std::size_t size = std::stoul(request.substr(request.find("/size/") + 6));
        (void)SendText(fd, head + BinaryPayload(size - head.size()));
    });
    startGateway(upstream.port());
    for (const int filtered : {0, 1}) {
        DwordSetting(settings::kEnableJS).set(filtered);
        for (const std::size_t size : {head.size() + 1, first - 1, first, first + 1,
                                       first + large - 1, first + large, first + large + 1,
                                       first + 3 * large}) {
            const std::string got = fetch("GET http://127.0.0.1/size/" + std::to_string(size) +
                                          " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
            EXPECT_EQ(got.size(), size) << "filter " << filtered;
            EXPECT_TRUE(got == head + BinaryPayload(size - head.size()))
                << size << " bytes, filter " << filtered;
        }
    }
}

TEST_F(GatewayRelay, HtmlPageArrivesWithScriptsRenamedAndNoStaleLength) {
    LoopbackServer upstream(
        Answering("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 41\r\n\r\n"
                  "<HTML><Script>x()</Script><p>Hi</p></HTML>"));
    startGateway(upstream.port());
    DwordSetting(settings::kEnableJS).set(1);
    EXPECT_EQ(fetch(get()),
              "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n"
              "<HTML><noscri>x()</noscri> <p>Hi</p></HTML>");
}

// The switches are not read again while the store is unchanged, so a change
// another program commits (here veilportctl) must still apply from the next
// request, both ways.
TEST_F(GatewayRelay, AFilterSwitchSetByAnotherProgramAppliesFromTheNextRequest) {
    const std::string page = "<HTML><Script>x()</Script></HTML>";
    LoopbackServer upstream(
        Answering("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n" + page));
    startGateway(upstream.port());
    const auto setScripts = [](const char* value) {
        const auto set = RunCommand({VeilportctlPath(), "reg", "set",
                                     "HKLM\\Software\\Veilport\\EnableJS", "--dword", value});
        return set.exitCode == 0;
    };
    const std::string plain = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n" + page;
    const std::string filtered =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<HTML><noscri>x()</noscri> </HTML>";
    EXPECT_EQ(fetch(get()), plain);
    ASSERT_TRUE(setScripts("1"));
    EXPECT_EQ(fetch(get()), filtered);
    EXPECT_EQ(fetch(get()), filtered);
    ASSERT_TRUE(setScripts("0"));
    EXPECT_EQ(fetch(get()), plain);
}

TEST_F(GatewayRelay, UnreachableOrUnresolvableUpstreamGivesTheBadGatewayPage) {
    // A port that was free a moment ago: nothing listens there.
    std::uint16_t closedPort = 0;
    {
        auto probe = net::listenTcp(Loopback(), 0, 1);
        ASSERT_TRUE(probe.ok());
        closedPort = net::localPort(probe.value.get()).value;
    }
    startGateway(closedPort);
    const std::string page = fetch(get());
    EXPECT_EQ(page.rfind("HTTP/1.1 502 Bad Gateway\r\n", 0), 0u) << page;
    EXPECT_NE(page.find("127.0.0.1:" + std::to_string(closedPort)), std::string::npos) << page;
    EXPECT_NE(page.find("Connection refused"), std::string::npos) << page;
    EXPECT_TRUE(WaitFor([] { return StringSetting(settings::kLastDomain).get() == "127.0.0.1"; }));
    // A tunnel gets the status alone.
    EXPECT_EQ(fetch("CONNECT 127.0.0.1:443 HTTP/1.1\r\nHost: 127.0.0.1:443\r\n\r\n"),
              "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nCache-Control: no-store\r\n"
              "Connection: close\r\n\r\n");

    // A dotted target host never has the upstream name looked up.
    LoopbackServer upstream(Answering("HTTP/1.0 200 OK\r\n\r\nvia name"));
    gateway_->updateUpstream(Settings(0, upstream.port(), "localhost"));
    EXPECT_NE(fetch(get("127.0.0.1")).find("502 Bad Gateway"), std::string::npos);
    EXPECT_EQ(fetch(get("localhost")), "HTTP/1.0 200 OK\r\n\r\nvia name");
    EXPECT_EQ(upstream.connections(), 1);
}

TEST_F(GatewayRelay, UpdateUpstreamLetsTheRunningAnswerFinishAtTheOldOne) {
    std::promise<void> release;
    auto released = release.get_future().share();
    LoopbackServer oldUpstream([released](int fd) {
        ReadUntil(fd, "\r\n\r\n");
        (void)SendText(fd, "HTTP/1.0 200 OK\r\n\r\nold-");
        released.wait();
        (void)SendText(fd, "rest");
    });
    LoopbackServer newUpstream(Answering("HTTP/1.0 200 OK\r\n\r\nnew"));
    startGateway(oldUpstream.port());

    auto slow = ConnectLoopback(port_);
    ASSERT_TRUE(SendText(slow.get(), get()));
    EXPECT_EQ(ReadUntil(slow.get(), "old-"), "HTTP/1.0 200 OK\r\n\r\nold-");

    EXPECT_TRUE(gateway_->updateUpstream(Settings(0, newUpstream.port())));
    EXPECT_EQ(fetch(get()), "HTTP/1.0 200 OK\r\n\r\nnew");
    release.set_value();
    EXPECT_EQ(ReadToEnd(slow.get()), "rest");
    EXPECT_EQ(oldUpstream.connections(), 1);
    EXPECT_EQ(newUpstream.connections(), 1);
}

TEST_F(GatewayRelay, StopThenStartOnTheSamePortLeavesOneListener) {
    LoopbackServer upstream(Answering("HTTP/1.0 200 OK\r\n\r\nok"));
    startGateway(upstream.port(), WithoutParking());
    for (int round = 0; round < 20; ++round) {
        gateway_->stop();
        EXPECT_FALSE(gateway_->isRunning());
        ASSERT_TRUE(gateway_->start(Settings(port_, upstream.port())));
        const auto outcome = gateway_->waitUntilSettled(10s);
        ASSERT_EQ(outcome.state, Listener::State::Listening) << net::errorText(outcome.error);
        ASSERT_EQ(outcome.port, port_);
        EXPECT_TRUE(gateway_->isRunning());
    }
    EXPECT_EQ(fetch(get()), "HTTP/1.0 200 OK\r\n\r\nok");
    // The threads of the old listeners have all ended: only the one waiting
    // at the newest is left.
    EXPECT_TRUE(WaitFor([&] { return gateway_->connectionThreads().threads() == 1; }))
        << gateway_->connectionThreads().threads() << " threads";
}

TEST_F(GatewayRelay, PortTakenByAnotherProgramLeavesItStopped) {
    in_addr any{};
    auto other = net::listenTcp(any, 0, 1);
    ASSERT_TRUE(other.ok());
    const std::uint16_t taken = net::localPort(other.value.get()).value;

    Gateway gateway;
    EXPECT_TRUE(gateway.start(Settings(taken, 9)));
    const auto outcome = gateway.waitUntilSettled(10s);
    EXPECT_EQ(outcome.state, Listener::State::Failed);
    EXPECT_EQ(outcome.error, EADDRINUSE);
    EXPECT_FALSE(gateway.isRunning());
}

TEST_F(GatewayRelay, LongPostBodyArrivesWhole) {
    const std::string body = BinaryPayload(5 * 1024 * 1024);
    std::string received;
    LoopbackServer upstream([&received, size = body.size()](int fd) {
        std::string all = ReadUntil(fd, "\r\n\r\n");
        const auto headEnd = all.find("\r\n\r\n") + 4;
        all += ReadExactly(fd, headEnd + size - all.size());
        received = all.substr(headEnd);
        (void)SendText(fd, "HTTP/1.0 200 OK\r\n\r\nstored");
    });
    startGateway(upstream.port());
    const std::string request =
        "POST http://127.0.0.1/up HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body;
    EXPECT_EQ(fetch(request), "HTTP/1.0 200 OK\r\n\r\nstored");
    EXPECT_EQ(received.size(), body.size());
    EXPECT_TRUE(received == body);
}

TEST_F(GatewayRelay, ConnectTunnelCarriesBytesBothWays) {
    LoopbackServer upstream([](int fd) {
        ReadUntil(fd, "\r\n\r\n");
        (void)SendText(fd, "HTTP/1.1 200 Connection established\r\n\r\n");
        char buffer[256];
        for (;;) {
            const auto got = net::receiveSome(fd, buffer, sizeof(buffer));
            if (!got.ok() || got.value == 0) break;
            for (std::size_t i = 0; i < got.value; ++i)
                buffer[i] = static_cast<char>(std::toupper(buffer[i]));
            (void)SendText(fd, std::string_view(buffer, got.value));
        }
        (void)SendText(fd, "bye");
    });
    startGateway(upstream.port());
    auto browser = ConnectLoopback(port_);
    ASSERT_TRUE(SendText(browser.get(),
                         "CONNECT example.com:443 HTTP/1.1\r\nHost: example.com:443\r\n\r\n"));
    EXPECT_EQ(ReadUntil(browser.get(), "\r\n\r\n"), "HTTP/1.1 200 Connection established\r\n\r\n");
    for (std::string word : {"ping", "tls bytes\x01\x02", "more"}) {
        ASSERT_TRUE(SendText(browser.get(), word));
        std::string upper = word;
        for (char& c : upper) c = static_cast<char>(std::toupper(c));
        EXPECT_EQ(ReadExactly(browser.get(), word.size()), upper);
    }
    // Closing the browser's sending side reaches the upstream, whose last
    // words still come back.
    ASSERT_TRUE(net::shutdownSocket(browser.get(), SHUT_WR).ok());
    EXPECT_EQ(ReadToEnd(browser.get()), "bye");
}

TEST_F(GatewayRelay, SilentBrowserIsClosedAfterTheFirstByteTimeout) {
    LoopbackServer upstream(Answering("HTTP/1.0 200 OK\r\n\r\n"));
    GatewayOptions options;
    options.limits.firstRequest = 50ms;
    startGateway(upstream.port(), options);
    auto silent = ConnectLoopback(port_);
    EXPECT_EQ(ReadToEnd(silent.get()), "");
    EXPECT_TRUE(connectionsEnded());
    EXPECT_EQ(upstream.connections(), 0);
}

std::atomic<bool> gRefuseThreads{false};
bool RefusingStarter(std::function<void()> body) {
    return gRefuseThreads ? false : StartDetachedThread(std::move(body));
}

TEST_F(GatewayRelay, ConnectionWithoutAThreadIsClosedAndListeningGoesOn) {
    LoopbackServer upstream(Answering("HTTP/1.0 200 OK\r\n\r\nserved"));
    // Without parked threads, every connection needs a new one.
    GatewayOptions options = WithoutParking();
    options.startThread = &RefusingStarter;
    startGateway(upstream.port(), options);
    // The first request opens the settings store; count from there on.
    EXPECT_EQ(fetch(get()), "HTTP/1.0 200 OK\r\n\r\nserved");
    EXPECT_TRUE(connectionsEnded());
    const int descriptors = DescriptorCount();

    gRefuseThreads = true;
    EXPECT_EQ(fetch(get()), "");
    gRefuseThreads = false;
    EXPECT_EQ(fetch(get()), "HTTP/1.0 200 OK\r\n\r\nserved");
    EXPECT_TRUE(connectionsEnded());
    EXPECT_TRUE(WaitFor([&] { return DescriptorCount() == descriptors; }));
    EXPECT_TRUE(gateway_->isRunning());
}

// ProxyName is taken apart by the same rule as everywhere in the pool, so
// every front end starts the Gateway from the same texts.
TEST(GatewaySettings, TakesTheUpstreamFromTheProxyTextAsThePoolDoes) {
    const auto full = GatewaySettings::upstreamOf("10.0.0.2:3128->Germany <supports POST>");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->host, "10.0.0.2");
    EXPECT_EQ(full->port, 3128);
    const auto blank = GatewaySettings::upstreamOf("127.0.0.1: 3128->Here");
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->host, "127.0.0.1");
    EXPECT_EQ(blank->port, 3128);
    const auto sign = GatewaySettings::upstreamOf("h:+81");
    ASSERT_TRUE(sign);
    EXPECT_EQ(sign->port, 81);
    for (const char* unusable : {"", "10.0.0.2", ":80", "h:x80", "h:-81", "h:70000", "h:0", "h:"})
        EXPECT_FALSE(GatewaySettings::upstreamOf(unusable)) << unusable;

    TempHome home;
    StringSetting(settings::kProxyName).set("1.2.3.4:8081");
    DwordSetting(settings::kLocalPort).set(9090);
    const auto stored = GatewaySettings::fromStore();
    EXPECT_EQ(stored.localPort, 9090);
    EXPECT_EQ(stored.upstreamHost, "1.2.3.4");
    EXPECT_EQ(stored.upstreamPort, 8081);
}

}  // namespace
}  // namespace veilport::testing
