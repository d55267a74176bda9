#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/io/AtomicFile.h"
#include "proxypool/TestAllCheck.h"
#include "settings/StringSetting.h"
#include "support/PoolFakes.h"
#include "support/TempHome.h"

namespace veilport::proxypool {
namespace {

using testing::CallLog;
using testing::FakeUi;

class TestAllCheckTest : public ::testing::Test {
protected:
    TestAllCheckTest() { StringSetting(settings::kAppPath).set(home_.veilportHome().string()); }

    static ProxyCheck Works(std::uint32_t connectMs, std::uint32_t latencyMs) {
        ProxyCheck check;
        check.connected = check.works = check.judgeReachable = true;
        check.connectMs = connectMs;
        check.latencyMs = latencyMs;
        return check;
    }

    ::veilport::testing::TempHome home_;
    CallLog log_;
    FakeUi ui_{log_};
};

// Results arrive while the user changes the list: each is applied to the row
// that has the address now, so nothing adopted meanwhile is lost and nothing
// removed comes back.
TEST_F(TestAllCheckTest, ResultsFollowTheListAsItIsNow) {
    TestedProxyList tested;
    tested.appendRow({"1.1.1.1:80", "A", "Not Tested", ""});
    tested.appendRow({"2.2.2.2:80", "B", "Not Tested", ""});
    tested.appendRow({"3.3.3.3:80", "C", "Not Tested", ""});
    std::vector<std::string> addresses;
    const auto proxies = TestedProxiesToCheck(tested, addresses);
    ASSERT_EQ(proxies.size(), 3u);
    EXPECT_EQ(proxies[1].host, "2.2.2.2");
    EXPECT_EQ(proxies[1].port, 80);

    // Meanwhile: a proxy is adopted at the front, another one removed.
    tested.insertRow(0, {"9.9.9.9:80", "New", "5 milliseconds", ""});
    tested.removeRow(tested.FindTestedProxy("3.3.3.3:80"));

    EXPECT_EQ(ApplyTestAllCheck(tested, addresses[0], Works(10, 250), ui_, ui_),
              TestAllOutcome::Updated);
    EXPECT_EQ(ApplyTestAllCheck(tested, addresses[1], ProxyCheck{}, ui_, ui_),
              TestAllOutcome::Removed);
    EXPECT_EQ(ApplyTestAllCheck(tested, addresses[2], ProxyCheck{}, ui_, ui_),
              TestAllOutcome::Gone);
    ASSERT_EQ(tested.rowCount(), 2);
    EXPECT_EQ(tested.row(0).address, "9.9.9.9:80");
    EXPECT_EQ(tested.row(1), (ProxyRecord{"1.1.1.1:80", "A", "250 miliseconds", "165.60 KB/sec"}));
    EXPECT_EQ(log_, (CallLog{"status Test failed - proxy removed"}));
    EXPECT_EQ(io::readWholeFile(home_.veilportHome() / "MyProxies.txt"),
              "9.9.9.9:80->New\n1.1.1.1:80->A\n");
}

// A proxy that connects but fails the judge is as dead as one that does not connect.
TEST_F(TestAllCheckTest, AProxyThatFailsTheJudgeIsRemoved) {
    TestedProxyList tested;
    tested.appendRow({"1.1.1.1:80", "A", "Not Tested", ""});
    ProxyCheck ownPage;
    ownPage.connected = ownPage.judgeReachable = true;
    ownPage.connectMs = 3;
    EXPECT_EQ(ApplyTestAllCheck(tested, "1.1.1.1:80", ownPage, ui_, ui_), TestAllOutcome::Removed);
    EXPECT_EQ(tested.rowCount(), 0);
}

}  // namespace
}  // namespace veilport::proxypool
