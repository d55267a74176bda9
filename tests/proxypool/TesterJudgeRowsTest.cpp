#include <gtest/gtest.h>

#include "proxypool/CheckRows.h"
#include "proxypool/ProxyTesterSession.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport::proxypool {
namespace {

using Rows = std::vector<TesterRow>;

ProxyCheck Connected(std::uint32_t ms) {
    ProxyCheck check;
    check.connected = true;
    check.connectMs = ms;
    return check;
}

class TesterJudgeRows : public ::testing::Test {
protected:
    void SetUp() override {
        StringSetting name(settings::kProxyName);
        name.set("before");
        name.write();
    }
    testing::TempHome home_;
};

TEST_F(TesterJudgeRows, AWorkingProxyShowsEveryFactAndIsAdopted) {
    auto check = Connected(100);
    check.judgeReachable = true;
    check.works = true;
    check.latencyMs = 250;
    check.exitAddress = "198.51.100.7";
    check.level = AnonymityLevel::Elite;
    check.https = HttpsSupport::Yes;
    check.country = "unknown";
    ProxyTesterSession session("198.51.100.7", 3128, "198.51.100.7:3128->X", {});
    session.start(check);
    EXPECT_EQ(session.rows(), (Rows{{"Get proxy response time", "100 milliseconds"},
                                    {"Get proxy download speed", "16.56 KB/sec"},
                                    {"Request through the proxy", "Works"},
                                    {"Time to first byte", "250 milliseconds"},
                                    {"Exit address", "198.51.100.7"},
                                    {"Anonymity level", "elite"},
                                    {"HTTPS", "Yes"},
                                    {"Exit country", "unknown"},
                                    {"Test Completed", "Proxy ready"}}));
    EXPECT_TRUE(session.succeeded());
    EXPECT_EQ(DwordSetting(settings::kFail).get(), 0u);
    EXPECT_EQ(StringSetting(settings::kTmpResponseTime).get(), "100 milliseconds");
    // Only the user's OK chooses the proxy: the test itself names none.
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "before");
}

// The fault the judge mends: a proxy that accepts connections but serves its
// own page used to pass as "Proxy ready".
TEST_F(TesterJudgeRows, AProxyThatConnectsButFailsTheJudgeFailsTheTest) {
    auto check = Connected(5);
    check.judgeReachable = true;
    check.failure = "the answer is not the judge's own page";
    ProxyTesterSession session("127.0.0.1", 8080, "127.0.0.1:8080", {});
    session.start(check);
    EXPECT_EQ(session.rows(),
              (Rows{{"Get proxy response time", "5 milliseconds"},
                    {"Get proxy download speed", "331.20 KB/sec"},
                    {"Request through the proxy", "the answer is not the judge's own page"},
                    {"Test Completed", "Proxy does not work"}}));
    EXPECT_FALSE(session.succeeded());
    EXPECT_EQ(DwordSetting(settings::kFail).get(), 1u);
    EXPECT_EQ(StringSetting(settings::kTmpResponseTime).get(), "");
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "before");
}

TEST_F(TesterJudgeRows, WithoutAJudgeTheConnectDecidesAndTheRowsSaySo) {
    auto check = Connected(1);
    check.works = true;
    ProxyTesterSession session("127.0.0.1", 8080, "127.0.0.1:8080", {});
    session.start(check);
    EXPECT_EQ(session.rows()[2], (TesterRow{"Request through the proxy", kNoJudge}));
    EXPECT_EQ(session.rows().back(), (TesterRow{"Test Completed", "Proxy ready"}));
    EXPECT_EQ(DwordSetting(settings::kFail).get(), 0u);

    ProxyTesterSession dead("127.0.0.1", 8080, "127.0.0.1:8080", {});
    dead.start(ProxyCheck{});
    EXPECT_EQ(dead.rows(), (Rows{{"Proxy server is NOT AVAILABLE", "Connection Failure"}}));
    EXPECT_EQ(DwordSetting(settings::kFail).get(), 1u);
}

}  // namespace
}  // namespace veilport::proxypool

#include <algorithm>

#include "proxypool/CheckColumns.h"

namespace veilport::proxypool {
namespace {

TEST(CheckColumns, SortBestFirstAndDeadLast) {
    auto make = [](bool works, AnonymityLevel level, std::uint32_t latency) {
        ProxyCheck check;
        check.connected = check.judgeReachable = true;
        check.connectMs = 1;
        check.works = works;
        check.level = level;
        check.latencyMs = latency;
        check.https = HttpsSupport::Yes;
        check.exitAddress = "198.51.100.7";
        check.country = "unknown";
        return check;
    };
    std::vector<ProxyCheck> checks = {
        make(false, AnonymityLevel::Elite, 0), make(true, AnonymityLevel::Transparent, 90),
        make(true, AnonymityLevel::Elite, 900), make(true, AnonymityLevel::Anonymous, 20)};
    auto sortedBy = [&](CheckColumn column) {
        auto copy = checks;
        std::stable_sort(copy.begin(), copy.end(), [&](const auto& a, const auto& b) {
            return CheckColumnSortKey(a, column, 0) < CheckColumnSortKey(b, column, 0);
        });
        std::vector<std::string> texts;
        for (const auto& check : copy) texts.push_back(CheckColumnText(check, column, 0));
        return texts;
    };
    EXPECT_EQ(sortedBy(CheckColumn::Level),
              (std::vector<std::string>{"elite", "anonymous", "transparent", "dead"}));
    EXPECT_EQ(sortedBy(CheckColumn::Latency),
              (std::vector<std::string>{"20 ms", "90 ms", "900 ms", ""}));
    EXPECT_EQ(CheckColumnText(checks[2], CheckColumn::Https, 0), "Yes");
    EXPECT_EQ(CheckColumnText(checks[0], CheckColumn::ExitAddress, 0), "");
    EXPECT_EQ(CheckColumnText(checks[0], CheckColumn::LastChecked, 0), "");
}

}  // namespace
}  // namespace veilport::proxypool
