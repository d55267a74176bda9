#include <gtest/gtest.h>

#include <string>

#include "gateway/ChunkedDecoder.h"
#include "gateway/FilterSwitches.h"
#include "gateway/InvasiveCodeFilter.h"
#include "gateway/TagNeutralizer.h"
#include "settings/DwordSetting.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

using namespace std::string_literals;

constexpr FilterSwitches kScripts{true, false};
constexpr FilterSwitches kObjects{false, true};
constexpr FilterSwitches kBoth{true, true};
constexpr FilterSwitches kNone{false, false};

std::string Neutralize(std::string_view text, FilterSwitches switches) {
    TagNeutralizer tags;
    std::string out;
    tags.feed(text, switches, out);
    tags.finish(out);
    return out;
}

struct TagCase {
    const char* name;
    std::string input;
    FilterSwitches switches;
    std::string expected;
};

class TagTable : public ::testing::TestWithParam<TagCase> {};

TEST_P(TagTable, RenamesTagsInPlace) {
    const auto& c = GetParam();
    EXPECT_EQ(Neutralize(c.input, c.switches), c.expected);
}

const TagCase kTagCases[] = {
    {"UpperCaseScriptWithAttributes", "<P>A<SCRIPT type=\"x\">Run()</SCRIPT>B</P>", kScripts,
     "<P>A<noscri type=\"x\">Run()</noscri> B</P>"},
    {"ObjectTags", "<Object data=x></OBJECT>", kObjects, "<noobj  data=x></noobj> "},
    {"OnlyEnabledRowsApply", "<script></script><object></object>", kObjects,
     "<script></script><noobj ></noobj> "},
    {"BothRows", "<script><object>", kBoth, "<noscri><noobj >"},
    {"NothingEnabledLeavesBytes", "<SCRIPT>x</SCRIPT>", kNone, "<SCRIPT>x</SCRIPT>"},
    {"PrefixesMatchLongerNames", "<scripts><objection>", kBoth, "<noscris><noobj ion>"},
    {"InsideCommentsToo", "<!-- <script> -->", kScripts, "<!-- <noscri> -->"},
    {"ClosingTagNeedsItsBracket", "</script x>", kScripts, "</script x>"},
    {"NearMisses", "<scrip <obj </scrip> << <", kBoth, "<scrip <obj </scrip> << <"},
    {"NulBytesDoNotHideTags", "a\0<script>\0</script>"s, kScripts, "a\0<noscri>\0</noscri> "s},
    {"CutTagAtEndIsKept", "text <scr", kScripts, "text <scr"},
};

INSTANTIATE_TEST_SUITE_P(Filter, TagTable, ::testing::ValuesIn(kTagCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Wherever the stream is cut, the result is the same as for one whole chunk.
TEST(TagNeutralizer, FindsTagsSplitAcrossChunks) {
    const std::string page = "<html><SCRIPT>a()</SCRIPT><p>x < y</p><object></object></html>";
    const std::string whole = Neutralize(page, kBoth);
    for (std::size_t cut = 0; cut <= page.size(); ++cut) {
        for (std::size_t cut2 = cut; cut2 <= page.size(); cut2 += 3) {
            TagNeutralizer tags;
            std::string out;
            tags.feed(page.substr(0, cut), kBoth, out);
            tags.feed(page.substr(cut, cut2 - cut), kBoth, out);
            tags.feed(page.substr(cut2), kBoth, out);
            tags.finish(out);
            ASSERT_EQ(out, whole) << "cut at " << cut << " and " << cut2;
        }
    }
}

TEST(ChunkedDecoder, DecodesAcrossAnyCut) {
    const std::string coded =
        "4;ext=1\r\nWiki\r\n5\r\npedia\r\nE\r\n in\r\n\r\nchunks.\r\n0\r\nX-T: 1\r\n\r\n";
    for (std::size_t cut = 0; cut <= coded.size(); ++cut) {
        ChunkedDecoder decoder;
        std::string out;
        decoder.feed(coded.substr(0, cut), out);
        decoder.feed(coded.substr(cut), out);
        ASSERT_EQ(out, "Wikipedia in\r\n\r\nchunks.") << cut;
        ASSERT_TRUE(decoder.done());
    }
}

TEST(ChunkedDecoder, PassesBrokenCodingOnRatherThanLosingIt) {
    ChunkedDecoder decoder;
    std::string out;
    decoder.feed("3\r\nabc\r\nzz not a size", out);
    EXPECT_TRUE(decoder.broken());
    EXPECT_EQ(out, "abczz not a size");

    ChunkedDecoder huge;
    std::string hugeOut;
    huge.feed("FFFFFFFFFFFFFFFFFFFF\r\nx", hugeOut);
    EXPECT_TRUE(huge.broken());
}

FilterSwitches gSwitches;
FilterSwitches ReadTestSwitches() {
    return gSwitches;
}

// Feeds `answer` to a filter in chunks of `size` and returns what the browser gets.
std::string FilterAnswer(std::string_view answer, std::size_t size) {
    InvasiveCodeFilter filter(gSwitches, &ReadTestSwitches);
    std::string out;
    std::string scratch;
    for (std::size_t pos = 0; pos < answer.size(); pos += size)
        out.append(filter.filterChunk(answer.substr(pos, size), scratch));
    out.append(filter.finish(scratch));
    return out;
}

struct AnswerCase {
    const char* name;
    FilterSwitches switches;
    std::string answer;
    std::string expected;
};

class AnswerTable : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerTable, BrowserReceivesExpectedBytes) {
    const auto& c = GetParam();
    gSwitches = c.switches;
    for (std::size_t size : {1u, 2u, 7u, 4096u})
        EXPECT_EQ(FilterAnswer(c.answer, size), c.expected) << "chunks of " << size;
}

const AnswerCase kAnswers[] = {
    {"HtmlLosesLengthAndScripts", kScripts,
     "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: 33\r\n\r\n"
     "<Script>alert(1)</Script><B>x</B>",
     "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
     "<noscri>alert(1)</noscri> <B>x</B>"},
    {"ChunkedHtmlIsDecoded", kScripts,
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\ncontent-type: TEXT/HTML\r\n\r\n"
     "5\r\n<scri\r\n4\r\npt>x\r\n0\r\n\r\n",
     "HTTP/1.1 200 OK\r\ncontent-type: TEXT/HTML\r\n\r\n<noscri>x"},
    {"ImagesPassByteForByte", kBoth,
     "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 9\r\n\r\n<script>\0"s,
     "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 9\r\n\r\n<script>\0"s},
    {"CompressedHtmlPasses", kScripts,
     "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Encoding: gzip\r\n\r\n<script>",
     "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Encoding: gzip\r\n\r\n<script>"},
    {"SwitchesOffMeansUntouched", kNone,
     "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 8\r\n\r\n<script>",
     "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 8\r\n\r\n<script>"},
    {"ContinueThenPage", kObjects,
     "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
     "Content-Length: 8\r\n\r\n<object>",
     "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<noobj >"},
    {"TunnelPasses", kBoth, "HTTP/1.0 200 Connection established\r\n\r\n\x16\x03\x01<script>",
     "HTTP/1.0 200 Connection established\r\n\r\n\x16\x03\x01<script>"},
    {"NotHttpPasses", kBoth, "garbage <script>", "garbage <script>"},
    {"CutHeadIsForwardedAtTheEnd", kBoth, "HTTP/1.1 200 OK\r\nContent-Type: text/ht",
     "HTTP/1.1 200 OK\r\nContent-Type: text/ht"},
};

INSTANTIATE_TEST_SUITE_P(Filter, AnswerTable, ::testing::ValuesIn(kAnswers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InvasiveCodeFilter, OversizedHeadPassesUnfiltered) {
    gSwitches = kScripts;
    const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nX: " +
                               std::string(InvasiveCodeFilter::kMaxHeadSize, 'x') +
                               "\r\n\r\n<script>";
    EXPECT_TRUE(FilterAnswer(answer, 4096) == answer);
}

// The settings are read from the store: exactly 1 switches a row on, and a
// change applies from the next chunk of a page.
TEST(InvasiveCodeFilter, ReadsItsSwitchesFromTheStoreForEveryChunk) {
    testing::TempHome home;
    DwordSetting enableJs(settings::kEnableJS);
    enableJs.set(2);
    EXPECT_FALSE(FilterSwitches::fromStore().scripts);
    enableJs.set(1);
    EXPECT_TRUE(FilterSwitches::fromStore().scripts);
    EXPECT_FALSE(FilterSwitches::fromStore().objects);

    InvasiveCodeFilter filter(FilterSwitches::fromStore());
    std::string scratch;
    std::string out(
        filter.filterChunk("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<script>", scratch));
    enableJs.set(0);
    out.append(filter.filterChunk("<script>", scratch));
    out.append(filter.finish(scratch));
    EXPECT_EQ(out, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<noscri><script>");
}

}  // namespace
}  // namespace veilport
