// The windows of the proxy supply: the Sources page, Check all on the New
// list, Test All on the tested list, the tester's judge rows and "What is my
// IP?". Checks run against a judge on loopback (JudgeUrl always names it, so
// nothing leaves the machine) and real tinyproxy where it is installed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTreeWidget>
#include <condition_variable>
#include <fstream>
#include <mutex>

#include "PoolPageFixture.h"
#include "app/dialogs/MyAddressDialog.h"
#include "app/dialogs/ProxyTesterDialog.h"
#include "app/pagekit/CheckColumnsView.h"
#include "app/pages/anonymity/AnonymityWizardPanel.h"
#include "app/pages/anonymity/NewProxiesPanel.h"
#include "app/pages/anonymity/SourcesPanel.h"
#include "app/pages/anonymity/TestedProxiesPanel.h"
#include "app/window/BackgroundRetest.h"
#include "browsers/BrowserTestUtil.h"
#include "proxypool/CheckPeers.h"
#include "proxypool/MyProxiesFile.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using veilport::testing::waitUntil;

QStringList Column(const QTreeWidget& list, int column) {
    QStringList texts;
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        texts << list.topLevelItem(row)->text(column);
    return texts;
}

class SupplyPages : public testing::PoolPageTest {
protected:
    SupplyPages() {
        StringSetting judgeUrl(settings::kJudgeUrl);
        judgeUrl.set(judge.url());
        judgeUrl.write();
    }

    std::string writeList(const std::string& name, const std::string& text) {
        const auto path = home.path() / name;
        std::ofstream(path) << text;
        return path.string();
    }

    testing::JudgeServer judge;
};

// A checker that holds every check until the batch is cancelled, so Cancel
// has work in flight to end.
struct HeldChecker {
    std::atomic<int> entered{0};
    CheckBatch::Checker checker() {
        return [this](const ListedProxy&, const inet::CancelCheck& cancelled) {
            ++entered;
            while (!cancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ProxyCheck check;
            check.cancelled = true;
            return check;
        };
    }
};

TEST_F(SupplyPages, SourcesPageAddsFetchesRemovesAndFeedsTheNewList) {
    host.newProxies.rebuild("1.1.1.1:80->Chile<br />");
    SourcesPanel page(host, nullptr);
    QSignalSpy shown(&page, &SourcesPanel::sourcesShown);
    ASSERT_TRUE(shown.wait(5000)) << "the kept lists are read at start";
    const std::string file = writeList(
        "socks.txt", "# a SOCKS5 list\r\n10.0.0.1:1080\r\n\r\n10.0.0.2:1080\r\nrubbish\r\n");

    page.findChild<QLineEdit*>("control1050")->setText(QString::fromStdString(file));
    page.findChild<QComboBox*>("control1051")->setCurrentText("socks5");
    page.addSource();
    ASSERT_TRUE(waitUntil([&] { return shown.count() == 2; }));
    ASSERT_EQ(page.list()->topLevelItemCount(), 1);
    auto* row = page.list()->topLevelItem(0);
    EXPECT_EQ(row->text(SourcesPanel::LocationColumn).toStdString(), file);
    EXPECT_EQ(row->text(SourcesPanel::SchemeColumn), "socks5");
    EXPECT_EQ(row->text(SourcesPanel::CountColumn), "2");
    EXPECT_NE(row->text(SourcesPanel::FetchedColumn), "never");
    EXPECT_EQ(row->text(SourcesPanel::ErrorColumn), "");
    EXPECT_TRUE(page.findChild<QLineEdit*>("control1050")->text().isEmpty());

    // The service's entries first, then the source's, each with its source.
    const auto& rows = host.newProxies.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].entry, "1.1.1.1:80->Chile");
    EXPECT_EQ(rows[0].source, "");
    EXPECT_EQ(rows[1].entry, "socks5://10.0.0.1:1080");
    EXPECT_EQ(rows[1].source, file);
    NewProxiesPanel newPage(host, nullptr);
    EXPECT_EQ(Column(*newPage.list(), NewProxiesPanel::kSourceColumn),
              (QStringList{"Veilport list service", QString::fromStdString(file),
                           QString::fromStdString(file)}));

    // A refresh that fails keeps the list it had and says why.
    std::filesystem::remove(file);
    page.refresh();
    ASSERT_TRUE(waitUntil([&] { return shown.count() == 3; }));
    EXPECT_EQ(page.list()->topLevelItem(0)->text(SourcesPanel::CountColumn), "2");
    EXPECT_FALSE(page.list()->topLevelItem(0)->text(SourcesPanel::ErrorColumn).isEmpty());
    EXPECT_EQ(host.newProxies.rowCount(), 3);

    page.list()->topLevelItem(0)->setSelected(true);
    page.removeSelected();
    ASSERT_TRUE(waitUntil([&] { return shown.count() == 4; }));
    EXPECT_EQ(page.list()->topLevelItemCount(), 0);
    EXPECT_EQ(host.newProxies.rowCount(), 1) << "the service's entry stays";
}

TEST_F(SupplyPages, TheWizardOffersEachSourceAsALocationForBrowsingOnly) {
    serviceBody = "1.1.1.1:80->Chile <supports POST><br />";
    ListedProxy proxy;
    proxy.scheme = "socks5";
    proxy.host = "10.0.0.1";
    proxy.port = 1080;
    host.newProxies.setSupply({{proxy, "/lists/socks.txt"}});
    AnonymityWizardPanel page(host, nullptr);
    auto* locations = page.findChild<QComboBox*>(
        QStringLiteral("control%1").arg(AnonymityWizardPanel::kLocationsId));
    auto* proxies = page.findChild<QComboBox*>(
        QStringLiteral("control%1").arg(AnonymityWizardPanel::kProxiesId));
    page.findChild<QCheckBox*>(QStringLiteral("control%1").arg(AnonymityWizardPanel::kBrowseId))
        ->click();
    ASSERT_TRUE(waitUntil([&] { return !page.fetcher().busy() && proxies->count() > 0; }));
    ASSERT_EQ(locations->count(), 2);
    EXPECT_EQ(locations->itemText(1), "From list: /lists/socks.txt");
    EXPECT_EQ(proxies->itemData(0, Qt::ToolTipRole).toString(), "Source: Veilport list service");
    locations->setCurrentIndex(1);
    emit locations->activated(1);
    ASSERT_EQ(proxies->count(), 1);
    EXPECT_EQ(proxies->itemText(0), "socks5://10.0.0.1:1080");
    EXPECT_EQ(proxies->itemData(0, Qt::ToolTipRole).toString(), "Source: /lists/socks.txt");

    page.findChild<QCheckBox*>(QStringLiteral("control%1").arg(AnonymityWizardPanel::kPostId))
        ->click();
    ASSERT_TRUE(waitUntil([&] { return !page.fetcher().busy() && locations->count() > 0; }));
    EXPECT_EQ(locations->count(), 1) << "no one knows whether a listed proxy takes POST";
}

TEST_F(SupplyPages, SourcesPageRefusesABadLocationWithAMessageAndKeepsTheText) {
    SourcesPanel page(host, nullptr);
    QSignalSpy shown(&page, &SourcesPanel::sourcesShown);
    ASSERT_TRUE(shown.wait(5000));
    page.findChild<QLineEdit*>("control1050")->setText("proxies.txt");
    page.addSource();
    ASSERT_EQ(host.fakeMessages.shown.size(), 1u);
    EXPECT_THAT(host.fakeMessages.shown[0], HasSubstr("The source was not added"));
    EXPECT_EQ(page.findChild<QLineEdit*>("control1050")->text(), "proxies.txt");
    EXPECT_EQ(page.list()->topLevelItemCount(), 0);
    EXPECT_FALSE(page.busy());
}

TEST_F(SupplyPages, CheckAllFillsColumnsThatSortAndCounts) {
    const auto elite = testing::StartTinyproxy(home.path(), "elite", "DisableViaHeader Yes\n");
    if (!elite || !elite->started()) GTEST_SKIP() << "tinyproxy is not installed";
    const auto dead = testing::FreeLoopbackPort();
    const auto ownPage = std::make_unique<testing::OwnPageProxy>();
    host.newProxies.rebuild("127.0.0.1:" + std::to_string(dead) + "->Nowhere<br />" +
                            "127.0.0.1:" + std::to_string(ownPage->port()) + "->Own<br />" +
                            "127.0.0.1:" + std::to_string(elite->port()) + "->Here<br />");
    NewProxiesPanel page(host, nullptr);
    QSignalSpy finished(&page.runner(), &app::CheckRunner::finished);
    page.checkAll();
    EXPECT_FALSE(page.findChild<QWidget*>("control1040")->isEnabled());
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(finished.at(0).at(0).toBool()) << "not cancelled";
    EXPECT_EQ(page.findChild<QLabel*>("control1042")->text(), "Checked 3 of 3: 1 working");
    EXPECT_EQ(page.findChild<QProgressBar*>("control1043")->value(), 3);

    const int first = NewProxiesPanel::kFirstCheckColumn;
    auto* list = page.list();
    EXPECT_EQ(Column(*list, first), (QStringList{"dead", "dead", "elite"}));
    EXPECT_EQ(list->topLevelItem(2)->text(first + 1), "127.0.0.2") << "exit address";
    EXPECT_EQ(list->topLevelItem(2)->text(first + 2), "unknown") << "no country database here";
    EXPECT_THAT(list->topLevelItem(2)->text(first + 4).toStdString(),
                ::testing::MatchesRegex("[0-9]+ ms"));
    EXPECT_FALSE(list->topLevelItem(2)->text(first + 5).isEmpty()) << "last checked";

    // Sorting by level puts the working proxy first and the dead ones last;
    // the row double-clicked is still the one shown.
    list->sortByColumn(first, Qt::AscendingOrder);
    EXPECT_EQ(Column(*list, first), (QStringList{"elite", "dead", "dead"}));
    list->topLevelItem(0)->setSelected(true);
    tester.live["127.0.0.1:" + std::to_string(elite->port())] = 5;
    page.testSelected();
    ASSERT_EQ(tester.runs.size(), 1u);
    EXPECT_EQ(tester.runs[0].port, elite->port());

    // The results are kept by proxy: a rebuilt list shows them again.
    host.newProxies.rebuild("127.0.0.1:" + std::to_string(elite->port()) + "->Here<br />");
    EXPECT_EQ(Column(*list, first), (QStringList{"elite"}));
}

TEST_F(SupplyPages, CancelEndsACheckAllInFlight) {
    std::string body;
    for (int i = 1; i <= 40; ++i) body += "10.0.0." + std::to_string(i) + ":80->X<br />";
    host.newProxies.rebuild(body);
    NewProxiesPanel page(host, nullptr);
    HeldChecker held;
    page.setChecker(held.checker());
    QSignalSpy finished(&page.runner(), &app::CheckRunner::finished);
    page.checkAll();
    ASSERT_TRUE(waitUntil([&] { return held.entered.load() > 0; }));
    page.findChild<QAbstractButton*>("control1041")->click();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    EXPECT_EQ(page.runner().done(), 0u);
    EXPECT_THAT(page.findChild<QLabel*>("control1042")->text().toStdString(),
                HasSubstr("Cancelled after 0 of 40"));
    EXPECT_TRUE(page.findChild<QWidget*>("control1040")->isEnabled());

    // The program's way out cancels a batch the same way.
    page.checkAll();
    ASSERT_TRUE(waitUntil([&] { return page.runner().running(); }));
    host.poolModel.stopChecks();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_FALSE(page.runner().running());
}

TEST_F(SupplyPages, TestAllChecksWithTheJudgeKeepsWorkingProxiesAndSortsTheirColumns) {
    const auto anonymous = testing::StartTinyproxy(home.path(), "anonymous", "");
    if (!anonymous || !anonymous->started()) GTEST_SKIP() << "tinyproxy is not installed";
    const testing::OwnPageProxy ownPage;
    const std::string live = "127.0.0.1:" + std::to_string(anonymous->port());
    const std::string fake = "127.0.0.1:" + std::to_string(ownPage.port());
    host.tested.appendRow({fake, "Own", "Not Tested", ""});
    host.tested.appendRow({live, "Here", "Not Tested", ""});
    TestedProxiesPanel page(host, nullptr);
    QSignalSpy finished(&page.runner(), &app::CheckRunner::finished);
    page.runCommand(TestedProxiesPanel::Command::TestAllProxies);
    ASSERT_TRUE(finished.wait(30000));
    // The proxy that serves its own page used to pass a connect-only Test All.
    ASSERT_EQ(host.tested.rowCount(), 1);
    EXPECT_EQ(host.tested.row(0).address, live);
    EXPECT_EQ(ReadMyProxies(), live + "->Here\n");
    const int first = TestedProxiesPanel::kFirstCheckColumn;
    EXPECT_EQ(page.list()->topLevelItem(0)->text(first), "anonymous");
    EXPECT_EQ(page.list()->topLevelItem(0)->text(first + 1), "127.0.0.2");
    EXPECT_EQ(page.findChild<QLabel*>("control1042")->text(), "Tested 2 of 2: 1 working");
    EXPECT_TRUE(page.list()->isEnabled());
}

TEST_F(SupplyPages, SortedTestedListActsOnTheRowTheUserSees) {
    for (const char* address : {"5.5.5.5:80", "6.6.6.6:81", "7.7.7.7:82"})
        host.tested.appendRow({address, "Spain", "Not Tested", ""});
    ProxyCheck fast;
    fast.connected = fast.works = true;
    fast.connectMs = 10;
    host.poolModel.health().record("7.7.7.7:82", fast, 1000);
    TestedProxiesPanel page(host, nullptr);
    page.list()->sortByColumn(TestedProxiesPanel::kFirstCheckColumn + 4, Qt::AscendingOrder);
    ASSERT_EQ(page.list()->topLevelItem(0)->text(0), "7.7.7.7:82") << "checked first";
    page.list()->topLevelItem(0)->setSelected(true);
    page.setMenuRunner([](QMenu&, QPoint) { return TestedProxiesPanel::Command::RemoveProxy; });
    page.showContextMenu({1, 1});
    std::vector<std::string> left;
    for (const auto& row : host.tested.rows()) left.push_back(row.address);
    EXPECT_THAT(left, ElementsAre("5.5.5.5:80", "6.6.6.6:81"));
}

TEST_F(SupplyPages, TesterShowsTheJudgesRowsAndFailsAProxyWithItsOwnPage) {
    const testing::OwnPageProxy ownPage;
    ProxyTesterDialog dialog;
    dialog.setJudgeCheck(ProxyTesterDialog::settingsJudge());
    QSignalSpy finished(&dialog, &ProxyTesterDialog::testFinished);
    const std::string text = "127.0.0.1:" + std::to_string(ownPage.port());
    dialog.prepare("127.0.0.1", ownPage.port(), text + "->Own");
    dialog.startTest();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    auto* list = dialog.controls().control<QTreeWidget>(ProxyTesterDialog::kListId);
    const QStringList tasks = Column(*list, 0);
    EXPECT_TRUE(tasks.contains("Request through the proxy"));
    EXPECT_EQ(list->topLevelItem(list->topLevelItemCount() - 1)->text(1), "Proxy does not work");
    EXPECT_FALSE(dialog.controls().control(ProxyTesterDialog::kDoneId)->isEnabled() &&
                 finished.at(0).at(0).toBool());

    const auto elite = testing::StartTinyproxy(home.path(), "elite", "DisableViaHeader Yes\n");
    if (!elite || !elite->started()) GTEST_SKIP() << "tinyproxy is not installed";
    dialog.prepare("127.0.0.1", elite->port(), "127.0.0.1:" + std::to_string(elite->port()));
    dialog.startTest();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(finished.at(1).at(0).toBool());
    EXPECT_EQ(Column(*list, 0),
              (QStringList{"Get proxy response time", "Get proxy download speed",
                           "Request through the proxy", "Time to first byte", "Exit address",
                           "Anonymity level", "HTTPS", "Exit country", "Test Completed"}));
    EXPECT_EQ(list->topLevelItem(4)->text(1), "127.0.0.2");
    EXPECT_EQ(list->topLevelItem(5)->text(1), "elite");
    EXPECT_EQ(list->topLevelItem(8)->text(1), "Proxy ready");
}

TEST_F(SupplyPages, WhatIsMyIpShowsTheJudgesAnswerOrWhyThereIsNone) {
    {
        MyAddressDialog dialog(nullptr);
        QSignalSpy answered(&dialog, &MyAddressDialog::answered);
        dialog.ask();
        EXPECT_EQ(dialog.controls().control<QLabel>(MyAddressDialog::kStateId)->text(),
                  "Asking the judge...");
        ASSERT_TRUE(answered.wait(10000));
        EXPECT_TRUE(answered.at(0).at(0).toBool());
        EXPECT_EQ(dialog.controls().control<QLabel>(MyAddressDialog::kRealId)->text(), "127.0.0.1");
        EXPECT_EQ(dialog.controls().control<QLabel>(MyAddressDialog::kSeenId)->text(),
                  "127.0.0.1 (direct)");
        EXPECT_EQ(dialog.controls().control<QLabel>(MyAddressDialog::kLevelId)->text(),
                  "transparent");
    }
    StringSetting judgeUrl(settings::kJudgeUrl);
    judgeUrl.set("http://127.0.0.1:" + std::to_string(testing::FreeLoopbackPort()) + "/get");
    judgeUrl.write();
    MyAddressDialog dialog(nullptr);
    QSignalSpy answered(&dialog, &MyAddressDialog::answered);
    dialog.ask();
    ASSERT_TRUE(answered.wait(10000));
    EXPECT_FALSE(answered.at(0).at(0).toBool());
    EXPECT_THAT(dialog.controls().control<QLabel>(MyAddressDialog::kStateId)->text().toStdString(),
                HasSubstr("No answer: the judge http://127.0.0.1:"));
    EXPECT_EQ(dialog.controls().control<QLabel>(MyAddressDialog::kSeenId)->text(), "");
}

TEST_F(SupplyPages, BackgroundRetestMarksDeadProxiesWithoutRemovingThem) {
    for (const char* address : {"5.5.5.5:80", "6.6.6.6:81"})
        host.tested.appendRow({address, "Spain", "Not Tested", ""});
    TestedProxiesPanel page(host, nullptr);
    QObject::connect(&host.poolModel, &app::PoolModel::changed, &page,
                     [&page] { page.onPoolChanged(); });
    Retester::Hooks hooks;
    hooks.check = [](const ListedProxy& proxy, const inet::CancelCheck&) {
        ProxyCheck check;
        check.connected = check.works = proxy.host == "6.6.6.6";
        check.connectMs = check.works ? 25 : 0;
        return check;
    };
    // Never on its own: only the pass the test asks for.
    hooks.minutes = [] { return 0u; };
    app::BackgroundRetest retest(host.poolModel, hooks);
    QSignalSpy passes(&retest, &app::BackgroundRetest::passDone);
    retest.runNow();
    ASSERT_TRUE(passes.wait(5000));
    EXPECT_EQ(passes.at(0).at(0).toInt(), 1);
    EXPECT_TRUE(host.poolModel.health().isDead("5.5.5.5:80"));
    EXPECT_FALSE(host.poolModel.health().isDead("6.6.6.6:81"));
    EXPECT_EQ(host.tested.rowCount(), 2) << "marked, never removed behind the user's back";
    EXPECT_EQ(Column(*page.list(), TestedProxiesPanel::kFirstCheckColumn),
              (QStringList{"dead", ""}));

    // A proxy adopted since is in the next pass.
    host.tested.appendRow({"7.7.7.7:82", "Spain", "Not Tested", ""});
    retest.runNow();
    ASSERT_TRUE(passes.wait(5000));
    EXPECT_TRUE(host.poolModel.health().isDead("7.7.7.7:82"));

    host.poolModel.stopChecks();
    EXPECT_TRUE(retest.stopped());
}

}  // namespace
}  // namespace veilport::proxypool::ui
