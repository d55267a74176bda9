#include <gtest/gtest.h>

#include "platform/inet/ConnectionOptions.h"
#include "platform/inet/ProxyOptions.h"
#include "support/TempHome.h"

namespace veilport::inet {
namespace {

class ConnectionOptionsTest : public ::testing::Test {
protected:
    bool Apply(const char* connection, std::uint32_t flags, const char* server = nullptr,
               const char* bypass = nullptr) {
        PerConnOption options[3];
        std::uint32_t count = 0;
        options[count++] = {PerConnOptionId::Flags, flags, nullptr};
        if (server) options[count++] = {PerConnOptionId::ProxyServer, 0, server};
        if (bypass) options[count++] = {PerConnOptionId::ProxyBypass, 0, bypass};
        PerConnOptionList list{sizeof(PerConnOptionList), connection, count, 0, options};
        return setPerConnectionOptions(list);
    }
    veilport::testing::TempHome home;
};

TEST_F(ConnectionOptionsTest, NothingStoredReadsAsDirect) {
    const ProxyOptions lan = loadConnectionOptions(std::nullopt);
    EXPECT_EQ(lan.flags, kProxyTypeDirect);
    EXPECT_TRUE(lan.proxyServer.empty());
    EXPECT_FALSE(lan.usesProxy());
}

TEST_F(ConnectionOptionsTest, LanEmptyNameAndDialUpAreKeptApart) {
    ASSERT_TRUE(Apply(nullptr, 3, "10.0.0.1:80", "local"));
    ASSERT_TRUE(Apply("", 3, "10.0.0.2:80", "a;b"));
    ASSERT_TRUE(Apply("My ISP\\dial", 1));

    const ProxyOptions lan = loadConnectionOptions(std::nullopt);
    EXPECT_EQ(lan.flags, 3u);
    EXPECT_EQ(lan.proxyServer, "10.0.0.1:80");
    EXPECT_EQ(lan.bypassList, "local");
    EXPECT_TRUE(lan.usesProxy());
    EXPECT_EQ(loadConnectionOptions(std::string()).proxyServer, "10.0.0.2:80");
    EXPECT_EQ(loadConnectionOptions(std::string("My ISP\\dial")).flags, 1u);
    EXPECT_TRUE(loadConnectionOptions(std::string("My ISP\\dial")).proxyServer.empty());
}

TEST_F(ConnectionOptionsTest, OptionsLeftOutOfAListKeepTheirStoredValue) {
    ASSERT_TRUE(Apply(nullptr, 3, "10.0.0.1:80", "local"));
    ASSERT_TRUE(Apply(nullptr, 1));
    const ProxyOptions lan = loadConnectionOptions(std::nullopt);
    EXPECT_EQ(lan.flags, 1u);
    EXPECT_EQ(lan.proxyServer, "10.0.0.1:80");
    EXPECT_FALSE(lan.usesProxy());
}

TEST_F(ConnectionOptionsTest, MalformedListsChangeNothing) {
    PerConnOption options[2] = {{PerConnOptionId::Flags, 3, nullptr},
                                {static_cast<PerConnOptionId>(99), 0, nullptr}};
    PerConnOptionList wrongSize{sizeof(PerConnOptionList) - 1, nullptr, 1, 0, options};
    EXPECT_FALSE(setPerConnectionOptions(wrongSize));
    PerConnOptionList unknown{sizeof(PerConnOptionList), nullptr, 2, 0, options};
    EXPECT_FALSE(setPerConnectionOptions(unknown));
    EXPECT_EQ(unknown.optionError, 1u);
    PerConnOptionList empty{sizeof(PerConnOptionList), nullptr, 0, 0, options};
    EXPECT_FALSE(setPerConnectionOptions(empty));
    EXPECT_EQ(loadConnectionOptions(std::nullopt).flags, kProxyTypeDirect)
        << "the valid first option was not written either";
}

}  // namespace
}  // namespace veilport::inet
