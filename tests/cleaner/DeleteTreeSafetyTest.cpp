// Deletion must never reach outside the tree it was given, whatever links the
// tree holds and however they change while the walk runs.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "cleaner/CleanerFixtures.h"
#include "cleaner/DeleteTree.h"
#include "platform/io/UniqueFd.h"
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

TEST_F(DeleteTreeSafetyTest, AFolderSwappedForALinkBetweenLookingAndOpeningIsNotFollowed) {
    writeFile(tree / "victim" / "nested" / "f.txt", "x");
    writeFile(tree / "second" / "g.txt", "x");
    PassContext context{observer, system, false, {}};
    // Each folder, once looked at, is replaced by a link to the outside before
    // the walk opens it: the worst moment another program could choose.
    context.beforeOpeningFolder = [&](const std::string& path) {
        const fs::path folder(path);
        fs::rename(folder, tree / ("moved-" + folder.filename().string()));
        fs::create_symlink(outside / "folder", folder);
    };
    (void)DeleteTree(tree, true, true, context);
    EXPECT_EQ(snapshot(outside), before);
    EXPECT_TRUE(fs::exists(tree / "moved-victim" / "nested" / "f.txt"));
}

TEST_F(DeleteTreeSafetyTest, ASubfolderSwappedForALinkWhileTheWalkRunsLeadsNowhere) {
    constexpr int kRounds = 1500;
    constexpr int kSwapsPerRound = 8;
    std::atomic<bool> done{false};
    const fs::path names[2] = {tree / "a", tree / "b"};
    fs::create_directories(tree);
    // The swapper keeps a real folder with a file under one name and a link to
    // the outside folder under the other, and trades the two names atomically
    // over and over; walks that have just seen a folder find a link there.
    std::thread swapper([&] {
        for (int round = 0; round < kRounds; ++round) {
            int folder = -1;
            for (int n = 0; n < 2 && folder < 0; ++n) {
                io::UniqueFd fd(::open(names[n].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
                if (!fd && ::mkdir(names[n].c_str(), 0700) == 0)
                    fd.reset(::open(names[n].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
                if (!fd) continue;
                folder = n;
                // Created inside the folder's own descriptor, never through a link.
                io::UniqueFd file(::openat(fd.get(), ("f" + std::to_string(round)).c_str(),
                                           O_WRONLY | O_CREAT | O_NOFOLLOW, 0600));
            }
            if (folder < 0) continue;
            if (::symlink(outside.c_str(), names[1 - folder].c_str()) != 0) {
                // Already there from an earlier round.
            }
            for (int swap = 0; swap < kSwapsPerRound; ++swap)
                if (::renameat2(AT_FDCWD, names[0].c_str(), AT_FDCWD, names[1].c_str(),
                                RENAME_EXCHANGE) != 0)
                    break;
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
