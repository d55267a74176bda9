#include <gtest/gtest.h>

#include <QHelpEngine>
#include <QSignalSpy>
#include <fstream>

#include "UiTestSupport.h"
#include "app/help/HelpFiles.h"
#include "app/help/HelpViewer.h"
#include "app/help/HelpViewerService.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport::app {
namespace {

using namespace veilport::testing;
namespace fs = std::filesystem;

// The help built with the program, opened as the program opens it.
class HelpViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ShippedHelpFolder().empty()) << "the help collection was not built";
        fs::create_directories(home_.veilportHome());
        StringSetting(settings::kAppPath).set(home_.veilportHome().string());
    }
    TempHome home_;
};

TEST_F(HelpViewerTest, TheHelpFileIsCopiedIntoAppPathAndKeptUpToDate) {
    const fs::path file = HelpFile();
    EXPECT_EQ(file, home_.veilportHome() / "Veilport.qhc");
    EXPECT_TRUE(fs::exists(home_.veilportHome() / "Veilport.qch"));
    // A damaged copy is replaced by the shipped one on the next use.
    fs::resize_file(file, 10);
    EXPECT_EQ(HelpFile(), file);
    EXPECT_EQ(fs::file_size(file), fs::file_size(ShippedHelpFolder() / "Veilport.qhc"));
}

TEST_F(HelpViewerTest, SearchForLessonListsResults) {
    HelpViewer viewer(QString::fromStdString(HelpFile().string()));
    ASSERT_TRUE(viewer.isValid());
    QSignalSpy finished(&viewer, &HelpViewer::searchFinished);
    viewer.search(QStringLiteral("lesson"));
    EXPECT_EQ(viewer.currentTab(), HelpViewer::Tab::Search);
    ASSERT_TRUE(waitUntil([&] { return finished.count() > 0; }, 30000));
    EXPECT_GE(viewer.searchResultCount(), 3);
}

TEST_F(HelpViewerTest, ContentsIndexAndTheDefaultPageOpen) {
    HelpViewer viewer(QString::fromStdString(HelpFile().string()));
    ASSERT_TRUE(viewer.isValid());
    EXPECT_EQ(viewer.currentPage().toString(), "qthelp://org.veilport.help/doc/Introduction.htm");
    EXPECT_FALSE(viewer.engine().fileData(viewer.currentPage()).isEmpty());
    viewer.showTab(HelpViewer::Tab::Index);
    EXPECT_EQ(viewer.currentTab(), HelpViewer::Tab::Index);
}

TEST_F(HelpViewerTest, F1OpensTheViewerMaximisedAtItsDefaultPage) {
    HelpViewerService help;
    help.showSearch(QStringLiteral("lesson"));
    ASSERT_NE(help.viewer(), nullptr);
    help.viewer()->openPage(QUrl("qthelp://org.veilport.help/doc/Cleaning.htm"));
    help.showHelpFile();
    EXPECT_TRUE(help.viewer()->isMaximized() ||
                (help.viewer()->windowState() & Qt::WindowMaximized));
    EXPECT_EQ(help.viewer()->currentPage().toString(),
              "qthelp://org.veilport.help/doc/Introduction.htm");
}

TEST_F(HelpViewerTest, WhenTheHelpCannotBePlacedInAppPathNothingOpens) {
    // AppPath names a file, so nothing can be copied under it.
    const fs::path blocker = home_.path() / "not-a-folder";
    { std::ofstream(blocker) << "x"; }
    StringSetting(settings::kAppPath).set(blocker.string());
    EXPECT_TRUE(HelpFile().empty());
    HelpViewerService help;
    help.showContents();
    EXPECT_EQ(help.viewer(), nullptr);
}

}  // namespace
}  // namespace veilport::app
