#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QThreadPool>
#include <QTimer>
#include <QTreeWidget>
#include <future>

#include "FakePageHost.h"
#include "UiTestSupport.h"
#include "app/dialogs/ProxyListUpdateDialog.h"
#include "app/dialogs/ProxyTesterDialog.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/Pictures.h"
#include "platform/net/Socket.h"
#include "proxypool/TestAndAdopt.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport::proxypool::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using namespace veilport::testing;

in_addr Loopback() {
    in_addr address{};
    address.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port on loopback that answers (listening) and one that refuses (closed).
struct LoopbackPorts {
    LoopbackPorts() {
        auto listening = net::listenTcp(Loopback(), 0, 16);
        live = net::localPort(listening.value.get()).value;
        listener = std::move(listening.value);
        auto closed = net::listenTcp(Loopback(), 0, 1);
        dead = net::localPort(closed.value.get()).value;
    }
    net::UniqueFd listener;
    int live = 0;
    int dead = 0;
};

std::vector<std::pair<QString, QString>> Rows(const ProxyTesterDialog& dialog) {
    auto* list = dialog.controls().control<QTreeWidget>(ProxyTesterDialog::kListId);
    std::vector<std::pair<QString, QString>> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows.emplace_back(list->topLevelItem(i)->text(0), list->topLevelItem(i)->text(1));
    return rows;
}

class ProxyDialogsTest : public ::testing::Test {
protected:
    TempHome home_;
};

TEST_F(ProxyDialogsTest, TesterShowsALiveAndADeadProxyAndEachStartAppends) {
    LoopbackPorts ports;
    ProxyTesterDialog dialog;
    QSignalSpy finished(&dialog, &ProxyTesterDialog::testFinished);
    auto* list = dialog.controls().control<QTreeWidget>(ProxyTesterDialog::kListId);
    EXPECT_EQ(list->headerItem()->text(0), "Task Description");
    EXPECT_EQ(list->headerItem()->text(1), "Response");

    const std::string adopt = "127.0.0.1:" + std::to_string(ports.live) + "->Here";
    dialog.prepare("127.0.0.1", ports.live, adopt);
    EXPECT_EQ(dialog.controls().control<QLabel>(ProxyTesterDialog::kDetailsId)->text(),
              QString("Proxy details: 127.0.0.1:%1").arg(ports.live));
    EXPECT_FALSE(dialog.controls().control(ProxyTesterDialog::kDoneId)->isEnabled());
    dialog.startTest();
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }));
    auto rows = Rows(dialog);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].first, "Get proxy response time");
    EXPECT_THAT(rows[0].second.toStdString(), MatchesRegex("[0-9]+ milliseconds"));
    EXPECT_EQ(rows[1].first, "Get proxy download speed");
    EXPECT_THAT(rows[1].second.toStdString(), MatchesRegex("[0-9]+\\.[0-9][0-9] KB/sec"));
    EXPECT_EQ(rows[2], std::make_pair(QString("Test Completed"), QString("Proxy ready")));
    EXPECT_EQ(dialog.controls().control<QProgressBar>(ProxyTesterDialog::kProgressId)->value(),
              100);
    EXPECT_EQ(DwordSetting(settings::kFail).get(), 0u);
    // A passed test names no proxy by itself: only Done (adoption) does.
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "");
    EXPECT_EQ(StringSetting(settings::kTmpResponseTime).get(), rows[0].second.toStdString());
    EXPECT_TRUE(dialog.controls().control(ProxyTesterDialog::kDoneId)->isEnabled());

    dialog.startTest();
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 2; }));
    EXPECT_EQ(Rows(dialog).size(), 6u) << "a second press appends below the first";

    dialog.prepare("127.0.0.1", ports.dead, "127.0.0.1:1");
    dialog.startTest();
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 3; }));
    rows = Rows(dialog);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], std::make_pair(QString("Proxy server is NOT AVAILABLE"),
                                      QString("Connection Failure")));
    EXPECT_EQ(DwordSetting(settings::kFail).get(), 1u);
    EXPECT_EQ(StringSetting(settings::kTmpResponseTime).get(), "");
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "") << "a failure names nothing";
}

TEST_F(ProxyDialogsTest, TestAndAdoptRunsThroughTheDialogAndDoneAdopts) {
    LoopbackPorts ports;
    ProxyTesterDialog dialog;
    FakePageHost host;
    const std::string text = "127.0.0.1:" + std::to_string(ports.live) + "->Loop";
    QTimer::singleShot(0, &dialog, [&] {
        auto* start = dialog.controls().control<skin::BitmapButton>(ProxyTesterDialog::kStartId);
        start->click();
        waitUntil([&] { return !dialog.testRunning(); });
        dialog.controls().control<skin::BitmapButton>(ProxyTesterDialog::kDoneId)->click();
    });
    AdoptContext context{host.tested,       dialog,           host.fakeGateway, host,
                         host.fakeDropDown, host.fakeMessages};
    EXPECT_EQ(TestAndAdopt(text, "Loop", AdoptEntryPoint::StatusPanelNew, context),
              AdoptOutcome::Adopted);
    ASSERT_EQ(host.tested.rowCount(), 1);
    EXPECT_EQ(host.tested.row(0).address, "127.0.0.1:" + std::to_string(ports.live));
    EXPECT_THAT(host.fakeDropDown.entries, ElementsAre("Perform empty list", text));
}

TEST_F(ProxyDialogsTest, CancelDuringASlowTestClosesAtOnceAndItsAnswerIsForgotten) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    ProxyTesterDialog dialog(nullptr, [released](const std::string&, int) {
        released.wait();
        return 250u;
    });
    DwordSetting fail(settings::kFail);
    fail.set(1);
    fail.write();
    QTimer::singleShot(0, &dialog, [&] {
        dialog.controls().control<skin::BitmapButton>(ProxyTesterDialog::kStartId)->click();
        EXPECT_TRUE(dialog.testRunning());
        // The window still answers: the cancel button works mid-test.
        dialog.controls().control<skin::BitmapButton>(ProxyTesterDialog::kCancelId)->click();
    });
    EXPECT_EQ(dialog.run("10.255.255.1", 80, "10.255.255.1:80"),
              veilport::proxypool::ProxyTester::Result::Cancel);
    release.set_value();
    QThreadPool::globalInstance()->waitForDone();
    QApplication::processEvents();
    EXPECT_TRUE(Rows(dialog).empty());
    EXPECT_EQ(DwordSetting(settings::kFail).get(), 1u);
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "");
}

TEST_F(ProxyDialogsTest, UpdateDialogPlaysItsSequenceAroundAnUpdateOffTheWindowThread) {
    DwordSetting useProxy(settings::kUseProxy);
    useProxy.set(1);
    useProxy.write();
    StringSetting proxyName(settings::kProxyName);
    proxyName.set("5.6.7.8:3128->X");
    proxyName.write();
    FakePageHost host;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const HttpGet get = [released](const std::string& url) {
        if (url.find("sortedproxylist") == std::string::npos) return std::string();
        released.wait();
        return std::string("1.1.1.1:80->A<br />2.2.2.2:81->B<br />");
    };
    ProxyListUpdateDialog dialog({host.newProxies, host.fakeMessages, get, get});
    dialog.setPauseMs(0);
    QSignalSpy finished(&dialog, &ProxyListUpdateDialog::sequenceFinished);
    auto* button = dialog.controls().control<skin::BitmapButton>(ProxyListUpdateDialog::kButtonId);
    button->click();
    EXPECT_EQ(button->pictures().normal.toImage(),
              skin::loadPicture(skin::picture::kOkNormal).toImage());
    // While the download hangs the window thread keeps running its events.
    bool timerRan = false;
    QTimer::singleShot(0, &dialog, [&] { timerRan = true; });
    ASSERT_TRUE(waitUntil([&] { return timerRan; }));
    EXPECT_EQ(dialog.state(), ProxyListUpdateDialog::State::Running);
    button->click();  // ignored until the sequence ends
    release.set_value();
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }));
    EXPECT_THAT(dialog.positions(), ElementsAre(20, 40, 60, 80, 100));
    EXPECT_EQ(host.newProxies.rowCount(), 2);
    // The update switches nothing and leaves the Gateway as it was.
    EXPECT_TRUE(host.fakeConnection.calls.empty());
    EXPECT_TRUE(host.fakeGateway.starts.empty());
    EXPECT_TRUE(host.fakeMessages.shown.empty());
    EXPECT_EQ(dialog.state(), ProxyListUpdateDialog::State::Done);

    QSignalSpy rejected(&dialog, &QDialog::rejected);
    button->click();
    EXPECT_EQ(rejected.count(), 1);
}

}  // namespace
}  // namespace veilport::proxypool::ui
