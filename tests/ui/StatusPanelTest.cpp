#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <atomic>
#include <fstream>
#include <future>
#include <thread>

#include "FakePageHost.h"
#include "UiTestSupport.h"
#include "app/pages/status/StatusPanel.h"
#include "app/pages/status/StatusTipWindow.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/ColorLabel.h"
#include "app/skin/HyperLink.h"
#include "app/skin/Pictures.h"
#include "proxypool/MyProxiesFile.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport::app {
namespace {

using ::testing::ElementsAre;
using namespace veilport::testing;
namespace picture = skin::picture;

void Store(const DwordSpec& spec, std::uint32_t value) {
    DwordSetting setting(spec);
    setting.set(value);
    setting.write();
}

void Store(const StringSpec& spec, const std::string& value) {
    StringSetting setting(spec);
    setting.set(value);
    setting.write();
}

bool Shows(const skin::BitmapButton& button, int normalPicture) {
    return button.pictures().normal.toImage() == skin::loadPicture(normalPicture).toImage();
}

class StatusPanelTest : public ::testing::Test {
protected:
    // A page whose New list download has answered, with the calls of its
    // set-up forgotten.
    std::unique_ptr<StatusPanel> makePanel() {
        auto panel = std::make_unique<StatusPanel>(host_, nullptr);
        EXPECT_TRUE(waitUntil([&] { return !panel->fetchingNewList(); }));
        host_.fakeConnection.calls.clear();
        return panel;
    }
    skin::BitmapButton& anonymitySwitch(StatusPanel& panel) {
        return *panel.controls().control<skin::BitmapButton>(StatusPanel::kAnonymityId);
    }
    skin::BitmapButton& privacySwitch(StatusPanel& panel) {
        return *panel.controls().control<skin::BitmapButton>(StatusPanel::kPrivacyId);
    }
    skin::ColorLabel& word(StatusPanel& panel, int id) {
        return *panel.controls().control<skin::ColorLabel>(id);
    }
    QComboBox& list(StatusPanel& panel, int id) { return *panel.controls().control<QComboBox>(id); }
    QStringList items(StatusPanel& panel, int id) {
        QStringList texts;
        for (int i = 0; i < list(panel, id).count(); ++i) texts << list(panel, id).itemText(i);
        return texts;
    }
    void choose(StatusPanel& panel, int id, int index) {
        list(panel, id).setCurrentIndex(index);
        emit list(panel, id).activated(index);
    }

    TempHome home_;
    FakePageHost host_;
};

TEST_F(StatusPanelTest, EnablingPointsTheMachineAtTheGatewayAndNamesTheUpstream) {
    Store(settings::kProxyName, "12.12.12.12:80");
    Store(settings::kLocalPort, 8080);
    auto panel = makePanel();
    EXPECT_EQ(word(*panel, StatusPanel::kAnonymityWordId).text(), "Disabled");
    EXPECT_EQ(word(*panel, StatusPanel::kAnonymityWordId).statusColor(), 2);
    EXPECT_TRUE(Shows(anonymitySwitch(*panel), picture::kAnonymityEnableNormal));

    anonymitySwitch(*panel).click();

    EXPECT_THAT(host_.fakeConnection.calls, ElementsAre("127.0.0.1:8080"));
    ASSERT_EQ(host_.fakeGateway.starts.size(), 1u);
    EXPECT_EQ(host_.fakeGateway.starts[0].localPort, 8080);
    EXPECT_EQ(host_.fakeGateway.starts[0].host, "12.12.12.12");
    EXPECT_EQ(host_.fakeGateway.starts[0].port, 80);
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 1u);
    EXPECT_EQ(word(*panel, StatusPanel::kAnonymityWordId).text(), "Enabled");
    EXPECT_EQ(word(*panel, StatusPanel::kAnonymityWordId).textColor(),
              QColor::fromRgb(skin::ColorLabel::kGreen));
    EXPECT_TRUE(Shows(anonymitySwitch(*panel), picture::kAnonymityDisableNormal));
    EXPECT_EQ(host_.ipInUseLine, "Current IP Address in use:12.12.12.12:80");
    EXPECT_EQ(host_.realIpLine, "Real IP Address:" + host_.realIp());
    EXPECT_TRUE(host_.fakeMessages.shown.empty());
}

TEST_F(StatusPanelTest, EnablingWithoutAProxySaysSoOnceAndSwitchesEverythingOff) {
    auto panel = makePanel();
    host_.realIpLine = "untouched";
    anonymitySwitch(*panel).click();
    EXPECT_THAT(host_.fakeMessages.shown,
                ElementsAre("Please select a proxy from the list before enabling online "
                            "anonymity."));
    EXPECT_THAT(host_.fakeConnection.calls, ElementsAre("direct"));
    EXPECT_TRUE(host_.fakeGateway.starts.empty());
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    EXPECT_EQ(word(*panel, StatusPanel::kAnonymityWordId).text(), "Disabled");
    EXPECT_EQ(word(*panel, StatusPanel::kAnonymityWordId).textColor(),
              QColor::fromRgb(skin::ColorLabel::kRed));
    EXPECT_TRUE(Shows(anonymitySwitch(*panel), picture::kAnonymityEnableNormal));
    EXPECT_EQ(host_.ipInUseLine, "Current IP Address in use:" + host_.realIp());
    EXPECT_EQ(host_.realIpLine, "untouched");
}

TEST_F(StatusPanelTest, ACountryAfterThePortIsNoPartOfTheUpstreamAndTwoClicksUndoEachOther) {
    Store(settings::kProxyName, "5.6.7.8:3128->Germany <supports POST>");
    Store(settings::kLocalPort, 8181);
    auto panel = makePanel();
    anonymitySwitch(*panel).click();
    ASSERT_EQ(host_.fakeGateway.starts.size(), 1u);
    EXPECT_EQ(host_.fakeGateway.starts[0].host, "5.6.7.8");
    EXPECT_EQ(host_.fakeGateway.starts[0].port, 3128);
    EXPECT_EQ(host_.fakeGateway.starts[0].localPort, 8181);
    EXPECT_EQ(host_.ipInUseLine, "Current IP Address in use:5.6.7.8:3128->Germany <supports POST>");

    anonymitySwitch(*panel).click();
    EXPECT_THAT(host_.fakeConnection.calls, ElementsAre("127.0.0.1:8181", "direct"));
    EXPECT_FALSE(host_.fakeGateway.running);
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    EXPECT_EQ(word(*panel, StatusPanel::kAnonymityWordId).text(), "Disabled");
    EXPECT_TRUE(Shows(anonymitySwitch(*panel), picture::kAnonymityEnableNormal));
    EXPECT_EQ(host_.ipInUseLine, "Current IP Address in use:" + host_.realIp());
    EXPECT_EQ(host_.realIpLine, "Real IP Address:" + host_.realIp());

    // The stored value decides, not the picture: a value that is neither 0
    // nor 1 counts as on, and a click switches it off.
    Store(settings::kUseProxy, 7);
    anonymitySwitch(*panel).click();
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    EXPECT_EQ(host_.fakeGateway.starts.size(), 1u);
}

// A Gateway that cannot listen used to show as "Enabled" with every browser
// pointed at its port (or at the program holding it).
TEST_F(StatusPanelTest, AGatewayThatCannotListenLeavesEverythingDisabledAndSaysWhy) {
    Store(settings::kProxyName, "12.12.12.12:80");
    host_.fakeGateway.startSucceeds = false;
    host_.fakeGateway.problem = "Port 8080 is in use by another program";
    auto panel = makePanel();
    anonymitySwitch(*panel).click();
    EXPECT_THAT(host_.fakeMessages.shown, ElementsAre("Port 8080 is in use by another program"));
    EXPECT_THAT(host_.fakeConnection.calls, ElementsAre("direct")) << "nothing pointed at it";
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    EXPECT_EQ(word(*panel, StatusPanel::kAnonymityWordId).text(), "Disabled");
}

TEST_F(StatusPanelTest, AnUpstreamPortTheGatewayCannotUseIsRefusedAndNothingAnnouncesIt) {
    Store(settings::kProxyName, "1.2.3.4:70000->Nowhere");
    auto panel = makePanel();
    host_.ipInUseLine = "Current IP Address in use: 10.1.2.3";
    anonymitySwitch(*panel).click();
    EXPECT_THAT(host_.fakeMessages.shown, ElementsAre("Cannot Start Proxy!"));
    EXPECT_TRUE(host_.fakeGateway.starts.empty());
    EXPECT_THAT(host_.fakeConnection.calls, ElementsAre("direct"));
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    EXPECT_EQ(word(*panel, StatusPanel::kAnonymityWordId).text(), "Disabled");
    EXPECT_EQ(host_.ipInUseLine, "Current IP Address in use: 10.1.2.3");
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "1.2.3.4:70000->Nowhere");

    // The same entry chosen from the Tested list while anonymity is on.
    ASSERT_TRUE(proxypool::AppendTestedProxy("1.2.3.4:0->Nowhere").ok);
    Store(settings::kProxyName, "12.12.12.12:80");
    anonymitySwitch(*panel).click();
    panel->refreshLists();
    host_.fakeMessages.shown.clear();
    const QString before = host_.ipInUseLine;
    choose(*panel, StatusPanel::kTestedListId, 1);
    EXPECT_THAT(host_.fakeMessages.shown, ElementsAre("Cannot Start Proxy!"));
    EXPECT_TRUE(host_.fakeGateway.upstreams.empty());
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "12.12.12.12:80");
    EXPECT_EQ(host_.ipInUseLine, before);
}

TEST_F(StatusPanelTest, AnonymityLeftOnAtStartGoesStraightToTheUpstreamAddressAndStaysThere) {
    Store(settings::kUseProxy, 1);
    Store(settings::kProxyName, "5.6.7.8:3128->Germany <supports POST>");
    Store(settings::kAutoClean, 1);
    StatusPanel panel(host_, nullptr);
    ASSERT_TRUE(waitUntil([&] { return !panel.fetchingNewList(); }));
    // Not the entry text, and not the Gateway, which nobody started.
    EXPECT_THAT(host_.fakeConnection.calls, ElementsAre("5.6.7.8:3128"));
    EXPECT_TRUE(host_.fakeGateway.starts.empty());
    EXPECT_EQ(word(panel, StatusPanel::kAnonymityWordId).text(), "Enabled");
    EXPECT_TRUE(Shows(anonymitySwitch(panel), picture::kAnonymityDisableNormal));
    EXPECT_EQ(word(panel, StatusPanel::kPrivacyWordId).text(), "Enabled");
    EXPECT_TRUE(Shows(privacySwitch(panel), picture::kPrivacyDisableNormal));
}

TEST_F(StatusPanelTest, PrivacyFlipsOnlyItsSetting) {
    Store(settings::kProxyName, "12.12.12.12:80");
    auto panel = makePanel();
    privacySwitch(*panel).click();
    EXPECT_EQ(DwordSetting(settings::kAutoClean).get(), 1u);
    EXPECT_EQ(word(*panel, StatusPanel::kPrivacyWordId).text(), "Enabled");
    EXPECT_EQ(word(*panel, StatusPanel::kPrivacyWordId).statusColor(), 1);
    EXPECT_TRUE(Shows(privacySwitch(*panel), picture::kPrivacyDisableNormal));
    privacySwitch(*panel).click();
    EXPECT_EQ(DwordSetting(settings::kAutoClean).get(), 0u);
    EXPECT_EQ(word(*panel, StatusPanel::kPrivacyWordId).text(), "Disabled");
    EXPECT_TRUE(Shows(privacySwitch(*panel), picture::kPrivacyEnableNormal));

    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "12.12.12.12:80");
    EXPECT_TRUE(host_.fakeConnection.calls.empty());
    EXPECT_TRUE(host_.fakeGateway.starts.empty());
    EXPECT_TRUE(host_.fakeMessages.shown.empty());
}

TEST_F(StatusPanelTest, HoverTipsReadTheSettingAsTheMouseEnters) {
    auto panel = makePanel();
    panel->show();
    auto& anonymity = anonymitySwitch(*panel);
    auto& privacy = privacySwitch(*panel);
    const QPoint middle(anonymity.width() / 2, anonymity.height() / 2);

    hoverMove(anonymity, middle);
    EXPECT_EQ(panel->tipWindow().anonymityTip(),
              "Press Enable Online Anonymity to surf anonymously");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&anonymity, &leave);
    EXPECT_EQ(panel->tipWindow().anonymityTip(), "");

    // Changed behind the page's back (the command line): the tip follows the store.
    Store(settings::kUseProxy, 1);
    hoverMove(anonymity, middle);
    EXPECT_EQ(panel->tipWindow().anonymityTip(),
              "Press Disable Online Anonymity to surf using your real IP address");

    hoverMove(privacy, middle);
    EXPECT_EQ(panel->tipWindow().privacyTip(),
              "Press Enable Privacy to activate the privacy setting. To configure privacy "
              "settings, see the privacy panel.");
    QApplication::sendEvent(&privacy, &leave);
    Store(settings::kAutoClean, 1);
    hoverMove(privacy, middle);
    EXPECT_EQ(panel->tipWindow().privacyTip(),
              "Press Disable Privacy to deactivate the privacy setting.");
}

TEST_F(StatusPanelTest, TheTestedListHoldsEveryLineOfALongFileAndEmptiesOnRequest) {
    std::string content;
    QStringList expected{"Perform empty list"};
    for (int i = 0; content.size() < 5000; ++i) {
        const std::string line = "10.0." + std::to_string(i / 250) + "." +
                                 std::to_string(i % 250 + 1) + ":8080->Country" + std::to_string(i);
        content += line + "\n";
        expected << QString::fromStdString(line);
    }
    content += "10.9.9.9:3128->Last line without a break";
    expected << "10.9.9.9:3128->Last line without a break";
    std::filesystem::create_directories(proxypool::MyProxiesPath().parent_path());
    std::ofstream(proxypool::MyProxiesPath(), std::ios::binary) << content;

    auto panel = makePanel();
    EXPECT_EQ(items(*panel, StatusPanel::kTestedListId), expected);

    // A choice while anonymity is off names the proxy for later, switching nothing.
    choose(*panel, StatusPanel::kTestedListId, 3);
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), expected[3].toStdString());
    EXPECT_TRUE(host_.fakeGateway.upstreams.empty());

    // Emptying asks first, and No (the default) keeps the list and the file.
    choose(*panel, StatusPanel::kTestedListId, 0);
    EXPECT_EQ(host_.fakeMessages.asked, std::vector<std::string>{proxypool::kEmptyListQuestion});
    EXPECT_EQ(items(*panel, StatusPanel::kTestedListId), expected);
    EXPECT_EQ(proxypool::ReadMyProxies(), content);
    EXPECT_EQ(list(*panel, StatusPanel::kTestedListId).currentIndex(), -1);

    host_.fakeMessages.answerYes = true;
    choose(*panel, StatusPanel::kTestedListId, 0);
    EXPECT_EQ(items(*panel, StatusPanel::kTestedListId), QStringList{"Perform empty list"});
    EXPECT_EQ(proxypool::ReadMyProxies(), "");
    EXPECT_GE(host_.poolChanges, 1);
}

TEST_F(StatusPanelTest, ATestedChoiceWhileAnonymousSwitchesTheUpstreamAtOnce) {
    ASSERT_TRUE(proxypool::AppendTestedProxy("5.6.7.8:3128->Germany").ok);
    Store(settings::kProxyName, "12.12.12.12:80");
    auto panel = makePanel();
    anonymitySwitch(*panel).click();
    choose(*panel, StatusPanel::kTestedListId, 1);
    ASSERT_EQ(host_.fakeGateway.upstreams.size(), 1u);
    EXPECT_EQ(host_.fakeGateway.upstreams[0].host, "5.6.7.8");
    EXPECT_EQ(host_.fakeGateway.upstreams[0].port, 3128);
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "5.6.7.8:3128");
    EXPECT_EQ(host_.ipInUseLine, "Current IP Address in use: 5.6.7.8:3128->Germany");
}

TEST_F(StatusPanelTest, ThePageAppearsAtOnceAndTheNewListFollowsTheDownload) {
    // With no list service named, at build time or in the settings, nothing
    // goes out to the placeholder host.
    {
        StatusPanel unnamed(host_, nullptr);
        EXPECT_FALSE(unnamed.fetchingNewList());
    }
    Store(settings::kProxyListHost, "lists.test");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    host_.get = [released](const std::string&) {
        released.wait();
        return std::string(
            "1.1.1.1:80->A<br />2.2.2.2:null<br />3.3.3.3:8080->C <supports POST><br />tail");
    };
    StatusPanel panel(host_, nullptr);
    QSignalSpy arrived(&panel, &StatusPanel::newListArrived);
    EXPECT_TRUE(panel.fetchingNewList());
    EXPECT_EQ(list(panel, StatusPanel::kNewListId).count(), 0);
    // The download goes out directly by itself: nothing was switched for it.
    EXPECT_TRUE(host_.fakeConnection.calls.empty());

    release.set_value();
    ASSERT_TRUE(waitUntil([&] { return arrived.count() == 1; }));
    EXPECT_EQ(items(panel, StatusPanel::kNewListId),
              (QStringList{"1.1.1.1:80->A", "3.3.3.3:8080->C <supports POST>"}));
    EXPECT_EQ(host_.newProxies.rowCount(), 2);

    // Choosing a New entry tests it and adopts it into the Tested list and file.
    proxypool::WindowlessTester tester([](const std::string&, int) { return 100u; });
    host_.tester = &tester;
    choose(panel, StatusPanel::kNewListId, 1);
    EXPECT_EQ(host_.tested.rowCount(), 1);
    EXPECT_EQ(host_.tested.row(0).address, "3.3.3.3:8080");
    EXPECT_EQ(host_.tested.row(0).country, "C <supports POST>");
    EXPECT_EQ(items(panel, StatusPanel::kTestedListId),
              (QStringList{"Perform empty list", "3.3.3.3:8080->C <supports POST>"}));
    EXPECT_EQ(proxypool::ReadMyProxies(), "3.3.3.3:8080->C <supports POST>\n");
}

TEST_F(StatusPanelTest, CheckNowRunsOffTheWindowThreadAndShowsEveryLine) {
    auto panel = makePanel();
    const auto windowThread = std::this_thread::get_id();
    std::atomic<bool> offTheWindowThread = false;
    panel->setAnonymityCheck([&] {
        offTheWindowThread = std::this_thread::get_id() != windowThread;
        return std::vector<services::CheckLine>{
            {"the Gateway listens on 127.0.0.1:8080", true, ""},
            {"prefs.js names 127.0.0.1:8080", false, "it names another proxy or none"},
        };
    });
    auto& checkNow = *panel->controls().control<skin::BitmapButton>(StatusPanel::kCheckNowId);
    EXPECT_EQ(checkNow.accessibleName(), "Check now");
    QSignalSpy shown(panel.get(), &StatusPanel::checkShown);
    checkNow.click();
    EXPECT_FALSE(checkNow.isEnabled()) << "one check at a time";
    ASSERT_TRUE(waitUntil([&] { return shown.count() == 1; }));
    EXPECT_TRUE(offTheWindowThread);
    EXPECT_TRUE(checkNow.isEnabled());
    EXPECT_EQ(host_.fakeMessages.shown,
              std::vector<std::string>{"Online Anonymity does not hold:\n\n"
                                       "done    the Gateway listens on 127.0.0.1:8080\n"
                                       "failed  prefs.js names 127.0.0.1:8080: it names another "
                                       "proxy or none\n"});
}

// Our font is wider than the one the page was laid out for: the one-line
// texts of the status rows must show whole, and nothing there may overlap.
TEST_F(StatusPanelTest, TheStatusRowsShowTheirTextsWholeAndApart) {
    auto panel = makePanel();
    const int rowsTop = panel->controls().control(StatusPanel::kStatusLabelId)->y();
    QList<QWidget*> row;
    for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->y() >= rowsTop && child->height() < 20) row << child;
    ASSERT_GE(row.size(), 7);
    const auto name = [](QWidget* widget) {
        auto* label = qobject_cast<QLabel*>(widget);
        return (label ? label->text() : widget->objectName()).toStdString();
    };
    for (QWidget* widget : row) {
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }
        for (QWidget* other : row)
            EXPECT_TRUE(widget == other || !widget->geometry().intersects(other->geometry()))
                << name(widget) << " overlaps " << name(other);
    }
}

}  // namespace
}  // namespace veilport::app

namespace veilport::app {
namespace {

// One wheel notch on the closed Tested drop-down used to pick "Perform empty
// list" and empty MyProxies.txt without a question; on New it opened the
// tester. Only a choice in the open list may act.
TEST(StatusPanelDropDowns, WheelAndArrowKeysOnAClosedDropDownChooseNothing) {
    TempHome home;
    FakePageHost host;
    std::ofstream(proxypool::MyProxiesPath()) << "1.2.3.4:80->DE\n5.6.7.8:80->FR\n";
    host.get = [](const std::string&) { return std::string("9.9.9.9:80->NL<br />"); };
    StatusPanel panel(host, nullptr);
    ASSERT_TRUE(waitUntil([&] { return !panel.fetchingNewList(); }));
    for (const int id : {StatusPanel::kTestedListId, StatusPanel::kNewListId}) {
        auto* combo = panel.controls().control<QComboBox>(id);
        QSignalSpy activated(combo, &QComboBox::activated);
        const QPoint middle = combo->rect().center();
        QWheelEvent wheel(middle, combo->mapToGlobal(middle), {}, {0, -120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(combo, &wheel);
        for (const auto key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_P})
            QTest::keyClick(combo, key);
        EXPECT_EQ(activated.count(), 0) << id;
    }
    EXPECT_EQ(proxypool::ReadMyProxies(), "1.2.3.4:80->DE\n5.6.7.8:80->FR\n");
    EXPECT_EQ(panel.controls().control<QComboBox>(StatusPanel::kTestedListId)->count(), 3);
    EXPECT_TRUE(host.fakeGateway.upstreams.empty());
}

// The tips link goes where the window sends every vendor page (the local help
// when the build names no vendor site), never straight to the placeholder.
TEST_F(StatusPanelTest, TheTipsLinkOpensThroughTheWindow) {
    auto panel = makePanel();
    auto* link = panel->controls().control<skin::HyperLink>(StatusPanel::kTipsLinkId);
    ASSERT_NE(link, nullptr);
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    EXPECT_EQ(host_.webPages, std::vector<std::string>{"/tips.html"});
}

}  // namespace
}  // namespace veilport::app
