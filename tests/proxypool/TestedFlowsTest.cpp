#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stop_token>

#include "proxypool/MyProxiesFile.h"
#include "proxypool/TestAllProxies.h"
#include "proxypool/UseTestedProxy.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/PoolFakes.h"
#include "support/TempHome.h"

namespace veilport::proxypool {
namespace {

using namespace veilport::testing;
using ::testing::ElementsAre;

class TestedFlows : public ::testing::Test {
protected:
    TestedFlows() { StringSetting(settings::kAppPath).set(home.veilportHome().string()); }

    static std::string FileText() {
        std::ifstream in(MyProxiesPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    veilport::testing::TempHome home;
    CallLog log;
    FakeGateway gateway{log};
    FakeUi ui{log};
    TestedProxyList tested;
};

TEST_F(TestedFlows, TestAllRemovesEachFailingRowAndTestsTheOneThatMovesUp) {
    tested.appendRow({"1.1.1.1:80", "A", "Not Tested", ""});
    tested.appendRow({"2.2.2.2:80", "B", "Not Tested", ""});
    tested.appendRow({"3.3.3.3:0080", "C <supports POST>", "Not Tested", ""});
    StringSetting(settings::kTmpResponseTime).set("untouched");
    std::vector<std::string> measured;
    const ConnectMeasure measure = [&](const std::string& host, int port) {
        measured.push_back(host + ":" + std::to_string(port));
        return host == "3.3.3.3" ? 1000u : 0u;
    };
    EXPECT_TRUE(TestAllProxies(tested, measure, ui, ui).ok);
    EXPECT_THAT(measured, ElementsAre("1.1.1.1:80", "2.2.2.2:80", "3.3.3.3:80"));
    ASSERT_EQ(tested.rowCount(), 1);
    EXPECT_EQ(tested.row(0), (ProxyRecord{"3.3.3.3:0080", "C <supports POST>", "1000 miliseconds",
                                          "1.66 KB/sec"}));
    EXPECT_EQ(FileText(), "3.3.3.3:0080->C <supports POST>\n");
    EXPECT_THAT(log, ElementsAre("status Test failed - proxy removed",
                                 "status Test failed - proxy removed"));
    EXPECT_EQ(StringSetting(settings::kTmpResponseTime).get(), "untouched");
}

TEST_F(TestedFlows, TestAllStopsWhenTheFileCannotBeWritten) {
    std::filesystem::create_directory(MyProxiesPath());
    tested.appendRow({"1.1.1.1:80", "", "Not Tested", ""});
    tested.appendRow({"2.2.2.2:80", "", "Not Tested", ""});
    int calls = 0;
    const auto result = TestAllProxies(
        tested, [&](const std::string&, int) { return ++calls, 0u; }, ui, ui);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(tested.rowCount(), 1);
    EXPECT_THAT(log, ElementsAre("message " + result.message));
}

// The pass measures off the window thread while the list goes on changing:
// a proxy adopted meanwhile must stay, a removed one must not come back, and
// the file must hold the list as it is, not the pass's old copy.
TEST_F(TestedFlows, ResultsGoIntoTheListAsItIsNow) {
    tested.appendRow({"1.1.1.1:80", "A", "Not Tested", ""});
    tested.appendRow({"2.2.2.2:80", "B", "Not Tested", ""});
    tested.appendRow({"3.3.3.3:80", "C", "Not Tested", ""});
    const std::vector<ProxyRecord> begun = tested.rows();
    std::vector<ProxyTestResult> results;
    MeasureTestedProxies(
        begun, [](const std::string& host, int) { return host == "2.2.2.2" ? 40u : 0u; },
        [&](const ProxyTestResult& result) { results.push_back(result); });
    ASSERT_EQ(results.size(), 3u);

    ASSERT_TRUE(ApplyTestResult(tested, results[0], ui, ui).ok);
    tested.appendRow({"9.9.9.9:80", "adopted meanwhile", "40 milliseconds", ""});
    tested.removeRow(tested.FindTestedProxy("2.2.2.2:80"));
    ASSERT_TRUE(ApplyTestResult(tested, results[1], ui, ui).ok);
    ASSERT_TRUE(ApplyTestResult(tested, results[2], ui, ui).ok);
    ASSERT_EQ(tested.rowCount(), 1);
    EXPECT_EQ(tested.row(0).address, "9.9.9.9:80");
    EXPECT_EQ(FileText(), "9.9.9.9:80->adopted meanwhile\n");

    // Emptied while the pass ran: it stays empty.
    tested.appendRow({"4.4.4.4:80", "D", "Not Tested", ""});
    const ProxyTestResult dead{"4.4.4.4:80", 0};
    tested.clear();
    ASSERT_TRUE(ApplyTestResult(tested, dead, ui, ui).ok);
    EXPECT_EQ(tested.rowCount(), 0);
}

TEST_F(TestedFlows, UseTestedProxySwitchesOnlyWhileAnonymous) {
    EXPECT_FALSE(UseTestedProxy("1.2.3.4:80", "DE", gateway, ui));
    DwordSetting(settings::kUseProxy).set(1);
    EXPECT_FALSE(UseTestedProxy("", "DE", gateway, ui));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(UseTestedProxy("1.2.3.4:80", "DE", gateway, ui));
    EXPECT_THAT(log, ElementsAre("updateUpstream 1.2.3.4 80",
                                 "status Current IP Address in use: 1.2.3.4:80->DE"));
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "1.2.3.4:80");
}

TEST_F(TestedFlows, ADropDownChoiceWritesTheWholeEntryEvenWhenNotAnonymous) {
    EXPECT_FALSE(UseTestedDropDownEntry("1.2.3.4:80->DE <supports POST>", gateway, ui, ui));
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "1.2.3.4:80->DE <supports POST>");
    DwordSetting(settings::kUseProxy).set(1);
    EXPECT_TRUE(UseTestedDropDownEntry("5.6.7.8:3128", gateway, ui, ui));
    EXPECT_THAT(log, ElementsAre("updateUpstream 5.6.7.8 3128",
                                 "status Current IP Address in use: 5.6.7.8:3128->"));
}

TEST_F(TestedFlows, AnUpstreamPortTheGatewayWouldRefuseIsRefusedVisiblyAndNotAnnounced) {
    DwordSetting useProxy(settings::kUseProxy);
    useProxy.set(1);
    useProxy.write();
    StringSetting proxyName(settings::kProxyName);
    proxyName.set("9.9.9.9:8080");
    proxyName.write();
    for (const char* entry : {"1.2.3.4:70000->DE", "1.2.3.4:0", "1.2.3.4:->DE"}) {
        log.clear();
        EXPECT_FALSE(UseTestedDropDownEntry(entry, gateway, ui, ui)) << entry;
        EXPECT_THAT(log, ElementsAre("message Cannot Start Proxy!")) << entry;
        EXPECT_EQ(StringSetting(settings::kProxyName).get(), "9.9.9.9:8080") << entry;
    }
    log.clear();
    EXPECT_FALSE(UseTestedProxy("1.2.3.4:65536", "DE", gateway, ui, ui));
    EXPECT_THAT(log, ElementsAre("message Cannot Start Proxy!"));
    log.clear();
    EXPECT_TRUE(UseTestedProxy("1.2.3.4:65535", "DE", gateway, ui, ui));
    EXPECT_THAT(log, ElementsAre("updateUpstream 1.2.3.4 65535",
                                 "status Current IP Address in use: 1.2.3.4:65535->DE"));
}

// Exit stops the pass mid-measurement; the connect it cut short returns 0,
// which must not read as a dead proxy (the row and the file would lose it).
TEST_F(TestedFlows, AMeasurementEndedByAStopPassesNoResultOn) {
    tested.appendRow({"1.1.1.1:80", "A", "Not Tested", ""});
    tested.appendRow({"2.2.2.2:80", "B", "Not Tested", ""});
    std::stop_source stop;
    std::vector<ProxyTestResult> results;
    MeasureTestedProxies(
        tested.rows(),
        [&](const std::string& host, int) {
            if (host == "1.1.1.1") return 30u;
            stop.request_stop();
            return 0u;
        },
        [&](const ProxyTestResult& result) { results.push_back(result); },
        [&] { return !stop.stop_requested(); });
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].address, "1.1.1.1:80");
    EXPECT_EQ(results[0].ms, 30u);
}

TEST_F(TestedFlows, PerformEmptyListAsksAndEmptiesOnlyOnYes) {
    tested.appendRow({"1.1.1.1:80", "A", "Not Tested", ""});
    ASSERT_TRUE(SaveTestedProxies(tested).ok);
    const std::string kept = FileText();

    // No (also what a window that cannot ask answers) keeps everything.
    EXPECT_TRUE(PerformEmptyList(tested, ui, ui).ok);
    EXPECT_EQ(tested.rowCount(), 1);
    EXPECT_EQ(FileText(), kept);
    EXPECT_THAT(log, ElementsAre(std::string("ask ") + kEmptyListQuestion));

    log.clear();
    ui.answerYes = true;
    EXPECT_TRUE(PerformEmptyList(tested, ui, ui).ok);
    EXPECT_EQ(tested.rowCount(), 0);
    EXPECT_EQ(FileText(), "");
    EXPECT_THAT(log, ElementsAre(std::string("ask ") + kEmptyListQuestion, "dropDown reset"));
}

}  // namespace
}  // namespace veilport::proxypool
