#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/io/UniqueFd.h"
#include "support/ChildProcess.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::RunCommand;
using testing::VeilportctlPath;

// A listening socket on an ephemeral loopback port, standing in for an upstream.
struct Upstream {
    Upstream() : fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(fd.get(), 8) != 0 ||
            ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
            fd.reset();
        port = ntohs(address.sin_port);
    }
    io::UniqueFd fd;
    int port = 0;
};

class AnonymityCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = getenv("GSETTINGS_BACKEND")) oldBackend_ = old;
        unsetenv("GSETTINGS_BACKEND");
    }
    void TearDown() override {
        if (!oldBackend_.empty()) setenv("GSETTINGS_BACKEND", oldBackend_.c_str(), 1);
    }
    static testing::CommandResult Ctl(std::vector<std::string> words) {
        words.insert(words.begin(), VeilportctlPath());
        return RunCommand(words);
    }
    fs::path prefs() const { return home.path() / "home/.mozilla/firefox/p.default/prefs.js"; }

    testing::TempHome home;
    std::string oldBackend_;
};

TEST_F(AnonymityCheckTest, NothingSwitchedFailsWithEveryReason) {
    const auto check = Ctl({"anonymity", "check"});
    EXPECT_EQ(check.exitCode, 3) << check.out;
    EXPECT_NE(check.out.find("failed  Online Anonymity is enabled: UseProxy is not 1\n"),
              std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("failed  the system proxy names 127.0.0.1:8080: it is direct\n"),
              std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("failed  the upstream proxy (none) answers: no upstream proxy is "
                             "chosen (ProxyName)\n"),
              std::string::npos)
        << check.out;
}

// Every line holds with a listening Gateway, the machine switched to it and a
// live upstream; a browser file pointed elsewhere afterwards is named.
TEST_F(AnonymityCheckTest, HoldsWhenEverythingNamesTheListeningGatewayAndNamesWhatDoesNot) {
    Upstream upstream;
    ASSERT_TRUE(upstream.fd);
    ChildProcess gateway({VeilportctlPath(), "gateway", "--port", "0", "--upstream",
                          "127.0.0.1:" + std::to_string(upstream.port)});
    std::string line;
    ASSERT_TRUE(gateway.readLine(line));
    const auto colon = line.find("127.0.0.1:");
    ASSERT_NE(colon, std::string::npos) << line;
    const std::string port = line.substr(colon + 10, line.find(',') - colon - 10);

    fs::create_directories(prefs().parent_path());
    std::ofstream(prefs()) << "user_pref(\"a\", 1);\n";
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"LocalPort", port},
                                      {"UseProxy", "1"},
                                      {"FireFox", "1"}})
        ASSERT_EQ(
            Ctl({"reg", "set", "HKLM\\Software\\Veilport\\" + name, "--dword", value}).exitCode, 0);
    ASSERT_EQ(Ctl({"reg", "set", "HKLM\\Software\\Veilport\\ProxyName", "--string",
                   "127.0.0.1:" + std::to_string(upstream.port) + "->Here"})
                  .exitCode,
              0);
    ASSERT_EQ(Ctl({"proxy", "set", "127.0.0.1:" + port}).exitCode, 0);

    const auto held = Ctl({"anonymity", "check"});
    EXPECT_EQ(held.exitCode, 0) << held.out;
    EXPECT_NE(held.out.find("done    " + prefs().string() + " names 127.0.0.1:" + port + "\n"),
              std::string::npos)
        << held.out;
    EXPECT_EQ(held.out.find("failed"), std::string::npos) << held.out;

    std::ofstream(prefs()) << "user_pref(\"network.proxy.http_port\", 8080);\n";
    const auto broken = Ctl({"anonymity", "check"});
    EXPECT_EQ(broken.exitCode, 3);
    EXPECT_NE(broken.out.find("failed  " + prefs().string() + " names 127.0.0.1:" + port +
                              ": it names another proxy or port\n"),
              std::string::npos)
        << broken.out;
    gateway.killAndWait(SIGTERM);
    EXPECT_NE(Ctl({"anonymity", "check"}).out.find("failed  the Gateway listens on"),
              std::string::npos);
}

}  // namespace
}  // namespace veilport
