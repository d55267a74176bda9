#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cerrno>
#include <string>
#include <thread>

#include "platform/net/Socket.h"
#include "support/BlackHole.h"

namespace veilport::net {
namespace {

using namespace std::chrono_literals;

in_addr Loopback() {
    in_addr address{};
    address.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

struct Pair {
    UniqueFd listener, client, server;
};

Pair Connected() {
    Pair pair;
    auto listening = listenTcp(Loopback(), 0, SOMAXCONN);
    EXPECT_TRUE(listening.ok());
    pair.listener = std::move(listening.value);
    auto client = connectTcp(Loopback(), localPort(pair.listener.get()).value);
    EXPECT_TRUE(client.ok());
    pair.client = std::move(client.value);
    auto server = acceptConnection(pair.listener.get());
    EXPECT_TRUE(server.ok());
    pair.server = std::move(server.value);
    return pair;
}

TEST(Socket, DottedAddressesAreParsedAsTheSystemDoes) {
    const auto text = [](const std::string& dotted) {
        const auto parsed = parseDottedIpv4(dotted);
        return parsed ? std::string(inet_ntoa(*parsed)) : std::string("none");
    };
    EXPECT_EQ(text("10.0.0.1"), "10.0.0.1");
    EXPECT_EQ(text("127.1"), "127.0.0.1");
    EXPECT_EQ(text("0x7f.0.0.1"), "127.0.0.1");
    EXPECT_EQ(text("example.com"), "none");
    EXPECT_EQ(text(""), "none");
    EXPECT_EQ(text("1.2.3.4.5"), "none");

    const auto local = resolveIpv4("localhost");
    ASSERT_TRUE(local.ok());
    EXPECT_EQ(std::string(inet_ntoa(local.value)), "127.0.0.1");
    const auto dotted = resolveIpv4("127.0.0.1");
    ASSERT_TRUE(dotted.ok());
    EXPECT_EQ(ntohl(dotted.value.s_addr), INADDR_LOOPBACK);
    // An empty name would otherwise mean this very machine.
    EXPECT_EQ(resolveIpv4("").error, EINVAL);
    // A first label longer than DNS allows is refused by the resolver itself,
    // so no query leaves the machine.
    EXPECT_FALSE(resolveIpv4(std::string(70, 'a') + ".invalid").ok());
    EXPECT_FALSE(resolveIpv4("\r\n1.2.3.4").ok());
}

// The connect keeps the kernel's reason, gives up at our own limit on a host
// that never answers, and hands back a blocking socket.
TEST(Socket, ConnectSaysWhyItFailedAndGivesUpAtItsTimeLimit) {
    auto listening = listenTcp(Loopback(), 0, SOMAXCONN);
    ASSERT_TRUE(listening.ok());
    const std::uint16_t port = localPort(listening.value.get()).value;
    auto connected = connectTcp(Loopback(), port, 5s);
    ASSERT_TRUE(connected.ok()) << errorText(connected.error);
    EXPECT_EQ(::fcntl(connected.value.get(), F_GETFL) & O_NONBLOCK, 0);

    testing::BlackHole dark;
    const auto timedOut = connectTcp(Loopback(), dark.port(), 50ms);
    EXPECT_EQ(timedOut.error, ETIMEDOUT) << errorText(timedOut.error);

    listening.value.reset();
    EXPECT_EQ(connectTcp(Loopback(), port, 5s).error, ECONNREFUSED);
}

// The first send on a connect begun without waiting tells its outcome: the
// bytes go, or the connect's own error comes back, or (still under way)
// EAGAIN, after which awaitConnect gives the outcome within its limit.
TEST(Socket, AConnectBegunWithoutWaitingIsToldByItsFirstSend) {
    // 0 once "GET" went out, else the connect's errno.
    const auto firstSend = [](int fd) {
        const auto sent = sendSome(fd, "GET", 3);
        if (sent.ok()) return 0;
        if (sent.error != EAGAIN) return sent.error;
        if (const int error = awaitConnect(fd, 5s); error != 0) return error;
        return sendSome(fd, "GET", 3).error;
    };
    auto listening = listenTcp(Loopback(), 0, SOMAXCONN);
    ASSERT_TRUE(listening.ok());
    const std::uint16_t port = localPort(listening.value.get()).value;
    auto begun = beginConnectTcp(Loopback(), port);
    ASSERT_TRUE(begun.ok()) << errorText(begun.error);
    EXPECT_NE(::fcntl(begun.value.get(), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_EQ(firstSend(begun.value.get()), 0);
    auto accepted = acceptConnection(listening.value.get());
    ASSERT_TRUE(accepted.ok());
    char got[3];
    ASSERT_EQ(receiveSome(accepted.value.get(), got, sizeof(got)).value, 3u);
    EXPECT_EQ(std::string_view(got, 3), "GET");

    testing::BlackHole dark;
    auto dim = beginConnectTcp(Loopback(), dark.port());
    ASSERT_TRUE(dim.ok());
    EXPECT_EQ(sendSome(dim.value.get(), "x", 1).error, EAGAIN);
    EXPECT_EQ(awaitConnect(dim.value.get(), 50ms), ETIMEDOUT);

    listening.value.reset();
    auto refused = beginConnectTcp(Loopback(), port);
    ASSERT_TRUE(refused.ok());
    EXPECT_EQ(firstSend(refused.value.get()), ECONNREFUSED);
}

TEST(Socket, SendAllFinishesLargeWritesAndReportsAClosedPeer) {
    auto pair = Connected();
    const std::string big(8 * 1024 * 1024, 'z');
    std::size_t received = 0;
    std::thread reader([&] {
        char buffer[65536];
        for (;;) {
            const auto got = receiveSome(pair.server.get(), buffer, sizeof(buffer));
            if (!got.ok() || got.value == 0) break;
            received += got.value;
        }
    });
    const auto sent = sendAll(pair.client.get(), big.data(), big.size());
    EXPECT_TRUE(sent.ok());
    EXPECT_EQ(sent.value, big.size());
    ASSERT_TRUE(shutdownSocket(pair.client.get(), SHUT_WR).ok());
    reader.join();
    EXPECT_EQ(received, big.size());

    // The peer is gone: an error comes back instead of SIGPIPE killing us.
    pair.server.reset();
    Result<std::size_t> failed;
    for (int i = 0; i < 100 && failed.ok(); ++i)
        failed = sendAll(pair.client.get(), big.data(), 4096);
    EXPECT_TRUE(failed.error == EPIPE || failed.error == ECONNRESET) << errorText(failed.error);
}

TEST(Socket, ReceiveWithoutWaitingAndPollTimeOut) {
    auto pair = Connected();
    char byte = 0;
    const auto nothing = receiveSome(pair.server.get(), &byte, 1, /*dontWait=*/true);
    EXPECT_EQ(nothing.error, EAGAIN);

    pollfd entry{pair.server.get(), POLLIN, 0};
    const auto quiet = pollFor(&entry, 1, 20ms);
    ASSERT_TRUE(quiet.ok());
    EXPECT_EQ(quiet.value, 0);

    ASSERT_TRUE(sendAll(pair.client.get(), "x", 1).ok());
    const auto ready = pollFor(&entry, 1, kWaitForever);
    ASSERT_TRUE(ready.ok());
    EXPECT_EQ(ready.value, 1);
    const auto one = receiveSome(pair.server.get(), &byte, 1, true);
    EXPECT_TRUE(one.ok());
    EXPECT_EQ(byte, 'x');
}

TEST(Socket, ShutDownListenerWakesAcceptAndRefusedConnectIsAnError) {
    auto listening = listenTcp(Loopback(), 0, SOMAXCONN);
    ASSERT_TRUE(listening.ok());
    const std::uint16_t port = localPort(listening.value.get()).value;
    Result<UniqueFd> accepted;
    std::thread acceptor([&] { accepted = acceptConnection(listening.value.get()); });
    // Whether shutdown comes before or during accept, accept must return.
    ASSERT_TRUE(shutdownSocket(listening.value.get(), SHUT_RDWR).ok());
    acceptor.join();
    EXPECT_FALSE(accepted.ok());
    listening.value.reset();
    EXPECT_EQ(connectTcp(Loopback(), port).error, ECONNREFUSED);
}

}  // namespace
}  // namespace veilport::net
