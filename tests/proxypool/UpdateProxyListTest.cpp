#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "browsers/ConnectionSwitch.h"
#include "platform/inet/ProxyOptions.h"
#include "platform/io/AtomicFile.h"
#include "proxypool/FetchProxyList.h"
#include "proxypool/GeneratorRequest.h"
#include "proxypool/UpdateProgress.h"
#include "proxypool/UpdateProxyList.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/PoolFakes.h"
#include "support/TempHome.h"

namespace veilport::proxypool {
namespace {

using namespace veilport::testing;
using ::testing::ElementsAre;

class UpdateTest : public ::testing::Test {
protected:
    UpdateTest() {
        StringSetting(settings::kProxyListHost).set("lists.test");
        DwordSetting(settings::kLocalPort).set(8181);
    }
    ~UpdateTest() override {
        // Leave no request of ours running into the next test.
        EXPECT_TRUE(GeneratorRequest::instance().waitFinished(std::chrono::seconds(10)));
    }

    UpdateContext Context() {
        return {newList,
                [this](const std::string& url) {
                    log.push_back("GET " + url);
                    return body;
                },
                // Runs on the request's own thread, which may outlive the test.
                [generated = generated](const std::string& url) {
                    std::lock_guard lock(generated->mutex);
                    generated->urls.push_back(url);
                    return std::string("ignored");
                },
                [this] { log.push_back("repaint"); }};
    }

    veilport::testing::TempHome home;
    CallLog log;
    NewProxyList newList;
    std::string body = "1.1.1.1:80->A<br />2.2.2.2:80->null<br />3.3.3.3:80->B<br />";
    struct Generated {
        std::mutex mutex;
        std::vector<std::string> urls;
    };
    std::shared_ptr<Generated> generated = std::make_shared<Generated>();
};

TEST_F(UpdateTest, RebuildsTheNewListAndSendsTheGeneratorRequest) {
    auto context = Context();
    UpdateProxyList(context, UpdateOrigin::UpdatePanel);
    EXPECT_THAT(
        log, ElementsAre("GET http://lists.test/services/ib/proxy/sortedproxylist.txt", "repaint"));
    ASSERT_EQ(newList.rowCount(), 2);
    EXPECT_EQ(newList.rows()[1].entry, "3.3.3.3:80->B");
    ASSERT_TRUE(GeneratorRequest::instance().waitFinished(std::chrono::seconds(10)));
    std::lock_guard lock(generated->mutex);
    EXPECT_THAT(generated->urls,
                ElementsAre("http://lists.test/services/ib/proxy/proxygenerator.asp"));
}

// The download used to switch the whole machine direct for its length (and
// at each start set the desktop to "none"): sampled while the list is being
// downloaded, the system proxy and a switched Firefox profile still name the
// Gateway, and afterwards nothing of them has changed.
TEST_F(UpdateTest, AnUpdateWhileAnonymityIsOnLeavesEverySettingAsItIs) {
    DwordSetting(settings::kUseProxy).set(1);
    DwordSetting(settings::kBrowserFireFox).set(1);
    const auto prefs = home.path() / "home/.mozilla/firefox/a.default/prefs.js";
    std::filesystem::create_directories(prefs.parent_path());
    std::ofstream(prefs) << "user_pref(\"a\", 1);\n";
    ASSERT_TRUE(browsers::SetConnectionOptions(GatewayProxyAddress()).allDone());
    const auto switchedPrefs = io::readWholeFile(prefs);
    const auto switchedLan = inet::loadConnectionOptions(std::nullopt);
    ASSERT_EQ(switchedLan.proxyServer, "127.0.0.1:8181");

    int sampled = 0;
    UpdateContext context{newList,
                          [&](const std::string&) {
                              ++sampled;
                              const auto lan = inet::loadConnectionOptions(std::nullopt);
                              EXPECT_EQ(lan.flags, switchedLan.flags);
                              EXPECT_EQ(lan.proxyServer, "127.0.0.1:8181");
                              EXPECT_EQ(io::readWholeFile(prefs), switchedPrefs);
                              return body;
                          },
                          {},
                          {}};
    UpdateProxyList(context, UpdateOrigin::UpdateDialog);
    EXPECT_EQ(sampled, 1);
    EXPECT_EQ(newList.rowCount(), 2) << "the list arrives as before";
    EXPECT_EQ(inet::loadConnectionOptions(std::nullopt).proxyServer, "127.0.0.1:8181");
    EXPECT_EQ(io::readWholeFile(prefs), switchedPrefs);
    EXPECT_TRUE(browsers::DisableConnectionProxy().allDone());
}

TEST_F(UpdateTest, AFailedDownloadEmptiesTheNewList) {
    auto context = Context();
    UpdateProxyList(context, UpdateOrigin::UpdateDialog);
    EXPECT_EQ(newList.rowCount(), 2);
    body.clear();
    UpdateProxyList(context, UpdateOrigin::UpdateDialog);
    EXPECT_EQ(newList.rowCount(), 0);
}

TEST_F(UpdateTest, TheServiceHostComesFromTheSettingOrTheBuild) {
    EXPECT_EQ(ServiceListUrl(), "http://lists.test/services/ib/proxy/sortedproxylist.txt");
    StringSetting(settings::kProxyListHost).set("");
    EXPECT_EQ(GeneratorUrl(), std::string("http://") + VEILPORT_VENDOR_HOST +
                                  "/services/ib/proxy/proxygenerator.asp");
}

TEST(GeneratorRequest, ReportsRunningUntilTheRequestEnds) {
    auto& request = GeneratorRequest::instance();
    std::atomic<bool> release{false};
    std::mutex mutex;
    std::condition_variable cv;
    request.start(
        [&](const std::string&) {
            std::unique_lock lock(mutex);
            cv.wait(lock, [&] { return release.load(); });
            return std::string("thrown away");
        },
        "http://x/g");
    EXPECT_EQ(request.exitCode(), GeneratorRequest::kStillRunning);
    EXPECT_NE(request.threadId(), std::thread::id());
    EXPECT_EQ(request.parameter(), 0);
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(request.waitFinished(std::chrono::seconds(10)));
    EXPECT_EQ(request.exitCode(), 0);
}

TEST(UpdateProgress, WalksTheBarAroundTheUpdate) {
    using Kind = ProgressStep::Kind;
    const auto dialog = UpdateProgressSteps(UpdateOrigin::UpdateDialog);
    std::vector<ProgressStep> expected = {
        {Kind::SetRange, 100, {}},   {Kind::SetPosition, 20, {}},  {Kind::Wait, 300, {}},
        {Kind::RunUpdate, 0, {}},    {Kind::SetPosition, 40, {}},  {Kind::Wait, 300, {}},
        {Kind::SetPosition, 60, {}}, {Kind::Wait, 300, {}},        {Kind::SetPosition, 80, {}},
        {Kind::Wait, 300, {}},       {Kind::SetPosition, 100, {}}, {Kind::Wait, 300, {}}};
    EXPECT_EQ(dialog, expected);
    expected.push_back({Kind::ShowMessage, 0, "Proxy list updated!"});
    expected.push_back({Kind::SetPosition, 0, {}});
    EXPECT_EQ(UpdateProgressSteps(UpdateOrigin::UpdatePanel), expected);
}

}  // namespace
}  // namespace veilport::proxypool
