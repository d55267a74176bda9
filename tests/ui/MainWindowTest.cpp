#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>

#include "MainWindowFixture.h"
#include "app/skin/Pictures.h"
#include "app/window/HintDialog.h"
#include "app/window/SectionPages.h"
#include "platform/process/TopLevelWindow.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::app {
namespace {

using namespace veilport::testing;

constexpr PageId kAllPages[] = {
    PageId::Status,        PageId::AnonymityIntro, PageId::AnonymityWizard, PageId::CurrentProxy,
    PageId::NewProxies,    PageId::TestedProxies,  PageId::AddProxy,        PageId::UpdateProxyList,
    PageId::ListSources,   PageId::PrivacyIntro,   PageId::InvasiveCode,    PageId::Cleaning,
    PageId::SettingsIntro, PageId::Browsers,       PageId::StartupOptions,
};

skin::BitmapButton* mainButton(MainWindow& window, int section) {
    return window.mainBar().pairs().at(static_cast<std::size_t>(section - 1)).button;
}

skin::BitmapButton* subButton(MainWindow& window, int section, int index) {
    return window.container(section)->bar().pairs().at(static_cast<std::size_t>(index)).button;
}

int visiblePages(MainWindow& window) {
    int count = 0;
    for (const PageId id : kAllPages)
        if (window.page(id)->isVisibleTo(&window)) ++count;
    return count;
}

// Whether `id` is the one page shown and the button that shows it is the
// only disabled one of its bar.
void expectShown(MainWindow& window, PageId id) {
    SCOPED_TRACE(static_cast<int>(id));
    EXPECT_EQ(window.currentPage(), window.page(id));
    EXPECT_TRUE(window.page(id)->isVisibleTo(&window));
    EXPECT_EQ(visiblePages(window), 1);
    const int section = SectionOf(id).number;
    for (const Section& each : Sections()) {
        const int s = each.number;
        EXPECT_EQ(mainButton(window, s)->isEnabled(), s != section) << "section " << s;
        if (each.pages.empty()) continue;
        EXPECT_EQ(window.container(s)->isVisibleTo(&window), s == section);
        for (std::size_t i = 0; i < each.pages.size(); ++i)
            EXPECT_EQ(subButton(window, s, static_cast<int>(i))->isEnabled(), each.pages[i] != id);
    }
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowFixture fixture_;
};

TEST_F(MainWindowTest, StartsOnTheStatusPageWithTheCleanerStartedOnceAndTheTitleSet) {
    MainWindow& window = fixture_.open();
    expectShown(window, PageId::Status);
    EXPECT_EQ(fixture_.cleanerStarts, 1);
    EXPECT_EQ(window.windowTitle(), "Veilport");
    EXPECT_EQ(fixture_.tray->tip, "Veilport");
    // The icon appears only when the window goes to the tray.
    EXPECT_EQ(fixture_.tray->adds, 0);
}

TEST_F(MainWindowTest, EveryPageCanBeShownAloneWithItsButtonMarkingIt) {
    MainWindow& window = fixture_.open();
    window.show();
    for (const PageId id : kAllPages) {
        window.showPage(id);
        expectShown(window, id);
    }
}

TEST_F(MainWindowTest, SectionButtonsShowIntroPagesAndSubButtonsTheirPages) {
    MainWindow& window = fixture_.open();
    window.show();
    mainButton(window, 3)->click();
    expectShown(window, PageId::PrivacyIntro);
    subButton(window, 3, 1)->click();
    expectShown(window, PageId::Cleaning);
    // The disabled button of the page shown does nothing.
    subButton(window, 3, 1)->click();
    expectShown(window, PageId::Cleaning);

    // Re-entering a section shows its intro page, not the page left open.
    mainButton(window, 2)->click();
    subButton(window, 2, 3)->click();
    expectShown(window, PageId::TestedProxies);
    mainButton(window, 3)->click();
    mainButton(window, 2)->click();
    expectShown(window, PageId::AnonymityIntro);

    mainButton(window, 1)->click();
    expectShown(window, PageId::Status);
}

// Records the hooks the main window calls as pages come and go.
TEST_F(MainWindowTest, NavigationTellsThePageLeftAndThePageShown) {
    MainWindow& window = fixture_.open();
    window.show();
    std::vector<std::pair<PageId, bool>> events;
    class Watch : public QObject {
    public:
        Watch(PageId id, std::vector<std::pair<PageId, bool>>& events) : id_(id), events_(events) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Show) events_.push_back({id_, true});
            if (event->type() == QEvent::Hide) events_.push_back({id_, false});
            return false;
        }

    private:
        PageId id_;
        std::vector<std::pair<PageId, bool>>& events_;
    };
    Watch status(PageId::Status, events), browsers(PageId::Browsers, events);
    window.page(PageId::Status)->installEventFilter(&status);
    window.page(PageId::Browsers)->installEventFilter(&browsers);
    window.showPage(PageId::Browsers);
    const std::vector<std::pair<PageId, bool>> expected = {{PageId::Status, false},
                                                           {PageId::Browsers, true}};
    EXPECT_EQ(events, expected);
}

TEST_F(MainWindowTest, SectionButtonTipsAppearOnHoverAndClearOnLeave) {
    MainWindow& window = fixture_.open();
    window.show();
    auto* btn1 = mainButton(window, 1);
    EXPECT_EQ(btn1->name(), "BTN1");
    emit btn1->hoverEntered(btn1->name());
    EXPECT_EQ(window.tipWindow().text(),
              "See Veilport current status and quick activation buttons");
    emit btn1->hoverLeft(btn1->name());
    EXPECT_TRUE(window.tipWindow().text().isEmpty());
    emit mainButton(window, 4)->hoverEntered("BTN4");
    EXPECT_EQ(window.tipWindow().text(), "Configure browsers and start up options");
    // Any click on a bar clears the tip.
    subButton(window, 4, 0)->click();
    mainButton(window, 4)->click();
    EXPECT_TRUE(window.tipWindow().text().isEmpty());
}

TEST_F(MainWindowTest, IpInUseLineShowsTheProxyOnlyWhenAnonymityIsOnWithAProxy) {
    StringSetting(settings::kProxyName).set("1.2.3.4:8080");
    {
        MainWindow& window = fixture_.open();
        EXPECT_EQ(window.controls().control<QLabel>(MainWindow::kIpInUseId)->text(),
                  "Current IP Address in use: " + window.realIp());
        EXPECT_EQ(window.controls().control<QLabel>(MainWindow::kRealIpId)->text(),
                  "Real IP Address: " + window.realIp());
    }
    DwordSetting(settings::kUseProxy).set(1);
    MainWindow& window = fixture_.open();
    EXPECT_EQ(window.controls().control<QLabel>(MainWindow::kIpInUseId)->text(),
              "Current IP Address in use: 1.2.3.4:8080");
    window.setStatusText("Current IP Address in use: 5.6.7.8:3128");
    EXPECT_EQ(window.controls().control<QLabel>(MainWindow::kIpInUseId)->text(),
              "Current IP Address in use: 5.6.7.8:3128");
}

TEST_F(MainWindowTest, EveryButtonHasAnAccessibleName) {
    MainWindow& window = fixture_.open();
    const auto buttons = window.findChildren<QAbstractButton*>();
    ASSERT_GE(buttons.size(), 4 + 10 + 4);
    for (const auto* button : buttons)
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
    EXPECT_EQ(mainButton(window, 2)->accessibleName(), "Anonymity");
    EXPECT_EQ(subButton(window, 2, 0)->accessibleName(), "Anonymity Wizard");
}

TEST_F(MainWindowTest, TabMovesThroughTheWindowInReadingOrder) {
    MainWindow& window = fixture_.open();
    window.show();
    window.showPage(PageId::Cleaning);
    auto* first = window.controls().control(MainWindow::kWhatIsMyIpId);
    QStringList names;
    QWidget* widget = first;
    do {
        if (widget->isVisibleTo(&window) && widget->isEnabled() &&
            (widget->focusPolicy() & Qt::TabFocus) && qobject_cast<QAbstractButton*>(widget))
            names << widget->accessibleName();
        widget = widget->nextInFocusChain();
    } while (widget != first && names.size() < 12);
    // The shown section's main button and the shown page's sub-button are
    // disabled, so Tab passes them; then the page's own controls follow.
    EXPECT_EQ(names, QStringList({"What is my IP?", "Update List", "Help", "Hide to tray", "Status",
                                  "Anonymity", "Settings", "Invasive Code",
                                  "Clear Internet History", "Clear Typed URL",
                                  "Clean Temporary Internet Files", "Clear Internet Cookies"}))
        << names.join(", ").toStdString();
}

TEST_F(MainWindowTest, EnterChangesNothingAndEscapeOnAPageHidesWithoutTheNotice) {
    DwordSetting(settings::kHideHint).set(1);
    MainWindow& window = fixture_.open();
    window.show();
    QSignalSpy finished(&window, &QDialog::finished);
    key(*window.page(PageId::Status), QEvent::KeyPress, Qt::Key_Return);
    key(window, QEvent::KeyPress, Qt::Key_Enter);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(finished.count(), 0);

    window.showPage(PageId::Cleaning);
    key(*window.page(PageId::Cleaning), QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.iconShown());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(DwordSetting(settings::kHideHint).get(), 1u);
}

TEST_F(MainWindowTest, EscapeOnASectionBarHidesTheWindowAndLeavesTheBarShown) {
    MainWindow& window = fixture_.open();
    window.show();
    window.showPage(PageId::PrivacyIntro);
    key(window.container(3)->bar(), QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_TRUE(window.container(3)->isVisibleTo(&window));
    EXPECT_FALSE(window.isVisible());
}

// The close button's notice, by what HideHint holds.
class HideHintTest : public MainWindowTest {
protected:
    // Presses the close button; answers the notice, if one comes, with the box
    // ticked or not. Returns whether a notice came.
    bool closeButton(bool tick) {
        bool noticed = false;
        QTimer::singleShot(0, [&] {
            auto* hint = qobject_cast<HintDialog*>(QApplication::activeModalWidget());
            if (hint == nullptr) return;
            noticed = true;
            hint->setDoNotShowAgain(tick);
            hint->findChild<QAbstractButton*>(QStringLiteral("control1055"))->click();
        });
        window().controls().control<QAbstractButton>(MainWindow::kCloseId)->click();
        QApplication::processEvents();
        return noticed;
    }
    MainWindow& window() { return *fixture_.window; }
    bool hideHintStored() { return programValueStored("HideHint"); }
};

TEST_F(HideHintTest, AbsentShowsNoNoticeAndStoresNothing) {
    fixture_.open().show();
    EXPECT_FALSE(closeButton(false));
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(window().iconShown());
    EXPECT_FALSE(hideHintStored());
}

TEST_F(HideHintTest, OneShowsTheNoticeEachTimeUntilItIsTicked) {
    DwordSetting(settings::kHideHint).set(1);
    fixture_.open().show();
    EXPECT_TRUE(closeButton(false));
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(DwordSetting(settings::kHideHint).get(), 1u);

    window().runCommand(32771);
    EXPECT_TRUE(closeButton(true));
    EXPECT_EQ(DwordSetting(settings::kHideHint).get(), 0u);

    window().runCommand(32771);
    EXPECT_FALSE(closeButton(false));
    EXPECT_FALSE(window().isVisible());
}

TEST_F(HideHintTest, AnyNonZeroValueShowsTheNoticeAndAnUntickedAnswerStoresOne) {
    DwordSetting(settings::kHideHint).set(7);
    fixture_.open().show();
    EXPECT_TRUE(closeButton(false));
    EXPECT_EQ(DwordSetting(settings::kHideHint).get(), 1u);
}

}  // namespace
}  // namespace veilport::app
