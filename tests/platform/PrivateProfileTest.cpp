#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "platform/desktop/PrivateProfile.h"
#include "platform/io/AtomicFile.h"
#include "support/TempHome.h"

namespace veilport::desktop {
namespace {

namespace fs = std::filesystem;

std::string Write(std::string_view text, std::string_view section, std::string_view key,
                  std::string_view value) {
    auto out = WriteProfileString(text, section, key, value);
    EXPECT_TRUE(out.has_value());
    return out.value_or("<refused>");
}

TEST(WriteProfileString, ExistingKeyChangesInPlaceMatchingNamesWithoutCase) {
    EXPECT_EQ(Write("; note\n[Proxy]\nhttp server = 1.1.1.1:80\nUse HTTP=0\n[Next]\nUse HTTP=5\n",
                    " proxy ", "HTTP Server", "127.0.0.1:8080"),
              "; note\n[Proxy]\nhttp server =127.0.0.1:8080\nUse HTTP=0\n[Next]\nUse HTTP=5\n");
}

TEST(WriteProfileString, MissingKeyGoesAfterTheSectionsLastEntry) {
    EXPECT_EQ(Write("[A]\nx=1\n\n[B]\ny=2", "a", "z", "3"), "[A]\nx=1\nz=3\n\n[B]\ny=2");
    EXPECT_EQ(Write("[A]\n[B]\n", "A", "z", "3"), "[A]\nz=3\n[B]\n");
    EXPECT_EQ(Write("[A]\nx=1", "A", "z", "3"), "[A]\nx=1\nz=3\n");
}

TEST(WriteProfileString, MissingSectionIsAppendedWithTheFilesLineBreaks) {
    EXPECT_EQ(Write("", "Proxy", "Use HTTP", "1"), "[Proxy]\nUse HTTP=1\n");
    EXPECT_EQ(Write("[A]\r\nx=1", "Proxy", "Use HTTP", "1"),
              "[A]\r\nx=1\r\n[Proxy]\r\nUse HTTP=1\r\n");
    EXPECT_EQ(Write("[A]\r\nx=1\r\n", "A", "y", "2"), "[A]\r\nx=1\r\ny=2\r\n");
}

TEST(WriteProfileString, EntriesThatWouldSpanLinesAreRefused) {
    EXPECT_FALSE(WriteProfileString("", "Proxy", "Use HTTP", "1\n[Evil]"));
    EXPECT_FALSE(WriteProfileString("", "Proxy", "Use\rHTTP", "1"));
    EXPECT_FALSE(WriteProfileString("", "Pro]xy", "k", "1"));
    EXPECT_FALSE(WriteProfileString("", "Proxy", "a=b", "1"));
    EXPECT_FALSE(WriteProfileString("", " ", "k", "1"));
    EXPECT_FALSE(WriteProfileString("", "Proxy", "", "1"));
}

class ProfileFileTest : public ::testing::Test {
protected:
    static std::string Read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    veilport::testing::TempHome home;
};

TEST_F(ProfileFileTest, WritesThroughALinkAndKeepsTheLink) {
    const fs::path real = home.path() / "dotfiles/opera6.ini";
    fs::create_directories(real.parent_path());
    std::ofstream(real) << "[Proxy]\nUse HTTP=0\n";
    const fs::path link = home.path() / "opera6.ini";
    fs::create_symlink(real, link);
    ASSERT_TRUE(WritePrivateProfileString("Proxy", "Use HTTP", "1", link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(real), "[Proxy]\nUse HTTP=1\n");
}

TEST_F(ProfileFileTest, FailuresLeaveNothingBehind) {
    EXPECT_FALSE(WritePrivateProfileString("A", "k", "v", home.path() / "missing/dir/x.ini"));
    EXPECT_FALSE(fs::exists(home.path() / "missing"));
    const fs::path dir = home.path() / "a-directory";
    fs::create_directories(dir);
    EXPECT_FALSE(WritePrivateProfileString("A", "k", "v", dir));
    EXPECT_FALSE(io::replaceFileAtomically(dir, "x"));
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_EQ(std::distance(fs::directory_iterator(home.path()), {}), 4)
        << "no temporary file left beside the target";
}

TEST_F(ProfileFileTest, SomethingOtherThanARegularFileIsNeverRead) {
    const fs::path fifo = home.path() / "opera6.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(io::readWholeFile(fifo)) << "and it returns instead of waiting for a writer";
    EXPECT_FALSE(WritePrivateProfileString("Proxy", "Use HTTP", "1", fifo));
    EXPECT_FALSE(io::readWholeFile(home.path()));
}

TEST_F(ProfileFileTest, OversizedFilesAreNotRead) {
    const fs::path file = home.path() / "big.ini";
    std::ofstream(file) << std::string(100, 'x');
    EXPECT_TRUE(io::readWholeFile(file, 100));
    EXPECT_FALSE(io::readWholeFile(file, 99));
}

}  // namespace
}  // namespace veilport::desktop
