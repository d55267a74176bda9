// What the person sees of the upstreams people have: the Add page's every
// form with its masked password, this machine's Tor offered but never
// adopted, the failover and network boxes, the tester greeting a SOCKS5
// entry, and a failover in the running program moving ProxyName on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <fstream>
#include <iterator>
#include <thread>

#include "MainWindowFixture.h"
#include "PoolPageFixture.h"
#include "app/dialogs/ProxyTesterDialog.h"
#include "app/pages/anonymity/AddProxyPanel.h"
#include "app/pages/anonymity/CurrentProxyPanel.h"
#include "app/pages/anonymity/TestedProxiesPanel.h"
#include "app/pages/settings/StartupOptionsPanel.h"
#include "app/window/UpstreamWatch.h"
#include "gateway/GatewayFixture.h"
#include "platform/secret/KeptPasswords.h"
#include "proxypool/CheckPeers.h"
#include "proxypool/MyProxiesFile.h"
#include "services/LocalTor.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool::ui {
namespace {

using namespace veilport::testing;

std::string MyProxiesText() {
    std::ifstream in(MyProxiesPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Upstream TorAt(int port) {
    return *ParseUpstream("socks5h://127.0.0.1:" + std::to_string(port)).upstream;
}

class UpstreamPages : public PoolPageTest {
protected:
    UpstreamPages() {
        StringSetting(settings::kAppPath).set(home.veilportHome().string());
        host.poolModel.setPasswords(&passwords);
    }
    // Finds a Tor at `port` from now on and waits for the look to end.
    void torFoundAt(int port) {
        host.poolModel.setLocalTorFinder([port] { return std::optional<Upstream>(TorAt(port)); });
        host.poolModel.lookForLocalTor();
        ASSERT_TRUE(waitUntil([&] { return host.poolModel.localTor().has_value(); }));
    }
    secret::KeptPasswords passwords{nullptr};
};

TEST_F(UpstreamPages, AddPageTakesEveryFormAndKeepsThePasswordOutOfEveryText) {
    AddProxyPanel page(host, nullptr);
    EXPECT_EQ(page.passwordField()->echoMode(), QLineEdit::Password);

    tester.live["127.0.0.9:1080"] = 7;
    page.field()->setText("socks5://alice@127.0.0.9:1080");
    page.passwordField()->setText("pass word");
    page.apply();
    ASSERT_EQ(tester.runs.size(), 1u);
    EXPECT_EQ(tester.runs[0].adoptText, "socks5://alice@127.0.0.9:1080");
    EXPECT_EQ(passwords.lookup({"socks5", "alice", "127.0.0.9", 1080}), "pass word");
    EXPECT_TRUE(page.passwordField()->text().isEmpty()) << "the password leaves the window";
    EXPECT_EQ(host.tested.row(0).address, "socks5://alice@127.0.0.9:1080");
    EXPECT_EQ(MyProxiesText(), "socks5://alice@127.0.0.9:1080\n");
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "socks5://alice@127.0.0.9:1080");

    // The seller's form carries its password in the text: it goes the same way.
    tester.live["127.0.0.8:3128"] = 7;
    page.field()->setText("127.0.0.8:3128:bob:hunter2");
    page.apply();
    EXPECT_EQ(passwords.lookup({"http", "bob", "127.0.0.8", 3128}), "hunter2");
    EXPECT_THAT(MyProxiesText(), ::testing::Not(::testing::HasSubstr("hunter2")));
    EXPECT_THAT(StringSetting(settings::kProxyName).get(),
                ::testing::Not(::testing::HasSubstr("hunter2")));
    EXPECT_TRUE(host.fakeMessages.shown.empty());
}

TEST_F(UpstreamPages, AddPageRefusesWhatCannotBeUsedBeforeAnyTest) {
    AddProxyPanel page(host, nullptr);
    page.field()->setText("socks5://127.0.0.1");
    page.apply();
    page.field()->setText("127.0.0.9:1080");
    page.passwordField()->setText("secret");
    page.apply();
    EXPECT_TRUE(tester.runs.empty());
    ASSERT_EQ(host.fakeMessages.shown.size(), 2u);
    EXPECT_THAT(host.fakeMessages.shown[0], ::testing::HasSubstr("socks5://127.0.0.1"));
    EXPECT_THAT(host.fakeMessages.shown[1], ::testing::HasSubstr("user@127.0.0.9:1080"));
    EXPECT_EQ(page.passwordField()->text(), "secret") << "nothing typed is lost";
}

TEST_F(UpstreamPages, ATorFoundHereIsOfferedOnBothPagesAndAdoptedOnlyThroughTheTester) {
    AddProxyPanel addPage(host, nullptr);
    TestedProxiesPanel testedPage(host, nullptr);
    host.tested.appendRow({"10.0.0.1:80", "X", "", ""});
    EXPECT_TRUE(addPage.localTorOffer()->isHidden());
    ASSERT_NO_FATAL_FAILURE(torFoundAt(9050));

    EXPECT_FALSE(addPage.localTorOffer()->isHidden());
    EXPECT_EQ(addPage.localTorOffer()->text(), "Tor (this machine) socks5h://127.0.0.1:9050");
    ASSERT_EQ(testedPage.list()->topLevelItemCount(), 2);
    EXPECT_EQ(testedPage.list()->topLevelItem(1)->text(0),
              "Tor (this machine) socks5h://127.0.0.1:9050");
    // Found is not adopted: nothing has moved.
    EXPECT_TRUE(tester.runs.empty());
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "");
    EXPECT_TRUE(host.fakeGateway.upstreams.empty());
    EXPECT_EQ(host.tested.rowCount(), 1);

    addPage.localTorOffer()->click();
    EXPECT_EQ(addPage.field()->text(), "socks5h://127.0.0.1:9050");
    EXPECT_TRUE(tester.runs.empty()) << "a click fills the field; Apply tests";

    // Choosing the offer in the tested list tests it; a Cancel adopts nothing.
    tester.result = ProxyTester::Result::Cancel;
    testedPage.list()->topLevelItem(1)->setSelected(true);
    testedPage.useSelected();
    ASSERT_EQ(tester.runs.size(), 1u);
    EXPECT_EQ(tester.runs[0].adoptText, "socks5h://127.0.0.1:9050");
    EXPECT_EQ(host.tested.rowCount(), 1);
    // The offer is no row of the list: remove and test leave the list alone.
    testedPage.runCommand(TestedProxiesPanel::Command::RemoveProxy);
    EXPECT_EQ(host.tested.rowCount(), 1);

    tester.result = ProxyTester::Result::Ok;
    tester.live["127.0.0.1:9050"] = 3;
    testedPage.list()->topLevelItem(1)->setSelected(true);
    testedPage.useSelected();
    ASSERT_EQ(host.tested.rowCount(), 2);
    EXPECT_EQ(host.tested.row(1).address, "socks5h://127.0.0.1:9050");
    EXPECT_EQ(testedPage.list()->topLevelItemCount(), 2) << "no offer once it is in the list";
}

// The program's own lookup, against a real SOCKS5 server standing where Tor
// would: found off the window thread, offered, nothing adopted.
TEST_F(UpstreamPages, TheRealLookupOffersASocksServerHereWithoutAdoptingIt) {
    const auto socks = StartMicrosocks();
    if (!socks) GTEST_SKIP() << "microsocks is needed";
    ASSERT_TRUE(socks->started());
    const std::uint16_t port = socks->port();
    host.poolModel.setLocalTorFinder([port] { return services::FindLocalTor({port}); });
    AddProxyPanel page(host, nullptr);
    page.pageShown();
    ASSERT_TRUE(waitUntil([&] { return !page.localTorOffer()->isHidden(); }, 10000));
    EXPECT_EQ(page.localTorOffer()->text().toStdString(),
              "Tor (this machine) socks5h://127.0.0.1:" + std::to_string(port));
    EXPECT_TRUE(tester.runs.empty());
    EXPECT_EQ(host.tested.rowCount(), 0);
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "");
    EXPECT_TRUE(host.fakeGateway.upstreams.empty());
}

TEST_F(UpstreamPages, FailoverBoxFollowsAndWritesTheSetting) {
    CurrentProxyPanel page(host, nullptr);
    EXPECT_EQ(page.failoverBox()->text(), "Failover to the next tested proxy");
    EXPECT_FALSE(page.failoverBox()->isChecked()) << "off by default";
    page.failoverBox()->click();
    EXPECT_EQ(DwordSetting(settings::kFailover).get(), 1u);
    // Changed elsewhere (veilportctl failover off): the page shows it again.
    DwordSetting off(settings::kFailover);
    off.set(0);
    off.write();
    page.pageShown();
    EXPECT_FALSE(page.failoverBox()->isChecked());
    EXPECT_EQ(DwordSetting(settings::kFailover).get(), 0u);
}

TEST_F(UpstreamPages, SharingTheGatewayWarnsAndIsStoredForTheNextStart) {
    app::StartupOptionsPanel page(host, nullptr);
    auto* box = page.shareBox();
    EXPECT_EQ(box->text(), "Let other computers on my network use Veilport");
    EXPECT_FALSE(box->isChecked()) << "this machine only by default";
    box->click();
    ASSERT_EQ(host.fakeMessages.shown.size(), 1u);
    EXPECT_THAT(host.fakeMessages.shown[0], ::testing::HasSubstr("chosen proxy, with its login"));
    page.save();
    EXPECT_EQ(StringSetting(settings::kListenAddress).get(), "0.0.0.0");

    // One interface chosen on the command line stays while the box is ticked.
    StringSetting one(settings::kListenAddress);
    one.set("192.168.7.2");
    one.write();
    page.pageShown();
    EXPECT_TRUE(box->isChecked());
    page.save();
    EXPECT_EQ(StringSetting(settings::kListenAddress).get(), "192.168.7.2");
    box->click();
    page.save();
    EXPECT_EQ(StringSetting(settings::kListenAddress).get(), "127.0.0.1");
    EXPECT_EQ(host.fakeMessages.shown.size(), 1u) << "only a tick warns";
}

TEST(UpstreamTester, ASocksEntryPassesOnlyWhenASocksProxyAnswers) {
    TempHome home;
    const auto socks = StartMicrosocks();
    if (!socks) GTEST_SKIP() << "microsocks is needed";
    ASSERT_TRUE(socks->started());
    // Something that listens and answers, but speaks HTTP.
    LoopbackServer http([](int fd) { (void)SendText(fd, "HTTP/1.0 400 Bad\r\n\r\n"); });
    ProxyTesterDialog dialog;
    QSignalSpy finished(&dialog, &ProxyTesterDialog::testFinished);
    const auto run = [&](int port) {
        dialog.prepare("127.0.0.1", port, "socks5h://127.0.0.1:" + std::to_string(port));
        dialog.startTest();
        const int before = static_cast<int>(finished.count());
        EXPECT_TRUE(waitUntil([&] { return finished.count() > before; }, 15000));
        return finished.last().at(0).toBool();
    };
    EXPECT_TRUE(run(socks->port()));
    EXPECT_FALSE(run(http.port()));
    // The same listener as a plain HTTP entry passes on its connect, as before.
    dialog.prepare("127.0.0.1", http.port(), "127.0.0.1:" + std::to_string(http.port()));
    dialog.startTest();
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 3; }));
    EXPECT_TRUE(finished.last().at(0).toBool());
}

// The program's wiring: the Gateway's second failure reaches failover, which
// moves ProxyName to the next tested proxy; the window's line follows and the
// person is told.
TEST(UpstreamProgram, AFailoverMovesProxyNameAndTheWindowToTheSecondTestedProxy) {
    // Outlives the window, whose watch lets go of it, as the program's does.
    Gateway gateway;
    MainWindowFixture fixture;
    StringSetting(settings::kAppPath).set(fixture.home.veilportHome().string());
    LoopbackServer second(Answering("HTTP/1.0 200 OK\r\n\r\nsecond"));
    const std::uint16_t dead = FreeLoopbackPort();
    const std::string deadText = "127.0.0.1:" + std::to_string(dead);
    const std::string secondText = "127.0.0.1:" + std::to_string(second.port());
    std::ofstream(MyProxiesPath()) << deadText << "->Here\n" << secondText << "->There\n";
    StringSetting(settings::kProxyName).set(deadText + "->Here");
    DwordSetting(settings::kFailover).set(1);
    AnonymityFlag::store(true);

    auto& window = fixture.open();
    ASSERT_TRUE(gateway.start(Settings(0, dead)));
    const auto outcome = gateway.waitUntilSettled(std::chrono::seconds(10));
    ASSERT_EQ(outcome.state, Listener::State::Listening);
    auto* watch = new app::UpstreamWatch(window);
    watch->watchFailover(gateway, nullptr, [](const Upstream&) { return true; });

    const auto fetch = [&] {
        auto browser = ConnectLoopback(outcome.port);
        EXPECT_TRUE(SendText(browser.get(),
                             "GET http://127.0.0.1/x HTTP/1.1\r\nHost: "
                             "127.0.0.1\r\n\r\n"));
        return ReadToEnd(browser.get());
    };
    EXPECT_THAT(fetch(), ::testing::HasSubstr("502 Bad Gateway"));
    EXPECT_THAT(fetch(), ::testing::HasSubstr("502 Bad Gateway"));
    // The person is told last, once the Gateway has moved on.
    ASSERT_TRUE(waitUntil([&] { return !fixture.messages.shown.empty(); }));
    EXPECT_THAT(fixture.messages.shown.back(), ::testing::HasSubstr("now uses " + secondText));
    EXPECT_THAT(fetch(), ::testing::HasSubstr("second"));
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), secondText + "->There");
    EXPECT_EQ(window.controls().control<QLabel>(app::MainWindow::kIpInUseId)->text().toStdString(),
              kCurrentIpPrefix + secondText + "->There");
    gateway.stop();
    EXPECT_TRUE(WaitFor([&] { return gateway.activeConnections() == 0; }));
}

// Without a Secret Service the window says once that passwords last for this
// session, however many are kept and from whichever thread.
TEST(UpstreamProgram, TheWindowSaysOnceThatPasswordsAreKeptForThisSessionOnly) {
    MainWindowFixture fixture;
    secret::KeptPasswords passwords(nullptr);
    auto& window = fixture.open();
    auto* watch = new app::UpstreamWatch(window);
    watch->watchPasswords(passwords);
    std::thread other([&] { (void)passwords.store({"socks5", "a", "h", 1}, "one"); });
    other.join();
    (void)passwords.store({"socks5", "b", "h", 1}, "two");
    ASSERT_TRUE(waitUntil([&] { return !fixture.messages.shown.empty(); }));
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(fixture.messages.shown,
              std::vector<std::string>{secret::KeptPasswords::kNoDesktopStore});
    // Once the window is gone, a late store tells no one and breaks nothing.
    fixture.window.reset();
    (void)passwords.store({"socks5", "c", "h", 1}, "three");
}

}  // namespace
}  // namespace veilport::proxypool::ui
