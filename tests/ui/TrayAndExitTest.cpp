#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QThreadPool>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "MainWindowFixture.h"
#include "app/help/Commands.h"
#include "app/help/WebPages.h"
#include "app/pages/status/StatusPanel.h"
#include "platform/process/TopLevelWindow.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::app {
namespace {

using namespace veilport::testing;

class TrayTest : public ::testing::Test {
protected:
    MainWindow& open() {
        MainWindow& window = fixture_.open();
        window.show();
        return window;
    }
    MainWindowFixture fixture_;
};

TEST_F(TrayTest, IconIsPresentExactlyWhileTheWindowIsHidden) {
    MainWindow& window = open();
    EXPECT_FALSE(fixture_.tray->shown);
    window.hideToTray();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(fixture_.tray->shown);

    fixture_.tray->doubleClick();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(fixture_.tray->shown);

    // Minimising goes to the tray too, once the minimise has been handled.
    window.showMinimized();
    EXPECT_TRUE(waitUntil([&] { return !window.isVisible(); }));
    EXPECT_TRUE(fixture_.tray->shown);
    window.runCommand(command::kTrayShow);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_FALSE(fixture_.tray->shown);

    // The window manager's close button hides as well.
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(fixture_.tray->shown);
}

TEST_F(TrayTest, ARefusedIconIsTriedTwiceAndTheWindowHidesAllTheSame) {
    MainWindow& window = open();
    fixture_.tray->refusals = {true, true};
    window.hideToTray();
    EXPECT_EQ(fixture_.tray->adds, 2);
    EXPECT_FALSE(window.isVisible());
    // With no icon, a double click cannot come; "Show" works regardless.
    window.runCommand(command::kTrayShow);
    EXPECT_TRUE(window.isVisible());

    fixture_.tray->refusals = {true};
    window.hideToTray();
    EXPECT_EQ(fixture_.tray->adds, 4);
    EXPECT_TRUE(fixture_.tray->shown);
}

TEST_F(TrayTest, WithoutANotificationAreaTheWindowMinimisesInsteadOfHiding) {
    MainWindow& window = open();
    FakeTrayIcon* tray = fixture_.tray;
    tray->available = false;
    window.hideToTray();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isMinimized());
    EXPECT_EQ(tray->adds, 0);
    // A minimise by the desktop leaves it minimised and reachable.
    QApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    window.runCommand(command::kTrayShow);
    EXPECT_FALSE(window.isMinimized());
}

TEST_F(TrayTest, MenuHasItsItemsInOrderAndShowBecomesTheDefaultAfterFirstUse) {
    MainWindow& window = open();
    QMenu& menu = window.trayMenu();
    EXPECT_EQ(fixture_.tray->menu, &menu);
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts, QStringList({"Show", "-", "Help Contents...", "Help Index...",
                                  "Help Search...", "About...", "Tell a friend...", "-", "Exit"}));
    EXPECT_EQ(menu.defaultAction(), nullptr);
    emit menu.aboutToHide();
    EXPECT_EQ(menu.defaultAction(), menu.actions().at(0));
}

TEST_F(TrayTest, MenuCommandsReachTheirActions) {
    MainWindow& window = open();
    const auto actions = window.trayMenu().actions();
    actions.at(2)->trigger();
    actions.at(3)->trigger();
    actions.at(4)->trigger();
    EXPECT_EQ(fixture_.help.requests, QStringList({"contents", "index", "search:lesson"}));
    actions.at(6)->trigger();
    if (VendorSiteSet()) {
        ASSERT_EQ(fixture_.shell.requests.size(), 1u);
        EXPECT_EQ(fixture_.shell.requests[0].target,
                  "http://" VEILPORT_VENDOR_HOST "/veilport/tell_a_friend.html");
        EXPECT_EQ(fixture_.shell.requests[0].show, shell::WindowShow::Maximized);
    } else {
        // The placeholder host serves nothing: the local help stands in.
        EXPECT_TRUE(fixture_.shell.requests.empty());
        EXPECT_EQ(fixture_.help.requests.back(), "page:Introduction.htm");
    }

    window.hideToTray();
    actions.at(0)->trigger();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(fixture_.tray->shown);

    QSignalSpy finished(&window, &QDialog::finished);
    actions.at(8)->trigger();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), 0);
}

// The status page fetches the New list as the window opens, switching the
// system proxy to direct for the download; what a test looks at starts after.
void ForgetStartUp(MainWindow& window, FakeProxySwitch& connection) {
    auto* status = dynamic_cast<app::StatusPanel*>(window.page(PageId::Status));
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(waitUntil([&] { return !status->fetchingNewList(); }));
    connection.calls.clear();
}

TEST_F(TrayTest, ExitWithAnonymityOnSwitchesItOffBeforeTheWindowEnds) {
    DwordSetting(settings::kUseProxy).set(1);
    StringSetting(settings::kProxyName).set("1.2.3.4:8080");
    MainWindow& window = open();
    ForgetStartUp(window, fixture_.connection);
    fixture_.gateway.running = true;
    bool offBeforeEnd = false;
    QObject::connect(&window, &QDialog::finished, [&] {
        offBeforeEnd = fixture_.connection.calls == std::vector<std::string>{"direct"} &&
                       fixture_.gateway.stops == 1 && DwordSetting(settings::kUseProxy).get() == 0;
    });
    window.runCommand(command::kTrayExit);
    EXPECT_TRUE(offBeforeEnd);
    EXPECT_FALSE(fixture_.gateway.running);
}

// The switch's failures are what veilportctl prints; in the window they reach
// the person as a message, whichever way anonymity was changed.
TEST_F(TrayTest, ASwitchThatFailsATargetSaysSoInTheWindowOnAndAtExit) {
    StringSetting(settings::kProxyName).set("1.2.3.4:8080");
    MainWindow& window = open();
    ForgetStartUp(window, fixture_.connection);
    fixture_.messages.shown.clear();
    fixture_.connection.failingTarget = "/home/me/.mozilla/firefox/p/prefs.js";
    const std::string failure =
        "Not every setting could be switched:\n/home/me/.mozilla/firefox/p/prefs.js: "
        "Permission denied\n";

    window.page(PageId::Status)->findChild<QAbstractButton*>("control1011")->click();
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 1u);
    ASSERT_TRUE(waitUntil([&] { return !fixture_.messages.shown.empty(); }));
    EXPECT_EQ(fixture_.messages.shown, std::vector<std::string>{failure});

    fixture_.messages.shown.clear();
    window.runCommand(command::kTrayExit);
    EXPECT_EQ(fixture_.messages.shown, std::vector<std::string>{failure});
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
}

TEST_F(TrayTest, ExitWithAnonymityOffEndsAtOnce) {
    MainWindow& window = open();
    ForgetStartUp(window, fixture_.connection);
    QSignalSpy finished(&window, &QDialog::finished);
    window.runCommand(command::kTrayExit);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(fixture_.connection.calls.empty());
    EXPECT_EQ(fixture_.gateway.stops, 0);
}

// Exit used to wait for a download in flight (up to its minute) while the
// Gateway still listened and the single-instance lock was held.
TEST_F(TrayTest, ExitStopsADownloadInFlightAndKeepsTheStartUpPagesPort) {
    // A named list service, so that the start-up download goes out.
    StringSetting listHost(settings::kProxyListHost);
    listHost.set("lists.test");
    listHost.write();
    std::mutex mutex;
    std::condition_variable_any stopped;
    std::atomic<bool> downloading = false;
    fixture_.listGet = [&, stop = fixture_.backgroundWork.get_token()](const std::string&) {
        downloading = true;
        std::unique_lock lock(mutex);
        stopped.wait(lock, stop, [] { return false; });
        return std::string();
    };
    MainWindow& window = open();
    ASSERT_TRUE(waitUntil([&] { return downloading.load(); }));
    window.showPage(PageId::StartupOptions);
    auto* port = window.findChild<QLineEdit*>("control1047");
    ASSERT_NE(port, nullptr);
    port->setText("9191");

    QSignalSpy finished(&window, &QDialog::finished);
    window.runCommand(command::kTrayExit);
    EXPECT_EQ(finished.count(), 1);
    const bool ended = QThreadPool::globalInstance()->waitForDone(30'000);
    // A failed expectation must not leave the download blocking the suite.
    fixture_.backgroundWork.request_stop();
    EXPECT_TRUE(ended) << "the download outlived Exit";
    EXPECT_EQ(DwordSetting(settings::kLocalPort).get(), 9191u);
}

TEST_F(TrayTest, CloseMessageEndsTheWindowAndLeavesAnonymityAsItIs) {
    DwordSetting(settings::kUseProxy).set(1);
    MainWindow& window = fixture_.open(/*registerTitle=*/true);
    ForgetStartUp(window, fixture_.connection);
    window.hideToTray();
    QSignalSpy finished(&window, &QDialog::finished);
    const auto found = process::TopLevelWindow::find("Veilport");
    ASSERT_TRUE(found);
    ASSERT_TRUE(found->post(process::WindowMessage::Close));
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }));
    EXPECT_EQ(finished.at(0).at(0).toInt(), 0);
    EXPECT_TRUE(fixture_.connection.calls.empty());
    EXPECT_EQ(fixture_.gateway.stops, 0);
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 1u);
}

TEST_F(TrayTest, ASecondStartBringsTheWindowBackFromTheTrayAndTheIconGoes) {
    MainWindow& window = fixture_.open(/*registerTitle=*/true);
    window.show();
    window.hideToTray();
    ASSERT_TRUE(fixture_.tray->shown);
    const auto found = process::TopLevelWindow::find("Veilport");
    ASSERT_TRUE(found);
    ASSERT_TRUE(found->post(process::WindowMessage::Show));
    ASSERT_TRUE(waitUntil([&] { return window.isVisible(); }));
    EXPECT_FALSE(fixture_.tray->shown);
}

}  // namespace
}  // namespace veilport::app
