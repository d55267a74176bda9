// Deletion must never reach outside the tree it was given, whatever links the
// tree holds and however they change while the walk runs.

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "cleaner/CleanerFixtures.h"
#include "cleaner/DeleteTree.h"
#include "support/TempHome.h"

namespace veilport::cleaner {
namespace {

using namespace testing;

class DeleteTreeSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(outside / "file.txt", "outside file");
        writeFile(outside / "folder" / "inner.txt", "inner");
        writeFile(outside / "folder" / "index.dat", std::string(300, 'X'));
        writeFile(outside / "folder" / "deep" / "deeper.txt", "deeper");
        fs::permissions(outside / "folder" / "deep" / "deeper.txt", fs::perms::owner_read);
        before = snapshot(outside);
    }

    void clean() {
        PassContext context{observer, system, false, {}};
        (void)DeleteTree(tree, true, true, context);
    }

    veilport::testing::TempHome home;
    fs::path outside = home.path() / "outside";
    fs::path tree = home.veilportHome() / "shell" / "History";
    std::map<std::string, std::string> before;
    RecordingObserver observer;
    CleanerSystem system;
};

TEST_F(DeleteTreeSafetyTest, LinksOfEveryKindAreRemovedAndTheirTargetsLeftAlone) {
    fs::create_directories(tree / "sub" / "subsub");
    fs::create_symlink(outside / "file.txt", tree / "abs-file");
    fs::create_symlink(outside / "folder", tree / "abs-folder");
    fs::create_symlink(outside / "folder", tree / "index.dat");
    fs::create_symlink("../../../../outside/folder", tree / "sub" / "rel-folder");
    fs::create_symlink("../../../../../outside/file.txt", tree / "sub" / "subsub" / "INDEX.DAT");
    fs::create_symlink(outside / "nothing-here", tree / "dangling");
    fs::create_symlink("loop-b", tree / "sub" / "loop-a");
    fs::create_symlink("loop-a", tree / "sub" / "loop-b");
    fs::create_symlink(".", tree / "sub" / "self");
    fs::create_symlink("..", tree / "sub" / "parent");
    ASSERT_EQ(readFile(tree / "sub" / "rel-folder" / "inner.txt"), "inner");  // the links work

    clean();

    EXPECT_TRUE(fs::is_empty(tree));
    EXPECT_EQ(snapshot(outside), before);
}

TEST_F(DeleteTreeSafetyTest, ASubfolderSwappedForALinkWhileTheWalkRunsLeadsNowhere) {
    constexpr int kSwaps = 3000;
    std::atomic<bool> done{false};
    const fs::path victim = tree / "victim";
    const fs::path held = tree / "held";
    const fs::path link = tree / "link";
    // The swapper keeps a real folder with files at `victim` and trades it, by
    // atomic renames, for a link to the outside folder and back again.
    std::thread swapper([&] {
        for (int i = 0; i < kSwaps; ++i) {
            std::error_code ec;
            // Only this thread puts a link at `victim`, and it always takes it
            // back; the check keeps the swapper itself from writing outside.
            if (fs::is_symlink(fs::symlink_status(victim, ec))) continue;
            fs::create_directories(victim / "nested", ec);
            std::ofstream(victim / "nested" / ("f" + std::to_string(i))) << i;
            fs::create_symlink(outside / "folder", link, ec);
            if (::rename(victim.c_str(), held.c_str()) != 0) continue;
            if (::rename(link.c_str(), victim.c_str()) == 0) {
                std::this_thread::yield();
                (void)::rename(victim.c_str(), link.c_str());
            }
            (void)::rename(held.c_str(), victim.c_str());
        }
        done = true;
    });
    int passes = 0;
    while (!done) {
        clean();
        ++passes;
    }
    swapper.join();
    clean();

    EXPECT_GT(passes, 0);
    EXPECT_EQ(snapshot(outside), before);
    EXPECT_TRUE(fs::is_empty(tree));
}

}  // namespace
}  // namespace veilport::cleaner
