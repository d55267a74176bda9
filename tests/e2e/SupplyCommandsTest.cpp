// veilportctl's supply commands with real peers on loopback: a judge that
// echoes like httpbin, tinyproxy going out from 127.0.0.2, and a "proxy" that
// serves its own page. JudgeUrl always names the local judge: nothing leaves
// the machine.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "proxypool/CheckPeers.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

using ::testing::HasSubstr;
using testing::RunCommand;
using testing::VeilportctlPath;

class SupplyCommands : public ::testing::Test {
protected:
    void SetUp() override {
        if (testing::FindProgram("tinyproxy").empty()) GTEST_SKIP() << "tinyproxy is needed";
        elite_ = testing::StartTinyproxy(home_.path(), "elite", "DisableViaHeader Yes\n");
        ASSERT_TRUE(elite_->started());
        setJudge(judge_.url());
    }

    void setJudge(const std::string& url) {
        StringSetting judge(settings::kJudgeUrl);
        judge.set(url);
        judge.write();
    }

    testing::CommandResult ctl(std::vector<std::string> args) {
        args.insert(args.begin(), VeilportctlPath());
        return RunCommand(args);
    }

    std::string elite() const { return "127.0.0.1:" + std::to_string(elite_->port()); }

    testing::TempHome home_;
    testing::JudgeServer judge_;
    testing::OwnPageProxy ownPage_;
    std::unique_ptr<testing::PeerProgram> elite_;
};

TEST_F(SupplyCommands, TestPrintsOneFactALineAndFailsAProxyThatServesItsOwnPage) {
    auto result = ctl({"test", elite()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("Request through the proxy\tWorks\n"));
    EXPECT_THAT(result.out, HasSubstr("Exit address\t127.0.0.2\n"));
    EXPECT_THAT(result.out, HasSubstr("Anonymity level\telite\n"));
    EXPECT_THAT(result.out, HasSubstr("Exit country\tunknown\n"));
    EXPECT_THAT(result.out, HasSubstr("Test Completed\tProxy ready\n"));

    result = ctl({"test", "127.0.0.1:" + std::to_string(ownPage_.port())});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.out, HasSubstr("Test Completed\tProxy does not work\n"));
}

// Adoption asks the judge too: a proxy that serves its own page never enters
// the tested list, a working one does.
TEST_F(SupplyCommands, AdoptTakesOnlyAProxyThatReachesTheJudge) {
    StringSetting(settings::kAppPath).set(home_.veilportHome().string());
    auto result = ctl({"adopt", "127.0.0.1:" + std::to_string(ownPage_.port())});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.out, HasSubstr("Test Completed\tProxy does not work\n"));
    EXPECT_EQ(ctl({"tested"}).out, "");
    result = ctl({"adopt", elite()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(ctl({"tested"}).out, HasSubstr(elite() + "\t"));
}

TEST_F(SupplyCommands, SourcesAreAddedFetchedCheckedAndRemoved) {
    const auto list = home_.path() / "mine.txt";
    std::ofstream(list) << "# two live, one dead\r\n"
                        << elite() << "\r\n127.0.0.1:" << ownPage_.port()
                        << "\r\n127.0.0.1:" << testing::FreeLoopbackPort() << "\r\nnot-a-proxy\r\n";
    EXPECT_EQ(ctl({"sources", "add", list.string()}).exitCode, 0);
    auto result = ctl({"sources", "add", "relative.txt"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_THAT(result.err, HasSubstr("absolute file path"));

    result = ctl({"sources", "fetch"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr(list.string() + "\thttp\t"));
    EXPECT_THAT(result.out, HasSubstr("\t3 proxies\n"));

    result = ctl({"sources", "check"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr(elite() + "\tworks\telite\t127.0.0.2\tunknown\tHTTPS "));
    EXPECT_THAT(result.out, HasSubstr("\tdead\tthe answer is not the judge's own page\n"));
    EXPECT_THAT(result.out, HasSubstr("\tdead\tConnection Failure\n"));
    EXPECT_THAT(result.out, HasSubstr("1 of 3 work\n"));

    EXPECT_EQ(ctl({"sources", "remove", list.string()}).exitCode, 0);
    result = ctl({"sources", "list"});
    EXPECT_EQ(result.out, "");
}

TEST_F(SupplyCommands, WhatIsMyIpTellsTheRealAddressAndWhatSitesSee) {
    auto result = ctl({"whatismyip"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "Real address: 127.0.0.1\nSeen by web sites: 127.0.0.1 (direct)\n"
              "Anonymity level: transparent\nCountry: unknown\n");

    // With anonymity on, the question goes through whatever listens on
    // LocalPort: here the elite tinyproxy stands in for the Gateway.
    DwordSetting useProxy(settings::kUseProxy);
    useProxy.set(1);
    useProxy.write();
    DwordSetting localPort(settings::kLocalPort);
    localPort.set(elite_->port());
    localPort.write();
    result = ctl({"whatismyip"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("Seen by web sites: 127.0.0.2 (through the Gateway)\n"));
    EXPECT_THAT(result.out, HasSubstr("Anonymity level: elite\n"));

    setJudge("http://127.0.0.1:1/get");
    result = ctl({"whatismyip"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.err, HasSubstr("did not answer"));
}

}  // namespace
}  // namespace veilport
