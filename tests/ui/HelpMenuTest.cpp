#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTimer>

#include "MainWindowFixture.h"
#include "app/dialogs/MyAddressDialog.h"
#include "app/dialogs/ProxyListUpdateDialog.h"
#include "app/help/AboutDialog.h"
#include "app/help/Commands.h"
#include "app/help/WebPages.h"
#include "settings/StringSetting.h"

namespace veilport::app {
namespace {

using namespace veilport::testing;

class HelpMenuTest : public ::testing::Test {
protected:
    MainWindow& open() {
        MainWindow& window = fixture_.open();
        window.show();
        return window;
    }
    std::vector<std::string> openedUrls() const {
        std::vector<std::string> urls;
        for (const auto& request : fixture_.shell.requests) urls.push_back(request.target);
        return urls;
    }
    // Runs the command with the About box answered at once; whether it came
    // with its background picture, or nothing when no box came.
    std::optional<bool> aboutFrom(MainWindow& window, int command) {
        std::optional<bool> pictures;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
            if (about == nullptr) return;
            pictures = !about->backgroundPicture().isNull();
            about->findChild<QAbstractButton*>(QStringLiteral("control1"))->click();
        });
        window.runCommand(command);
        return pictures;
    }
    MainWindowFixture fixture_;
};

TEST_F(HelpMenuTest, HasItsTwelvePositionsInOrder) {
    MainWindow& window = open();
    QStringList texts;
    for (const QAction* action : window.helpMenu().menu().actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts, QStringList({"Help &Contents", "Help &Index", "Help &Search", "-",
                                  "&Product Page", "C&ompany Page", "-", "&Get Support",
                                  "&Live Update", "&Tell a Friend", "-", "&About"}));
    EXPECT_TRUE(window.helpMenu().hasItems());
    EXPECT_EQ(window.helpMenu().accessibleName(), "Help");
}

TEST_F(HelpMenuTest, EachItemReachesItsAction) {
    MainWindow& window = open();
    const auto actions = window.helpMenu().menu().actions();
    for (const int position : {0, 1, 2, 4, 5, 7, 9}) actions.at(position)->trigger();
    const std::string site = "http://" VEILPORT_VENDOR_HOST;
    if (VendorSiteSet()) {
        EXPECT_EQ(fixture_.help.requests, QStringList({"contents", "index", "search:lesson"}));
        EXPECT_EQ(openedUrls(),
                  (std::vector<std::string>{site + "/features_veilport.html", site + "/",
                                            site + "/support_veilport.html",
                                            site + "/veilport/tell_a_friend.html"}));
    } else {
        // No one serves the placeholder host: the local help stands in.
        EXPECT_EQ(fixture_.help.requests,
                  QStringList({"contents", "index", "search:lesson", "page:Introduction.htm",
                               "page:Introduction.htm", "page:Help.htm", "page:Introduction.htm"}));
        EXPECT_TRUE(openedUrls().empty());
    }
    for (const auto& request : fixture_.shell.requests)
        EXPECT_EQ(request.show, shell::WindowShow::Maximized);

    // Live Update updates the proxy list, never the program: its dialog opens.
    bool updateShown = false;
    QTimer::singleShot(0, &window, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<proxypool::ui::ProxyListUpdateDialog*>(top);
                dialog != nullptr && dialog->isVisible()) {
                updateShown = true;
                dialog->reject();
            }
        }
    });
    const auto opened = fixture_.shell.requests.size();
    actions.at(8)->trigger();
    EXPECT_TRUE(updateShown);
    EXPECT_EQ(fixture_.shell.requests.size(), opened);
}

TEST(VendorSite, OnlyARealHostCountsAsTheVendorsSite) {
    EXPECT_FALSE(VendorSiteSet("www.veilport.example"));
    EXPECT_FALSE(VendorSiteSet(""));
    EXPECT_TRUE(VendorSiteSet("www.example.org"));
}

TEST_F(HelpMenuTest, WhatIsMyIpAsksTheJudgeInAWindowOfItsOwn) {
    // A judge no one serves: the window must not reach the default one.
    StringSetting judge(settings::kJudgeUrl);
    judge.set("http://127.0.0.1:1/get");
    judge.write();
    MainWindow& window = open();
    bool shown = false;
    QTimer::singleShot(0, &window, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<proxypool::ui::MyAddressDialog*>(top);
                dialog != nullptr && dialog->isVisible()) {
                shown = dialog->asking();
                dialog->reject();
            }
        }
    });
    window.controls().control<QAbstractButton>(MainWindow::kWhatIsMyIpId)->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(openedUrls().empty()) << "no web page any more";
}

TEST_F(HelpMenuTest, AboutHasItsPicturesFromTheMenusButNotFromTheWindowMenuEntry) {
    MainWindow& window = open();
    EXPECT_EQ(aboutFrom(window, command::kAbout), std::optional<bool>(true));
    EXPECT_EQ(aboutFrom(window, command::kAboutNoPictures), std::optional<bool>(false));
}

TEST_F(HelpMenuTest, F1AnywhereOpensTheHelpFileItself) {
    MainWindow& window = open();
    key(window, QEvent::KeyPress, Qt::Key_F1);
    key(*window.page(PageId::Status), QEvent::KeyPress, Qt::Key_F1);
    key(window.mainBar(), QEvent::KeyPress, Qt::Key_F1);
    EXPECT_EQ(fixture_.help.requests, QStringList({"file", "file", "file"}));
}

}  // namespace
}  // namespace veilport::app
