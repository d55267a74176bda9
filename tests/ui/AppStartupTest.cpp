#include <gtest/gtest.h>

#include <QWidget>

#include "FakePageHost.h"
#include "MainWindowFixture.h"
#include "app/AppStartup.h"
#include "app/window/WindowMessageReceiver.h"
#include "settings/DwordSetting.h"

namespace veilport::app {
namespace {

using namespace veilport::testing;

constexpr std::string_view kMutex = "Veilport_startup_test_mutex";
constexpr std::string_view kTitle = "Veilport start-up test";

bool Desktop() {
    return true;
}
bool NoDesktop() {
    return false;
}

class AppStartupTest : public ::testing::Test {
protected:
    TempHome home_;
    FakeGateway gateway_;
    FakeProxySwitch connection_;
    services::Anonymity anonymity_{gateway_, connection_};
};

TEST_F(AppStartupTest, AStoredOneBecomesZeroAndTheMachineIsPutBack) {
    DwordSetting(settings::kUseProxy).set(1);
    const Startup startup = BeginStartup(anonymity_, &Desktop, kMutex, kTitle);
    EXPECT_TRUE(startup.proceed);
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    EXPECT_EQ(connection_.calls, std::vector<std::string>{"direct"});
}

TEST_F(AppStartupTest, AnAbsentValueStaysAbsentAndNothingIsSwitched) {
    const Startup startup = BeginStartup(anonymity_, &Desktop, kMutex, kTitle);
    EXPECT_TRUE(startup.proceed);
    EXPECT_FALSE(programValueStored("UseProxy"));
    EXPECT_TRUE(connection_.calls.empty());

    DwordSetting(settings::kUseProxy).set(0);
    EXPECT_TRUE(anonymity_.resetForNewSession().allDone());
    EXPECT_TRUE(connection_.calls.empty());
}

TEST_F(AppStartupTest, ASecondInstanceShowsTheFirstWindowAndTouchesNoSetting) {
    QWidget firstWindow;
    WindowMessageReceiver receiver(&firstWindow, QString::fromUtf8(kTitle.data(), kTitle.size()));
    ASSERT_TRUE(receiver.isRegistered());
    Startup first = BeginStartup(anonymity_, &Desktop, kMutex, kTitle);
    ASSERT_TRUE(first.proceed);
    first.instance.windowReady();
    DwordSetting(settings::kUseProxy).set(1);

    FakeProxySwitch secondConnection;
    services::Anonymity secondAnonymity(gateway_, secondConnection);
    // The second hands over before it needs a display: it finds none here.
    const Startup second = BeginStartup(secondAnonymity, &NoDesktop, kMutex, kTitle);
    EXPECT_FALSE(second.proceed);
    EXPECT_FALSE(second.noDesktop);
    EXPECT_TRUE(waitUntil([&] { return firstWindow.isVisible(); }));
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 1u);
    EXPECT_TRUE(secondConnection.calls.empty());
}

// Without a desktop the toolkit would abort after the settings were reset:
// nothing is touched, and the caller is told why.
TEST_F(AppStartupTest, WithoutADesktopNothingIsTouched) {
    DwordSetting(settings::kUseProxy).set(1);
    const Startup startup = BeginStartup(anonymity_, &NoDesktop, kMutex, kTitle);
    EXPECT_FALSE(startup.proceed);
    EXPECT_TRUE(startup.noDesktop);
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 1u);
    EXPECT_TRUE(connection_.calls.empty());
}

// A first instance whose window could not register (or that is ending) leaves
// no window to hand over to: the second goes on.
TEST_F(AppStartupTest, WithTheFirstInstanceWithoutAWindowTheSecondGoesOn) {
    Startup first = BeginStartup(anonymity_, &Desktop, kMutex, kTitle);
    ASSERT_TRUE(first.proceed);
    first.instance.windowReady();
    const Startup second = BeginStartup(anonymity_, &Desktop, kMutex, kTitle);
    EXPECT_TRUE(second.proceed);
}

}  // namespace
}  // namespace veilport::app
