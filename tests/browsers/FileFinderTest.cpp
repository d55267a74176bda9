#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "browsers/BrowserTestUtil.h"
#include "browsers/FileFinder.h"
#include "support/TempHome.h"

namespace veilport::browsers {
namespace {

namespace fs = std::filesystem;

class FileFinderTest : public ::testing::Test {
protected:
    fs::path root() const { return home.path() / "tree"; }
    std::size_t position(const std::vector<fs::path>& list, const fs::path& dir) {
        return static_cast<std::size_t>(std::find(list.begin(), list.end(), dir) - list.begin());
    }
    veilport::testing::TempHome home;
};

TEST_F(FileFinderTest, DirectoriesComeAfterEverythingBelowThemAndTheRootLast) {
    fs::create_directories(root() / "a/b/c");
    fs::create_directories(root() / "d");
    FileFinder finder;
    finder.SetRoot(root().string() + "///", true);
    EXPECT_EQ(finder.root(), root());
    const auto& dirs = finder.directories();
    ASSERT_EQ(dirs.size(), 5u);
    EXPECT_EQ(dirs.back(), root());
    EXPECT_LT(position(dirs, root() / "a/b/c"), position(dirs, root() / "a/b"));
    EXPECT_LT(position(dirs, root() / "a/b"), position(dirs, root() / "a"));

    FileFinder flat;
    flat.SetRoot(root(), false);
    EXPECT_EQ(flat.directories(), std::vector<fs::path>{root()});
}

TEST_F(FileFinderTest, SearchMatchesFilesOrDirectoriesByPattern) {
    testing::WriteFile(root() / "p1/prefs.js", "");
    testing::WriteFile(root() / "p1/prefs.jsx", "");
    fs::create_directories(root() / "p2/prefs.js");  // a directory of that name
    FileFinder finder;
    finder.SetRoot(root(), true);
    finder.Search("prefs.js", true, false);
    EXPECT_EQ(finder.results(), std::vector<fs::path>{root() / "p1/prefs.js"});
    FileFinder dirs;
    dirs.SetRoot(root(), true);
    dirs.Search("p?", false, true);
    EXPECT_EQ(dirs.results().size(), 2u);
}

// Profiles kept on another disk or by a dot-file manager are links to the
// user's own folders: they are walked, each folder once, loops included.
TEST_F(FileFinderTest, LinkedFoldersOfTheUserAreWalkedOnceAndLoopsRefused) {
    fs::create_directories(root() / "a");
    testing::WriteFile(home.path() / "disk/work.default/prefs.js", "");
    fs::create_directory_symlink(root(), root() / "a/loop");
    fs::create_directory_symlink(home.path() / "disk/work.default", root() / "work.default");
    fs::create_directory_symlink(home.path() / "disk/work.default", root() / "a/again");
    fs::create_symlink(home.path() / "nowhere", root() / "a/lock");
    FileFinder finder;
    finder.SetRoot(root(), true);
    finder.Search("prefs.js", true, false);
    ASSERT_EQ(finder.results().size(), 1u);
    EXPECT_EQ(finder.results()[0].filename(), "prefs.js");
    EXPECT_EQ(finder.directories().size(), 3u) << "a, one of the two links, and the root";
    EXPECT_TRUE(finder.unreachable().empty()) << "a dangling link is no folder to report";
}

TEST_F(FileFinderTest, ALinkToAnotherUsersFolderIsReportedNotEntered) {
    testing::WriteFile(home.path() / "theirs/p/prefs.js", "");
    if (::chown((home.path() / "theirs").c_str(), 65534, 65534) != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    fs::create_directories(root());
    fs::create_directory_symlink(home.path() / "theirs", root() / "shared");
    FileFinder finder;
    finder.SetRoot(root(), true);
    finder.Search("prefs.js", true, false);
    EXPECT_TRUE(finder.results().empty());
    ASSERT_EQ(finder.unreachable().size(), 1u);
    EXPECT_EQ(finder.unreachable()[0].folder, root() / "shared");
}

TEST_F(FileFinderTest, RootGivenThroughALinkIsStillSearched) {
    testing::WriteFile(home.path() / "real/p/prefs.js", "");
    fs::create_directory_symlink(home.path() / "real", root());
    FileFinder finder;
    finder.SetRoot(root(), true);
    finder.Search("prefs.js", true, false);
    EXPECT_EQ(finder.results(), std::vector<fs::path>{root() / "p/prefs.js"});
}

TEST_F(FileFinderTest, MissingRootYieldsNothing) {
    FileFinder finder;
    finder.SetRoot(root(), true);
    finder.Search("*", true, true);
    EXPECT_TRUE(finder.results().empty());
}

}  // namespace
}  // namespace veilport::browsers
