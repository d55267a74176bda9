// veilportctl with the upstreams people have: a SOCKS5 proxy (microsocks)
// given in URL form, curl as the browser, a loopback origin.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gateway/LoopbackPeers.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport::testing {
namespace {

std::uint16_t FreePort() {
    auto probe = net::listenTcp(Loopback(), 0, 1);
    return net::localPort(probe.value.get()).value;
}

class UpstreamEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v microsocks >/dev/null && command -v curl >/dev/null") != 0)
            GTEST_SKIP() << "microsocks and curl are needed";
        origin_ = std::make_unique<LoopbackServer>([](int fd) {
            (void)ReadUntil(fd, "\r\n\r\n");
            (void)SendText(fd, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\norigin");
        });
        for (int attempt = 0; attempt < 5 && !socks_; ++attempt) {
            socksPort_ = FreePort();
            socks_ = std::make_unique<ChildProcess>(
                std::vector<std::string>{"/bin/sh", "-c",
                                         "exec microsocks -i 127.0.0.1 -p " +
                                             std::to_string(socksPort_) + " >/dev/null 2>&1"});
            if (!WaitFor([&] { return net::connectTcp(Loopback(), socksPort_).ok(); }))
                socks_.reset();
        }
        ASSERT_TRUE(socks_);
    }

    static CommandResult ctl(std::vector<std::string> args) {
        args.insert(args.begin(), VeilportctlPath());
        return RunCommand(args);
    }

    std::string originUrl() const {
        return "http://127.0.0.1:" + std::to_string(origin_->port()) + "/x";
    }

    TempHome home_;
    std::unique_ptr<LoopbackServer> origin_;
    std::unique_ptr<ChildProcess> socks_;
    std::uint16_t socksPort_ = 0;
};

TEST_F(UpstreamEndToEnd, GatewayThroughSocks5hCarriesRequestsAndTunnels) {
    const std::string upstream = "socks5h://127.0.0.1:" + std::to_string(socksPort_);
    ChildProcess gateway({VeilportctlPath(), "gateway", "--port", "0", "--upstream", upstream});
    std::string line;
    ASSERT_TRUE(gateway.readLine(line));
    const std::string prefix = "Gateway listening on 127.0.0.1:";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    EXPECT_NE(line.find(", upstream " + upstream), std::string::npos) << line;
    const std::string proxy =
        "http://127.0.0.1:" + line.substr(prefix.size(), line.find(',') - prefix.size());

    EXPECT_EQ(RunCommand({"/usr/bin/curl", "-s", "-x", proxy, originUrl()}).out, "origin");
    // -p makes curl ask for a tunnel (CONNECT) even for http://.
    EXPECT_EQ(RunCommand({"/usr/bin/curl", "-s", "-p", "-x", proxy, originUrl()}).out, "origin");
    gateway.killAndWait(SIGTERM);
}

TEST_F(UpstreamEndToEnd, BadOrPasswordCarryingUpstreamsAreRefusedAndNothingStarts) {
    auto result = ctl({"gateway", "--port", "0", "--upstream", "socks5://bob:hunter2@h:1080"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("--password-stdin"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("hunter2"), std::string::npos) << result.err;

    result = ctl({"gateway", "--port", "0", "--upstream", "ftp://h:21"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("\"ftp://h:21\""), std::string::npos) << result.err;

    result = ctl({"gateway", "--port", "0", "--listen", "everywhere", "--upstream", "h:1"});
    EXPECT_EQ(result.exitCode, 2);

    result = ctl({"adopt", "socks5://bob:hunter2@h:1080"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err.find("hunter2"), std::string::npos) << result.err;
}

TEST_F(UpstreamEndToEnd, FailoverIsOffUntilSwitchedOn) {
    EXPECT_EQ(ctl({"failover", "show"}).out, "failover off\n");
    EXPECT_EQ(ctl({"failover", "on"}).out, "failover on\n");
    EXPECT_EQ(ctl({"failover", "show"}).out, "failover on\n");
    EXPECT_EQ(ctl({"failover", "off"}).out, "failover off\n");
    EXPECT_EQ(ctl({"failover", "maybe"}).exitCode, 2);
}

}  // namespace
}  // namespace veilport::testing
