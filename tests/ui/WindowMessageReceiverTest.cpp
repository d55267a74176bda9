#include <gtest/gtest.h>

#include <QDialog>
#include <QSignalSpy>
#include <QTimer>

#include "UiTestSupport.h"
#include "app/window/WindowMessageReceiver.h"
#include "platform/process/TopLevelWindow.h"
#include "support/TempHome.h"

namespace veilport::app {
namespace {

using process::TopLevelWindow;
using process::WindowMessage;
using namespace veilport::testing;

class WindowMessageReceiverTest : public ::testing::Test {
protected:
    TempHome home_;
};

TEST_F(WindowMessageReceiverTest, CloseEndsTheModalLoopWithResultZero) {
    QDialog window;
    WindowMessageReceiver receiver(&window, "Veilport");
    ASSERT_TRUE(receiver.isRegistered());
    QSignalSpy closing(&receiver, &WindowMessageReceiver::closeRequested);
    QTimer::singleShot(0, &window, [] {
        const auto found = TopLevelWindow::find("Veilport");
        ASSERT_TRUE(found);
        EXPECT_TRUE(found->post(WindowMessage::Close));
    });
    QTimer::singleShot(5000, &window, [&] { window.done(42); });
    EXPECT_EQ(window.exec(), 0);
    EXPECT_EQ(closing.count(), 1);
}

TEST_F(WindowMessageReceiverTest, ShowBringsBackAHiddenOrMinimisedWindow) {
    QWidget window;
    WindowMessageReceiver receiver(&window, "Veilport");
    ASSERT_FALSE(window.isVisible());
    // Hidden in the tray, it is found all the same.
    const auto found = TopLevelWindow::find("Veilport");
    ASSERT_TRUE(found);
    ASSERT_TRUE(found->post(WindowMessage::Show));
    EXPECT_TRUE(waitUntil([&] { return window.isVisible(); }));

    window.showMinimized();
    ASSERT_TRUE(found->post(WindowMessage::Show));
    EXPECT_TRUE(waitUntil([&] { return !window.isMinimized(); }));
}

TEST_F(WindowMessageReceiverTest, SecondWindowWithTheSameTitleIsNotRegistered) {
    QWidget first, second;
    WindowMessageReceiver firstReceiver(&first, "Veilport");
    WindowMessageReceiver secondReceiver(&second, "Veilport");
    EXPECT_TRUE(firstReceiver.isRegistered());
    EXPECT_FALSE(secondReceiver.isRegistered());
}

}  // namespace
}  // namespace veilport::app
