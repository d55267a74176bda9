// The cleaning page's browser choice: the boxes and the keep list as stored,
// the warning before the browsers' passwords go, and the preview worked out
// off the window thread.

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include "FakePageHost.h"
#include "app/pages/privacy/CleaningPanel.h"
#include "browsers/BrowserTestUtil.h"
#include "cleaner/BrowserProfileFixtures.h"
#include "cleaner/CleanBrowsers.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport::cleaner::ui {
namespace {

using veilport::testing::StoredDword;
namespace fs = std::filesystem;

class CleaningPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        page->setConfirm([this](const QString& text) {
            asked << text;
            return answer;
        });
        page->setShowPreview([this](const QStringList& lines) { previews << lines; });
    }
    void add(const QString& site) {
        page->keepSiteField()->setText(site);
        QTest::mouseClick(button(CleaningPanel::kAddSiteId), Qt::LeftButton);
    }
    QAbstractButton* button(int id) {
        return page->findChild<QAbstractButton*>(QStringLiteral("control%1").arg(id));
    }
    QCheckBox* passwords() { return page->taskBox(CleaningPanel::kPasswordsTask); }

    veilport::testing::TempHome home;
    veilport::testing::FakePageHost host;
    std::unique_ptr<CleaningPanel> page = std::make_unique<CleaningPanel>(host, nullptr);
    QStringList asked;
    bool answer = false;
    QList<QStringList> previews;
};

TEST_F(CleaningPageTest, BrowsersAreOffUntilTickedAndSavedWithTheKeepListCtlUses) {
    EXPECT_EQ(page->firefoxBox()->text(), "Firefox");
    EXPECT_EQ(page->chromiumBox()->text(), "Chromium-based browsers");
    EXPECT_FALSE(page->firefoxBox()->isChecked());
    EXPECT_FALSE(page->chromiumBox()->isChecked());
    EXPECT_TRUE(page->keptSites().isEmpty());

    page->chromiumBox()->setChecked(true);
    add("https://WWW.News.example/path");
    add("localhost");
    add("www.news.example");  // listed once
    EXPECT_EQ(page->keptSites(), (QStringList{"www.news.example", "localhost"}));
    EXPECT_TRUE(page->keepSiteField()->text().isEmpty());
    add("   ");
    add("https:///");
    add("my bank.example");  // would come back as two sites once stored
    EXPECT_EQ(host.fakeMessages.shown, (std::vector<std::string>(3, kNotASiteMessage)));
    EXPECT_EQ(page->keepSiteField()->text(), "my bank.example")
        << "a refused entry stays to be mended";
    EXPECT_EQ(page->keptSites().size(), 2);
    EXPECT_EQ(StringSetting(settings::kKeepCookieSites).get(), "") << "nothing stored before save";

    page->keepList()->topLevelItem(1)->setSelected(true);
    QTest::mouseClick(button(CleaningPanel::kRemoveSiteId), Qt::LeftButton);
    QTest::mouseClick(button(CleaningPanel::kSaveId), Qt::LeftButton);
    EXPECT_EQ(StoredDword(settings::kCleanChromium), 1u);
    EXPECT_EQ(StoredDword(settings::kCleanFirefox), 0u);
    const auto choice = ReadBrowserChoice();
    EXPECT_TRUE(choice.chromium);
    EXPECT_FALSE(choice.firefox);
    EXPECT_EQ(choice.keep.sites(), std::vector<std::string>{"www.news.example"});

    // A page opened later shows what was stored.
    CleaningPanel again(host, nullptr);
    EXPECT_TRUE(again.chromiumBox()->isChecked());
    EXPECT_EQ(again.keptSites(), QStringList{"www.news.example"});
}

TEST_F(CleaningPageTest, BrowserPasswordsAreTickedOnlyOnceTheWarningIsConfirmed) {
    // Without a browser the task cleans Veilport's own folders: no question.
    passwords()->click();
    EXPECT_TRUE(passwords()->isChecked());
    EXPECT_TRUE(asked.isEmpty());

    // Ticking a browser while the task is ticked asks too; no keeps it unticked.
    page->firefoxBox()->click();
    EXPECT_EQ(asked, QStringList{"This deletes the passwords your browsers saved"});
    EXPECT_FALSE(passwords()->isChecked());
    EXPECT_TRUE(page->firefoxBox()->isChecked());

    passwords()->click();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_FALSE(passwords()->isChecked());

    answer = true;
    passwords()->click();
    EXPECT_TRUE(passwords()->isChecked());
    // Unticking never asks.
    passwords()->click();
    EXPECT_EQ(asked.size(), 3);
    EXPECT_FALSE(passwords()->isChecked());

    // A confirmed choice, once stored, opens without asking again.
    answer = true;
    passwords()->click();
    page->save();
    asked.clear();
    CleaningPanel again(host, nullptr);
    EXPECT_TRUE(again.taskBox(CleaningPanel::kPasswordsTask)->isChecked());
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(CleaningPageTest, PreviewShowsEachProfileAndChangesNothing) {
    const fs::path user = home.path() / "home";
    const fs::path profile = testing::makeFirefoxProfile(user);
    const auto visits = [&] {
        return testing::queryInt(profile / "places.sqlite",
                                 "SELECT COUNT(*) FROM moz_historyvisits");
    };
    const auto before = visits();
    ASSERT_GT(before, 0);
    page->taskBox(0)->setChecked(true);  // history
    page->taskBox(3)->setChecked(true);  // cookies
    page->firefoxBox()->setChecked(true);
    add("example.org");

    QSignalSpy finished(page.get(), &CleaningPanel::previewFinished);
    QTest::mouseClick(button(CleaningPanel::kPreviewId), Qt::LeftButton);
    // The window thread is free meanwhile; a second press waits for the first.
    EXPECT_TRUE(page->previewRunning());
    EXPECT_FALSE(button(CleaningPanel::kPreviewId)->isEnabled());
    EXPECT_FALSE(page->preview());
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_FALSE(page->previewRunning());
    EXPECT_TRUE(button(CleaningPanel::kPreviewId)->isEnabled());

    ASSERT_EQ(previews.size(), 1);
    const QStringList& lines = previews.front();
    // The hand-made profile has two cookies of sites not kept, and four visits.
    const QString profileLine = QString::fromStdString("Firefox (" + profile.string() + "): ");
    const QStringList profileLines = lines.filter(profileLine);
    ASSERT_EQ(profileLines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(profileLines.front().contains("2 cookies")) << profileLines.front().toStdString();
    EXPECT_TRUE(profileLines.front().contains("4 history visits"))
        << profileLines.front().toStdString();
    EXPECT_EQ(visits(), before);
    EXPECT_EQ(testing::queryInt(profile / "cookies.sqlite", "SELECT COUNT(*) FROM moz_cookies"), 4);
    EXPECT_FALSE(DwordSetting(settings::kCleanFirefox).valid()) << "a preview stores nothing";
}

TEST_F(CleaningPageTest, PreviewWithoutATaskOrBrowserSaysSo) {
    QSignalSpy finished(page.get(), &CleaningPanel::previewFinished);
    ASSERT_TRUE(page->preview());
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(previews.value(0).contains("No cleaning task is ticked."))
        << previews.value(0).join('\n').toStdString();
    EXPECT_TRUE(previews.value(0).contains(kNoBrowserTickedLine));
}

}  // namespace
}  // namespace veilport::cleaner::ui
