#include <QCheckBox>
#include <QLineEdit>

#include "FakePageHost.h"
#include "app/pages/privacy/CleaningPanel.h"
#include "app/pages/privacy/InvasiveCodePanel.h"
#include "browsers/BrowserTestUtil.h"
#include "settings/DwordSetting.h"
#include "support/TempHome.h"

namespace veilport::cleaner::ui {
namespace {

using testing::StoredDword;

bool Stored(const DwordSpec& spec) {
    return DwordSetting(spec).valid();
}

class CleaningPanelTest : public ::testing::Test {
protected:
    void save(const char* minutes) {
        page->minutesField()->setText(QString::fromLatin1(minutes));
        page->save();
    }
    std::vector<std::string>& shown() { return host.fakeMessages.shown; }

    veilport::testing::TempHome home;
    veilport::testing::FakePageHost host;
    std::unique_ptr<CleaningPanel> page = std::make_unique<CleaningPanel>(host, nullptr);
};

TEST_F(CleaningPanelTest, OpensEmptyAndStoresNothingUntilSaved) {
    EXPECT_EQ(page->minutesField()->text(), "0");
    for (int task = 0; task < 7; ++task) EXPECT_FALSE(page->taskBox(task)->isChecked());
    page->taskBox(3)->setChecked(true);
    page->minutesField()->setText("30");
    page->pageLeft();
    page.reset();
    EXPECT_FALSE(Stored(settings::kIClear[3]));
    EXPECT_FALSE(Stored(settings::kSleep));
}

TEST_F(CleaningPanelTest, MinutesOutsideTwoTo31999AreRefusedButTheTasksAreStored) {
    page->taskBox(0)->setChecked(true);
    page->taskBox(6)->setChecked(true);
    save("1");
    EXPECT_EQ(shown(), (std::vector<std::string>{kMinutesRangeMessage}));
    EXPECT_EQ(page->minutesField()->text(), "5");
    EXPECT_FALSE(Stored(settings::kSleep));
    EXPECT_EQ(StoredDword(settings::kIClear[0]), 1u);
    EXPECT_EQ(StoredDword(settings::kIClear[6]), 1u);
    EXPECT_FALSE(Stored(settings::kIClear[1])) << "an empty box never stored stays absent";

    page->save();
    EXPECT_EQ(StoredDword(settings::kSleep), 5u);
    save("31999");
    EXPECT_EQ(StoredDword(settings::kSleep), 31999u);
    save("32000");
    EXPECT_EQ(StoredDword(settings::kSleep), 31999u);
    EXPECT_EQ(shown().size(), 2u);

    page->taskBox(0)->setChecked(false);
    save("2");
    EXPECT_EQ(StoredDword(settings::kSleep), 2u);
    EXPECT_EQ(StoredDword(settings::kIClear[0]), 0u);
}

TEST_F(CleaningPanelTest, TextThatIsNotAWholeNumberFallsBackToTheNumberHeldBefore) {
    // Nothing valid held yet (0): both messages, and 5 is put back.
    save("1.5");
    EXPECT_EQ(shown(),
              (std::vector<std::string>{"Please enter an integer.", kMinutesRangeMessage}));
    EXPECT_EQ(page->minutesField()->text(), "5");

    save("12");
    shown().clear();
    save("ten");
    EXPECT_EQ(shown(), (std::vector<std::string>{"Please enter an integer."}));
    EXPECT_EQ(StoredDword(settings::kSleep), 12u);
}

TEST(InvasiveCodePanelTest, BoxesShowAndStoreBlockingAsOneOrZero) {
    veilport::testing::TempHome home;
    veilport::testing::StoreDword(settings::kEnableJS, 2);  // only exactly 1 shows ticked
    veilport::testing::StoreDword(settings::kEnableActiveX, 1);
    veilport::testing::FakePageHost host;
    InvasiveCodePanel page(host, nullptr);
    EXPECT_FALSE(page.blockScriptsBox()->isChecked());
    EXPECT_TRUE(page.blockActiveXBox()->isChecked());

    page.blockScriptsBox()->setChecked(true);
    page.blockActiveXBox()->setChecked(false);
    EXPECT_EQ(StoredDword(settings::kEnableJS), 2u) << "nothing stored before save";
    page.findChild<QAbstractButton*>("control1001")->click();
    EXPECT_EQ(StoredDword(settings::kEnableJS), 1u);
    EXPECT_EQ(StoredDword(settings::kEnableActiveX), 0u);
}

}  // namespace
}  // namespace veilport::cleaner::ui
