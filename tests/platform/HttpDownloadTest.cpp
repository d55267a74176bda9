#include <gtest/gtest.h>

#include <future>
#include <stop_token>

#include "platform/LoopbackHttpServer.h"
#include "platform/inet/HttpDownload.h"

namespace veilport::inet {
namespace {

// A name whose first label is longer than DNS allows: the resolver refuses it
// itself, so the lookup fails without a query leaving the machine.
const std::string kUnresolvable = std::string(70, 'a') + ".invalid";

using testing::LoopbackHttpServer;

HttpDownloadOptions Direct(int port) {
    HttpDownloadOptions options;
    options.port = port;
    return options;
}

TEST(HttpDownloadChunks, LineFeedsBecomeCrLfAndAZeroByteEndsTheChunk) {
    std::string text;
    appendDownloadChunk(text, "a\nb\r\nc");
    EXPECT_EQ(text, "a\r\nb\r\r\nc");
    appendDownloadChunk(text, std::string_view("x\0hidden", 8));
    EXPECT_EQ(text, "a\r\nb\r\r\ncx");
}

TEST(HttpDownload, ReturnsTheBodyWhateverTheStatusAndUsesTheGivenPort) {
    LoopbackHttpServer server([](const std::string&) {
        return std::string("HTTP/1.0 404 Not Found\r\nContent-Length: 10\r\n\r\nline1\nend.");
    });
    ASSERT_TRUE(server.listening());
    // The URL names another port; the download goes to the one it was given.
    const auto text = httpDownloadText("http://127.0.0.1:1/services/ib/proxy/sortedproxylist.txt",
                                       Direct(server.port()));
    EXPECT_EQ(text, "line1\r\nend.");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("GET /services/ib/proxy/sortedproxylist.txt HTTP/1.1\r\n", 0), 0u)
        << requests[0];
    EXPECT_NE(requests[0].find("User-Agent: Veilport\r\n"), std::string::npos) << requests[0];
}

TEST(HttpDownload, AnswersTheEmptyTextOnEveryFailure) {
    // Nothing listens: a port taken and released again.
    int closedPort = 0;
    {
        LoopbackHttpServer gone([](const std::string&) { return std::string(); });
        closedPort = gone.port();
    }
    EXPECT_EQ(httpDownloadText("http://127.0.0.1/x", Direct(closedPort)), "");
    EXPECT_EQ(httpDownloadText("http://" + kUnresolvable + "/x", Direct(closedPort)), "");
    EXPECT_EQ(httpDownloadText("http://[broken/x", Direct(closedPort)), "");

    // A server that accepts and never answers runs into the whole-download limit.
    LoopbackHttpServer silent([](const std::string&) { return std::nullopt; });
    auto options = Direct(silent.port());
    options.totalTimeout = std::chrono::milliseconds(200);
    EXPECT_EQ(httpDownloadText("http://127.0.0.1/x", options), "");
}

TEST(HttpDownload, ABodyOverTheCapFailsAsAWholeAndOneAtTheCapPasses) {
    const std::string body(1000, 'z');
    LoopbackHttpServer server([&](const std::string&) { return LoopbackHttpServer::Ok(body); });
    auto options = Direct(server.port());
    options.maxBodyBytes = 999;
    EXPECT_EQ(httpDownloadText("http://127.0.0.1/x", options), "");
    options.maxBodyBytes = 1000;
    EXPECT_EQ(httpDownloadText("http://127.0.0.1/x", options), body);
}

TEST(HttpDownload, GoesThroughTheStoredProxyUnlessTheHostBypassesIt) {
    // The "proxy" is a local server that sees the absolute URL of a proxy request.
    LoopbackHttpServer proxy(
        [](const std::string&) { return LoopbackHttpServer::Ok("via proxy"); });
    auto options = Direct(80);
    options.access.direct = false;
    options.access.proxyServer = "127.0.0.1:" + std::to_string(proxy.port());
    options.access.bypassList = "*.local.example;<local>;127.0.0.*";
    EXPECT_EQ(httpDownloadText("http://list.service.example/l.txt", options), "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0].rfind("GET http://list.service.example/l.txt HTTP/1.1", 0), 0u)
        << proxy.requests()[0];

    LoopbackHttpServer direct([](const std::string&) { return LoopbackHttpServer::Ok("direct"); });
    options.port = direct.port();
    EXPECT_EQ(httpDownloadText("http://127.0.0.1/l.txt", options), "direct");
    EXPECT_EQ(proxy.requests().size(), 1u);
}

// A server that takes the request and never answers must not hold a program
// that is exiting: a stop ends the download (the time limit here is far longer
// than any test run, so only the stop can end it).
TEST(HttpDownload, AStopEndsADownloadThatWouldWaitForAnAnswer) {
    std::promise<void> asked;
    LoopbackHttpServer silent([&](const std::string&) -> std::optional<std::string> {
        asked.set_value();
        return std::nullopt;
    });
    std::stop_source stop;
    auto options = Direct(silent.port());
    options.totalTimeout = std::chrono::hours(1);
    options.stop = stop.get_token();
    auto download = std::async(std::launch::async,
                               [&] { return httpDownloadText("http://127.0.0.1/l.txt", options); });
    asked.get_future().wait();
    stop.request_stop();
    EXPECT_EQ(download.get(), "");
    EXPECT_EQ(httpDownloadText("http://127.0.0.1/l.txt", options), "") << "stopped before it began";
    EXPECT_EQ(silent.requests().size(), 1u);
}

TEST(HttpDownload, RecordsEachSuccessfulDownloadThroughTheCacheHook) {
    LoopbackHttpServer server([](const std::string&) { return LoopbackHttpServer::Ok("a\n"); });
    std::vector<std::pair<std::string, std::string>> recorded;
    auto options = Direct(server.port());
    options.recordInUrlCache = [&](const std::string& url, const std::string& text) {
        recorded.emplace_back(url, text);
    };
    EXPECT_EQ(httpDownloadText("http://127.0.0.1/p", options), "a\r\n");
    options.port = 1;
    EXPECT_EQ(httpDownloadText("http://127.0.0.1/q", options), "");
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].first, "http://127.0.0.1/p");
    EXPECT_EQ(recorded[0].second, "a\r\n");
}

TEST(ProxyRouting, PicksTheHttpServerAndHonoursTheBypassList) {
    InternetAccess access;
    EXPECT_EQ(proxyForHost(access, "a.example"), "");
    access.direct = false;
    access.proxyServer = "proxy.lan:3128";
    EXPECT_EQ(proxyForHost(access, "a.example"), "proxy.lan:3128");
    access.proxyServer = "https=s.lan:443;HTTP=h.lan:8080";
    EXPECT_EQ(proxyForHost(access, "a.example"), "h.lan:8080");
    access.proxyServer = "https=s.lan:443";
    EXPECT_EQ(proxyForHost(access, "a.example"), "");

    EXPECT_TRUE(bypassesProxy("<local>", "intranet"));
    EXPECT_FALSE(bypassesProxy("<local>", "www.example"));
    EXPECT_TRUE(bypassesProxy("foo.example; *.Corp.example", "www.corp.EXAMPLE"));
    EXPECT_FALSE(bypassesProxy("*.corp.example", "corp.example"));
    EXPECT_TRUE(bypassesProxy("10.*", "10.1.2.3"));
    EXPECT_FALSE(bypassesProxy("", "anything"));
}

}  // namespace
}  // namespace veilport::inet
