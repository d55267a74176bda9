#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include "platform/io/UniqueFd.h"
#include "platform/net/TimedConnect.h"

namespace veilport::net {
namespace {

// A name whose first label is longer than DNS allows: the resolver refuses it
// itself, so the lookup fails without a query leaving the machine.
const std::string kUnresolvable = std::string(70, 'a') + ".invalid";

// A listening loopback socket on an ephemeral port.
UniqueFd Listen(int& port) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd.get(), 4) != 0)
        return {};
    socklen_t length = sizeof(address);
    (void)::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

TEST(ResolveIPv4, GivesDottedAddressesAndLocalNamesAndNothingForTheRest) {
    const auto loopback = resolveIPv4("127.0.0.1");
    ASSERT_TRUE(loopback);
    EXPECT_EQ(ntohl(loopback->s_addr), INADDR_LOOPBACK);
    EXPECT_TRUE(resolveIPv4("localhost"));
    EXPECT_FALSE(resolveIPv4(""));
    EXPECT_FALSE(resolveIPv4(kUnresolvable));
    EXPECT_FALSE(resolveIPv4("\r\n1.2.3.4"));
}

TEST(ConnectWithTimeout, ConnectsToAListenerAndFailsOnAClosedOrInvalidPort) {
    int port = 0;
    auto listener = Listen(port);
    ASSERT_TRUE(listener);
    in_addr loopback{htonl(INADDR_LOOPBACK)};
    auto connected = connectWithTimeout(loopback, port, std::chrono::seconds(5));
    ASSERT_TRUE(connected);
    EXPECT_EQ(::fcntl(connected.get(), F_GETFL) & O_NONBLOCK, 0);

    listener.reset();
    EXPECT_FALSE(connectWithTimeout(loopback, port, std::chrono::seconds(5)));
    EXPECT_FALSE(connectWithTimeout(loopback, 0, std::chrono::seconds(5)));
    EXPECT_FALSE(connectWithTimeout(loopback, 65536 + port, std::chrono::seconds(5)));
    EXPECT_FALSE(connectWithTimeout(loopback, -1, std::chrono::seconds(5)));
}

}  // namespace
}  // namespace veilport::net
