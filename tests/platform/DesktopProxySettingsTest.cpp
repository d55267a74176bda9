#include <gtest/gtest.h>

#include "platform/desktop/DesktopProxySettings.h"

namespace veilport::desktop {
namespace {

struct ServerCase {
    const char* server;
    std::optional<ProxyEndpoint> expected;  // for all three protocols
};

class ServerText : public ::testing::TestWithParam<ServerCase> {};

TEST_P(ServerText, OnlyAHostAndAPortEverReachTheDesktop) {
    const auto& param = GetParam();
    const auto settings = desktopProxyFrom({3, param.server, "local"});
    EXPECT_EQ(settings.http, param.expected);
    EXPECT_EQ(settings.https, param.expected);
    EXPECT_EQ(settings.ftp, param.expected);
    EXPECT_EQ(settings.manual(), param.expected.has_value());
    if (!settings.manual()) {
        EXPECT_TRUE(settings.ignoreHosts.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ServerText,
    ::testing::Values(
        ServerCase{"127.0.0.1:8080", ProxyEndpoint{"127.0.0.1", 8080}},
        ServerCase{"proxy.example.org:3128", ProxyEndpoint{"proxy.example.org", 3128}},
        ServerCase{"http://10.0.0.1:80", ProxyEndpoint{"10.0.0.1", 80}},
        // Entries from the downloaded list carry a country and a POST note.
        ServerCase{"81.2.3.4:3128->Germany <supports POST>", ProxyEndpoint{"81.2.3.4", 3128}},
        ServerCase{"81.2.3.4:3128 <supports POST>", ProxyEndpoint{"81.2.3.4", 3128}},
        ServerCase{"1.2.3.4:1", ProxyEndpoint{"1.2.3.4", 1}},
        ServerCase{"1.2.3.4:65535", ProxyEndpoint{"1.2.3.4", 65535}},
        // Whatever follows a line break is never looked at.
        ServerCase{"1.2.3.4:80\n[Proxy Settings]\nProxyType=0", ProxyEndpoint{"1.2.3.4", 80}},
        ServerCase{"1.2.3.4:0", std::nullopt}, ServerCase{"1.2.3.4:65536", std::nullopt},
        ServerCase{"1.2.3.4:080000", std::nullopt}, ServerCase{"1.2.3.4:80x", std::nullopt},
        ServerCase{"1.2.3.4", std::nullopt}, ServerCase{"", std::nullopt},
        ServerCase{"999.1.1.1:80", std::nullopt}, ServerCase{"1.2.3:80", std::nullopt},
        ServerCase{"010.1.1.1:80", std::nullopt}, ServerCase{"[::1]:80", std::nullopt},
        ServerCase{"evil'host:80", std::nullopt}, ServerCase{"a b:80", std::nullopt},
        ServerCase{"-bad.example:80", std::nullopt}, ServerCase{"a..b:80", std::nullopt},
        ServerCase{"\n1.2.3.4:80", std::nullopt}, ServerCase{"1.2.3.4:-80", std::nullopt}));

TEST(DesktopProxySettings, DirectFlagsMirrorAsDirectWhateverTheServer) {
    EXPECT_FALSE(desktopProxyFrom({1, "127.0.0.1:8080", "local"}).manual());
    EXPECT_FALSE(desktopProxyFrom({0, "127.0.0.1:8080", "local"}).manual());
}

TEST(DesktopProxySettings, ProtocolPartsGoToTheirOwnProtocol) {
    const auto settings = desktopProxyFrom(
        {3, "http=1.1.1.1:80;HTTPS=2.2.2.2:443 ftp=bad'host:21;socks=3.3.3.3:1", ""});
    EXPECT_EQ(settings.http, (ProxyEndpoint{"1.1.1.1", 80}));
    EXPECT_EQ(settings.https, (ProxyEndpoint{"2.2.2.2", 443}));
    EXPECT_FALSE(settings.ftp);
}

TEST(DesktopProxySettings, BypassListBecomesHarmlessIgnoreHosts) {
    EXPECT_EQ(ignoreHostsFrom("local"),
              (std::vector<std::string>{"localhost", "127.0.0.0/8", "::1"}));
    EXPECT_EQ(ignoreHostsFrom("<local>;*.Example.org; 10.0.0.0/8,intranet;local"),
              (std::vector<std::string>{"localhost", "127.0.0.0/8", "::1", "*.example.org",
                                        "10.0.0.0/8", "intranet"}));
    EXPECT_EQ(ignoreHostsFrom("a'b;x/8;1.2.3.4/123;ok\n[evil]"), (std::vector<std::string>{"ok"}));
}

}  // namespace
}  // namespace veilport::desktop
