#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <future>
#include <stop_token>

#include "platform/io/UniqueFd.h"
#include "proxypool/ConnectTime.h"
#include "proxypool/ProxyTesterSession.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/BlackHole.h"
#include "support/TempHome.h"

namespace veilport::proxypool {
namespace {

// A name whose first label is longer than DNS allows: the resolver refuses it
// itself, so the lookup fails without a query leaving the machine.
const std::string kUnresolvable = std::string(70, 'a') + ".invalid";

io::UniqueFd ListenOnLoopback(int& port) {
    io::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd.get(), 4) != 0)
        return {};
    socklen_t length = sizeof(address);
    (void)::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

TEST(MeasureConnectTime, TimesAConnectionAndGivesZeroForEveryFailure) {
    int port = 0;
    auto listener = ListenOnLoopback(port);
    ASSERT_TRUE(listener);
    // A clock that stands still: a connect within one tick counts as 1 ms.
    const TickSource frozen = [] { return 5000u; };
    EXPECT_EQ(MeasureConnectTime("127.0.0.1", port, frozen), 1u);
    // The difference survives the counter's wrap.
    std::uint32_t next = 0xFFFFFFF0u;
    const TickSource wrapping = [&] { return std::exchange(next, 0x10u); };
    EXPECT_EQ(MeasureConnectTime("localhost", port, wrapping), 0x20u);

    listener.reset();
    EXPECT_EQ(MeasureConnectTime("127.0.0.1", port, frozen), 0u);
    EXPECT_EQ(MeasureConnectTime("", 80, frozen), 0u);
    EXPECT_EQ(MeasureConnectTime(kUnresolvable, 80, frozen), 0u);
    EXPECT_EQ(MeasureConnectTime("\r\n127.0.0.1", port, frozen), 0u);
    EXPECT_EQ(MeasureConnectTime("127.0.0.1", 0, frozen), 0u);
}

TEST(EstimatedSpeed, DerivesTheTextsFromTheConnectTime) {
    EXPECT_DOUBLE_EQ(EstimatedSpeed(1), 1656.0);
    EXPECT_EQ(SpeedText(1), "1656.00 KB/sec");
    EXPECT_EQ(ResponseTimeText(100), "100 milliseconds");
    EXPECT_EQ(QuickResponseTimeText(100), "100 miliseconds");
    EXPECT_EQ(SpeedText(100), "16.56 KB/sec");
    EXPECT_EQ(SpeedText(1000), "1.66 KB/sec");
}

TEST(ProxyTesterSession, ASuccessfulRunShowsThreeRowsAndHandsBackItsResults) {
    veilport::testing::TempHome home;
    ProxyTesterSession session("1.2.3.4", 80, "1.2.3.4:80->DE",
                               [](const std::string&, int) { return 100u; });
    EXPECT_EQ(session.detailsText(), "Proxy details: 1.2.3.4:80");
    session.start();
    EXPECT_EQ(session.rows(),
              (std::vector<TesterRow>{{"Get proxy response time", "100 milliseconds"},
                                      {"Get proxy download speed", "16.56 KB/sec"},
                                      {"Test Completed", "Proxy ready"}}));
    EXPECT_EQ(session.progress(), 100);
    EXPECT_EQ(StringSetting(settings::kTmpResponseTime).get(), "100 milliseconds");
    EXPECT_EQ(StringSetting(settings::kTmpDownloadSpeed).get(), "16.56 KB/sec");
    EXPECT_EQ(DwordSetting(settings::kFail).get(), 0u);
    EXPECT_TRUE(DwordSetting(settings::kFail).valid());
    EXPECT_FALSE(StringSetting(settings::kProxyName).valid()) << "only OK chooses the proxy";
}

TEST(ProxyTesterSession, AFailedRunKeepsTheSpeedAndProxyNameOfBefore) {
    veilport::testing::TempHome home;
    StringSetting(settings::kTmpDownloadSpeed).set("old speed");
    StringSetting(settings::kProxyName).set("old proxy");
    std::uint32_t ms = 7;
    ProxyTesterSession session("h", 1, "h:1", [&](const std::string&, int) { return ms; });
    session.start();
    ms = 0;
    session.start();
    ASSERT_EQ(session.rows().size(), 4u);
    EXPECT_EQ(session.rows()[3],
              (TesterRow{"Proxy server is NOT AVAILABLE", "Connection Failure"}));
    EXPECT_FALSE(session.succeeded());
    EXPECT_EQ(StringSetting(settings::kTmpResponseTime).get(), "");
    EXPECT_EQ(DwordSetting(settings::kFail).get(), 1u);
    EXPECT_EQ(StringSetting(settings::kTmpDownloadSpeed).get(), "236.57 KB/sec");
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "old proxy");
}

TEST(ProxyTesterSession, ARunForShowOnlyWritesNothing) {
    veilport::testing::TempHome home;
    ProxyTesterSession session(
        "h", 1, "h:1", [](const std::string&, int) { return 3u; }, false);
    session.start();
    EXPECT_TRUE(session.succeeded());
    EXPECT_FALSE(StringSetting(settings::kProxyName).valid());
    EXPECT_FALSE(DwordSetting(settings::kFail).valid());
}

}  // namespace
}  // namespace veilport::proxypool

namespace veilport::proxypool {
namespace {

// Exit must not wait for a test of a proxy that never answers: a stop ends
// the attempt (the time limit here is far longer than any test run).
TEST(MeasureConnectTimeStop, AStopEndsAConnectThatWouldWaitForever) {
    veilport::testing::BlackHole dark;
    std::stop_source stop;
    auto measuring = std::async(std::launch::async, [&] {
        return MeasureConnectTime("127.0.0.1", dark.port(), SteadyTicks, std::chrono::hours(1),
                                  stop.get_token());
    });
    stop.request_stop();
    EXPECT_EQ(measuring.get(), 0u);
    EXPECT_EQ(RealConnectMeasure(stop.get_token())("127.0.0.1", dark.port()), 0u);
}

}  // namespace
}  // namespace veilport::proxypool
