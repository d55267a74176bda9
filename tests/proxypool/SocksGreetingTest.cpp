// A SOCKS5 entry passes its test only when a SOCKS5 proxy answers the greeting
// with the method offered; something that merely listens fails. Real
// microsocks (with and without a login) and tinyproxy are the witnesses.
#include <gtest/gtest.h>

#include "proxypool/CheckPeers.h"
#include "proxypool/SocksGreetingTime.h"
#include "support/TempHome.h"

namespace veilport::testing {
namespace {

using proxypool::MeasureSocksGreetingTime;

std::unique_ptr<PeerProgram> StartMicrosocksWithLogin() {
    const auto program = FindProgram("microsocks");
    if (program.empty()) return nullptr;
    const auto port = FreeLoopbackPort();
    return std::make_unique<PeerProgram>(
        std::vector<std::string>{program, "-i", "127.0.0.1", "-p", std::to_string(port), "-u",
                                 "alice", "-P", "s3cret"},
        port);
}

TEST(SocksGreetingTime, OnlyAProxyChoosingTheOfferedMethodPasses) {
    const auto open = StartMicrosocks();
    const auto locked = StartMicrosocksWithLogin();
    if (!open || !locked) GTEST_SKIP() << "microsocks is needed";
    ASSERT_TRUE(open->started() && locked->started());

    EXPECT_GT(MeasureSocksGreetingTime("127.0.0.1", open->port(), false), 0u);
    EXPECT_GT(MeasureSocksGreetingTime("127.0.0.1", locked->port(), true), 0u);
    // A proxy that wants a login refuses the greeting without one, and one
    // without a login does not take the user/password method.
    EXPECT_EQ(MeasureSocksGreetingTime("127.0.0.1", locked->port(), false), 0u);
    EXPECT_EQ(MeasureSocksGreetingTime("127.0.0.1", open->port(), true), 0u);
}

TEST(SocksGreetingTime, ListenersThatAreNoSocksProxyFail) {
    TempHome home;
    const auto http = StartTinyproxy(home.path(), "plain", "");
    if (!http) GTEST_SKIP() << "tinyproxy is needed";
    ASSERT_TRUE(http->started());
    EXPECT_EQ(MeasureSocksGreetingTime("127.0.0.1", http->port(), false, proxypool::SteadyTicks,
                                       std::chrono::seconds(2)),
              0u);
    // Something that accepts and never answers is given up at the limit.
    const auto silentPort = FreeLoopbackPort();
    auto silent = net::listenTcp(Loopback(), silentPort, 4);
    ASSERT_TRUE(silent.ok());
    EXPECT_EQ(MeasureSocksGreetingTime("127.0.0.1", silentPort, false, proxypool::SteadyTicks,
                                       std::chrono::milliseconds(300)),
              0u);
    EXPECT_EQ(MeasureSocksGreetingTime("127.0.0.1", FreeLoopbackPort(), false), 0u);
    EXPECT_EQ(MeasureSocksGreetingTime("127.0.0.1", 0, false), 0u);
}

TEST(MeasureFor, SocksEntriesAreGreetedAndHttpEntriesKeepTheirMeasure) {
    const auto plain = [](const std::string&, int) { return 42u; };
    const auto http = *proxypool::ParseUpstream("10.0.0.1:8080").upstream;
    EXPECT_EQ(proxypool::MeasureFor(http, plain)("10.0.0.1", 8080), 42u);
    const auto socks = *proxypool::ParseUpstream("socks5h://127.0.0.1:1").upstream;
    // Nothing listens there: the greeting measure ran, not `plain`.
    EXPECT_EQ(proxypool::MeasureFor(socks, plain)("127.0.0.1", FreeLoopbackPort()), 0u);
}

}  // namespace
}  // namespace veilport::testing
