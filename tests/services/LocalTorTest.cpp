// A real tor, started with its own data folder and a free SocksPort, is found
// as this machine's Tor; a port where something else listens is not. Tor runs
// in a network namespace with nothing but loopback, so it stays offline.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "gateway/LoopbackPeers.h"
#include "services/LocalTor.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport::testing {
namespace {

std::uint16_t FreePort() {
    auto probe = net::listenTcp(Loopback(), 0, 1);
    return net::localPort(probe.value.get()).value;
}

// In the forked child: 0 when everything held, else the number of the step
// that failed.
int FindTorOffline(const std::filesystem::path& data) {
    if (unshare(CLONE_NEWNET) != 0) return 10;
    if (std::system("ip link set lo up") != 0) return 11;
    const std::uint16_t port = FreePort();
    ChildProcess tor({"/bin/sh", "-c",
                      "exec tor --ignore-missing-torrc -f /dev/null --SocksPort 127.0.0.1:" +
                          std::to_string(port) + " --DataDirectory " + data.string() +
                          " --Log 'err stderr' >/dev/null 2>&1"});
    if (!WaitFor([&] { return net::connectTcp(Loopback(), port).ok(); }, std::chrono::seconds(30)))
        return 12;
    LoopbackServer notSocks([](int fd) { (void)SendText(fd, "HTTP/1.0 400 Bad\r\n\r\n"); });
    const auto found = services::FindLocalTor({notSocks.port(), port});
    if (!found || found->port != port) return 13;
    if (services::LocalTorEntry(*found) !=
        "Tor (this machine) socks5h://127.0.0.1:" + std::to_string(port))
        return 14;
    if (services::FindLocalTor({notSocks.port(), FreePort()})) return 15;
    return 0;
}

TEST(LocalTor, ARealTorIsFoundAndOtherListenersAreNot) {
    if (std::system("command -v tor >/dev/null 2>&1 && command -v ip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "tor and iproute2 are needed";
    if (RunCommand({"/usr/bin/unshare", "-n", "/bin/true"}).exitCode != 0)
        GTEST_SKIP() << "no network namespace can be made here (tor must stay offline)";
    TempHome home;
    const auto data = home.path() / "tor-data";
    std::filesystem::create_directories(data);
    std::filesystem::permissions(data, std::filesystem::perms::owner_all);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(FindTorOffline(data));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "12: no SocksPort, 13: tor not found, 14: entry text, "
                                         "15: something else taken for tor";
}

}  // namespace
}  // namespace veilport::testing
