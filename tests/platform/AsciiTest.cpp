#include <gtest/gtest.h>

#include <clocale>

#include "platform/text/Ascii.h"

namespace veilport::text {
namespace {

// The letters' neighbours in the ASCII table and bytes above 127 are where a
// fold written by hand, or one that follows the locale, goes wrong.
TEST(AsciiTest, FoldsOnlyTheTwentySixLettersWhateverTheLocale) {
    const char* const saved = std::setlocale(LC_CTYPE, nullptr);
    const std::string previous = saved ? saved : "C";
    // Where a single-byte Western locale is installed, tolower() would fold
    // 0xC4 to 0xE4 under it; the helpers must not.
    std::setlocale(LC_CTYPE, "de_DE.ISO-8859-1");
    for (int c = 0; c < 256; ++c) {
        const char byte = static_cast<char>(c);
        const bool upper = c >= 'A' && c <= 'Z';
        const bool lower = c >= 'a' && c <= 'z';
        EXPECT_EQ(asciiLower(byte), upper ? static_cast<char>(c + 32) : byte) << c;
        EXPECT_EQ(asciiUpper(byte), lower ? static_cast<char>(c - 32) : byte) << c;
    }
    std::setlocale(LC_CTYPE, previous.c_str());
    EXPECT_EQ(asciiLowered("Veilport.EXE @[`{ \xC4\xD6"), "veilport.exe @[`{ \xC4\xD6");
}

TEST(AsciiTest, ComparisonsIgnoreLetterCaseOnly) {
    EXPECT_TRUE(equalsIgnoringAsciiCase("Desktop.INI", "desktop.ini"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("desktop.ini", "desktop.in"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("@", "`")) << "0x40 and 0x60 differ by the case bit";
    EXPECT_FALSE(equalsIgnoringAsciiCase("[", "{"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("\xC4", "\xE4"));
    EXPECT_TRUE(equalsIgnoringAsciiCase("", ""));

    EXPECT_TRUE(startsWithIgnoringAsciiCase("HTTP://host/", "http://"));
    EXPECT_TRUE(startsWithIgnoringAsciiCase("http", "http"));
    EXPECT_FALSE(startsWithIgnoringAsciiCase("htt", "http"));

    EXPECT_TRUE(lessIgnoringAsciiCase("apple", "Banana"));
    EXPECT_TRUE(lessIgnoringAsciiCase("Germany", "germany2"));
    EXPECT_FALSE(lessIgnoringAsciiCase("GERMANY", "germany"));
    EXPECT_FALSE(lessIgnoringAsciiCase("germany", "GERMANY"));
    EXPECT_TRUE(lessIgnoringAsciiCase("Zulu", "\xC4land")) << "bytes above 127 sort last";
    EXPECT_FALSE(lessIgnoringAsciiCase("Z", "_")) << "'Z' sorts as 'z', after '_'";
    EXPECT_TRUE(lessIgnoringAsciiCase("_", "a"));
}

}  // namespace
}  // namespace veilport::text
