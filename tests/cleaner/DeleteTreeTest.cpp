#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "cleaner/CleanerFixtures.h"
#include "cleaner/DeleteTree.h"
#include "cleaner/WipeIndexFile.h"
#include "platform/io/UniqueFd.h"
#include "platform/registry/Registry.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "support/TempHome.h"

namespace veilport::cleaner {
namespace {

using namespace testing;

class DeleteTreeTest : public ::testing::Test {
protected:
    bool run(const fs::path& dir, bool deleteDesktopIni = false, bool wipeIndexDat = false,
             bool dryRun = false) {
        PassContext context{observer, system, dryRun, {}};
        return DeleteTree(dir, deleteDesktopIni, wipeIndexDat, context);
    }

    veilport::testing::TempHome home;
    fs::path tree = home.veilportHome() / "shell" / "History";
    RecordingObserver observer;
    CleanerSystem system;
};

// Reads a file that may since have been deleted, through a descriptor kept open.
std::string readAll(int fd) {
    std::string data(4096, '\0');
    std::string all;
    ssize_t n;
    off_t offset = 0;
    while ((n = ::pread(fd, data.data(), data.size(), offset)) > 0) {
        all.append(data.data(), static_cast<std::size_t>(n));
        offset += n;
    }
    return all;
}

TEST_F(DeleteTreeTest, EmptiesTheTreeButKeepsDesktopIniAndTheFoldersHoldingIt) {
    writeFile(tree / "a.txt", "a");
    writeFile(tree / "sub" / "deeper" / "b.txt", "b");
    writeFile(tree / "kept" / "Desktop.INI", "[.ShellClassInfo]");
    writeFile(tree / "kept" / "gone.txt", "x");
    writeFile(tree / "kept" / "inner" / "c.txt", "c");
    writeFile(tree / "desktop.ini", "top");

    EXPECT_TRUE(run(tree));

    EXPECT_TRUE(fs::is_directory(tree));
    EXPECT_EQ(readFile(tree / "kept" / "Desktop.INI"), "[.ShellClassInfo]");
    EXPECT_EQ(readFile(tree / "desktop.ini"), "top");
    EXPECT_FALSE(fs::exists(tree / "a.txt"));
    EXPECT_FALSE(fs::exists(tree / "sub"));
    EXPECT_FALSE(fs::exists(tree / "kept" / "gone.txt"));
    EXPECT_FALSE(fs::exists(tree / "kept" / "inner"));

    // With the flag the ini files go too, and so does everything else.
    EXPECT_TRUE(run(tree, true));
    EXPECT_TRUE(fs::is_empty(tree));
}

TEST_F(DeleteTreeTest, ReadOnlyFilesAndFoldersAreDeletedAfterTheirWriteBitIsGivenBack) {
    writeFile(tree / "ro" / "file.txt", "x");
    fs::permissions(tree / "ro" / "file.txt", fs::perms::owner_read);
    fs::permissions(tree / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    // A read-only index file must still be wiped before it goes.
    const std::string original(300, 'I');
    writeFile(tree / "index.dat", original);
    fs::permissions(tree / "index.dat", fs::perms::owner_read);
    io::UniqueFd keep(::open((tree / "index.dat").c_str(), O_RDONLY));

    EXPECT_TRUE(run(tree, false, true));

    EXPECT_FALSE(fs::exists(tree / "ro"));
    EXPECT_FALSE(fs::exists(tree / "index.dat"));
    const std::string after = readAll(keep.get());
    ASSERT_EQ(after.size(), original.size());
    EXPECT_EQ(after.substr(0, 64), original.substr(0, 64));
    EXPECT_EQ(after.substr(64), std::string(original.size() - 64, '\0'));
}

TEST_F(DeleteTreeTest, IndexFilesAreOnlyWipedWhenAsked) {
    const std::string original(500, 'Z');
    writeFile(tree / "INDEX.DAT", original);
    io::UniqueFd keep(::open((tree / "INDEX.DAT").c_str(), O_RDONLY));
    EXPECT_TRUE(run(tree, false, false));
    EXPECT_FALSE(fs::exists(tree / "INDEX.DAT"));
    EXPECT_EQ(readAll(keep.get()), original);
}

TEST_F(DeleteTreeTest, AMissingFolderReturnsFalseAndIsNotAReasonToComplain) {
    EXPECT_FALSE(run(tree / "missing"));
    EXPECT_TRUE(observer.refusals.empty());
}

TEST_F(DeleteTreeTest, DangerousFoldersAreRefusedWithAReasonAndLeftAlone) {
    writeFile(home.path() / "home" / "precious.txt", "mine");
    writeFile(home.veilportHome() / "notes.txt", "settings");
    fs::create_directories(tree);
    fs::create_symlink(home.path() / "home", home.veilportHome() / "shell" / "homelink");
    const fs::path cases[] = {
        "",
        "relative/path",
        "/",
        home.path() / "home",
        home.path() / "home" / "",
        home.veilportHome() / "shell" / ".." / "",
        home.path(),  // holds both homes
        home.veilportHome() / "shell" / "homelink",
    };
    for (const auto& folder : cases) {
        observer.refusals.clear();
        EXPECT_FALSE(run(folder)) << folder;
        ASSERT_EQ(observer.refusals.size(), 1u) << folder;
        EXPECT_FALSE(observer.refusals[0].reason.empty());
    }
    EXPECT_EQ(readFile(home.path() / "home" / "precious.txt"), "mine");
    EXPECT_EQ(readFile(home.veilportHome() / "notes.txt"), "settings");
    EXPECT_TRUE(observer.removedItems.empty());
}

TEST_F(DeleteTreeTest, TheSettingsStoreIsNeverTouchedEvenWhenLinkedIntoTheTree) {
    DwordSetting(settings::kSleep).set(42);
    const auto store = registry::storePath();
    ASSERT_TRUE(fs::exists(store));
    fs::create_directories(tree);
    fs::create_hard_link(store, tree / "index.dat");
    fs::create_symlink(store, tree / "store-link");
    for (const char* suffix : {"-wal", "-shm"})
        if (fs::exists(store.string() + suffix))
            fs::create_hard_link(store.string() + suffix, tree / (std::string("copy") + suffix));
    const auto before = readFile(store);

    EXPECT_TRUE(run(tree, true, true));

    EXPECT_TRUE(fs::exists(tree / "index.dat"));  // the hard link is left in place
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(tree / "store-link")));
    EXPECT_EQ(readFile(store), before);
    registry::resetProcessStore();
    EXPECT_EQ(DwordSetting(settings::kSleep).get(), 42u);
}

TEST_F(DeleteTreeTest, ADryRunReportsWhatARealRunRemovesAndRemovesNothing) {
    writeFile(tree / "a.txt", "a");
    writeFile(tree / "keep" / "desktop.ini", "i");
    writeFile(tree / "keep" / "x" / "y.txt", "y");
    writeFile(tree / "gone" / "z.txt", "z");
    fs::create_symlink("/etc", tree / "etc-link");
    const auto before = snapshot(tree);

    EXPECT_TRUE(run(tree, false, false, true));
    EXPECT_EQ(snapshot(tree), before);
    auto planned = observer.events;

    observer.events.clear();
    EXPECT_TRUE(run(tree));
    auto done = observer.events;
    std::sort(planned.begin(), planned.end());
    std::sort(done.begin(), done.end());
    EXPECT_EQ(planned, done);
    // a.txt, keep/x/y.txt, keep/x, gone/z.txt, gone and the link; keep stays.
    EXPECT_EQ(done.size(), 6u);
}

class WipeIndexFileTest : public ::testing::Test {
protected:
    veilport::testing::TempHome home;
    fs::path dir = home.path() / "wipe";
    void SetUp() override { fs::create_directories(dir); }
};

TEST_F(WipeIndexFileTest, ZerosFromByte64ToTheEndAcrossBlocks) {
    for (std::size_t size : {0u, 64u, 65u, 10064u, 10065u, 25000u}) {
        std::string original(size, '\0');
        for (std::size_t i = 0; i < size; ++i) original[i] = static_cast<char>('A' + i % 26);
        writeFile(dir / "index.dat", original);
        const bool written = WipeIndexFile(dir, "index.dat");
        EXPECT_EQ(written, size > 64) << size;
        const auto after = readFile(dir / "index.dat");
        ASSERT_EQ(after.size(), size);
        const std::size_t head = std::min<std::size_t>(size, 64);
        EXPECT_EQ(after.substr(0, head), original.substr(0, head)) << size;
        EXPECT_EQ(after.substr(head), std::string(size - head, '\0')) << size;
    }
}

TEST_F(WipeIndexFileTest, NeverWritesThroughALinkOrIntoAFileWithOtherNames) {
    const std::string secret(200, 'S');
    writeFile(home.path() / "outside.dat", secret);
    fs::create_symlink(home.path() / "outside.dat", dir / "index.dat");
    EXPECT_FALSE(WipeIndexFile(dir, "index.dat"));
    fs::remove(dir / "index.dat");
    fs::create_hard_link(home.path() / "outside.dat", dir / "index.dat");
    EXPECT_FALSE(WipeIndexFile(dir, "index.dat"));
    EXPECT_EQ(readFile(home.path() / "outside.dat"), secret);
    fs::remove(dir / "index.dat");
    // A pipe of that name must not stall the pass.
    ASSERT_EQ(::mkfifo((dir / "index.dat").c_str(), 0600), 0);
    EXPECT_FALSE(WipeIndexFile(dir, "index.dat"));
    EXPECT_FALSE(WipeIndexFile(dir, "missing.dat"));
}

}  // namespace
}  // namespace veilport::cleaner
