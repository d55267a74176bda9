#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "gateway/GatewayFixture.h"
#include "gateway/LastDomainWriter.h"
#include "settings/StringSetting.h"

namespace veilport::testing {
namespace {

using namespace std::chrono_literals;

std::string Stored() {
    return StringSetting(settings::kLastDomain).get();
}

bool NoThreads(std::function<void()>) {
    return false;
}

TEST(LastDomainWriter, TheHostPostedLastIsTheOneStoredHoweverManyCameBefore) {
    TempHome home;
    LastDomainWriter writer(&StartDetachedThread, 1h);
    for (int i = 0; i < 500; ++i) writer.post("one-" + std::to_string(i) + ".test");
    writer.flush();
    EXPECT_EQ(Stored(), "one-499.test");

    // Many connections at once; then the last request of all.
    std::vector<std::thread> connections;
    for (int t = 0; t < 4; ++t)
        connections.emplace_back([&writer, t] {
            for (int i = 0; i < 200; ++i)
                writer.post("c" + std::to_string(t) + "-" + std::to_string(i) + ".test");
        });
    for (auto& connection : connections) connection.join();
    writer.post("last.test");
    // No flush: a reader sees it soon on its own.
    EXPECT_TRUE(WaitFor([] { return Stored() == "last.test"; }));

    // An empty host is a host too (a request without one).
    writer.post("");
    writer.flush();
    EXPECT_EQ(Stored(), "");
}

TEST(LastDomainWriter, PendingHostIsStoredBeforeTheWriterGoes) {
    TempHome home;
    {
        LastDomainWriter writer(&StartDetachedThread, 1h);
        writer.post("first.test");
        writer.post("going.test");
    }
    EXPECT_EQ(Stored(), "going.test");
}

TEST(LastDomainWriter, WithoutAThreadTheConnectionStoresTheHostItself) {
    TempHome home;
    LastDomainWriter writer(&NoThreads, 1h);
    writer.post("inline.test");
    EXPECT_EQ(Stored(), "inline.test");
    writer.post("again.test");
    EXPECT_EQ(Stored(), "again.test");
}

class GatewayLastDomain : public GatewayFixture {};

TEST_F(GatewayLastDomain, EndsAsTheHostOfTheMostRecentRequest) {
    LoopbackServer upstream(Answering("HTTP/1.0 200 OK\r\n\r\nok"));
    startGateway(upstream.port());
    for (const char* host : {"a.test", "b.test", "a.test", "c.test:8080"})
        EXPECT_EQ(fetch(get(host)), "HTTP/1.0 200 OK\r\n\r\nok");
    EXPECT_TRUE(WaitFor([] { return Stored() == "c.test"; })) << Stored();
}

}  // namespace
}  // namespace veilport::testing
