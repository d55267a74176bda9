// The command line and the running program sharing one anonymity state: the
// built veilportctl asks a window registered in this test, whose requests go
// to a real status page over fakes of the Gateway and the system switch.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <QWidget>
#include <future>

#include "FakePageHost.h"
#include "UiTestSupport.h"
#include "app/pages/status/StatusPanel.h"
#include "app/skin/ColorLabel.h"
#include "app/window/CommandLineRequests.h"
#include "app/window/WindowMessageReceiver.h"
#include "platform/process/TopLevelWindow.h"
#include "proxypool/MyProxiesFile.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport::app {
namespace {

using ::testing::HasSubstr;
using namespace veilport::testing;

struct Run {
    int status = -1;
    std::string out;
};

// Runs veilportctl on another thread while this one keeps the window's
// event loop turning, as the running program's would.
Run Veilportctl(const std::string& args) {
    auto result = std::async(std::launch::async, [args] {
        const std::string command = std::string("'") + VEILPORTCTL_PATH + "' " + args + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        Run run;
        if (pipe == nullptr) return run;
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            run.out.append(buffer, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    });
    waitUntil([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
              60000);
    return result.get();
}

class AnonymityCommandsTest : public ::testing::Test {
protected:
    TempHome home_;
    FakePageHost host_;
    QWidget window_;
};

TEST_F(AnonymityCommandsTest, TheCommandLineSwitchesTheRunningProgramsAnonymity) {
    StatusPanel panel(host_, &window_);
    ASSERT_TRUE(waitUntil([&] { return !panel.fetchingNewList(); }));
    WindowMessageReceiver receiver(&window_, "Veilport");
    ASSERT_TRUE(receiver.isRegistered());
    auto* commands = ConnectCommandLineRequests(receiver, host_);
    commands->setConnectMeasure([](const std::string&, int) { return 100u; });

    auto run = Veilportctl("anonymity status");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "Online Anonymity: Disabled\nUpstream: (none)\nLocal port: 8080\n"
              "Gateway: not listening\n");

    run = Veilportctl("anonymity on");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("No proxy is selected"));
    EXPECT_TRUE(host_.fakeMessages.shown.empty()) << "no box waits for a user";
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);

    // Adopted through the program: its tested list and drop-down follow.
    run = Veilportctl("adopt 12.12.12.12:80");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_THAT(run.out, HasSubstr("Get proxy response time\t100 milliseconds"));
    ASSERT_EQ(host_.tested.rowCount(), 1);
    EXPECT_EQ(proxypool::ReadMyProxies(), "12.12.12.12:80\n");
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "12.12.12.12:80");

    run = Veilportctl("anonymity on");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "Online Anonymity: Enabled\nUpstream: 12.12.12.12:80\nLocal port: 8080\n"
              "Gateway: listening\n");
    ASSERT_EQ(host_.fakeGateway.starts.size(), 1u);
    EXPECT_EQ(panel.controls().control<skin::ColorLabel>(StatusPanel::kAnonymityWordId)->text(),
              "Enabled");
    EXPECT_EQ(host_.ipInUseLine, "Current IP Address in use:12.12.12.12:80");

    run = Veilportctl("anonymity off");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_THAT(run.out, HasSubstr("Online Anonymity: Disabled"));
    EXPECT_THAT(run.out, HasSubstr("Gateway: not listening"));
    EXPECT_EQ(host_.fakeConnection.calls.back(), "direct");
    EXPECT_EQ(panel.controls().control<skin::ColorLabel>(StatusPanel::kAnonymityWordId)->text(),
              "Disabled");
}

TEST_F(AnonymityCommandsTest, AnUpdateRunsInTheProgramAndARequestNobodyTakesIsAnswered) {
    StatusPanel panel(host_, &window_);
    ASSERT_TRUE(waitUntil([&] { return !panel.fetchingNewList(); }));
    host_.get = [](const std::string& url) {
        return url.find("sortedproxylist") == std::string::npos
                   ? std::string()
                   : std::string("1.1.1.1:80->A<br />2.2.2.2:81->B<br />");
    };
    {
        WindowMessageReceiver bare(&window_, "Veilport");
        auto run = Veilportctl("anonymity status");
        EXPECT_EQ(run.status, 1);
        EXPECT_THAT(run.out, HasSubstr("Veilport cannot carry out this request"));
    }
    WindowMessageReceiver receiver(&window_, "Veilport");
    ConnectCommandLineRequests(receiver, host_);
    auto run = Veilportctl("update");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_THAT(run.out, HasSubstr("New list: 2 entries"));
    EXPECT_EQ(host_.newProxies.rowCount(), 2);
    EXPECT_GE(host_.poolChanges, 1);
}

TEST_F(AnonymityCommandsTest, WithoutARunningProgramNothingIsPointedAtAGatewayNobodyRuns) {
    StringSetting proxyName(settings::kProxyName);
    proxyName.set("12.12.12.12:80");
    proxyName.write();
    auto run = Veilportctl("anonymity on");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("Veilport is not running"));
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);

    run = Veilportctl("anonymity status");
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.out, HasSubstr("Gateway: not listening"));
    EXPECT_THAT(run.out, HasSubstr("Veilport: not running"));

    // Left on by a program that died: an update switches nothing (its download
    // goes out directly by itself), and off puts things right.
    DwordSetting useProxy(settings::kUseProxy);
    useProxy.set(1);
    useProxy.write();
    run = Veilportctl("update");
    EXPECT_EQ(run.status, 0) << run.out;
    run = Veilportctl("proxy show");
    EXPECT_THAT(run.out, ::testing::Not(HasSubstr("127.0.0.1:8080")));

    run = Veilportctl("anonymity off");
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.out, HasSubstr("switched back to direct"));
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
}

}  // namespace
}  // namespace veilport::app
