#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/desktop/JournalFormat.h"
#include "platform/desktop/JournaledFile.h"
#include "platform/desktop/SwitchJournal.h"
#include "support/TempHome.h"

namespace veilport::desktop {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(JournalFormat, AnyBytesTravelUnchangedAndAbsentOrUnknownStatesStayApart) {
    const std::vector<JournalEntry> entries{
        {"file", "/h/prefs.js", {true, std::string("a\r\nE\n\0K 3\n", 11)}, TargetState{true, ""}},
        {"file", "/h/user.js", {}, std::nullopt},
        {"gnome", "GNOME proxy settings", {true, "mode\tU\t'manual'\n"}, TargetState{}},
    };
    const auto parsed = ParseJournal(FormatJournal(entries));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, entries);
    EXPECT_EQ(ParseJournal(FormatJournal({})), std::vector<JournalEntry>{});
}

TEST(JournalFormat, ADamagedJournalIsRefusedWhole) {
    const std::string good = FormatJournal({{"file", "/p", {true, "abc"}, TargetState{true, "x"}}});
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        if (cut == std::string("veilport switch journal 1\n").size()) continue;  // an empty journal
        EXPECT_FALSE(ParseJournal(good.substr(0, cut))) << "cut at " << cut;
    }
    for (const char* bad : {"veilport switch journal 2\n", "K 4\nfile\n",
                            "veilport switch journal 1\nK 99\nfile\nN 1\np\nB -\nE\n",
                            "veilport switch journal 1\nK -\nN 1\np\nB -\nE\n",
                            "veilport switch journal 1\nK 4\nfile\nN 1\np\nB +3\nabc\nE\n"})
        EXPECT_FALSE(ParseJournal(bad)) << bad;
}

class JournaledFileTest : public ::testing::Test {
protected:
    fs::path file() const { return home.path() / "f.ini"; }
    void Write(const std::string& text) { std::ofstream(file(), std::ios::binary) << text; }
    TargetOutcome Change(const std::string& to) {
        return ChangeJournaledFile(file(), "file",
                                   [&](const TargetState&) { return std::optional(to); });
    }
    veilport::testing::TempHome home;
};

TEST_F(JournaledFileTest, TheFirstStateIsKeptThroughRepeatedSwitchesAndComesBackExactly) {
    Write("original\r\n");
    ASSERT_TRUE(Change("one").done);
    ASSERT_TRUE(Change("two").done);
    const auto entry = SwitchJournal::Find("file", file().string());
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->before, (TargetState{true, "original\r\n"}));
    EXPECT_EQ(entry->after, (TargetState{true, "two"}));
    EXPECT_TRUE(RestoreJournaledFile(*entry).done);
    EXPECT_EQ(Read(file()), "original\r\n");
    EXPECT_FALSE(fs::exists(SwitchJournal::Path())) << "the last entry takes the journal along";
}

TEST_F(JournaledFileTest, AFileTheSwitchCreatedIsRemovedAgain) {
    ASSERT_TRUE(Change("created").done);
    EXPECT_TRUE(RestoreJournaledFile(*SwitchJournal::Find("file", file().string())).done);
    EXPECT_FALSE(fs::exists(file()));
}

TEST_F(JournaledFileTest, AFileChangedMeanwhileIsLeftAsTheUserMadeIt) {
    Write("original");
    ASSERT_TRUE(Change("switched").done);
    Write("the user's own");
    const auto outcome = RestoreJournaledFile(*SwitchJournal::Find("file", file().string()));
    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(outcome.reason, "changed since Veilport switched it; left as it is now");
    EXPECT_EQ(Read(file()), "the user's own");
    EXPECT_FALSE(SwitchJournal::Find("file", file().string()));
}

// Nothing may change a target whose way back could not be recorded first.
TEST_F(JournaledFileTest, AJournalThatCannotBeWrittenLeavesTheTargetUntouched) {
    Write("original");
    fs::create_directories(SwitchJournal::Path());  // a folder where the file must go
    const auto outcome = Change("switched");
    EXPECT_FALSE(outcome.done);
    EXPECT_NE(outcome.reason.find("could not be recorded"), std::string::npos);
    EXPECT_EQ(Read(file()), "original");
}

TEST_F(JournaledFileTest, ADamagedJournalIsReportedAndKept) {
    fs::create_directories(SwitchJournal::Path().parent_path());
    std::ofstream(SwitchJournal::Path()) << "not a journal";
    std::string problem;
    EXPECT_FALSE(SwitchJournal::Entries(&problem));
    EXPECT_NE(problem.find("damaged"), std::string::npos);
    Write("original");
    EXPECT_FALSE(Change("switched").done);
    EXPECT_EQ(Read(SwitchJournal::Path()), "not a journal");
}

}  // namespace
}  // namespace veilport::desktop
