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

class AppStartupTest : public ::testing::Test {
protected:
    TempHome home_;
    FakeGatewayControl gateway_;
    FakeConnectionSwitch connection_;
    services::Anonymity anonymity_{gateway_, connection_};
};

TEST_F(AppStartupTest, AStoredOneBecomesZeroAndTheMachineIsPutBack) {
    DwordSetting(settings::kUseProxy).set(1);
    const Startup startup = BeginStartup(anonymity_, kMutex, kTitle);
    EXPECT_TRUE(startup.proceed);
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
    EXPECT_EQ(connection_.calls, std::vector<std::string>{"direct"});
}

TEST_F(AppStartupTest, AnAbsentValueStaysAbsentAndNothingIsSwitched) {
    const Startup startup = BeginStartup(anonymity_, kMutex, kTitle);
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
    const Startup first = BeginStartup(anonymity_, kMutex, kTitle);
    ASSERT_TRUE(first.proceed);
    DwordSetting(settings::kUseProxy).set(1);

    FakeConnectionSwitch secondConnection;
    services::Anonymity secondAnonymity(gateway_, secondConnection);
    const Startup second = BeginStartup(secondAnonymity, kMutex, kTitle);
    EXPECT_FALSE(second.proceed);
    EXPECT_TRUE(waitUntil([&] { return firstWindow.isVisible(); }));
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 1u);
    EXPECT_TRUE(secondConnection.calls.empty());
}

TEST_F(AppStartupTest, WithTheFirstInstanceStillWithoutAWindowTheSecondGoesOn) {
    const Startup first = BeginStartup(anonymity_, kMutex, kTitle);
    ASSERT_TRUE(first.proceed);
    const Startup second = BeginStartup(anonymity_, kMutex, kTitle);
    EXPECT_TRUE(second.proceed);
}

}  // namespace
}  // namespace veilport::app
