#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "gateway/HeadScanner.h"
#include "gateway/RequestRewriter.h"

namespace veilport {
namespace {

using namespace std::string_literals;

struct RewriteCase {
    const char* name;
    std::string input;
    std::string expected;
    std::string targetHost;
};

class RewriteTable : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteTable, GivesExactBytesAndTargetHost) {
    const auto& c = GetParam();
    const auto result = RewriteRequest(c.input);
    EXPECT_EQ(result.bytes, c.expected);
    EXPECT_EQ(result.targetHost, c.targetHost);
}

const RewriteCase kCases[] = {
    {"HopByHopAndConditionalFieldsGo",
     "GET http://example.com/a HTTP/1.1\r\nHost: example.com\r\nProxy-Connection: keep-alive\r\n"
     "Keep-Alive: 300\r\nIf-Modified-Since: Sat, 1 Jan 2000 00:00:00 GMT\r\nAccept: */*\r\n\r\n",
     "GET http://example.com/a HTTP/1.1\r\nHost: example.com\r\nAccept: */*\r\n"
     "Connection: close\r\n\r\n",
     "example.com"},
    {"EveryRemovedFieldAnyCase",
     "GET / HTTP/1.1\r\nte: trailers\r\nTRAILER: x\r\nupgrade: h2c\r\nIf-Match: a\r\n"
     "If-Range: b\r\nif-unmodified-since: c\r\nIf-None-Match: d\r\nX: y\r\n\r\n",
     "GET / HTTP/1.1\r\nX: y\r\nConnection: close\r\n\r\n", ""},
    {"LowerCaseConnectionKeptInPlace",
     "GET / HTTP/1.1\r\nconnection: Keep-Alive\r\nHost: a.b\r\n\r\n",
     "GET / HTTP/1.1\r\nconnection: close\r\nHost: a.b\r\n\r\n", "a.b"},
    {"EveryConnectionFieldSaysClose",
     "GET / HTTP/1.1\r\nConnection: Connection, Proxy-Connection, Keep-Alive\r\n"
     "Connection: Upgrade\r\n\r\n",
     "GET / HTTP/1.1\r\nConnection: close\r\nConnection: close\r\n\r\n", ""},
    {"NoBlankAfterColonLosesFirstCharacter", "GET / HTTP/1.1\r\nAccept:text/html\r\n\r\n",
     "GET / HTTP/1.1\r\nAccept: ext/html\r\nConnection: close\r\n\r\n", ""},
    {"LowerCaseHostIsNoTargetHost", "GET / HTTP/1.1\r\nhost: example.com\r\n\r\n",
     "GET / HTTP/1.1\r\nhost: example.com\r\nConnection: close\r\n\r\n", ""},
    {"HostPortIsDropped", "GET / HTTP/1.1\r\nHost: example.com:8080\r\n\r\n",
     "GET / HTTP/1.1\r\nHost: example.com:8080\r\nConnection: close\r\n\r\n", "example.com"},
    {"LaterHostWins", "GET / HTTP/1.1\r\nHost: a\r\nHost: b:1\r\n\r\n",
     "GET / HTTP/1.1\r\nHost: a\r\nHost: b:1\r\nConnection: close\r\n\r\n", "b"},
    {"HostStartingWithColonKeptWhole", "GET / HTTP/1.1\r\nHost: :80\r\n\r\n",
     "GET / HTTP/1.1\r\nHost: :80\r\nConnection: close\r\n\r\n", ":80"},
    {"EmptyHost", "GET / HTTP/1.1\r\nHost: \r\nHost:\r\n\r\n",
     "GET / HTTP/1.1\r\nHost: \r\nHost: \r\nConnection: close\r\n\r\n", ""},
    {"BodyInSameReadFollowsUnchanged",
     "POST http://h/ HTTP/1.1\r\nHost: h\r\nContent-Length: 5\r\n\r\nab\r\nc",
     "POST http://h/ HTTP/1.1\r\nHost: h\r\nContent-Length: 5\r\nConnection: close\r\n\r\nab\r\nc",
     "h"},
    {"ChunkedBodyKeepsItsTransferEncoding",
     "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
     "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\nConnection: "
     "close\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
     ""},
    {"NoCrlfAtAll", "just some text", "  \r\nConnection: close\r\njust some text", ""},
    {"EmptyRead", "", "  \r\nConnection: close\r\n", ""},
    {"CutHeaderBlockEndsWithItsIncompleteLine", "GET / HTTP/1.1\r\nHost: h\r\nAccept-Lang",
     "GET / HTTP/1.1\r\nHost: h\r\nConnection: close\r\nAccept-Lang", "h"},
    {"CrAsLastByte", "GET / HTTP/1.1\r\nHost: h\r",
     "GET / HTTP/1.1\r\nConnection: close\r\nHost: h\r", ""},
    {"RequestLineSplitAtFirstTwoBlanks", "GET /a b HTTP/1.1 x\r\n\r\n",
     "GET /a b HTTP/1.1 x\r\nConnection: close\r\n\r\n", ""},
    {"RequestLineWithoutBlanks", "GARBAGE\r\n\r\n", "  GARBAGE\r\nConnection: close\r\n\r\n", ""},
    {"RequestLineWithOneBlank", "GET /\r\n\r\n", "GET  /\r\nConnection: close\r\n\r\n", ""},
    {"LineWithoutColon", "GET / HTTP/1.1\r\nfoobar\r\nX:\r\n\r\n",
     "GET / HTTP/1.1\r\n: oobar\r\nX: \r\nConnection: close\r\n\r\n", ""},
    {"EmptyLinesBeforeTheRequestLineAreSkipped", "\r\n\n\r\nGET / HTTP/1.1\r\n\r\nbody\r\n",
     "GET / HTTP/1.1\r\nConnection: close\r\n\r\nbody\r\n", ""},
    {"BareLineFeedsEndLinesAndLeaveAsCrLf",
     "GET / HTTP/1.1\nHost: h\nProxy-Connection: keep-alive\r\nAccept: */*\n\nbody\n",
     "GET / HTTP/1.1\r\nHost: h\r\nAccept: */*\r\nConnection: close\r\n\r\nbody\n", "h"},
    {"OnlyOneCrBeforeTheLineFeedIsTheLineEnd", "GET / HTTP/1.1\r\nX: a\r\r\n\r\n",
     "GET / HTTP/1.1\r\nX: a\r\r\nConnection: close\r\n\r\n", ""},
    // A NUL does not cut the request: what follows it is forwarded as well.
    {"NulBytesTravel", "POST / HTTP/1.1\r\nHost: h\r\n\r\na\0b\0"s,
     "POST / HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\na\0b\0"s, "h"},
    {"NulInsideHeaderLine", "GET / HTTP/1.1\r\nX-A: 1\0 2\r\nHost: h\0x\r\n\r\n"s,
     "GET / HTTP/1.1\r\nX-A: 1\0 2\r\nHost: h\0x\r\nConnection: close\r\n\r\n"s, "h\0x"s},
    {"ConnectRequest", "CONNECT example.com:443 HTTP/1.1\r\nHost: example.com:443\r\n\r\n",
     "CONNECT example.com:443 HTTP/1.1\r\nHost: example.com:443\r\nConnection: close\r\n\r\n",
     "example.com"},
};

INSTANTIATE_TEST_SUITE_P(Rewriter, RewriteTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RequestRewriter, AsksForIdentityEncodingWhileFiltering) {
    RewriteOptions filtering;
    filtering.identityEncoding = true;
    EXPECT_EQ(
        RewriteRequest("GET / HTTP/1.1\r\naccept-encoding: gzip, br\r\nX: y\r\n\r\n", filtering)
            .bytes,
        "GET / HTTP/1.1\r\naccept-encoding: identity\r\nX: y\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(RewriteRequest("GET / HTTP/1.1\r\n\r\n", filtering).bytes,
              "GET / HTTP/1.1\r\nConnection: close\r\nAccept-Encoding: identity\r\n\r\n");
    EXPECT_EQ(RewriteRequest("GET / HTTP/1.1\r\nAccept-Encoding: gzip\r\n\r\n").bytes,
              "GET / HTTP/1.1\r\nAccept-Encoding: gzip\r\nConnection: close\r\n\r\n");
}

// Sizes around the one read of 4096 bytes, and a long header block.
TEST(RequestRewriter, LargeHeaderBlocksAreRewrittenWhole) {
    for (std::size_t size : {4095u, 4096u, 4097u}) {
        std::string request = "GET / HTTP/1.1\r\nHost: h\r\nX-Pad: ";
        const std::string tail = "\r\n\r\n";
        request += std::string(size - request.size() - tail.size(), 'p') + tail;
        ASSERT_EQ(request.size(), size);
        const auto result = RewriteRequest(request);
        EXPECT_EQ(result.bytes.size(), size + std::string("Connection: close\r\n").size());
        EXPECT_EQ(result.targetHost, "h");
    }

    std::string many = "GET / HTTP/1.1\r\n";
    std::string expected = many;
    for (int i = 0; i < 2000; ++i) {
        const std::string line = "X-" + std::to_string(i) + ": v\r\n";
        many += line;
        expected += line;
        if (i % 100 == 0) many += "Keep-Alive: 1\r\n";
    }
    many += "\r\n";
    expected += "Connection: close\r\n\r\n";
    EXPECT_EQ(RewriteRequest(many).bytes, expected);
}

// Where the header block ends, whether its bytes come at once or one by one.
TEST(HeadScanner, FindsTheEmptyLineAfterTheRequestLineHoweverTheBytesArrive) {
    struct Case {
        std::string bytes;
        std::optional<std::size_t> end;
    };
    const Case cases[] = {
        {"GET / HTTP/1.1\r\nHost: h\r\n\r\nbody", 27},
        {"GET / HTTP/1.1\nHost: h\n\nbody", 24},
        {"\r\n\nGET / HTTP/1.1\r\n\r\n", 21},
        {"GET / HTTP/1.1\r\nHost: h\r\n", std::nullopt},
        {"\r\n\r\n\n", std::nullopt},
        {"GET / HTTP/1.1\r\nHost: h\r\r\n", std::nullopt},
        {"GET / HTTP/1.1\r\nHost: h\r\n\r", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindHeadEnd(c.bytes), c.end) << c.bytes;
        HeadScanner scanner;
        std::optional<std::size_t> end;
        for (std::size_t size = 0; size <= c.bytes.size(); ++size) {
            end = scanner.scan(std::string_view(c.bytes).substr(0, size));
            if (end) break;
        }
        EXPECT_EQ(end, c.end) << "byte by byte: " << c.bytes;
        // The rewriter ends the block at the same place: what follows it is
        // carried unchanged.
        if (c.end) {
            const auto rewritten = RewriteRequest(c.bytes).bytes;
            const auto rest = c.bytes.substr(*c.end);
            EXPECT_TRUE(rewritten.ends_with("\r\n\r\n" + rest)) << rewritten;
        }
    }
}

}  // namespace
}  // namespace veilport
