// The Gateway against real upstreams that nobody here wrote, started on
// loopback: microsocks (SOCKS5, with and without a login) and tinyproxy with
// BasicAuth. The origin is a loopback server of the test.
#include <netdb.h>
#include <sys/socket.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "gateway/GatewayFixture.h"
#include "support/ChildProcess.h"

namespace veilport::testing {
namespace {

using proxypool::UpstreamScheme;

std::uint16_t FreePort() {
    auto probe = net::listenTcp(Loopback(), 0, 1);
    return probe.ok() ? net::localPort(probe.value.get()).value : 0;
}

bool Accepts(std::uint16_t port) {
    return net::connectTcp(Loopback(), port).ok();
}

bool Installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A peer program on a free loopback port, run through the shell so its output
// goes nowhere; killed at the end of the test.
struct Peer {
    std::uint16_t port = 0;
    std::unique_ptr<ChildProcess> process;

    bool start(const std::string& commandWithPort) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            port = FreePort();
            std::string command = commandWithPort;
            command.replace(command.find("PORT"), 4, std::to_string(port));
            process = std::make_unique<ChildProcess>(
                std::vector<std::string>{"/bin/sh", "-c", "exec " + command + " >/dev/null 2>&1"});
            if (WaitFor([&] { return Accepts(port); })) return true;
        }
        return false;
    }
};

class UpstreamPeers : public GatewayFixture {
protected:
    void SetUp() override {
        origin_ = std::make_unique<LoopbackServer>([this](int fd) {
            const std::string request = ReadUntil(fd, "\r\n\r\n");
            {
                std::lock_guard lock(mutex_);
                originSaw_ = request;
            }
            if (request.rfind("ECHO", 0) == 0) {  // a tunnel's traffic comes back
                (void)SendText(fd, "echo:" + request);
                return;
            }
            (void)SendText(fd, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\norigin");
        });
    }

    void startThrough(UpstreamScheme scheme, std::uint16_t port, const char* user = nullptr,
                      const char* password = nullptr) {
        GatewaySettings settings = Settings(0, port);
        settings.scheme = scheme;
        if (user) settings.user = user;
        if (password) settings.password = password;
        startGatewayWith(settings);
    }

    std::string getFrom(const std::string& host) {
        return fetch("GET http://" + host + ":" + std::to_string(origin_->port()) +
                     "/x HTTP/1.1\r\nHost: " + host + ":" + std::to_string(origin_->port()) +
                     "\r\n\r\n");
    }

    // A CONNECT, then bytes of our own through the tunnel.
    std::string tunnelTo(const std::string& host) {
        auto browser = ConnectLoopback(port_);
        const std::string authority = host + ":" + std::to_string(origin_->port());
        EXPECT_TRUE(SendText(browser.get(), "CONNECT " + authority +
                                                " HTTP/1.1\r\nHost: " + authority + "\r\n\r\n"));
        const std::string answer = ReadUntil(browser.get(), "\r\n\r\n");
        if (answer.find(" 200 ") == std::string::npos) return answer + ReadToEnd(browser.get());
        EXPECT_TRUE(SendText(browser.get(), "ECHO tunnel\r\n\r\n"));
        return answer + ReadToEnd(browser.get());
    }

    std::string originSaw() {
        std::lock_guard lock(mutex_);
        return originSaw_;
    }

    std::unique_ptr<LoopbackServer> origin_;
    std::mutex mutex_;
    std::string originSaw_;
};

constexpr const char* kOk = "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\norigin";

TEST_F(UpstreamPeers, MicrosocksCarriesPlainRequestsAndTunnels) {
    if (!Installed("microsocks")) GTEST_SKIP() << "microsocks is needed";
    Peer socks;
    ASSERT_TRUE(socks.start("microsocks -i 127.0.0.1 -p PORT"));
    startThrough(UpstreamScheme::Socks5h, socks.port);

    EXPECT_EQ(getFrom("127.0.0.1"), kOk);
    // The site was spoken to directly through the tunnel: origin form, no proxy fields.
    EXPECT_EQ(originSaw().rfind("GET /x HTTP/1.1\r\n", 0), 0u) << originSaw();
    EXPECT_EQ(tunnelTo("127.0.0.1"),
              "HTTP/1.1 200 Connection established\r\n\r\necho:ECHO tunnel\r\n\r\n");
    // A name the proxy resolves on its own ("localhost" on this machine).
    EXPECT_EQ(getFrom("localhost"), kOk);

    // A site the proxy cannot reach: the proxy's own reason on the page.
    const std::string refused = fetch("GET http://127.0.0.1:" + std::to_string(FreePort()) +
                                      "/ HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(refused.rfind("HTTP/1.1 502 Bad Gateway\r\n", 0), 0u) << refused;
    EXPECT_NE(refused.find("socks5h://127.0.0.1:" + std::to_string(socks.port)), std::string::npos);
}

TEST_F(UpstreamPeers, MicrosocksWithALoginTakesOursAndRefusesAWrongOne) {
    if (!Installed("microsocks")) GTEST_SKIP() << "microsocks is needed";
    Peer socks;
    ASSERT_TRUE(socks.start("microsocks -i 127.0.0.1 -p PORT -u alice -P 's3cret pass'"));

    startThrough(UpstreamScheme::Socks5, socks.port, "alice", "s3cret pass");
    EXPECT_EQ(getFrom("127.0.0.1"), kOk);
    EXPECT_EQ(tunnelTo("127.0.0.1"),
              "HTTP/1.1 200 Connection established\r\n\r\necho:ECHO tunnel\r\n\r\n");

    GatewaySettings wrong = Settings(0, socks.port);
    wrong.scheme = UpstreamScheme::Socks5;
    wrong.user = "alice";
    wrong.password = "guess";
    gateway_->updateUpstream(wrong);
    const std::string page = getFrom("127.0.0.1");
    EXPECT_EQ(page.rfind("HTTP/1.1 502 Bad Gateway\r\n", 0), 0u) << page;
    EXPECT_NE(page.find("The proxy refused Veilport's login."), std::string::npos) << page;
    EXPECT_NE(page.find("socks5://alice@127.0.0.1:"), std::string::npos) << page;
    EXPECT_EQ(page.find("guess"), std::string::npos) << page;
    EXPECT_EQ(tunnelTo("127.0.0.1").rfind("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n", 0),
              0u);

    // No login at all where one is needed.
    gateway_->updateUpstream([&] {
        auto none = Settings(0, socks.port);
        none.scheme = UpstreamScheme::Socks5;
        return none;
    }());
    EXPECT_NE(getFrom("127.0.0.1").find("asks for a login"), std::string::npos);
}

// The proxy alone knows the site's name (its own /etc/hosts, in a mount
// namespace of its own): the page arrives only because the Gateway sent the
// name along instead of looking it up.
TEST_F(UpstreamPeers, SiteNamesAreResolvedByTheSocksProxyOnly) {
    if (!Installed("microsocks") || !Installed("unshare"))
        GTEST_SKIP() << "microsocks and unshare are needed";
    const auto hosts = home_.path() / "hosts";
    std::ofstream(hosts) << "127.0.0.1 localhost\n127.0.0.1 only-the-proxy-knows.test\n";
    addrinfo* found = nullptr;
    ASSERT_NE(getaddrinfo("only-the-proxy-knows.test", nullptr, nullptr, &found), 0)
        << "this machine must not know the name";
    if (RunCommand({"/usr/bin/unshare", "-m", "/bin/true"}).exitCode != 0)
        GTEST_SKIP() << "no mount namespace can be made here";

    for (const auto scheme : {UpstreamScheme::Socks5h, UpstreamScheme::Socks5}) {
        Peer socks;
        ASSERT_TRUE(socks.start("unshare -m /bin/sh -c 'mount --bind " + hosts.string() +
                                " /etc/hosts && exec microsocks -i 127.0.0.1 -p PORT'"));
        startThrough(scheme, socks.port);
        EXPECT_EQ(getFrom("only-the-proxy-knows.test"), kOk);
        EXPECT_EQ(tunnelTo("only-the-proxy-knows.test"),
                  "HTTP/1.1 200 Connection established\r\n\r\necho:ECHO tunnel\r\n\r\n");
        gateway_->stop();
        EXPECT_TRUE(connectionsEnded());
    }
}

// tinyproxy refuses a wrong login with 401 (not 407); to a CONNECT that can only
// be the proxy's answer, so the tunnel gets the bare 502.
TEST_F(UpstreamPeers, TinyproxyWithBasicAuthTakesOurLoginAndRefusalsBecome502) {
    if (!Installed("tinyproxy")) GTEST_SKIP() << "tinyproxy is needed";
    const auto config = home_.path() / "tinyproxy.conf";
    Peer proxy;
    // The port goes into the configuration, so it is written once per attempt.
    const std::uint16_t port = FreePort();
    std::ofstream(config) << "Port " << port << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 16\n"
                          << "LogLevel Critical\nAllow 127.0.0.1\nDisableViaHeader Yes\n"
                          << "BasicAuth bob s3cret-word\n"
                          << "ConnectPort " << origin_->port() << "\n";
    proxy.process = std::make_unique<ChildProcess>(std::vector<std::string>{
        "/bin/sh", "-c", "exec tinyproxy -d -c " + config.string() + " >/dev/null 2>&1"});
    ASSERT_TRUE(WaitFor([&] { return Accepts(port); }));

    startThrough(UpstreamScheme::Http, port, "bob", "s3cret-word");
    EXPECT_EQ(getFrom("127.0.0.1"), kOk);
    EXPECT_EQ(originSaw().find("Proxy-Authorization"), std::string::npos) << originSaw();
    const std::string tunnel = tunnelTo("127.0.0.1");
    EXPECT_NE(tunnel.find("echo:ECHO tunnel"), std::string::npos) << tunnel;

    GatewaySettings wrong = Settings(0, port);
    wrong.user = "bob";
    wrong.password = "nope";
    gateway_->updateUpstream(wrong);
    EXPECT_EQ(tunnelTo("127.0.0.1").rfind("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n", 0),
              0u);
}

// A 407 never reaches the browser, which would ask the person for our login.
TEST_F(UpstreamPeers, A407FromAnHttpProxyBecomesThePage) {
    LoopbackServer proxy(
        Answering("HTTP/1.1 407 Proxy Authentication Required\r\n"
                  "Proxy-Authenticate: Basic realm=\"p\"\r\n\r\n"));
    startThrough(UpstreamScheme::Http, proxy.port(), "bob", "wrong");
    const std::string page = getFrom("127.0.0.1");
    EXPECT_EQ(page.rfind("HTTP/1.1 502 Bad Gateway\r\n", 0), 0u) << page;
    EXPECT_NE(page.find("The proxy refused Veilport's login."), std::string::npos) << page;
    EXPECT_NE(page.find("http://bob@127.0.0.1:"), std::string::npos) << page;
    // The proxy's status and challenge stay out of it (the port on the page
    // may hold the digits 407).
    EXPECT_EQ(page.find("407 Proxy"), std::string::npos) << page;
    EXPECT_EQ(page.find("Proxy-Authenticate"), std::string::npos) << page;
    EXPECT_EQ(page.find("wrong"), std::string::npos) << page;

    gateway_->updateUpstream(Settings(0, proxy.port()));
    EXPECT_NE(getFrom("127.0.0.1").find("asks for a login"), std::string::npos);
    // A short answer cut before its status is whole still reaches the browser.
    LoopbackServer terse(Answering("HTTP/1"));
    gateway_->updateUpstream(Settings(0, terse.port()));
    EXPECT_EQ(getFrom("127.0.0.1"), "HTTP/1");
}

}  // namespace
}  // namespace veilport::testing
