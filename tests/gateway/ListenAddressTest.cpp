// Who can reach the Gateway: this machine only by default, the network when
// the user asks for it.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "gateway/GatewayFixture.h"
#include "support/ChildProcess.h"

namespace veilport::testing {
namespace {

using namespace std::chrono_literals;

// Whether a Gateway listening per `listenAddress` accepts a connection made
// to `address`.
bool ReachableAt(const std::string& listenAddress, in_addr address) {
    Gateway gateway;
    GatewaySettings settings = Settings(0, 9);
    settings.listenAddress = listenAddress;
    if (!gateway.start(settings)) return false;
    const auto outcome = gateway.waitUntilSettled(10s);
    if (outcome.state != Listener::State::Listening) return false;
    const bool reached = net::connectTcp(address, outcome.port, 5s).ok();
    gateway.stop();
    return reached;
}

in_addr Address(const char* dotted) {
    return *net::parseDottedIpv4(dotted);
}

TEST(ListenAddress, OnlyThisMachineUnlessAsked) {
    TempHome home;
    EXPECT_TRUE(ReachableAt("127.0.0.1", Loopback()));
    // Another address of this machine stands in for a neighbour here.
    EXPECT_FALSE(ReachableAt("127.0.0.1", Address("127.0.0.2")));
    EXPECT_TRUE(ReachableAt("0.0.0.0", Address("127.0.0.2")));
    // A value that names no address never opens the Gateway to the network.
    for (const char* typo : {"", "localhost", "0.0.0.0.0", "all"})
        EXPECT_FALSE(ReachableAt(typo, Address("127.0.0.2"))) << typo;
    EXPECT_EQ(GatewaySettings::fromStore().listenAddress, "127.0.0.1");
}

// The same with an address outside loopback's range, as a neighbour on the
// network uses it: a second address in a private network namespace.
TEST(ListenAddress, ASecondAddressReachesItOnlyWithTheSettingOn) {
    if (RunCommand({"/usr/bin/unshare", "-n", "/bin/true"}).exitCode != 0 ||
        std::system("command -v ip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no network namespace can be made here (needs root and iproute2)";
    TempHome home;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (unshare(CLONE_NEWNET) != 0) _exit(10);
        if (std::system("ip link set lo up && ip addr add 10.213.0.1/32 dev lo") != 0) _exit(11);
        const in_addr second = Address("10.213.0.1");
        const int code = (ReachableAt("127.0.0.1", second) ? 1 : 0) |
                         (ReachableAt("0.0.0.0", second) ? 2 : 0) |
                         (ReachableAt("127.0.0.1", Loopback()) ? 4 : 0);
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2 | 4) << "1: reachable by default, 2: with the setting on, "
                                             "4: from this machine";
}

}  // namespace
}  // namespace veilport::testing
