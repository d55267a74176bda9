#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTreeWidget>

#include "PoolPageFixture.h"
#include "app/pages/anonymity/AddProxyPanel.h"
#include "app/pages/anonymity/AnonymityWizardPanel.h"
#include "app/pages/anonymity/CurrentProxyPanel.h"
#include "app/pages/anonymity/NewProxiesPanel.h"
#include "app/pages/anonymity/TestedProxiesPanel.h"
#include "app/pages/anonymity/UpdateProxyListPanel.h"
#include "browsers/BrowserTestUtil.h"
#include "proxypool/MyProxiesFile.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool::ui {
namespace {

using testing::StoreDword;
using testing::StoreText;
using testing::waitUntil;

constexpr const char* kBody =
    "1.1.1.1:80->Germany <supports POST><br />"
    "2.2.2.2:8080->France<br />"
    "3.3.3.3:3128->Germany<br />"
    "4.4.4.4:80->Niger <supports POST><br />";

QStringList items(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
    return texts;
}

using PoolPages = testing::PoolPageTest;

class WizardTest : public testing::PoolPageTest {
protected:
    WizardTest() { serviceBody = kBody; }
    void tick(int id) {
        page.findChild<QCheckBox*>(QStringLiteral("control%1").arg(id))->click();
        ASSERT_TRUE(waitUntil([this] { return !page.fetcher().busy(); }));
    }
    QComboBox* combo(int id) {
        return page.findChild<QComboBox*>(QStringLiteral("control%1").arg(id));
    }
    AnonymityWizardPanel page{host, nullptr};
};

TEST_F(WizardTest, BoxesChooseTheModeAndEachRefillDownloadsAfresh) {
    EXPECT_FALSE(combo(AnonymityWizardPanel::kLocationsId)->isEnabled());
    EXPECT_FALSE(combo(AnonymityWizardPanel::kProxiesId)->isEnabled());

    tick(AnonymityWizardPanel::kBrowseId);
    EXPECT_EQ(downloads, 2) << "locations, then the first location's proxies";
    EXPECT_EQ(items(combo(AnonymityWizardPanel::kLocationsId)),
              (QStringList{"France", "Germany", "Niger"}));
    EXPECT_EQ(items(combo(AnonymityWizardPanel::kProxiesId)),
              (QStringList{"2.2.2.2:8080->France"}));

    // Both ticked: Post Anonymously wins.
    tick(AnonymityWizardPanel::kPostId);
    EXPECT_EQ(downloads, 4);
    EXPECT_EQ(items(combo(AnonymityWizardPanel::kLocationsId)), (QStringList{"Germany", "Niger"}));
    EXPECT_EQ(items(combo(AnonymityWizardPanel::kProxiesId)),
              (QStringList{"1.1.1.1:80->Germany <supports POST>"}));

    // Post Anonymously off again: Browse Invisibly is still ticked and in force.
    tick(AnonymityWizardPanel::kPostId);
    EXPECT_EQ(downloads, 6);
    EXPECT_EQ(items(combo(AnonymityWizardPanel::kLocationsId)),
              (QStringList{"France", "Germany", "Niger"}));

    // A location chosen by the user costs one download.
    auto* locations = combo(AnonymityWizardPanel::kLocationsId);
    locations->setCurrentIndex(1);
    emit locations->activated(1);
    ASSERT_TRUE(waitUntil([this] { return !page.fetcher().busy(); }));
    EXPECT_EQ(downloads, 7);
    EXPECT_EQ(items(combo(AnonymityWizardPanel::kProxiesId)),
              (QStringList{"1.1.1.1:80->Germany <supports POST>", "3.3.3.3:3128->Germany"}));

    // Both off: empty and disabled, nothing downloaded.
    tick(AnonymityWizardPanel::kBrowseId);
    EXPECT_EQ(downloads, 7);
    EXPECT_EQ(combo(AnonymityWizardPanel::kLocationsId)->count(), 0);
    EXPECT_FALSE(combo(AnonymityWizardPanel::kProxiesId)->isEnabled());
}

// The downloads go out directly by themselves: anonymity stays as it is.
TEST_F(WizardTest, DownloadsWhileAnonymityIsOnSwitchNothing) {
    StoreDword(settings::kUseProxy, 1);
    tick(AnonymityWizardPanel::kBrowseId);
    EXPECT_TRUE(host.fakeConnection.calls.empty());
}

TEST_F(WizardTest, ApplyTestsTheChosenProxyOnlyWithAPurposeTicked) {
    tester.live["2.2.2.2:8080"] = 40;
    tick(AnonymityWizardPanel::kBrowseId);
    tick(AnonymityWizardPanel::kBrowseId);
    // A stale text in the drop-down would not be tested either.
    combo(AnonymityWizardPanel::kProxiesId)->addItem("2.2.2.2:8080->France");
    page.findChild<QAbstractButton*>("control1001")->click();
    EXPECT_TRUE(tester.runs.empty());

    tick(AnonymityWizardPanel::kBrowseId);
    page.findChild<QAbstractButton*>("control1001")->click();
    ASSERT_EQ(tester.runs.size(), 1u);
    EXPECT_EQ(tester.runs[0].host, "2.2.2.2");
    EXPECT_EQ(tester.runs[0].port, 8080);
    ASSERT_EQ(host.tested.rowCount(), 1);
    EXPECT_EQ(host.tested.row(0).country, "France");
    EXPECT_GE(host.poolChanges, 1);
}

TEST_F(WizardTest, AnAnswerToAnOlderQuestionFillsNothing) {
    // Tick and untick before the first download has answered: the page ends
    // empty, whatever the late answers say.
    page.findChild<QCheckBox*>("control1060")->click();
    page.findChild<QCheckBox*>("control1060")->click();
    ASSERT_TRUE(waitUntil([this] { return !page.fetcher().busy(); }));
    EXPECT_EQ(combo(AnonymityWizardPanel::kLocationsId)->count(), 0);
    EXPECT_EQ(combo(AnonymityWizardPanel::kProxiesId)->count(), 0);
}

class TestedListTest : public testing::PoolPageTest {
protected:
    TestedListTest() {
        for (const char* address : {"5.5.5.5:80", "6.6.6.6:81", "7.7.7.7:82"})
            host.tested.appendRow({address, "Spain", "Not Tested", ""});
        page = std::make_unique<TestedProxiesPanel>(host, nullptr);
        page->setMenuRunner(
            [this](QMenu& menu, QPoint) -> std::optional<TestedProxiesPanel::Command> {
                ++menusShown;
                for (QAction* action : menu.actions()) menuTexts << action->text();
                return chosen;
            });
    }
    void select(std::initializer_list<int> rows) {
        page->list()->clearSelection();
        for (int row : rows) page->list()->topLevelItem(row)->setSelected(true);
    }
    std::vector<std::string> addresses() const {
        std::vector<std::string> out;
        for (const auto& row : host.tested.rows()) out.push_back(row.address);
        return out;
    }

    std::unique_ptr<TestedProxiesPanel> page;
    int menusShown = 0;
    QStringList menuTexts;
    std::optional<TestedProxiesPanel::Command> chosen;
};

TEST_F(TestedListTest, NoMenuWithoutASelectionAndFourCommandsWithOne) {
    page->showContextMenu({10, 10});
    EXPECT_EQ(menusShown, 0);
    select({1});
    page->showContextMenu({10, 10});
    EXPECT_EQ(menusShown, 1);
    EXPECT_EQ(menuTexts, (QStringList{"Remove Proxy", "Remove All Proxies", "Test Proxy",
                                      "Test All Proxies"}));
    EXPECT_EQ(host.tested.rowCount(), 3) << "closing the menu runs nothing";
}

TEST_F(TestedListTest, RemoveProxyRemovesOnlyTheFirstSelectedRowAndSaves) {
    select({2, 1});
    chosen = TestedProxiesPanel::Command::RemoveProxy;
    page->showContextMenu({10, 10});
    EXPECT_EQ(addresses(), (std::vector<std::string>{"5.5.5.5:80", "7.7.7.7:82"}));
    EXPECT_EQ(ReadMyProxies(), "5.5.5.5:80->Spain\n7.7.7.7:82->Spain\n");
    EXPECT_EQ(page->list()->topLevelItemCount(), 2);

    chosen = TestedProxiesPanel::Command::RemoveAllProxies;
    select({0});
    page->showContextMenu({10, 10});
    EXPECT_EQ(host.tested.rowCount(), 0);
    EXPECT_EQ(ReadMyProxies(), "");
}

TEST_F(TestedListTest, TestProxyTakesTheRowOutBeforeTestingAndBringsBackOnlyALiveOne) {
    std::vector<std::string> duringTest;
    tester.onRun = [&] { duringTest = addresses(); };
    tester.live["6.6.6.6:81"] = 20;
    select({1});
    page->runCommand(TestedProxiesPanel::Command::TestProxy);
    EXPECT_EQ(duringTest, (std::vector<std::string>{"5.5.5.5:80", "7.7.7.7:82"}));
    EXPECT_EQ(addresses(), (std::vector<std::string>{"5.5.5.5:80", "7.7.7.7:82", "6.6.6.6:81"}));

    select({0});
    page->runCommand(TestedProxiesPanel::Command::TestProxy);
    EXPECT_EQ(addresses(), (std::vector<std::string>{"7.7.7.7:82", "6.6.6.6:81"}));
}

TEST_F(TestedListTest, TestAllDropsDeadProxiesOffTheWindowThread) {
    page->setConnectMeasure(
        [](const std::string& host, int) { return host == "6.6.6.6" ? 30u : 0u; });
    page->runCommand(TestedProxiesPanel::Command::TestAllProxies);
    EXPECT_FALSE(page->list()->isEnabled()) << "the list is not for changing during the pass";
    ASSERT_TRUE(waitUntil([this] { return !page->testingAll(); }));
    EXPECT_EQ(addresses(), (std::vector<std::string>{"6.6.6.6:81"}));
    EXPECT_EQ(host.tested.row(0).responseTime, "30 miliseconds");
    EXPECT_EQ(ReadMyProxies(), "6.6.6.6:81->Spain\n");
    EXPECT_TRUE(page->list()->isEnabled());
    EXPECT_EQ(page->list()->topLevelItem(0)->text(2), "30 miliseconds");
}

TEST_F(TestedListTest, UseSelectedSwitchesOnlyWhileAnonymityIsOn) {
    StoreText(settings::kProxyName.path, "9.9.9.9:99");
    select({1});
    page->useSelected();
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "9.9.9.9:99");
    EXPECT_TRUE(host.fakeGateway.upstreams.empty());

    StoreDword(settings::kUseProxy, 1);
    page->useSelected();
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "6.6.6.6:81");
    ASSERT_EQ(host.fakeGateway.upstreams.size(), 1u);
    EXPECT_EQ(host.fakeGateway.upstreams[0].port, 81);
    EXPECT_EQ(host.ipInUseLine, "Current IP Address in use: 6.6.6.6:81->Spain");
}

TEST_F(TestedListTest, UseSelectedSaysWhyAProxyWithAnUnusablePortIsNotUsed) {
    host.tested.appendRow({"8.8.8.8:70000", "Spain", "Not Tested", ""});
    page->onPoolChanged();
    StoreDword(settings::kUseProxy, 1);
    StoreText(settings::kProxyName.path, "5.5.5.5:80");
    select({3});
    page->useSelected();
    EXPECT_EQ(host.fakeMessages.shown, std::vector<std::string>{proxypool::kCannotStartProxy});
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "5.5.5.5:80");
    EXPECT_TRUE(host.fakeGateway.upstreams.empty());
}

TEST_F(PoolPages, CurrentProxyShowsTheUpstreamOnlyWhenOneIsInUse) {
    CurrentProxyPanel page(host, nullptr);
    StoreDword(settings::kUseProxy, 1);
    page.pageShown();
    EXPECT_EQ(page.addressText(), "              10.1.2.3") << "anonymity on, no ProxyName";
    StoreText(settings::kProxyName.path, "1.1.1.1:80->Germany");
    page.pageShown();
    EXPECT_EQ(page.addressText(), "           1.1.1.1:80->Germany");
    StoreDword(settings::kUseProxy, 0);
    page.pageShown();
    EXPECT_EQ(page.addressText(), "              10.1.2.3");

    page.findChild<QAbstractButton*>("control1001")->click();
    EXPECT_EQ(host.shownPages, (std::vector<app::PageId>{app::PageId::NewProxies}));
}

TEST_F(PoolPages, NewListAndAddPageTestEvenWithNothingToTest) {
    host.newProxies.rebuild(kBody);
    NewProxiesPanel newPage(host, nullptr);
    ASSERT_EQ(newPage.list()->topLevelItemCount(), 4);
    EXPECT_FALSE(newPage.list()->topLevelItem(0)->icon(0).isNull());

    newPage.testSelected();
    ASSERT_EQ(tester.runs.size(), 1u);
    EXPECT_EQ(tester.runs[0].host, "");
    EXPECT_EQ(tester.runs[0].port, 0);
    EXPECT_EQ(host.tested.rowCount(), 0);

    tester.live["3.3.3.3:3128"] = 12;
    newPage.list()->topLevelItem(2)->setSelected(true);
    newPage.list()->topLevelItem(3)->setSelected(true);
    newPage.testSelected();
    ASSERT_EQ(host.tested.rowCount(), 1);
    EXPECT_EQ(host.tested.row(0).address, "3.3.3.3:3128");
    EXPECT_EQ(host.tested.row(0).country, "Germany");
    EXPECT_EQ(ReadMyProxies(), "3.3.3.3:3128->Germany\n");

    AddProxyPanel addPage(host, nullptr);
    addPage.apply();
    EXPECT_EQ(tester.runs.back().host, "");
    addPage.field()->setText("3.3.3.3:3128");
    addPage.apply();
    EXPECT_EQ(addPage.field()->text(), "3.3.3.3:3128") << "the field keeps its text";
    EXPECT_EQ(host.tested.rowCount(), 1) << "a known proxy is not added twice";
}

TEST_F(PoolPages, UpdateRebuildsTheNewListAndEndsWithTheMessage) {
    serviceBody = kBody;
    NewProxiesPanel newPage(host, nullptr);
    UpdateProxyListPanel page(host, nullptr);
    page.setPause(0);
    bool finished = false;
    QObject::connect(&page, &UpdateProxyListPanel::finished, [&] { finished = true; });
    page.findChild<QAbstractButton*>("control1")->click();
    EXPECT_FALSE(page.findChild<QAbstractButton*>("control1")->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return finished; }));
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(host.newProxies.rowCount(), 4);
    EXPECT_EQ(host.fakeMessages.shown, (std::vector<std::string>{"Proxy list updated!"}));
    EXPECT_EQ(page.progressBar()->value(), 0);
    EXPECT_TRUE(page.findChild<QAbstractButton*>("control1")->isEnabled());
    EXPECT_GE(host.poolChanges, 1);
}

}  // namespace
}  // namespace veilport::proxypool::ui
