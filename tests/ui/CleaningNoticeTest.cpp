// What a scheduled cleaning pass left alone reaches the person: the pass runs
// on the cleaner's thread, the notice shows on the window's.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "MainWindowFixture.h"

namespace veilport::app {
namespace {

using namespace veilport::testing;

class CleaningNoticeTest : public ::testing::Test {
protected:
    // Calls the notice as the cleaner does, from a thread of its own, then
    // lets the window take what was queued.
    void passLeftAlone(std::vector<std::string> lines) {
        std::thread cleaner([&] { fixture_.cleaningNotice(lines); });
        cleaner.join();
        QCoreApplication::sendPostedEvents();
    }
    MainWindowFixture fixture_;
};

TEST_F(CleaningNoticeTest, ShowsBesideTheTrayIconOnceForTheSameLines) {
    MainWindow& window = fixture_.open();
    window.show();
    ASSERT_TRUE(fixture_.cleaningNotice);
    window.hideToTray();
    const std::vector<std::string> running{"Firefox is running: its profile was left alone"};

    passLeftAlone(running);
    ASSERT_EQ(fixture_.tray->notices.size(), 1);
    EXPECT_EQ(fixture_.tray->notices.front(),
              "Veilport: The scheduled cleaning left something alone:\n"
              "Firefox is running: its profile was left alone");
    // The browser stays open: the next pass's same lines raise no new notice.
    passLeftAlone(running);
    EXPECT_EQ(fixture_.tray->notices.size(), 1);
    passLeftAlone({"Chromium (/p): History is locked"});
    EXPECT_EQ(fixture_.tray->notices.size(), 2);
    EXPECT_TRUE(fixture_.messages.shown.empty());
}

TEST_F(CleaningNoticeTest, AShownWindowSaysItAsAMessageAndAClosedOneIsNotReached) {
    MainWindow& window = fixture_.open();
    window.show();
    passLeftAlone({"Not cleaning /x: not yours"});
    EXPECT_EQ(fixture_.messages.shown,
              std::vector<std::string>{
                  "The scheduled cleaning left something alone:\nNot cleaning /x: not yours"});
    EXPECT_TRUE(fixture_.tray->notices.isEmpty());

    fixture_.window.reset();
    EXPECT_FALSE(fixture_.cleaningNotice) << "the window took its notice back";
}

}  // namespace
}  // namespace veilport::app
