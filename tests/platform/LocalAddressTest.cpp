#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "platform/net/LocalAddress.h"

namespace veilport::net {
namespace {

in_addr Ip(const char* text) {
    in_addr address{};
    EXPECT_EQ(::inet_pton(AF_INET, text, &address), 1) << text;
    return address;
}

TEST(LocalAddress, HostNameAnswersSkipLoopbackThenInterfacesThenUnknown) {
    // Debian maps the host name to 127.0.1.1 ahead of the real address.
    EXPECT_EQ(chooseLocalAddress({Ip("127.0.1.1"), Ip("192.168.4.20")}, {}), "192.168.4.20");
    EXPECT_EQ(chooseLocalAddress({Ip("10.0.0.7"), Ip("10.0.0.8")}, {}), "10.0.0.7");

    // Only loopback answers: the first interface that is up and not loopback.
    const std::vector<InterfaceAddress> interfaces = {
        {Ip("127.0.0.1"), true},
        {Ip("172.16.0.9"), false},
        {Ip("127.255.255.254"), true},
        {Ip("192.0.2.33"), true},
    };
    EXPECT_EQ(chooseLocalAddress({Ip("127.0.1.1")}, interfaces), "192.0.2.33");
    EXPECT_EQ(chooseLocalAddress({}, interfaces), "192.0.2.33");

    EXPECT_EQ(chooseLocalAddress({Ip("127.0.1.1")}, {{Ip("127.0.0.1"), true}}), "Unkwon IP");
    EXPECT_EQ(chooseLocalAddress({}, {{Ip("10.1.1.1"), false}}), "Unkwon IP");
}

TEST(LocalAddress, LoopbackIsTheWholeOf127Slash8) {
    EXPECT_TRUE(isLoopback(Ip("127.0.0.1")));
    EXPECT_TRUE(isLoopback(Ip("127.200.1.1")));
    EXPECT_FALSE(isLoopback(Ip("126.255.255.255")));
    EXPECT_FALSE(isLoopback(Ip("128.0.0.1")));
}

TEST(LocalAddress, TheSystemsAnswerIsNeverLoopback) {
    const std::string found = findLocalAddress();
    if (found == kUnknownIp) GTEST_SKIP() << "no address outside loopback on this machine";
    in_addr address{};
    ASSERT_EQ(::inet_pton(AF_INET, found.c_str(), &address), 1) << found;
    EXPECT_FALSE(isLoopback(address)) << found;
}

}  // namespace
}  // namespace veilport::net
