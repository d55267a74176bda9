#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "proxypool/MyProxiesFile.h"
#include "proxypool/MyProxiesFormat.h"
#include "proxypool/MyProxiesLineReader.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"
#include "support/WithoutFileOverride.h"

namespace veilport::proxypool {
namespace {

ProxyRecord Loaded(std::string address, std::string country) {
    return {std::move(address), std::move(country), "Not Tested", ""};
}

TEST(MyProxiesFormat, LoadsEachLineAsARowWhateverItsShape) {
    const auto rows = ParseMyProxies(
        "1.2.3.4:80->Germany\r\n"
        "5.6.7.8:3128\n"
        "\n"
        "9.9.9.9:8080->United States <supports POST>\n");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], Loaded("1.2.3.4:80", "Germany"));
    EXPECT_EQ(rows[1], Loaded("5.6.7.8:3128", ""));
    EXPECT_EQ(rows[2], Loaded("", ""));
    EXPECT_EQ(rows[3], Loaded("9.9.9.9:8080", "United States <supports POST>"));
    EXPECT_TRUE(ParseMyProxies("").empty());
}

TEST(MyProxiesFormat, KeepsALastLineWithoutALineBreak) {
    const auto rows = ParseMyProxies("1.2.3.4:80->Germany\r\n5.6.7.8:3128");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], Loaded("5.6.7.8:3128", ""));
    EXPECT_EQ(AppendMyProxiesLine("a->b\r\nc", "d"), "a->b\nc\nd\n");
}

TEST(MyProxiesFormat, CrLfAndCrLfEachEndALine) {
    const auto rows = ParseMyProxies("1.1.1.1:1->A\r2.2.2.2:2->B\r\n3.3.3.3:3\n\r4.4.4.4:4\r");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], Loaded("1.1.1.1:1", "A"));
    EXPECT_EQ(rows[1], Loaded("2.2.2.2:2", "B"));
    EXPECT_EQ(rows[2], Loaded("3.3.3.3:3", ""));
    EXPECT_EQ(rows[3], Loaded("", ""));  // LF then CR: two breaks
    EXPECT_EQ(rows[4], Loaded("4.4.4.4:4", ""));
    EXPECT_EQ(AppendMyProxiesLine("a\rb", "c"), "a\nb\nc\n");
}

// However the file is cut into pieces, the reader finds the lines the whole
// text holds, a CR LF split between two pieces included.
TEST(MyProxiesLineReader, FindsTheSameLinesAtEveryCut) {
    const std::string text = "a->X\r\nbb\rccc\n\r\r\ndd";
    const auto whole = MyProxiesLines(text);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        std::vector<std::string> lines;
        MyProxiesLineReader reader([&](std::string_view line) { lines.emplace_back(line); }, 0);
        ASSERT_TRUE(reader.feed(std::string_view(text).substr(0, cut)));
        ASSERT_TRUE(reader.feed(std::string_view(text).substr(cut)));
        ASSERT_TRUE(reader.finish());
        ASSERT_EQ(lines, std::vector<std::string>(whole.begin(), whole.end())) << "cut " << cut;
    }
}

TEST(MyProxiesLineReader, RefusesALinePastTheCapEvenAcrossPieces) {
    int lines = 0;
    MyProxiesLineReader atCap([&](std::string_view) { ++lines; }, 4);
    EXPECT_TRUE(atCap.feed("abcd\nab"));
    EXPECT_TRUE(atCap.feed("cd\r"));
    EXPECT_TRUE(atCap.finish());
    EXPECT_EQ(lines, 2);

    MyProxiesLineReader over([](std::string_view) {}, 4);
    EXPECT_TRUE(over.feed("ok\nabc"));
    EXPECT_FALSE(over.feed("de"));
    EXPECT_TRUE(over.tooLong());
    EXPECT_EQ(over.lineNumber(), 2u);
    EXPECT_FALSE(over.feed("\n"));
    EXPECT_FALSE(over.finish());
}

TEST(MyProxiesFormat, SavesEveryRowWithAnArrow) {
    EXPECT_EQ(FormatMyProxies({Loaded("5.6.7.8:3128", ""), Loaded("1.2.3.4:80", "DE")}),
              "5.6.7.8:3128->\n1.2.3.4:80->DE\n");
    EXPECT_EQ(FormatMyProxies({}), "");
    // A very long column is written whole.
    const std::string longCountry(5000, 'c');
    EXPECT_EQ(FormatMyProxies({Loaded("a", longCountry)}), "a->" + longCountry + "\n");
}

class MyProxiesFileTest : public ::testing::Test {
protected:
    void SetUp() override { StringSetting(settings::kAppPath).set(home_.veilportHome().string()); }

    static std::string FileText() {
        std::ifstream in(MyProxiesPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void WriteFile(const std::string& text) {
        std::ofstream(MyProxiesPath(), std::ios::binary) << text;
    }

    veilport::testing::TempHome home_;
};

TEST_F(MyProxiesFileTest, LivesInTheFolderNamedByAppPath) {
    EXPECT_EQ(MyProxiesPath(), home_.veilportHome() / "MyProxies.txt");
}

TEST_F(MyProxiesFileTest, AMissingFileLoadsEmptyAndAnAppendCreatesIt) {
    TestedProxyList list;
    list.appendRow(Loaded("stale", ""));
    LoadTestedProxies(list);
    EXPECT_EQ(list.rowCount(), 0);
    ASSERT_TRUE(AppendTestedProxy("1.2.3.4:0080->X").ok);
    EXPECT_EQ(FileText(), "1.2.3.4:0080->X\n");
}

TEST_F(MyProxiesFileTest, SaveAndLoadRoundTrip) {
    TestedProxyList list;
    list.appendRow(Loaded("5.6.7.8:3128", ""));
    list.appendRow({"1.2.3.4:80", "Germany <supports POST>", "12 milliseconds", "138.00 KB/sec"});
    list.appendRow(Loaded("", ""));
    ASSERT_TRUE(SaveTestedProxies(list).ok);
    EXPECT_EQ(FileText(), "5.6.7.8:3128->\n1.2.3.4:80->Germany <supports POST>\n->\n");

    TestedProxyList loaded;
    LoadTestedProxies(loaded);
    ASSERT_EQ(loaded.rowCount(), 3);
    EXPECT_EQ(loaded.row(0), Loaded("5.6.7.8:3128", ""));
    EXPECT_EQ(loaded.row(1), Loaded("1.2.3.4:80", "Germany <supports POST>"));
    EXPECT_EQ(loaded.row(2), Loaded("", ""));

    loaded.clear();
    ASSERT_TRUE(SaveTestedProxies(loaded).ok);
    EXPECT_EQ(FileText(), "");
    LoadTestedProxies(loaded);
    EXPECT_EQ(loaded.rowCount(), 0);
}

TEST_F(MyProxiesFileTest, ALongFileLosesNothingOnLoadOrAppend) {
    std::string text;
    int lines = 0;
    while (text.size() < 6000) {
        text += "10.0." + std::to_string(lines / 250) + "." + std::to_string(lines % 250) +
                ":8080->Somewhere\r\n";
        ++lines;
    }
    text += "10.9.9.9:1";  // and a last line without a break
    WriteFile(text);

    TestedProxyList list;
    LoadTestedProxies(list);
    ASSERT_EQ(list.rowCount(), lines + 1);
    EXPECT_EQ(list.row(lines - 1).address, "10.0." + std::to_string((lines - 1) / 250) + "." +
                                               std::to_string((lines - 1) % 250) + ":8080");
    EXPECT_EQ(list.row(lines).address, "10.9.9.9:1");

    ASSERT_TRUE(AppendTestedProxy("1.2.3.4:80->X").ok);
    LoadTestedProxies(list);
    ASSERT_EQ(list.rowCount(), lines + 2);
    EXPECT_EQ(list.row(lines).address, "10.9.9.9:1");
    EXPECT_EQ(list.row(lines + 1).address, "1.2.3.4:80");
}

TEST_F(MyProxiesFileTest, AFileThatCannotBeWrittenIsReportedAndKeptAsItWas) {
    if (::geteuid() == 0) {
        // Root writes through permissions; a folder in place of the file still refuses.
        std::filesystem::create_directory(MyProxiesPath());
    } else {
        WriteFile("keep->me\n");
        std::filesystem::permissions(home_.veilportHome(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_exec);
    }
    TestedProxyList list;
    list.appendRow(Loaded("1.2.3.4:80", ""));
    const auto saved = SaveTestedProxies(list);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.message, "Access to " + MyProxiesPath().string() + " was denied.");
    const auto appended = AppendTestedProxy("5.6.7.8:1");
    EXPECT_FALSE(appended.ok);
    EXPECT_EQ(appended.message, saved.message);
    EXPECT_EQ(list.rowCount(), 1);
    // No temporary file is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(home_.veilportHome()))
        EXPECT_EQ(entry.path().filename().string().rfind("MyProxies.txt.", 0), std::string::npos);
    std::filesystem::permissions(home_.veilportHome(), std::filesystem::perms::owner_all);
}

// A file that exists but cannot be read must never be taken for an empty list
// and replaced: every proxy in it would be lost.
TEST_F(MyProxiesFileTest, AnUnreadableFileIsReportedAndNeverReplaced) {
    const std::string stored = "1.2.3.4:80->Germany\n5.6.7.8:3128->\n";
    WriteFile(stored);
    ::chmod(MyProxiesPath().c_str(), 0200);
    const std::string denied = "Access to " + MyProxiesPath().string() + " was denied.";
    {
        veilport::testing::WithoutFileOverride asAUser;
        TestedProxyList list;
        list.appendRow(Loaded("stale", ""));
        const auto loaded = LoadTestedProxies(list);
        EXPECT_FALSE(loaded.ok);
        EXPECT_EQ(loaded.message, denied);
        EXPECT_EQ(list.rowCount(), 0);

        const auto appended = AppendTestedProxy("9.9.9.9:8080->X");
        EXPECT_FALSE(appended.ok);
        EXPECT_EQ(appended.message, denied);
        list.appendRow(Loaded("9.9.9.9:8080", "X"));
        const auto saved = SaveTestedProxies(list);
        EXPECT_FALSE(saved.ok);
        EXPECT_EQ(saved.message, denied);
    }
    ::chmod(MyProxiesPath().c_str(), 0600);
    EXPECT_EQ(FileText(), stored);
}

TEST_F(MyProxiesFileTest, ACrOnlyFileLoadsOneRowPerLine) {
    WriteFile("1.2.3.4:80->Germany\r5.6.7.8:3128->France\r9.9.9.9:1->\r");
    TestedProxyList list;
    ASSERT_TRUE(LoadTestedProxies(list).ok);
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.row(0), Loaded("1.2.3.4:80", "Germany"));
    EXPECT_EQ(list.row(1), Loaded("5.6.7.8:3128", "France"));
    EXPECT_EQ(list.row(2), Loaded("9.9.9.9:1", ""));
}

// Lines and files too large to be a list are refused with a message, loading
// nothing, and the file is never replaced by what little was loaded.
TEST_F(MyProxiesFileTest, ALineOrAFilePastItsCapIsRefusedAndKept) {
    const std::string atCap = "1.2.3.4:80->" + std::string(kLongestMyProxiesLine - 12, 'c');
    WriteFile("5.6.7.8:1->A\n" + atCap + "\n");
    TestedProxyList list;
    ASSERT_TRUE(LoadTestedProxies(list).ok);
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.row(1).country.size(), kLongestMyProxiesLine - 12);

    const std::string tooLong = "5.6.7.8:1->A\r\n" + atCap + "c\r\n9.9.9.9:9\r\n";
    WriteFile(tooLong);
    const auto loaded = LoadTestedProxies(list);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.message, "Line 2 of " + MyProxiesPath().string() +
                                  " is longer than 4 KiB, too long to be a proxy. The file was "
                                  "not read and is left as it is.");
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(AppendTestedProxy("1.1.1.1:1").message, loaded.message);
    EXPECT_EQ(SaveTestedProxies(list).message, loaded.message);
    EXPECT_EQ(ReadMyProxies(), std::nullopt);
    EXPECT_EQ(FileText(), tooLong);

    // Just past the file cap (a sparse file: no need to write 16 MiB).
    WriteFile("1.2.3.4:80\n");
    std::filesystem::resize_file(MyProxiesPath(), kLargestMyProxiesFile + 1);
    const auto large = LoadTestedProxies(list);
    EXPECT_FALSE(large.ok);
    EXPECT_EQ(large.message, MyProxiesPath().string() +
                                 " is larger than 16 MiB, too large to be a list of proxies. It "
                                 "was not read and is left as it is.");
    EXPECT_FALSE(AppendTestedProxy("1.1.1.1:1").ok);
    EXPECT_EQ(std::filesystem::file_size(MyProxiesPath()), kLargestMyProxiesFile + 1);
}

TEST_F(MyProxiesFileTest, AFolderInPlaceOfTheFileLoadsNothingAndIsReported) {
    std::filesystem::create_directory(MyProxiesPath());
    TestedProxyList list;
    EXPECT_FALSE(LoadTestedProxies(list).ok);
    EXPECT_FALSE(AppendTestedProxy("1.2.3.4:80").ok);
    EXPECT_TRUE(std::filesystem::is_directory(MyProxiesPath()));
}

TEST(TestedProxyList, FindsOnlyTheExactKey) {
    TestedProxyList list;
    list.appendRow(Loaded("1.2.3.4:080", ""));
    list.appendRow(Loaded("1.2.3.4:80 ", ""));
    EXPECT_EQ(list.FindTestedProxy("1.2.3.4:80"), -1);
    list.appendRow(Loaded("1.2.3.4:80", ""));
    list.appendRow(Loaded("1.2.3.4:80", "second"));
    EXPECT_EQ(list.FindTestedProxy("1.2.3.4:80"), 2);
}

TEST(TestedProxyList, PutReplacesInPlaceOrAppends) {
    TestedProxyList list;
    int changes = 0;
    list.setChangeListener([&] { ++changes; });
    list.appendRow(Loaded("a:1", "A"));
    list.appendRow(Loaded("b:2", "B"));
    EXPECT_EQ(list.PutTestedProxy("a:1", "A2", "5 milliseconds", "331.20 KB/sec"), 0);
    EXPECT_EQ(list.row(0), (ProxyRecord{"a:1", "A2", "5 milliseconds", "331.20 KB/sec"}));
    EXPECT_EQ(list.PutTestedProxy("c:3", "", "1 milliseconds", "x"), 2);
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.row(1).address, "b:2");
    EXPECT_EQ(changes, 4);
    list.removeRow(7);
    list.setText(9, 0, "ignored");
    EXPECT_EQ(list.rowCount(), 3);
}

}  // namespace
}  // namespace veilport::proxypool
